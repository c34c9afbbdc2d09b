// A booklet setting: a primary value with a list of 16-bit values filled in pairs.
#pragma once

#include "model/GValueListAttribute.h"

class GBookletComposite : public GPersistent<GBookletComposite, GValueListAttribute, 794> {
public:
    static constexpr const char* kClassName = "GBookletComposite";
    auto StoredForm() { return GNoFields(); }
    GBookletComposite* CreateNew() const override { return new GBookletComposite; }
    GBookletComposite* Copy() const override { return new GBookletComposite(*this); }

    // Primary and second value 0 until a restore sets them; an empty list.
    GBookletComposite();
    GBookletComposite(uint16_t primary, uint16_t second);
    GBookletComposite(const GBookletComposite& other) = default;
    GBookletComposite& operator=(const GBookletComposite& other) = default;
    ~GBookletComposite() override;


    // Appends a, then b.
    void AddPair(uint16_t a, uint16_t b);
};
