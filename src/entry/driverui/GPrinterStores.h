// The printer's own settings stores: the device settings and installed options (365), the
// per-printer lists (366) and the extension data (368), each kept whole in the printer's
// data under its id in decimal. This is their one reader and one writer.
//
// The reader takes the stores node by node: the printer's node where it reads, the
// factory's where the spooler reports no value, and nothing where a value is there but
// does not read (a failed read, damaged bytes, a node of another class, as a newer
// version may store): such a store is never written over, and storing is refused until it
// reads again. Within one entry call each store is read once, and again only after the
// printer's data was written through the services; what the call writes is what the call
// reads afterwards. A later call takes a store as read before while the services tell
// that the printer's data has not changed since. Storing is all or nothing: a write that
// fails puts back every store written, itself too (its old bytes, or removed when it had
// none), and tells whether each went back. A store not put back is told to the caller,
// not to the critical-error reporter: that reporter ends the process, and a refused
// registry write is no reason to end an application; the store is read afresh, and one
// left unreadable turns storing off as any damaged store does.
//
// One writer at a time: every write, from reading what it writes over to its last
// put-back, holds the printer's stores lock, which every process of the printer that may
// change it shares; a change that reads the stores to write them again holds it from its
// read on. A writer that cannot have the lock within its wait stores nothing and says so.
// Readers never take the lock, so no process can hold a reader up: each store reads whole
// or not at all by its own check, and the three as one commit by the commit record, which
// a writer marks "writing" before its first store and "done" after its last. A reader that
// reads the stores from the printer reads the record before and after them and reads
// again (twice at most, after a pause) while it was marked writing or changed meanwhile;
// a writer that ended midway leaves each store whole, and that is what is then read.
#pragma once

#include "printer/GOSFactory.h"
#include "printer/GSourceStamp.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class GDriverObject;
class GObjectBase;

class GPrinterStores {
public:
    // The stores' ids, in the order they are written.
    static constexpr long kIds[] = {368, 366, 365};
    static constexpr int kCount = 3;
    using State = GOSFactory::StoredRead;
    // What a write of the stores came to: every store written; nothing stored and every
    // store as it was; nothing stored and a store that could not be put back (it holds
    // what the failed write left); or nothing stored and every store as it was, because
    // the stores lock was not had within the wait (kBusy) or may not be had by this
    // caller (kRefused).
    enum class Outcome { kStored, kNotStored, kNotPutBack, kBusy, kRefused };

    // How long a write waits for the stores lock, in milliseconds.
    static constexpr uint32_t kLockWait = 5000;
    // The printer-data value of the commit record: "writing N" or "done N", N counting
    // the commits of the stores.
    static constexpr const wchar_t* kCommitRecord = L"StoresCommit";

    // A change of the stores, from the read of what it writes over to its last write: it
    // holds the stores lock while it lives, when the lock was had within the wait, and
    // what it reads of the stores is what the printer holds once it had it. A change made
    // within another on the same thread is part of that one.
    class Change {
    public:
        explicit Change(GPrinterStores& stores, uint32_t wait = WaitForLock());
        ~Change();
        Change(const Change&) = delete;
        Change& operator=(const Change&) = delete;
        bool Owned() const { return owned_; }
        // What a change that does not own the lock comes to: kRefused or kBusy.
        Outcome NotOwned() const { return refused_ ? Outcome::kRefused : Outcome::kBusy; }

    private:
        GPrinterStores& stores_;
        bool owned_;
        bool outer_;
        bool refused_;
    };

    explicit GPrinterStores(GDriverObject& driver);
    ~GPrinterStores();
    GPrinterStores(const GPrinterStores&) = delete;
    GPrinterStores& operator=(const GPrinterStores&) = delete;

    static bool IsStoreId(long id);
    // A settings node stored as binary printer data under the name, owned by the caller:
    // null, with the state telling a value that is absent from one that is there but
    // does not read (damaged bytes, or a node of another class, as a newer version may
    // store).
    static GObjectBase* LoadSettingsNode(GDriverObject* driver, const RWWString& name, State& state);
    // Whether the id's store reads, is absent or is there but does not read.
    State StateOf(long id);
    // True when the printer holds no value of one of the stores.
    bool AnyAbsent();
    // True when every store reads or is absent: only then may anything be stored.
    bool Storable();
    // A copy of the printer's node of the store, owned by the caller: null unless it reads
    // as a composite.
    GObjectBase* Load(long id);

