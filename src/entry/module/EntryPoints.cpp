// The printer-driver user-interface entry points: each is the shared prologue around
// one operation of the driver user-interface object, with the export's own argument
// checks. The two property-sheet entry points keep the object for the life of a sheet:
// acquired at INIT, kept in the sheet's user data, released at DESTROY.
#include "entry/module/EntryPoints.h"
#include "printer/GDriverObject.h"

#include "entry/module/DocumentEventRecord.h"
#include "entry/module/EntryPrologue.h"
#include "entry/module/ModuleKeepAlive.h"
#include "entry/module/ModuleLifetime.h"
#include "entry/module/OpenDocumentTable.h"
#include "printer/GDriverObject.h"
#include "printer/GDriverServer.h"
#include "foundation/RWWString.h"

namespace {

const LONG kSheetRefused = -1;

// The printer a sheet header names: its handle, or its name when the handle is null
// (the spooler adds a printer with a null handle and the name in the header).
struct SheetPrinter {
    bool valid = false;
    HANDLE handle = nullptr;
    const wchar_t* name = nullptr;
};

SheetPrinter DocumentHeaderPrinter(LPARAM parameter)
{
    SheetPrinter printer;
    const DOCUMENTPROPERTYHEADER* header = reinterpret_cast<const DOCUMENTPROPERTYHEADER*>(parameter);
    if (!header || header->cbSize < sizeof(DOCUMENTPROPERTYHEADER))
        return printer;
    printer.valid = true;
    printer.handle = header->hPrinter;
    printer.name = header->hPrinter ? nullptr : header->pszPrinterName;
    return printer;
}

SheetPrinter DeviceHeaderPrinter(LPARAM parameter)
{
    SheetPrinter printer;
    const DEVICEPROPERTYHEADER* header = reinterpret_cast<const DEVICEPROPERTYHEADER*>(parameter);
    if (!header || header->cbSize < sizeof(DEVICEPROPERTYHEADER))
        return printer;
    printer.valid = true;
    printer.handle = header->hPrinter;
    printer.name = header->hPrinter ? nullptr : header->pszPrinterName;
    return printer;
}

// The road of a property sheet's callbacks. Sheet info smaller than its structure is
// refused before anything is read from it.
template <class Operation>
LONG SheetRoad(PPROPSHEETUI_INFO info, const SheetPrinter& printer, Operation operation)
{
    if (info->Reason == PROPSHEETUI_REASON_INIT) {
        uint32_t ticket = 0;
        GDriverUIOperations* ui = EntryPrologue::Acquire(printer.handle, printer.name, ticket);
        if (!ui)
            return kSheetRefused;
        ui->SetCacheTicket(ticket);
        info->UserData = reinterpret_cast<ULONG_PTR>(ui);
        return operation(*ui);
    }
    GDriverUIOperations* ui = reinterpret_cast<GDriverUIOperations*>(info->UserData);
    if (!ui)
        return 0;
    const LONG result = operation(*ui);
    if (info->Reason == PROPSHEETUI_REASON_DESTROY) {
        // Cleared first, so that a repeated DESTROY finds nothing to release again.
        info->UserData = 0;
        EntryPrologue::Release(ui->GetCacheTicket());
    }
    return result;
}

bool SheetInfoTooSmall(PPROPSHEETUI_INFO info) { return info && info->cbSize < sizeof(PROPSHEETUI_INFO); }

} // namespace

extern "C" LONG WINAPI DrvDocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter)
{
    auto operation = [&](GDriverUIOperations& ui) { return ui.DocumentPropertySheets(info, parameter); };
    if (!info) {
        // A direct call with the header in lParam: acquired and released at once.
        const SheetPrinter printer = DocumentHeaderPrinter(parameter);
        return EntryPrologue::Run(!printer.valid, kSheetRefused, printer.handle, printer.name, kSheetRefused,
                                  operation);
    }
    EntryPrologue::MarkActivity();
    if (SheetInfoTooSmall(info))
        return kSheetRefused;
    const SheetPrinter printer = DocumentHeaderPrinter(info->lParamInit);
    if (!printer.valid)
        return kSheetRefused;
    return SheetRoad(info, printer, operation);
}

