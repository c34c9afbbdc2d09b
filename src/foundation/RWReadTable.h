// What one restore has read, indexed by the numbers the save gave out: the nil object
// at 0, then every object and, behind each object whose class came by a new name, that
// class's id. Every entry is tagged with what it holds, so that a back-reference can
// only ever name an object and a name reference only ever a class id.
//
// Each object entry records which kind of holder the restore gave it to, so that no
// object reaches both a plain-pointer owner and a counted holder.
//
// The table also knows which objects are still being restored (their RestoreGuts has
// not returned) and which were read in place into the caller's objects.
//
// An object freed while the restore goes on vacates every number its read gave out:
// its own and those of the objects read inside it (consecutive numbers, from its own
// up to the last one handed out before its RestoreGuts returned). A later
// back-reference to any of them then fails with [REF] instead of reaching freed
// memory, wherever the restore freed it. The collectable root's destructor tells the
// table; the class ids recorded for new names stay, since they name no memory.
#pragma once

#include "foundation/RWCollectable.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class RWReadTable {
public:
    // Restores nest no deeper than this: a deeper graph is damage.
    static const size_t kMaxDepth = 512;

    RWReadTable();
    ~RWReadTable();
    RWReadTable(const RWReadTable&) = delete;
    RWReadTable& operator=(const RWReadTable&) = delete;

    uint32_t Entries() const { return count_; }
    // Appends an object; inPlace marks one that belongs to the restore's caller.
    void AppendObject(RWCollectable* obj, bool inPlace, RWHolding holding = RWHolding::Borrowed);
    void AppendClassId(RWClassID id);
    // Makes entry n name nothing (an object that was refused).
    void Vacate(uint32_t n);
    // The object is being freed: its numbers and those its read gave out name nothing
    // from now on. Nothing for an object this restore did not read.
    void Forget(const RWCollectable* obj);

    // The object at n; false when n is beyond the table or names no object.
    bool ObjectAt(uint32_t n, RWCollectable*& obj) const;
    // The class id at n; false when n is beyond the table or names no class id.
    bool ClassIdAt(uint32_t n, RWClassID& id) const;
    bool IsInPlace(const RWCollectable* obj) const;
    // Gives the object at n to a holder of that kind: false when the restore already
    // gave it to the other kind. A borrower takes anything and changes nothing.
    bool Claim(uint32_t n, RWHolding holding);

    // Brackets the RestoreGuts of obj; false, with nothing begun, when the nesting is
    // too deep.
    bool Begin(RWCollectable* obj);
    void End();
    bool IsInProgress(const RWCollectable* obj) const;

    // Set when the data went out of step: the rest of the restore reads nothing.
    bool Failed() const { return failed_; }
    void SetFailed() { failed_ = true; }
    // Set when the data ended inside a member: the outermost restore then fails.
    bool CutShort() const { return cutShort_; }
    void SetCutShort() { cutShort_ = true; }
    // Set when a class the open list does not hold was met: the outermost restore then
    // fails whatever its members' readers made of the refusal.
    bool Refused() const { return refused_; }
    void SetRefused() { refused_ = true; }

    // The calling thread's table, or null outside a restore.
    static RWReadTable* Current();

private:
    enum class Kind : uint8_t { Object, ClassId, Vacant };
    struct Entry {
        RWCollectable* obj;
        RWClassID id;
        Kind kind;
        // Borrowed while no holder has taken the object.
        RWHolding holding;
    };

    void Append(const Entry& entry);

    // The numbers an object's read gave out: [first, end); end is kOpen while its
    // RestoreGuts runs. Kept by the object's address in an open-addressed table of
    // linear probing (a null object marks a free slot), so that recording and finding
    // a span allocates nothing per object.
    struct Span {
        const RWCollectable* obj;
        uint32_t first;
        uint32_t end;
    };
    static const uint32_t kOpen = UINT32_MAX;

    // The span of obj, or null.
    Span* FindSpan(const RWCollectable* obj);
    // Records the span of obj, replacing one it had.
    void PutSpan(const RWCollectable* obj, uint32_t first, uint32_t end);
    void EraseSpan(Span* span);
    size_t HomeOf(const RWCollectable* obj) const;

    Entry* entries_;
    uint32_t count_;
    uint32_t capacity_;
    // The objects whose RestoreGuts runs, outermost first.
    RWCollectable* inProgress_[kMaxDepth];
    size_t depth_;
    // The few objects read in place, apart, so that asking about them stays cheap.
    std::vector<const RWCollectable*> inPlace_;
    std::vector<Span> spans_;
    size_t spanCount_;
    bool failed_;
    bool cutShort_;
    bool refused_ = false;
};

// Fetches the calling thread's read table, creating it when there is none; the guard
// that created it deletes it and clears the slot.
class RWReadTableGuard {
public:
    RWReadTableGuard();
    ~RWReadTableGuard();
    RWReadTableGuard(const RWReadTableGuard&) = delete;
    RWReadTableGuard& operator=(const RWReadTableGuard&) = delete;

    RWReadTable& Table() const { return *table_; }
    // True for the outermost call, which opened the table.
    bool Created() const { return created_; }

private:
    RWReadTable* table_;
    bool created_;
};
