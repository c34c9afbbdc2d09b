#include "foundation/RWReadTable.h"

#include "foundation/RWCollectionHelpers.h"
#include "foundation/RWThreadContext.h"

#include <cstring>

namespace {

const uint32_t kInitialCapacity = 30;

} // namespace

RWReadTable::RWReadTable()
    : entries_(new Entry[kInitialCapacity]), count_(0), capacity_(kInitialCapacity), depth_(0), failed_(false),
      cutShort_(false)
{
    AppendObject(&RWNilObject, false);
}

RWReadTable::~RWReadTable() { delete[] entries_; }

void RWReadTable::Append(const Entry& entry)
{
    if (count_ == capacity_) {
        const uint32_t capacity = NextCapacity(capacity_, sizeof(Entry));
        if (capacity <= capacity_) {
            // Cannot grow: the restore cannot go on in step.
            failed_ = true;
            return;
        }
        Entry* grown = new Entry[capacity];
        std::memcpy(grown, entries_, count_ * sizeof(Entry));
        delete[] entries_;
        entries_ = grown;
        capacity_ = capacity;
    }
    entries_[count_++] = entry;
}

void RWReadTable::AppendObject(RWCollectable* obj, bool inPlace, RWHolding holding)
{
    const uint32_t number = count_;
    Append({obj, RWNoClassId, Kind::Object, holding});
    if (count_ == number)
        return;
    if (obj != &RWNilObject)
        spans_[obj] = {number, number + 1};
    if (inPlace)
        inPlace_.push_back(obj);
}

void RWReadTable::AppendClassId(RWClassID id) { Append({nullptr, id, Kind::ClassId, RWHolding::Borrowed}); }

void RWReadTable::Vacate(uint32_t n)
{
    if (n < count_)
        entries_[n] = {nullptr, RWNoClassId, Kind::Vacant, RWHolding::Borrowed};
}

void RWReadTable::Forget(const RWCollectable* obj)
{
    auto at = spans_.find(obj);
    if (at == spans_.end())
        return;
    const Span span = at->second;
    spans_.erase(at);
    const uint32_t end = span.end == kOpen || span.end > count_ ? count_ : span.end;
    for (uint32_t n = span.first; n < end; ++n)
        if (entries_[n].kind == Kind::Object)
            entries_[n] = {nullptr, RWNoClassId, Kind::Vacant, RWHolding::Borrowed};
    for (auto p = inPlace_.begin(); p != inPlace_.end(); ++p)
        if (*p == obj) {
            inPlace_.erase(p);
            break;
        }
}

bool RWReadTable::ObjectAt(uint32_t n, RWCollectable*& obj) const
{
    if (n >= count_ || entries_[n].kind != Kind::Object)
        return false;
    obj = entries_[n].obj;
    return true;
}

bool RWReadTable::ClassIdAt(uint32_t n, RWClassID& id) const
{
    if (n >= count_ || entries_[n].kind != Kind::ClassId)
        return false;
    id = entries_[n].id;
    return true;
}

bool RWReadTable::IsInPlace(const RWCollectable* obj) const
{
    for (const RWCollectable* p : inPlace_)
        if (p == obj)
            return true;
    return false;
}

bool RWReadTable::Claim(uint32_t n, RWHolding holding)
{
    if (holding == RWHolding::Borrowed || n >= count_ || entries_[n].kind != Kind::Object)
        return true;
    Entry& entry = entries_[n];
    if (entry.holding == RWHolding::Borrowed)
        entry.holding = holding;
    return entry.holding == holding;
}

bool RWReadTable::Begin(RWCollectable* obj)
{
    if (depth_ == kMaxDepth)
        return false;
    inProgress_[depth_++] = obj;
    auto at = spans_.find(obj);
    if (at != spans_.end())
        at->second.end = kOpen;
    return true;
}

void RWReadTable::End()
{
    if (!depth_)
        return;
    auto at = spans_.find(inProgress_[--depth_]);
    if (at != spans_.end())
        at->second.end = count_;
}

bool RWReadTable::IsInProgress(const RWCollectable* obj) const
{
    for (size_t i = 0; i < depth_; ++i)
        if (inProgress_[i] == obj)
            return true;
    return false;
}

RWReadTable* RWReadTable::Current() { return RWThreadContext::Current().readTable; }

RWReadTableGuard::RWReadTableGuard() : table_(RWThreadContext::Current().readTable), created_(false)
{
    if (!table_) {
        table_ = RWThreadContext::Current().readTable = new RWReadTable;
        created_ = true;
    }
}

RWReadTableGuard::~RWReadTableGuard()
{
    if (created_) {
        RWThreadContext::Current().readTable = nullptr;
        delete table_;
    }
}
