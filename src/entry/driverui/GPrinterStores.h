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
// put-back, holds the printer's stores lock, which every process and user of the
// printer shares; a writer that cannot have it within the lock's wait stores nothing.
// Stores read afresh from the printer are read together under the same lock, so that
// the three are as one write left them; stores kept from before (by this object or by
// the services) take no lock.
#pragma once

#include "printer/GOSFactory.h"
#include "printer/GSourceStamp.h"

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
    // store as it was; or nothing stored and a store that could not be put back (it
    // holds what the failed write left).
    enum class Outcome { kStored, kNotStored, kNotPutBack };

    // How long a write, or a read afresh, waits for the stores lock, in milliseconds.
    static constexpr uint32_t kLockWait = 5000;

    explicit GPrinterStores(GDriverObject& driver);
    ~GPrinterStores();
    GPrinterStores(const GPrinterStores&) = delete;
    GPrinterStores& operator=(const GPrinterStores&) = delete;

    static bool IsStoreId(long id);
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
    // Brings the stores an older version wrote into the current form, all or nothing:
    // each node read in the older form is stored again in the current one, the others
    // only when the device settings (365) were. upgraded (by kIds' order) answers 1 for
    // a store stored, or kept because it reads in the current form already; 0 for one
    // absent or holding no settings node of its id, which is left as it is, and for
    // every store when a write failed or a node read in the older form would lose a
    // member in the current one (nothing is then written).
    Outcome Upgrade(int upgraded[kCount]);

    // Puts another wait for the stores lock in place of kLockWait (tests); the one
    // replaced comes back.
    static uint32_t SetLockWaitForTesting(uint32_t wait);

private:
    struct Kept;
    class Hold;
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
    // caller); result as Upgrade's for that store, or kNotBroughtUp for a node read in
    // the older form that the current one would not give back whole.
    static constexpr int kNotBroughtUp = -1;
    GObjectBase* UpgradedNode(int index, int& result);

    GDriverObject& driver_;
    std::unique_ptr<Kept[]> kept_;
};
