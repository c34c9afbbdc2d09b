// The base of every attribute: one named setting of the driver (a feature id with a
// value) that can be stored, compared, copied and applied to a peripheral. Applying is
// double dispatch: ApplyTo calls the visitor's operation for the attribute's class.
//
// The state word is 1 while the attribute still has to be applied; the composites'
// ApplyTo clears it.
#pragma once

#include "model/GPersistent.h"

class GAttributeVisitor;

class GAttribute : public GStoredLevel<GAttribute, GObjectBase, 753> {
public:
    GAttribute();
    explicit GAttribute(const long& id);
    GAttribute(const GAttribute& other) = default;
    GAttribute& operator=(const GAttribute& other) = default;
    ~GAttribute() override;

    GAttribute* CreateNew() const override = 0;
    GAttribute* Copy() const override = 0;

    // When other Differs: copies its id, serial and state word and answers the state
    // word copied; otherwise changes nothing and answers 0. Values are not copied.
    virtual int32_t Assign(const GAttribute* other);
    // Calls the visitor's operation for this attribute's class: its 16-bit status.
    virtual int16_t ApplyTo(GAttributeVisitor& visitor) = 0;

    int32_t GetStateWord() const { return state_; }
    void SetStateWord(int32_t state) { state_ = state; }

    auto StoredForm() { return GFields(state_); }

private:
    int32_t state_;
};
