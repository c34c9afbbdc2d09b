// The attribute state that travels with job commands and that every peripheral keeps:
// an attribute composite of attributes and nested states, addressed by id.
//
// States are combined by merging (Assign): a member of the incoming state joins,
// replaces or is merged into the member of the same storage class and id, and what
// changed is marked (state word 1), so that a peripheral applies only what changed.
// A merge shares the incoming objects instead of copying them: they must be held by a
// counted holder (a command, a peripheral) for as long as the merge runs.
#pragma once

#include "model/GAttributeComposite.h"

class GState : public GPersistent<GState, GAttributeComposite, 758> {
public:
    static constexpr const char* kClassName = "GState";
    GState* CreateNew() const override { return new GState; }
    GState* Copy() const override { return new GState(*this); }

    // Well-known state ids.
    static constexpr long kCurrentStateId = 243;
    static constexpr long kGraphicStateId = 244;
    static constexpr long kDocumentStateId = 246;
    static constexpr long kPageStateId = 256;
    static constexpr long kConfigurationPartId = 198;

    GState();
    explicit GState(const long& id);
    // Id, serial and state word copied; members shared.
    GState(const GState& other);
    GState& operator=(const GState& other);
    ~GState() override;


    // Takes ownership. A new attribute joins the members unless a member of the same
    // storage class and id is there: a member that differs from it is replaced by it
    // at the same position; a nested state has it merged in; an equal member stays and
    // the new object is dropped. Anything that is not an attribute is dropped.
    void Add(GObjectBase* object) override;
    // Merges other into this state. From a state of the same storage class and id, each
    // of its members is merged in; any other attribute is merged in as one member.
    // Answers 1 when the members changed, 0 when the merge changed nothing.
    int32_t Assign(const GAttribute* other) override;

    auto StoredForm() { return GFields(); }

protected:
    // The direct member of the same storage class and id as the object, or null; slot
    // gets its position.
    GAttribute* FindCounterpart(const GAttribute* object, uint32_t* slot) const;
    // The direct member with that id, or null.
    GAttribute* MemberWithId(const long& id) const;

private:
    // Merges one incoming attribute, sharing it: 1 when the members changed.
    int32_t MergeMember(GAttribute* incoming);
    // Puts the object in the member's slot; false (object dropped) when it cannot be
    // held there.
    bool PutInSlot(uint32_t slot, GAttribute* object);
};
