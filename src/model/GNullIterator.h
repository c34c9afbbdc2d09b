// The iterator of a leaf: it never stands on a member.
#pragma once

#include "model/GObjectIterator.h"

class GNullIterator : public GObjectIterator {
public:
    GNullIterator() = default;
    ~GNullIterator() override;

    GObjectBase* Current() override;
    void ReplaceCurrent(GObjectBase* object) override;
    int Next() override;
    void Reset() override;
    GCountedRef CurrentRef() override;
    void RemoveCurrent() override;
    void ReplaceCurrentRef(const GCountedRef& object) override;
    int Previous() override;
};
