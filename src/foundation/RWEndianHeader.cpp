#include "foundation/RWEndianHeader.h"

namespace {

uint8_t DetectHostOrder()
{
    const uint32_t one = 1;
    return *reinterpret_cast<const uint8_t*>(&one) == 1 ? RWEndianHeader::kLittleEndian
                                                          : RWEndianHeader::kBigEndian;
}

const uint8_t g_hostOrder = DetectHostOrder();

} // namespace

uint8_t RWEndianHeader::HostOrder() { return g_hostOrder; }

RWEndianHeader RWEndianHeader::ForHost(uint8_t order)
{
    RWEndianHeader header;
    if (order == kHostOrder)
        header.order = HostOrder();
    else
        header.order = order == kLittleEndian ? kLittleEndian : kBigEndian;
    header.shortSize = sizeof(short);
    header.intSize = sizeof(int);
    header.longSize = sizeof(long);
    header.wcharSize = sizeof(wchar_t);
    header.sizeSize = sizeof(size_t);
    return header;
}

bool RWEndianHeader::IsSupportedSize(uint8_t size)
{
    return size == 1 || size == 2 || size == 4 || size == 8;
}

void RWEndianHeader::Encode(uint8_t bytes[kSize]) const
{
    const uint8_t encoded[kSize] = {kMark0, kMark1, kVersion, order, shortSize, intSize, longSize, wcharSize, sizeSize};
    for (size_t i = 0; i < kSize; ++i)
        bytes[i] = encoded[i];
}

bool RWEndianHeader::HasSupportedSizes() const
{
    const uint8_t sizes[] = {shortSize, intSize, longSize, wcharSize, sizeSize};
    for (uint8_t size : sizes)
        if (!IsSupportedSize(size))
            return false;
    return true;
}
