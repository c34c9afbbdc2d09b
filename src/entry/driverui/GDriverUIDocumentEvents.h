// The document events of the driver UI object, from CREATEDCPRE to DELETEDC: the stamped
// DEVMODE copies, the private escapes that tell the rendering module about the host and
// the job, the watermark drawn at the end of each page, the job name and notice of a
// stored job, the manual-duplex escape and instructions, and the keystroke job. Every
// private escape of a document goes through SendEscape, the one place that reaches the
// rendering module (ExtEscape on the event's DC).
#pragma once

#include "entry/driverui/GKsJobPluginHolder.h"
#include "entry/module/GDriverUIOperations.h"
#include "entry/sheet/UIContextRecord.h"
#include "foundation/RWWString.h"

#include <atomic>
#include <cstdint>
#include <vector>

class GDriverUI;
class GObjectBase;

class GDriverUIDocumentEvents {
public:
    explicit GDriverUIDocumentEvents(GDriverUI& ui);
    virtual ~GDriverUIDocumentEvents();
    GDriverUIDocumentEvents(const GDriverUIDocumentEvents&) = delete;
    GDriverUIDocumentEvents& operator=(const GDriverUIDocumentEvents&) = delete;

    INT DocumentEvent(HDC dc, INT escape, ULONG inputSize, PVOID input, ULONG outputSize, PVOID output);

    virtual int SendEscape(HDC dc, int code, int inputSize, const void* input, int outputSize, void* output);
    // At ENDDOC: the manual-duplex escape {0xCFC14711, flag, 0} when features 253 and 245
    // are both non-zero, and with flag 1, an escape answered 1 and no feature 1010 the
    // manual-duplex dialog. Always 1.
    int ManualDuplexEscape(HDC dc, uint32_t flag);
    // At ENDDOCPOST: 1 when the manual-duplex instructions are to be shown.
    int ManualDuplexWanted(uint32_t pagesEnded, uint32_t expectedPages);
    // Shows the manual duplex instructions through the sheet glue when duplex printing
    // (253) and manual duplex (245) are both on, then closes the own handle. 1.
    virtual int ShowManualDuplexDialog();
    // Points a UI context at the sheet callback of a dialog shown without a sheet (the
    // module's exported NonPropPageSheet), with the module handle as the sheet handle
    // and the document pages.
    static void UseNonPropPageSheet(UIContextRecord* record);
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

    // ---- Job storage, the job notice and the keystroke job ----
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

protected:
    GDriverUI& ui_;

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
    RWWString jobName_;
    uint32_t pageCount_ = 0;
    // The document's counters: its own, so that documents printing at once on other
    // threads never clear or count each other's pages.
    std::atomic<uint32_t> pagesEnded_{0};
    std::atomic<uint32_t> expectedPages_{0};
};
