// The colour option value that chooses edge control.
#pragma once

#include "model/GChromafitOption.h"

class GEdgeControl
    : public GChromafitOptionOf<GEdgeControl, GPersistent<GEdgeControl, GChromafitOption, 799>, 93,
                                kEdgeControlMapId, &GAttributeVisitor::ApplyEdgeControl> {
public:
    static constexpr const char* kClassName = "GEdgeControl";
    GEdgeControl* CreateNew() const override { return new GEdgeControl; }
    GEdgeControl* Copy() const override { return new GEdgeControl(*this); }

    GEdgeControl();
    GEdgeControl(uint32_t option, const long& id);
    GEdgeControl(const GEdgeControl& other) = default;
    GEdgeControl& operator=(const GEdgeControl& other) = default;
    ~GEdgeControl() override;
};
