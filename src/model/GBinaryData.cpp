#include "model/GBinaryData.h"

#include "model/GStoredCounts.h"
#include "model/GStoredFields.h"

#include <cstring>
#include <new>

namespace {

// Passes over stored bytes that there is no room for.
void SkipBytes(RWBinaryFile& file, uint32_t n) { file.SeekTo(file.CurOffset() + static_cast<long>(n)); }

void SkipBytes(RWDataInStream& stream, uint32_t n)
{
    for (uint32_t i = 0; i < n && stream.Good(); ++i) {
        unsigned char byte;
        stream >> byte;
    }
}

} // namespace

GBinaryData::GBinaryData() : data_(nullptr), length_(0), owns_(0), allocated_(false) {}

GBinaryData::GBinaryData(uint8_t* data, uint32_t length, int32_t owns, const long& id)
    : GPersistent(id), data_(data), length_(data ? length : 0), owns_(owns), allocated_(false)
{
}

GBinaryData::GBinaryData(const GBinaryData& other)
    : GPersistent(), data_(nullptr), length_(0), owns_(0), allocated_(false)
{
    CopyBytes(other);
}

GBinaryData& GBinaryData::operator=(const GBinaryData& other)
{
    if (this != &other) {
        GObjectBase::operator=(other);
        CopyBytes(other);
    }
    return *this;
}

GBinaryData::~GBinaryData() { Clear(); }

uint32_t GBinaryData::FieldsSize() const { return 12 + length_; }

void GBinaryData::CopyBytes(const GBinaryData& other)
{
    uint8_t* buffer = other.length_ != 0 ? new (std::nothrow) uint8_t[other.length_] : nullptr;
    if (buffer)
        std::memcpy(buffer, other.data_, other.length_);
    Clear();
    if (buffer) {
        data_ = buffer;
        length_ = other.length_;
        allocated_ = true;
    }
}

template <class In>
void GBinaryData::ReadFields(In& in)
{
    uint32_t length = 0;
    int32_t owns = 0;
    if (!GReadFields(in, length, owns))
        return;
    uint8_t* buffer = nullptr;
    if (length != 0) {
        if (!GCheckStoredCount(in, length, 1))
            return;
        buffer = new (std::nothrow) uint8_t[length];
        if (!buffer) {
            // No room: the object is left empty and the reader goes on behind the bytes.
            SkipBytes(in, length);
            length = 0;
        } else if (!GReadBytes(in, buffer, length)) {
            delete[] buffer;
            return;
        }
    }
    Clear();
    data_ = buffer;
    length_ = length;
    owns_ = owns;
    allocated_ = buffer != nullptr;
}

template <class Out>
void GBinaryData::WriteFields(Out& out) const
{
    GWriteFields(out, length_, owns_);
    GWriteBytes(out, data_, length_);
}

bool GBinaryData::IsSame(const GObjectBase* other) const
{
    const GBinaryData* data = GSameClass<GBinaryData>(this, other);
    return data && GObjectBase::IsSame(data) && data->length_ == length_ &&
           (data->data_ == data_ || length_ == 0 || std::memcmp(data->data_, data_, length_) == 0);
}

void GBinaryData::SetData(uint8_t* data, uint32_t length, int32_t owns)
{
    if (data != data_) {
        Clear();
        allocated_ = false;
    }
    data_ = data;
    length_ = data ? length : 0;
    owns_ = owns;
}

uint8_t* GBinaryData::Release()
{
    uint8_t* data = data_;
    data_ = nullptr;
    length_ = 0;
    owns_ = 0;
    allocated_ = false;
    return data;
}

void GBinaryData::Clear()
{
    if (owns_ != 0 || allocated_)
        delete[] data_;
    Release();
}

// The stored form for every medium, for the base's savers and restorers elsewhere.
template void GBinaryData::ReadFields(RWBinaryFile&);
template void GBinaryData::ReadFields(RWDataInStream&);
template void GBinaryData::WriteFields(RWBinaryFile&) const;
template void GBinaryData::WriteFields(RWDataOutStream&) const;
