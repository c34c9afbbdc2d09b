#include "model/GByteBuffer.h"

#include <atomic>
#include <cstring>
#include <new>

GByteBuffer::GByteBuffer(uint8_t* data, uint32_t length, uint32_t owns)
    : data_(data), length_(length), owns_(owns ? 1 : 0)
{
}

namespace {

constexpr uint32_t kInside = 2;

// Every record is preceded by a word naming its size class: 0 for records made by new
// and for large copies, else the copy's room in steps of kGrain. A freed block of a class
// waits in that class's slot for the next copy of the class, so that copying a glyph or a
// table out of a cache again and again costs no trip to the heap. Each slot holds one
// block, taken and given back with one atomic exchange.
constexpr uint32_t kGrain = 64;
constexpr uint32_t kPooledClasses = 16;
constexpr size_t kHeader = 8;

std::atomic<void*> g_pool[kPooledClasses + 1];

// The blocks still waiting when the module goes away.
struct PoolDrain {
    ~PoolDrain()
    {
        for (std::atomic<void*>& slot : g_pool)
            ::operator delete(slot.exchange(nullptr));
    }
} g_drain;

void* Record(void* block, uint32_t sizeClass)
{
    *static_cast<uint32_t*>(block) = sizeClass;
    return static_cast<char*>(block) + kHeader;
}

} // namespace

GByteBuffer::~GByteBuffer()
{
    if (owns_ == 1)
        delete[] data_;
}

GByteBuffer* GByteBuffer::NewCopy(const uint8_t* data, uint32_t length)
{
    if (length > 0xFFFFFFFFu - sizeof(GByteBuffer) - kHeader)
        return nullptr;
    const uint32_t sizeClass = (length + kGrain - 1) / kGrain;
    void* room = nullptr;
    if (sizeClass != 0 && sizeClass <= kPooledClasses) {
        void* block = g_pool[sizeClass].exchange(nullptr);
        if (!block)
            block = ::operator new(kHeader + sizeof(GByteBuffer) + sizeClass * kGrain, std::nothrow);
        room = block ? Record(block, sizeClass) : nullptr;
    } else {
        void* block = ::operator new(kHeader + sizeof(GByteBuffer) + length, std::nothrow);
        room = block ? Record(block, 0) : nullptr;
    }
    if (!room)
        return nullptr;
    uint8_t* bytes = static_cast<uint8_t*>(room) + sizeof(GByteBuffer);
    if (data && length)
        std::memcpy(bytes, data, length);
    GByteBuffer* record = ::new (room) GByteBuffer(length ? bytes : nullptr, length, 0);
    record->owns_ = kInside;
    return record;
}

void* GByteBuffer::operator new(std::size_t size) { return Record(::operator new(kHeader + size), 0); }

void* GByteBuffer::operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    void* block = ::operator new(kHeader + size, std::nothrow);
    return block ? Record(block, 0) : nullptr;
}

void GByteBuffer::operator delete(void* record)
{
    if (!record)
        return;
    void* block = static_cast<char*>(record) - kHeader;
    const uint32_t sizeClass = *static_cast<uint32_t*>(block);
    if (sizeClass != 0 && sizeClass <= kPooledClasses)
        block = g_pool[sizeClass].exchange(block);
    ::operator delete(block);
}

void GByteBuffer::operator delete(void* record, const std::nothrow_t&) noexcept { operator delete(record); }

uint8_t* GByteBuffer::Release()
{
    if (length_ == 0)
        return nullptr;
    if (owns_ == 1) {
        owns_ = 0;
        return data_;
    }
    uint8_t* copy = new (std::nothrow) uint8_t[length_];
    if (copy)
        CopyBytes(data_, copy, length_);
    return copy;
}

GByteBuffer* GByteBuffer::Clone()
{
    GByteBuffer* clone = new (std::nothrow) GByteBuffer(nullptr, length_, 1);
    if (clone)
        clone->data_ = Release();
    return clone;
}

int GByteBuffer::MakeOwned()
{
    if (length_ == 0 || owns_)
        return 1;
    uint8_t* copy = new (std::nothrow) uint8_t[length_];
    if (!copy)
        return 0;
    CopyBytes(data_, copy, length_);
    data_ = copy;
    owns_ = 1;
    return 1;
}

void CopyBytes(const void* source, void* destination, uint32_t count)
{
    const uint8_t* from = static_cast<const uint8_t*>(source);
    uint8_t* to = static_cast<uint8_t*>(destination);
    for (uint32_t i = 0; i < count; ++i)
        to[i] = from[i];
}

void GetComponentVersion(uint32_t& first, uint32_t& second)
{
    first = 0x00040002;
    second = 0x00010008;
}
