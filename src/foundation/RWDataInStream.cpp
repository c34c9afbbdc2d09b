#include "foundation/RWDataInStream.h"

RWDataInStream::~RWDataInStream() = default;

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
