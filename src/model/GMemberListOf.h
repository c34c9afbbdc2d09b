// A command made of members of one kind, kept in order in an embedded member list: every
// collection operation goes to the list, and every change of it sets the modified mark,
// so that a composite one level up knows to replace it in turn. Members of another kind
// are dropped when given. The composite itself calls no handler: whoever opens it walks
// the members.
//
//   class GThings : public GMemberListOf<GThings, GCommand, GThing, 900> { ... };
#pragma once

#include "model/MPersistentComposite.h"
#include "model/GPersistent.h"

template <class Self, class Parent, class Member, RWClassID Id>
class GMemberListOf : public GPersistent<Self, Parent, Id> {
    using Base = GPersistent<Self, Parent, Id>;

public:
    GMemberListOf() { Embed(); }
    explicit GMemberListOf(const long& id) : Base(id) { Embed(); }
    GMemberListOf(GState* state, const long& id) : Base(state, id) { Embed(); }
    // Shares the members.
    GMemberListOf(const GMemberListOf& other) : Base(other), members_(other.members_) { Embed(); }
    GMemberListOf& operator=(const GMemberListOf& other)
    {
        if (this != &other) {
            Parent::operator=(other);
            members_ = other.members_;
            this->SetModified();
        }
        return *this;
    }

    // The same object, or like command parts and like member lists.
    bool IsSame(const GObjectBase* other) const override
    {
        if (other == this)
            return true;
        const Self* composite = GSameClass<Self>(this, other);
        if (!composite || !this->LikeCommandPart(*composite) || members_.Entries() != composite->members_.Entries())
            return false;
        for (uint32_t i = 0; i < members_.Entries(); ++i)
            if (members_.At(i)->Differs(composite->members_.At(i)))
                return false;
        return true;
    }

    void Add(GObjectBase* object) override { Join(object, false); }
    void Prepend(GObjectBase* object) override { Join(object, true); }
    GObjectBase* Remove(const GObjectBase* object) override { return Changed(members_.Remove(object)); }
    GObjectBase* RemoveById(const long& id) override { return Changed(members_.RemoveById(id)); }
    GObjectBase* RemoveByClassId(const RWClassID& classId) override
    {
        return Changed(members_.RemoveByClassId(classId));
    }
    int ReplaceById(const long& id, const GObjectBase* newObject) override
    {
        return Changed(members_.ReplaceById(id, newObject));
    }
    int ReplaceByClassId(const RWClassID& classId, const GObjectBase* newObject) override
    {
        return Changed(members_.ReplaceByClassId(classId, newObject));
    }
    int Replace(const GObjectBase* member, const GObjectBase* newObject) override
    {
        return Changed(members_.Replace(member, newObject));
    }
    int ReplaceKindOf(const RWClassID& classId, const GObjectBase* newObject) override
    {
        return Changed(members_.ReplaceKindOf(classId, newObject));
    }
    void RemoveAll() override
    {
        Changed(members_.Entries() != 0);
        members_.RemoveAll();
    }

    GObjectBase* FindById(const long& id) override { return members_.FindById(id); }
    GObjectBase* FindByClassId(const RWClassID& classId) override { return members_.FindByClassId(classId); }
    GObjectBase* FindSame(const GObjectBase* object) override { return members_.FindSame(object); }
    GObjectBase* FindKindOf(const RWClassID& classId) override { return members_.FindKindOf(classId); }
    GObjectBase* CollectByClassId(const RWClassID& classId, GObjectBase* into) override
    {
        return members_.CollectByClassId(classId, into);
    }
    GObjectBase* CollectById(const long& id, GObjectBase* into) override { return members_.CollectById(id, into); }
    GObjectBase* SelectById(const long& id) override { return members_.SelectById(id); }
    GObjectBase* SelectByClassId(const RWClassID& classId) override { return members_.SelectByClassId(classId); }
    GObjectBase* CollectKindOf(const RWClassID& classId, GObjectBase* into) override
    {
        return members_.CollectKindOf(classId, into);
    }
    GObjectBase* SelectKindOf(const RWClassID& classId) override { return members_.SelectKindOf(classId); }

    GObjectBase* AsComposite() override { return this; }
    uint32_t Entries() const override { return members_.Entries(); }
    uint32_t TotalEntries() const override { return members_.TotalEntries(); }
    GObjectIterator* CreateIterator() override { return members_.CreateIterator(); }

    // Prepares every member in order.
    void Prepare() override
    {
        for (uint32_t i = 0; i < members_.Entries(); ++i)
            if (Member* member = At(i))
                member->Prepare();
    }
    // Calls no handler: 0.
    int16_t Execute(GCommandHandler&) override { return 0; }

    // The member at index, borrowed; null for a bad index or a restored member of
    // another kind.
    Member* At(uint32_t index) const
    {
        return index < members_.Entries() ? dynamic_cast<Member*>(members_.At(index)) : nullptr;
    }

    // The member list as one object. A restore reads it into the existing list and
    // clears the modified mark.
    auto StoredForm() { return GFields(GEmbedded(members_)); }
    template <class In>
    void ReadForm(In& in)
    {
        GReadForm(in, StoredForm());
        this->ClearModified();
    }

protected:
    MPersistentComposite members_;

private:
    // The list is part of this object, and a restore makes only members of the kind.
    void Embed()
    {
        members_.MarkEmbedded();
        members_.SetMemberKind(Member::kClassId);
    }

    void Join(GObjectBase* object, bool first)
    {
        if (!object || object == this)
            return;
        if (!object->IsKindOf(Member::kClassId)) {
            GObjectBase::Drop(object);
            return;
        }
        const uint32_t before = members_.Entries();
        if (first)
            members_.Prepend(object);
        else
            members_.Add(object);
        Changed(members_.Entries() != before);
    }

    // Sets the modified mark when the result says the list changed.
    template <class R>
    R Changed(R result)
    {
        if (result)
            this->SetModified();
        return result;
    }
};
