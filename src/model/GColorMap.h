// The colour option value that chooses the colour map.
#pragma once

#include "model/GChromafitOption.h"

class GColorMap
    : public GChromafitOptionOf<GColorMap, GPersistent<GColorMap, GChromafitOption, 791>, 15,
                                kColorMapMapId, &GAttributeVisitor::ApplyColorMap> {
public:
    static constexpr const char* kClassName = "GColorMap";
    GColorMap* CreateNew() const override { return new GColorMap; }
    GColorMap* Copy() const override { return new GColorMap(*this); }

    GColorMap();
    GColorMap(uint32_t option, const long& id);
    GColorMap(const GColorMap& other) = default;
    GColorMap& operator=(const GColorMap& other) = default;
    ~GColorMap() override;
};
