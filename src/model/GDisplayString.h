// A text shown to the user with the resource string id it came from, and an
// alternative text. A model value, not an attribute.
#pragma once

#include "foundation/RWCString.h"
#include "model/GPersistent.h"

class GDisplayString : public GPersistent<GDisplayString, GObjectBase, 786> {
public:
    static constexpr const char* kClassName = "GDisplayString";
    GDisplayString* CreateNew() const override { return new GDisplayString; }
    GDisplayString* Copy() const override { return new GDisplayString(*this); }

    GDisplayString();
    // Null texts give empty strings.
    GDisplayString(uint16_t stringId, const char* text, const char* altText);
    GDisplayString(const GDisplayString& other) = default;
    GDisplayString& operator=(const GDisplayString& other) = default;
    ~GDisplayString() override;

    // The alternative text is stored before the text, the string id last.
    // The same class, id and string id, and byte-equal texts.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }

    uint16_t GetStringId() const { return stringId_; }
    const RWCString& GetText() const { return text_; }
    const RWCString& GetAltText() const { return altText_; }
    void SetText(const RWCString& text) { text_ = text; }
    void SetAltText(const RWCString& text) { altText_ = text; }

    auto StoredForm() { return GFields(altText_, text_, stringId_); }

private:
    uint16_t stringId_;
    RWCString text_;
    RWCString altText_;
};
