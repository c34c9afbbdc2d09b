#include "model/GCapabilities.h"

#include "foundation/RWErrorHandler.h"
#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

#include <vector>

namespace {

uint32_t ByteCount(uint32_t bitCount) { return uint32_t((uint64_t(bitCount) + 7) / 8); }

} // namespace

GCapabilities::GCapabilities() {}
GCapabilities::GCapabilities(const long& id) : GPersistent(id) {}
GCapabilities::GCapabilities(const long& id, uint32_t bitCount) : GPersistent(id), bits_(bitCount) {}

GCapabilities::GCapabilities(const long& id, uint32_t bitCount, uint32_t bit) : GPersistent(id), bits_(bitCount)
{
    Set(bit);
}

GCapabilities::GCapabilities(const long& id, uint32_t bitCount, const uint32_t* bits, uint16_t count)
    : GPersistent(id), bits_(bitCount)
{
    SetList(bits, count);
}

GCapabilities::GCapabilities(const GCapabilities& other) : GPersistent(other), bits_(other.bits_) {}

GCapabilities& GCapabilities::operator=(const GCapabilities& other)
{
    if (this != &other) {
        GObjectBase::operator=(other);
        bits_ = other.bits_;
    }
    return *this;
}

GCapabilities::~GCapabilities() {}

uint32_t GCapabilities::FieldsSize() const { return 8 + ByteCount(GetBitCount()); }

// A stored count of 0 leaves the set as it is; any other count is checked against the
// bytes that can still follow before anything is allocated, and the set changes only
// once every byte has arrived.
template <class In>
void GCapabilities::ReadFields(In& in)
{
    uint32_t count = 0;
    if (!GReadFields(in, count) || count == 0)
        return;
    const uint32_t byteCount = ByteCount(count);
    if (!GCheckStoredCount(in, byteCount, 1))
        return;
    std::vector<uint8_t> bytes(byteCount);
    for (uint8_t& byte : bytes)
        if (!GReadField(in, byte))
            return;
    bits_ = RWBitVector(bytes.data(), count);
}

template <class Out>
void GCapabilities::WriteFields(Out& out) const
{
    GWriteFields(out, GetBitCount());
    for (uint32_t i = 0; i < ByteCount(GetBitCount()); ++i)
        GWriteField(out, bits_.Data()[i]);
}

bool GCapabilities::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GCapabilities* capabilities = GSameClass<GCapabilities>(this, other);
    return capabilities && capabilities->GetId() == GetId() && capabilities->bits_ == bits_;
}

bool GCapabilities::MakeRoomFor(uint32_t bit)
{
    if (bit > kMaxBit) {
        RWRaiseIndexError(bit, GetBitCount());
        return false;
    }
    return bit < GetBitCount() || bits_.Resize(size_t(bit) + 1);
}

void GCapabilities::Set(uint32_t bit)
{
    if (MakeRoomFor(bit))
        bits_.SetBit(bit);
}

void GCapabilities::SetList(const uint32_t* bits, uint16_t count)
{
    if (!bits || count == 0)
        return;
    uint32_t largest = 0;
    for (uint16_t i = 0; i < count; ++i)
        if (bits[i] > largest)
            largest = bits[i];
    if (!MakeRoomFor(largest))
        return;
    for (uint16_t i = 0; i < count; ++i)
        bits_.SetBit(bits[i]);
}

void GCapabilities::ClearBit(uint32_t bit)
{
    if (bit < GetBitCount())
        bits_.ClearBit(bit);
}

int32_t GCapabilities::ClearList(const uint32_t* bits, uint16_t count)
{
    for (uint16_t i = 0; bits && i < count; ++i)
        ClearBit(bits[i]);
    return 0;
}

bool GCapabilities::Test(uint32_t bit) const { return bit < GetBitCount() && bits_.TestBit(bit); }

bool GCapabilities::TestAll(const uint32_t* bits, uint16_t count) const
{
    if (!AllInRange(bits, count))
        return false;
    for (uint16_t i = 0; i < count; ++i)
        if (!bits_.TestBit(bits[i]))
            return false;
    return true;
}

bool GCapabilities::TestAny(const uint32_t* bits, uint16_t count) const
{
    for (uint16_t i = 0; bits && i < count; ++i)
        if (Test(bits[i]))
            return true;
    return false;
}

bool GCapabilities::AllInRange(const uint32_t* bits, uint16_t count) const
{
    for (uint16_t i = 0; i < count; ++i)
        if (!bits || bits[i] >= GetBitCount())
            return false;
    return true;
}

// The stored form for every medium, for the base's savers and restorers elsewhere.
template void GCapabilities::ReadFields(RWBinaryFile&);
template void GCapabilities::ReadFields(RWDataInStream&);
template void GCapabilities::WriteFields(RWBinaryFile&) const;
template void GCapabilities::WriteFields(RWDataOutStream&) const;
