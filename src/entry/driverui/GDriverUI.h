// The per-printer object behind every printer-driver entry point: the settings-tree base
// and the driver object's own answers over one shared driver-object core. It merges and
// copies DEVMODEs without a sheet, converts them, judges a job's DEVMODE at print time
// and answers the device-capability queries. The property sheet itself is built by the
// sheet glue (see GDriverUISheets.cpp).
#pragma once

#include "entry/driverui/GDriverUIBase.h"
#include "entry/driverui/GKsJobPluginHolder.h"
#include "entry/module/GDriverUIOperations.h"
#include "entry/sheet/UIContextRecord.h"
#include "settings/translators/GPaperCodeSource.h"

#include <atomic>
#include <cstdint>
#include <vector>

class GCPSOSUI;
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

    // The own handle when in use, else the caller's; with neither but a printer name, a
    // handle opened on demand and closed when the entry call ends.
    HANDLE GetPrinterHandle() override;

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
    // The current DEVMODE as the printer's default (SetPrinterW level 2): 1 when written.
    int WritePrinterDefaultDevMode();
    LONG DocumentPropertiesCore(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output, PDEVMODEW input,
                                DWORD mode);
    // Merges and copies out without a sheet: 1, 0 on failure, -1 for a refused DEVMODE.
    LONG DocumentPropertiesNoUI(const DOCUMENTPROPERTYHEADER& header);

    // The paper lists of the capability queries, rebuilt when the state word marks them
    // stale: the count, or -1 for none.
    DWORD EnumPapers(wchar_t* names, WORD* codes, POINT* sizes);
    // The message id of a mismatch code.
    static uint16_t MismatchMessageId(uint32_t mismatch);
    // The orientation answer of a settings value.
    static DWORD OrientationAnswer(const uint16_t* value);
    // One extent packed as the capability answers it: size x 254 / units per inch.
    static DWORD PackExtent(uint16_t width, uint16_t length, uint16_t xUnits, uint16_t yUnits);
    // A string of the resource library, at most room - 1 characters; empty when it
    // cannot be loaded.
    RWWString LoadResourceString(uint32_t id);

    // Takes the identity the server reuses the object for: its handle and names; a new
    // printer name drops the current DEVMODE object.
    int SetIdentity(const PrinterIdentity& identity);
    // The host executable's path: when it changed, the application flags are derived
    // again. 1 when it changed.
    int RefreshHostProcess();
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

    // Copies the driver object's cached files from the print server's driver folders
    // ("\print$\w32x86\2\", else "\3\") over the local copies: the count copied. A
    // printer without a server part copies nothing; a cached name that is a path
    // (with "\", "/", ":" or "..") is skipped.
    int CopyFilesFromServer();
    // Deletes the driver object's cached files: the count deleted.
    int DeleteCachedFiles();
    // The cached file of slot 0 to 9, a full local path; empty when the slot is unused.
    virtual RWWString CachedFilePath(int slot);
    // The cached files of a printer connection: the driver's files as the spooler names
    // them (driver, data, configuration, help, then the dependent files), each a full path
    // of a plain file under the driver folder, without repeats, at most 10.
    static std::vector<RWWString> CachedFileList(const std::vector<const wchar_t*>& paths, const wchar_t* folder);
    static constexpr size_t kCachedFileSlots = 10;
    // Writes the configuration's text (445) with the printer as "FeatureString" and, when
    // font cards are installed (317 non-zero), "FontCards" = 1: 1 when the text was written.
    int StoreFeatureString();
    // For a default made afresh while the device-model configuration is in use (1100 = 1):
    // 378 takes the value of 366 when both are plain values, "Stale" = "FALSE" is written
    // and the configuration update runs. 1 when it ran.
    int RefreshStaleDefaults(GObjectBase* tree);
    // 1 when the name is a plain file name that may be joined to a folder.
    static bool IsPlainFileName(const wchar_t* name);
    // Shows the manual duplex instructions through the sheet glue when duplex printing
    // (253) and manual duplex (245) are both on, then closes the own handle. 1.
    virtual int ShowManualDuplexDialog();
    // Opens the named printer asking for the access given; null when refused.
    virtual HANDLE OpenPrinterWithAccess(const RWWString& name, DWORD access);
    // The core's query; when it answers 0 for argument 0, the plug-ins copy the device
    // configuration into the settings: 1 when they answered non-zero.
    uint32_t PluginConfigToSettings(uint32_t argument);
    // The sheet callback of a dialog shown without a sheet: accepts every call.
    static LONG_PTR CALLBACK NonPropPageSheet(HANDLE sheet, UINT function, LPARAM first, LPARAM second);

    // The document sheet's reasons (INIT, GET_INFO_HEADER, DESTROY, SET_RESULT) for the
    // header's request; readOnly and the OS major version come from the permission test.
    LONG DocumentSheet(PPROPSHEETUI_INFO info, LPARAM parameter, const DOCUMENTPROPERTYHEADER& header, int readOnly,
                       uint32_t major);
    // The mode flags of a document sheet's UI context.
    static uint32_t DocumentModeFlags(uint32_t mode, uint32_t major, int readOnly, bool treeLoaded, bool explorer);
    // Frees an open sheet's glue and UI context.
    void ReleaseSheet();
    // The document sheet itself (GDriverUIDocumentSheet.cpp): the common property sheet
    // run over the header with the module's sheet entry, its result starting at cancel;
    // the output DEVMODE written from the current settings when the mode asks for a copy
    // (1, or 0 when it could not be); the device-configuration update record after a
    // committed sheet (nothing yet); and the module's own pages offered as the one plug-in
    // of a UI context whose settings name none (the list is taken out again once the pages
    // are collected, so it never reaches the stored settings).
    LONG RunDocumentSheet(HWND window, DOCUMENTPROPERTYHEADER& header);
    int WriteSheetOutput(const DOCUMENTPROPERTYHEADER& header);
    void WriteConfigurationUpdate() {}
    int16_t AddDocumentPages(GCPSOSUI& glue, UIContextRecord* record);
    static constexpr const char* kOwnPlugInName = "qzui32.dll";
    // 1 when the host executable's name holds "EXPLORER.EXE", in any case.
    bool HostIsExplorer() const;

    UIContextRecord* CreateUIContext();
    void DestroyUIContext(UIContextRecord* record);
    // 1 when every media string id of the model loads from the resource library.
    int CheckMediaNames();
    // The module's own file name.
    RWWString GetResourceModuleName();

    // Document events. Every private escape of a document goes through SendEscape, the
    // one place that reaches the rendering module (ExtEscape on the event's DC).
    virtual int SendEscape(HDC dc, int code, int inputSize, const void* input, int outputSize, void* output);
    // At ENDDOC: the manual-duplex escape {0xCFC14711, flag, 0} when features 253 and 245
    // are both non-zero, and with flag 1, an escape answered 1 and no feature 1010 the
    // manual-duplex dialog. Always 1.
    int ManualDuplexEscape(HDC dc, uint32_t flag);
    // At ENDDOCPOST: 1 when the manual-duplex instructions are to be shown.
    int ManualDuplexWanted(uint32_t pagesEnded, uint32_t expectedPages);
    // The job-storage notice of a document: started at STARTDOCPOST on a thread of its
    // own and joined (handle closed once) at ENDDOCPOST, ABORTDOC and DELETEDC.
    int StartJobNotice();
    void JoinJobNotice();
    bool JobNoticeRunning() const { return noticeThread_ != nullptr; }
    // The keystroke job plug-in library a document's job is told about.
    virtual RWWString KsJobPluginPath() { return RWWString(L"qzplom32.dll"); }
    // What the notice thread shows: the notice prepared at STARTDOCPOST through the
    // registered shower; a tick in its check box is kept as "DontShowJobName".
    virtual void ShowJobNotice();
    // The job name rules in place: at most 16 characters, a-z upper-cased, characters
    // outside 0x20-0x7E and '"' removed; an empty result with useDefault takes the
    // default name (given), cleaned, or the fallback when the default holds a removed
    // character.
    static void CleanJobText(RWWString& text, bool useDefault, const RWWString& defaultName,
                             const RWWString& fallback);
    // 1 when every character of the text is one a job name may hold.
    static bool CheckJobCharacter(wchar_t c) { return c >= 0x20 && c <= 0x7E && c != L'"'; }
    // The host executable's file name after the last backslash, sent narrow with its zero.
    int SendHostFileName(HDC dc, const wchar_t* path);
    // Escape 0x303EB8E7 with a 512-byte answer: 1 with the name the rendering module
    // keeps, cut at byte 511.
    int QueryRenderJobName(HDC dc, RWWString& name);
    // The calling thread's user name, at most 16 characters; empty when unknown.
    static void ReadUserName(RWWString& name);
    // The printer's location (PRINTER_INFO_2 pLocation), empty when it has none.
    void ReadPrinterLocation(RWWString& location);
    // An empty text takes the default name, a text with no character a job name may
    // hold the fallback; the text is cut to 16 characters.
    static void CheckJobText(RWWString& text, const RWWString& defaultName, const RWWString& fallback);
    const RWWString& GetJobName() const { return jobName_; }
    // The narrow text of a wide one, with its terminating zero, at most limit bytes.
    static std::vector<char> NarrowText(const wchar_t* text, size_t limit = 4096);
    // The stamped copies this object made and has not freed.
    size_t OwnDevModeCopies() const { return ownCopies_.size(); }

    // The counters of the document this object's device context prints: pages ended
    // and the expected page count. Each document counts its own.
    uint32_t PagesEnded() const;
    uint32_t ExpectedPages() const;
    void SetExpectedPages(uint32_t pages);
    void ClearDocumentCounters();
    uint32_t PageCount() const { return pageCount_; }

    // Watermark angle in degrees of an angle mode on a page of horz x vert dots: 1 the
    // diagonal up, 3 the diagonal down (0..359), 2 vertical, 4 the custom angle, else 0.
    static int WatermarkAngle(int mode, int customAngle, int horz, int vert);
    // The colour of a watermark: level 255 reads as 232; grey or no channel or all
    // three channels give the level on every channel, else a channel that is on is 255.
    static COLORREF WatermarkColor(int level, bool grey, bool red, bool green, bool blue);

    // The watermark of a job, drawn at the end of each page through GDI.
    struct WatermarkRecord {
        RWWString text;
        uint32_t length = 0;
        LOGFONTW font = {};
        uint32_t positioned = 0;
        int32_t size = 0;
        COLORREF color = 0;
        int32_t level = 0;
        int32_t value1 = 0;
        int32_t value2 = 0;
        int32_t x = 0;
        int32_t y = 0;
        int32_t angleMode = 0;
        int16_t customAngle = 0;
    };
    // Sets the mode from the current settings and builds the selected watermark's
    // record; a name not in the list leaves mode 0. 1.
    int PrepareWatermark();
    // Draws when the mode is 2, or 1 while the page counter is 1: 1, or the text
    // drawing's result.
    int DrawWatermark(HDC dc);
    void BuildWatermarkRecord(GObjectBase* watermark);
    // 0 without a record, else 1 (a font that cannot be made draws nothing).
    int DrawWatermarkText(HDC dc);
    // The font of a watermark's text; null when GDI cannot make it.
    virtual HFONT CreateWatermarkFont(const LOGFONTW& font) { return CreateFontIndirectW(&font); }
    uint32_t WatermarkMode() const { return watermarkMode_; }
    // Takes a ready record and mode for the job, as a preview does with a watermark it
    // shows before the settings hold it.
    void UseWatermark(const WatermarkRecord& record, uint32_t mode);
    const WatermarkRecord* GetWatermarkRecord() const { return watermark_; }

    // Printer events (GDriverUIPrinterEvents.cpp): one handler per event, each taking the
    // printer name and the flags and giving the event's result.
    int OnAddConnection(const wchar_t* printerName, DWORD flags);
    int OnDeleteConnection(const wchar_t* printerName, DWORD flags);
    int OnPrinterInitialize(const wchar_t* printerName, DWORD flags);
    int OnPrinterDelete(const wchar_t* printerName, DWORD flags);
    int OnCacheRefresh(const wchar_t* printerName, DWORD flags);
    int OnCacheDelete(const wchar_t* printerName, DWORD flags);
    int OnOtherPrinterEvent(const wchar_t* printerName, DWORD flags);
    // The update stamps' date text, "MM/ DD/ YYYY"; the text of the services' local date,
    // empty when they give none.
    static RWWString FormatUpdateDate(int year, int month, int day);
    static RWWString UpdateDateText();
    // The pause between closing and reopening the printer at initialization.
    static constexpr DWORD kInitializePause = 3000;
    static void SetInitializePauseForTesting(DWORD milliseconds);
    static DWORD InitializePause();

    // The device property sheet (GDriverUIDeviceSheet.cpp), by reason.
    LONG DeviceSheet(PPROPSHEETUI_INFO info, LPARAM parameter, const DEVICEPROPERTYHEADER& header);
    // The common property sheet's entry, looked up at run time; a test may put its own
    // in place (null: the platform's again).
    typedef LONG(WINAPI* SheetRunner)(HWND window, void* callback, LPARAM parameter, LPDWORD result);
    static void SetSheetRunnerForTesting(SheetRunner runner);
    // The printer upgrade (GDriverUIUpgrade.cpp): the mass-storage devices whose switch
    // an upgrade carries over.
    static constexpr int kFirstUpgradedDevice = 6;
    static constexpr int kLastUpgradedDevice = 9;

    // ---- Job storage, the job notice and the keystroke job (GDriverUIDocument.cpp) ----
    // What the job-storage notice shows.
    struct JobNotice {
        RWWString userName;
        RWWString jobName;
        RWWString printerName;
        RWWString location;
        RWWString resourceLibrary;
    };
    // Shows a notice and waits for it to close: 1 when it was shown; dontShowAgain when
    // the user asked not to see it again. The user-interface layer registers it.
    typedef int (*JobNoticeShower)(const JobNotice& notice, bool& dontShowAgain);
    // Registers the shower: the one it replaces.
    static JobNoticeShower SetJobNoticeShower(JobNoticeShower shower);
    static JobNoticeShower GetJobNoticeShower();
    // The STARTDOCPOST steps: the watermark, the job name and notice of a stored job,
    // the page counts. 0.
    int StartDocPost(HDC dc);
    // 1 when the per-user "LocalJobStorage" of this printer exists.
    bool LocalJobStorageExists();
    // 1 when the user asked not to see the job-storage notice again.
    bool JobNoticeDismissed();
    // The notice of the current job: user name (1026 under 362, else the thread's user),
    // job name, printer, its location and the resource library.
    void PrepareJobNotice();
    const JobNotice& GetJobNotice() const { return notice_; }
    // What a document's keystroke job begins with: the system version, the copies (291
    // under 364 of the settings), option 434 (the configuration's, else the settings'),
    // the document's output (else the port) and its name.
    static GKsJobPluginHolder::JobDescription KsJobDescription(GObjectBase* settings, GObjectBase* configuration,
                                                                const DOCINFOW* document, const RWWString& port);
    // The core's job-storage mode word: 1 makes ENDDOCPOST keep "LocalJobStorage" = 1.
    uint32_t GetJobStorageMode() const { return jobStorageMode_; }
    void SetJobStorageMode(uint32_t mode) { jobStorageMode_ = mode; }

