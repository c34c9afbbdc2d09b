#include "model/GBitStream.h"

#include <istream>
#include <ostream>

GBitStream::GBitStream() : in_(nullptr), out_(nullptr), mask_(0x80), byte_(0), good_(1) {}

GBitStream::GBitStream(std::istream& in) : GBitStream() { AttachInput(&in); }

GBitStream::GBitStream(std::ostream& out) : GBitStream() { AttachOutput(&out); }

GBitStream::~GBitStream() { Flush(); }

void GBitStream::AttachInput(std::istream* in)
{
    in_ = in;
    out_ = nullptr;
    byte_ = 0;
    mask_ = 0x80;
    good_ = 1;
}

void GBitStream::AttachOutput(std::ostream* out)
{
    out_ = out;
    in_ = nullptr;
    byte_ = 0;
    mask_ = 0x80;
    good_ = 1;
}

// Bytes go straight to the stream buffer (the codec puts many of them); a refused byte
// marks the stream bad as a formatted write would.
void GBitStream::PutByte()
{
    std::streambuf* buffer = out_ && out_->good() ? out_->rdbuf() : nullptr;
    if (!buffer || buffer->sputc(char(byte_)) == std::char_traits<char>::eof()) {
        if (out_)
            out_->setstate(std::ios::badbit);
        good_ = 0;
    }
}

void GBitStream::PutBit(uint32_t bit)
{
    if (bit)
        byte_ |= mask_;
    mask_ >>= 1;
    if (mask_ == 0) {
        PutByte();
        byte_ = 0;
        mask_ = 0x80;
    }
}

uint32_t GBitStream::WriteBit(uint32_t bit)
{
    if (good_)
        PutBit(bit);
    return good_;
}

uint32_t GBitStream::WriteBits(uint32_t value, uint32_t n)
{
    for (uint32_t i = n; i-- > 0 && good_;)
        PutBit((value >> i) & 1);
    return good_;
}

uint32_t GBitStream::ReadBits(uint32_t* value, uint32_t n)
{
    uint32_t result = 0;
    for (uint32_t i = n; i-- > 0 && good_;) {
        if (mask_ == 0x80) {
            std::streambuf* buffer = in_ && in_->good() ? in_->rdbuf() : nullptr;
            const int next = buffer ? buffer->sbumpc() : std::char_traits<char>::eof();
            if (next == std::char_traits<char>::eof()) {
                if (in_)
                    in_->setstate(std::ios::eofbit | std::ios::failbit);
                good_ = 0;
                break;
            }
            byte_ = uint8_t(next);
        }
        if (byte_ & mask_)
            result |= 1u << i;
        mask_ >>= 1;
        if (mask_ == 0)
            mask_ = 0x80;
    }
    *value = result;
    return good_;
}

uint32_t GBitStream::Flush()
{
    if (!out_)
        return 1;
    uint32_t result = 1;
    if (mask_ != 0x80) {
        if (good_)
            PutByte();
        result = good_;
        byte_ = 0;
        mask_ = 0x80;
    }
    out_->flush();
    if (!out_->good())
        result = 0;
    out_ = nullptr;
    return result;
}
