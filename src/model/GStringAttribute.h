// A narrow-string setting.
#pragma once

#include "foundation/RWCString.h"
#include "model/GAttribute.h"

class GStringAttribute : public GAttribute {
public:
    static constexpr RWClassID kClassId = 776;

    GStringAttribute();
    // A null text gives the empty string.
    GStringAttribute(const char* text, const long& id);
    GStringAttribute(const RWCString& text, const long& id);
    GStringAttribute(const GStringAttribute& other) = default;
    GStringAttribute& operator=(const GStringAttribute& other) = default;
    ~GStringAttribute() override;

    GStringAttribute* CreateNew() const override;
    GStringAttribute* Copy() const override;
    RWClassID ClassId() const override;
    uint32_t BinaryStoreSize() const override;
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;
    bool IsKindOf(RWClassID classId) const override;
    // The same object, or the same class and id and byte-equal strings.
    bool IsSame(const GObjectBase* other) const override;
    RWClassID StorageClassId() const override;
    // The peripheral's ApplyString.
    int16_t ApplyTo(GPeripheral& peripheral) override;

    const RWCString& GetString() const { return string_; }
    void SetString(const RWCString& text) { string_ = text; }
    // A null text gives the empty string.
    void SetString(const char* text) { string_ = RWCString(text); }

private:
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;

    RWCString string_;
};
