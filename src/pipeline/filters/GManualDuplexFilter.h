// Prints a two-sided job on a printer that cannot turn the sheets for this job by
// itself: the job's own duplex setting is switched off, every page is spooled, and the
// pages go on in two passes, one for each side, with trays and orientations set so that
// the stack can be turned over by hand and fed again. The first pass goes on at the
// document break (718) with the held document start at its head, the second at the
// document end.
#pragma once

#include "foundation/RWCString.h"
#include "model/GCountedRef.h"
#include "pipeline/filters/GPageSpoolFilter.h"
#include "pipeline/filters/GTakeOverCheck.h"

class GConfiguration;
class GDriverObject;
class GState;

class GManualDuplexFilter : public GPersistent<GManualDuplexFilter, GPageSpoolFilter, 1110>, public GTakeOverCheck {
public:
    static constexpr const char* kClassName = "GManualDuplexFilter";
    GManualDuplexFilter* CreateNew() const override { return new GManualDuplexFilter; }
    GManualDuplexFilter* Copy() const override { return new GManualDuplexFilter(*this); }

    GManualDuplexFilter();
    // The fixed tray: the tray of every first page; 0 takes the job's first page's tray.
    explicit GManualDuplexFilter(const long& id, uint16_t fixedTray = 0);
    GManualDuplexFilter(const GManualDuplexFilter& other);
    ~GManualDuplexFilter() override;

    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    int16_t OnDocumentEnd(GDocumentEnd& command) override;
    int16_t OnDocumentEvent(GCommand& command) override;
    int16_t OnPageStart(GPageStart& command) override;

    // What the filter decides at a document start, without changing anything: whether
    // it takes the job over, and what it would set in the job state.
    struct Decision {
        int takesOver = 0;
        // 1: 253 := 0 in the job state; markTakenOver: 1123 := 1.
        int clearsDuplex = 0;
        int marksTakenOver = 0;
        uint16_t duplexMode = 0;
        int32_t manualMode = 0;
        int lastPageDiffers = 0;
        uint16_t lastPageTray = 0;
        RWCString lastPageMediaType;
        RWCString mediaType;
    };
    static Decision Decide(GState* jobState, GDriverObject* driver);
    // 1 when the filter would take a job of this state over on the driver object's
    // printer (the media texts, the duplex unit and the configured manual mode decide);
    // nothing changes. The front cover and booklet filters ask it.
    static int WouldTakeOver(GState* jobState, GDriverObject* driver) { return Decide(jobState, driver).takesOver; }
    // The same question as the booklet filter asks it through the class factory. The
    // media types it names are the job state's own cover texts, which the decision reads
    // from the state itself.
    int WouldTakeOver(GObjectBase* jobState, GCommandProducer* producer,
                      const std::vector<RWCString>& mediaTypes) override;

    // The replay orders: odd pages ascending, odd descending, even ascending, even
    // descending.
    enum Order : int32_t { kOddUp = 0, kOddDown = 1, kEvenUp = 2, kEvenDown = 3 };
    // The page numbers (1-based) an order gives for a document of that many pages; with
    // one page in the first pass, the even orders give it and the odd ones none.
    static std::vector<uint32_t> PagesInOrder(int32_t order, uint32_t pages, uint32_t firstPassPages);

    uint16_t GetFixedTray() const { return fixedTray_; }
    int32_t GetFirstPassOrder() const { return firstOrder_; }
    int32_t GetSecondPassOrder() const { return secondOrder_; }
    int32_t GetCopies() const { return copies_; }

    auto StoredForm() { return GFields(fixedTray_); }

protected:
    int Acts(GDocumentStart& command) override;
    const wchar_t* PageExtension() const override { return L".dpg"; }
    const wchar_t* FontExtension() const override { return L".dft"; }
    void ResetFilterFlags() override;
    int ReplaysOnBreak() const override { return 1; }
    int KeepsDocumentAfterBreak() const override { return 1; }
    int CountsAtPageEnd() const override { return 1; }
    void TakingWholePage(GObjectBase* page) override;

private:
    // The page preparation at each page start, before the page is spooled.
    void PreparePage(GState* state);
    void ResolvePassOrders();
    // The tray a page of the first-printed pass takes when it asks for tray 18.
    uint16_t PassTray(uint16_t tray);
    // The first pass into the replay composite, with the break after it when given.
    int16_t RunFirstPass(GCommand* breakCommand);
    // One pass, copies times.
    void ReplayPass(int32_t order);
    void EmitPage(GObjectBase* page, int32_t order, uint32_t k);
    GConfiguration* Configuration() const;

    uint16_t fixedTray_ = 0;
    uint16_t laterTray_ = 0;
    GCountedRef firstPageState_;
    int32_t firstPassPages_ = 0;
    uint16_t outputBin_ = 0;
    uint16_t trayInUse_ = 0;
    uint16_t trayOfFirstPage_ = 0;
    uint16_t duplexMode_ = 0;
    int32_t manualMode_ = 0;
    int32_t firstOrder_ = 0;
    int32_t secondOrder_ = 0;
    int32_t trayLimit_ = -1;
    uint16_t firstTray_ = 0;
    int32_t ending_ = 0;
    int32_t firstPassSent_ = 0;
    int32_t lastPageDiffers_ = 0;
    RWCString lastPageMediaType_;
    uint16_t lastPageTray_ = 0;
    RWCString mediaType_;
    int32_t copies_ = 1;
};
