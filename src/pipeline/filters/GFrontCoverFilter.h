// Puts a blank cover sheet from the cover tray, on the cover's media type, in front of
// the first page of a job. On letterhead or preprinted paper that the duplex unit takes,
// a one-sided job's cover runs through the two-sided path with both sides blank, so that
// the paper's printed side comes out as on the other sheets.
#pragma once

#include "foundation/RWCString.h"
#include "pipeline/filters/GCoverFilter.h"

class GCommandProducer;
class GDriverObject;
class GMedia;

// Its work starts at the first page start.
class GFrontCoverFilter : public GCoverFilter<GFrontCoverFilter, 1118, kPageStartClassId> {
public:
    static constexpr const char* kClassName = "GFrontCoverFilter";
    GFrontCoverFilter* CreateNew() const override { return new GFrontCoverFilter; }
    GFrontCoverFilter* Copy() const override { return new GFrontCoverFilter(*this); }

    using GCoverFilter::GCoverFilter;
    GFrontCoverFilter() = default;
    // The peripheral part only: nothing of a job in progress.
    GFrontCoverFilter(const GFrontCoverFilter& other) : GCoverFilter(other) {}

    int16_t OnDocumentStart(GDocumentStart& command) override;

    // What both cover filters decide alike.
    // 1 when letterhead mode (1240) is on, the job prints one page per sheet (266 of
    // 329; a job without them does not) one-sided, and 1229 does not cancel it.
    static int LetterheadHandling(GState* jobState);
    // 1 when the duplex unit takes the paper of the state's media: a listed media id of
    // configuration list 188, or a user form the driver object finds a media for.
    static int DuplexTakesPaper(GState* state, GDriverObject* driver);
    // "Preprinted" or "Letterhead".
    static int IsPrintedPaper(const RWCString& mediaType);
    // A deep copy of the state whose media (the state's own, else a copy of the job's)
    // has the media type, and whose tray (258) is the one given.
    static GState* CoverState(const GState* model, const GMedia* jobMedia, const RWCString& mediaType, uint16_t tray,
                              bool addTray);

    uint16_t IsCoverOn() const { return coverOn_; }
    int32_t InLetterheadHandling() const { return letterheadHandling_; }

protected:
    GCountedRef Work(GCommand& pageStart, const GCountedRef& held) override;
    void See(GCommand& command) override;

private:
    GCountedRef CoverPages(GCommand& pageStart);

    GCommandProducer* producer_ = nullptr;
    int32_t pageCount_ = 0;
    uint16_t twoSided_ = 0;
    uint16_t coverOn_ = 0;
    uint16_t coverTray_ = 0;
    RWCString coverMediaType_;
    int32_t letterheadMode_ = 0;
    int32_t letterheadHandling_ = 0;
    // The job's media, for pages whose state carries none.
    GCountedRef jobMedia_;
};
