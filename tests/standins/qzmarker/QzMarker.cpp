// A marker library: a test names it in stored data that must never make the module
// load anything, then checks that it was never loaded. Loaded anyway, it says so: its
// attach sets the environment variable QZ_MARKER_LOADED in the process.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        SetEnvironmentVariableW(L"QZ_MARKER_LOADED", L"1");
    return TRUE;
}

extern "C" void* __cdecl _C_PCLXL_ADDON(int, int) { return nullptr; }
extern "C" void __cdecl _D_PCLXL_ADDON(void*) {}
