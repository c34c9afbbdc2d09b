// A 32-bit number carried through the object graph; the shared body of
// GPersistableLong (signed) and GPersistableULong (unsigned). Numbers are equal by
// value alone and order by value; as model objects they are the same when their ids
// are as well.
#pragma once

#include "model/GPersistent.h"

#include <cstdint>

template <class Self, class Value, RWClassID Id>
class GPersistableNumber : public GPersistent<Self, GObjectBase, Id> {
public:
    GPersistableNumber() : value_(0) {}
    explicit GPersistableNumber(Value value, const long& id = 0)
        : GPersistent<Self, GObjectBase, Id>(id), value_(value)
    {
    }
    // A fresh root part (id 0, a new serial) with the source's value.
    GPersistableNumber(const GPersistableNumber& other) : value_(other.value_) {}
    GPersistableNumber& operator=(const GPersistableNumber& other) = default;

    // 0 for an equal value of the same class, -1 when this value is below the other's,
    // 1 above; by address for any other object.
    int CompareTo(const RWCollectable* other) const override
    {
        const GPersistableNumber* number = SameClass(other);
        if (!number)
            return GObjectBase::CompareTo(other);
        return value_ == number->value_ ? 0 : value_ < number->value_ ? -1 : 1;
    }

    // The same class and value; the ids are not compared.
    bool IsEqual(const RWCollectable* other) const override
    {
        const GPersistableNumber* number = SameClass(other);
        return number && number->value_ == value_;
    }

    // The same class, id and value.
    bool IsSame(const GObjectBase* other) const override
    {
        const GPersistableNumber* number = SameClass(other);
        return number && GObjectBase::IsSame(number) && number->value_ == value_;
    }

    Value GetValue() const { return value_; }

    auto StoredForm() { return GFields(value_); }

private:
    const GPersistableNumber* SameClass(const RWCollectable* other) const
    {
        return other && other->ClassId() == Id ? dynamic_cast<const GPersistableNumber*>(other) : nullptr;
    }

    Value value_;
};
