#include "model/GZlibCodec.h"

#include <zlib.h>

#include <istream>
#include <memory>
#include <new>
#include <ostream>

namespace {

using Buffer = std::unique_ptr<Bytef[]>;

Buffer Allocate(size_t size) { return Buffer(new (std::nothrow) Bytef[size ? size : 1]); }

// The whole stream from its start; false when it cannot be measured, held or read.
bool ReadWhole(std::istream& in, Buffer& bytes, uLong& size)
{
    if (!in.seekg(0, std::ios::end))
        return false;
    const std::streamoff end = in.tellg();
    if (end < 0 || uint64_t(end) > uint64_t(uLong(-1)) || !in.seekg(0, std::ios::beg))
        return false;
    size = uLong(end);
    bytes = Allocate(size);
    if (!bytes)
        return false;
    in.read(reinterpret_cast<char*>(bytes.get()), std::streamsize(size));
    return in.gcount() == std::streamsize(size);
}

} // namespace

GZlibCodec::~GZlibCodec() = default;

uint32_t GZlibCodec::CompressStream(std::istream& in, std::ostream& out)
{
    Buffer source;
    uLong sourceSize = 0;
    if (!ReadWhole(in, source, sourceSize))
        return 0;
    // The packed form must be smaller than the data: the buffer is no bigger.
    Buffer packed = Allocate(sourceSize);
    if (!packed)
        return 0;
    uLongf packedSize = sourceSize;
    if (compress(packed.get(), &packedSize, source.get(), sourceSize) != Z_OK)
        return 0;

    if (!out.seekp(0, std::ios::end))
        return 0;
    const std::streamoff capacity = out.tellp();
    if (capacity < 0 || !out.seekp(0, std::ios::beg))
        return 0;
    if (uint64_t(capacity) < packedSize)
        return 0;
    out.write(reinterpret_cast<const char*>(packed.get()), std::streamsize(packedSize));
    return out.good() ? 1 : 0;
}

uint32_t GZlibCodec::UncompressStream(std::istream& in, std::ostream& out)
{
    Buffer source;
    uLong sourceSize = 0;
    if (!ReadWhole(in, source, sourceSize))
        return 0;
    Buffer unpacked = Allocate(kUncompressLimit);
    if (!unpacked)
        return 0;
    uLongf unpackedSize = kUncompressLimit;
    if (uncompress(unpacked.get(), &unpackedSize, source.get(), sourceSize) != Z_OK)
        return 0;
    out.write(reinterpret_cast<const char*>(unpacked.get()), std::streamsize(unpackedSize));
    return out.good() ? 1 : 0;
}
