// The descriptor of a management object: a wide name that identifies it, a value and a
// text. Descriptors are the same when their names are; they order by name.
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWWString.h"
#include "model/GObjectBase.h"

#include <cstdint>

class GPMLDescriptor : public GObjectBase {
public:
    static constexpr RWClassID kClassId = 956;

    GPMLDescriptor();
    // The text starts empty; a null name is empty.
    GPMLDescriptor(const wchar_t* name, int32_t value, const long& id = 0);
    GPMLDescriptor(const GPMLDescriptor& other) = default;
    GPMLDescriptor& operator=(const GPMLDescriptor& other) = default;
    ~GPMLDescriptor() override;

    GPMLDescriptor* CreateNew() const override;
    GPMLDescriptor* Copy() const override;
    RWClassID ClassId() const override;
    uint32_t BinaryStoreSize() const override;
    // Wide name, value, narrow text.
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;
    bool IsKindOf(RWClassID classId) const override;
    // The same class and id and the same name; value and text are not compared.
    bool IsSame(const GObjectBase* other) const override;

    // True when this name is below the other's (exact comparison).
    bool IsLess(const GPMLDescriptor& other) const;

    // A null text is empty.
    void SetText(const char* text);
    const RWWString& GetName() const { return name_; }
    int32_t GetValue() const { return value_; }
    const RWCString& GetText() const { return text_; }

private:
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;

    RWWString name_;
    int32_t value_;
    RWCString text_;
};
