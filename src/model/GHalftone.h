// The colour option value that chooses the halftone.
// GHalftone and GHalftoneEnhanced share class id 790; both are registered in GHalftone.cpp,
// so that a creation by the id gives a GHalftoneEnhanced and one by name the class named.
#pragma once

#include "model/GChromafitOption.h"

class GHalftone
    : public GChromafitOptionOf<GHalftone, GSharedIdLevel<GHalftone, GChromafitOption, 790>, 40,
                                kHalftoneMapId, &GAttributeVisitor::ApplyHalftone> {
public:
    static constexpr const char* kClassName = "GHalftone";
    GHalftone* CreateNew() const override { return new GHalftone; }
    GHalftone* Copy() const override { return new GHalftone(*this); }

    GHalftone();
    GHalftone(uint32_t option, const long& id);
    GHalftone(const GHalftone& other) = default;
    GHalftone& operator=(const GHalftone& other) = default;
    ~GHalftone() override;
};
