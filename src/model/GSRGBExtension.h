// The colour option value that chooses the sRGB extension.
#pragma once

#include "model/GChromafitOption.h"

class GSRGBExtension
    : public GChromafitOptionOf<GSRGBExtension, GPersistent<GSRGBExtension, GChromafitOption, 1202>, 100,
                                kSRGBMapId, &GAttributeVisitor::ApplySRGBExtension> {
public:
    static constexpr const char* kClassName = "GSRGBExtension";
    GSRGBExtension* CreateNew() const override { return new GSRGBExtension; }
    GSRGBExtension* Copy() const override { return new GSRGBExtension(*this); }

    GSRGBExtension();
    GSRGBExtension(uint32_t option, const long& id);
    GSRGBExtension(const GSRGBExtension& other) = default;
    GSRGBExtension& operator=(const GSRGBExtension& other) = default;
    ~GSRGBExtension() override;
};
