// What the module asks the platform, counted: registry value reads, registry key opens,
// file opens, folder creations, lock waits, looks at a file's attributes, reads of the
// spooler's driver record, looks at whether a change notification fired and asks of a
// printer's security (its security record read, a handle opened to learn a right, an
// access check), and writes and removals of printer data and registry values. Under Wine each of these is a request to the one server process, which
// every thread of every application waits on in turn, so the count of them is what a call
// costs when many run at once. The system services and the classes they hand out count
// here; a benchmark or a test reads the totals before and after a call.
#pragma once

#include <windows.h>

#include <cstdint>

class GPlatformCalls {
public:
    enum Kind { kValueRead, kKeyOpen, kFileOpen, kFolderMade, kLockWait, kFileLook, kDriverRecord, kEventWait,
                kPrinterSecurity, kValueWrite, kKinds };

    struct Totals {
        uint64_t count[kKinds];
        uint64_t operator[](Kind kind) const { return count[kind]; }
        // What was counted since the earlier totals.
        Totals Since(const Totals& earlier) const;
    };

    // One more of the kind, from any thread.
    static void Count(Kind kind);
    // The counts made in the process so far.
    static Totals Now();

    // A slim reader/writer lock held for a scope, shared or exclusive; a thread that finds
    // it taken counts one lock wait before it waits.
    class LockGuard {
    public:
        LockGuard(SRWLOCK& lock, bool shared);
        ~LockGuard();
        LockGuard(const LockGuard&) = delete;
        LockGuard& operator=(const LockGuard&) = delete;

    private:
        SRWLOCK& lock_;
        bool shared_;
    };
};
