// A 32-bit setting. Peripherals have no visitor for it: applying it does nothing.
#pragma once

#include "model/GAttribute.h"

class GValue32Attribute : public GAttribute {
public:
    static constexpr RWClassID kClassId = 789;

    GValue32Attribute();
    GValue32Attribute(uint32_t value, const long& id);
    GValue32Attribute(const GValue32Attribute& other) = default;
    GValue32Attribute& operator=(const GValue32Attribute& other) = default;
    ~GValue32Attribute() override;

    GValue32Attribute* CreateNew() const override;
    GValue32Attribute* Copy() const override;
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
    // 0; no visitor is called.
    int16_t ApplyTo(GPeripheral& peripheral) override;

    uint32_t GetValue() const { return value_; }
    void SetValue(uint32_t value) { value_ = value; }

private:
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;

    uint32_t value_;
};
