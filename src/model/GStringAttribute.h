// A narrow-string setting.
#pragma once

#include "model/GPersistent.h"
#include "foundation/RWCString.h"
#include "model/GAttribute.h"

class GStringAttribute : public GPersistent<GStringAttribute, GAttribute, 776, true> {
public:
    static constexpr const char* kClassName = "GStringAttribute";
    GStringAttribute* CreateNew() const override { return new GStringAttribute; }
    GStringAttribute* Copy() const override { return new GStringAttribute(*this); }

    GStringAttribute();
    // A null text gives the empty string.
    GStringAttribute(const char* text, const long& id);
    GStringAttribute(const RWCString& text, const long& id);
    GStringAttribute(const GStringAttribute& other) = default;
    GStringAttribute& operator=(const GStringAttribute& other) = default;
    ~GStringAttribute() override;

    // The same object, or the same class and id and byte-equal strings.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    // The visitor's ApplyString.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;

    const RWCString& GetString() const { return string_; }
    void SetString(const RWCString& text) { string_ = text; }
    // A null text gives the empty string.
    void SetString(const char* text) { string_ = RWCString(text); }

    auto StoredForm() { return GFields(string_); }

private:
    RWCString string_;
};
