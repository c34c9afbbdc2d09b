#include "model/GByteBuffer.h"

#include <new>

GByteBuffer::GByteBuffer(uint8_t* data, uint32_t length, uint32_t owns) : data_(data), length_(length), owns_(owns) {}

GByteBuffer::~GByteBuffer()
{
    if (owns_)
        delete[] data_;
}

uint8_t* GByteBuffer::Release()
{
    if (length_ == 0)
        return nullptr;
    if (owns_) {
        owns_ = 0;
        return data_;
    }
    uint8_t* copy = new (std::nothrow) uint8_t[length_];
    if (copy)
        CopyBytes(data_, copy, length_);
    return copy;
}

GByteBuffer* GByteBuffer::Clone()
{
    GByteBuffer* clone = new (std::nothrow) GByteBuffer(nullptr, length_, 1);
    if (clone)
        clone->data_ = Release();
    return clone;
}

int GByteBuffer::MakeOwned()
{
    if (length_ == 0 || owns_)
        return 1;
    uint8_t* copy = new (std::nothrow) uint8_t[length_];
    if (!copy)
        return 0;
    CopyBytes(data_, copy, length_);
    data_ = copy;
    owns_ = 1;
    return 1;
}

void CopyBytes(const void* source, void* destination, uint32_t count)
{
    const uint8_t* from = static_cast<const uint8_t*>(source);
    uint8_t* to = static_cast<uint8_t*>(destination);
    for (uint32_t i = 0; i < count; ++i)
        to[i] = from[i];
}

void GetComponentVersion(uint32_t& first, uint32_t& second)
{
    first = 0x00040002;
    second = 0x00010008;
}
