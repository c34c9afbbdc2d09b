// The resource library's resources with an entry point that leaves a mark: run as code,
// its attach writes the file "qzresmark-<process id>.ran" beside itself. The user
// interface reads the resource library as data, so no test should ever find the mark.
#include <windows.h>

#include <cwchar>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t path[MAX_PATH + 32] = {};
    const DWORD length = GetModuleFileNameW(instance, path, MAX_PATH);
    wchar_t* slash = length && length < MAX_PATH ? std::wcsrchr(path, L'\\') : nullptr;
    if (!slash)
        return TRUE;
    std::swprintf(slash + 1, 32, L"qzresmark-%lu.ran", GetCurrentProcessId());
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return TRUE;
}
