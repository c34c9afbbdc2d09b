// An attribute made of attributes: feature groups and whole settings sets are trees of
// it. Applying it applies every member that is still pending.
#pragma once

#include "model/GAttribute.h"
#include "model/GCompositeOf.h"

class GAttributeComposite
    : public GPersistent<GAttributeComposite, GCompositeOf<GAttribute, GAttributeComposite>, 757, true> {
public:
    static constexpr const char* kClassName = "GAttributeComposite";
    auto StoredForm() { return GNoFields(); }
    GAttributeComposite* CreateNew() const override { return new GAttributeComposite; }
    GAttributeComposite* Copy() const override { return new GAttributeComposite(*this); }

    GAttributeComposite();
    explicit GAttributeComposite(const long& id);
    // Id, serial and state word copied; members shared.
    GAttributeComposite(const GAttributeComposite& other);
    GAttributeComposite& operator=(const GAttributeComposite& other);
    ~GAttributeComposite() override;

    // Takes ownership: attributes are appended, anything else is dropped.
    void Add(GObjectBase* object) override;

    // From a composite of the same storage class and id: a copy of each of its members
    // is added; from any other attribute: a copy of it. Answers 1 when something was
    // taken; assigning the composite to itself changes nothing.
    int32_t Assign(const GAttribute* other) override;
    // Applies every pending member in order, then marks this composite applied: the
    // last non-zero status, or 0.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    // Marks the direct members and this composite pending (state word 1).
    virtual void MarkAllPending();
    // Marks the direct members and this composite applied (state word 0).
    virtual void MarkAllApplied();

private:
    void MarkAll(int32_t state);
};

extern template class GCompositeOf<GAttribute, GAttributeComposite>;
