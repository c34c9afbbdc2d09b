// A graphic made of graphics, kept in order: every collection operation goes to the
// member list. Drawing it draws nothing; whoever opens it walks the members.
#pragma once

#include "model/MPersistentComposite.h"
#include "graphics/GGraphic.h"

class GGraphicComposite : public GPersistent<GGraphicComposite, GGraphic, 607> {
public:
    static constexpr const char* kClassName = "GGraphicComposite";
    GGraphicComposite* CreateNew() const override { return new GGraphicComposite; }
    GGraphicComposite* Copy() const override { return new GGraphicComposite(*this); }

    GGraphicComposite();
    GGraphicComposite(GState* state, const long& id);
    // Shares the members.
    GGraphicComposite(const GGraphicComposite& other);
    GGraphicComposite& operator=(const GGraphicComposite& other);
    ~GGraphicComposite() override;

    // The same object, or like command parts and like member lists.
    bool IsSame(const GObjectBase* other) const override;

    // Only graphics join; anything else is deleted.
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
    // Calls no handler: 0.
    int16_t Execute(GPeripheral& target) override;

    // The member at index, borrowed; null for a bad index.
    GGraphic* At(uint32_t index) const;

    // The member list as one object. A restore reads it into the existing list and
    // clears the modified mark; a member that is no graphic fails the read.
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
