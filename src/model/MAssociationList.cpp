#include "model/MAssociationList.h"

#include "model/GCountedPtr.h"

namespace {

const RWClassRegistration<MAssociationList> g_registration("MAssociationList");

// The member of slot as an association, or null.
MPersistentAssociation* AssociationIn(GCountedPtr* slot)
{
    GObjectBase* member = slot->Get();
    return member && member->IsKindOf(MPersistentAssociation::kClassId)
               ? dynamic_cast<MPersistentAssociation*>(member)
               : nullptr;
}

// The member's key is the same as the key given; members without a key never match.
int HasKey(GCountedPtr* slot, void* key)
{
    const MPersistentAssociation* association = AssociationIn(slot);
    const GObjectBase* memberKey = association ? association->GetKey() : nullptr;
    return memberKey && memberKey->IsSame(static_cast<const GObjectBase*>(key));
}

} // namespace

MAssociationList::MAssociationList() {}
MAssociationList::MAssociationList(const long& id) : GPersistent(id) {}
MAssociationList::~MAssociationList() {}

void MAssociationList::Add(GObjectBase* object)
{
    if (object && object->IsKindOf(MPersistentAssociation::kClassId))
        if (MPersistentAssociation* association = dynamic_cast<MPersistentAssociation*>(object))
            Add(association);
}

void MAssociationList::Add(MPersistentAssociation* association)
{
    if (!association)
        return;
    if (MPersistentAssociation* old = Find(association->GetKey())) {
        // Already a member: replacing it with itself would destroy it.
        if (old == association)
            return;
        delete Remove(old);
    }
    MPersistentComposite::Add(association);
}

MPersistentAssociation* MAssociationList::Find(const GObjectBase* key)
{
    if (!key)
        return nullptr;
    return static_cast<MPersistentAssociation*>(FirstThat(HasKey, const_cast<GObjectBase*>(key)));
}

GObjectBase* MAssociationList::GetValue(const GObjectBase* key)
{
    const MPersistentAssociation* association = Find(key);
    return association ? association->GetValue() : nullptr;
}

MPersistentAssociation* MAssociationList::RemoveByKey(const GObjectBase* key)
{
    MPersistentAssociation* association = Find(key);
    return association ? static_cast<MPersistentAssociation*>(Remove(association)) : nullptr;
}

MPersistentAssociation* MAssociationList::RemoveLike(const MPersistentAssociation* association)
{
    return association ? RemoveByKey(association->GetKey()) : nullptr;
}
