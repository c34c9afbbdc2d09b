#include "foundation/RWBTreeDictionary.h"

#include "foundation/RWCollectionHelpers.h"
#include "foundation/RWFactory.h"
#include "foundation/RWIdentitySet.h"
#include "foundation/RWReadTable.h"

#include <vector>

namespace {

const RWClassRegistration<RWBTreeDictionary> g_dictionaryRegistration("RWBTreeDictionary");

RWCollectableAssociation* AssociationOf(RWCollectable* member) { return static_cast<RWCollectableAssociation*>(member); }

// Walks the pairs of a dictionary with a callable.
template <class Fn>
void ForEachPair(const RWBTreeDictionary& dictionary, Fn fn)
{
    dictionary.Apply([](RWCollectable* member, void* arg) { (*static_cast<Fn*>(arg))(AssociationOf(member)); },
                     &fn);
}

} // namespace

RWBTreeDictionary::RWBTreeDictionary(const RWBTreeDictionary& other) : RWBTree() { CopyPairsFrom(other); }

RWBTreeDictionary& RWBTreeDictionary::operator=(const RWBTreeDictionary& other)
{
    if (this != &other) {
        Clear();
        CopyPairsFrom(other);
    }
    return *this;
}

void RWBTreeDictionary::CopyPairsFrom(const RWBTreeDictionary& other)
{
    ForEachPair(other, [this](RWCollectableAssociation* a) { InsertMember(a->Copy()); });
}

RWBTreeDictionary::~RWBTreeDictionary() { Clear(); }

RWCollectable* RWBTreeDictionary::CreateNew() const { return new RWBTreeDictionary; }
RWCollectable* RWBTreeDictionary::Copy() const { return new RWBTreeDictionary(*this); }
RWClassID RWBTreeDictionary::ClassId() const { return kClassId; }

bool RWBTreeDictionary::IsEqual(const RWCollectable* other) const
{
    if (!other || other->ClassId() != kClassId)
        return false;
    const RWBTreeDictionary* dictionary = dynamic_cast<const RWBTreeDictionary*>(other);
    if (!dictionary || dictionary->Entries() != Entries())
        return false;
    // A dictionary that holds itself is still equal to itself.
    if (dictionary == this)
        return true;
    const RWCompareBound bound;
    if (!bound.Allowed())
        return false;
    bool equal = true;
    ForEachPair(*this, [&](RWCollectableAssociation* mine) {
        const RWCollectableAssociation* theirs = equal ? dictionary->FindAssociation(mine->Key()) : nullptr;
        if (!theirs)
            equal = false;
        else if (!mine->Value() || !theirs->Value())
            equal = !mine->Value() && !theirs->Value();
        else
            equal = mine->Value()->IsEqual(theirs->Value());
    });
    return equal;
}

void RWBTreeDictionary::Clear()
{
    ForEachPair(*this, [](RWCollectableAssociation* a) { delete a; });
    FreeNodes();
}

void RWBTreeDictionary::ClearAndDestroy()
{
    // One identity set names every association, key and value once, also an object that
    // serves as key and value, sits in several pairs, or is itself one of the associations.
    RWIdentitySet distinct(uint32_t(Entries() / 2));
    ForEachPair(*this, [&](RWCollectableAssociation* a) {
        distinct.Insert(a);
        if (a->Key())
            distinct.Insert(a->Key());
        if (a->Value())
            distinct.Insert(a->Value());
    });
    std::vector<RWCollectable*> objects;
    objects.reserve(distinct.Entries());
    distinct.Apply([](RWCollectable* m, void* v) { static_cast<std::vector<RWCollectable*>*>(v)->push_back(m); },
                   &objects);
    // The nodes go first, so that no destructor meets a dictionary that still lists it.
    FreeNodes();
    for (RWCollectable* obj : objects)
        if (obj != &RWNilObject && obj != this)
            delete obj;
}

bool RWBTreeDictionary::HoldsAssociation(const RWCollectable* obj) const
{
    const RWCollectableAssociation* a = RWAsAssociation(obj);
    return a && a->Key() && FindAssociation(a->Key()) == a;
}

RWCollectableAssociation* RWBTreeDictionary::FindAssociation(const RWCollectable* key) const
{
    return AssociationOf(FindMember(key));
}

RWCollectableAssociation* RWBTreeDictionary::RemoveAssociation(const RWCollectable* key)
{
    return AssociationOf(RemoveMember(key));
}

bool RWBTreeDictionary::Contains(const RWCollectable* key) const { return FindAssociation(key) != nullptr; }
size_t RWBTreeDictionary::OccurrencesOf(const RWCollectable* key) const { return Contains(key) ? 1 : 0; }

RWCollectable* RWBTreeDictionary::Find(const RWCollectable* key) const
{
    const RWCollectableAssociation* a = FindAssociation(key);
    return a ? a->Key() : nullptr;
}

RWCollectable* RWBTreeDictionary::FindValue(const RWCollectable* key) const
{
    const RWCollectableAssociation* a = FindAssociation(key);
    return a ? a->Value() : nullptr;
}

RWCollectable* RWBTreeDictionary::FindKeyAndValue(const RWCollectable* key, RWCollectable*& value) const
{
    const RWCollectableAssociation* a = FindAssociation(key);
    value = a ? a->Value() : nullptr;
    return a ? a->Key() : nullptr;
}

