// Walks an RWSlistCollectables in order. The iterator stands on a link: the head before
// the first member, a member's link, or the tail after the last member. Insertions and
// removals through the iterator keep its position; members appended to the list while
// the iterator is not yet at the tail are reached by later steps.
#pragma once

#include "foundation/RWIterator.h"
#include "foundation/RWSlistCollectables.h"

class RWSlistCollectablesIterator : public RWIterator {
public:
    explicit RWSlistCollectablesIterator(RWSlistCollectables& list);

    RWCollectable* FindNext(const RWCollectable* obj) override;
    RWCollectable* Key() const override;
    RWCollectable* Next() override;
    void Reset() override;

    // Takes n steps; the member reached, or null at the end.
    RWCollectable* Advance(size_t n);
    // Advances to the next member that is obj itself.
    RWCollectable* FindNextReference(const RWCollectable* obj);
    // Links obj after the current position (at the end when the iterator is past the
    // last member); the iterator does not move, so Next reaches obj.
    RWCollectable* InsertAfterPoint(RWCollectable* obj);
    // Unlinks and returns the first member after the current position that passes
    // test; the iterator does not move.
    RWCollectable* RemoveNext(RWTestCollectable test, const void* arg);
    RWCollectable* RemoveNextReference(const RWCollectable* obj);
    // Unlinks and returns the current member and steps back, so that Next reaches the
    // member that followed it; null when the iterator is not on a member.
    RWCollectable* RemoveCurrent();

private:
    RWCollectable* FindNextMatching(RWTestCollectable test, const void* arg);

    RWSlistCollectables* list_;
    RWSlistIterator position_;
};
