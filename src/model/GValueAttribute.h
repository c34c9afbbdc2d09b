// A 16-bit setting: on/off switches and choices by number. The most used attribute.
#pragma once

#include "model/GAttribute.h"

class GValueAttribute : public GAttribute {
public:
    static constexpr RWClassID kClassId = 763;

    GValueAttribute();
    GValueAttribute(uint16_t value, const long& id);
    GValueAttribute(const GValueAttribute& other) = default;
    GValueAttribute& operator=(const GValueAttribute& other) = default;
    ~GValueAttribute() override;

    GValueAttribute* CreateNew() const override;
    GValueAttribute* Copy() const override;
    RWClassID ClassId() const override;
    uint32_t BinaryStoreSize() const override;
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;
    bool IsKindOf(RWClassID classId) const override;
    // The same object, or the same class, id and value.
    bool IsSame(const GObjectBase* other) const override;
    RWClassID StorageClassId() const override;
    // The peripheral's ApplyValue.
    int16_t ApplyTo(GPeripheral& peripheral) override;

    uint16_t GetValue() const { return value_; }
    void SetValue(uint16_t value) { value_ = value; }
    // 1 for any non-zero flag, else 0.
    void SetBool(int flag) { value_ = flag ? 1 : 0; }
    bool IsTrue() const { return value_ != 0; }
    bool IsFalse() const { return value_ == 0; }

private:
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;

    uint16_t value_;
};
