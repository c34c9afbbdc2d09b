#include "foundation/RWEndianInStream.h"

#include "foundation/RWErrorHandler.h"

#include <algorithm>

RWEndianInStream::RWEndianInStream(std::istream& stream) : RWEndianInStream(stream.rdbuf()) {}

RWEndianInStream::RWEndianInStream(std::streambuf* buffer)
    : RWBinaryInStream(buffer), header_(RWEndianHeader::ForHost(RWEndianHeader::kHostOrder)), swap_(false)
{
    ReadHeader();
}

RWEndianInStream::~RWEndianInStream() = default;

void RWEndianInStream::RaiseBadStream()
{
    RWRaise(RWStreamError(RWMessageText(RWMessageBadStream()), static_cast<const RWDataStream*>(this)));
    AddState(kFail);
}

void RWEndianInStream::ReadHeader()
{
    static const uint8_t kExpected[] = {RWEndianHeader::kMark0, RWEndianHeader::kMark1, RWEndianHeader::kVersion};
    uint8_t* const fields[] = {&header_.order, &header_.shortSize, &header_.intSize,
                               &header_.longSize, &header_.wcharSize, &header_.sizeSize};
    for (size_t i = 0; i < RWEndianHeader::kSize; ++i) {
        const int byte = Get();
        if (byte < 0) {
            RaiseBadStream();
            continue;
        }
        if (i < sizeof kExpected) {
            if (byte != kExpected[i])
                RaiseBadStream();
        } else {
            *fields[i - sizeof kExpected] = static_cast<uint8_t>(byte);
        }
    }
    if (header_.order != RWEndianHeader::kLittleEndian)
        header_.order = RWEndianHeader::kBigEndian;
    swap_ = header_.order != RWEndianHeader::HostOrder();
    // Widths other than these cannot be converted without reading past the value.
    if (!header_.HasSupportedSizes())
        RaiseBadStream();
}

uint8_t RWEndianInStream::StoredSize(ItemKind kind) const
{
    switch (kind) {
    case ItemKind::Short:
        return header_.shortSize;
    case ItemKind::Int:
        return header_.intSize;
    case ItemKind::Long:
        return header_.longSize;
    case ItemKind::Size:
        return header_.sizeSize;
    case ItemKind::Byte:
    case ItemKind::Real:
        break;
    }
    return 0;
}

bool RWEndianInStream::GetItems(void* items, size_t itemSize, size_t count, ItemKind kind, bool isSigned)
{
    uint8_t* item = static_cast<uint8_t*>(items);
    if (kind == ItemKind::Byte || itemSize == 1)
        return RWBinaryInStream::GetItems(items, itemSize, count, kind, isSigned);
    if (kind == ItemKind::Real) {
        if (!RWBinaryInStream::GetItems(items, itemSize, count, kind, isSigned))
            return false;
        if (swap_)
            for (size_t i = 0; i < count; ++i)
                std::reverse(item + i * itemSize, item + (i + 1) * itemSize);
        return true;
    }
    const uint8_t storedSize = StoredSize(kind);
    for (size_t i = 0; i < count; ++i)
        if (!GetInteger(item + i * itemSize, itemSize, storedSize, isSigned))
            return false;
    return true;
}

bool RWEndianInStream::GetInteger(uint8_t* item, size_t hostSize, uint8_t storedSize, bool isSigned)
{
    if (!RWEndianHeader::IsSupportedSize(storedSize) || hostSize > 8) {
        AddState(kFail);
        return false;
    }
    uint8_t stored[8];
    if (ReadBytes(stored, storedSize) != storedSize)
        return false;

    // The stored value, most significant byte first, widened to 64 bits with its sign.
    uint64_t value = 0;
    for (size_t i = 0; i < storedSize; ++i) {
        const size_t at = header_.order == RWEndianHeader::kLittleEndian ? storedSize - 1 - i : i;
        value = (value << 8) | stored[at];
    }
    const unsigned storedBits = 8u * storedSize;
    const bool negative = isSigned && ((value >> (storedBits - 1)) & 1) != 0;
    if (negative && storedBits < 64)
        value |= ~uint64_t(0) << storedBits;

    // A wider stored value fits when its dropped bytes are only the sign fill of what is kept.
    bool fits = true;
    if (storedSize > hostSize) {
        const unsigned hostBits = 8u * static_cast<unsigned>(hostSize);
        const uint64_t dropped = value >> hostBits;
        const bool keptNegative = isSigned && ((value >> (hostBits - 1)) & 1) != 0;
        const uint64_t fill = keptNegative ? (~uint64_t(0) >> hostBits) : 0;
        fits = dropped == fill;
    }

    // Store the low-order hostSize bytes in host order.
    for (size_t i = 0; i < hostSize; ++i) {
        const size_t at = RWEndianHeader::HostOrder() == RWEndianHeader::kLittleEndian ? i : hostSize - 1 - i;
        item[at] = static_cast<uint8_t>(value >> (8 * i));
    }
    if (!fits) {
        AddState(kFail);
        return false;
    }
    return true;
}
