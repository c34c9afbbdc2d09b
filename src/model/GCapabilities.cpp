#include "model/GCapabilities.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"
#include "foundation/RWErrorHandler.h"
#include "model/GStoredForm.h"

#include <vector>

namespace {

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
// bytes that can still follow before the set is replaced.
void GCapabilities::RestoreGuts(RWDataInStream& stream)
{
    RWCollectable::RestoreGuts(stream);
    unsigned int count = 0;
    if (!GReadVersion(stream) || !(stream >> count).Good() || count == 0)
        return;
    const uint32_t byteCount = ByteCount(count);
    if (!GCanReadStored(stream, byteCount))
        return;
    std::vector<unsigned char> bytes(byteCount);
    if (stream.Get(bytes.data(), byteCount).Good())
        bits_ = RWBitVector(bytes.data(), count);
}

void GCapabilities::RestoreGuts(RWBinaryFile& file)
{
    GObjectBase::RestoreGuts(file);
    uint32_t count = 0;
    if (!ReadVersion(file) || !file.Read(count) || count == 0)
        return;
    const uint32_t byteCount = ByteCount(count);
    if (!GCanReadStored(file, byteCount))
        return;
    std::vector<char> bytes(byteCount);
    if (file.Read(bytes.data(), byteCount))
        bits_ = RWBitVector(reinterpret_cast<const uint8_t*>(bytes.data()), count);
}

void GCapabilities::SaveGuts(RWDataOutStream& stream) const
{
    RWCollectable::SaveGuts(stream);
    GWriteVersion(stream);
    stream << static_cast<unsigned int>(GetBitCount());
    if (GetBitCount())
        stream.Put(bits_.Data(), ByteCount(GetBitCount()));
}

void GCapabilities::SaveGuts(RWBinaryFile& file) const
{
    GObjectBase::SaveGuts(file);
    WriteVersion(file);
    file.Write(GetBitCount());
    if (GetBitCount())
        file.Write(reinterpret_cast<const char*>(bits_.Data()), ByteCount(GetBitCount()));
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
    if (bit >= GetBitCount())
        bits_.Resize(size_t(bit) + 1);
    return true;
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
