// The members of a composite, each held, taken before a walk that may change the tree
// they sit in (merging a state, applying its attributes): a member another step removes
// stays alive until the walk is done with it.
//
// Job commands take such a snapshot several times each on their way through the output
// chain, so the first members are kept inside the object itself and a snapshot of a
// small state allocates nothing; a state or a plain attribute composite is read by
// index, with no iterator to make.
#pragma once

#include "model/GCountedRef.h"

#include <cstdint>
#include <vector>

class GAttributeComposite;
class GObjectBase;

class GHeldMembers {
public:
    // Every member of the composite, nulls included, in its iterator's order; nothing
    // for null or an object without an iterator.
    explicit GHeldMembers(GObjectBase* composite);
    // Empty; Add fills it.
    GHeldMembers() : count_(0) {}
    // Lets go of every member held.
    ~GHeldMembers();
    GHeldMembers(const GHeldMembers&) = delete;
    GHeldMembers& operator=(const GHeldMembers&) = delete;

    // Holds one more object (null allowed) behind the others.
    void Add(GObjectBase* object);

    uint32_t Count() const { return count_; }
    GObjectBase* At(uint32_t index) const { return index < kInline ? inline_[index] : more_[index - kInline]; }

    // The object as a composite whose iterator walks its member vector in order (a state
    // or a plain attribute composite, by exact class), else null.
    static GAttributeComposite* AsPlainComposite(GObjectBase* object);

private:
    // Takes over the reference.
    void Keep(GCountedRef&& member);

    // Each of the first count_ places holds one reference; the places beyond are not
    // set, so that a small snapshot costs only the members it holds.
    static const uint32_t kInline = 16;
    GObjectBase* inline_[kInline];
    std::vector<GObjectBase*> more_;
    uint32_t count_;
};
