// The fonts a writer downloaded during a job: for each, a handle on its record and
// copies of the font's metric and writer records. It can free the printer memory of the
// least recently used downloaded font.
#pragma once

#include "graphics/GFont.h"
#include "graphics/GFontHandle.h"

#include <memory>
#include <vector>

class GFontRecordList {
public:
    GFontRecordList();
    GFontRecordList(const GFontRecordList&) = delete;
    GFontRecordList& operator=(const GFontRecordList&) = delete;
    // Clears each record's live flag and deletes the handles.
    virtual ~GFontRecordList();

    // Appends an entry; the list owns the handle.
    virtual void Add(const GFontMetrics& metrics, const GFontWriterRecord& writer, GFontHandle* handle);
    // The sum of every entry's memory used.
    virtual uint32_t TotalMemory() const;
    // Among the entries of kind 2 or 3 with memory used, the first of the smallest use
    // stamp is unloaded: answers the memory it used (0 when there was none).
    virtual uint32_t FreeLeastRecentlyUsed();
    // Unloads every entry's record.
    virtual void UnloadAll();

    uint32_t GetCount() const { return uint32_t(entries_.size()); }
    GFontHandle* GetHandle(uint32_t i) const { return i < entries_.size() ? entries_[i].handle.get() : nullptr; }
    const GFontMetrics* GetMetrics(uint32_t i) const { return i < entries_.size() ? &entries_[i].metrics : nullptr; }

private:
    struct Entry {
        std::unique_ptr<GFontHandle> handle;
        GFontMetrics metrics;
        GFontWriterRecord writer;
    };
    std::vector<Entry> entries_;
};
