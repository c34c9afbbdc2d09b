#include "foundation/RWSlistBase.h"

#include "foundation/RWCollectionHelpers.h"

RWSlistBase::RWSlistBase() { Reset(); }

void RWSlistBase::Reset()
{
    head_.next = &tail_;
    tail_.next = &tail_;
    last_ = &head_;
    count_ = 0;
}

void RWSlistBase::InsertAfter(RWSlistLink* p, RWSlistLink* x)
{
    x->next = p->next;
    p->next = x;
    if (p == last_)
        last_ = x;
    ++count_;
}

RWSlistLink* RWSlistBase::RemoveAfter(RWSlistLink* p)
{
    RWSlistLink* x = p->next;
    p->next = x->next;
    if (x == last_)
        last_ = p;
    --count_;
    return x;
}

RWSlistLink* RWSlistBase::At(size_t i) const
{
    if (!RWIndexInRange(i, count_))
        return nullptr;
    RWSlistLink* link = head_.next;
    while (i--)
        link = link->next;
    return link;
}

bool RWSlistBase::InsertAt(size_t i, RWSlistLink* x)
{
    // Inserting at the count appends.
    if (!RWIndexInRange(i, size_t(count_) + 1, count_))
        return false;
    InsertAfter(i == 0 ? &head_ : At(i - 1), x);
    return true;
}

RWSlistLink* RWSlistBase::RemoveAt(size_t i)
{
    if (!RWIndexInRange(i, count_))
        return nullptr;
    return RemoveAfter(i == 0 ? &head_ : At(i - 1));
}

RWSlistLink* RWSlistBase::Remove(RWSlistLink* link)
{
    if (!link || link == &head_ || link == &tail_)
        return nullptr;
    // With the sentinel pointing at the link, the walk from the head stops at the
    // link's predecessor or, when the link is not an element, at the sentinel.
    tail_.next = link;
    RWSlistLink* p = &head_;
    while (p->next != link)
        p = p->next;
    tail_.next = &tail_;
    if (p == &tail_)
        return nullptr;
    RemoveAfter(p);
    link->next = nullptr;
    return link;
}

RWSlistLink* RWSlistBase::LinkBefore(const RWSlistLink* link) const
{
    if (!link || link == &tail_)
        return nullptr;
    for (const RWSlistLink* p = &head_; p != &tail_; p = p->next)
        if (p->next == link)
            return const_cast<RWSlistLink*>(p);
    return nullptr;
}

bool RWSlistBase::Contains(const RWSlistLink* link) const { return LinkBefore(link) != nullptr; }

RWSlistLink* RWSlistIterator::AdvanceLink()
{
    current_ = current_->next;
    return AtTail() ? nullptr : current_;
}

void RWSlistIterator::InsertAfterCurrent(RWSlistLink* x)
{
    list_->InsertAfter(AtTail() ? list_->AppendPoint() : current_, x);
}

RWSlistLink* RWSlistIterator::RemoveAfterCurrent()
{
    if (AtTail() || current_->next == list_->Tail())
        return nullptr;
    return list_->RemoveAfter(current_);
}

RWSlistLink* RWSlistIterator::RemoveCurrent()
{
    if (!OnElement())
        return nullptr;
    RWSlistLink* previous = list_->LinkBefore(current_);
    if (!previous)
        return nullptr;
    RWSlistLink* removed = list_->RemoveAfter(previous);
    removed->next = nullptr;
    current_ = previous;
    return removed;
}
