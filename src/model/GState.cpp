#include "model/GState.h"

#include "model/GHeldMembers.h"
#include "model/GObjectIterator.h"

#include <vector>

GState::GState() {}
GState::GState(const long& id) : GPersistent(id) {}
GState::GState(const GState& other) : GPersistent(other) {}

GState& GState::operator=(const GState& other)
{
    GAttributeComposite::operator=(other);
    return *this;
}

GState::~GState() {}

// Nothing follows the version word: it is read back and not used.

void GState::Add(GObjectBase* object)
{
    if (!object || object == this)
        return;
    GAttribute* attribute = object->IsKindOf(GAttribute::kClassId) ? dynamic_cast<GAttribute*>(object) : nullptr;
    if (!attribute) {
        GObjectBase::Drop(object);
        return;
    }
    uint32_t slot = 0;
    GAttribute* member = FindCounterpart(attribute, &slot);
    if (!member) {
        Adopt(attribute);
    } else if (member == attribute) {
        // Already a member: nothing to take over.
    } else if (GState* state = member->IsKindOf(kClassId) ? dynamic_cast<GState*>(member) : nullptr) {
        // A nested state keeps its place (peripherals point into it) and takes the
        // new one's members.
        if (state->Assign(attribute))
            state->SetStateWord(1);
        GObjectBase::Drop(attribute);
    } else if (member->Differs(attribute)) {
        PutInSlot(slot, attribute);
    } else {
        GObjectBase::Drop(attribute);
    }
}

int32_t GState::Assign(const GAttribute* other)
{
    if (!other || other == this)
        return 0;
    // The merge shares the incoming objects: they join this state as they are.
    GAttribute* incoming = const_cast<GAttribute*>(other);
    if (other->StorageClassId() != StorageClassId() || other->GetId() != GetId())
        return MergeMember(incoming);

    // The incoming members, held while they are merged: merging may change the trees
    // they sit in.
    const GHeldMembers members(incoming);
    int32_t changed = 0;
    for (uint32_t i = 0; i < members.Count(); ++i)
        if (GAttribute* attribute = dynamic_cast<GAttribute*>(members.At(i)))
            changed |= MergeMember(attribute);
    return changed;
}

GAttribute* GState::FindCounterpart(const GAttribute* object, uint32_t* slot) const
{
    const RWClassID storageClassId = object->StorageClassId();
    for (uint32_t i = 0; i < members_.Entries(); ++i) {
        GAttribute* member = dynamic_cast<GAttribute*>(members_[i].Get());
        if (member && member->StorageClassId() == storageClassId && member->GetId() == object->GetId()) {
            if (slot)
                *slot = i;
            return member;
        }
    }
    return nullptr;
}

GAttribute* GState::MemberWithId(const long& id) const
{
    for (uint32_t i = 0; i < members_.Entries(); ++i) {
        GObjectBase* member = members_[i].Get();
        if (member && member->GetId() == id)
            return dynamic_cast<GAttribute*>(member);
    }
    return nullptr;
}

int32_t GState::MergeMember(GAttribute* incoming)
{
    uint32_t slot = 0;
    GAttribute* member = FindCounterpart(incoming, &slot);
    if (member == incoming)
        return 0;
    if (!member) {
        if (!Adopt(incoming))
            return 0;
    } else if (GState* state = member->IsKindOf(kClassId) ? dynamic_cast<GState*>(member) : nullptr) {
        if (!state->Assign(incoming))
            return 0;
        incoming = state;
    } else if (!member->Differs(incoming) || !PutInSlot(slot, incoming)) {
        return 0;
    }
    incoming->SetStateWord(1);
    return 1;
}

bool GState::PutInSlot(uint32_t slot, GAttribute* object)
{
    if (object->IsEmbedded()) {
        GObjectBase::Drop(object);
        return false;
    }
    members_[slot] = object;
    return true;
}
