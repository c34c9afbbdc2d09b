#include "graphics/GTTTableCache.h"

#include "graphics/GFontBlocks.h"

#include <new>

GTTTableCache::GTTTableCache() : entryCount_(kEntries), count_(0) {}

GTTTableCache::GTTTableCache(const GTTTableCache& other)
    : GPersistent(other), entryCount_(kEntries), count_(other.count_)
{
    for (uint32_t i = 0; i < kEntries; ++i) {
        const Entry& from = other.entries_[i];
        uint8_t* copy = GCopyBlock(from.data, from.length);
        if (from.present == 1 && (copy || from.length == 0))
            entries_[i] = {1, from.length, copy};
    }
}

GTTTableCache::~GTTTableCache() { Clear(entries_); }

void GTTTableCache::Clear(Entry* entries)
{
    for (uint32_t i = 0; i < kEntries; ++i) {
        delete[] entries[i].data;
        entries[i] = Entry();
    }
}

GTTTableCache* GTTTableCache::CreateNew() const { return new GTTTableCache; }
GTTTableCache* GTTTableCache::Copy() const { return new GTTTableCache(*this); }

void GTTTableCache::MergeFrom(GTTTableCache* other)
{
    if (!other || other == this)
        return;
    for (uint32_t i = 0; i < kEntries; ++i) {
        if (other->entries_[i].present == 1 && entries_[i].present != 1) {
            delete[] entries_[i].data;
            entries_[i] = other->entries_[i];
            other->entries_[i] = Entry();
        }
    }
}

int GTTTableCache::Store(uint32_t tagIndex, GByteBuffer* buffer)
{
    if (!buffer)
        return 0;
    if (IsPresent(tagIndex) || tagIndex >= kEntries) {
        delete buffer;
        return 0;
    }
    uint8_t* data = buffer->Release();
    const uint32_t length = data ? buffer->GetLength() : 0;
    const bool lost = !data && buffer->GetLength() != 0;
    delete buffer;
    if (lost)
        return 0;
    entries_[tagIndex] = {1, length, data};
    ++count_;
    return 1;
}

GByteBuffer* GTTTableCache::Get(uint32_t tagIndex) const
{
    if (!IsPresent(tagIndex))
        return nullptr;
    const Entry& entry = entries_[tagIndex];
    if (entry.length == 0)
        return new (std::nothrow) GByteBuffer(nullptr, 0, 1);
    return new (std::nothrow) GByteBuffer(entry.data, entry.length, 0);
}
