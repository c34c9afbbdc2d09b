#include "foundation/RWDataOutStream.h"

#include <cstring>

RWDataOutStream::~RWDataOutStream() = default;

RWDataOutStream& RWDataOutStream::operator<<(const char* text)
{
    if (!text)
        text = "";
    PutString(text, std::strlen(text));
    return *this;
}
