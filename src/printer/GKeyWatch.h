// Tells a reader of stamps below a registry key whether anything there may have changed:
// a change notification on the key and its whole subtree (values written, keys made or
// removed), armed again each time it fires. A reader takes the watch's generation once a
// call; while it is the generation under which the reader last read a stamp below the
// key, nothing there changed since that read, and the stamp need not be read again. The
// notification is armed before a generation is handed out, so any change after a read
// under it fires it, and the first call that begins after the change gets another
// generation. A watch that cannot be armed (the key missing, the platform refusing)
// hands out 0: the reader reads its stamps at every call.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class GKeyWatch {
public:
    // Watches the key below HKEY_LOCAL_MACHINE; nothing is asked before the first
    // Generation.
    explicit GKeyWatch(const std::wstring& path);
    ~GKeyWatch();
    GKeyWatch(const GKeyWatch&) = delete;
    GKeyWatch& operator=(const GKeyWatch&) = delete;

    // The generation now: the same while nothing below the key changed, another at the
    // first ask after a change; 0 when no notification can be armed. From any thread.
    uint64_t Generation();

    // Arms a notification of the key for the event: a registry status.
    using Armer = LONG (*)(HKEY key, HANDLE event);
    // Puts a stand-in in place of the platform's arming (null: the platform's again); the
    // one it replaces comes back.
    static Armer SetArmerForTesting(Armer armer);

private:
    // Opens the key and makes the event when there are none yet, and arms the
    // notification; false when any of it fails. Under the exclusive lock.
    bool Arm();

    std::wstring path_;
    HKEY key_ = nullptr;
    HANDLE event_ = nullptr;
    bool broken_ = false;
    uint64_t generation_ = 0;
    // Taken shared to look at the event, exclusive to arm again.
    SRWLOCK lock_;
};
