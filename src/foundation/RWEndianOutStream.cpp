#include "foundation/RWEndianOutStream.h"

#include "foundation/RWErrorHandler.h"

#include <algorithm>

RWEndianOutStream::RWEndianOutStream(std::ostream& stream, uint8_t order)
    : RWEndianOutStream(stream.rdbuf(), order)
{
}

RWEndianOutStream::RWEndianOutStream(std::streambuf* buffer, uint8_t order)
    : RWBinaryOutStream(buffer),
      order_(RWEndianHeader::ForHost(order).order),
      swap_(order_ != RWEndianHeader::HostOrder())
{
    WriteHeader();
}

RWEndianOutStream::~RWEndianOutStream() = default;

void RWEndianOutStream::WriteHeader()
{
    // The header must come first: a reader finds it only at the start of the data. The
    // write position tells whether anything went before it; the end would not, for a
    // buffer of a fixed capacity ends at that capacity before anything is written.
    std::streambuf* buffer = StreamBuffer();
    const std::streampos at = buffer ? buffer->pubseekoff(0, std::ios::cur, std::ios::out) : std::streampos(-1);
    if (at != std::streampos(0))
        RWRaise(RWStreamError(RWMessageText(RWMessageBadStream()), static_cast<const RWDataStream*>(this)));
    uint8_t bytes[RWEndianHeader::kSize];
    RWEndianHeader::ForHost(order_).Encode(bytes);
    WriteBytes(bytes, sizeof bytes);
}

void RWEndianOutStream::PutItems(const void* items, size_t itemSize, size_t count)
{
    // Reverse the items a batch at a time in a scratch buffer.
    uint8_t scratch[256];
    if (!swap_ || itemSize == 1 || itemSize > sizeof scratch) {
        RWBinaryOutStream::PutItems(items, itemSize, count);
        return;
    }
    const uint8_t* source = static_cast<const uint8_t*>(items);
    const size_t perBatch = sizeof scratch / itemSize;
    while (count > 0) {
        const size_t batch = std::min(count, perBatch);
        for (size_t i = 0; i < batch; ++i)
            std::reverse_copy(source + i * itemSize, source + (i + 1) * itemSize, scratch + i * itemSize);
        WriteBytes(scratch, batch * itemSize);
        source += batch * itemSize;
        count -= batch;
    }
}
