// The module's entry point and its thread-local slot and handle calls. Linked into the
// module only.
//
// The module defines the import pointers of TlsAlloc and TlsFree itself, so that every call
// of its code and of its statically linked runtime reaches ModuleTlsSlots, which records the
// slots handed out; CreateEventA, DuplicateHandle and CloseHandle reach ModuleHandles the
// same way. The entry point wraps the runtime's: on an unload, DllMain runs first and the
// runtime's static destructors after it, and those may still use the threads library's
// slot and records; only when the runtime's entry has returned is nothing of the module
// left to run, and the handles and slots still recorded are given back. An attach that
// fails has run the same detach inside the runtime's entry. At the process's end nothing
// is freed.
#include "entry/module/ModuleHandles.h"
#include "entry/module/ModuleTlsSlots.h"

#include <windows.h>

extern "C" {

BOOL WINAPI DllMainCRTStartup(HANDLE module, DWORD reason, LPVOID reserved);
BOOL WINAPI ModuleEntry(HANDLE module, DWORD reason, LPVOID reserved);

DWORD(WINAPI* g_tlsAllocImport)() __asm__("__imp__TlsAlloc@0") = ModuleTlsSlots::Alloc;
BOOL(WINAPI* g_tlsFreeImport)(DWORD) __asm__("__imp__TlsFree@4") = ModuleTlsSlots::Free;
HANDLE(WINAPI* g_createEventAImport)(LPSECURITY_ATTRIBUTES, BOOL, BOOL, LPCSTR) __asm__("__imp__CreateEventA@16") =
    ModuleHandles::CreateEventA;
BOOL(WINAPI* g_duplicateHandleImport)(HANDLE, HANDLE, HANDLE, LPHANDLE, DWORD, BOOL, DWORD) __asm__(
    "__imp__DuplicateHandle@28") = ModuleHandles::DuplicateHandle;
BOOL(WINAPI* g_closeHandleImport)(HANDLE) __asm__("__imp__CloseHandle@4") = ModuleHandles::CloseHandle;

BOOL WINAPI ModuleEntry(HANDLE module, DWORD reason, LPVOID reserved)
{
    const BOOL result = DllMainCRTStartup(module, reason, reserved);
    if ((reason == DLL_PROCESS_DETACH && !reserved) || (reason == DLL_PROCESS_ATTACH && !result)) {
        ModuleHandles::CloseAll();
        ModuleTlsSlots::FreeAll();
    }
    return result;
}

} // extern "C"
