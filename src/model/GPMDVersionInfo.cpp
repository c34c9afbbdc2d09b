#include "model/GPMDVersionInfo.h"

#include "foundation/RWErrorHandler.h"
#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

namespace {

// The list's first room.
const size_t kFirstCapacity = 64;
// Each stored text takes at least its length word.
const uint32_t kMinStoredText = 4;

} // namespace

GPMDStringList::GPMDStringList() { strings_.reserve(kFirstCapacity); }

const RWCString& GPMDStringList::At(uint32_t index) const
{
    static const RWCString kNone;
    if (index >= strings_.size()) {
        RWRaiseIndexError(index, strings_.size());
        return kNone;
    }
    return strings_[index];
}

GPMDVersionInfo::GPMDVersionInfo() : firstVersion_(0), secondVersion_(0), kind_(1), firstExtra_(0), secondExtra_(0) {}

GPMDVersionInfo::GPMDVersionInfo(uint32_t firstVersion, uint32_t secondVersion, uint16_t kind, const long& id)
    : GPersistent(id), firstVersion_(firstVersion), secondVersion_(secondVersion), kind_(kind), firstExtra_(0),
      secondExtra_(0)
{
}

GPMDVersionInfo::~GPMDVersionInfo() {}

uint32_t GPMDVersionInfo::FieldsSize() const
{
    uint32_t size = 26;
    for (uint32_t i = 0; i < strings_.Entries(); ++i)
        size += uint32_t(strings_.At(i).BinaryStoreSize());
    return size;
}

template <class In>
void GPMDVersionInfo::ReadFields(In& in)
{
    uint32_t secondVersion = 0;
    uint32_t firstVersion = 0;
    uint16_t kind = 0;
    uint32_t firstExtra = 0;
    uint32_t secondExtra = 0;
    uint32_t count = 0;
    if (!GReadFields(in, secondVersion, firstVersion, kind, firstExtra, secondExtra, count) ||
        !GCheckStoredCount(in, count, kMinStoredText))
        return;
    GPMDStringList strings;
    for (uint32_t i = 0; i < count; ++i) {
        RWCString text;
        if (!GReadField(in, text))
            return;
        strings.Append(text);
    }
    secondVersion_ = secondVersion;
    firstVersion_ = firstVersion;
    kind_ = kind;
    firstExtra_ = firstExtra;
    secondExtra_ = secondExtra;
    strings_ = strings;
}

template <class Out>
void GPMDVersionInfo::WriteFields(Out& out) const
{
    GWriteFields(out, secondVersion_, firstVersion_, kind_, firstExtra_, secondExtra_, strings_.Entries());
    for (uint32_t i = 0; i < strings_.Entries(); ++i)
        GWriteField(out, strings_.At(i));
}

bool GPMDVersionInfo::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GPMDVersionInfo* info = GSameClass<GPMDVersionInfo>(this, other);
    return info && GObjectBase::IsSame(info) && info->secondVersion_ == secondVersion_ &&
           info->firstVersion_ == firstVersion_ && info->kind_ == kind_ && info->firstExtra_ == firstExtra_ &&
           info->secondExtra_ == secondExtra_ && info->strings_ == strings_;
}

void GPMDVersionInfo::AddString(const char* text) { strings_.Append(RWCString(text ? text : "")); }

int16_t GPMDVersionInfo::IncrementMinor(uint32_t& word)
{
    const uint32_t minor = word & 0xFFFFu;
    if (minor == 0xFFFFu)
        return -1;
    word = (word & 0xFFFF0000u) | (minor + 1);
    return static_cast<int16_t>(minor);
}

int16_t GPMDVersionInfo::IncrementMajor(uint32_t& word)
{
    const uint32_t major = word >> 16;
    if (major == 0xFFFFu)
        return -1;
    word = (major + 1) << 16;
    return static_cast<int16_t>(major);
}

// The stored form for every medium, for the base's savers and restorers elsewhere.
template void GPMDVersionInfo::ReadFields(RWBinaryFile&);
template void GPMDVersionInfo::ReadFields(RWDataInStream&);
template void GPMDVersionInfo::WriteFields(RWBinaryFile&) const;
template void GPMDVersionInfo::WriteFields(RWDataOutStream&) const;
