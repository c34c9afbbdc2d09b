#include "model/GMemberKey.h"

#include "model/GObjectBase.h"

GMemberKey GMemberKey::Id(const long& id) { return GMemberKey(kId, id, 0, nullptr); }
GMemberKey GMemberKey::ClassId(const RWClassID& classId) { return GMemberKey(kClassId, 0, classId, nullptr); }
GMemberKey GMemberKey::Same(const GObjectBase* object) { return GMemberKey(kSame, 0, 0, object); }
GMemberKey GMemberKey::Pointer(const GObjectBase* object) { return GMemberKey(kPointer, 0, 0, object); }
GMemberKey GMemberKey::KindOf(const RWClassID& classId) { return GMemberKey(kKindOf, 0, classId, nullptr); }

bool GMemberKey::Matches(const GObjectBase* object) const
{
    if (!object)
        return false;
    switch (kind_) {
    case kId:
        return object->GetId() == id_;
    case kClassId:
        return object->ClassId() == classId_;
    case kSame:
        return object->IsSame(object_);
    case kPointer:
        return object == object_;
    case kKindOf:
        return object->IsKindOf(classId_);
    }
    return false;
}

GObjectBase* GMemberKey::FindIn(GObjectBase* member) const
{
    switch (kind_) {
    case kId:
        return member->FindById(id_);
    case kClassId:
        return member->FindByClassId(classId_);
    case kSame:
        return member->FindSame(object_);
    case kKindOf:
        return member->FindKindOf(classId_);
    case kPointer:
        break;
    }
    return nullptr;
}

GObjectBase* GMemberKey::RemoveFrom(GObjectBase* member) const
{
    switch (kind_) {
    case kId:
        return member->RemoveById(id_);
    case kClassId:
        return member->RemoveByClassId(classId_);
    case kPointer:
        return member->Remove(object_);
    case kSame:
    case kKindOf:
        break;
    }
    return nullptr;
}

int GMemberKey::ReplaceIn(GObjectBase* member, const GObjectBase* newObject) const
{
    switch (kind_) {
    case kId:
        return member->ReplaceById(id_, newObject);
    case kClassId:
        return member->ReplaceByClassId(classId_, newObject);
    case kPointer:
        return member->Replace(object_, newObject);
    case kKindOf:
        return member->ReplaceKindOf(classId_, newObject);
    case kSame:
        break;
    }
    return 0;
}

GObjectBase* GMemberKey::CollectFrom(GObjectBase* member, GObjectBase* into) const
{
    switch (kind_) {
    case kId:
        return member->CollectById(id_, into);
    case kClassId:
        return member->CollectByClassId(classId_, into);
    case kKindOf:
        return member->CollectKindOf(classId_, into);
    case kSame:
    case kPointer:
        break;
    }
    return into;
}
