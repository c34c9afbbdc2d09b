#include "foundation/RWHashTable.h"

#include "foundation/RWCollectionHelpers.h"
#include "foundation/RWFactory.h"
#include "foundation/RWSet.h"
#include "foundation/RWSlistCollectables.h"
#include "foundation/RWSlistCollectablesIterator.h"

namespace {
const RWClassRegistration<RWHashTable> g_hashTableRegistration("RWHashTable");
} // namespace

namespace {

RWSlistCollectables** NewBuckets(uint32_t n)
{
    RWSlistCollectables** buckets = new RWSlistCollectables*[n];
    for (uint32_t i = 0; i < n; ++i)
        buckets[i] = nullptr;
    return buckets;
}

} // namespace

RWHashTable::RWHashTable(uint32_t buckets)
    : bucketCount_(buckets ? buckets : 2), buckets_(NewBuckets(bucketCount_)), entries_(0)
{
}

RWHashTable::RWHashTable(const RWHashTable& other)
    : RWCollection(other), bucketCount_(other.bucketCount_), buckets_(NewBuckets(bucketCount_)), entries_(0)
{
    CopyBuckets(other);
}

RWHashTable& RWHashTable::operator=(const RWHashTable& other)
{
    if (this == &other)
        return *this;
    Clear();
    if (bucketCount_ != other.bucketCount_) {
        delete[] buckets_;
        bucketCount_ = other.bucketCount_;
        buckets_ = NewBuckets(bucketCount_);
    }
    CopyBuckets(other);
    return *this;
}

RWHashTable::~RWHashTable()
{
    Clear();
    delete[] buckets_;
}

void RWHashTable::CopyBuckets(const RWHashTable& other)
{
    for (uint32_t i = 0; i < bucketCount_; ++i)
        if (other.buckets_[i])
            buckets_[i] = new RWSlistCollectables(*other.buckets_[i]);
    entries_ = other.entries_;
}

void RWHashTable::FreeBuckets()
{
    for (uint32_t i = 0; i < bucketCount_; ++i) {
        delete buckets_[i];
        buckets_[i] = nullptr;
    }
}

RWCollectable* RWHashTable::CreateNew() const { return new RWHashTable; }
RWCollectable* RWHashTable::Copy() const { return new RWHashTable(*this); }
RWClassID RWHashTable::ClassId() const { return kClassId; }

bool RWHashTable::IsEqual(const RWCollectable* other) const
{
    return other && other->ClassId() == kClassId && SameContents(*static_cast<const RWHashTable*>(other));
}

bool RWHashTable::SameContents(const RWHashTable& other) const
{
    if (entries_ != other.entries_)
        return false;
    // A table that holds itself is still equal to itself.
    if (&other == this)
        return true;
    const RWCompareBound bound;
    if (!bound.Allowed())
        return false;
    // Every member stands for its class of equal members; its count here must not
    // exceed its count in other. Equal counts of entries then make the contents equal.
    for (uint32_t i = 0; i < bucketCount_; ++i) {
        if (!buckets_[i])
            continue;
        RWSlistCollectablesIterator it(*buckets_[i]);
        while (RWCollectable* m = it.Next())
            if (OccurrencesOf(m) > other.OccurrencesOf(m))
                return false;
    }
    return true;
}

RWSlistCollectables* RWHashTable::BucketOf(uint32_t hash, bool create) const
{
    RWSlistCollectables*& bucket = buckets_[hash % bucketCount_];
    if (!bucket && create)
        bucket = new RWSlistCollectables;
    return bucket;
}

void RWHashTable::Apply(RWApplyCollectable fn, void* arg) const
{
    for (uint32_t i = 0; i < bucketCount_; ++i)
        if (buckets_[i])
            buckets_[i]->Apply(fn, arg);
}

void RWHashTable::Clear()
{
    FreeBuckets();
    entries_ = 0;
}

RWCollectable* RWHashTable::Find(const RWCollectable* obj) const
{
    if (!obj)
        return nullptr;
    RWSlistCollectables* bucket = BucketOf(obj->Hash(), false);
    return bucket ? bucket->Find(obj) : nullptr;
}

RWCollectable* RWHashTable::Insert(RWCollectable* obj)
{
    if (!obj)
        return nullptr;
    BucketOf(obj->Hash(), true)->Append(obj);
    ++entries_;
    return obj;
}

