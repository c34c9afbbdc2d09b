// The common part of the media-option and booklet attributes: a primary and a second
// 16-bit value plus an open list of 16-bit values, stored compactly (version 2) and
// compared by value. They hold numbers, not objects, and answer the tree operations
// as leaves.
#pragma once

#include "foundation/RWSlistBase.h"
#include "model/GAttribute.h"

#include <cstdint>

class GValueListAttribute : public GStoredLevel<GValueListAttribute, GAttribute, 0> {
public:
    // The version word of the stored form; a newer one keeps the list as it is.
    static constexpr uint32_t kListVersion = 2;

    GValueListAttribute* CreateNew() const override = 0;
    GValueListAttribute* Copy() const override = 0;
    ~GValueListAttribute() override;
    // The same object, or the same class, id, primary value and list; the second value
    // is not compared.
    bool IsSame(const GObjectBase* other) const override;
    RWClassID StorageClassId() const override;

    // Answers 1 and calls no visitor operation.
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
    // Constant operations that every value-list attribute answers the same way.
    virtual int32_t GetFlags() const;
    virtual void SetFlags(int32_t flags);
    virtual int32_t IsValueList() const;
    virtual void Refresh();
    // The value at the 0-based index, or -1 when the index, taken as unsigned, is
    // beyond the last value (so for every negative index and on an empty list).
    virtual int32_t GetValueAt(int16_t index) const;

    uint16_t GetPrimaryValue() const { return primary_; }
    uint16_t GetSecondValue() const { return second_; }
    uint32_t GetCount() const { return uint32_t(values_.Entries()); }

    // The stored form, read and written by the class itself for its own version rule.
    auto StoredForm() { return GOwnForm(*this); }
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    uint32_t FieldsSize() const { return 12 + 2 * GetCount(); }

protected:
    GValueListAttribute();
    GValueListAttribute(uint16_t primary, uint16_t second);
    // Its own copy of the list.
    GValueListAttribute(const GValueListAttribute& other);
    GValueListAttribute& operator=(const GValueListAttribute& other);

    // Returns false when the value could not be allocated.
    bool AppendValue(uint16_t value);

private:
    struct ValueLink : RWSlistLink {
        uint16_t value;
    };

    void CopyValues(const GValueListAttribute& other);
    void FreeValues();
    // Replaces the list by the values; false (list unchanged) when out of memory.
    bool TakeValues(const uint16_t* values, uint32_t count);

    uint16_t second_;
    uint16_t primary_;
    RWSlistBase values_;
};
