// A 32-bit number carried through the object graph; the shared body of
// GPersistableLong (signed) and GPersistableULong (unsigned). Numbers are equal by
// value alone and order by value; as model objects they are the same when their ids
// are as well.
#pragma once

#include "model/GObjectBase.h"

#include <cstdint>

template <class Value, RWClassID Id>
class GPersistableNumber : public GObjectBase {
public:
    static constexpr RWClassID kClassId = Id;

    GPersistableNumber() : value_(0) {}
    explicit GPersistableNumber(Value value, const long& id = 0) : GObjectBase(id), value_(value) {}
    // A fresh root part (id 0, a new serial) with the source's value.
    GPersistableNumber(const GPersistableNumber& other) : GObjectBase(), value_(other.value_) {}
    GPersistableNumber& operator=(const GPersistableNumber& other) = default;
    ~GPersistableNumber() override {}

    RWClassID ClassId() const override { return Id; }
    uint32_t BinaryStoreSize() const override;
    // 0 for an equal value of the same class, -1 when this value is below the other's,
    // 1 above; by address for any other object.
    int CompareTo(const RWCollectable* other) const override;
    // The same class and value; the ids are not compared.
    bool IsEqual(const RWCollectable* other) const override;
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;
    bool IsKindOf(RWClassID classId) const override;
    // The same class, id and value.
    bool IsSame(const GObjectBase* other) const override;

    Value GetValue() const { return value_; }

private:
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;
    const GPersistableNumber* SameClass(const RWCollectable* other) const;

    Value value_;
};

extern template class GPersistableNumber<int32_t, 777>;
extern template class GPersistableNumber<uint32_t, 778>;
