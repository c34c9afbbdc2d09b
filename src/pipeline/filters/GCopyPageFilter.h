// Makes the copies of a job in the driver instead of the device: when the printer's
// option for the job marks it "LOW" and two or more copies are asked, the device's copy
// counts go to 1 and each page is sent on as many times as copies were asked, one copy
// after the other (page 1 n times, then page 2 n times ...).
#pragma once

#include "pipeline/filters/GPageSpoolFilterOf.h"

// What the filter keeps of the document at hand.
struct GCopyPageJob {
    uint32_t extraCopies = 0;
    uint16_t copyCount = 1;
};

// A break sends the copies made so far on; the pages after it stay held.
inline constexpr GSpoolFilterData kCopyPageSpool = {L".cpg", L".cft", 1, 1};

class GCopyPageFilter : public GPageSpoolFilterOf<GCopyPageFilter, 1113, GCopyPageJob, kCopyPageSpool> {
public:
    static constexpr const char* kClassName = "GCopyPageFilter";
    GCopyPageFilter* CreateNew() const override { return new GCopyPageFilter; }
    GCopyPageFilter* Copy() const override { return new GCopyPageFilter(*this); }

    using GPageSpoolFilterOf::GPageSpoolFilterOf;

    int16_t OnPageStart(GPageStart& command) override;
    int16_t OnPageEnd(GPageEnd& command) override;
    uint16_t GetCopyCount() const { return job_.copyCount; }

protected:
    int Acts(GDocumentStart& command) override;
    uint32_t CopiesOfWholePage(GObjectBase* page) override;
};
