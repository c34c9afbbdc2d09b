// The empty base of the graphic-state attributes (pens, brushes, caps and joins,
// clipping, fill mode, raster operation, colour options).
#pragma once

#include "model/GAttribute.h"

class GGraphicAttribute : public GAttribute {
public:
    static constexpr RWClassID kClassId = 754;

    GGraphicAttribute();
    explicit GGraphicAttribute(const long& id);
    GGraphicAttribute(const GGraphicAttribute& other) = default;
    GGraphicAttribute& operator=(const GGraphicAttribute& other) = default;
    ~GGraphicAttribute() override;

    uint32_t BinaryStoreSize() const override;
    // A version word, read back and ignored.
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;
    bool IsKindOf(RWClassID classId) const override;
};
