// The member iterator of the model: what CreateIterator hands out. The caller deletes it.
//
//   GObjectIterator* it = tree->CreateIterator();
//   while (it->Next()) { GObjectBase* member = it->Current(); ... }
//   delete it;
#pragma once

#include "model/GCountedRef.h"

class GObjectBase;

class GObjectIterator {
public:
    virtual ~GObjectIterator();

    // The member the iterator stands on, borrowed; the index error and null when it
    // stands on none.
    virtual GObjectBase* Current() = 0;
    // Puts the object in the current member's place (the iterator's holder takes it over).
    virtual void ReplaceCurrent(GObjectBase* object) = 0;
    // Advances: non-zero while it stands on a member. After the last member it goes back
    // before the first, so the next call starts again.
    virtual int Next() = 0;
    // Back to before the first member.
    virtual void Reset() = 0;
    // The current member as a counted reference.
    virtual GCountedRef CurrentRef() = 0;
    // Takes the current member out; the next Next stands on the member that followed it.
    virtual void RemoveCurrent() = 0;
    virtual void ReplaceCurrentRef(const GCountedRef& object) = 0;
    // Steps back: non-zero while it stands on a member.
    virtual int Previous() = 0;

protected:
    GObjectIterator() = default;
    GObjectIterator(const GObjectIterator&) = default;
    GObjectIterator& operator=(const GObjectIterator&) = default;
};
