// The sibling library whose flag word the module reads once at attach. Tests choose the
// word through the environment variable QZ_TEST_APPFLAGS (0 when it is unset).
#include <windows.h>

#include <cstdint>
#include <cstdlib>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

extern "C" uint32_t GetAppFlags()
{
    char text[32];
    const DWORD length = GetEnvironmentVariableA("QZ_TEST_APPFLAGS", text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return 0;
    return static_cast<uint32_t>(std::strtoul(text, nullptr, 0));
}