size_t RWHashTable::OccurrencesOf(const RWCollectable* obj) const
{
    if (!obj)
        return 0;
    RWSlistCollectables* bucket = BucketOf(obj->Hash(), false);
    return bucket ? bucket->OccurrencesOf(obj) : 0;
}

RWCollectable* RWHashTable::Remove(const RWCollectable* obj)
{
    if (!obj)
        return nullptr;
    RWSlistCollectables* bucket = BucketOf(obj->Hash(), false);
    RWCollectable* removed = bucket ? bucket->Remove(obj) : nullptr;
    if (removed)
        --entries_;
    return removed;
}

void RWHashTable::Resize(uint32_t n)
{
    if (n == 0)
        n = entries_ >= 12 ? entries_ * 3 / 2 : 16;
    RWSlistCollectables** old = buckets_;
    const uint32_t oldCount = bucketCount_;
    buckets_ = NewBuckets(n);
    bucketCount_ = n;
    entries_ = 0;
    for (uint32_t i = 0; i < oldCount; ++i) {
        if (!old[i])
            continue;
        RWSlistCollectablesIterator it(*old[i]);
        while (RWCollectable* m = it.Next())
            Insert(m);
        delete old[i];
    }
    delete[] old;
}

RWSet RWHashTable::AsSet() const
{
    RWSet set(entries_ / 2);
    Apply([](RWCollectable* m, void* s) { static_cast<RWSet*>(s)->Insert(m); }, &set);
    return set;
}

RWHashTableIterator::RWHashTableIterator(RWHashTable& table) : table_(&table), bucket_(-1), iterator_(nullptr)
{
    Reset();
}

RWHashTableIterator::RWHashTableIterator(const RWHashTableIterator& other)
    : RWIterator(other), table_(other.table_), bucket_(other.bucket_),
      iterator_(other.iterator_ ? new RWSlistCollectablesIterator(*other.iterator_) : nullptr)
{
}

RWHashTableIterator& RWHashTableIterator::operator=(const RWHashTableIterator& other)
{
    if (this != &other) {
        delete iterator_;
        table_ = other.table_;
        bucket_ = other.bucket_;
        iterator_ = other.iterator_ ? new RWSlistCollectablesIterator(*other.iterator_) : nullptr;
    }
    return *this;
}

RWHashTableIterator::~RWHashTableIterator() { delete iterator_; }

bool RWHashTableIterator::EnterBucket(int32_t index)
{
    delete iterator_;
    iterator_ = nullptr;
    bucket_ = index;
    while (uint32_t(bucket_) < table_->bucketCount_ && !table_->buckets_[bucket_])
        ++bucket_;
    if (uint32_t(bucket_) >= table_->bucketCount_)
        return false;
    iterator_ = new RWSlistCollectablesIterator(*table_->buckets_[bucket_]);
    return true;
}

void RWHashTableIterator::Reset() { EnterBucket(0); }

RWCollectable* RWHashTableIterator::Key() const { return iterator_ ? iterator_->Key() : nullptr; }

RWCollectable* RWHashTableIterator::Next()
{
    while (iterator_) {
        if (RWCollectable* m = iterator_->Next())
            return m;
        EnterBucket(bucket_ + 1);
    }
    return nullptr;
}

RWCollectable* RWHashTableIterator::FindNext(const RWCollectable* obj)
{
    while (iterator_) {
        if (RWCollectable* m = iterator_->FindNext(obj))
            return m;
        EnterBucket(bucket_ + 1);
    }
    return nullptr;
}

RWCollectable* RWHashTableIterator::RemoveCurrent()
{
    RWCollectable* removed = iterator_ ? iterator_->RemoveCurrent() : nullptr;
    if (removed)
        table_->Uncounted();
    return removed;
}

RWCollectable* RWHashTableIterator::RemoveNext(const RWCollectable* obj)
{
    if (!iterator_)
        return nullptr;
    RWCollectable* removed = iterator_->RemoveNext(RWCollectableIsEqual, obj);
    for (uint32_t i = uint32_t(bucket_) + 1; !removed && i < table_->bucketCount_; ++i)
        if (table_->buckets_[i])
            removed = table_->buckets_[i]->Remove(obj);
    if (removed)
        table_->Uncounted();
    return removed;
}