extern "C" LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter);

namespace {

// PrinterProperties runs the device sheet through the common property sheet, with this
// export as the sheet's callback.
const bool g_deviceSheetRegistered = (EntryPrologue::SetDeviceSheetCallback(&DrvDevicePropertySheets), true);

} // namespace

extern "C" LONG WINAPI DrvDevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter)
{
    EntryPrologue::MarkActivity();
    if (!info || SheetInfoTooSmall(info))
        return kSheetRefused;
    const SheetPrinter printer = DeviceHeaderPrinter(info->lParamInit);
    if (!printer.valid)
        return kSheetRefused;
    return SheetRoad(info, printer,
                     [&](GDriverUIOperations& ui) { return ui.DevicePropertySheets(info, parameter); });
}

extern "C" DWORD WINAPI DrvDeviceCapabilities(HANDLE printer, LPWSTR deviceName, WORD capability, PVOID output,
                                              PDEVMODEW devMode)
{
    // No object answers GDI_ERROR: 0 would read as "no papers" and the like.
    return EntryPrologue::Run(false, DWORD(0), printer, deviceName, DWORD(GDI_ERROR), [&](GDriverUIOperations& ui) {
        return ui.DeviceCapabilities(printer, deviceName, capability, output, devMode);
    });
}

extern "C" LONG WINAPI DrvDocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                             PDEVMODEW input, DWORD mode)
{
    return EntryPrologue::Run(false, LONG(0), printer, deviceName, LONG(0), [&](GDriverUIOperations& ui) {
        return ui.DocumentProperties(window, printer, deviceName, output, input, mode);
    });
}

extern "C" LONG WINAPI DrvAdvancedDocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName,
                                                     PDEVMODEW output, PDEVMODEW input)
{
    return EntryPrologue::Run(false, LONG(0), printer, deviceName, LONG(0), [&](GDriverUIOperations& ui) {
        return ui.AdvancedDocumentProperties(window, printer, deviceName, output, input);
    });
}

extern "C" BOOL WINAPI DrvConvertDevMode(LPWSTR printerName, PDEVMODEW input, PDEVMODEW output, PLONG needed,
                                         DWORD mode)
{
    return EntryPrologue::Run(false, BOOL(FALSE), nullptr, printerName, BOOL(FALSE), [&](GDriverUIOperations& ui) {
        return ui.ConvertDevMode(printerName, input, output, needed, mode);
    });
}

extern "C" BOOL WINAPI DrvUpgradePrinter(DWORD level, LPBYTE info)
{
    const DRIVER_UPGRADE_INFO_1W* upgrade = reinterpret_cast<const DRIVER_UPGRADE_INFO_1W*>(info);
    const bool refused = level != 1 || !upgrade || !upgrade->pPrinterName || !upgrade->pOldDriverDirectory;
    bool ran = false;
    const BOOL result = EntryPrologue::Run(
        refused, BOOL(FALSE), nullptr, refused ? nullptr : upgrade->pPrinterName, BOOL(FALSE),
        [&](GDriverUIOperations& ui) {
            ran = true;
            return ui.UpgradePrinter(level, info);
        },
        ERROR_INVALID_PARAMETER);
    // A printer no object can be had for is one that cannot be opened: the upgrade says so.
    if (!refused && !ran)
        SetLastError(ERROR_INVALID_PARAMETER);
    return result;
}

extern "C" BOOL WINAPI DrvPrinterEvent(LPWSTR printerName, INT event, DWORD flags, LPARAM parameter)
{
    return EntryPrologue::Run(false, BOOL(FALSE), nullptr, printerName, BOOL(FALSE), [&](GDriverUIOperations& ui) {
        return ui.PrinterEvent(printerName, event, flags, parameter);
    });
}

