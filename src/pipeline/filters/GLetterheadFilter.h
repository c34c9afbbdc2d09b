// For two-sided jobs on letterhead paper on a printer configured for it: marks the job
// (710) and turns every page half round, so that the printed side and edge of the paper
// come out right through the two-sided path.
#pragma once

#include "pipeline/filters/GCoverFilter.h"

class GCommandProducer;

// Its work is at each page start.
class GLetterheadFilter : public GCoverFilter<GLetterheadFilter, 1114, kPageStartClassId> {
public:
    static constexpr const char* kClassName = "GLetterheadFilter";
    GLetterheadFilter* CreateNew() const override { return new GLetterheadFilter; }
    GLetterheadFilter* Copy() const override { return new GLetterheadFilter(*this); }

    using GCoverFilter::GCoverFilter;
    GLetterheadFilter() = default;
    // The peripheral part only: nothing of a job in progress.
    GLetterheadFilter(const GLetterheadFilter& other) : GCoverFilter(other) {}

    // The decision, on the job state taken from the command and given back.
    int16_t OnDocumentStart(GDocumentStart& command) override;

    int32_t IsActing() const { return acting_; }

protected:
    GCountedRef Work(GCommand& pageStart, const GCountedRef& held) override;

private:
    void Decide(GState* jobState);

    GCommandProducer* producer_ = nullptr;
    int32_t acting_ = 0;
};
