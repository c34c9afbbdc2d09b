#include "foundation/RWDlistBase.h"

#include "foundation/RWCollectionHelpers.h"

RWDlistBase::RWDlistBase() { Reset(); }

void RWDlistBase::Reset()
{
    head_.next = &tail_;
    head_.prev = &head_;
    tail_.next = &tail_;
    tail_.prev = &head_;
    count_ = 0;
}

void RWDlistBase::InsertAfter(RWDlistLink* prev, RWDlistLink* x)
{
    RWDlistLink* next = prev->next;
    x->prev = prev;
    x->next = next;
    prev->next = x;
    next->prev = x;
    ++count_;
}

RWDlistLink* RWDlistBase::Remove(RWDlistLink* link)
{
    if (!link || link == &head_ || link == &tail_)
        return nullptr;
    link->prev->next = link->next;
    link->next->prev = link->prev;
    link->next = link->prev = nullptr;
    --count_;
    return link;
}

RWDlistLink* RWDlistBase::At(size_t i) const
{
    if (!RWIndexInRange(i, count_))
        return nullptr;
    RWDlistLink* link = head_.next;
    while (i--)
        link = link->next;
    return link;
}

bool RWDlistBase::InsertAt(size_t i, RWDlistLink* x)
{
    if (!RWIndexInRange(i, size_t(count_) + 1, count_))
        return false;
    InsertAfter(i == 0 ? &head_ : At(i - 1), x);
    return true;
}

RWDlistLink* RWDlistBase::RemoveAt(size_t i) { return Remove(At(i)); }

bool RWDlistBase::Contains(const RWDlistLink* link) const
{
    if (!link)
        return false;
    for (const RWDlistLink* p = head_.next; p != &tail_; p = p->next)
        if (p == link)
            return true;
    return false;
}

RWDlistLink* RWDlistIterator::Advance(size_t n)
{
    while (n-- && current_ != list_->Tail())
        current_ = current_->next;
    return Here();
}

RWDlistLink* RWDlistIterator::Retreat(size_t n)
{
    while (n-- && current_ != list_->Head())
        current_ = current_->prev;
    return Here();
}

void RWDlistIterator::InsertAfterCurrent(RWDlistLink* x)
{
    list_->InsertAfter(current_ == list_->Tail() ? current_->prev : current_, x);
}

RWDlistLink* RWDlistIterator::RemoveCurrent()
{
    if (!OnElement())
        return nullptr;
    RWDlistLink* old = current_;
    current_ = old->prev;
    return list_->Remove(old);
}
