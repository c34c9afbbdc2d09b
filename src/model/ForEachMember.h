// Calls f for each member of the holder, in order; a missing holder has no members. An f
// that answers a bool stops the walk by answering false; one that answers nothing sees
// every member.
#pragma once

#include "model/GObjectBase.h"
#include "model/GObjectIterator.h"

#include <memory>
#include <type_traits>

template <class F>
void ForEachMember(GObjectBase* holder, F f)
{
    std::unique_ptr<GObjectIterator> it(holder ? holder->CreateIterator() : nullptr);
    while (it && it->Next())
        if (GObjectBase* member = it->Current()) {
            if constexpr (std::is_void_v<std::invoke_result_t<F&, GObjectBase*>>)
                f(member);
            else if (!f(member))
                return;
        }
}
