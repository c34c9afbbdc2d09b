// Packs a whole in-memory stream with zlib and unpacks it again: the compression of the
// settings stored in the device mode. Made on the stack around one call.
#pragma once

#include <cstdint>
#include <iosfwd>

class GZlibCodec {
public:
    // The most bytes one unpacking gives.
    static constexpr uint32_t kUncompressLimit = 16000;

    GZlibCodec() = default;
    virtual ~GZlibCodec();

    // Packs all of in (from its start) at the start of out, whose size is its capacity.
    // 1 on success; 0 when zlib fails (data that does not shrink) or the packed bytes do
    // not fit in out, and then nothing is written: out's position stays at 0.
    uint32_t CompressStream(std::istream& in, std::ostream& out);
    // Unpacks all of in and writes the bytes to out. 1 on success; 0 when zlib fails
    // (among others, data that unpacks past kUncompressLimit bytes) or out does not take
    // every byte.
    uint32_t UncompressStream(std::istream& in, std::ostream& out);
};