RWCollectable* RWBTreeDictionary::FindValue(const RWCollectable* key, RWCollectable* newValue)
{
    RWCollectableAssociation* a = FindAssociation(key);
    return a ? a->SetValue(newValue) : nullptr;
}

RWCollectable* RWBTreeDictionary::Insert(RWCollectable* association)
{
    // A member that is not an association, or has no key, would break every later
    // search and every deletion.
    RWCollectableAssociation* a = RWAsAssociation(association);
    if (!a || !a->Key())
        return nullptr;
    return InsertMember(a);
}

RWCollectable* RWBTreeDictionary::InsertKeyAndValue(RWCollectable* key, RWCollectable* value)
{
    if (!key)
        return nullptr;
    RWCollectableAssociation* a = new RWCollectableAssociation(key, value);
    if (InsertMember(a) != a) {
        delete a;
        return nullptr;
    }
    return key;
}

RWCollectable* RWBTreeDictionary::Remove(const RWCollectable* key)
{
    RWCollectable* value = nullptr;
    return RemoveKeyAndValue(key, value);
}

RWCollectable* RWBTreeDictionary::RemoveKeyAndValue(const RWCollectable* key, RWCollectable*& value)
{
    RWCollectableAssociation* a = RemoveAssociation(key);
    value = a ? a->Value() : nullptr;
    RWCollectable* stored = a ? a->Key() : nullptr;
    delete a;
    return stored;
}

void RWBTreeDictionary::RemoveAndDestroy(const RWCollectable* key)
{
    RWCollectableAssociation* a = RemoveAssociation(key);
    if (!a)
        return;
    RWCollectable* stored = a->Key();
    RWCollectable* value = a->Value();
    // The key or value may be the removed association itself, or another pair's
    // association, which stays with this dictionary.
    const bool deleteKey = stored != a && stored != &RWNilObject && stored != this && !HoldsAssociation(stored);
    const bool deleteValue = value && value != a && value != stored && value != &RWNilObject && value != this &&
                             !HoldsAssociation(value);
    delete a;
    if (deleteValue)
        delete value;
    if (deleteKey)
        delete stored;
}

void RWBTreeDictionary::ApplyToKeyAndValue(RWApplyKeyAndValue fn, void* arg) const
{
    ForEachPair(*this, [&](RWCollectableAssociation* a) { fn(a->Key(), a->Value(), arg); });
}

RWBTreeDictionary* RWBTreeDictionary::SelectByKey(RWTestCollectable test, const void* arg) const
{
    RWBTreeDictionary* result = new RWBTreeDictionary;
    ForEachPair(*this, [&](RWCollectableAssociation* a) {
        if (test(a->Key(), arg))
            result->InsertKeyAndValue(a->Key(), a->Value());
    });
    return result;
}

RWBTreeDictionary* RWBTreeDictionary::SelectByKeyAndValue(RWTestKeyAndValue test, const void* arg) const
{
    RWBTreeDictionary* result = new RWBTreeDictionary;
    ForEachPair(*this, [&](RWCollectableAssociation* a) {
        if (test(a->Key(), a->Value(), arg))
            result->InsertKeyAndValue(a->Key(), a->Value());
    });
    return result;
}

template <class Medium>
void RWBTreeDictionary::RestorePair(Medium& medium)
{
    RWReadTable* table = RWReadTable::Current();
    const uint32_t first = NextReadNumber();
    RWCollectableAssociation* a = RWAsAssociation(
        RestoreKindOf(medium, RWIsKindOf<RWCollectableAssociation>, RWCollectableAssociation::kClassId));
    if (!a)
        return;
    RWCollectable* made = nullptr;
    const bool fresh = !table || (table->ObjectAt(first, made) && made == a);
    if (!fresh) {
        // Read before: another owner may hold it. One still being restored may not
        // have its key yet and is left out.
        if (!IsBeingRestored(a)) {
            RWCollectable* copy = a->Copy();
            if (Insert(copy) != copy)
                delete copy;
        }
        return;
    }
    if (Insert(a) == a)
        return;
    // Refused (no key, or a key already present).
    DropRefusedPair(a, first);
}

void RWBTreeDictionary::DropRefusedPair(RWCollectableAssociation* a, uint32_t first)
{
    RWReadTable* table = RWReadTable::Current();
    RWCollectable* made = nullptr;
    if (!table || !table->ObjectAt(first, made) || made != a) {
        DropRefused(a, first);
        return;
    }
    // The pair's key and value go with it when its own read made them. Every number
    // that read gave out is vacated, so later data naming any of them is refused rather
    // than handed a deleted object; what else it made (members of a key or value) is
    // left alone, since nothing tells who owns it.
    RWCollectable* parts[2] = {a->Key(), a->Value()};
    RWCollectable* doomed[2] = {nullptr, nullptr};
    for (uint32_t n = first + 1; n < table->Entries(); ++n) {
        if (!table->ObjectAt(n, made))
            continue;
        for (int i = 0; i < 2; ++i)
            if (made == parts[i] && made != a && (i == 0 || made != doomed[0]))
                doomed[i] = made;
    }
    for (uint32_t n = first; n < table->Entries(); ++n)
        table->Vacate(n);
    delete a;
    delete doomed[0];
    delete doomed[1];
}

void RWBTreeDictionary::RestoreOneMember(RWBinaryFile& file) { RestorePair(file); }
void RWBTreeDictionary::RestoreOneMember(RWDataInStream& stream) { RestorePair(stream); }
