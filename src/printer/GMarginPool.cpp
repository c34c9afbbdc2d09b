#include "printer/GMarginPool.h"

#include "model/GStoredCounts.h"

#include <new>

GMarginPool::GMarginPool() {}
GMarginPool::GMarginPool(const long& id) : GPersistent(id) {}
GMarginPool::~GMarginPool() {}

int32_t GMarginPool::AddEntry(const GMarginEntry* entry)
{
    if (!entry)
        return -1;
    try {
        entries_.push_back(*entry);
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return int32_t(entries_.size() - 1);
}

const GMarginEntry* GMarginPool::GetEntry(uint32_t index) const
{
    return index < entries_.size() ? &entries_[index] : nullptr;
}

template <class In>
bool GMarginPool::ReadStored(In& in)
{
    uint32_t count = 0;
    // Each entry takes at least one byte per word on any medium.
    if (!GReadField(in, count) || !GCheckStoredCount(in, count, 16))
        return false;
    std::vector<GMarginEntry> entries(count);
    for (GMarginEntry& entry : entries)
        for (GMarginRecord& record : entry.byOrientation)
            if (!GReadField(in, record.left) || !GReadField(in, record.top) || !GReadField(in, record.right) ||
                !GReadField(in, record.bottom))
                return false;
    entries_.swap(entries);
    return true;
}

template <class Out>
void GMarginPool::WriteStored(Out& out) const
{
    GWriteField(out, GetEntryCount());
    for (const GMarginEntry& entry : entries_)
        for (const GMarginRecord& record : entry.byOrientation) {
            GWriteField(out, record.left);
            GWriteField(out, record.top);
            GWriteField(out, record.right);
            GWriteField(out, record.bottom);
        }
}

template bool GMarginPool::ReadStored(RWBinaryFile&);
template bool GMarginPool::ReadStored(RWDataInStream&);
template void GMarginPool::WriteStored(RWBinaryFile&) const;
template void GMarginPool::WriteStored(RWDataOutStream&) const;
