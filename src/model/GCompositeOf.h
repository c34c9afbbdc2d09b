// The tree operations that both composite families share, over one embedded member
// vector: MPersistentComposite (members of any model class) and GAttributeComposite
// (members that are attributes). Base is the family's base class; Selection is the
// composite that Select... fills.
//
// Searches walk the members depth first, pre-order; the composite itself is never
// tested. Remove... hands back an owned object, Replace... stores a deep copy.
#pragma once

#include "model/GCountedPtrVector.h"
#include "model/GPersistent.h"

class GCountedPtr;
class GMemberKey;

// The callback of ForEach and FirstThat: a member's slot and the caller's context word.
typedef int (*GMemberFunction)(GCountedPtr* slot, void* context);

template <class Base, class Selection>
class GCompositeOf : public GStoredLevel<GCompositeOf<Base, Selection>, Base, 0> {
    using Level = GStoredLevel<GCompositeOf<Base, Selection>, Base, 0>;

public:
    GCompositeOf() {}
    explicit GCompositeOf(const long& id) : Level(id) {}
    // Shares the source's members.
    GCompositeOf(const GCompositeOf& other) : Level(other), members_(other.members_) {}
    // When the other one Differs: its base fields and its members (shared); the new
    // members are in place before the old ones are released.
    GCompositeOf& operator=(const GCompositeOf& other);

    // Same class, same id, same count and no member that Differs from the other's.
    bool IsSame(const GObjectBase* other) const override;

    GObjectBase* Remove(const GObjectBase* object) override;
    GObjectBase* RemoveById(const long& id) override;
    GObjectBase* RemoveByClassId(const RWClassID& classId) override;
    int ReplaceById(const long& id, const GObjectBase* newObject) override;
    int ReplaceByClassId(const RWClassID& classId, const GObjectBase* newObject) override;
    int Replace(const GObjectBase* member, const GObjectBase* newObject) override;
    int ReplaceKindOf(const RWClassID& classId, const GObjectBase* newObject) override;
    void RemoveAll() override;

    GObjectBase* FindById(const long& id) override;
    GObjectBase* FindByClassId(const RWClassID& classId) override;
    GObjectBase* FindSame(const GObjectBase* object) override;
    GObjectBase* FindKindOf(const RWClassID& classId) override;
    GObjectBase* CollectByClassId(const RWClassID& classId, GObjectBase* into) override;
    GObjectBase* CollectById(const long& id, GObjectBase* into) override;
    GObjectBase* SelectById(const long& id) override;
    GObjectBase* SelectByClassId(const RWClassID& classId) override;
    GObjectBase* CollectKindOf(const RWClassID& classId, GObjectBase* into) override;
    GObjectBase* SelectKindOf(const RWClassID& classId) override;

    GObjectBase* AsComposite() override;
    uint32_t Entries() const override;
    // The composite counts itself.
    uint32_t TotalEntries() const override;
    GObjectIterator* CreateIterator() override;

    // Calls fn for each member slot below the count taken at the start.
    virtual void ForEach(GMemberFunction fn, void* context);
    // The member of the first slot for which fn answers non-zero, or null.
    virtual GObjectBase* FirstThat(GMemberFunction fn, void* context);

    // The member of slot index, borrowed; the index error and null for a bad index.
    GObjectBase* At(uint32_t index) const { return members_.At(index); }

    // The base part, a version word, then the member list.
    auto StoredForm() { return GFields(members_); }

    // The class id every member is a kind of: a restore refuses a stored member of
    // another class before it is made.
    void SetMemberKind(RWClassID kind) { members_.SetMemberKind(kind); }

protected:
    // Appends the object as a member (or puts it first): true when it became one. An
    // object that cannot (this composite itself, an embedded object, no room) is
    // dropped: deleted when nobody else holds it.
    bool Adopt(GObjectBase* object, bool first = false);

    GCountedPtrVector members_;

private:
    GObjectBase* Select(const GMemberKey& key);
};
