// A text with the index of the entry it selects: the value of a list setting in the
// association lists of the settings.
#pragma once

#include "foundation/RWCString.h"
#include "model/GPersistent.h"

#include <cstdint>

class GSelectionString : public GPersistent<GSelectionString, GObjectBase, 1008> {
public:
    static constexpr const char* kClassName = "GSelectionString";
    GSelectionString* CreateNew() const override { return new GSelectionString; }
    GSelectionString* Copy() const override { return new GSelectionString(*this); }

    GSelectionString();
    // A null text is empty.
    GSelectionString(const char* text, int16_t index, const long& id = 0);
    GSelectionString(const GSelectionString& other) = default;
    GSelectionString& operator=(const GSelectionString& other) = default;
    ~GSelectionString() override;

    // The text is stored before the index.
    // The same class and id, the same index and byte-equal texts.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }

    const RWCString& GetString() const { return text_; }
    int16_t GetIndex() const { return index_; }

    auto StoredForm() { return GFields(text_, index_); }

private:
    int16_t index_;
    RWCString text_;
};
