// A raster image already scaled to its destination by the producer; the writers tell
// it apart through IsPreScaled.
#pragma once

#include "graphics/GRasterGraphic.h"

class GPreScaledRasterGraphic : public GPersistent<GPreScaledRasterGraphic, GRasterGraphic, 609> {
public:
    static constexpr const char* kClassName = "GPreScaledRasterGraphic";
    GPreScaledRasterGraphic* CreateNew() const override { return new GPreScaledRasterGraphic; }
    GPreScaledRasterGraphic* Copy() const override { return new GPreScaledRasterGraphic(*this); }

    GPreScaledRasterGraphic();
    GPreScaledRasterGraphic(GBitmap image, GState* state, GRect source, GRect destination, GBitmap second);
    GPreScaledRasterGraphic(GBitmap image, GRect source, GRect destination, GBitmap second, GState* state,
                            const long& id);
    GPreScaledRasterGraphic(const GPreScaledRasterGraphic& other) = default;
    GPreScaledRasterGraphic& operator=(const GPreScaledRasterGraphic& other) = default;
    ~GPreScaledRasterGraphic() override;

    uint32_t IsPreScaled() const override { return 1; }

    auto StoredForm() { return GFields(); }
};
