// The colour option value that chooses how neutral grays print.
#pragma once

#include "model/GChromafitOption.h"

class GNeutralGrays
    : public GChromafitOptionOf<GNeutralGrays, GPersistent<GNeutralGrays, GChromafitOption, 798>, 70,
                                kNeutralGraysMapId, &GAttributeVisitor::ApplyNeutralGrays> {
public:
    static constexpr const char* kClassName = "GNeutralGrays";
    GNeutralGrays* CreateNew() const override { return new GNeutralGrays; }
    GNeutralGrays* Copy() const override { return new GNeutralGrays(*this); }

    GNeutralGrays();
    GNeutralGrays(uint32_t option, const long& id);
    GNeutralGrays(const GNeutralGrays& other) = default;
    GNeutralGrays& operator=(const GNeutralGrays& other) = default;
    ~GNeutralGrays() override;
};
