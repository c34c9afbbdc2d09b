// Typed input of raw host-order bytes, the reading twin of RWBinaryOutStream. A short
// read sets the end and fail bits.
#pragma once

#include "foundation/RWDataInStream.h"

#include <istream>
#include <streambuf>

class RWBinaryInStream : public RWDataInStream {
public:
    // Reads from the stream's buffer (the stream itself is left alone).
    explicit RWBinaryInStream(std::istream& stream);
    explicit RWBinaryInStream(std::streambuf* buffer);
    ~RWBinaryInStream() override;

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
    RWDataInStream& GetString(char* buffer, size_t size) override;

    RWDataInStream& operator>>(unsigned long& value) override;
    RWDataInStream& operator>>(unsigned int& value) override;
    RWDataInStream& operator>>(unsigned short& value) override;
    RWDataInStream& operator>>(unsigned char& value) override;
    RWDataInStream& operator>>(short& value) override;
    RWDataInStream& operator>>(long& value) override;
    RWDataInStream& operator>>(int& value) override;
    RWDataInStream& operator>>(float& value) override;
    RWDataInStream& operator>>(double& value) override;
    RWDataInStream& operator>>(char& value) override;

protected:
    // What an item is, for a stream that stores some kinds in other widths.
    enum class ItemKind { Byte, Short, Int, Long, Size, Real };

    // Reads count items of itemSize host bytes; every value comes in through here.
    // False when the items could not all be read.
    virtual bool GetItems(void* items, size_t itemSize, size_t count, ItemKind kind, bool isSigned);
    // Takes up to size bytes from the buffer; a short read sets the end and fail bits.
    // Answers the number of bytes read.
    size_t ReadBytes(void* data, size_t size);

private:
    template <class T>
    RWDataInStream& GetValues(T* values, size_t n, ItemKind kind)
    {
        GetItems(values, sizeof(T), n, kind, static_cast<T>(-1) < static_cast<T>(0));
        return *this;
    }

    std::istream stream_;
};
