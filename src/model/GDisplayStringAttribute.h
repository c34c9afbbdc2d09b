// A setting whose value is a display string, held by value inside the attribute.
// Peripherals have no visitor for it: applying it does nothing.
#pragma once

#include "model/GAttribute.h"
#include "model/GDisplayString.h"

class GDisplayStringAttribute : public GAttribute {
public:
    static constexpr RWClassID kClassId = 787;

    GDisplayStringAttribute();
    GDisplayStringAttribute(const long& id, uint16_t stringId, const char* text, const char* altText);
    // With id 0.
    GDisplayStringAttribute(uint16_t stringId, const char* text, const char* altText);
    GDisplayStringAttribute(const GDisplayStringAttribute& other);
    GDisplayStringAttribute& operator=(const GDisplayStringAttribute& other) = default;
    ~GDisplayStringAttribute() override;

    GDisplayStringAttribute* CreateNew() const override;
    GDisplayStringAttribute* Copy() const override;
    RWClassID ClassId() const override;
    // The attribute part, a version word, then the display string as an object read
    // back into the embedded one.
    uint32_t BinaryStoreSize() const override;
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;
    bool IsKindOf(RWClassID classId) const override;
    // The same class and id, and display strings that are IsSame.
    bool IsSame(const GObjectBase* other) const override;
    RWClassID StorageClassId() const override;
    // 0; no visitor is called.
    int16_t ApplyTo(GPeripheral& peripheral) override;

    const GDisplayString& GetDisplayString() const { return display_; }
    void SetDisplayString(const GDisplayString& display) { display_ = display; }

private:
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;

    GDisplayString display_;
};
