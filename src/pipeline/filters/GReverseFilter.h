// Sends the pages of a document on last first. Printed on both sides on letterhead, it
// keeps the sheets right: a blank page goes where a page cannot share a sheet with the
// page before it, and an odd page count is padded with a blank page.
#pragma once

#include "foundation/RWCString.h"
#include "model/GCountedRef.h"
#include "pipeline/filters/GPageSpoolFilterOf.h"

// What the filter keeps of the document at hand: each document decides its letterhead
// handling again.
struct GReverseJob {
    uint32_t letterhead = 0;
    GCountedRef firstPageState;
    uint16_t lastTray = 0;
    uint32_t blankNeeded = 0;
    RWCString lastMediaType;
};

// A break sends the document held so far on, reversed.
inline constexpr GSpoolFilterData kReverseSpool = {L".rpg", L".rft", 1, 0};

class GReverseFilter : public GPageSpoolFilterOf<GReverseFilter, 1109, GReverseJob, kReverseSpool> {
public:
    static constexpr const char* kClassName = "GReverseFilter";
    GReverseFilter* CreateNew() const override { return new GReverseFilter; }
    GReverseFilter* Copy() const override { return new GReverseFilter(*this); }

    using GPageSpoolFilterOf::GPageSpoolFilterOf;

    uint32_t InLetterheadMode() const { return job_.letterhead; }
    // The letterhead handling's bookkeeping of the pages' paper.
    int16_t OnPageStart(GPageStart& command) override;
    int16_t OnPageEnd(GPageEnd& command) override;

protected:
    int Acts(GDocumentStart& command) override;
    void ReplayPages() override;
    void BeforePageAppended() override;
    void AddClosingPages() override;
};
