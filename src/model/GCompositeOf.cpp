#include "model/GCompositeOf.h"

#include "model/GAttributeComposite.h"
#include "model/GCountedPtrVectorIterator.h"
#include "model/GMemberKey.h"
#include "model/MPersistentComposite.h"

#include <new>

template <class Base, class Selection>
GCompositeOf<Base, Selection>& GCompositeOf<Base, Selection>::operator=(const GCompositeOf& other)
{
    if (this != &other && this->Differs(&other)) {
        Base::operator=(other);
        members_ = other.members_;
    }
    return *this;
}

template <class Base, class Selection>
bool GCompositeOf<Base, Selection>::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GCompositeOf* composite = GSameClass<GCompositeOf>(this, other);
    return composite && composite->GetId() == this->GetId() && members_.SameMembers(composite->members_);
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::Remove(const GObjectBase* object)
{
    return members_.Remove(GMemberKey::Pointer(object));
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::RemoveById(const long& id)
{
    return members_.Remove(GMemberKey::Id(id));
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::RemoveByClassId(const RWClassID& classId)
{
    return members_.Remove(GMemberKey::ClassId(classId));
}

template <class Base, class Selection>
int GCompositeOf<Base, Selection>::ReplaceById(const long& id, const GObjectBase* newObject)
{
    return members_.Replace(GMemberKey::Id(id), newObject);
}

template <class Base, class Selection>
int GCompositeOf<Base, Selection>::ReplaceByClassId(const RWClassID& classId, const GObjectBase* newObject)
{
    return members_.Replace(GMemberKey::ClassId(classId), newObject);
}

template <class Base, class Selection>
int GCompositeOf<Base, Selection>::Replace(const GObjectBase* member, const GObjectBase* newObject)
{
    return members_.Replace(GMemberKey::Pointer(member), newObject);
}

template <class Base, class Selection>
int GCompositeOf<Base, Selection>::ReplaceKindOf(const RWClassID& classId, const GObjectBase* newObject)
{
    return members_.Replace(GMemberKey::KindOf(classId), newObject);
}

template <class Base, class Selection>
void GCompositeOf<Base, Selection>::RemoveAll()
{
    members_.RemoveAll();
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::FindById(const long& id)
{
    return members_.Find(GMemberKey::Id(id));
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::FindByClassId(const RWClassID& classId)
{
    return members_.Find(GMemberKey::ClassId(classId));
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::FindSame(const GObjectBase* object)
{
    return members_.Find(GMemberKey::Same(object));
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::FindKindOf(const RWClassID& classId)
{
    return members_.Find(GMemberKey::KindOf(classId));
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::CollectByClassId(const RWClassID& classId, GObjectBase* into)
{
    return members_.Collect(GMemberKey::ClassId(classId), into);
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::CollectById(const long& id, GObjectBase* into)
{
    return members_.Collect(GMemberKey::Id(id), into);
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::SelectById(const long& id)
{
    return Select(GMemberKey::Id(id));
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::SelectByClassId(const RWClassID& classId)
{
    return Select(GMemberKey::ClassId(classId));
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::CollectKindOf(const RWClassID& classId, GObjectBase* into)
{
    return members_.Collect(GMemberKey::KindOf(classId), into);
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::SelectKindOf(const RWClassID& classId)
{
    return Select(GMemberKey::KindOf(classId));
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::Select(const GMemberKey& key)
{
    Selection* selection = new (std::nothrow) Selection;
    if (!selection)
        return nullptr;
    members_.Collect(key, selection);
    if (selection->Entries() == 0) {
        delete selection;
        return nullptr;
    }
    return selection;
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::AsComposite()
{
    return this;
}

template <class Base, class Selection>
uint32_t GCompositeOf<Base, Selection>::Entries() const
{
    return members_.Entries();
}

template <class Base, class Selection>
uint32_t GCompositeOf<Base, Selection>::TotalEntries() const
{
    return 1 + members_.MemberTotals();
}

template <class Base, class Selection>
GObjectIterator* GCompositeOf<Base, Selection>::CreateIterator()
{
    return new (std::nothrow) GCountedPtrVectorIterator(this, members_);
}

template <class Base, class Selection>
void GCompositeOf<Base, Selection>::ForEach(GMemberFunction fn, void* context)
{
    const uint32_t count = members_.Entries();
    for (uint32_t i = 0; i < count && i < members_.Entries(); ++i)
        fn(&members_[i], context);
}

template <class Base, class Selection>
GObjectBase* GCompositeOf<Base, Selection>::FirstThat(GMemberFunction fn, void* context)
{
    for (uint32_t i = 0; i < members_.Entries(); ++i)
        if (fn(&members_[i], context))
            return i < members_.Entries() ? members_[i].Get() : nullptr;
    return nullptr;
}

template <class Base, class Selection>
bool GCompositeOf<Base, Selection>::Adopt(GObjectBase* object, bool first)
{
    if (!object || object == this)
        return false;
    if (object->IsEmbedded() || !(first ? members_.InsertAt(0, object) : members_.Append(object))) {
        GObjectBase::Drop(object);
        return false;
    }
    return true;
}

template class GCompositeOf<GObjectBase, MPersistentComposite>;
template class GCompositeOf<GAttribute, GAttributeComposite>;
