// The per-printer object behind every printer-driver entry point: the settings-tree base
// and the driver object's own answers over one shared driver-object core. It holds the
// settings, the printer's identity and handles, and the open sheet; it converts DEVMODEs
// and judges a job's DEVMODE at print time. Every other entry point is handed to the
// class of its role: the document sheet, the device sheet, the document events, the
// printer events, the device capabilities and the upgrade.
#pragma once

#include "entry/driverui/GDriverUIBase.h"
#include "entry/module/GDriverUIOperations.h"
#include "entry/sheet/UIContextRecord.h"
#include "settings/translators/GPaperCodeSource.h"

#include <cstdint>
#include <memory>
#include <vector>

class GCPSOSUI;
class GDriverUICapabilities;
class GDriverUIDeviceSheet;
class GDriverUIDocumentEvents;
class GDriverUIDocumentSheet;
class GDriverUIPrinterEvents;
class GDriverUIUpgrade;
class PrinterIdentity;


class GDriverUI : public GDriverUIBase, public GDriverObjectImp, public GDriverUIOperations, public GPaperCodeSource {
public:
    explicit GDriverUI(const PrinterIdentity& identity);
    ~GDriverUI() override;

    // The driver-object interface: the cache interface is this object, and its identity
    // a copy of the one it was made for, so that the server reuses it for that printer.
    GCacheKey* GetIdentity() const override;
    // The core's settings object: the stored tree of the current DEVMODE.
    GObjectBase* CreateSettings() override { return LoadStoredSettings(); }
    void ResetForReuse(const GCacheKey& identity) override;
    // A handle's rights are fixed while it is open: when this call's caller has other
    // rights than the calls the object served through the same handle value had, the
    // handle is another open handle, and the object is not kept for it. Asked only of an
    // object whose calls looked at their rights; the answer serves this call's rights.
    bool KeepsCaller() override;
    void OnRelease() override { callRights_ = kRightsUnknown; }

    // The own handle when in use, else the caller's; with neither but a printer name, a
    // handle opened on demand and closed when the entry call ends.
    HANDLE GetPrinterHandle() override;

    // The entry points: each closes the handle opened on demand for it when it ends, and
    // all but the conversion and the print-time query are answered by their role.
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

    // The roles, each made with the object and living as long as it.
    GDriverUIDocumentSheet& DocumentSheet() { return *documentSheet_; }
    GDriverUIDeviceSheet& DeviceSheet() { return *deviceSheet_; }
    GDriverUIDocumentEvents& DocumentEvents() { return *documentEvents_; }
    GDriverUIPrinterEvents& PrinterEvents() { return *printerEvents_; }
    GDriverUICapabilities& Capabilities() { return *capabilities_; }
    GDriverUIUpgrade& Upgrade() { return *upgrade_; }
    // Puts a test's own document events in place of the object's.
    void SetDocumentEventsForTesting(std::unique_ptr<GDriverUIDocumentEvents> events);

    // The step of making a UI context that tells the sheet whether a network registry
    // agent answers: feature 313 of the settings, when they hold it, becomes 1 when a
    // registered provider supports the agent capability, else 0.
    static void NoteAgentAvailability(GObjectBase* settings);

    // The own printer handle (full access) for writing printer data.
    int OpenOwnPrinter();
    int CloseOwnPrinter();
    void UseOwnPrinter(uint32_t flag);
    HANDLE GetOwnHandle() const { return ownHandle_; }
    // 1 when printer data can be written, opening the own handle when needed.
    int EnsurePrinterDataWritable();
    // True when the user may change the printer: it opens with full access. Nothing is
    // written to find out.
    bool MayChangePrinter();
    // 1 when a caller of these rights (1: read-only) keeps its own watermarks in its
    // per-user store: one that may not change the printer, on a system of version 5 on.
    int UserWatermarksFor(int readOnly);
    // The rights of this call's caller: 0 when it may change the printer, 1 when
    // read-only. An object without settings yet finds them by making its first merge's
    // writes possible; any other by an own handle in use, or one with full access that
    // opens.
    int CallerReadOnly();
    // The current DEVMODE as the printer's default (SetPrinterW level 2): 1 when written.
    int WritePrinterDefaultDevMode();
    // Opens the named printer asking for the access given; null when refused.
    virtual HANDLE OpenPrinterWithAccess(const RWWString& name, DWORD access);

