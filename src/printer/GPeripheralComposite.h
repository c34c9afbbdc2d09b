// A peripheral made of child peripherals. Every job command goes to the children in
// order; the children that stay active through a document's start are the only ones
// that see the rest of that document. The composite listens to its children and
// rebuilds its configuration from theirs (its own part first), and for the length of a
// document puts add-on proxies in front of its children.
#pragma once

#include "model/GCountedRef.h"
#include "model/MPersistentComposite.h"
#include "printer/GPeripheral.h"

#include <cstdint>
#include <utility>
#include <vector>

class GPeripheralComposite : public GPersistent<GPeripheralComposite, GPeripheral, 770> {
public:
    static constexpr const char* kClassName = "GPeripheralComposite";

    GPeripheralComposite();
    explicit GPeripheralComposite(const long& id);
    GPeripheralComposite(const RWCString& name, GState* initialState, GConfiguration* configuration, const long& id,
                         uint32_t addOnListId = 64, int32_t addOnKind = 6, int32_t addOnMode = 2);
    // Shares the three own parts and the same child objects.
    GPeripheralComposite(const GPeripheralComposite& other);
    GPeripheralComposite& operator=(const GPeripheralComposite& other);
    // Leaves every child's listeners.
    ~GPeripheralComposite() override;

    GPeripheralComposite* CreateNew() const override { return new GPeripheralComposite; }
    GPeripheralComposite* Copy() const override { return new GPeripheralComposite(*this); }
    bool IsSame(const GObjectBase* other) const override;

    // Only peripherals become children; anything else is deleted.
    void Add(GObjectBase* object) override;
    // The removed child belongs to the caller and no longer has this composite as a
    // listener.
    GObjectBase* Remove(const GObjectBase* object) override;
    GObjectBase* RemoveById(const long& id) override;
    GObjectBase* RemoveByClassId(const RWClassID& classId) override;
    void RemoveAll() override;
    int ReplaceById(const long& id, const GObjectBase* newObject) override;
    int ReplaceByClassId(const RWClassID& classId, const GObjectBase* newObject) override;
    int Replace(const GObjectBase* member, const GObjectBase* newObject) override;
    int ReplaceKindOf(const RWClassID& classId, const GObjectBase* newObject) override;
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
    // The children collection.
    GObjectBase* AsComposite() override;
    uint32_t Entries() const override;
    uint32_t TotalEntries() const override;
    GObjectIterator* CreateIterator() override;
    // A composite of deep copies of the children, which listen to the copy alone.
    GObjectBase* DeepCopy() const override;

    GCommand* ReceiveCommand(GCommand* command) override;
    void SetInitialState(GState* state) override;
    void SetCurrentState(GState* state) override;
    // The configuration given becomes the own part; the configuration is rebuilt.
    void SetConfiguration(GConfiguration* configuration) override;
    GState* NewInitialState() override;
    GState* NewCurrentState() override;
    GConfiguration* NewConfiguration() override;
    void Reset() override;
    // Rebuilds the configuration, then tells this composite's own listeners.
    void NotifyListeners(GPeripheral* source) override;
    bool IsReady() override;
    std::pair<float, float> GetScale(void* context, void* device, void* page, uint32_t* mode) override;
    uint32_t QueryFlags() override;

    // Puts a proxy for each library the configuration's add-on list names in front of
    // the children; RemoveAddOns takes the proxies out again.
    void InstallAddOns();
    void RemoveAddOns();

    // Borrowed.
    GPeripheral* ChildAt(uint32_t index) const;
    uint32_t ActiveChildCount() const { return activeChildren_.Entries(); }
    GState* GetOwnCurrentPart() const;
    GState* GetOwnInitialPart() const;
    GObjectBase* GetOwnConfigurationPart() const { return ownConfiguration_.Get(); }

    // The children, then the own current, initial and configuration parts.
    auto StoredForm() { return GFields(GEmbedded(children_), ownCurrent_, ownInitial_, ownConfiguration_); }

protected:
    // The configuration: the own part, then every child's configuration.
    void RebuildConfiguration();
    // The children in order, each held, so that a walk survives changes to the list.
    std::vector<GCountedRef> HeldChildren() const;
    // Takes the member out of the children: the object handed to the caller, or null.
    // The member (and a copy handed in its place) stops naming this composite as
    // listener; Rebuild follows when a peripheral left.
    GObjectBase* RemoveMember(const GObjectBase* member, bool peripheralsOnly);
    // Called for a peripheral that is about to leave the children.
    virtual void Leaving(GPeripheral& child);
    // A copy made for this composite keeps none of the listeners of its source.
    static void DropListeners(GPeripheral& peripheral);

private:
    void MakeOwnParts();

    GCountedRef ownCurrent_;
    GCountedRef ownInitial_;
    GCountedRef ownConfiguration_;
    mutable MPersistentComposite children_;
    MPersistentComposite activeChildren_;
};
