// The identity table of one save: every object and every class name that the save has
// written, under one numbering 0, 1, 2, ... that the reader rebuilds as it reads. The
// nil object is number 0 from the start.
//
// Each thread keeps the table of its current save in a slot of its own, and the table of
// its current size computation in another, so that sizing a graph in the middle of a
// save never marks objects as written that the save has not written.
#pragma once

#include "foundation/RWCollectable.h"
#include "foundation/RWStringID.h"

#include <cstdint>
#include <vector>

// Objects and names are kept in two open-addressed tables of linear probing that hold
// their entries in place: entering one allocates nothing but the odd doubling.
class RWStoreTable {
public:
    RWStoreTable();
    RWStoreTable(const RWStoreTable&) = delete;
    RWStoreTable& operator=(const RWStoreTable&) = delete;

    // True, with the new number, when obj was entered now; false, with its number,
    // when it was there already.
    bool Add(const RWCollectable* obj, uint32_t& number);
    // The same for a class name, in the same numbering.
    bool Add(const RWStringID& name, uint32_t& number);
    // Objects and names entered, the nil object included.
    uint32_t Entries() const { return next_; }
    // Empties the table for another save: only the nil object, number 0, is left.
    void Reset();

private:
    struct ObjectSlot {
        const RWCollectable* obj;
        uint32_t number;
    };
    // A used slot names its entry in the list of names.
    struct NameSlot {
        unsigned hash;
        uint32_t number;
        uint32_t name;
        bool used;
    };
    void GrowObjects();
    void GrowNames();

    std::vector<ObjectSlot> objects_;
    size_t objectCount_;
    std::vector<NameSlot> names_;
    std::vector<RWStringID> nameList_;
    uint32_t next_;
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
