// A setting whose value is a display string, held by value inside the attribute.
// Peripherals have no visitor for it: applying it does nothing.
#pragma once

#include "model/GPersistent.h"
#include "model/GAttribute.h"
#include "model/GDisplayString.h"

class GDisplayStringAttribute : public GPersistent<GDisplayStringAttribute, GAttribute, 787, true> {
public:
    static constexpr const char* kClassName = "GDisplayStringAttribute";
    GDisplayStringAttribute* CreateNew() const override { return new GDisplayStringAttribute; }
    GDisplayStringAttribute* Copy() const override { return new GDisplayStringAttribute(*this); }

    GDisplayStringAttribute();
    GDisplayStringAttribute(const long& id, uint16_t stringId, const char* text, const char* altText);
    // With id 0.
    GDisplayStringAttribute(uint16_t stringId, const char* text, const char* altText);
    GDisplayStringAttribute(const GDisplayStringAttribute& other);
    GDisplayStringAttribute& operator=(const GDisplayStringAttribute& other) = default;
    ~GDisplayStringAttribute() override;

    // The attribute part, a version word, then the display string as an object read
    // back into the embedded one.
    // The same class and id, and display strings that are IsSame.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    // 0; no visitor is called.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    const GDisplayString& GetDisplayString() const { return display_; }
    void SetDisplayString(const GDisplayString& display) { display_ = display; }

    auto StoredForm() { return GFields(GEmbedded(display_)); }

private:
    GDisplayString display_;
};
