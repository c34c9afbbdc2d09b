#include "model/GPersistableNumber.h"

#include "model/GStoredFields.h"

template <class Value, RWClassID Id>
const GPersistableNumber<Value, Id>* GPersistableNumber<Value, Id>::SameClass(const RWCollectable* other) const
{
    return other && other->ClassId() == Id ? dynamic_cast<const GPersistableNumber*>(other) : nullptr;
}

template <class Value, RWClassID Id>
uint32_t GPersistableNumber<Value, Id>::BinaryStoreSize() const
{
    return GObjectBase::BinaryStoreSize() + 8;
}

template <class Value, RWClassID Id>
int GPersistableNumber<Value, Id>::CompareTo(const RWCollectable* other) const
{
    const GPersistableNumber* number = SameClass(other);
    if (!number)
        return GObjectBase::CompareTo(other);
    return value_ == number->value_ ? 0 : value_ < number->value_ ? -1 : 1;
}

template <class Value, RWClassID Id>
bool GPersistableNumber<Value, Id>::IsEqual(const RWCollectable* other) const
{
    const GPersistableNumber* number = SameClass(other);
    return number && number->value_ == value_;
}

template <class Value, RWClassID Id>
template <class In>
void GPersistableNumber<Value, Id>::ReadFields(In& in)
{
    Value value = 0;
    if (GReadFields(in, value))
        value_ = value;
}

template <class Value, RWClassID Id>
template <class Out>
void GPersistableNumber<Value, Id>::WriteFields(Out& out) const
{
    GWriteFields(out, value_);
}

template <class Value, RWClassID Id>
void GPersistableNumber<Value, Id>::RestoreGuts(RWDataInStream& stream)
{
    GObjectBase::RestoreGuts(stream);
    ReadFields(stream);
}

template <class Value, RWClassID Id>
void GPersistableNumber<Value, Id>::RestoreGuts(RWBinaryFile& file)
{
    GObjectBase::RestoreGuts(file);
    ReadFields(file);
}

template <class Value, RWClassID Id>
void GPersistableNumber<Value, Id>::SaveGuts(RWDataOutStream& stream) const
{
    GObjectBase::SaveGuts(stream);
    WriteFields(stream);
}

template <class Value, RWClassID Id>
void GPersistableNumber<Value, Id>::SaveGuts(RWBinaryFile& file) const
{
    GObjectBase::SaveGuts(file);
    WriteFields(file);
}

template <class Value, RWClassID Id>
bool GPersistableNumber<Value, Id>::IsKindOf(RWClassID classId) const
{
    return classId == Id || GObjectBase::IsKindOf(classId);
}

template <class Value, RWClassID Id>
bool GPersistableNumber<Value, Id>::IsSame(const GObjectBase* other) const
{
    const GPersistableNumber* number = SameClass(other);
    return number && GObjectBase::IsSame(number) && number->value_ == value_;
}

template class GPersistableNumber<int32_t, 777>;
template class GPersistableNumber<uint32_t, 778>;
