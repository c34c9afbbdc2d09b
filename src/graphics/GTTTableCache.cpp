#include "graphics/GTTTableCache.h"

#include "graphics/GFontBlocks.h"

#include <new>

GTTTableCache::GTTTableCache() : count_(0) {}

GTTTableCache::GTTTableCache(const GTTTableCache& other) : GPersistent(other), count_(other.count_)
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

uint32_t GTTTableCache::FieldsSize() const
{
    uint32_t size = 9 + 4 * kEntries;
    for (const Entry& entry : entries_)
        if (entry.present == 1)
            size += 4 + entry.length;
    return size;
}

bool GTTTableCache::IsEqual(const RWCollectable* other) const
{
    const GTTTableCache* cache = dynamic_cast<const GTTTableCache*>(other);
    if (cache == this)
        return true;
    if (!cache || cache->ClassId() != ClassId() || !GObjectBase::IsSame(cache))
        return false;
    for (uint32_t i = 0; i < kEntries; ++i) {
        const Entry& a = entries_[i];
        const Entry& b = cache->entries_[i];
        if (a.present != b.present || a.length != b.length || !GSameBytes(a.data, b.data, a.length))
            return false;
    }
    return true;
}

template <class In>
void GTTTableCache::ReadFields(In& in)
{
    uint32_t version = 0, count = 0;
    uint8_t entryCount = 0;
    if (!GReadField(in, version) || version != kGStoredVersion)
        return;
    if (!GReadField(in, entryCount) || !GReadField(in, count))
        return;
    if (entryCount > kEntries) {
        GRefuseStored(in);
        return;
    }
    Entry read[kEntries];
    for (uint32_t i = 0; i < entryCount; ++i) {
        int32_t present = 0;
        uint32_t length = 0;
        if (!GReadField(in, present) ||
            (present == 1 && (!GReadField(in, length) || !GReadBlock(in, length, read[i].data)))) {
            Clear(read);
            return;
        }
        if (present == 1) {
            read[i].present = 1;
            read[i].length = length;
        }
    }
    Clear(entries_);
    for (uint32_t i = 0; i < kEntries; ++i)
        entries_[i] = read[i];
    count_ = count;
}

template <class Out>
void GTTTableCache::WriteFields(Out& out) const
{
    GWriteFields(out, static_cast<uint8_t>(kEntries), count_);
    for (const Entry& entry : entries_) {
        const int32_t present = entry.present == 1 ? 1 : 0;
        GWriteField(out, present);
        if (present) {
            GWriteField(out, entry.length);
            GWriteBlock(out, entry.data, entry.length);
        }
    }
}

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

template void GTTTableCache::ReadFields(RWBinaryFile&);
template void GTTTableCache::ReadFields(RWDataInStream&);
template void GTTTableCache::WriteFields(RWBinaryFile&) const;
template void GTTTableCache::WriteFields(RWDataOutStream&) const;
