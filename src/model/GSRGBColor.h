// The colour option value that chooses sRGB colour matching.
#pragma once

#include "model/GChromafitOption.h"

class GSRGBColor
    : public GChromafitOptionOf<GSRGBColor, GPersistent<GSRGBColor, GChromafitOption, 800>, 98,
                                kSRGBMapId, &GAttributeVisitor::ApplySRGBColor> {
public:
    static constexpr const char* kClassName = "GSRGBColor";
    GSRGBColor* CreateNew() const override { return new GSRGBColor; }
    GSRGBColor* Copy() const override { return new GSRGBColor(*this); }

    GSRGBColor();
    GSRGBColor(uint32_t option, const long& id);
    GSRGBColor(const GSRGBColor& other) = default;
    GSRGBColor& operator=(const GSRGBColor& other) = default;
    ~GSRGBColor() override;
};
