#include "graphics/GDeviceFontListComposite.h"

#include "model/GObjectIterator.h"
#include "model/GStoredFields.h"

GDeviceFontListComposite::GDeviceFontListComposite() : GPersistent(kSettingId) { members_.MarkEmbedded(); }

GDeviceFontListComposite::GDeviceFontListComposite(const GDeviceFontListComposite& other)
    : GPersistent(other), members_(other.members_)
{
    members_.MarkEmbedded();
}

GDeviceFontListComposite& GDeviceFontListComposite::operator=(const GDeviceFontListComposite& other)
{
    if (this != &other) {
        GObjectBase::operator=(other);
        members_ = other.members_;
    }
    return *this;
}

GDeviceFontListComposite::~GDeviceFontListComposite() {}

bool GDeviceFontListComposite::IsList(const GObjectBase* object)
{
    return object && object->IsKindOf(GDeviceFontList::kClassId);
}

bool GDeviceFontListComposite::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GDeviceFontListComposite* composite = GSameClass<GDeviceFontListComposite>(this, other);
    return composite && GObjectBase::IsSame(other) && !members_.Differs(&composite->members_);
}

void GDeviceFontListComposite::Add(GObjectBase* object)
{
    if (IsList(object))
        members_.Add(object);
    else
        GObjectBase::Drop(object);
}

void GDeviceFontListComposite::Prepend(GObjectBase* object)
{
    if (IsList(object))
        members_.Prepend(object);
    else
        GObjectBase::Drop(object);
}

GObjectBase* GDeviceFontListComposite::RemoveById(const long& id) { return members_.RemoveById(id); }

int GDeviceFontListComposite::ReplaceById(const long& id, const GObjectBase* newObject)
{
    return IsList(newObject) ? members_.ReplaceById(id, newObject) : 0;
}

void GDeviceFontListComposite::RemoveAll() { members_.RemoveAll(); }
GObjectBase* GDeviceFontListComposite::FindById(const long& id) { return members_.FindById(id); }
GObjectIterator* GDeviceFontListComposite::CreateIterator() { return members_.CreateIterator(); }

GObjectBase* GDeviceFontListComposite::DeepCopy() const
{
    GDeviceFontListComposite* copy = new GDeviceFontListComposite;
    copy->GObjectBase::operator=(*this);
    copy->AddCopies(*this);
    return copy;
}

GDeviceFontList* GDeviceFontListComposite::FindList(long deviceCode)
{
    GObjectBase* found = FindById(deviceCode);
    return IsList(found) ? static_cast<GDeviceFontList*>(found) : nullptr;
}

void GDeviceFontListComposite::Merge(const GDeviceFontListComposite& other)
{
    std::unique_ptr<GObjectIterator> it(const_cast<MPersistentComposite&>(other.members_).CreateIterator());
    while (it && it->Next())
        if (GObjectBase* list = it->Current())
            if (!ReplaceById(list->GetId(), list))
                Add(list->DeepCopy());
}

void GDeviceFontListComposite::AddCopies(const GDeviceFontListComposite& other)
{
    std::unique_ptr<GObjectIterator> it(const_cast<MPersistentComposite&>(other.members_).CreateIterator());
    while (it && it->Next())
        if (GObjectBase* list = it->Current())
            Add(list->DeepCopy());
}

template <class Out>
void GDeviceFontListComposite::WriteFields(Out& out) const
{
    GWriteField(out, kGStoredVersion);
    members_.RecursiveSaveOn(out);
}

// Version 1 replaces the members by those read, read in place; a member that is not a
// device font list is dropped.
template <class In>
void GDeviceFontListComposite::ReadFields(In& in)
{
    uint32_t version = 0;
    if (!GReadField(in, version) || version != kGStoredVersion)
        return;
    members_.RemoveAll();
    RWCollectable::RecursiveRestoreFrom(in, &members_);
    std::unique_ptr<GObjectIterator> it(members_.CreateIterator());
    while (it && it->Next())
        if (!IsList(it->Current()))
            it->RemoveCurrent();
}

template void GDeviceFontListComposite::ReadFields(RWBinaryFile&);
template void GDeviceFontListComposite::ReadFields(RWDataInStream&);
template void GDeviceFontListComposite::WriteFields(RWBinaryFile&) const;
template void GDeviceFontListComposite::WriteFields(RWDataOutStream&) const;
