// The base of the colour classes: a colour can give its fourth byte (the one beside
// red, green and blue) and copy itself as an RGB colour into storage the caller
// provides.
#pragma once

#include "model/GPersistent.h"

#include <cstdint>

class GRGBColor;

class GColorBase : public GStoredLevel<GColorBase, GObjectBase, 51> {
public:
    GColorBase();
    explicit GColorBase(const long& id);
    GColorBase(const GColorBase& other) = default;
    GColorBase& operator=(const GColorBase& other) = default;
    ~GColorBase() override;

    // Sets the fourth byte and answers it.
    virtual uint8_t SetFourthByte(uint8_t value) = 0;
    virtual uint8_t GetFourthByte() const = 0;
    // Constructs an RGB colour equal to this one in the storage given.
    virtual void CopyAsRGB(GRGBColor* storage) const = 0;

    // Only the version word.
    auto StoredForm() { return GFields(); }
};

// Read one colour reference: a new colour or one read before. Anything that is not a
// colour is refused and gives null.
RWBinaryFile& operator>>(RWBinaryFile& file, GColorBase*& color);
RWDataInStream& operator>>(RWDataInStream& stream, GColorBase*& color);
