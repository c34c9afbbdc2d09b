// An add-on library for the PCL XL writer. The add-on peripheral comes from the program
// that loaded the library (its exports QzTestMakeAddOn and QzTestTakeAddOn), so that its
// class layout is the program's own; the program counts both calls and decides whether
// an add-on is made. Nothing is kept here: the library is loaded and freed around
// single commands.
#include <windows.h>

namespace {

void* ProgramExport(const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), name));
}

} // namespace

extern "C" void* __cdecl _C_PCLXL_ADDON(int a, int b)
{
    typedef void*(__cdecl * Make)(int, int);
    Make make = reinterpret_cast<Make>(ProgramExport("QzTestMakeAddOn"));
    return make ? make(a, b) : nullptr;
}

extern "C" void __cdecl _D_PCLXL_ADDON(void* addOn)
{
    typedef void(__cdecl * Take)(void*);
    if (Take take = reinterpret_cast<Take>(ProgramExport("QzTestTakeAddOn")))
        take(addOn);
}
