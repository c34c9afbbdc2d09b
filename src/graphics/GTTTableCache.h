// The whole tables a font reader has read, by tag index. An entry of length 0 records a
// table the font does not have, so that it is not asked for again.
#pragma once

#include "model/GByteBuffer.h"
#include "model/GPersistent.h"

#include <cstdint>

class GTTTableCache : public GPersistent<GTTTableCache, GObjectBase, 872> {
public:
    static constexpr const char* kClassName = "GTTTableCache";
    // One entry per tag index; the last has no tag and stays empty.
    static constexpr uint32_t kEntries = 26;

    GTTTableCache();
    GTTTableCache(const GTTTableCache& other);
    GTTTableCache& operator=(const GTTTableCache&) = delete;
    ~GTTTableCache() override;

    GTTTableCache* CreateNew() const override;
    GTTTableCache* Copy() const override;
    // The same class and ids, and entry by entry the same presence, length and bytes.
    bool IsEqual(const RWCollectable* other) const override { return SameStored(dynamic_cast<const GObjectBase*>(other)); }

    // The stored form: entry count (u8), stored count, then per entry its presence and,
    // when present, length and bytes. More entries than the cache has, or a length the
    // data cannot hold, fails the read and keeps the cache as it was.
    auto StoredForm()
    {
        return GFields(GAtMost(entryCount_, uint8_t(kEntries)), GUncompared(count_),
                       GEach(entries_, entryCount_, [](Entry& entry) {
                           return GFields(GPresence(entry.present, GBlock(entry.data, entry.length)));
                       }));
    }
    // A stored form may hold fewer entries; the cache always writes all of them.
    bool Settle()
    {
        entryCount_ = kEntries;
        return true;
    }

    // Moves every entry present there and absent here (the other's entry is cleared).
    virtual void MergeFrom(GTTTableCache* other);

    // Takes the buffer's bytes (owned ones handed over, borrowed ones copied) and deletes
    // the record: 1 when stored. An entry once stored is never replaced, and an index
    // past the entries stores nothing: both answer 0 and count nothing.
    int Store(uint32_t tagIndex, GByteBuffer* buffer);
    // A new borrowing record on the entry (an empty owning one for an absent table);
    // null when nothing is stored or out of memory.
    GByteBuffer* Get(uint32_t tagIndex) const;
    bool IsPresent(uint32_t tagIndex) const { return tagIndex < kEntries && entries_[tagIndex].present == 1; }
    uint32_t GetLength(uint32_t tagIndex) const { return IsPresent(tagIndex) ? entries_[tagIndex].length : 0; }
    const uint8_t* GetData(uint32_t tagIndex) const { return IsPresent(tagIndex) ? entries_[tagIndex].data : nullptr; }
    uint32_t GetCount() const { return count_; }

private:
    struct Entry {
        int32_t present = 0;
        uint32_t length = 0;
        uint8_t* data = nullptr;
    };
    static void Clear(Entry* entries);

    // The entries a stored form holds: kEntries but while a read is staged.
    uint8_t entryCount_;
    uint32_t count_;
    Entry entries_[kEntries];
};
