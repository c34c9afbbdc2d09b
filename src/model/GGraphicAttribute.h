// The empty base of the graphic-state attributes (pens, brushes, caps and joins,
// clipping, fill mode, raster operation, colour options).
#pragma once

#include "model/GAttribute.h"

class GGraphicAttribute : public GStoredLevel<GGraphicAttribute, GAttribute, 754> {
public:
    GGraphicAttribute();
    explicit GGraphicAttribute(const long& id);
    GGraphicAttribute(const GGraphicAttribute& other) = default;
    GGraphicAttribute& operator=(const GGraphicAttribute& other) = default;
    ~GGraphicAttribute() override;

    // A version word, read back and ignored.
    auto StoredForm() { return GFields(); }

};
