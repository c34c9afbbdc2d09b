// A mini-installer module. Each call is handed to the program that loaded the module
// (its export QzTestMiniInstallerCall), which records it and chooses the answer; without
// that export every call answers 0.
#include <windows.h>

#include <cstdint>

namespace {

uint32_t Forward(const char* entry, uint32_t handle, const wchar_t* name, uint32_t flag)
{
    typedef uint32_t(__cdecl * Call)(const char*, uint32_t, const wchar_t*, uint32_t);
    Call call = reinterpret_cast<Call>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), "QzTestMiniInstallerCall")));
    return call ? call(entry, handle, name, flag) : 0;
}

} // namespace

extern "C" uint32_t WINAPI InitializeMiniInstaller(uint32_t handle, const wchar_t* name, uint32_t flag)
{
    return Forward("InitializeMiniInstaller", handle, name, flag);
}

extern "C" uint32_t WINAPI KillMiniInstaller(uint32_t handle, const wchar_t* name, uint32_t flag)
{
    return Forward("KillMiniInstaller", handle, name, flag);
}
