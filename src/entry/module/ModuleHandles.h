// The handles the module's statically linked threads library makes and never closes, kept
// so that an unload can close them. At the first use on a thread the library keeps a
// record of that thread holding an event and a duplicate of the thread's handle, closed
// only when the thread ends while the module is loaded: every application thread that
// called into the module and outlives an unload would keep both open for good. The module
// routes its own and its runtime's CreateEventA, DuplicateHandle and CloseHandle through
// here (ModuleEntry.cpp); CreateEventA and DuplicateHandle record what they hand out,
// CloseHandle takes a handle out of the table before closing it, and an unload closes
// what is still recorded once nothing of the module runs any more.
//
// As with the thread-local slots (ModuleTlsSlots), the table is fixed and zero before any
// constructor runs, a handle closed by its owner leaves the table first so that one whose
// value the platform hands out again is never closed a second time, and a handle made
// when the table is full is handed out unrecorded.
#pragma once

#include <windows.h>

#include <cstdint>

class ModuleHandles {
public:
    static constexpr uint32_t kCapacity = 256;

    // The platform's CreateEventA, recording the event.
    static HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                                      LPCSTR name);
    // The platform's DuplicateHandle, recording a duplicate made in this process; a source
    // closed with DUPLICATE_CLOSE_SOURCE leaves the table first.
    static BOOL WINAPI DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, LPHANDLE target,
                                       DWORD access, BOOL inherit, DWORD options);
    // The platform's CloseHandle, the handle leaving the table first.
    static BOOL WINAPI CloseHandle(HANDLE handle);
    // Closes every recorded handle: only once nothing may use them any more.
    static void CloseAll();
    // How many handles the table holds.
    static uint32_t Count();
};
