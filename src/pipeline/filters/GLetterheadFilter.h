// For two-sided jobs on letterhead paper on a printer configured for it: marks the job
// (710) and turns every page half round, so that the printed side and edge of the paper
// come out right through the two-sided path.
#pragma once

#include "printer/GPeripheral.h"

class GCommandProducer;

class GLetterheadFilter : public GPersistent<GLetterheadFilter, GPeripheral, 1114> {
public:
    static constexpr const char* kClassName = "GLetterheadFilter";
    GLetterheadFilter* CreateNew() const override { return new GLetterheadFilter; }
    GLetterheadFilter* Copy() const override { return new GLetterheadFilter(*this); }

    GLetterheadFilter();
    explicit GLetterheadFilter(const long& id);
    GLetterheadFilter(const GLetterheadFilter& other);
    ~GLetterheadFilter() override;

    bool IsSame(const GObjectBase* other) const override;
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    GCountedRef ProcessCommand(const GCountedRef& command) override;
    void AbsorbState(GState*) override {}
    void ApplyState(const long&) override {}
    uint32_t QueryFlags() override { return 0; }

    int32_t IsActing() const { return acting_; }

    auto StoredForm() { return GFields(); }

private:
    void Decide(GState* jobState);

    GCommandProducer* producer_ = nullptr;
    int32_t acting_ = 0;
};
