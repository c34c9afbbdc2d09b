// The typed output stream: one virtual operation per value type, so that an object's
// stored form can be written once and encoded by whichever stream it is given.
#pragma once

#include "foundation/RWDataStream.h"

#include <cstddef>
#include <cstdint>

class RWDataOutStream : public virtual RWDataStream {
public:
    ~RWDataOutStream() override;

    // Writes a counted text in the stream's string form.
    virtual void PutString(const char* s, size_t n) = 0;

    virtual RWDataOutStream& operator<<(unsigned short value) = 0;
    virtual RWDataOutStream& operator<<(short value) = 0;
    virtual RWDataOutStream& operator<<(unsigned long value) = 0;
    virtual RWDataOutStream& operator<<(long value) = 0;
    virtual RWDataOutStream& operator<<(unsigned int value) = 0;
    virtual RWDataOutStream& operator<<(int value) = 0;
    virtual RWDataOutStream& operator<<(float value) = 0;
    virtual RWDataOutStream& operator<<(double value) = 0;
    virtual RWDataOutStream& operator<<(unsigned char value) = 0;
    virtual RWDataOutStream& operator<<(char value) = 0;
    // PutString of the NUL-terminated text (a null text is empty).
    virtual RWDataOutStream& operator<<(const char* text);

    virtual RWDataOutStream& Flush() = 0;

    virtual RWDataOutStream& Put(const double* values, size_t n) = 0;
    virtual RWDataOutStream& Put(const float* values, size_t n) = 0;
    virtual RWDataOutStream& Put(const unsigned long* values, size_t n) = 0;
    virtual RWDataOutStream& Put(const long* values, size_t n) = 0;
    virtual RWDataOutStream& Put(const unsigned int* values, size_t n) = 0;
    virtual RWDataOutStream& Put(const int* values, size_t n) = 0;
    virtual RWDataOutStream& Put(const unsigned short* values, size_t n) = 0;
    virtual RWDataOutStream& Put(const short* values, size_t n) = 0;
    virtual RWDataOutStream& Put(const unsigned char* values, size_t n) = 0;
    virtual RWDataOutStream& Put(unsigned char value) = 0;
    virtual RWDataOutStream& Put(const char* values, size_t n) = 0;
    virtual RWDataOutStream& Put(char value) = 0;

    // Set by every constructor: counted texts go out through PutString.
    bool StringFlag() const { return stringFlag_ != 0; }

protected:
    RWDataOutStream() = default;

private:
    uint32_t stringFlag_ = 1;
};
