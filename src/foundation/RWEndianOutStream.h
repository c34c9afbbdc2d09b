// Typed binary output that can be read back on any host: a header records the byte
// order and the widths, then every value follows at this host's width in that order.
#pragma once

#include "foundation/RWBinaryOutStream.h"
#include "foundation/RWEndianHeader.h"

class RWEndianOutStream : public RWBinaryOutStream {
public:
    // order: RWEndianHeader::kLittleEndian, kBigEndian or kHostOrder. The buffer's write
    // position must be 0: one that is past it, or that cannot tell it, raises [STREAM];
    // the header is written in either case.
    RWEndianOutStream(std::ostream& stream, uint8_t order);
    RWEndianOutStream(std::streambuf* buffer, uint8_t order);
    ~RWEndianOutStream() override;

    // The byte order the values are written in (never kHostOrder).
    uint8_t ByteOrder() const { return order_; }

protected:
    void PutItems(const void* items, size_t itemSize, size_t count) override;

private:
    void WriteHeader();

    uint8_t order_;
    bool swap_;
};
