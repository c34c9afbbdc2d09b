// The descriptor of a management object: a wide name that identifies it, a value and a
// text. Descriptors are the same when their names are; they order by name.
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWWString.h"
#include "model/GPersistent.h"

#include <cstdint>

class GPMLDescriptor : public GPersistent<GPMLDescriptor, GObjectBase, 956> {
public:
    static constexpr const char* kClassName = "GPMLDescriptor";
    GPMLDescriptor* CreateNew() const override { return new GPMLDescriptor; }
    GPMLDescriptor* Copy() const override { return new GPMLDescriptor(*this); }

    GPMLDescriptor();
    // The text starts empty; a null name is empty.
    GPMLDescriptor(const wchar_t* name, int32_t value, const long& id = 0);
    GPMLDescriptor(const GPMLDescriptor& other) = default;
    GPMLDescriptor& operator=(const GPMLDescriptor& other) = default;
    ~GPMLDescriptor() override;

    // Wide name, value, narrow text.
    // The same class and id and the same name; value and text are not compared.
    bool IsSame(const GObjectBase* other) const override;

    // True when this name is below the other's (exact comparison).
    bool IsLess(const GPMLDescriptor& other) const;

    // A null text is empty.
    void SetText(const char* text);
    const RWWString& GetName() const { return name_; }
    int32_t GetValue() const { return value_; }
    const RWCString& GetText() const { return text_; }

    auto StoredForm() { return GFields(name_, value_, text_); }

private:
    RWWString name_;
    int32_t value_;
    RWCString text_;
};
