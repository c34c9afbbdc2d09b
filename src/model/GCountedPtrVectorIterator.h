// The iterator of a composite over its member vector. Index -1 stands before the first
// member. The composite that made it must outlive it.
#pragma once

#include "model/GObjectIterator.h"

#include <cstdint>

class GCountedPtrVector;

class GCountedPtrVectorIterator : public GObjectIterator {
public:
    GCountedPtrVectorIterator(GObjectBase* owner, GCountedPtrVector& vector);
    ~GCountedPtrVectorIterator() override;

    GObjectBase* Current() override;
    // In place of the current member; when the iterator stands on none (before the
    // first member, or the vector is empty) the object is appended. Null and the owner
    // are ignored; an embedded object is dropped, as the owner's Add does.
    void ReplaceCurrent(GObjectBase* object) override;
    int Next() override;
    void Reset() override;
    GCountedRef CurrentRef() override;
    void RemoveCurrent() override;
    void ReplaceCurrentRef(const GCountedRef& object) override;
    int Previous() override;

    GObjectBase* Owner() const { return owner_; }
    int32_t Index() const { return index_; }

private:
    bool OnMember() const;

    GObjectBase* owner_;
    GCountedPtrVector* vector_;
    int32_t index_;
};
