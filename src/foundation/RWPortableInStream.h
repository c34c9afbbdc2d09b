// Typed input of the portable text form written by RWPortableOutStream.
#pragma once

#include "foundation/RWDataInStream.h"

#include <istream>
#include <streambuf>

class RWPortableInStream : public RWDataInStream {
public:
    // Reads from the stream's buffer (the stream itself is left alone).
    explicit RWPortableInStream(std::istream& stream);
    explicit RWPortableInStream(std::streambuf* buffer);
    ~RWPortableInStream() override;

    // Bytes read singly or as arrays are numbers, the counterparts of Put.
    RWDataInStream& Get(unsigned long* values, size_t n) override;
    RWDataInStream& Get(unsigned int* values, size_t n) override;
    RWDataInStream& Get(unsigned short* values, size_t n) override;
    RWDataInStream& Get(unsigned char* values, size_t n) override;
    RWDataInStream& Get(short* values, size_t n) override;
    RWDataInStream& Get(long* values, size_t n) override;
    RWDataInStream& Get(int* values, size_t n) override;
    RWDataInStream& Get(float* values, size_t n) override;
    RWDataInStream& Get(double* values, size_t n) override;
    RWDataInStream& Get(char* values, size_t n) override;
    RWDataInStream& Get(unsigned char& value) override;
    RWDataInStream& Get(char& value) override;
    int Get() override;
    // A quoted text; anything but a double quote after white space raises [SYNSTREAM]
    // and sets the fail bit.
    RWDataInStream& GetString(char* buffer, size_t size) override;

    RWDataInStream& operator>>(unsigned long& value) override;
    RWDataInStream& operator>>(unsigned int& value) override;
    RWDataInStream& operator>>(unsigned short& value) override;
    // A character is read as itself or its escape (newlines are skipped).
    RWDataInStream& operator>>(unsigned char& value) override;
    RWDataInStream& operator>>(short& value) override;
    RWDataInStream& operator>>(long& value) override;
    RWDataInStream& operator>>(int& value) override;
    RWDataInStream& operator>>(float& value) override;
    RWDataInStream& operator>>(double& value) override;
    RWDataInStream& operator>>(char& value) override;

private:
    template <class T>
    RWDataInStream& GetNumbers(T* values, size_t n)
    {
        // A stream that is not good fails the read; the first failure ends the array.
        for (size_t i = 0; i < n && !Fail(); ++i)
            stream_ >> values[i];
        return *this;
    }
    // A byte written as a signed or unsigned number; false when none could be read.
    bool GetByte(unsigned char& value);
    // The next character of a text, escapes resolved; escaped tells a quote that
    // belongs to the text from the closing one. False at the end of the data.
    bool GetCharacter(char& value, bool& escaped);
    bool GetHexEscape(char& value);

    std::istream stream_;
};
