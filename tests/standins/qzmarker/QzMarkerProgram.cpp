// A marker program: a test puts a copy where a program must never be taken from and
// checks that nothing was started. Started anyway, it ends at once.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
