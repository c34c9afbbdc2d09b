#include "foundation/RWStoreTable.h"

#include "foundation/RWThreadContext.h"

#include <typeinfo>

namespace {

// An entry: an object or a name with its number. Entries of the two kinds never equal
// each other.
class StoreEntry : public RWCollectable {
public:
    explicit StoreEntry(uint32_t number) : number_(number) {}
    uint32_t Number() const { return number_; }

private:
    uint32_t number_;
};

class ObjectEntry : public StoreEntry {
public:
    ObjectEntry(const RWCollectable* obj, uint32_t number) : StoreEntry(number), obj_(obj) {}
    uint32_t Hash() const override { return RWAddressHash(obj_); }
    bool IsEqual(const RWCollectable* other) const override
    {
        return other && typeid(*other) == typeid(ObjectEntry) && static_cast<const ObjectEntry*>(other)->obj_ == obj_;
    }

private:
    const RWCollectable* obj_;
};

class NameEntry : public StoreEntry {
public:
    NameEntry(const RWStringID& name, uint32_t number) : StoreEntry(number), name_(name) {}
    uint32_t Hash() const override { return name_.Hash(); }
    bool IsEqual(const RWCollectable* other) const override
    {
        return other && typeid(*other) == typeid(NameEntry) && static_cast<const NameEntry*>(other)->name_ == name_;
    }

private:
    RWStringID name_;
};

// Finds the entry equal to probe, or enters a heap copy of it under the next number.
template <class Entry>
bool AddEntry(RWStoreTable& table, const Entry& probe, uint32_t& number)
{
    if (const StoreEntry* found = static_cast<const StoreEntry*>(table.Find(&probe))) {
        number = found->Number();
        return false;
    }
    number = probe.Number();
    // Known to be new: the set's own search before inserting is not needed.
    table.RWHashTable::Insert(new Entry(probe));
    // A large save keeps its bucket lists short.
    if (table.Entries() > 2 * table.Buckets())
        table.Resize(table.Buckets() * 4);
    return true;
}

} // namespace

RWStoreTable::RWStoreTable()
{
    uint32_t number;
    Add(&RWNilObject, number);
}

RWStoreTable::~RWStoreTable()
{
    Apply([](RWCollectable* entry, void*) { delete entry; }, nullptr);
    Clear();
}

bool RWStoreTable::Add(const RWCollectable* obj, uint32_t& number)
{
    return AddEntry(*this, ObjectEntry(obj, uint32_t(Entries())), number);
}

bool RWStoreTable::Add(const RWStringID& name, uint32_t& number)
{
    return AddEntry(*this, NameEntry(name, uint32_t(Entries())), number);
}

RWStoreTableGuard::RWStoreTableGuard(Use use)
    : slot_(use == kSave ? RWThreadContext::Current().saveTable : RWThreadContext::Current().sizeTable),
      table_(slot_), created_(false)
{
    if (!table_) {
        table_ = slot_ = new RWStoreTable;
        created_ = true;
    }
}

RWStoreTableGuard::~RWStoreTableGuard()
{
    if (created_) {
        slot_ = nullptr;
        delete table_;
    }
}