private:
    INT DevModeCopy(const DEVMODEW* devMode, bool stamp, PVOID output);
    INT DevModeMerge(const DEVMODEW* copy);
    void FreeOwnCopies();
    void SendHostInformation(HDC dc);
    void BeginPluginJob(const DOCINFOW* document);
    void EndPluginJob(uint32_t aborted);
    static DWORD WINAPI JobNoticeThread(void* self);

    std::vector<DEVMODEW*> ownCopies_;
    HANDLE noticeThread_ = nullptr;
    uint32_t watermarkMode_ = 0;
    uint32_t watermarkPage_ = 0;
    uint32_t watermarkSkip_ = 0;
    uint32_t watermarkGrey_ = 0;
    WatermarkRecord* watermark_ = nullptr;
    JobNotice notice_;
    RWWString noticeKey_;
    uint32_t jobStorageMode_ = 0;
    GKsJobPluginHolder* ksHolder_ = nullptr;

    // Closes the handle opened on demand for one entry call.
    struct CallScope {
        explicit CallScope(GDriverUI& ui) : ui_(ui) {}
        ~CallScope();
        GDriverUI& ui_;
    };
    DWORD Capability(WORD capability, PVOID output);
    // The driver object's current settings, loaded again when stale or missing (always
    // with reload).
    GObjectBase* CurrentSettings(bool reload = false);
    DWORD Bins(WORD* numbers, wchar_t* names);
    DWORD Resolutions(LONG* pairs);
    DWORD Extent(uint16_t mediaId);
    DWORD Duplex();
    void FreePaperCache();

    HANDLE callerHandle_;
    HANDLE ownHandle_;
    uint32_t useOwn_;
    HANDLE onDemandHandle_;
    uint32_t paperCount_;
    std::vector<wchar_t> paperNames_;
    std::vector<WORD> paperCodes_;
    std::vector<POINT> paperSizes_;
    wchar_t hostPath_[MAX_PATH];
    RWWString jobName_;
    UIContextRecord* uiContext_;
    GCPSOSUI* sheetGlue_;
    uint32_t pageCount_;
    // The document's counters: its own, so that documents printing at once on other
    // threads never clear or count each other's pages.
    std::atomic<uint32_t> pagesEnded_{0};
    std::atomic<uint32_t> expectedPages_{0};
    uint32_t drawMode_;
    uint32_t drawSuppressed_;
    RWWString* ownedString_;
    uint32_t ticket_;
    // Learnt once for the printer this object serves, not at every call: whether an own
    // handle with full access opens (-1 not yet tried), and the custom size's paper name
    // from the resource library (loading the library is a file mapping each time).
    int32_t ownHandleOpens_ = -1;
    bool customSizeNameRead_ = false;
    RWWString customSizeName_;
};
