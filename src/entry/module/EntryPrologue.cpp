#include "entry/module/EntryPrologue.h"

#include "entry/module/ModuleKeepAlive.h"
#include "entry/module/ModuleLifetime.h"
#include "printer/PrinterIdentity.h"
#include "printer/GDriverObject.h"
#include "printer/GDriverServer.h"

#include <new>

GDriverUIOperations* EntryPrologue::Acquire(void* printer, const wchar_t* printerName, uint32_t& ticket)
{
    ticket = 0;
    GDriverServer* server = ModuleLifetime::DriverServer();
    if (!server)
        return nullptr;
    // The server takes the identity, a null one included.
    PrinterIdentity* identity = new (std::nothrow)
        PrinterIdentity(printer, printerName ? RWWString(printerName) : RWWString(), 0);
    GDriverObject* object = server->Acquire(identity, ticket);
    if (!object)
        return nullptr;
    GDriverUIOperations* ui = dynamic_cast<GDriverUIOperations*>(object);
    if (!ui)
        Release(ticket);
    return ui;
}

void EntryPrologue::Release(uint32_t ticket)
{
    const DWORD error = GetLastError();
    if (GDriverServer* server = ModuleLifetime::DriverServer())
        server->Release(ticket);
    SetLastError(error);
}

void EntryPrologue::MarkActivity() { ModuleKeepAlive::Module().MarkActivity(); }

namespace {

QZPropSheetUIProc g_deviceSheetCallback = nullptr;

} // namespace

void EntryPrologue::SetDeviceSheetCallback(QZPropSheetUIProc callback) { g_deviceSheetCallback = callback; }

QZPropSheetUIProc EntryPrologue::DeviceSheetCallback() { return g_deviceSheetCallback; }
