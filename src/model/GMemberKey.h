// The key of a tree search: what a member is compared with, and which operation of the
// same family a member is asked when it does not match itself, so that one search loop
// serves every Find..., Remove..., Replace... and Collect... operation.
#pragma once

#include "foundation/RWCollectable.h"

class GObjectBase;

class GMemberKey {
public:
    // Matches the member's id.
    static GMemberKey Id(const long& id);
    // Matches the member's ClassId.
    static GMemberKey ClassId(const RWClassID& classId);
    // Matches a member that IsSame as the object.
    static GMemberKey Same(const GObjectBase* object);
    // Matches the very object.
    static GMemberKey Pointer(const GObjectBase* object);
    // Matches a member that IsKindOf the class id.
    static GMemberKey KindOf(const RWClassID& classId);

    bool Matches(const GObjectBase* object) const;

    // The same operation asked of a member, which answers for its own subtree; 0 (or
    // into) for a key that the operation does not have.
    GObjectBase* FindIn(GObjectBase* member) const;
    GObjectBase* RemoveFrom(GObjectBase* member) const;
    int ReplaceIn(GObjectBase* member, const GObjectBase* newObject) const;
    GObjectBase* CollectFrom(GObjectBase* member, GObjectBase* into) const;

private:
    enum Kind { kId, kClassId, kSame, kPointer, kKindOf };

    GMemberKey(Kind kind, long id, RWClassID classId, const GObjectBase* object)
        : kind_(kind), id_(id), classId_(classId), object_(object)
    {
    }

    Kind kind_;
    long id_;
    RWClassID classId_;
    const GObjectBase* object_;
};
