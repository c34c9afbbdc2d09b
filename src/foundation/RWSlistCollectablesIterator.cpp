#include "foundation/RWSlistCollectablesIterator.h"

RWSlistCollectablesIterator::RWSlistCollectablesIterator(RWSlistCollectables& list)
    : list_(&list), position_(list)
{
}

RWCollectable* RWSlistCollectablesIterator::Key() const
{
    return position_.OnElement() ? RWSlistCollectables::Member(position_.CurrentLink()) : nullptr;
}

RWCollectable* RWSlistCollectablesIterator::Next()
{
    RWSlistLink* link = position_.AdvanceLink();
    return link ? RWSlistCollectables::Member(link) : nullptr;
}

void RWSlistCollectablesIterator::Reset() { position_.Reset(); }

RWCollectable* RWSlistCollectablesIterator::Advance(size_t n)
{
    while (n-- && !position_.AtTail())
        position_.AdvanceLink();
    return Key();
}

RWCollectable* RWSlistCollectablesIterator::FindNextMatching(RWTestCollectable test, const void* arg)
{
    while (RWSlistLink* link = position_.AdvanceLink())
        if (test(RWSlistCollectables::Member(link), arg))
            return RWSlistCollectables::Member(link);
    return nullptr;
}

RWCollectable* RWSlistCollectablesIterator::FindNext(const RWCollectable* obj)
{
    return FindNextMatching(RWCollectableIsEqual, obj);
}

RWCollectable* RWSlistCollectablesIterator::FindNextReference(const RWCollectable* obj)
{
    return FindNextMatching(RWCollectableIsSame, obj);
}

RWCollectable* RWSlistCollectablesIterator::InsertAfterPoint(RWCollectable* obj)
{
    position_.InsertAfterCurrent(RWSlistCollectables::NewLink(obj));
    return obj;
}

RWCollectable* RWSlistCollectablesIterator::RemoveNext(RWTestCollectable test, const void* arg)
{
    if (position_.AtTail())
        return nullptr;
    const RWSlistLink* before = nullptr;
    if (!list_->FindLink(test, arg, position_.CurrentLink(), &before))
        return nullptr;
    return RWSlistCollectables::FreeLink(list_->RemoveAfter(const_cast<RWSlistLink*>(before)));
}

RWCollectable* RWSlistCollectablesIterator::RemoveNextReference(const RWCollectable* obj)
{
    return RemoveNext(RWCollectableIsSame, obj);
}

RWCollectable* RWSlistCollectablesIterator::RemoveCurrent()
{
    return RWSlistCollectables::FreeLink(position_.RemoveCurrent());
}
