// The colour option value that chooses the enhanced halftone.
// GHalftone and GHalftoneEnhanced share class id 790; both are registered in GHalftone.cpp,
// so that a creation by the id gives a GHalftoneEnhanced and one by name the class named.
#pragma once

#include "model/GChromafitOption.h"

class GHalftoneEnhanced
    : public GChromafitOptionOf<GHalftoneEnhanced, GSharedIdLevel<GHalftoneEnhanced, GChromafitOption, 790>, 40,
                                kHalftoneMapId, &GAttributeVisitor::ApplyHalftoneEnhanced> {
public:
    static constexpr const char* kClassName = "GHalftoneEnhanced";
    GHalftoneEnhanced* CreateNew() const override { return new GHalftoneEnhanced; }
    GHalftoneEnhanced* Copy() const override { return new GHalftoneEnhanced(*this); }

    GHalftoneEnhanced();
    GHalftoneEnhanced(uint32_t option, const long& id);
    GHalftoneEnhanced(const GHalftoneEnhanced& other) = default;
    GHalftoneEnhanced& operator=(const GHalftoneEnhanced& other) = default;
    ~GHalftoneEnhanced() override;
};
