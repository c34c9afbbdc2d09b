#include "foundation/RWPortableOutStream.h"

#include "foundation/RWPortableEscape.h"

#include <locale>

RWPortableOutStream::RWPortableOutStream(std::ostream& stream) : RWPortableOutStream(stream.rdbuf()) {}

RWPortableOutStream::RWPortableOutStream(std::streambuf* buffer) : stream_(buffer), column_(0)
{
    Attach(stream_);
    // The text must read back the same whatever the program's locale.
    stream_.imbue(std::locale::classic());
    stream_.setf(std::ios::scientific, std::ios::floatfield);
    stream_.precision(16);
}

RWPortableOutStream::~RWPortableOutStream() = default;

void RWPortableOutStream::PutString(const char* s, size_t n)
{
    if (!s)
        n = 0;
    PutText("\"", 1);
    for (size_t i = 0; i < n; ++i)
        PutCharacter(static_cast<unsigned char>(s[i]));
    PutText("\"", 1);
}

void RWPortableOutStream::PutCharacter(unsigned char c)
{
    char text[RWPortableEscape::kMaxLength + 1];
    PutText(text, RWPortableEscape::Encode(c, text));
}

void RWPortableOutStream::PutText(const char* text, size_t length)
{
    if (column_ + length > kMaxColumn) {
        stream_.put('\n');
        column_ = 0;
    }
    stream_.write(text, static_cast<std::streamsize>(length));
    column_ += static_cast<uint32_t>(length);
}

RWDataOutStream& RWPortableOutStream::operator<<(unsigned short value) { return PutNumbers(&value, 1); }
RWDataOutStream& RWPortableOutStream::operator<<(short value) { return PutNumbers(&value, 1); }
RWDataOutStream& RWPortableOutStream::operator<<(unsigned long value) { return PutNumbers(&value, 1); }
RWDataOutStream& RWPortableOutStream::operator<<(long value) { return PutNumbers(&value, 1); }
RWDataOutStream& RWPortableOutStream::operator<<(unsigned int value) { return PutNumbers(&value, 1); }
RWDataOutStream& RWPortableOutStream::operator<<(int value) { return PutNumbers(&value, 1); }

RWDataOutStream& RWPortableOutStream::operator<<(float value)
{
    const double widened = value;
    return PutNumbers(&widened, 1);
}

RWDataOutStream& RWPortableOutStream::operator<<(double value) { return PutNumbers(&value, 1); }

RWDataOutStream& RWPortableOutStream::operator<<(unsigned char value)
{
    PutCharacter(value);
    return *this;
}

RWDataOutStream& RWPortableOutStream::operator<<(char value)
{
    PutCharacter(static_cast<unsigned char>(value));
    return *this;
}

RWDataOutStream& RWPortableOutStream::Flush()
{
    stream_.flush();
    return *this;
}

RWDataOutStream& RWPortableOutStream::Put(const double* values, size_t n) { return PutNumbers(values, n); }

RWDataOutStream& RWPortableOutStream::Put(const float* values, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        *this << values[i];
    return *this;
}

RWDataOutStream& RWPortableOutStream::Put(const unsigned long* values, size_t n) { return PutNumbers(values, n); }
RWDataOutStream& RWPortableOutStream::Put(const long* values, size_t n) { return PutNumbers(values, n); }
RWDataOutStream& RWPortableOutStream::Put(const unsigned int* values, size_t n) { return PutNumbers(values, n); }
RWDataOutStream& RWPortableOutStream::Put(const int* values, size_t n) { return PutNumbers(values, n); }
RWDataOutStream& RWPortableOutStream::Put(const unsigned short* values, size_t n) { return PutNumbers(values, n); }
RWDataOutStream& RWPortableOutStream::Put(const short* values, size_t n) { return PutNumbers(values, n); }

RWDataOutStream& RWPortableOutStream::Put(const unsigned char* values, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        PutNumber(values[i]);
    return *this;
}

RWDataOutStream& RWPortableOutStream::Put(unsigned char value) { return PutNumber(value); }

RWDataOutStream& RWPortableOutStream::Put(const char* values, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        PutNumber(static_cast<signed char>(values[i]));
    return *this;
}

RWDataOutStream& RWPortableOutStream::Put(char value) { return PutNumber(static_cast<signed char>(value)); }
