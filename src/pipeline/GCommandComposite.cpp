#include "pipeline/GCommandComposite.h"

GCommandComposite::GCommandComposite() { members_.MarkEmbedded(); }
GCommandComposite::GCommandComposite(const long& id) : GPersistent(id) { members_.MarkEmbedded(); }
GCommandComposite::GCommandComposite(GState* state, const long& id) : GPersistent(state, id)
{
    members_.MarkEmbedded();
}
GCommandComposite::GCommandComposite(const GCommandComposite& other) : GPersistent(other), members_(other.members_)
{
    members_.MarkEmbedded();
}

GCommandComposite& GCommandComposite::operator=(const GCommandComposite& other)
{
    if (this != &other) {
        GCommand::operator=(other);
        members_ = other.members_;
        SetModified();
    }
    return *this;
}

GCommandComposite::~GCommandComposite() {}

bool GCommandComposite::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GCommandComposite* composite = GSameClass<GCommandComposite>(this, other);
    if (!composite || !LikeCommandPart(*composite) || members_.Entries() != composite->members_.Entries())
        return false;
    for (uint32_t i = 0; i < members_.Entries(); ++i)
        if (members_.At(i)->Differs(composite->members_.At(i)))
            return false;
    return true;
}

void GCommandComposite::Add(GObjectBase* object)
{
    if (!object || object == this)
        return;
    if (!object->IsKindOf(GCommand::kClassId)) {
        Drop(object);
        return;
    }
    const uint32_t before = members_.Entries();
    members_.Add(object);
    Changed(members_.Entries() != before);
}

void GCommandComposite::Prepend(GObjectBase* object)
{
    if (!object || object == this)
        return;
    if (!object->IsKindOf(GCommand::kClassId)) {
        Drop(object);
        return;
    }
    const uint32_t before = members_.Entries();
    members_.Prepend(object);
    Changed(members_.Entries() != before);
}

GObjectBase* GCommandComposite::Remove(const GObjectBase* object) { return Changed(members_.Remove(object)); }
GObjectBase* GCommandComposite::RemoveById(const long& id) { return Changed(members_.RemoveById(id)); }
GObjectBase* GCommandComposite::RemoveByClassId(const RWClassID& classId)
{
    return Changed(members_.RemoveByClassId(classId));
}
int GCommandComposite::ReplaceById(const long& id, const GObjectBase* newObject)
{
    return Changed(members_.ReplaceById(id, newObject));
}
int GCommandComposite::ReplaceByClassId(const RWClassID& classId, const GObjectBase* newObject)
{
    return Changed(members_.ReplaceByClassId(classId, newObject));
}
int GCommandComposite::Replace(const GObjectBase* member, const GObjectBase* newObject)
{
    return Changed(members_.Replace(member, newObject));
}
int GCommandComposite::ReplaceKindOf(const RWClassID& classId, const GObjectBase* newObject)
{
    return Changed(members_.ReplaceKindOf(classId, newObject));
}
void GCommandComposite::RemoveAll()
{
    Changed(members_.Entries() != 0);
    members_.RemoveAll();
}

GObjectBase* GCommandComposite::FindById(const long& id) { return members_.FindById(id); }
GObjectBase* GCommandComposite::FindByClassId(const RWClassID& classId) { return members_.FindByClassId(classId); }
GObjectBase* GCommandComposite::FindSame(const GObjectBase* object) { return members_.FindSame(object); }
GObjectBase* GCommandComposite::FindKindOf(const RWClassID& classId) { return members_.FindKindOf(classId); }
GObjectBase* GCommandComposite::CollectByClassId(const RWClassID& classId, GObjectBase* into)
{
    return members_.CollectByClassId(classId, into);
}
GObjectBase* GCommandComposite::CollectById(const long& id, GObjectBase* into)
{
    return members_.CollectById(id, into);
}
GObjectBase* GCommandComposite::SelectById(const long& id) { return members_.SelectById(id); }
GObjectBase* GCommandComposite::SelectByClassId(const RWClassID& classId) { return members_.SelectByClassId(classId); }
GObjectBase* GCommandComposite::CollectKindOf(const RWClassID& classId, GObjectBase* into)
{
    return members_.CollectKindOf(classId, into);
}
GObjectBase* GCommandComposite::SelectKindOf(const RWClassID& classId) { return members_.SelectKindOf(classId); }

GObjectBase* GCommandComposite::AsComposite() { return this; }
uint32_t GCommandComposite::Entries() const { return members_.Entries(); }
uint32_t GCommandComposite::TotalEntries() const { return members_.TotalEntries(); }
GObjectIterator* GCommandComposite::CreateIterator() { return members_.CreateIterator(); }

void GCommandComposite::Prepare()
{
    for (uint32_t i = 0; i < members_.Entries(); ++i)
        if (GCommand* member = At(i))
            member->Prepare();
}

int16_t GCommandComposite::Execute(GPeripheral&) { return 0; }

// A restored list may hold other objects: they are no commands to anyone.
GCommand* GCommandComposite::At(uint32_t index) const
{
    return index < members_.Entries() ? dynamic_cast<GCommand*>(members_.At(index)) : nullptr;
}

template <class In>
void GCommandComposite::ReadForm(In& in)
{
    GReadForm(in, StoredForm());
    ClearModified();
}

template void GCommandComposite::ReadForm(RWBinaryFile&);
template void GCommandComposite::ReadForm(RWDataInStream&);
