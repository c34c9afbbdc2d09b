#include "foundation/RWBinaryInStream.h"

#include <algorithm>
#include <cstdint>
#include <limits>

RWBinaryInStream::RWBinaryInStream(std::istream& stream) : RWBinaryInStream(stream.rdbuf()) {}

RWBinaryInStream::RWBinaryInStream(std::streambuf* buffer) : stream_(buffer)
{
    Attach(stream_);
}

RWBinaryInStream::~RWBinaryInStream() = default;

RWDataInStream& RWBinaryInStream::Get(unsigned long* values, size_t n) { return GetValues(values, n, ItemKind::Long); }
RWDataInStream& RWBinaryInStream::Get(unsigned int* values, size_t n) { return GetValues(values, n, ItemKind::Int); }
RWDataInStream& RWBinaryInStream::Get(unsigned short* values, size_t n) { return GetValues(values, n, ItemKind::Short); }
RWDataInStream& RWBinaryInStream::Get(unsigned char* values, size_t n) { return GetValues(values, n, ItemKind::Byte); }
RWDataInStream& RWBinaryInStream::Get(short* values, size_t n) { return GetValues(values, n, ItemKind::Short); }
RWDataInStream& RWBinaryInStream::Get(long* values, size_t n) { return GetValues(values, n, ItemKind::Long); }
RWDataInStream& RWBinaryInStream::Get(int* values, size_t n) { return GetValues(values, n, ItemKind::Int); }
RWDataInStream& RWBinaryInStream::Get(float* values, size_t n) { return GetValues(values, n, ItemKind::Real); }
RWDataInStream& RWBinaryInStream::Get(double* values, size_t n) { return GetValues(values, n, ItemKind::Real); }
RWDataInStream& RWBinaryInStream::Get(char* values, size_t n) { return GetValues(values, n, ItemKind::Byte); }
RWDataInStream& RWBinaryInStream::Get(unsigned char& value) { return GetValues(&value, 1, ItemKind::Byte); }
RWDataInStream& RWBinaryInStream::Get(char& value) { return GetValues(&value, 1, ItemKind::Byte); }

int RWBinaryInStream::Get()
{
    unsigned char byte = 0;
    return ReadBytes(&byte, 1) == 1 ? byte : -1;
}

RWDataInStream& RWBinaryInStream::GetString(char* buffer, size_t size)
{
    if (size > 0)
        buffer[0] = '\0';
    uint32_t length = 0;
    if (!GetItems(&length, sizeof length, 1, ItemKind::Size, false)) {
        AddState(kFail | kBad);
        return *this;
    }
    const size_t keep = size > 0 ? std::min<size_t>(length, size - 1) : 0;
    const size_t got = ReadBytes(buffer, keep);
    if (size > 0)
        buffer[got] = '\0';
    if (length > keep && Good()) {
        // Read past the rest of a text too long for the buffer.
        size_t rest = length - keep;
        char scrap[256];
        while (rest > 0 && Good())
            rest -= ReadBytes(scrap, std::min(rest, sizeof scrap));
        AddState(kFail);
    }
    return *this;
}

RWDataInStream& RWBinaryInStream::operator>>(unsigned long& value) { return GetValues(&value, 1, ItemKind::Long); }
RWDataInStream& RWBinaryInStream::operator>>(unsigned int& value) { return GetValues(&value, 1, ItemKind::Int); }
RWDataInStream& RWBinaryInStream::operator>>(unsigned short& value) { return GetValues(&value, 1, ItemKind::Short); }
RWDataInStream& RWBinaryInStream::operator>>(unsigned char& value) { return GetValues(&value, 1, ItemKind::Byte); }
RWDataInStream& RWBinaryInStream::operator>>(short& value) { return GetValues(&value, 1, ItemKind::Short); }
RWDataInStream& RWBinaryInStream::operator>>(long& value) { return GetValues(&value, 1, ItemKind::Long); }
RWDataInStream& RWBinaryInStream::operator>>(int& value) { return GetValues(&value, 1, ItemKind::Int); }
RWDataInStream& RWBinaryInStream::operator>>(float& value) { return GetValues(&value, 1, ItemKind::Real); }
RWDataInStream& RWBinaryInStream::operator>>(double& value) { return GetValues(&value, 1, ItemKind::Real); }
RWDataInStream& RWBinaryInStream::operator>>(char& value) { return GetValues(&value, 1, ItemKind::Byte); }

bool RWBinaryInStream::GetItems(void* items, size_t itemSize, size_t count, ItemKind, bool)
{
    if (count > std::numeric_limits<size_t>::max() / itemSize) {
        AddState(kFail);
        return false;
    }
    const size_t size = itemSize * count;
    return ReadBytes(items, size) == size;
}

size_t RWBinaryInStream::ReadBytes(void* data, size_t size)
{
    std::streambuf* buffer = stream_.rdbuf();
    if (!buffer) {
        if (size)
            AddState(kFail | kBad);
        return 0;
    }
    char* bytes = static_cast<char*>(data);
    size_t done = 0;
    while (done < size) {
        const std::streamsize chunk = static_cast<std::streamsize>(
            std::min<size_t>(size - done, static_cast<size_t>(std::numeric_limits<std::streamsize>::max())));
        const std::streamsize got = buffer->sgetn(bytes + done, chunk);
        if (got <= 0)
            break;
        done += static_cast<size_t>(got);
    }
    if (done < size)
        AddState(kEof | kFail);
    return done;
}
