#include "foundation/RWBitVector.h"

#include "foundation/RWCollectionHelpers.h"
#include "foundation/RWErrorHandler.h"

#include <algorithm>
#include <cstring>
#include <new>

void RWBitsOr(uint8_t* dst, const uint8_t* src, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        dst[i] |= src[i];
}

void RWBitsXor(uint8_t* dst, const uint8_t* src, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        dst[i] ^= src[i];
}

void RWBitsAnd(uint8_t* dst, const uint8_t* src, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        dst[i] &= src[i];
}

namespace {

// The first bit among the first n that is set in (byte XOR flip), or -1.
int32_t FirstMatching(const uint8_t* bits, size_t n, uint8_t flip)
{
    for (size_t byte = 0; byte * 8 < n; ++byte) {
        const uint8_t b = bits[byte] ^ flip;
        if (!b)
            continue;
        for (unsigned bit = 0; bit < 8 && byte * 8 + bit < n; ++bit)
            if (b & (1u << bit))
                return int32_t(byte * 8 + bit);
    }
    return -1;
}

uint32_t RotateLeft(uint32_t h, unsigned n) { return (h << n) | (h >> (32 - n)); }

} // namespace

int32_t FirstTrue(const uint8_t* bits, size_t n) { return FirstMatching(bits, n, 0x00); }
int32_t FirstFalse(const uint8_t* bits, size_t n) { return FirstMatching(bits, n, 0xFF); }

namespace {

// Clear bytes for n bits, or null when n is 0, does not fit the 32-bit count or cannot
// be allocated. The byte count is worked out in 64 bits: near 2^32 bits it would wrap.
uint8_t* NewBytes(uint64_t n)
{
    if (n == 0 || n > UINT32_MAX)
        return nullptr;
    return new (std::nothrow) uint8_t[size_t((n + 7) / 8)]();
}

} // namespace

RWBitVector::RWBitVector(size_t n) : bytes_(NewBytes(n)), count_(bytes_ ? uint32_t(n) : 0) {}

RWBitVector::RWBitVector(size_t n, bool value) : RWBitVector(n) { Fill(value); }

RWBitVector::RWBitVector(const uint8_t* bytes, size_t n) : RWBitVector(n)
{
    if (bytes && count_)
        std::memcpy(bytes_, bytes, ByteCount());
}

RWBitVector::RWBitVector(const RWBitVector& other) : RWBitVector(other.bytes_, other.count_) {}

RWBitVector& RWBitVector::operator=(const RWBitVector& other)
{
    if (this == &other)
        return *this;
    uint8_t* copy = NewBytes(other.count_);
    if (other.count_ && !copy)
        return *this; // no memory: the bits stay as they were
    if (copy)
        std::memcpy(copy, other.bytes_, other.ByteCount());
    delete[] bytes_;
    bytes_ = copy;
    count_ = other.count_;
    return *this;
}

RWBitVector::~RWBitVector() { delete[] bytes_; }

bool RWBitVector::BoundsCheck(size_t i) const
{
    return RWIndexInRange(i, count_);
}

bool RWBitVector::TestBit(size_t i) const
{
    return BoundsCheck(i) && ((bytes_[i / 8] >> (i % 8)) & 1) != 0;
}

void RWBitVector::SetBit(size_t i, bool value)
{
    if (!BoundsCheck(i))
        return;
    const uint8_t bit = uint8_t(1u << (i % 8));
    if (value)
        bytes_[i / 8] |= bit;
    else
        bytes_[i / 8] &= uint8_t(~bit);
}

void RWBitVector::Fill(bool value)
{
    if (bytes_)
        std::memset(bytes_, value ? 0xFF : 0x00, ByteCount());
}

bool RWBitVector::TestAll(bool value) const
{
    const uint8_t whole = value ? 0xFF : 0x00;
    const size_t full = count_ / 8;
    for (size_t i = 0; i < full; ++i)
        if (bytes_[i] != whole)
            return false;
    const uint8_t mask = TailMask();
    return !mask || (bytes_[full] & mask) == (whole & mask);
}

size_t RWBitVector::CountSet() const
{
    size_t n = 0;
    for (size_t i = 0; i < count_; ++i)
        n += (bytes_[i / 8] >> (i % 8)) & 1;
    return n;
}

uint32_t RWBitVector::Hash() const
{
    uint32_t h = count_;
    const size_t full = count_ / 8;
    for (size_t i = 0; i < full; ++i)
        h = RotateLeft(h, 5) ^ bytes_[i];
    if (const uint8_t mask = TailMask())
        h = RotateLeft(h, 5) ^ (bytes_[full] & mask);
    return h;
}

bool RWBitVector::Resize(size_t n)
{
    const size_t oldBytes = ByteCount();
    const uint64_t newBytes = (uint64_t(n) + 7) / 8;
    if (newBytes != oldBytes) {
        uint8_t* bytes = NewBytes(n);
        if (n && !bytes)
            return false;
        if (oldBytes && bytes)
            std::memcpy(bytes, bytes_, std::min<size_t>(oldBytes, size_t(newBytes)));
        delete[] bytes_;
        bytes_ = bytes;
    }
    // Bits that were the old unused tail become used: they must read 0.
    if (n > count_ && count_ % 8)
        bytes_[count_ / 8] &= TailMask();
    count_ = uint32_t(n);
    return true;
}

RWBitVector RWBitVector::operator~() const
{
    RWBitVector result(*this);
    for (size_t i = 0; i < result.ByteCount(); ++i)
        result.bytes_[i] = uint8_t(~result.bytes_[i]);
    return result;
}

RWBitVector RWBitVector::Combined(const RWBitVector& other, Combine combine) const
{
    if (count_ != other.count_)
        RWRaiseInternal(RWMessageUnequalVectors(), unsigned(count_), unsigned(other.count_));
    // With different counts only the bytes both vectors have are combined; the rest of
    // the left vector is kept as it is.
    RWBitVector result(*this);
    combine(result.bytes_, other.bytes_, std::min(ByteCount(), other.ByteCount()));
    return result;
}

RWBitVector RWBitVector::operator&(const RWBitVector& other) const { return Combined(other, RWBitsAnd); }
RWBitVector RWBitVector::operator|(const RWBitVector& other) const { return Combined(other, RWBitsOr); }
RWBitVector RWBitVector::operator^(const RWBitVector& other) const { return Combined(other, RWBitsXor); }

bool RWBitVector::operator==(const RWBitVector& other) const
{
    if (count_ != other.count_)
        return false;
    const size_t full = count_ / 8;
    if (full && std::memcmp(bytes_, other.bytes_, full) != 0)
        return false;
    const uint8_t mask = TailMask();
    return !mask || (bytes_[full] & mask) == (other.bytes_[full] & mask);
}
