#include "foundation/RWDataInStream.h"

RWDataInStream::~RWDataInStream() = default;

bool RWDataInStream::CanSupply(size_t bytes) const
{
    std::streambuf* buffer = StreamBuffer();
    if (!buffer)
        return bytes == 0;
    // What the buffer holds ready is certain; beyond it, measure the distance to the end.
    const std::streamsize ready = buffer->in_avail();
    if (ready >= 0 && bytes <= static_cast<size_t>(ready))
        return true;
    typedef std::streambuf::pos_type Pos;
    const Pos here = buffer->pubseekoff(0, std::ios::cur, std::ios::in);
    if (here == Pos(-1))
        return ready >= 0 && bytes <= kUncheckedLimit;
    const Pos end = buffer->pubseekoff(0, std::ios::end, std::ios::in);
    buffer->pubseekpos(here, std::ios::in);
    return end != Pos(-1) && end >= here && bytes <= static_cast<size_t>(end - here);
}

namespace {

template <class T>
RWDataInStream& ReadNew(RWDataInStream& stream, T*& item)
{
    item = new T();
    return stream >> *item;
}

} // namespace

RWDataInStream& operator>>(RWDataInStream& stream, char*& item) { return ReadNew(stream, item); }
RWDataInStream& operator>>(RWDataInStream& stream, unsigned char*& item) { return ReadNew(stream, item); }
RWDataInStream& operator>>(RWDataInStream& stream, short*& item) { return ReadNew(stream, item); }
RWDataInStream& operator>>(RWDataInStream& stream, unsigned short*& item) { return ReadNew(stream, item); }
RWDataInStream& operator>>(RWDataInStream& stream, int*& item) { return ReadNew(stream, item); }
RWDataInStream& operator>>(RWDataInStream& stream, unsigned int*& item) { return ReadNew(stream, item); }
RWDataInStream& operator>>(RWDataInStream& stream, long*& item) { return ReadNew(stream, item); }
RWDataInStream& operator>>(RWDataInStream& stream, unsigned long*& item) { return ReadNew(stream, item); }
RWDataInStream& operator>>(RWDataInStream& stream, float*& item) { return ReadNew(stream, item); }
RWDataInStream& operator>>(RWDataInStream& stream, double*& item) { return ReadNew(stream, item); }
