// A media option: one primary value (the paper-size feature control reads it) with the
// list of 16-bit values that go with it.
#pragma once

#include "model/GValueListAttribute.h"

class GOptMediaComposite : public GPersistent<GOptMediaComposite, GValueListAttribute, 796> {
public:
    static constexpr const char* kClassName = "GOptMediaComposite";
    auto StoredForm() { return GNoFields(); }
    GOptMediaComposite* CreateNew() const override { return new GOptMediaComposite; }
    GOptMediaComposite* Copy() const override { return new GOptMediaComposite(*this); }

    // Primary and second value 0 until a restore sets them; an empty list.
    GOptMediaComposite();
    GOptMediaComposite(uint16_t primary, uint16_t second);
    GOptMediaComposite(const GOptMediaComposite& other) = default;
    GOptMediaComposite& operator=(const GOptMediaComposite& other) = default;
    ~GOptMediaComposite() override;


    // Appends one value.
    void AddValue(uint16_t value);
};
