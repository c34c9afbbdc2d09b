#include "foundation/RWPortableInStream.h"

#include "foundation/RWErrorHandler.h"
#include "foundation/RWPortableEscape.h"

#include <cctype>
#include <cstdio>
#include <locale>

RWPortableInStream::RWPortableInStream(std::istream& stream) : RWPortableInStream(stream.rdbuf()) {}

RWPortableInStream::RWPortableInStream(std::streambuf* buffer) : stream_(buffer)
{
    Attach(stream_);
    stream_.imbue(std::locale::classic());
}

RWPortableInStream::~RWPortableInStream() = default;

RWDataInStream& RWPortableInStream::Get(unsigned long* values, size_t n) { return GetNumbers(values, n); }
RWDataInStream& RWPortableInStream::Get(unsigned int* values, size_t n) { return GetNumbers(values, n); }
RWDataInStream& RWPortableInStream::Get(unsigned short* values, size_t n) { return GetNumbers(values, n); }

RWDataInStream& RWPortableInStream::Get(unsigned char* values, size_t n)
{
    for (size_t i = 0; i < n && GetByte(values[i]); ++i) {
    }
    return *this;
}

RWDataInStream& RWPortableInStream::Get(short* values, size_t n) { return GetNumbers(values, n); }
RWDataInStream& RWPortableInStream::Get(long* values, size_t n) { return GetNumbers(values, n); }
RWDataInStream& RWPortableInStream::Get(int* values, size_t n) { return GetNumbers(values, n); }

RWDataInStream& RWPortableInStream::Get(float* values, size_t n)
{
    for (size_t i = 0; i < n && !Fail(); ++i)
        *this >> values[i];
    return *this;
}

RWDataInStream& RWPortableInStream::Get(double* values, size_t n) { return GetNumbers(values, n); }

RWDataInStream& RWPortableInStream::Get(char* values, size_t n)
{
    return Get(reinterpret_cast<unsigned char*>(values), n);
}

RWDataInStream& RWPortableInStream::Get(unsigned char& value)
{
    GetByte(value);
    return *this;
}

RWDataInStream& RWPortableInStream::Get(char& value)
{
    return Get(reinterpret_cast<unsigned char&>(value));
}

int RWPortableInStream::Get()
{
    unsigned char value = 0;
    return GetByte(value) ? value : -1;
}

bool RWPortableInStream::GetByte(unsigned char& value)
{
    // Accepts both the signed and the unsigned range, so either kind of byte reads back.
    long number = 0;
    stream_ >> number;
    if (Fail())
        return false;
    if (number < -128 || number > 255) {
        AddState(kFail);
        return false;
    }
    value = static_cast<unsigned char>(number);
    return true;
}

bool RWPortableInStream::GetCharacter(char& value, bool& escaped)
{
    int c;
    do
        c = stream_.get();
    while (c == '\n');
    if (c == std::char_traits<char>::eof())
        return false;
    escaped = c == '\\';
    if (!escaped) {
        value = static_cast<char>(c);
        return true;
    }
    c = stream_.get();
    if (c == std::char_traits<char>::eof())
        return false;
    if (c == 'x')
        return GetHexEscape(value);
    value = RWPortableEscape::Decode(static_cast<char>(c));
    return true;
}

bool RWPortableInStream::GetHexEscape(char& value)
{
    // Up to two hex digits follow the "x".
    char digits[3] = {};
    for (size_t count = 0; count < 2; ++count) {
        const int c = stream_.peek();
        if (c == std::char_traits<char>::eof() || !std::isxdigit(static_cast<unsigned char>(c)))
            break;
        digits[count] = static_cast<char>(stream_.get());
    }
    unsigned number = 0;
    if (std::sscanf(digits, "%2x", &number) != 1) {
        AddState(kFail);
        return false;
    }
    value = static_cast<char>(number);
    return true;
}

RWDataInStream& RWPortableInStream::GetString(char* buffer, size_t size)
{
    if (size > 0)
        buffer[0] = '\0';
    int c;
    do
        c = stream_.get();
    while (c != std::char_traits<char>::eof() && std::isspace(static_cast<unsigned char>(c)));
    // The end of the data is reported through the state bits like any short read.
    if (c == std::char_traits<char>::eof())
        return *this;
    if (c != '"') {
        char found[RWPortableEscape::kMaxLength + 1];
        RWPortableEscape::Encode(static_cast<unsigned char>(c), found);
        RWRaiseExternal(RWMessageSyntaxStream(), "\"", found);
        AddState(kFail);
        return *this;
    }
    size_t stored = 0;
    char value = 0;
    bool escaped = false;
    while (GetCharacter(value, escaped) && (value != '"' || escaped)) {
        if (stored + 1 >= size) {
            // No room: read past the rest of the text.
            while (Good() && GetCharacter(value, escaped) && (value != '"' || escaped)) {
            }
            AddState(kFail);
            break;
        }
        buffer[stored++] = value;
    }
    if (size > 0)
        buffer[stored] = '\0';
    return *this;
}

RWDataInStream& RWPortableInStream::operator>>(unsigned long& value) { return GetNumbers(&value, 1); }
RWDataInStream& RWPortableInStream::operator>>(unsigned int& value) { return GetNumbers(&value, 1); }
RWDataInStream& RWPortableInStream::operator>>(unsigned short& value) { return GetNumbers(&value, 1); }

RWDataInStream& RWPortableInStream::operator>>(unsigned char& value)
{
    return *this >> reinterpret_cast<char&>(value);
}

RWDataInStream& RWPortableInStream::operator>>(short& value) { return GetNumbers(&value, 1); }
RWDataInStream& RWPortableInStream::operator>>(long& value) { return GetNumbers(&value, 1); }
RWDataInStream& RWPortableInStream::operator>>(int& value) { return GetNumbers(&value, 1); }

RWDataInStream& RWPortableInStream::operator>>(float& value)
{
    double wide = 0;
    GetNumbers(&wide, 1);
    if (!Fail())
        value = static_cast<float>(wide);
    return *this;
}

RWDataInStream& RWPortableInStream::operator>>(double& value) { return GetNumbers(&value, 1); }

RWDataInStream& RWPortableInStream::operator>>(char& value)
{
    bool escaped = false;
    GetCharacter(value, escaped);
    return *this;
}
