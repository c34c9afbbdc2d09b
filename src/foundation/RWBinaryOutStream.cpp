#include "foundation/RWBinaryOutStream.h"

#include <algorithm>
#include <cstdint>
#include <limits>

RWBinaryOutStream::RWBinaryOutStream(std::ostream& stream) : RWBinaryOutStream(stream.rdbuf()) {}

RWBinaryOutStream::RWBinaryOutStream(std::streambuf* buffer) : stream_(buffer)
{
    Attach(stream_);
}

RWBinaryOutStream::~RWBinaryOutStream() = default;

void RWBinaryOutStream::PutString(const char* s, size_t n)
{
    if (!s)
        n = 0;
    const uint32_t length = static_cast<uint32_t>(n);
    PutItems(&length, sizeof length, 1);
    WriteBytes(s, n);
}

RWDataOutStream& RWBinaryOutStream::operator<<(unsigned short value) { return PutValues(&value, 1); }
RWDataOutStream& RWBinaryOutStream::operator<<(short value) { return PutValues(&value, 1); }
RWDataOutStream& RWBinaryOutStream::operator<<(unsigned long value) { return PutValues(&value, 1); }
RWDataOutStream& RWBinaryOutStream::operator<<(long value) { return PutValues(&value, 1); }
RWDataOutStream& RWBinaryOutStream::operator<<(unsigned int value) { return PutValues(&value, 1); }
RWDataOutStream& RWBinaryOutStream::operator<<(int value) { return PutValues(&value, 1); }
RWDataOutStream& RWBinaryOutStream::operator<<(float value) { return PutValues(&value, 1); }
RWDataOutStream& RWBinaryOutStream::operator<<(double value) { return PutValues(&value, 1); }
RWDataOutStream& RWBinaryOutStream::operator<<(unsigned char value) { return PutValues(&value, 1); }
RWDataOutStream& RWBinaryOutStream::operator<<(char value) { return PutValues(&value, 1); }

RWDataOutStream& RWBinaryOutStream::Flush()
{
    stream_.flush();
    return *this;
}

RWDataOutStream& RWBinaryOutStream::Put(const double* values, size_t n) { return PutValues(values, n); }
RWDataOutStream& RWBinaryOutStream::Put(const float* values, size_t n) { return PutValues(values, n); }
RWDataOutStream& RWBinaryOutStream::Put(const unsigned long* values, size_t n) { return PutValues(values, n); }
RWDataOutStream& RWBinaryOutStream::Put(const long* values, size_t n) { return PutValues(values, n); }
RWDataOutStream& RWBinaryOutStream::Put(const unsigned int* values, size_t n) { return PutValues(values, n); }
RWDataOutStream& RWBinaryOutStream::Put(const int* values, size_t n) { return PutValues(values, n); }
RWDataOutStream& RWBinaryOutStream::Put(const unsigned short* values, size_t n) { return PutValues(values, n); }
RWDataOutStream& RWBinaryOutStream::Put(const short* values, size_t n) { return PutValues(values, n); }
RWDataOutStream& RWBinaryOutStream::Put(const unsigned char* values, size_t n) { return PutValues(values, n); }
RWDataOutStream& RWBinaryOutStream::Put(unsigned char value) { return PutValues(&value, 1); }
RWDataOutStream& RWBinaryOutStream::Put(const char* values, size_t n) { return PutValues(values, n); }
RWDataOutStream& RWBinaryOutStream::Put(char value) { return PutValues(&value, 1); }

void RWBinaryOutStream::PutItems(const void* items, size_t itemSize, size_t count)
{
    if (count > std::numeric_limits<size_t>::max() / itemSize) {
        AddState(kFail);
        return;
    }
    WriteBytes(items, itemSize * count);
}

void RWBinaryOutStream::WriteBytes(const void* data, size_t size)
{
    std::streambuf* buffer = StreamBuffer();
    if (!buffer) {
        if (size)
            AddState(kFail | kBad);
        return;
    }
    const char* bytes = static_cast<const char*>(data);
    bool flushed = false;
    while (size > 0) {
        const std::streamsize chunk = static_cast<std::streamsize>(
            std::min<size_t>(size, static_cast<size_t>(std::numeric_limits<std::streamsize>::max())));
        const std::streamsize taken = buffer->sputn(bytes, chunk);
        if (taken > 0) {
            bytes += taken;
            size -= static_cast<size_t>(taken);
            flushed = false;
            continue;
        }
        // A full buffer may take more once flushed; give up when even that does not help.
        if (flushed || buffer->pubsync() != 0)
            break;
        flushed = true;
    }
    if (size > 0)
        AddState(kFail);
}
