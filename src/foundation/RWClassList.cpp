#include "foundation/RWClassList.h"

#include "foundation/RWThreadContext.h"

#include <algorithm>

RWClassList::RWClassList(std::initializer_list<RWClassID> ids) : ids_(ids)
{
    std::sort(ids_.begin(), ids_.end());
    ids_.erase(std::unique(ids_.begin(), ids_.end()), ids_.end());
}

bool RWClassList::Holds(RWClassID id) const { return std::binary_search(ids_.begin(), ids_.end(), id); }

const RWClassList* RWClassList::Current()
{
    const RWThreadContext* context = RWThreadContext::Peek();
    return context ? context->classList : nullptr;
}

RWClassListScope::RWClassListScope(const RWClassList& list) : previous_(RWThreadContext::Current().classList)
{
    RWThreadContext::Current().classList = &list;
}

RWClassListScope::~RWClassListScope() { RWThreadContext::Current().classList = previous_; }
