// Exports for the dynamic-library tests.
#include <windows.h>

extern "C" int __cdecl StandinCdecl(int value) { return value * 2 + 1; }

// The high half tells whether the caller cut the result to 16 bits.
extern "C" int __stdcall StandinStdcall(int a, int b) { return 0x7FFF0000 | ((a - b) & 0xFFFF); }
