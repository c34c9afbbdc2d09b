#include "graphics/GFontRecordList.h"

GFontRecordList::GFontRecordList() {}

GFontRecordList::~GFontRecordList()
{
    for (Entry& entry : entries_)
        if (entry.handle)
            entry.handle->ClearLive();
}

void GFontRecordList::Add(const GFontMetrics& metrics, const GFontWriterRecord& writer, GFontHandle* handle)
{
    entries_.push_back(Entry{std::unique_ptr<GFontHandle>(handle), metrics, writer});
}

uint32_t GFontRecordList::TotalMemory() const
{
    uint32_t total = 0;
    for (const Entry& entry : entries_)
        if (entry.handle)
            total += entry.handle->GetMemoryUsed();
    return total;
}

uint32_t GFontRecordList::FreeLeastRecentlyUsed()
{
    GFontHandle* oldest = nullptr;
    for (const Entry& entry : entries_) {
        GFontHandle* handle = entry.handle.get();
        if (!handle || handle->GetKind() < GFontRecord::kFirstFreeableKind ||
            handle->GetKind() > GFontRecord::kLastFreeableKind || handle->GetMemoryUsed() == 0)
            continue;
        if (!oldest || handle->GetUseStamp() < oldest->GetUseStamp())
            oldest = handle;
    }
    if (!oldest)
        return 0;
    const uint32_t freed = oldest->GetMemoryUsed();
    oldest->Unload();
    return freed;
}

void GFontRecordList::UnloadAll()
{
    for (Entry& entry : entries_)
        if (entry.handle)
            entry.handle->Unload();
}
