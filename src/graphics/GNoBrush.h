// The brush that fills nothing.
// It is applied through the peripheral's ApplyNoBrush.
#pragma once

#include "graphics/GBrush.h"

class GNoBrush : public GPersistent<GNoBrush, GBrush, 252> {
public:
    static constexpr const char* kClassName = "GNoBrush";
    GNoBrush* CreateNew() const override { return new GNoBrush; }
    GNoBrush* Copy() const override { return new GNoBrush(*this); }

    GNoBrush();
    explicit GNoBrush(const long& id);
    GNoBrush(const GNoBrush& other) = default;
    GNoBrush& operator=(const GNoBrush& other) = default;
    ~GNoBrush() override;

    // The same class and id; a paint is not compared.
    bool IsSame(const GObjectBase* other) const override;
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    // Only the version word.
    auto StoredForm() { return GFields(); }
};
