// A stack of collectables on a singly linked list: the head of the list is the top.
#pragma once

#include "foundation/RWSlistCollectables.h"

class RWSlistCollectablesStack : public RWSlistCollectables {
public:
    static constexpr RWClassID kClassId = 0x8036;

    RWSlistCollectablesStack() {}
    RWSlistCollectablesStack(const RWSlistCollectablesStack& other) = default;
    RWSlistCollectablesStack& operator=(const RWSlistCollectablesStack& other) = default;

    RWCollectable* CreateNew() const override;
    RWCollectable* Copy() const override;
    RWClassID ClassId() const override;
    // True when other is a stack with pairwise equal members, top first.
    bool IsEqual(const RWCollectable* other) const override;

    // Pushes obj.
    RWCollectable* Insert(RWCollectable* obj) override;
    // Pops: the argument is ignored; the top member, or null when empty.
    RWCollectable* Remove(const RWCollectable* obj) override;
    // A stack is changed at its top only: these do nothing.
    RWCollectable* Append(RWCollectable* obj) override;
    void RemoveAndDestroy(const RWCollectable* obj) override;

    RWCollectable* Push(RWCollectable* obj) { return PrependMember(obj); }
    // The top member, removed; null when empty.
    RWCollectable* Pop() { return RemoveFirst(); }
    // The top member, null when empty.
    RWCollectable* Top() const { return First(); }

protected:
    // A restore keeps what the stack holds and adds the stored members below it, top
    // first, so the stored top stays the top.
    void RestoreBegin() override;
    void RestoreInsert(RWCollectable* member) override;
};
