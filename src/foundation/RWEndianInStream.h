// Typed binary input written by RWEndianOutStream on any host: the header read by the
// constructor gives the byte order and the widths, and every value is converted to
// this host's width and order as it is read.
#pragma once

#include "foundation/RWBinaryInStream.h"
#include "foundation/RWEndianHeader.h"

class RWEndianInStream : public RWBinaryInStream {
public:
    // Reads the header. A wrong mark or version, a header byte that cannot be read or
    // a width this reader cannot convert raises [STREAM] and sets the fail bit.
    explicit RWEndianInStream(std::istream& stream);
    explicit RWEndianInStream(std::streambuf* buffer);
    ~RWEndianInStream() override;

    // The header as read (fields not read keep this host's values).
    const RWEndianHeader& Header() const { return header_; }

protected:
    bool GetItems(void* items, size_t itemSize, size_t count, ItemKind kind, bool isSigned) override;

private:
    void ReadHeader();
    void RaiseBadStream();
    uint8_t StoredSize(ItemKind kind) const;
    // Reads one integer stored in storedSize bytes into hostSize bytes of host order.
    bool GetInteger(uint8_t* item, size_t hostSize, uint8_t storedSize, bool isSigned);

    RWEndianHeader header_;
    bool swap_;
};
