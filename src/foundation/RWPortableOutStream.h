// Typed output as portable text: numbers in decimal, one a line; texts quoted with
// their special characters escaped, and lines of text wrapped after 80 columns.
#pragma once

#include "foundation/RWDataOutStream.h"

#include <ostream>
#include <streambuf>

class RWPortableOutStream : public RWDataOutStream {
public:
    // Column after which string and character output starts a new line.
    static constexpr uint32_t kMaxColumn = 80;

    // Writes to the stream's buffer (the stream itself is left alone).
    explicit RWPortableOutStream(std::ostream& stream);
    explicit RWPortableOutStream(std::streambuf* buffer);
    ~RWPortableOutStream() override;

    using RWDataOutStream::operator<<;

    void PutString(const char* s, size_t n) override;

    RWDataOutStream& operator<<(unsigned short value) override;
    RWDataOutStream& operator<<(short value) override;
    RWDataOutStream& operator<<(unsigned long value) override;
    RWDataOutStream& operator<<(long value) override;
    RWDataOutStream& operator<<(unsigned int value) override;
    RWDataOutStream& operator<<(int value) override;
    RWDataOutStream& operator<<(float value) override;
    RWDataOutStream& operator<<(double value) override;
    // A character goes out as itself or its escape, without quotes.
    RWDataOutStream& operator<<(unsigned char value) override;
    RWDataOutStream& operator<<(char value) override;

    RWDataOutStream& Flush() override;

    RWDataOutStream& Put(const double* values, size_t n) override;
    RWDataOutStream& Put(const float* values, size_t n) override;
    RWDataOutStream& Put(const unsigned long* values, size_t n) override;
    RWDataOutStream& Put(const long* values, size_t n) override;
    RWDataOutStream& Put(const unsigned int* values, size_t n) override;
    RWDataOutStream& Put(const int* values, size_t n) override;
    RWDataOutStream& Put(const unsigned short* values, size_t n) override;
    RWDataOutStream& Put(const short* values, size_t n) override;
    // Bytes put singly or as arrays go out as numbers, unsigned or signed by their type.
    RWDataOutStream& Put(const unsigned char* values, size_t n) override;
    RWDataOutStream& Put(unsigned char value) override;
    RWDataOutStream& Put(const char* values, size_t n) override;
    RWDataOutStream& Put(char value) override;

    // Characters written on the current line by string and character output.
    uint32_t Column() const { return column_; }

private:
    template <class T>
    RWDataOutStream& PutNumbers(const T* values, size_t n)
    {
        for (size_t i = 0; i < n; ++i)
            stream_ << values[i] << '\n';
        return *this;
    }
    RWDataOutStream& PutNumber(long value) { return PutNumbers(&value, 1); }
    // Writes one character's text form (itself or its escape).
    void PutCharacter(unsigned char c);
    // Writes one item of a text, starting a new line first when it would not fit.
    void PutText(const char* text, size_t length);

    std::ostream stream_;
    uint32_t column_;
};
