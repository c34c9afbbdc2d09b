#include "model/GZlibCodec.h"

#include <zlib.h>

#include <atomic>
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

// zlib streams made once and reset for each use: making a deflate stream allocates and
// clears a quarter of a megabyte, which would cost more than packing a few hundred bytes.
// A reset stream writes the same bytes as a new one with the same parameters (those of
// compress and uncompress). A few streams of each kind serve threads side by side; a
// thread that finds them all taken uses a stream of its own for that one call.
class KeptStreams {
public:
    static constexpr int kSlots = 4;

    ~KeptStreams()
    {
        for (Slot& slot : deflaters_)
            if (slot.made)
                deflateEnd(&slot.stream);
        for (Slot& slot : inflaters_)
            if (slot.made)
                inflateEnd(&slot.stream);
    }

    // A reset deflate stream, or null when none is free or none can be made.
    z_stream* TakeDeflater() { return Take(deflaters_, true); }
    z_stream* TakeInflater() { return Take(inflaters_, false); }
    void Give(z_stream* stream)
    {
        for (Slot* slots : {deflaters_, inflaters_})
            for (int i = 0; i < kSlots; ++i)
                if (&slots[i].stream == stream) {
                    slots[i].stream.next_in = nullptr;
                    slots[i].stream.next_out = nullptr;
                    slots[i].busy.store(false);
                    return;
                }
    }

private:
    struct Slot {
        std::atomic<bool> busy{false};
        bool made = false;
        z_stream stream = {};
    };

    static z_stream* Take(Slot* slots, bool deflater)
    {
        for (int i = 0; i < kSlots; ++i) {
            Slot& slot = slots[i];
            bool expected = false;
            if (!slot.busy.compare_exchange_strong(expected, true))
                continue;
            if (!slot.made)
                slot.made = (deflater ? deflateInit(&slot.stream, Z_DEFAULT_COMPRESSION) : inflateInit(&slot.stream)) ==
                            Z_OK;
            if (slot.made && (deflater ? deflateReset(&slot.stream) : inflateReset(&slot.stream)) == Z_OK)
                return &slot.stream;
            slot.busy.store(false);
            return nullptr;
        }
        return nullptr;
    }

    Slot deflaters_[kSlots];
    Slot inflaters_[kSlots];
};

KeptStreams g_streams;

// Hands a kept stream back when the call ends.
struct StreamLease {
    z_stream* stream;
    ~StreamLease()
    {
        if (stream)
            g_streams.Give(stream);
    }
};

// compress's answer through a kept stream: the same bytes, Z_OK only when all of the
// source fitted in the room.
int KeptCompress(Bytef* packed, uLongf* packedSize, const Bytef* source, uLong sourceSize)
{
    StreamLease lease{g_streams.TakeDeflater()};
    if (!lease.stream || sourceSize > uLong(uInt(-1)) || *packedSize > uLong(uInt(-1)))
        return compress(packed, packedSize, source, sourceSize);
    z_stream& stream = *lease.stream;
    stream.next_in = const_cast<Bytef*>(source);
    stream.avail_in = uInt(sourceSize);
    stream.next_out = packed;
    stream.avail_out = uInt(*packedSize);
    const int status = deflate(&stream, Z_FINISH);
    *packedSize = stream.total_out;
    return status == Z_STREAM_END ? Z_OK : status == Z_OK ? Z_BUF_ERROR : status;
}

// uncompress's answer through a kept stream: Z_OK only when the whole stream ended
// within the room.
int KeptUncompress(Bytef* unpacked, uLongf* unpackedSize, const Bytef* source, uLong sourceSize)
{
    StreamLease lease{g_streams.TakeInflater()};
    if (!lease.stream || sourceSize > uLong(uInt(-1)) || *unpackedSize > uLong(uInt(-1)))
        return uncompress(unpacked, unpackedSize, source, sourceSize);
    z_stream& stream = *lease.stream;
    stream.next_in = const_cast<Bytef*>(source);
    stream.avail_in = uInt(sourceSize);
    stream.next_out = unpacked;
    stream.avail_out = uInt(*unpackedSize);
    const int status = inflate(&stream, Z_FINISH);
    *unpackedSize = stream.total_out;
    return status == Z_STREAM_END ? Z_OK : Z_DATA_ERROR;
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
    if (KeptCompress(packed.get(), &packedSize, source.get(), sourceSize) != Z_OK)
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
    if (KeptUncompress(unpacked.get(), &unpackedSize, source.get(), sourceSize) != Z_OK)
        return 0;
    out.write(reinterpret_cast<const char*>(unpacked.get()), std::streamsize(unpackedSize));
    return out.good() ? 1 : 0;
}
