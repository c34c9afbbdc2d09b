#include "model/GResourceMappingList.h"

#include "model/GCountedPtr.h"

namespace {

const RWClassRegistration<GResourceMappingList> g_registration("GResourceMappingList");

// The member of slot as a mapping, or null.
const GResourceMapping* MappingIn(GCountedPtr* slot)
{
    GObjectBase* member = slot->Get();
    return member && member->IsKindOf(GResourceMapping::kClassId) ? dynamic_cast<const GResourceMapping*>(member)
                                                                   : nullptr;
}

int HasFirstCode(GCountedPtr* slot, void* code)
{
    const GResourceMapping* mapping = MappingIn(slot);
    return mapping && mapping->GetFirstCode() == *static_cast<const uint16_t*>(code);
}

// The stored code is signed and the searched one unsigned: they meet only below 0x8000.
int HasSecondCode(GCountedPtr* slot, void* code)
{
    const GResourceMapping* mapping = MappingIn(slot);
    return mapping && int32_t(mapping->GetSecondCode()) == int32_t(*static_cast<const uint16_t*>(code));
}

int HasResource(GCountedPtr* slot, void* resource)
{
    const GResourceMapping* mapping = MappingIn(slot);
    return mapping && mapping->GetResource() == *static_cast<const uint32_t*>(resource);
}

} // namespace

GResourceMappingList::GResourceMappingList() {}
GResourceMappingList::GResourceMappingList(const long& id) : GPersistent(id) {}
GResourceMappingList::~GResourceMappingList() {}

void GResourceMappingList::Add(GObjectBase*) {}
void GResourceMappingList::Prepend(GObjectBase*) {}

// The generic Add takes nothing, so the members are copied here: every mapping of this
// list already passed the free tests, and its copy is kept as it is.
GResourceMappingList* GResourceMappingList::DeepCopy() const
{
    GResourceMappingList* copy = CreateNew();
    if (!copy)
        return nullptr;
    copy->SetId(GetId());
    for (uint32_t i = 0; i < members_.Entries(); ++i)
        if (GObjectBase* member = members_[i]->DeepCopy())
            copy->Adopt(member);
    return copy;
}

int GResourceMappingList::Add(GResourceMapping* mapping)
{
    if (!mapping || FindByResource(mapping->GetResource()))
        return 0;
    return AddIfSecondCodeFree(mapping);
}

int GResourceMappingList::AddIfSecondCodeFree(GResourceMapping* mapping)
{
    if (!mapping || FindBySecondCode(uint16_t(mapping->GetSecondCode())))
        return 0;
    return Append(mapping);
}

int GResourceMappingList::Append(GResourceMapping* mapping)
{
    // A full list would drop the mapping; it stays the caller's instead.
    if (members_.Entries() >= kMaxMembers)
        return 0;
    return Adopt(mapping) ? 1 : 0;
}

GResourceMapping* GResourceMappingList::FindByFirstCode(uint16_t code)
{
    return static_cast<GResourceMapping*>(FirstThat(HasFirstCode, &code));
}

GResourceMapping* GResourceMappingList::FindBySecondCode(uint16_t code)
{
    return static_cast<GResourceMapping*>(FirstThat(HasSecondCode, &code));
}

GResourceMapping* GResourceMappingList::FindByResource(uint32_t resource)
{
    return static_cast<GResourceMapping*>(FirstThat(HasResource, &resource));
}

GResourceMapping* GResourceMappingList::RemoveMapping(GResourceMapping* mapping)
{
    return mapping ? static_cast<GResourceMapping*>(Remove(mapping)) : nullptr;
}

GResourceMapping* GResourceMappingList::RemoveByFirstCode(uint16_t code) { return RemoveMapping(FindByFirstCode(code)); }
GResourceMapping* GResourceMappingList::RemoveBySecondCode(uint16_t code)
{
    return RemoveMapping(FindBySecondCode(code));
}
GResourceMapping* GResourceMappingList::RemoveByResource(uint32_t resource)
{
    return RemoveMapping(FindByResource(resource));
}
