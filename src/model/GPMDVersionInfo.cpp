#include "model/GPMDVersionInfo.h"

#include "foundation/RWErrorHandler.h"

namespace {

// The list's first room.
const size_t kFirstCapacity = 64;

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
