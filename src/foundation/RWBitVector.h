// A packed vector of bits: bit i lives in byte i / 8 at bit i % 8, least significant
// first. The bits of the last byte beyond the count (the unused tail) take part in no
// comparison, count or hash.
#pragma once

#include <cstddef>
#include <cstdint>

// Byte-wise in-place combinations of two arrays of n bytes: dst op= src.
void RWBitsOr(uint8_t* dst, const uint8_t* src, size_t n);
void RWBitsXor(uint8_t* dst, const uint8_t* src, size_t n);
void RWBitsAnd(uint8_t* dst, const uint8_t* src, size_t n);
// The index of the first set (clear) bit among the first n bits, or -1.
int32_t FirstTrue(const uint8_t* bits, size_t n);
int32_t FirstFalse(const uint8_t* bits, size_t n);

class RWBitVector {
public:
    RWBitVector() : bytes_(nullptr), count_(0) {}
    // n bits, all clear; no bits when they do not fit a 32-bit count or cannot be
    // allocated (so with the other constructors).
    explicit RWBitVector(size_t n);
    // n bits; every byte 0xFF for true, 0x00 for false (the unused tail too).
    RWBitVector(size_t n, bool value);
    // n bits copied from (n + 7) / 8 bytes; a null source gives clear bits.
    RWBitVector(const uint8_t* bytes, size_t n);
    RWBitVector(const RWBitVector& other);
    RWBitVector& operator=(const RWBitVector& other);
    ~RWBitVector();

    size_t Length() const { return count_; }
    size_t ByteCount() const { return ByteCount(count_); }
    // The packed bytes; null when the count is 0.
    const uint8_t* Data() const { return bytes_; }

    // Checked bit access: an index not below the count raises the index error; the
    // read then answers false and the write does nothing.
    bool TestBit(size_t i) const;
    void SetBit(size_t i, bool value = true);
    void ClearBit(size_t i) { SetBit(i, false); }

    // Every byte 0xFF for true, 0x00 for false.
    void Fill(bool value);
    // True when every used bit equals value.
    bool TestAll(bool value) const;
    size_t CountSet() const;
    int32_t FirstTrue() const { return ::FirstTrue(bytes_, count_); }
    int32_t FirstFalse() const { return ::FirstFalse(bytes_, count_); }
    uint32_t Hash() const;
    // Changes the count to n; added bits read 0. False, with the bits as they were,
    // when n does not fit a 32-bit count or its bytes cannot be allocated.
    bool Resize(size_t n);
    // True when i is below the count; otherwise raises the index error.
    bool BoundsCheck(size_t i) const;

    RWBitVector operator~() const;
    // Combine with a vector of the same count. Different counts raise [NEVECL]; the
    // result then has the left count and combines only the bytes both vectors have.
    RWBitVector operator&(const RWBitVector& other) const;
    RWBitVector operator|(const RWBitVector& other) const;
    RWBitVector operator^(const RWBitVector& other) const;
    bool operator==(const RWBitVector& other) const;
    bool operator!=(const RWBitVector& other) const { return !(*this == other); }

private:
    typedef void (*Combine)(uint8_t*, const uint8_t*, size_t);

    static size_t ByteCount(uint32_t n) { return size_t((uint64_t(n) + 7) / 8); }
    // The used bits of the last byte; 0 when the count fills whole bytes.
    uint8_t TailMask() const { return uint8_t((1u << (count_ % 8)) - 1); }
    RWBitVector Combined(const RWBitVector& other, Combine combine) const;

    uint8_t* bytes_;
    uint32_t count_;
};
