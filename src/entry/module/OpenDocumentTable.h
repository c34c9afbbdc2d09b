// The printers that have a document open in this process: printer handle -> the driver
// server's release ticket of the driver object the document holds. Sixteen buckets of
// singly linked lists, a bucket made on first use; the bucket of a handle is its value
// modulo the bucket count. Every operation runs under the lock the module hands it (the
// table works unlocked when there is none). A wait on the lock that fails is reported as
// critical error 301 and the operation goes on unlocked (nothing is released then); a
// release that fails (-2) is reported as critical error 302.
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWSlistBase.h"

#include <cstdint>

class GLock;

class OpenDocumentTable {
public:
    static constexpr uint32_t kBuckets = 16;

    OpenDocumentTable();
    // Frees every link and bucket; the tickets are not released.
    ~OpenDocumentTable();
    OpenDocumentTable(const OpenDocumentTable&) = delete;
    OpenDocumentTable& operator=(const OpenDocumentTable&) = delete;

    void SetLock(GLock* lock) { lock_ = lock; }

    // False when the link or its bucket could not be allocated; nothing changes then.
    bool Insert(void* printer, uint32_t ticket);
    // True with the ticket of the first entry for the printer.
    bool Find(void* printer, uint32_t& ticket);
    // Takes the first entry for the printer out: true with its ticket.
    bool Remove(void* printer, uint32_t& ticket);
    uint32_t Entries();

    // The key's own value, as the bucket rule reads it.
    static uint32_t Hash(void* const* key);

    // Where lock failures go: the critical-error reporter (severity 2), or for a test a
    // recorder of its own; null puts the reporter back.
    typedef void (*LockFailureReporter)(int32_t severity, uint16_t errorId, RWCString source, int32_t line,
                                        RWCString text);
    static void SetLockFailureReporterForTesting(LockFailureReporter reporter);
    static constexpr uint16_t kLockFailed = 301;
    static constexpr uint16_t kUnlockFailed = 302;
    static constexpr const char* kLockSource = ".\\winnt40\\nt40qddi";

private:
    struct Link : RWSlistLink {
        void* printer;
        uint32_t ticket;
    };
    class Guard;

    uint32_t BucketOf(void* printer) const { return hash_(&printer) % bucketCount_; }
    Link* FindLink(RWSlistBase* bucket, void* printer, RWSlistLink** before);

    uint32_t bucketCount_;
    RWSlistBase* buckets_[kBuckets];
    uint32_t entries_;
    uint32_t (*hash_)(void* const* key);
    GLock* lock_;
};
