// Prints a job as a folded booklet: every page is held back, the page count is padded
// to a multiple of four with blank pages, and at the document end the pages go on in
// booklet order, two to a side, through an N-up filter of the booklet's own. With a
// cover source, a blank cover sheet from the cover tray wraps the booklet.
//
// The pages are spooled as the other spooling filters spool them, each page and its
// fonts to files of their own. One lock serves every booklet filter of the process:
// the pages of concurrent booklet jobs are spooled one at a time, each from its page
// start to its page end.
#pragma once

#include "foundation/RWCString.h"
#include "model/GCountedRef.h"
#include "pipeline/filters/GPageSpoolFilter.h"

#include <cstdint>
#include <vector>

class GCommandProducer;
class GNupFilter;
class GState;

class GBookletFilter : public GPersistent<GBookletFilter, GPageSpoolFilter, 1105> {
public:
    static constexpr const char* kClassName = "GBookletFilter";
    GBookletFilter* CreateNew() const override { return new GBookletFilter; }
    GBookletFilter* Copy() const override { return new GBookletFilter(*this); }

    // What QueryFlags answers while a booklet is made.
    static constexpr uint32_t kFlags = 62;
    static constexpr const char* kInnerFilterName = "Booklet::NupFilter";

    GBookletFilter();
    explicit GBookletFilter(const long& id);
    GBookletFilter(const GBookletFilter& other);
    ~GBookletFilter() override;

    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    void Reset() override;
    GCountedRef ProcessCommand(const GCountedRef& command) override;
    std::pair<float, float> GetScale(void* context, void* device, void* page, uint32_t* mode) override;
    uint32_t QueryFlags() override { return IsHoldingDocument() ? flags_ : 0; }

    int16_t OnDocumentEnd(GDocumentEnd& command) override;
    int16_t OnDocumentEvent(GCommand& command) override;
    int16_t OnPageStart(GPageStart& command) override;
    int16_t OnPageEnd(GPageEnd& command) override;
    int16_t OnJobAbort(GJobAbort& command) override;

    // The pages of a booklet of n pages (a multiple of 4), numbered from 1, in the order
    // they go onto the sheets.
    static std::vector<uint32_t> BookletOrder(uint32_t n, uint16_t sheetOrder, int16_t binding);
    // The cover source may be used for the job: both sides printed, a producer, a cover
    // paper other than transparencies and labels, and no filter that would take the job
    // over on the cover paper.
    static int CoverCheck(GObjectBase* jobState, GCommandProducer* producer);

    int16_t GetBinding() const { return binding_; }
    uint32_t HasCoverSource() const { return coverSource_; }
    // True while this filter holds the booklet spool lock.
    bool HoldsSpoolLock() const { return lockHeld_ != 0; }

    auto StoredForm() { return GFields(); }

protected:
    int Acts(GDocumentStart& command) override;
    const wchar_t* PageExtension() const override { return L".pg"; }
    const wchar_t* FontExtension() const override { return L".fnt"; }
    void ReplayPages() override;
    void AddClosingPages() override;
    void ResetFilterFlags() override;
    int ReplaysOnBreak() const override { return 1; }

private:
    // Sends the replayed booklet through the two-up filter: its status.
    int16_t Impose(GCommandProducer* producer);
    void TakeLock();
    void LeaveLock();
    // The tray and media type of each side of the outermost sheet made alike.
    void AlignSides(std::vector<PageNode*>& pages);

    int16_t binding_ = 0;
    uint16_t sheetOrder_ = 0;
    uint16_t keptSetting_ = 0;
    uint32_t flags_ = 0;
    uint32_t coverSource_ = 0;
    uint16_t coverTray_ = 0;
    RWCString coverMediaType_;
    uint32_t coverPages_ = 0;
    GCountedRef blankState_;
    GCountedRef coverState_;
    GCountedRef jobState_;
    uint32_t lockHeld_ = 0;
};
