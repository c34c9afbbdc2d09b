// The printer's helper library of the configuration tests: its one export hands the
// record to the test program's "QzTestDmcHelper", which records the call and answers.
// Without that export in the program the helper answers 0.
#include <windows.h>

#include <cstdint>

extern "C" __declspec(dllexport) short __cdecl DMCHELPER(uint32_t record[5])
{
    typedef short(__cdecl * Forward)(uint32_t*);
    Forward forward = reinterpret_cast<Forward>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(nullptr), "QzTestDmcHelper")));
    return forward ? forward(record) : 0;
}
