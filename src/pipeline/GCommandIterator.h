// The iterator of the command family: it walks a command's members by handing every
// operation to the member iterator it holds, and deletes that iterator with itself.
// Commands whose members are not plain in-memory lists (a page spooled to disk) give it
// an inner iterator that knows where the members really are.
#pragma once

#include "model/GObjectIterator.h"

class GCommandIterator : public GObjectIterator {
public:
    // Takes the inner iterator over (not null).
    explicit GCommandIterator(GObjectIterator* members);
    ~GCommandIterator() override;
    GCommandIterator(const GCommandIterator&) = delete;
    GCommandIterator& operator=(const GCommandIterator&) = delete;

    GObjectBase* Current() override;
    void ReplaceCurrent(GObjectBase* object) override;
    int Next() override;
    void Reset() override;
    GCountedRef CurrentRef() override;
    void RemoveCurrent() override;
    void ReplaceCurrentRef(const GCountedRef& object) override;
    int Previous() override;

private:
    GObjectIterator* members_;
};
