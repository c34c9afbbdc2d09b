#include "model/GValueListAttribute.h"

#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

#include <new>
#include <vector>

GValueListAttribute::GValueListAttribute() : second_(0), primary_(0) {}
GValueListAttribute::GValueListAttribute(uint16_t primary, uint16_t second) : second_(second), primary_(primary) {}

GValueListAttribute::GValueListAttribute(const GValueListAttribute& other)
    : GStoredLevel(other), second_(other.second_), primary_(other.primary_)
{
    CopyValues(other);
}

GValueListAttribute& GValueListAttribute::operator=(const GValueListAttribute& other)
{
    if (this != &other) {
        GAttribute::operator=(other);
        second_ = other.second_;
        primary_ = other.primary_;
        FreeValues();
        CopyValues(other);
    }
    return *this;
}

GValueListAttribute::~GValueListAttribute() { FreeValues(); }

// Every read is checked and the first failure ends the restore; the stored count is
// measured against the input before anything is allocated, and the list changes only
// once every value has arrived.
template <class In>
void GValueListAttribute::ReadFields(In& in)
{
    uint32_t version = 0;
    int16_t primary = 0;
    int16_t second = 0;
    if (!GReadField(in, version) || !GReadField(in, primary) || !GReadField(in, second))
        return;
    primary_ = uint16_t(primary);
    second_ = uint16_t(second);
    uint32_t count = 0;
    if (version > kListVersion || !GReadField(in, count) || !GCheckStoredCount(in, count, 2))
        return;
    std::vector<uint16_t> values(count);
    for (uint16_t& value : values) {
        int16_t stored = 0;
        if (!GReadField(in, stored))
            return;
        value = uint16_t(stored);
    }
    TakeValues(values.data(), count);
}

template <class Out>
void GValueListAttribute::WriteFields(Out& out) const
{
    GWriteField(out, kListVersion);
    GWriteField(out, int16_t(primary_));
    GWriteField(out, int16_t(second_));
    GWriteField(out, GetCount());
    for (const RWSlistLink* link = values_.FirstLink(); link && link != values_.Tail(); link = link->next)
        GWriteField(out, int16_t(static_cast<const ValueLink*>(link)->value));
}

bool GValueListAttribute::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GValueListAttribute* list = GSameClass<GValueListAttribute>(this, other);
    if (!list || list->GetId() != GetId() || list->primary_ != primary_ || list->GetCount() != GetCount())
        return false;
    const RWSlistLink* a = values_.FirstLink();
    const RWSlistLink* b = list->values_.FirstLink();
    for (uint32_t i = 0; i < GetCount(); ++i, a = a->next, b = b->next)
        if (static_cast<const ValueLink*>(a)->value != static_cast<const ValueLink*>(b)->value)
            return false;
    return true;
}

RWClassID GValueListAttribute::StorageClassId() const { return ClassId(); }

int16_t GValueListAttribute::ApplyTo(GAttributeVisitor&) { return 1; }
int32_t GValueListAttribute::GetFlags() const { return 0; }
void GValueListAttribute::SetFlags(int32_t) {}
int32_t GValueListAttribute::IsValueList() const { return 1; }
void GValueListAttribute::Refresh() {}

int32_t GValueListAttribute::GetValueAt(int16_t index) const
{
    if (index < 0 || uint32_t(index) >= GetCount())
        return -1;
    return static_cast<const ValueLink*>(values_.At(uint32_t(index)))->value;
}

bool GValueListAttribute::AppendValue(uint16_t value)
{
    ValueLink* link = new (std::nothrow) ValueLink;
    if (!link)
        return false;
    link->value = value;
    values_.Append(link);
    return true;
}

void GValueListAttribute::CopyValues(const GValueListAttribute& other)
{
    for (const RWSlistLink* link = other.values_.FirstLink(); link && link != other.values_.Tail(); link = link->next)
        if (!AppendValue(static_cast<const ValueLink*>(link)->value))
            return;
}

void GValueListAttribute::FreeValues()
{
    while (!values_.IsEmpty())
        delete static_cast<ValueLink*>(values_.RemoveAfter(values_.Head()));
}

bool GValueListAttribute::TakeValues(const uint16_t* values, uint32_t count)
{
    // Every link is made before the old list goes, so that running out of memory
    // leaves the list as it was.
    std::vector<ValueLink*> links(count, nullptr);
    for (uint32_t i = 0; i < count; ++i) {
        links[i] = new (std::nothrow) ValueLink;
        if (!links[i]) {
            for (uint32_t j = 0; j < i; ++j)
                delete links[j];
            return false;
        }
        links[i]->value = values[i];
    }
    FreeValues();
    for (ValueLink* link : links)
        values_.Append(link);
    return true;
}

// The stored form for every medium, for the base's savers and restorers elsewhere.
template void GValueListAttribute::ReadFields(RWBinaryFile&);
template void GValueListAttribute::ReadFields(RWDataInStream&);
template void GValueListAttribute::WriteFields(RWBinaryFile&) const;
template void GValueListAttribute::WriteFields(RWDataOutStream&) const;
