// The identity table of one save: every object and every class name that the save has
// written, under one numbering 0, 1, 2, ... that the reader rebuilds as it reads. The
// nil object is number 0 from the start.
//
// Each thread keeps the table of its current save in a slot of its own, and the table of
// its current size computation in another, so that sizing a graph in the middle of a
// save never marks objects as written that the save has not written.
#pragma once

#include "foundation/RWSet.h"
#include "foundation/RWStringID.h"

#include <cstdint>

class RWStoreTable : public RWSet {
public:
    RWStoreTable();
    // Deletes the entries.
    ~RWStoreTable() override;
    RWStoreTable(const RWStoreTable&) = delete;
    RWStoreTable& operator=(const RWStoreTable&) = delete;

    // True, with the new number, when obj was entered now; false, with its number,
    // when it was there already.
    bool Add(const RWCollectable* obj, uint32_t& number);
    // The same for a class name, in the same numbering.
    bool Add(const RWStringID& name, uint32_t& number);
};

// Fetches the calling thread's table of one use, creating it when there is none; the
// guard that created it deletes it and clears the slot.
class RWStoreTableGuard {
public:
    enum Use { kSave, kSize };

    explicit RWStoreTableGuard(Use use = kSave);
    ~RWStoreTableGuard();
    RWStoreTableGuard(const RWStoreTableGuard&) = delete;
    RWStoreTableGuard& operator=(const RWStoreTableGuard&) = delete;

    RWStoreTable& Table() const { return *table_; }
    // True for the outermost call, which opened the table.
    bool Created() const { return created_; }

private:
    RWStoreTable*& slot_;
    RWStoreTable* table_;
    bool created_;
};
