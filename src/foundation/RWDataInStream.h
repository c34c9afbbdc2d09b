// The typed input stream: the reading twin of RWDataOutStream. Every read reports
// through the state bits; callers test Good() after reading.
#pragma once

#include "foundation/RWDataStream.h"

#include <cstddef>
#include <cstdint>

class RWDataInStream : public virtual RWDataStream {
public:
    ~RWDataInStream() override;

    virtual RWDataInStream& Get(unsigned long* values, size_t n) = 0;
    virtual RWDataInStream& Get(unsigned int* values, size_t n) = 0;
    virtual RWDataInStream& Get(unsigned short* values, size_t n) = 0;
    virtual RWDataInStream& Get(unsigned char* values, size_t n) = 0;
    virtual RWDataInStream& Get(short* values, size_t n) = 0;
    virtual RWDataInStream& Get(long* values, size_t n) = 0;
    virtual RWDataInStream& Get(int* values, size_t n) = 0;
    virtual RWDataInStream& Get(float* values, size_t n) = 0;
    virtual RWDataInStream& Get(double* values, size_t n) = 0;
    virtual RWDataInStream& Get(char* values, size_t n) = 0;
    virtual RWDataInStream& Get(unsigned char& value) = 0;
    virtual RWDataInStream& Get(char& value) = 0;
    // The next byte (0 to 255), or -1 at the end of the data.
    virtual int Get() = 0;
    // Reads a counted text into buffer: at most size - 1 characters and a NUL. A text
    // too long for the buffer is read past and sets the fail bit.
    virtual RWDataInStream& GetString(char* buffer, size_t size) = 0;

    virtual RWDataInStream& operator>>(unsigned long& value) = 0;
    virtual RWDataInStream& operator>>(unsigned int& value) = 0;
    virtual RWDataInStream& operator>>(unsigned short& value) = 0;
    virtual RWDataInStream& operator>>(unsigned char& value) = 0;
    virtual RWDataInStream& operator>>(short& value) = 0;
    virtual RWDataInStream& operator>>(long& value) = 0;
    virtual RWDataInStream& operator>>(int& value) = 0;
    virtual RWDataInStream& operator>>(float& value) = 0;
    virtual RWDataInStream& operator>>(double& value) = 0;
    virtual RWDataInStream& operator>>(char& value) = 0;

    // Set by every constructor: counted texts come in through GetString.
    bool StringFlag() const { return stringFlag_ != 0; }

    // Longest read a stored count may ask for when the buffer cannot tell its end.
    static constexpr size_t kUncheckedLimit = 1u << 20;
    // False when fewer than bytes are left to read, so that a reader of a stored count
    // can refuse it before allocating for it. A buffer that can neither tell what it
    // holds nor seek is trusted up to kUncheckedLimit.
    bool CanSupply(size_t bytes) const;

protected:
    RWDataInStream() = default;

private:
    uint32_t stringFlag_ = 1;
};

// Heap-allocating readers: each allocates one item (0 until read), stores its address
// and reads into it. The caller owns the item and tests the stream's state.
RWDataInStream& operator>>(RWDataInStream& stream, char*& item);
RWDataInStream& operator>>(RWDataInStream& stream, unsigned char*& item);
RWDataInStream& operator>>(RWDataInStream& stream, short*& item);
RWDataInStream& operator>>(RWDataInStream& stream, unsigned short*& item);
RWDataInStream& operator>>(RWDataInStream& stream, int*& item);
RWDataInStream& operator>>(RWDataInStream& stream, unsigned int*& item);
RWDataInStream& operator>>(RWDataInStream& stream, long*& item);
RWDataInStream& operator>>(RWDataInStream& stream, unsigned long*& item);
RWDataInStream& operator>>(RWDataInStream& stream, float*& item);
RWDataInStream& operator>>(RWDataInStream& stream, double*& item);