namespace {

const INT kEventFailed = -1;

// Gives the acquisition of a printer's document table entry back: unlinked, released,
// and the document-open mark cleared with the last entry.
void EndDocumentEntry(HANDLE printer)
{
    OpenDocumentTable* table = ModuleLifetime::DocumentTable();
    uint32_t ticket = 0;
    if (!table || !table->Remove(printer, ticket))
        return;
    EntryPrologue::Release(ticket);
    if (table->Entries() == 0)
        ModuleLifetime::KeepAlive().SetDocumentOpen(0);
}

} // namespace

// The print system's calls around every device context of the driver: the driver
// object is acquired at CREATEDCPRE, kept in the open-document table under the
// printer handle, reached from there by every later event and released at DELETEDC.
extern "C" INT WINAPI DrvDocumentEvent(HANDLE printer, HDC dc, INT escape, ULONG inputSize, PVOID input,
                                       ULONG outputSize, PVOID output)
{
    EntryPrologue::MarkActivity();
    const INT event = escape & 0xFFFF;
    // Records the object could not read are refused before anything is acquired.
    if (!DocumentEventRecord::ArgumentsValid(event, inputSize, input, outputSize, output))
        return kEventFailed;
    OpenDocumentTable* table = ModuleLifetime::DocumentTable();
    if (!table)
        return kEventFailed;
    GDriverUIOperations* ui = nullptr;
    if (event == DOCUMENTEVENT_CREATEDCPRE) {
        uint32_t ticket = 0;
        ui = EntryPrologue::Acquire(printer, nullptr, ticket);
        if (!ui)
            return kEventFailed;
        // A second CREATEDCPRE on the same handle gives back the acquisition it replaces.
        uint32_t replaced = 0;
        const bool hadEntry = table->Remove(printer, replaced);
        if (!table->Insert(printer, ticket)) {
            EntryPrologue::Release(ticket);
            if (hadEntry) {
                EntryPrologue::Release(replaced);
                if (table->Entries() == 0)
                    ModuleLifetime::KeepAlive().SetDocumentOpen(0);
            }
            return kEventFailed;
        }
        if (hadEntry)
            EntryPrologue::Release(replaced);
        ModuleLifetime::KeepAlive().SetDocumentOpen(1);
    } else {
        uint32_t ticket = 0;
        GDriverServer* server = ModuleLifetime::DriverServer();
        if (!table->Find(printer, ticket) || !server)
            return kEventFailed;
        ui = dynamic_cast<GDriverUIOperations*>(server->LookUp(ticket));
        if (!ui)
            return kEventFailed;
    }
    const INT result = ui->DocumentEvent(printer, dc, event, inputSize, input, outputSize, output);
    if (event == DOCUMENTEVENT_DELETEDC || (event == DOCUMENTEVENT_CREATEDCPRE && result == 0))
        EndDocumentEntry(printer);
    return result;
}

extern "C" uint32_t QZDrv_RegisterExtension(const char* printerName, uint32_t, const char* moduleName,
                                            uint32_t flags)
{
    if (!printerName || !moduleName)
        return kExtensionBadArgument;
    const RWWString name(printerName, RWWString::multiByte);
    uint32_t ticket = 0;
    GDriverUIOperations* ui = EntryPrologue::Acquire(nullptr, name.Data(), ticket);
    if (!ui)
        return kExtensionBadArgument;
    const uint32_t status = ui->RegisterExtension(moduleName, flags) & 0xFFFF;
    EntryPrologue::Release(ticket);
    return status;
}

BOOL RunPrinterProperties(HWND window, HANDLE printer)
{
    return EntryPrologue::Run(false, BOOL(FALSE), printer, nullptr, BOOL(FALSE),
                              [&](GDriverUIOperations& ui) { return ui.PrinterProperties(window, printer); });
}

BOOL RunDevQueryPrintEx(PDEVQUERYPRINT_INFO info)
{
    return EntryPrologue::Run(!info, BOOL(FALSE), info ? info->hPrinter : nullptr, nullptr, BOOL(FALSE),
                              [&](GDriverUIOperations& ui) { return ui.DevQueryPrintEx(info); });
}
