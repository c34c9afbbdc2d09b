// The nine-byte header that starts every endian data stream: a mark, a version, the
// byte order of the values that follow and the widths they were written with.
#pragma once

#include <cstddef>
#include <cstdint>

struct RWEndianHeader {
    static constexpr size_t kSize = 9;
    static constexpr uint8_t kMark0 = 'e';
    static constexpr uint8_t kMark1 = 's';
    static constexpr uint8_t kVersion = 1;

    // Byte orders; kHostOrder is accepted by the output stream's constructor only.
    static constexpr uint8_t kLittleEndian = 0;
    static constexpr uint8_t kBigEndian = 1;
    static constexpr uint8_t kHostOrder = 2;

    uint8_t order;
    uint8_t shortSize;
    uint8_t intSize;
    uint8_t longSize;
    uint8_t wcharSize;
    uint8_t sizeSize;

    // The order of this host, found once when the module loads.
    static uint8_t HostOrder();
    // A header for values written in the given order at this host's widths; any order
    // but little-endian and host is big-endian.
    static RWEndianHeader ForHost(uint8_t order);
    // The widths this reader can convert: 1, 2, 4 or 8 bytes.
    static bool IsSupportedSize(uint8_t size);

    void Encode(uint8_t bytes[kSize]) const;
    bool HasSupportedSizes() const;
};
