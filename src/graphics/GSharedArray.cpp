#include "graphics/GSharedArray.h"

#include <cstring>
#include <new>
#include <utility>

GSharedArray::GSharedArray(void* buffer, uint32_t count, uint32_t owned)
{
    if (!buffer || count == 0 || count > kMaxCount) {
        if (owned)
            FreeBuffer(buffer);
        return;
    }
    owned_ = owned ? 1 : 0;
    storage_ = buffer;
    data_ = buffer;
    count_ = count;
}

GSharedArray::GSharedArray(GSharedArray&& other) noexcept
    : owned_(other.owned_), storage_(other.storage_), data_(other.data_), count_(other.count_)
{
    other.owned_ = 0;
    other.storage_ = other.data_ = nullptr;
    other.count_ = 0;
}

GSharedArray& GSharedArray::operator=(GSharedArray&& other) noexcept
{
    if (this != &other) {
        Clear();
        std::swap(owned_, other.owned_);
        std::swap(storage_, other.storage_);
        std::swap(data_, other.data_);
        std::swap(count_, other.count_);
    }
    return *this;
}

GSharedArray::~GSharedArray() { Clear(); }

void* GSharedArray::NewBuffer(uint32_t count, uint32_t elementSize)
{
    if (count == 0 || count > kMaxCount || elementSize == 0 || elementSize > 2)
        return nullptr;
    const size_t bytes = size_t(count) * elementSize;
    void* buffer = ::operator new(bytes, std::nothrow);
    if (buffer)
        std::memset(buffer, 0, bytes);
    return buffer;
}

void GSharedArray::FreeBuffer(void* buffer) { ::operator delete(buffer); }

bool GSharedArray::Allocate(uint32_t count, uint32_t elementSize)
{
    Clear();
    void* buffer = NewBuffer(count, elementSize);
    if (!buffer)
        return false;
    owned_ = 1;
    storage_ = data_ = buffer;
    count_ = count;
    return true;
}

bool GSharedArray::CopyFrom(const void* data, uint32_t count, uint32_t elementSize)
{
    void* buffer = data ? NewBuffer(count, elementSize) : nullptr;
    if (buffer)
        std::memcpy(buffer, data, size_t(count) * elementSize);
    Clear();
    if (!buffer)
        return false;
    owned_ = 1;
    storage_ = data_ = buffer;
    count_ = count;
    return true;
}

bool GSharedArray::MakeOwned(uint32_t elementSize)
{
    if (owned_ || count_ == 0)
        return true;
    const void* borrowed = data_;
    return CopyFrom(borrowed, count_, elementSize);
}

void GSharedArray::Clear()
{
    if (owned_)
        FreeBuffer(storage_);
    owned_ = 0;
    storage_ = data_ = nullptr;
    count_ = 0;
}
