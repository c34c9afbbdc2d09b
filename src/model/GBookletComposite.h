// A booklet setting: a primary value with a list of 16-bit values filled in pairs.
#pragma once

#include "model/GValueListAttribute.h"

class GBookletComposite : public GValueListAttribute {
public:
    static constexpr RWClassID kClassId = 794;

    // Primary and second value 0 until a restore sets them; an empty list.
    GBookletComposite();
    GBookletComposite(uint16_t primary, uint16_t second);
    GBookletComposite(const GBookletComposite& other) = default;
    GBookletComposite& operator=(const GBookletComposite& other) = default;
    ~GBookletComposite() override;

    GBookletComposite* CreateNew() const override;
    GBookletComposite* Copy() const override;
    RWClassID ClassId() const override;
    bool IsKindOf(RWClassID classId) const override;

    // Appends a, then b.
    void AddPair(uint16_t a, uint16_t b);
};
