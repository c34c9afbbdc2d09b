// Reads or writes a byte stream one bit at a time, most significant bit of each byte
// first: the bit layer under the LZW codec. One side is attached at a time.
#pragma once

#include <cstdint>
#include <iosfwd>

class GBitStream {
public:
    GBitStream();
    explicit GBitStream(std::istream& in);
    explicit GBitStream(std::ostream& out);
    // Completes and puts a pending partial byte.
    virtual ~GBitStream();

    GBitStream(const GBitStream&) = delete;
    GBitStream& operator=(const GBitStream&) = delete;

    // Each detaches the other side and starts a fresh byte with the good flag set.
    void AttachInput(std::istream* in);
    void AttachOutput(std::ostream* out);

    // Each answers the good flag, which drops to 0 for good once the stream fails.
    uint32_t WriteBit(uint32_t bit);
    // The n low bits of value, bit n-1 first.
    uint32_t WriteBits(uint32_t value, uint32_t n);
    // n bits into the n low bits of *value, the first read the most significant; the
    // end of the input drops the good flag.
    uint32_t ReadBits(uint32_t* value, uint32_t n);
    // Puts a partial byte padded with zero bits, flushes the output stream and detaches
    // it; 1 with no output attached.
    uint32_t Flush();

    uint32_t IsGood() const { return good_; }

private:
    void PutBit(uint32_t bit);
    void PutByte();

    std::istream* in_;
    std::ostream* out_;
    uint8_t mask_;
    uint8_t byte_;
    uint32_t good_;
};
