// The printer's own settings stores: the device settings and installed options (365), the
// per-printer lists (366) and the extension data (368). This is their one reader and one
// writer.
//
// Each store lives twice in the printer's data. Its published copy is one binary value
// written whole ("365@N", N the commit that wrote it), and a commit record, one binary
// value too, names the three copies of the last commit with their lengths and CRC-32s,
// and the copies they replaced. Beside them each store keeps the chunked form older
// versions of the driver read and write, under its id in decimal. A commit, holding the
// printer's stores lock, writes the copy of each store that changed aside, publishes the
// three by one write of the record, then writes the chunked forms and removes every copy
// the record names neither as a store's nor as the one it replaced. A registry value is
// written whole or not at all, so a reader that reads the record and the copies it names
// has the three of one finished commit, whatever a writer is doing or where one stopped:
// before the record's write the old copies are named, after it the new. A copy a later
// commit removed meanwhile sends the reader to the record again, for a bounded time;
// one gone under a record that reads as it did is gone for good.
//
// The chunked form tells the reader what other writers did since: a commit of this
// version marks its stores' checks in progress before its record, each mark saying what
// the chunks held then, and done, for the copy's bytes, after their chunks. Chunks with
// no check, or a done check they do not match or that is not the named copy's, or chunks
// under a mark the record's commit did not make that match neither its bytes nor those
// it found, are another writer's whole rewrite, read as it wrote it (when they read as
// settings and two looks find them the same) and stored by the next commit; such chunks
// that are not whole are a writer on them now, and the store as last read (else the
// published copy) answers. Chunks under a mark of the commit the record names are that
// commit's, finished or not: the copy answers. A store the record names no copy of is
// read from its chunks alone, and whenever chunks answer, a second look at the record
// tells a commit published meanwhile.
//
// A store that is there but does not read (damaged bytes, a node of another class, as a
// newer version may store) is never written over, and storing is refused until it reads
// again; only the way back (Replace) writes over it. A store whose packed bytes are those
// it was handed out from, or its published copy's, is not written, and an OK that
// changes none asks for no lock. Within one entry call the stores are read once, the
// three together, and again only after the printer's data was written through the
// services; what the call writes is what the call reads afterwards. A later call takes
// them as read before while the services tell that the printer's data has not changed
// since. Readers never take the lock.
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
    // What a write of the stores came to: every store asked for stored (published);
    // nothing stored, every store as it was; or nothing stored because the stores lock
    // was not had within the wait (kBusy) or may not be had by this caller (kRefused).
    enum class Outcome { kStored, kNotStored, kBusy, kRefused };

    // How long a write waits for the stores lock, in milliseconds.
    static constexpr uint32_t kLockWait = GOSFactory::kLockWait;
    // The printer-data value of the commit record.
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
    // The published copy's value name of a store: "<id>@<commit>".
    static RWWString CopyName(long id, uint32_t commit);
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
    // The node stored under its id: 1 when written, or when it is the published copy
    // already; 0 over a store that does not read, or one kept in an older form that the
    // current form cannot hold whole.
    int Save(const GObjectBase* node);
    // Stores the nodes given (by kIds' order; null: not held) as one commit, only while
    // every store reads or is absent: kStored when each that changed was stored. Nodes
    // that pack as the stores they were handed out from, or as the published copies,
    // changed nothing: with none changed nothing is written and no lock asked. A node of a store
    // kept in an older form is stored in the current form when that holds it whole, and
    // left out when it is the store as read; else nothing is stored (KeptInOlderForm).
    Outcome Store(GObjectBase* const nodes[kCount]);
    // The way back from stores that do not read, decided under the lock: the nodes of
    // the stores replaceable names (those that did not read when the caller took the
    // factory's in their place) go over them, the others as Store stores them. Should one
    // of those read again by now, nothing is stored (ReadAgain): it keeps its bytes.
    Outcome Replace(GObjectBase* const nodes[kCount], const bool replaceable[kCount]);
    // Stores from the defaults each store the printer holds no value of, as one commit.
    void StoreMissing(GObjectBase* defaults);
    // Brings the stores an older version wrote into the current form: each node read in
    // the older form is stored again in the current one, the others only when the device
    // settings (365) were. upgraded (by kIds' order) answers 1 for a store stored, or
    // kept because it reads in the current form already; 0 for one absent or holding no
    // settings node of its id, which is left as it is, and for every store when a write
    // failed (nothing is then written); kNotBroughtUp for a node read in the older form
    // that the current one would not give back whole: it is left in its older form, where
    // it still reads and is never written over (for the device settings, every store is
    // left so). A store that reads but is not this version's published copy (an older
    // version's chunks) is stored again, byte for byte.
    static constexpr int kNotBroughtUp = -1;
    Outcome Upgrade(int upgraded[kCount]);

    // True when the last Store, Replace, Save, Upgrade or change stored nothing because
    // the stores lock was not had: held elsewhere past its wait, or not to be made.
    bool Busy() const { return busy_; }
    // After the last Store or Save that stored nothing: whether the store (kIds' order)
    // was the reason, kept in an older form the current one cannot hold.
    bool KeptInOlderForm(int index) const { return index >= 0 && index < kCount && olderFormRefused_[index]; }
    // After the last Replace that stored nothing: whether the store read again by then.
    bool ReadAgain(int index) const { return index >= 0 && index < kCount && readAgain_[index]; }
    // After the last Store, Replace or Save that stored nothing: whether that store was
    // there but did not read.
    bool Unreadable(int index) const { return index >= 0 && index < kCount && unreadable_[index]; }
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
    struct Record;
    struct Found;
    // Whether the store as kept may be taken by this call without reading it again.
    static bool Current(const Kept& kept, uint32_t call, const GSourceStamp& now);
    int IndexOf(long id) const;
    // The store as this call read it, the three read now when the call may not take one
    // of them as kept.
    Kept& Read(int index);
    // The three read from the printer under one record, for the call and under the stamp
    // (only: the index of the one store read, -1 for all). Read again, afresh, while a
    // copy a record named is gone or a record was published meanwhile, for a bounded
    // time; a store that does not settle answers as last read, else its last copy.
    void ReadAll(uint32_t call, const GSourceStamp& now, int only);
    // What the printer holds of the store under the record (null: none), afresh or as
    // kept for the call: false when the entry's copy is not there as the record names it,
    // or (before late) a writer is on chunks that have nothing to answer in their place.
    // A copy missing under a record that read steady (as the attempt before read it) is
    // gone for good: the store is then read from its chunks alone.
    bool ReadOne(int index, const Record* record, bool afresh, bool steady, bool late, Found& found);
    // The store's copy the record names, as it names it (its length and CRC-32).
    bool ReadCopy(int index, const Record& record, bool afresh, std::vector<uint8_t>& copy);
    // The store's bytes made a node: in the current form, else in the older one.
    void Settle(int index, Found& found, uint32_t call, const GSourceStamp& now);
    // The node of a store read, owned by the caller; what it was read from is remembered.
    GObjectBase* Take(int index);
    // The record as the printer holds it (through what the call keeps, or afresh): false
    // when there is none that reads.
    bool ReadRecord(Record& record, bool afresh = false);
    // The nodes given (null: not held) stored as one commit: a node of a store kept in an
    // older form in the current form, or left out as the store as read.
    Outcome StoreNodes(const GObjectBase* const nodes[kCount]);
    // Forgets what the last write came to.
    void ClearOutcome();
    // Nothing stored because a store does not read: each that does not is told.
    Outcome NotStorable();
    // One commit of the stores whose bytes are given (null: kept as published): the
    // copies aside, the record, the chunked forms, then the copies no longer named go.
    Outcome Commit(const std::vector<uint8_t>* const bytes[kCount]);
    // Removes the copies of the stores the record after a commit does not name (before:
    // the record it replaced, null for none).
    void RemoveUnnamedCopies(const Record& after, const Record* before,
                             const std::vector<uint8_t>* const bytes[kCount]);
    // "<id>@<commit>" of one of the stores: its index and the commit.
    static bool ParseCopyName(const RWWString& name, int& index, uint32_t& commit);
    // True when the store's packed bytes are those it was last handed out from.
    bool HandedOut(int index, const std::vector<uint8_t>& bytes) const;
    // True when the store's packed bytes are its published copy's as last read.
    bool Published(int index, const std::vector<uint8_t>& bytes) const;
    // The node's bytes as stored, without this process's serial numbers.
    bool Pack(int index, const GObjectBase* node, std::vector<uint8_t>& bytes);
    // The node to store of a store kept in an older form: the current form's, null when
    // it is the store as read (nothing to store); false when it changed and the current
    // form cannot hold it whole.
    bool BroughtUp(int index, const GObjectBase* node, std::unique_ptr<GObjectBase>& current);
    // The store's node read in the older form, in the current form (owned by the
    // caller); result as Upgrade's for that store.
    GObjectBase* UpgradedNode(int index, int& result);
    // True when this thread holds the stores lock through a change of these stores.
    bool HeldHere() const;

    GDriverObject& driver_;
    std::unique_ptr<Kept[]> kept_;
    // What each store's node was last handed out from: its length and CRC-32.
    struct Handed {
        bool valid;
        uint32_t length;
        uint32_t crc;
    };
    Handed handed_[kCount] = {};
    // The thread whose change holds the lock, 0 for none; the changes it nests; what it
    // holds.
    std::atomic<uint32_t> holder_{0};
    int depth_ = 0;
    void* held_ = nullptr;
    bool busy_ = false;
    bool olderFormRefused_[kCount] = {};
    bool readAgain_[kCount] = {};
    bool unreadable_[kCount] = {};
    bool refused_ = false;
};
