// Puts a blank cover sheet after the last page of a job, from the cover tray on the
// cover's media type, or on the first page's paper. On both sides a filler page first
// makes the cover start a sheet of its own.
#pragma once

#include "foundation/RWCString.h"
#include "pipeline/filters/GCoverFilter.h"

class GCommandProducer;

// Its work starts at the document end.
class GBackCoverFilter : public GCoverFilter<GBackCoverFilter, 1111, kDocumentEndClassId> {
public:
    static constexpr const char* kClassName = "GBackCoverFilter";
    GBackCoverFilter* CreateNew() const override { return new GBackCoverFilter; }
    GBackCoverFilter* Copy() const override { return new GBackCoverFilter(*this); }

    using GCoverFilter::GCoverFilter;
    GBackCoverFilter() = default;
    // The peripheral part only: nothing of a job in progress.
    GBackCoverFilter(const GBackCoverFilter& other) : GCoverFilter(other) {}

    int16_t OnDocumentStart(GDocumentStart& command) override;

    uint16_t GetCoverMode() const { return coverMode_; }
    int32_t GetPageCount() const { return pageCount_; }
    uint16_t GetCoverTray() const { return coverTray_; }
    const RWCString& GetCoverMediaType() const { return coverMediaType_; }

protected:
    GCountedRef Work(GCommand& documentEnd, const GCountedRef& held) override;
    void See(GCommand& command) override;

private:
    void SeePage(GState* state);
    GCountedRef CoverPages(GCommand& documentEnd);
    void AddCoverPage(GCommand* composite, uint16_t twoSided, bool setTwoSided);

    GCountedRef lastPageState_;
    int32_t pageCount_ = 0;
    int32_t pagesSeen_ = 0;
    GCommandProducer* producer_ = nullptr;
    uint16_t coverMode_ = 0;
    uint16_t twoSided_ = 0;
    uint16_t coverTray_ = 0;
    RWCString coverMediaType_;
    uint16_t lastMediaId_ = 0;
    uint16_t lastTray_ = 0;
    RWCString lastMediaType_;
    int32_t manualDuplexPossible_ = 0;
    int32_t letterheadMode_ = 0;
    int32_t letterheadHandling_ = 0;
    GCountedRef jobMedia_;
};
