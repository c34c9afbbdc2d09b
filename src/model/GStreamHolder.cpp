#include "model/GStreamHolder.h"

#include "foundation/RWBinaryInStream.h"
#include "foundation/RWBinaryOutStream.h"
#include "foundation/RWEndianHeader.h"
#include "foundation/RWEndianInStream.h"
#include "foundation/RWEndianOutStream.h"
#include "foundation/RWPortableInStream.h"
#include "foundation/RWPortableOutStream.h"
#include "model/GTextConverter.h"

#include <fstream>
#include <istream>
#include <new>
#include <ostream>

namespace {

// Reads the caller's bytes in place.
class GMemoryInBuffer : public std::streambuf {
public:
    GMemoryInBuffer(const void* data, uint32_t length)
    {
        char* begin = const_cast<char*>(static_cast<const char*>(data));
        setg(begin, begin, begin + (data ? length : 0));
    }

protected:
    pos_type seekoff(off_type offset, std::ios_base::seekdir way, std::ios_base::openmode which) override
    {
        if (!(which & std::ios_base::in))
            return pos_type(off_type(-1));
        const off_type base = way == std::ios_base::beg   ? 0
                              : way == std::ios_base::cur ? gptr() - eback()
                                                          : egptr() - eback();
        return seekpos(pos_type(base + offset), which);
    }
    pos_type seekpos(pos_type position, std::ios_base::openmode which) override
    {
        const off_type target = off_type(position);
        if (!(which & std::ios_base::in) || target < 0 || target > egptr() - eback())
            return pos_type(off_type(-1));
        setg(eback(), eback() + target, egptr());
        return position;
    }
};

// Writes into the caller's buffer and never past its end.
class GFixedOutBuffer : public std::streambuf {
public:
    GFixedOutBuffer(void* buffer, uint32_t capacity)
    {
        char* begin = static_cast<char*>(buffer);
        setp(begin, begin + (buffer ? capacity : 0));
    }

protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    pos_type seekoff(off_type offset, std::ios_base::seekdir way, std::ios_base::openmode which) override
    {
        if (!(which & std::ios_base::out))
            return pos_type(off_type(-1));
        const off_type base = way == std::ios_base::beg   ? 0
                              : way == std::ios_base::cur ? pptr() - pbase()
                                                          : epptr() - pbase();
        return seekpos(pos_type(base + offset), which);
    }
    pos_type seekpos(pos_type position, std::ios_base::openmode which) override
    {
        const off_type target = off_type(position);
        if (!(which & std::ios_base::out) || target < 0 || target > epptr() - pbase())
            return pos_type(off_type(-1));
        char* begin = pbase();
        char* end = epptr();
        setp(begin, end);
        pbump(static_cast<int>(target));
        return position;
    }
};

std::string NarrowPath(const RWWString& path)
{
    RWCString narrow;
    ToNarrowString(path, narrow);
    return std::string(narrow.Data(), narrow.Length());
}

} // namespace

GStreamHolder::~GStreamHolder() = default;

GInStreamHolder::GInStreamHolder(const void* data, uint32_t length, int kind)
    : buffer_(new GMemoryInBuffer(data, length)), runtime_(new std::istream(buffer_.get()))
{
    MakeStream(kind);
}

GInStreamHolder::GInStreamHolder(const RWWString& path, int kind)
{
    std::filebuf* file = new std::filebuf;
    buffer_.reset(file);
    runtime_.reset(new std::istream(file));
    if (!file->open(NarrowPath(path), std::ios_base::in | std::ios_base::binary))
        runtime_->setstate(std::ios_base::failbit);
    MakeStream(kind);
}

// The typed stream goes first: it reads from the buffer the runtime stream owns.
GInStreamHolder::~GInStreamHolder() { stream_.reset(); }

void GInStreamHolder::MakeStream(int kind)
{
    std::streambuf* buffer = buffer_.get();
    switch (kind) {
    case 0:
        stream_.reset(new (std::nothrow) RWPortableInStream(buffer));
        break;
    case 1:
        stream_.reset(new (std::nothrow) RWBinaryInStream(buffer));
        break;
    case 2:
        stream_.reset(new (std::nothrow) RWEndianInStream(buffer));
        break;
    default:
        break;
    }
}

std::streamoff GInStreamHolder::Tell()
{
    const std::streamoff position = buffer_->pubseekoff(0, std::ios_base::cur, std::ios_base::in);
    if (position < 0)
        runtime_->setstate(std::ios_base::failbit);
    return position;
}

void GInStreamHolder::SeekTo(std::streamoff) {}

GOutStreamHolder::GOutStreamHolder(void* buffer, uint32_t capacity, int kind)
    : buffer_(new GFixedOutBuffer(buffer, capacity)), runtime_(new std::ostream(buffer_.get()))
{
    MakeStream(kind);
}

GOutStreamHolder::GOutStreamHolder(const RWWString& path, int kind)
{
    std::filebuf* file = new std::filebuf;
    buffer_.reset(file);
    runtime_.reset(new std::ostream(file));
    if (!file->open(NarrowPath(path), std::ios_base::out | std::ios_base::trunc | std::ios_base::binary))
        runtime_->setstate(std::ios_base::failbit);
    MakeStream(kind);
}

GOutStreamHolder::~GOutStreamHolder()
{
    if (stream_)
        stream_->Flush();
    stream_.reset();
    buffer_->pubsync();
}

void GOutStreamHolder::MakeStream(int kind)
{
    std::streambuf* buffer = buffer_.get();
    switch (kind) {
    case 0:
        stream_.reset(new (std::nothrow) RWPortableOutStream(buffer));
        break;
    case 1:
        stream_.reset(new (std::nothrow) RWBinaryOutStream(buffer));
        break;
    case 2:
        stream_.reset(new (std::nothrow) RWEndianOutStream(buffer, RWEndianHeader::kHostOrder));
        break;
    default:
        break;
    }
}

std::streamoff GOutStreamHolder::Tell()
{
    const std::streamoff position = buffer_->pubseekoff(0, std::ios_base::cur, std::ios_base::out);
    if (position < 0)
        runtime_->setstate(std::ios_base::failbit);
    return position;
}

void GOutStreamHolder::SeekTo(std::streamoff position)
{
    if (buffer_->pubseekpos(position, std::ios_base::out) != std::streampos(position))
        runtime_->setstate(std::ios_base::failbit);
}
