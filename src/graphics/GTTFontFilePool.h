// The process-wide pool that shares font readers among all users and jobs: one reader
// per font file key, counted by its users (the handles on it and the pool's own list),
// remembering the jobs that used it. It writes a job's readers, caches included, into
// the job's font spool file and reads them back, keeping the fuller copy when a reader
// read back meets one already pooled.
//
// Locks: the pool lock is always taken before any reader's lock, and no lock is taken
// twice by one thread; the operations that a handle's close and destruction need take
// both locks themselves.
#pragma once

#include "graphics/GFontList.h"
#include "graphics/GTTFontFileReader.h"

#include <cstdint>
#include <memory>
#include <vector>

class GLock;
class GTTFontFile;

class GTTFontFilePool {
public:
    GTTFontFilePool();
    GTTFontFilePool(const GTTFontFilePool&) = delete;
    GTTFontFilePool& operator=(const GTTFontFilePool&) = delete;
    virtual ~GTTFontFilePool();

    // The process-wide pool, made on first use.
    static GTTFontFilePool* Instance();
    // The pool when one was made, else null.
    static GTTFontFilePool* Existing();
    // Deletes the process-wide pool (at unload).
    static void Discard();

    // A new handle on the reader (one more user), null when out of memory.
    GTTFontFile* NewHandle(GTTFontFileReader* reader);
    // The reader of the key, one more user, when its change count is at least
    // minChangeCount; else null.
    GTTFontFileReader* Acquire(uint32_t fileKey, uint32_t minChangeCount);
    // Enters the reader under its file key; a new key counts the list as one more user.
    // 1 when the key was new.
    int Register(GTTFontFileReader* reader);
    // The same, recording the job in the reader's job list A first (a handle's close).
    int RegisterForJob(GTTFontFileReader* reader, uint32_t jobId);
    // One user less, under both locks; the last user's release takes the reader out of
    // the list and deletes it (answer 1).
    int Release(GTTFontFileReader* reader);
    // The list gives up its hold on the reader of the key (deleting it when no user is
    // left): 1 when the key was found.
    int ReleaseByKey(uint32_t fileKey);
    // Every reader of the list, as ReleaseByKey: the driver server's "close all font files".
    void ReleaseAll();
    // Takes the reader of the key out of the list; the caller has the list's hold.
    GTTFontFileReader* Take(uint32_t fileKey);
    int Contains(uint32_t fileKey);
    // Forgets the job on every reader; readers no other job or user holds are deleted.
    void ReleaseJob(uint32_t jobId);
    // The release visit of every reader with no job being released.
    void Visit();
    // The readers whose job list A holds the job: their count, then key and reader each.
    void WriteJob(RWDataOutStream& out, uint32_t jobId);
    void WriteJob(RWBinaryFile& out, uint32_t jobId);
    // Reads readers back, recording the job on each. The bytes are foreign: the read runs
    // under a capture (no error reaches the process's handler), a stored object of any
    // other class than a reader is refused before it is made, and nothing read calls back
    // into the pool. False when the input was refused, cut short or raised an error; the
    // readers read whole before that stay.
    bool ReadJob(RWDataInStream& in, uint32_t jobId);
    bool ReadJob(RWBinaryFile& in, uint32_t jobId);
    // WriteJob into the caller's buffer: the bytes written, 0 when they did not fit.
    uint32_t SaveToStream(void* buffer, uint32_t capacity, uint32_t jobId);
    // ReadJob from the caller's bytes; the capture is open before the stream's header is
    // checked.
    bool LoadFromStream(const void* data, uint32_t length, uint32_t jobId);
    // Deletes the auxiliary entries and the readers, clears the setting word.
    void Reset();
    // The reader list's message function, as the list calls it.
    static int (*ReaderMessages())(GObjectBase*, uint32_t, uintptr_t) { return &ReaderRule; }

    // Objects kept for a reader's sake, deleted with its release or on reset.
    void AddAuxiliary(uint32_t key, GObjectBase* object, const GTTFontFileReader* reader);
    GObjectBase* FindAuxiliary(uint32_t key);
    void SetSetting(uint32_t setting) { setting_ = setting; }
    uint32_t GetSetting() const { return setting_; }

private:
    class Held;
    struct Auxiliary {
        uint32_t key;
        std::unique_ptr<GObjectBase> object;
        const GTTFontFileReader* reader;
    };
    static int ReaderRule(GObjectBase* object, uint32_t message, uintptr_t argument);
    static int JobRule(GObjectBase* object, uint32_t message, uintptr_t argument);
    int RegisterLocked(GTTFontFileReader* reader, bool withJob, uint32_t jobId);
    void DropAuxiliary(const GTTFontFileReader* reader);
    void ReleaseTaken(GTTFontFileReader* reader);
    template <class In>
    bool ReadLocked(In& in, uint32_t jobId);

    std::vector<Auxiliary> auxiliary_;
    GLock* lock_;
    std::unique_ptr<GFontList> readers_;
    uint32_t setting_;
};
