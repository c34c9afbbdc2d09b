#include "graphics/GGraphicComposite.h"

#include "model/GStoredCounts.h"

GGraphicComposite::GGraphicComposite() { members_.MarkEmbedded(); }
GGraphicComposite::GGraphicComposite(GState* state, const long& id) : GPersistent(state, id)
{
    members_.MarkEmbedded();
}
GGraphicComposite::GGraphicComposite(const GGraphicComposite& other) : GPersistent(other), members_(other.members_)
{
    members_.MarkEmbedded();
}

GGraphicComposite& GGraphicComposite::operator=(const GGraphicComposite& other)
{
    if (this != &other) {
        GGraphic::operator=(other);
        members_ = other.members_;
        SetModified();
    }
    return *this;
}

GGraphicComposite::~GGraphicComposite() {}

bool GGraphicComposite::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GGraphicComposite* composite = GSameClass<GGraphicComposite>(this, other);
    if (!composite || !LikeCommandPart(*composite) || members_.Entries() != composite->members_.Entries())
        return false;
    for (uint32_t i = 0; i < members_.Entries(); ++i)
        if (members_.At(i)->Differs(composite->members_.At(i)))
            return false;
    return true;
}

void GGraphicComposite::Add(GObjectBase* object)
{
    if (!object || object == this)
        return;
    if (!object->IsKindOf(GGraphic::kClassId)) {
        Drop(object);
        return;
    }
    const uint32_t before = members_.Entries();
    members_.Add(object);
    Changed(members_.Entries() != before);
}

void GGraphicComposite::Prepend(GObjectBase* object)
{
    if (!object || object == this)
        return;
    if (!object->IsKindOf(GGraphic::kClassId)) {
        Drop(object);
        return;
    }
    const uint32_t before = members_.Entries();
    members_.Prepend(object);
    Changed(members_.Entries() != before);
}

GObjectBase* GGraphicComposite::Remove(const GObjectBase* object) { return Changed(members_.Remove(object)); }
GObjectBase* GGraphicComposite::RemoveById(const long& id) { return Changed(members_.RemoveById(id)); }
GObjectBase* GGraphicComposite::RemoveByClassId(const RWClassID& classId)
{
    return Changed(members_.RemoveByClassId(classId));
}
int GGraphicComposite::ReplaceById(const long& id, const GObjectBase* newObject)
{
    return Changed(members_.ReplaceById(id, newObject));
}
int GGraphicComposite::ReplaceByClassId(const RWClassID& classId, const GObjectBase* newObject)
{
    return Changed(members_.ReplaceByClassId(classId, newObject));
}
int GGraphicComposite::Replace(const GObjectBase* member, const GObjectBase* newObject)
{
    return Changed(members_.Replace(member, newObject));
}
int GGraphicComposite::ReplaceKindOf(const RWClassID& classId, const GObjectBase* newObject)
{
    return Changed(members_.ReplaceKindOf(classId, newObject));
}
void GGraphicComposite::RemoveAll()
{
    Changed(members_.Entries() != 0);
    members_.RemoveAll();
}

GObjectBase* GGraphicComposite::FindById(const long& id) { return members_.FindById(id); }
GObjectBase* GGraphicComposite::FindByClassId(const RWClassID& classId) { return members_.FindByClassId(classId); }
GObjectBase* GGraphicComposite::FindSame(const GObjectBase* object) { return members_.FindSame(object); }
GObjectBase* GGraphicComposite::FindKindOf(const RWClassID& classId) { return members_.FindKindOf(classId); }
GObjectBase* GGraphicComposite::CollectByClassId(const RWClassID& classId, GObjectBase* into)
{
    return members_.CollectByClassId(classId, into);
}
GObjectBase* GGraphicComposite::CollectById(const long& id, GObjectBase* into)
{
    return members_.CollectById(id, into);
}
GObjectBase* GGraphicComposite::SelectById(const long& id) { return members_.SelectById(id); }
GObjectBase* GGraphicComposite::SelectByClassId(const RWClassID& classId) { return members_.SelectByClassId(classId); }
GObjectBase* GGraphicComposite::CollectKindOf(const RWClassID& classId, GObjectBase* into)
{
    return members_.CollectKindOf(classId, into);
}
GObjectBase* GGraphicComposite::SelectKindOf(const RWClassID& classId) { return members_.SelectKindOf(classId); }

GObjectBase* GGraphicComposite::AsComposite() { return this; }
uint32_t GGraphicComposite::Entries() const { return members_.Entries(); }
uint32_t GGraphicComposite::TotalEntries() const { return members_.TotalEntries(); }
GObjectIterator* GGraphicComposite::CreateIterator() { return members_.CreateIterator(); }

void GGraphicComposite::Prepare()
{
    for (uint32_t i = 0; i < members_.Entries(); ++i)
        if (GGraphic* member = At(i))
            member->Prepare();
}

int16_t GGraphicComposite::Execute(GPeripheral&) { return 0; }

// A restored list may hold other objects: they are no graphics to anyone.
GGraphic* GGraphicComposite::At(uint32_t index) const
{
    return index < members_.Entries() ? dynamic_cast<GGraphic*>(members_.At(index)) : nullptr;
}

template <class In>
void GGraphicComposite::ReadForm(In& in)
{
    GReadForm(in, StoredForm());
    ClearModified();
    // A member that is no graphic is corrupt data: it is dropped, and the read ends so
    // that nothing later refers back to it.
    bool foreign = false;
    for (uint32_t i = members_.Entries(); i-- > 0;) {
        GObjectBase* member = members_.At(i);
        if (!member->IsKindOf(GGraphic::kClassId)) {
            Drop(members_.Remove(member));
            foreign = true;
        }
    }
    if (foreign)
        GRefuseStored(in);
}

template void GGraphicComposite::ReadForm(RWBinaryFile&);
template void GGraphicComposite::ReadForm(RWDataInStream&);
