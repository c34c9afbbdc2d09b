#include "foundation/RWReadTable.h"

#include "foundation/RWCollectionHelpers.h"
#include "foundation/RWThreadContext.h"

#include <algorithm>
#include <cstring>

namespace {

const uint32_t kInitialCapacity = 30;
// Slots of the span table to begin with; a power of two, doubled whenever half are used.
const size_t kInitialSpanSlots = 64;

} // namespace

RWReadTable::RWReadTable()
    : entries_(new Entry[kInitialCapacity]), count_(0), capacity_(kInitialCapacity), depth_(0),
      spans_(kInitialSpanSlots, Span{nullptr, 0, 0}), spanCount_(0), failed_(false), cutShort_(false)
{
    AppendObject(&RWNilObject, false);
}

RWReadTable::~RWReadTable() { delete[] entries_; }

void RWReadTable::Reset()
{
    // A large restore's tables are let go rather than kept at their size.
    if (capacity_ > 64 * kInitialCapacity) {
        Entry* entries = new Entry[kInitialCapacity];
        delete[] entries_;
        entries_ = entries;
        capacity_ = kInitialCapacity;
    }
    count_ = 0;
    depth_ = 0;
    inPlace_.clear();
    // A grown span table is made small again: clearing it whole would cost every later
    // restore of one object as much as the large one.
    if (spans_.size() > kInitialSpanSlots)
        std::vector<Span>(kInitialSpanSlots, Span{nullptr, 0, 0}).swap(spans_);
    else
        std::fill(spans_.begin(), spans_.end(), Span{nullptr, 0, 0});
    spanCount_ = 0;
    failed_ = false;
    cutShort_ = false;
    refused_ = false;
    AppendObject(&RWNilObject, false);
}

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
        PutSpan(obj, number, number + 1);
    if (inPlace)
        inPlace_.push_back(obj);
}

void RWReadTable::AppendClassId(RWClassID id) { Append({nullptr, id, Kind::ClassId, RWHolding::Borrowed}); }

void RWReadTable::Vacate(uint32_t n)
{
    if (n < count_)
        entries_[n] = {nullptr, RWNoClassId, Kind::Vacant, RWHolding::Borrowed};
}

size_t RWReadTable::HomeOf(const RWCollectable* obj) const
{
    // Fibonacci hashing of the address, its well-mixed high half folded onto the low.
    const uint32_t h = uint32_t(reinterpret_cast<uintptr_t>(obj)) * 2654435769u;
    return size_t(h ^ (h >> 16)) & (spans_.size() - 1);
}

RWReadTable::Span* RWReadTable::FindSpan(const RWCollectable* obj)
{
    const size_t mask = spans_.size() - 1;
    for (size_t i = HomeOf(obj);; i = (i + 1) & mask) {
        Span& slot = spans_[i];
        if (slot.obj == obj)
            return &slot;
        if (!slot.obj)
            return nullptr;
    }
}

void RWReadTable::PutSpan(const RWCollectable* obj, uint32_t first, uint32_t end)
{
    if (Span* span = FindSpan(obj)) {
        span->first = first;
        span->end = end;
        return;
    }
    if ((spanCount_ + 1) * 2 > spans_.size()) {
        std::vector<Span> old(spans_.size() * 2, Span{nullptr, 0, 0});
        old.swap(spans_);
        const size_t mask = spans_.size() - 1;
        for (const Span& span : old)
            if (span.obj) {
                size_t i = HomeOf(span.obj);
                while (spans_[i].obj)
                    i = (i + 1) & mask;
                spans_[i] = span;
            }
    }
    const size_t mask = spans_.size() - 1;
    size_t i = HomeOf(obj);
    while (spans_[i].obj)
        i = (i + 1) & mask;
    spans_[i] = {obj, first, end};
    ++spanCount_;
}

// Frees the slot and moves up the slots behind it that probing would no longer reach.
void RWReadTable::EraseSpan(Span* span)
{
    const size_t mask = spans_.size() - 1;
    size_t hole = size_t(span - spans_.data());
    for (size_t i = (hole + 1) & mask; spans_[i].obj; i = (i + 1) & mask) {
        const size_t home = HomeOf(spans_[i].obj);
        // The slot stays when its home lies cyclically in (hole, i].
        const bool stays = hole <= i ? (hole < home && home <= i) : (hole < home || home <= i);
        if (stays)
            continue;
        spans_[hole] = spans_[i];
        hole = i;
    }
    spans_[hole] = {nullptr, 0, 0};
    --spanCount_;
}

void RWReadTable::Forget(const RWCollectable* obj)
{
    Span* at = FindSpan(obj);
    if (!at)
        return;
    const Span span = *at;
    EraseSpan(at);
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
    if (Span* span = FindSpan(obj))
        span->end = kOpen;
    return true;
}

void RWReadTable::End()
{
    if (!depth_)
        return;
    if (Span* span = FindSpan(inProgress_[--depth_]))
        span->end = count_;
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
    if (table_)
        return;
    RWThreadContext& context = RWThreadContext::Current();
    if (!context.IsShared() && context.spareReadTable) {
        table_ = context.spareReadTable;
        context.spareReadTable = nullptr;
    } else {
        table_ = new RWReadTable;
    }
    context.readTable = table_;
    created_ = true;
}

RWReadTableGuard::~RWReadTableGuard()
{
    if (!created_)
        return;
    RWThreadContext& context = RWThreadContext::Current();
    context.readTable = nullptr;
    if (!context.IsShared() && !context.spareReadTable) {
        table_->Reset();
        context.spareReadTable = table_;
    } else {
        delete table_;
    }
}
