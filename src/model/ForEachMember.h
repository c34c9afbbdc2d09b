// Calls f for each member of the holder, in order, until f answers false; a missing
// holder has no members.
#pragma once

#include "model/GObjectBase.h"
#include "model/GObjectIterator.h"

#include <memory>

template <class F>
void ForEachMember(GObjectBase* holder, F f)
{
    std::unique_ptr<GObjectIterator> it(holder ? holder->CreateIterator() : nullptr);
    while (it && it->Next())
        if (GObjectBase* member = it->Current())
            if (!f(member))
                return;
}