    // The driver object's current settings, loaded again when stale or missing (always
    // with reload).
    GObjectBase* CurrentSettings(bool reload = false);
    // The message id of a mismatch code.
    static uint16_t MismatchMessageId(uint32_t mismatch);
    // A string of the resource library, at most room - 1 characters; empty when it
    // cannot be loaded.
    RWWString LoadResourceString(uint32_t id);

    // Takes the identity the server reuses the object for: its handle and names; a new
    // printer name drops the current DEVMODE object.
    int SetIdentity(const PrinterIdentity& identity);
    // The host executable's path: when it changed, the application flags are derived
    // again. 1 when it changed.
    int RefreshHostProcess();
    const wchar_t* HostPath() const { return hostPath_; }
    // 1 when the host executable's name holds "EXPLORER.EXE", in any case.
    bool HostIsExplorer() const;
    void GetPrinterIdentity(RWWString& printerName, HANDLE& printer, uint32_t& word);
    // 1 with the value of the feature: 0x4000 gives 0x100; lower ids the id pool's code;
    // a form code the 1-based index of the printer's paper of that size.
    int QueryFeatureValue(uint16_t featureId, uint16_t& value) override;
    // The paper-size translator's normalisation: the base's, over the current settings.
    using GDriverUIBase::NormalizePaperCode;
    uint16_t NormalizePaperCode(GObjectBase* settings, uint16_t code) override;
    // The 1-based index of the first paper within 100 units of the size in each direction
    // (sizes exchanged at 90 and 270); 0 when none.
    static uint16_t MatchPaperSize(const std::vector<GSizePair>& papers, GSizePair size, uint32_t orientation);
    // The character set of a resource library's code page, and the face that code page
    // wants instead of the library's (null for none).
    static uint8_t CharacterSetOf(uint16_t codePage);
    static const char* FaceOf(uint16_t codePage);
    // The UI font group (380: 384 face, 385 size, 386 character set) in the settings,
    // built from the resource library when missing; borrowed, null without settings.
    GObjectBase* GetUIFont();

    // For a default made afresh while the device-model configuration is in use (1100 = 1):
    // 378 takes the value of 366 when both are plain values, "Stale" = "FALSE" is written
    // and the configuration update runs. 1 when it ran.
    int RefreshStaleDefaults(GObjectBase* tree);
    // The core's query; when it answers 0 for argument 0, the plug-ins copy the device
    // configuration into the settings: 1 when they answered non-zero.
    uint32_t PluginConfigToSettings(uint32_t argument);

    UIContextRecord* CreateUIContext();
    void DestroyUIContext(UIContextRecord* record);
    // The open sheet, one per object: opening one closes any sheet still open and makes
    // its UI context and glue (the context null when none could be made).
    UIContextRecord* OpenSheet();
    UIContextRecord* SheetContext() const { return uiContext_; }
    GCPSOSUI* SheetGlue() const { return sheetGlue_; }
    // Frees an open sheet's glue and UI context.
    void ReleaseSheet();
    // 1 when every media string id of the model loads from the resource library.
    int CheckMediaNames();
    // The module's own file name.
    RWWString GetResourceModuleName();

private:
    friend class GDriverUICapabilities;
    friend class GDriverUIUpgrade;

    // Closes the handle opened on demand for one entry call.
    struct CallScope {
        explicit CallScope(GDriverUI& ui) : ui_(ui) {}
        ~CallScope();
        GDriverUI& ui_;
    };

    static constexpr int kRightsUnknown = -1;

    HANDLE callerHandle_;
    // The rights the calls through the caller's handle had, and this call's own, once
    // asked (0 may change the printer, 1 read-only).
    int handleRights_ = kRightsUnknown;
    int callRights_ = kRightsUnknown;
    HANDLE ownHandle_;
    uint32_t useOwn_;
    HANDLE onDemandHandle_;
    wchar_t hostPath_[MAX_PATH];
    UIContextRecord* uiContext_;
    GCPSOSUI* sheetGlue_;
    uint32_t drawMode_;
    uint32_t drawSuppressed_;
    RWWString* ownedString_;
    uint32_t ticket_;

    std::unique_ptr<GDriverUIDocumentSheet> documentSheet_;
    std::unique_ptr<GDriverUIDeviceSheet> deviceSheet_;
    std::unique_ptr<GDriverUIDocumentEvents> documentEvents_;
    std::unique_ptr<GDriverUIPrinterEvents> printerEvents_;
    std::unique_ptr<GDriverUICapabilities> capabilities_;
    std::unique_ptr<GDriverUIUpgrade> upgrade_;
};
