// The base of the clip attributes: what is drawn is cut to the page, a path or
// rectangles.
#pragma once

#include "model/GGraphicAttribute.h"

class GClipAttribute : public GStoredLevel<GClipAttribute, GGraphicAttribute, 756> {
public:
    GClipAttribute();
    explicit GClipAttribute(const long& id);
    GClipAttribute(const GClipAttribute& other) = default;
    GClipAttribute& operator=(const GClipAttribute& other) = default;
    ~GClipAttribute() override;
};
