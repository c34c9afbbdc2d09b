#include "model/GCapabilities.h"

#include "foundation/RWErrorHandler.h"
#include "foundation/RWFactory.h"
#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

#include <vector>

namespace {

const RWFactoryRegistration kRegistration(RWCreateInstance<GCapabilities>, GCapabilities::kClassId, "GCapabilities");

uint32_t ByteCount(uint32_t bitCount) { return uint32_t((uint64_t(bitCount) + 7) / 8); }

} // namespace

GCapabilities::GCapabilities() {}
GCapabilities::GCapabilities(const long& id) : GObjectBase(id) {}
GCapabilities::GCapabilities(const long& id, uint32_t bitCount) : GObjectBase(id), bits_(bitCount) {}

GCapabilities::GCapabilities(const long& id, uint32_t bitCount, uint32_t bit) : GObjectBase(id), bits_(bitCount)
{
    Set(bit);
}

GCapabilities::GCapabilities(const long& id, uint32_t bitCount, const uint32_t* bits, uint16_t count)
    : GObjectBase(id), bits_(bitCount)
{
    SetList(bits, count);
}

GCapabilities::GCapabilities(const GCapabilities& other) : GObjectBase(other), bits_(other.bits_) {}

GCapabilities& GCapabilities::operator=(const GCapabilities& other)
{
    if (this != &other) {
        GObjectBase::operator=(other);
        bits_ = other.bits_;
    }
    return *this;
}

GCapabilities::~GCapabilities() {}

GCapabilities* GCapabilities::CreateNew() const { return new GCapabilities; }
GCapabilities* GCapabilities::Copy() const { return new GCapabilities(*this); }
RWClassID GCapabilities::ClassId() const { return kClassId; }

uint32_t GCapabilities::BinaryStoreSize() const { return GObjectBase::BinaryStoreSize() + 8 + ByteCount(GetBitCount()); }

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

void GCapabilities::RestoreGuts(RWDataInStream& stream)
{
    GObjectBase::RestoreGuts(stream);
    ReadFields(stream);
}

void GCapabilities::RestoreGuts(RWBinaryFile& file)
{
    GObjectBase::RestoreGuts(file);
    ReadFields(file);
}

void GCapabilities::SaveGuts(RWDataOutStream& stream) const
{
    GObjectBase::SaveGuts(stream);
    WriteFields(stream);
}

void GCapabilities::SaveGuts(RWBinaryFile& file) const
{
    GObjectBase::SaveGuts(file);
    WriteFields(file);
}

bool GCapabilities::IsKindOf(RWClassID classId) const { return classId == kClassId || GObjectBase::IsKindOf(classId); }

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
