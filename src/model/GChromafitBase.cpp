#include "model/GChromafitBase.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"

#include <algorithm>
#include <cstring>

GChromafitBase::GChromafitBase() : values_(), scratch_() {}
GChromafitBase::GChromafitBase(const long& id) : GStoredLevel(id), values_(), scratch_() {}
GChromafitBase::~GChromafitBase() {}

uint8_t* GChromafitBase::Slot(int object, int kind, int& answer)
{
    answer = 0;
    if (object < 0 || object >= kObjects || kind < 0 || kind >= kKinds)
        return nullptr;
    const int8_t where = GetLayout()[object][kind];
    if (where == kRefused)
        return nullptr;
    answer = 1;
    if (where == kNoValue)
        return nullptr;
    if (where >= kScratch0)
        return &scratch_[where - kScratch0];
    return &values_[where];
}

int GChromafitBase::GetSetting(int object, int kind, uint8_t& value) const
{
    int answer = 0;
    if (const uint8_t* slot = const_cast<GChromafitBase*>(this)->Slot(object, kind, answer))
        value = *slot;
    return answer;
}

int GChromafitBase::SetSetting(int object, int kind, uint8_t value)
{
    int answer = 0;
    if (uint8_t* slot = Slot(object, kind, answer))
        *slot = value;
    return answer;
}

int16_t GChromafitBase::ApplyTo(GAttributeVisitor&) { return 0; }

bool GChromafitBase::IsSameContent(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GChromafitBase* same = GSameClass<GChromafitBase>(this, other);
    return same && std::memcmp(values_, same->values_, ValueCount()) == 0;
}

bool GChromafitBase::IsSame(const GObjectBase* other) const
{
    return other == this || (IsSameContent(other) && other->GetId() == GetId());
}

void GChromafitBase::AssignValues(const GChromafitBase& other)
{
    if (&other != this && other.ClassId() == ClassId())
        std::memcpy(values_, other.values_, ValueCount());
}

bool GChromafitBase::IsChromafit(const GObjectBase* object)
{
    if (!object)
        return false;
    const RWClassID id = object->ClassId();
    return (id == 792 || id == 797 || id == 1201) && dynamic_cast<const GChromafitBase*>(object);
}

void GChromafitBase::SetValues(const uint8_t* values, size_t count)
{
    std::memcpy(values_, values, std::min(count, ValueCount()));
}

template <class In>
bool GChromafitBase::ReadStored(In& in)
{
    uint8_t read[kMaxValues] = {};
    for (size_t i = 0; i < ValueCount(); ++i) {
        int16_t word = 0;
        if (!GReadField(in, word))
            return false;
        read[i] = uint8_t(word);
    }
    std::memcpy(values_, read, ValueCount());
    return true;
}

template <class Out>
void GChromafitBase::WriteStored(Out& out) const
{
    for (size_t i = 0; i < ValueCount(); ++i)
        GWriteField(out, int16_t(values_[i]));
}

template bool GChromafitBase::ReadStored(RWBinaryFile&);
template bool GChromafitBase::ReadStored(RWDataInStream&);
template void GChromafitBase::WriteStored(RWBinaryFile&) const;
template void GChromafitBase::WriteStored(RWDataOutStream&) const;
