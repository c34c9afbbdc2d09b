// The thread-local slots the module's code and its statically linked runtime take, kept so
// that an unload can give back what they never free. The runtime's threads library takes
// a slot at its first use after each load and has no way to free it: a host that loads and
// frees the module again and again would run out of the process's slots (1,088), and the
// runtime ends the process when it finds none. The module routes its own and its runtime's
// TlsAlloc and TlsFree through here (ModuleEntry.cpp), and an unload frees the slots still
// recorded after the runtime's last code for the module has run.
//
// The table is fixed and zero before any constructor runs: slots are taken from the first
// notification of the load on. A slot freed through TlsFree leaves the table first, so one
// freed by its owner and taken again by another module is never freed a second time. A
// slot taken when the table is full is handed out unrecorded, as the platform would.
#pragma once

#include <windows.h>

#include <cstdint>

class ModuleTlsSlots {
public:
    static constexpr uint32_t kCapacity = 16;

    // The platform's TlsAlloc, recording the slot; TLS_OUT_OF_INDEXES when none is left.
    static DWORD WINAPI Alloc();
    // The platform's TlsFree, the slot leaving the table first.
    static BOOL WINAPI Free(DWORD slot);
    // Frees every recorded slot: only once nothing may use them any more.
    static void FreeAll();
    // How many slots the table holds.
    static uint32_t Count();
};
