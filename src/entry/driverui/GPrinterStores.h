// The printer's own settings stores: the device settings and installed options (365), the
// per-printer lists (366) and the extension data (368), each kept whole in the printer's
// data under its id in decimal. This is their one reader and one writer.
//
// The reader takes the stores node by node: the printer's node where it reads, the
// factory's where the spooler reports no value, and nothing where a value is there but
// does not read (a failed read, damaged bytes): such a store is never written over, and
// storing is refused until it reads again. Within one entry call each store is read once;
// what the call writes is what the call reads afterwards. A later call takes a store as
// read before while the services tell that the printer's data has not changed since.
#pragma once

#include "printer/GOSFactory.h"

#include <cstdint>
#include <memory>

class GDriverObject;
class GObjectBase;

class GPrinterStores {
public:
    // The stores' ids, in the order they are written.
    static constexpr long kIds[] = {368, 366, 365};
    static constexpr int kCount = 3;
    using State = GOSFactory::StoredRead;

    explicit GPrinterStores(GDriverObject& driver);
    ~GPrinterStores();
    GPrinterStores(const GPrinterStores&) = delete;
    GPrinterStores& operator=(const GPrinterStores&) = delete;

    static bool IsStoreId(long id);
    // Whether the id's store reads, is absent or is there but does not read.
    State StateOf(long id);
    // True when the printer holds no value of one of the stores.
    bool AnyAbsent();
    // A copy of the printer's node of the store, owned by the caller: null unless it reads
    // and is a composite (a node of another class counts as absent).
    GObjectBase* Load(long id);

    // Every member of the stores' ids goes from the tree, at any depth and of any class;
    // then each store's node is added: the printer's where it reads, the defaults' where
    // the printer holds none. A store that does not read is left out.
    void PutInto(GObjectBase* tree, GObjectBase* defaults);
    // The node stored under its id: 1 when written.
    int Save(const GObjectBase* node);
    // Stores the nodes given (by kIds' order; null: not held), only while every store
    // reads or is absent: 1 when each was written, 0 when refused or a write failed.
    int Store(GObjectBase* const nodes[kCount]);
    // Stores from the defaults each store the printer holds no value of.
    void StoreMissing(GObjectBase* defaults);

private:
    struct Kept;
    int IndexOf(long id) const;
    // The store as this call read it, read now when the call has not.
    Kept& Read(int index);
    // The node of a store read, owned by the caller.
    GObjectBase* Take(Kept& kept);

    GDriverObject& driver_;
    std::unique_ptr<Kept[]> kept_;
};
