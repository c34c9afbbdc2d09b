// Typed output in raw host-order bytes: each value is its host bytes, arrays are the
// values back to back, a counted text is a u32 length and the bytes.
#pragma once

#include "foundation/RWDataOutStream.h"

#include <ostream>
#include <streambuf>

class RWBinaryOutStream : public RWDataOutStream {
public:
    // Writes to the stream's buffer (the stream itself is left alone).
    explicit RWBinaryOutStream(std::ostream& stream);
    explicit RWBinaryOutStream(std::streambuf* buffer);
    ~RWBinaryOutStream() override;

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
    RWDataOutStream& Put(const unsigned char* values, size_t n) override;
    RWDataOutStream& Put(unsigned char value) override;
    RWDataOutStream& Put(const char* values, size_t n) override;
    RWDataOutStream& Put(char value) override;

protected:
    // Writes count items of itemSize bytes each; every value goes out through here.
    virtual void PutItems(const void* items, size_t itemSize, size_t count);
    // Hands bytes to the buffer, flushing it and offering the rest again while it
    // takes more; sets the fail bit when bytes remain.
    void WriteBytes(const void* data, size_t size);

private:
    template <class T>
    RWDataOutStream& PutValues(const T* values, size_t n)
    {
        PutItems(values, sizeof(T), n);
        return *this;
    }

    std::ostream stream_;
};
