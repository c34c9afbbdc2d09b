// The per-printer object behind every printer-driver entry point, as far as it stands
// yet: the driver object of one printer identity with the entry points' operations and
// the release ticket a property sheet keeps. Until the settings tree and the pages are
// built, the operations give the answers a plain driver gives: a public DEVMODE naming
// the printer, its size and version as device capabilities, and each other operation its
// failure value.
#pragma once

#include "entry/driverui/GDriverUIBase.h"
#include "entry/module/GDriverUIOperations.h"

class PrinterIdentity;

class GDriverUI : public GDriverUIBase, public GDriverObjectImp, public GDriverUIOperations {
public:
    explicit GDriverUI(const PrinterIdentity& identity);
    ~GDriverUI() override;

    // The driver-object interface: the cache interface is this object, and its identity
    // a copy of the one it was made for, so that the server reuses it for that printer.
    GCacheKey* GetIdentity() const override;
    void ResetForReuse(const GCacheKey& identity) override;

    DWORD DeviceCapabilities(HANDLE printer, LPWSTR deviceName, WORD capability, PVOID output,
                             PDEVMODEW devMode) override;
    LONG DocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output, PDEVMODEW input,
                            DWORD mode) override;
    LONG DocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter) override;
    LONG AdvancedDocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                    PDEVMODEW input) override;
    BOOL ConvertDevMode(LPWSTR printerName, PDEVMODEW input, PDEVMODEW output, PLONG needed, DWORD mode) override;
    LONG DevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter) override;
    BOOL PrinterProperties(HWND window, HANDLE printer) override;
    BOOL DevQueryPrintEx(PDEVQUERYPRINT_INFO info) override;
    BOOL UpgradePrinter(DWORD level, LPBYTE info) override;
    BOOL PrinterEvent(LPWSTR printerName, INT event, DWORD flags, LPARAM parameter) override;
    INT DocumentEvent(HANDLE printer, HDC dc, INT escape, ULONG inputSize, PVOID input, ULONG outputSize,
                      PVOID output) override;
    uint32_t RegisterExtension(const char* moduleName, uint32_t flags) override;

    void SetCacheTicket(uint32_t ticket) override { ticket_ = ticket; }
    uint32_t GetCacheTicket() const override { return ticket_; }

    // The printer handle of the identity the object serves; may be null.
    HANDLE GetPrinterHandle() override { return callerHandle_; }

private:
    HANDLE callerHandle_;
    uint32_t ticket_;
};
