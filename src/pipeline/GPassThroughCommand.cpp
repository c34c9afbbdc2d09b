#include "pipeline/GPassThroughCommand.h"

#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"
#include "printer/GPeripheral.h"

#include <cstring>
#include <new>

namespace {

// A block of length bytes holding a copy of the data; null when none could be had.
uint8_t* CopyOfBytes(const uint8_t* data, uint16_t length)
{
    if (!data || length == 0)
        return nullptr;
    uint8_t* block = new (std::nothrow) uint8_t[length];
    if (block)
        std::memcpy(block, data, length);
    return block;
}

} // namespace

GPassThroughCommand::GPassThroughCommand() : data_(nullptr), length_(0), target_(0), owned_(0) {}

GPassThroughCommand::GPassThroughCommand(const uint8_t* data, uint16_t length, uint16_t targetClassId,
                                         const long& id)
    : GPersistent(id), data_(const_cast<uint8_t*>(data)), length_(length), target_(targetClassId), owned_(0)
{
}

GPassThroughCommand::GPassThroughCommand(const GPassThroughCommand& other)
    : GPersistent(other), data_(nullptr), length_(0), target_(other.target_), owned_(0)
{
    CopyDataOf(other);
}

GPassThroughCommand& GPassThroughCommand::operator=(const GPassThroughCommand& other)
{
    if (this != &other) {
        GCommand::operator=(other);
        FreeData();
        target_ = other.target_;
        CopyDataOf(other);
    }
    return *this;
}

GPassThroughCommand::~GPassThroughCommand() { FreeData(); }

void GPassThroughCommand::FreeData()
{
    if (owned_)
        delete[] data_;
    data_ = nullptr;
    length_ = 0;
    owned_ = 0;
}

// Without a block the copy keeps no bytes rather than sharing the other's.
void GPassThroughCommand::CopyDataOf(const GPassThroughCommand& other)
{
    uint8_t* block = CopyOfBytes(other.data_, other.length_);
    const bool empty = !other.data_ || other.length_ == 0;
    data_ = block;
    length_ = block || empty ? other.length_ : 0;
    owned_ = 1;
}

bool GPassThroughCommand::IsSame(const GObjectBase* other) const
{
    const GPassThroughCommand* command = GSameClass<GPassThroughCommand>(this, other);
    if (!command || !LikeCommandPart(*command) || command->length_ != length_ || command->target_ != target_ ||
        command->owned_ != owned_)
        return false;
    if (command->data_ == data_)
        return true;
    if (!command->data_ || !data_)
        return false;
    return std::memcmp(command->data_, data_, length_) == 0;
}

void GPassThroughCommand::Prepare() { MakeDataOwned(); }

int16_t GPassThroughCommand::Execute(GCommandHandler& target) { return target.OnPassThrough(*this); }

int GPassThroughCommand::MakeDataOwned()
{
    if (owned_)
        return 1;
    if (!data_ || length_ == 0) {
        owned_ = 1;
        return 1;
    }
    uint8_t* block = CopyOfBytes(data_, length_);
    if (!block)
        return 0;
    data_ = block;
    owned_ = 1;
    return 1;
}

// The stored length is checked against what the data still holds before a block is
// asked for; a length the data cannot supply fails the restore and the command keeps
// what it had.
template <class In>
bool GPassThroughCommand::ReadStored(In& in)
{
    uint16_t length = 0;
    uint16_t target = 0;
    if (!GReadField(in, length) || !GReadField(in, target))
        return false;
    uint8_t* block = nullptr;
    if (length != 0) {
        if (!GCheckStoredCount(in, length, 1))
            return false;
        block = new (std::nothrow) uint8_t[length];
        if (!block) {
            GRefuseStored(in);
            return false;
        }
        if (!GReadBytes(in, block, length)) {
            delete[] block;
            return false;
        }
    }
    FreeData();
    data_ = block;
    length_ = length;
    target_ = target;
    owned_ = 1;
    return true;
}

template <class Out>
void GPassThroughCommand::WriteStored(Out& out) const
{
    GWriteField(out, length_);
    GWriteField(out, target_);
    if (data_)
        GWriteBytes(out, data_, length_);
    else
        for (uint16_t i = 0; i < length_; ++i)
            GWriteField(out, uint8_t(0));
}

template bool GPassThroughCommand::ReadStored(RWBinaryFile&);
template bool GPassThroughCommand::ReadStored(RWDataInStream&);
template void GPassThroughCommand::WriteStored(RWBinaryFile&) const;
template void GPassThroughCommand::WriteStored(RWDataOutStream&) const;
