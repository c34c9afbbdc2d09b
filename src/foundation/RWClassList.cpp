#include "foundation/RWClassList.h"

#include "foundation/RWThreadContext.h"

#include <algorithm>
#include <atomic>

RWClassList::RWClassList(std::initializer_list<RWClassID> ids) : ids_(ids)
{
    std::sort(ids_.begin(), ids_.end());
    ids_.erase(std::unique(ids_.begin(), ids_.end()), ids_.end());
}

bool RWClassList::Holds(RWClassID id) const { return std::binary_search(ids_.begin(), ids_.end(), id); }

namespace {

// The scopes open on the shared context, and the list that is in force there while any is.
std::atomic<unsigned> g_sharedScopes{0};
const RWClassList kNoClass = {};

} // namespace

const RWClassList* RWClassList::Current()
{
    const RWThreadContext* context = RWThreadContext::Peek();
    if (context && !context->IsShared())
        return context->classList;
    return g_sharedScopes.load() ? &kNoClass : nullptr;
}

RWClassListScope::RWClassListScope(const RWClassList& list) : previous_(nullptr), shared_(false)
{
    RWThreadContext& context = RWThreadContext::Current();
    if (context.IsShared()) {
        shared_ = true;
        ++g_sharedScopes;
        return;
    }
    previous_ = context.classList;
    context.classList = &list;
}

RWClassListScope::~RWClassListScope()
{
    if (shared_) {
        --g_sharedScopes;
        return;
    }
    RWThreadContext& context = RWThreadContext::Current();
    if (!context.IsShared())
        context.classList = previous_;
}
