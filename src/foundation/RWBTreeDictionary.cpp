#include "foundation/RWBTreeDictionary.h"

#include <algorithm>
#include <vector>

namespace {

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
    // Distinct addresses only, so an object used as key and value, or in several
    // pairs, is deleted once.
    std::vector<RWCollectable*> objects;
    objects.reserve(2 * Entries());
    ForEachPair(*this, [&](RWCollectableAssociation* a) {
        objects.push_back(a->Key());
        objects.push_back(a->Value());
    });
    std::sort(objects.begin(), objects.end());
    objects.erase(std::unique(objects.begin(), objects.end()), objects.end());
    Clear();
    for (RWCollectable* object : objects)
        if (object != &RWNilObject && object != this)
            delete object;
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
    RWCollectable* value = nullptr;
    RWCollectable* stored = RemoveKeyAndValue(key, value);
    if (!stored)
        return;
    if (value != stored && value != &RWNilObject)
        delete value;
    if (stored != &RWNilObject)
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
