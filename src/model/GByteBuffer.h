// A run of bytes that knows whether it owns them: the records that carry stored data
// between the system services and their callers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

class GByteBuffer {
public:
    // Takes the pointer as it is; owns = 1 makes the record free it.
    GByteBuffer(uint8_t* data, uint32_t length, uint32_t owns);
    GByteBuffer(const GByteBuffer&) = delete;
    GByteBuffer& operator=(const GByteBuffer&) = delete;
    ~GByteBuffer();
    // A new owning record holding a copy of length bytes (data null: bytes left unset),
    // the bytes kept in the record's own allocation, which a freed record of about the
    // same size hands on: copying out of a cache again and again takes nothing from the
    // heap. Null when out of memory. Release and Clone on such a record hand out a copy,
    // since its bytes cannot be freed apart from it.
    static GByteBuffer* NewCopy(const uint8_t* data, uint32_t length);
    // Every record, made by new or by NewCopy, is made and freed through these.
    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* record);
    static void operator delete(void* record, const std::nothrow_t&) noexcept;

    uint8_t* GetData() const { return data_; }
    uint32_t GetLength() const { return length_; }
    bool Owns() const { return owns_ != 0; }

    // Bytes for the caller to free (with delete[]): the record's own when it owns them
    // (it keeps pointing at them but no longer frees them), else a new copy. Null for
    // an empty record or when the copy cannot be made.
    uint8_t* Release();
    // A new owning record holding what Release gives; null when out of memory.
    GByteBuffer* Clone();
    // Makes the record own its bytes, copying borrowed ones: 1, or 0 (unchanged) when
    // the copy cannot be made.
    int MakeOwned();

private:
    uint8_t* data_;
    uint32_t length_;
    // 0: borrowed, 1: owned and freed with delete[], 2: owned inside the record.
    uint32_t owns_;
};

// Copies count bytes front to back, one at a time.
void CopyBytes(const void* source, void* destination, uint32_t count);

// The module's component version words: 4.2 and 1.8, packed major << 16 | minor.
void GetComponentVersion(uint32_t& first, uint32_t& second);
