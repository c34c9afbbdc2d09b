// A list of key and value pairs in which a key occurs at most once: adding a pair
// replaces the pair whose key is the same. Keys are compared by their own IsSame; a
// null key matches nothing. Members that are not associations are passed over by every
// search.
#pragma once

#include "model/MPersistentAssociation.h"
#include "model/MVersionedComposite.h"

class MAssociationList : public GPersistent<MAssociationList, MVersionedComposite, 772> {
public:
    static constexpr const char* kClassName = "MAssociationList";
    auto StoredForm() { return GNoFields(); }
    MAssociationList* CreateNew() const override { return new MAssociationList; }
    MAssociationList* Copy() const override { return new MAssociationList(*this); }

    MAssociationList();
    explicit MAssociationList(const long& id);
    // Shares the source's members, as every composite does.
    MAssociationList(const MAssociationList& other) = default;
    MAssociationList& operator=(const MAssociationList& other) = default;
    ~MAssociationList() override;

    // Adds only associations (through the typed Add); any other object is ignored and
    // stays the caller's.
    void Add(GObjectBase* object) override;

    // Removes and destroys the member whose key is the same as the new one's, then
    // appends the new one; the list owns it from then on. A null association is ignored;
    // one with a null key is appended and replaces nothing.
    void Add(MPersistentAssociation* association);
    // The first member, in list order, whose key is the same as key; null when none or
    // when key is null. Borrowed.
    MPersistentAssociation* Find(const GObjectBase* key);
    // The found member's value (borrowed), else null.
    GObjectBase* GetValue(const GObjectBase* key);
    // Remove the found member and hand it to the caller; null when none matches.
    MPersistentAssociation* RemoveByKey(const GObjectBase* key);
    // By the key of the association given.
    MPersistentAssociation* RemoveLike(const MPersistentAssociation* association);
};
