// A command made of commands, kept in order. A peripheral opens it through its own
// composite processing, which submits the members one by one and puts what comes back
// in each member's place; the composite itself calls no handler.
//
// Every change of the member list sets the modified mark, so that a composite one level
// up knows to replace it in turn.
#pragma once

#include "model/MPersistentComposite.h"
#include "pipeline/GCommand.h"

class GCommandComposite : public GPersistent<GCommandComposite, GCommand, 605> {
public:
    static constexpr const char* kClassName = "GCommandComposite";
    GCommandComposite* CreateNew() const override { return new GCommandComposite; }
    GCommandComposite* Copy() const override { return new GCommandComposite(*this); }

    GCommandComposite();
    explicit GCommandComposite(const long& id);
    GCommandComposite(GState* state, const long& id);
    // Shares the members.
    GCommandComposite(const GCommandComposite& other);
    GCommandComposite& operator=(const GCommandComposite& other);
    ~GCommandComposite() override;

    // The same object, or like command parts and like member lists.
    bool IsSame(const GObjectBase* other) const override;

    // Only commands join; anything else is dropped.
    void Add(GObjectBase* object) override;
    void Prepend(GObjectBase* object) override;
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
    uint32_t TotalEntries() const override;
    GObjectIterator* CreateIterator() override;

    // Prepares every member in order.
    void Prepare() override;
    // Calls no handler.
    int16_t Execute(GPeripheral& target) override;

    // The member at index, borrowed; null for a bad index.
    GCommand* At(uint32_t index) const;

    // The member list as one object. A restore reads it into the existing list and
    // clears the modified mark.
    auto StoredForm() { return GFields(GEmbedded(members_)); }
    template <class In>
    void ReadForm(In& in);

private:
    // Sets the modified mark when the result says the list changed.
    template <class R>
    R Changed(R result)
    {
        if (result)
            SetModified();
        return result;
    }

    MPersistentComposite members_;
};
