#include "entry/module/OpenDocumentTable.h"

#include "model/GCriticalError.h"
#include "model/GLock.h"

#include <atomic>

#include <cstdint>
#include <new>

namespace {

std::atomic<OpenDocumentTable::LockFailureReporter> g_reporter{nullptr};

void ReportLockFailure(uint16_t errorId)
{
    OpenDocumentTable::LockFailureReporter reporter = g_reporter.load();
    (reporter ? reporter : &ReportCriticalError)(2, errorId, OpenDocumentTable::kLockSource, 0, "");
}

} // namespace

void OpenDocumentTable::SetLockFailureReporterForTesting(LockFailureReporter reporter) { g_reporter = reporter; }

// Holds the table's lock for one operation. A lock that could not be taken is reported
// and not released: the operation goes on without it.
class OpenDocumentTable::Guard {
public:
    explicit Guard(GLock* lock) : lock_(lock)
    {
        if (lock_ && lock_->Acquire() != 0) {
            lock_ = nullptr;
            ReportLockFailure(kLockFailed);
        }
    }
    ~Guard()
    {
        if (lock_ && lock_->Release() == -2)
            ReportLockFailure(kUnlockFailed);
    }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    GLock* lock_;
};

OpenDocumentTable::OpenDocumentTable()
    : bucketCount_(kBuckets), buckets_(), entries_(0), hash_(&OpenDocumentTable::Hash), lock_(nullptr)
{
}

OpenDocumentTable::~OpenDocumentTable()
{
    for (uint32_t i = bucketCount_; i-- > 0;) {
        RWSlistBase* bucket = buckets_[i];
        if (!bucket)
            continue;
        while (!bucket->IsEmpty())
            delete static_cast<Link*>(bucket->RemoveAfter(bucket->Head()));
        delete bucket;
        buckets_[i] = nullptr;
    }
    entries_ = 0;
}

uint32_t OpenDocumentTable::Hash(void* const* key) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(*key)); }

OpenDocumentTable::Link* OpenDocumentTable::FindLink(RWSlistBase* bucket, void* printer, RWSlistLink** before)
{
    if (!bucket)
        return nullptr;
    RWSlistLink* previous = bucket->Head();
    for (size_t i = 0; i < bucket->Entries(); ++i) {
        Link* link = static_cast<Link*>(previous->next);
        if (link->printer == printer) {
            if (before)
                *before = previous;
            return link;
        }
        previous = link;
    }
    return nullptr;
}

bool OpenDocumentTable::Insert(void* printer, uint32_t ticket)
{
    Link* link = new (std::nothrow) Link;
    if (!link)
        return false;
    link->next = nullptr;
    link->printer = printer;
    link->ticket = ticket;
    // A bucket is made outside the lock; one made meanwhile by another thread wins.
    RWSlistBase* spare = new (std::nothrow) RWSlistBase;
    bool inserted = false;
    {
        Guard guard(lock_);
        RWSlistBase*& bucket = buckets_[BucketOf(printer)];
        if (!bucket && spare) {
            bucket = spare;
            spare = nullptr;
        }
        if (bucket) {
            bucket->Append(link);
            ++entries_;
            inserted = true;
        }
    }
    delete spare;
    if (!inserted)
        delete link;
    return inserted;
}

bool OpenDocumentTable::Find(void* printer, uint32_t& ticket)
{
    Guard guard(lock_);
    Link* link = FindLink(buckets_[BucketOf(printer)], printer, nullptr);
    if (link)
        ticket = link->ticket;
    return link != nullptr;
}

bool OpenDocumentTable::Remove(void* printer, uint32_t& ticket)
{
    Link* link;
    {
        Guard guard(lock_);
        RWSlistBase* bucket = buckets_[BucketOf(printer)];
        RWSlistLink* before = nullptr;
        link = FindLink(bucket, printer, &before);
        if (!link)
            return false;
        bucket->RemoveAfter(before);
        --entries_;
    }
    ticket = link->ticket;
    delete link;
    return true;
}

uint32_t OpenDocumentTable::Entries()
{
    Guard guard(lock_);
    return entries_;
}
