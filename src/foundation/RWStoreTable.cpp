#include "foundation/RWStoreTable.h"

#include "foundation/RWThreadContext.h"

#include <algorithm>

namespace {

const size_t kFirstObjectSlots = 32;
const size_t kFirstNameSlots = 16;

size_t HomeOf(const RWCollectable* obj, size_t mask)
{
    // Fibonacci hashing of the address, its well-mixed high half folded onto the low.
    const uint32_t h = uint32_t(reinterpret_cast<uintptr_t>(obj)) * 2654435769u;
    return size_t(h ^ (h >> 16)) & mask;
}

} // namespace

RWStoreTable::RWStoreTable()
    : objects_(kFirstObjectSlots, ObjectSlot{nullptr, 0}), objectCount_(0),
      names_(kFirstNameSlots, NameSlot{0, 0, 0, false}), next_(0)
{
    uint32_t number;
    Add(&RWNilObject, number);
}

void RWStoreTable::Reset()
{
    // A grown table is made small again: clearing it whole would cost every later save
    // of one object as much as the large one.
    if (objects_.size() > kFirstObjectSlots)
        std::vector<ObjectSlot>(kFirstObjectSlots, ObjectSlot{nullptr, 0}).swap(objects_);
    else
        std::fill(objects_.begin(), objects_.end(), ObjectSlot{nullptr, 0});
    if (names_.size() > kFirstNameSlots)
        std::vector<NameSlot>(kFirstNameSlots, NameSlot{0, 0, 0, false}).swap(names_);
    else
        std::fill(names_.begin(), names_.end(), NameSlot{0, 0, 0, false});
    nameList_.clear();
    objectCount_ = 0;
    next_ = 0;
    uint32_t number;
    Add(&RWNilObject, number);
}

bool RWStoreTable::Add(const RWCollectable* obj, uint32_t& number)
{
    const size_t mask = objects_.size() - 1;
    size_t i = HomeOf(obj, mask);
    for (; objects_[i].obj; i = (i + 1) & mask)
        if (objects_[i].obj == obj) {
            number = objects_[i].number;
            return false;
        }
    number = next_++;
    objects_[i] = ObjectSlot{obj, number};
    // Half full: doubled, so that probes stay short.
    if (++objectCount_ * 2 > objects_.size())
        GrowObjects();
    return true;
}

bool RWStoreTable::Add(const RWStringID& name, uint32_t& number)
{
    const unsigned hash = name.Hash();
    const size_t mask = names_.size() - 1;
    size_t i = hash & mask;
    for (; names_[i].used; i = (i + 1) & mask)
        if (names_[i].hash == hash && nameList_[names_[i].name] == name) {
            number = names_[i].number;
            return false;
        }
    number = next_++;
    names_[i] = NameSlot{hash, number, uint32_t(nameList_.size()), true};
    nameList_.push_back(name);
    if (nameList_.size() * 2 > names_.size())
        GrowNames();
    return true;
}

void RWStoreTable::GrowObjects()
{
    std::vector<ObjectSlot> old(objects_.size() * 2, ObjectSlot{nullptr, 0});
    old.swap(objects_);
    const size_t mask = objects_.size() - 1;
    for (const ObjectSlot& slot : old)
        if (slot.obj) {
            size_t i = HomeOf(slot.obj, mask);
            while (objects_[i].obj)
                i = (i + 1) & mask;
            objects_[i] = slot;
        }
}

void RWStoreTable::GrowNames()
{
    std::vector<NameSlot> old(names_.size() * 2, NameSlot{0, 0, 0, false});
    old.swap(names_);
    const size_t mask = names_.size() - 1;
    for (const NameSlot& slot : old)
        if (slot.used) {
            size_t i = slot.hash & mask;
            while (names_[i].used)
                i = (i + 1) & mask;
            names_[i] = slot;
        }
}

RWStoreTableGuard::RWStoreTableGuard(Use use)
    : slot_(use == kSave ? RWThreadContext::Current().saveTable : RWThreadContext::Current().sizeTable),
      table_(slot_), created_(false)
{
    if (table_)
        return;
    RWThreadContext& context = RWThreadContext::Current();
    if (!context.IsShared())
        for (RWStoreTable*& spare : context.spareStoreTables)
            if (spare) {
                table_ = spare;
                spare = nullptr;
                break;
            }
    if (!table_)
        table_ = new RWStoreTable;
    slot_ = table_;
    created_ = true;
}

RWStoreTableGuard::~RWStoreTableGuard()
{
    if (!created_)
        return;
    slot_ = nullptr;
    RWThreadContext& context = RWThreadContext::Current();
    if (!context.IsShared())
        for (RWStoreTable*& spare : context.spareStoreTables)
            if (!spare) {
                table_->Reset();
                spare = table_;
                return;
            }
    delete table_;
}