    // Every member of the stores' ids goes from the tree, at any depth and of any class;
    // then each store's node is added: the printer's where it reads, else the defaults'
    // (where the printer holds none, or stands in for a store that does not read, which
    // is never stored over unasked).
    void PutInto(GObjectBase* tree, GObjectBase* defaults);
    // The node stored under its id: 1 when written; 0 over a store that does not read.
    int Save(const GObjectBase* node);
    // Stores the nodes given (by kIds' order; null: not held), only while every store
    // reads or is absent: kStored when each was written.
    Outcome Store(GObjectBase* const nodes[kCount]);
    // As Store, but over stores that do not read too: the way back from a damaged store.
    // What each store held goes back should a write fail; one whose bytes cannot be had
    // at all is removed then, so that it reads as absent.
    Outcome Replace(GObjectBase* const nodes[kCount]);
    // Stores from the defaults each store the printer holds no value of.
    void StoreMissing(GObjectBase* defaults);
    // Brings the stores an older version wrote into the current form: each node read in
    // the older form is stored again in the current one, the others only when the device
    // settings (365) were. upgraded (by kIds' order) answers 1 for a store stored, or
    // kept because it reads in the current form already; 0 for one absent or holding no
    // settings node of its id, which is left as it is, and for every store when a write
    // failed (nothing is then written); kNotBroughtUp for a node read in the older form
    // that the current one would not give back whole: it is left in its older form, where
    // it still reads and is never written over (for the device settings, every store is
    // left so). A store kept as it reads but without the current check of its bytes is
    // written again, byte for byte.
    static constexpr int kNotBroughtUp = -1;
    Outcome Upgrade(int upgraded[kCount]);

    // True when the last Store, Replace, Save, Upgrade or change stored nothing because
    // the stores lock was not had: held elsewhere past its wait, or not to be made.
    bool Busy() const { return busy_; }
    // True when the last Store, Replace, Save, Upgrade or change stored nothing because
    // this caller may not have the stores lock: the printer does not let it change them.
    bool Refused() const { return refused_; }

    // The wait for the stores lock: kLockWait, or what a test put in its place.
    static uint32_t WaitForLock();
    // Puts another wait for the stores lock in place of kLockWait (tests); the one
    // replaced comes back.
    static uint32_t SetLockWaitForTesting(uint32_t wait);

private:
    struct Kept;
    // Whether the store as kept may be taken by this call without reading it again.
    static bool Current(const Kept& kept, uint32_t call, const GSourceStamp& now);
    // Reads the store from the printer, for the call and under the stamp.
    void ReadAfresh(int index, uint32_t call, const GSourceStamp& now);
    int IndexOf(long id) const;
    // The store as this call read it, read now when the call has not.
    Kept& Read(int index);
    // The node of a store read, owned by the caller.
    GObjectBase* Take(Kept& kept);
    // Writes the node over the store, whatever the store held.
    int Write(int index, const GObjectBase* node);
    // The store's bytes as the printer holds them: false when they cannot be read.
    bool ReadBytes(int index, std::vector<uint8_t>& bytes);
    // What a store held before a write.
    struct Former {
        bool had = false;
        std::vector<uint8_t> bytes;
    };
    // The store's bytes as they are now: false when the store is there and its bytes
    // cannot be read.
    bool Remember(int index, Former& former);
    // The nodes written (null: left as it is); when one fails, every one written and
    // the failing one go back.
    Outcome WriteAll(const GObjectBase* const nodes[kCount], const Former former[kCount]);
    // The store's former bytes written back, or the value removed when it had none:
    // true when the store holds what it held before.
    bool PutBack(int index, const Former& former);
    // The store's node read in the older form, in the current form (owned by the
    // caller); result as Upgrade's for that store.
    GObjectBase* UpgradedNode(int index, int& result);

    // The commit record as the printer holds it now; empty when there is none.
    RWWString CommitRecord();
    // Marks the record "writing" for this change's commit, before its first write.
    void BeginCommit();
    // Marks the commit "done" after the change's last write.
    void EndCommit();
    // True when this thread holds the stores lock through a change of these stores.
    bool HeldHere() const;

    GDriverObject& driver_;
    std::unique_ptr<Kept[]> kept_;
    // The thread whose change holds the lock, 0 for none; the changes it nests; what it
    // holds; whether its commit was marked begun, and its number.
    std::atomic<uint32_t> holder_{0};
    int depth_ = 0;
    void* held_ = nullptr;
    bool committing_ = false;
    uint32_t commit_ = 0;
    bool busy_ = false;
    bool refused_ = false;
};
