// An intrusive doubly linked list: callers put an RWDlistLink at the front of their own
// nodes; the list never allocates or frees them.
//
// Two sentinel links bound the list. In an empty list the head's next is the tail and
// the tail's prev is the head; the head's prev and the tail's next point to themselves,
// so steps beyond either end stay on the sentinel.
#pragma once

#include <cstddef>
#include <cstdint>

struct RWDlistLink {
    RWDlistLink* next;
    RWDlistLink* prev;
};

class RWDlistBase {
public:
    RWDlistBase();
    RWDlistBase(const RWDlistBase&) = delete;
    RWDlistBase& operator=(const RWDlistBase&) = delete;

    size_t Entries() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }
    RWDlistLink* Head() { return &head_; }
    RWDlistLink* Tail() { return &tail_; }
    const RWDlistLink* Head() const { return &head_; }
    const RWDlistLink* Tail() const { return &tail_; }
    // Null when the list is empty.
    RWDlistLink* FirstLink() const { return count_ ? head_.next : nullptr; }
    RWDlistLink* LastLink() const { return count_ ? tail_.prev : nullptr; }

    // Links x after prev (the head or an element).
    void InsertAfter(RWDlistLink* prev, RWDlistLink* x);
    void Append(RWDlistLink* x) { InsertAfter(tail_.prev, x); }
    void Prepend(RWDlistLink* x) { InsertAfter(&head_, x); }
    // Unlinks an element of this list; null for null or a sentinel.
    RWDlistLink* Remove(RWDlistLink* link);

    // The element at index i; an index not below the count raises the index error and
    // gives null.
    RWDlistLink* At(size_t i) const;
    // Links x so that it lands at index i (i may equal the count). False, with the
    // index error raised and nothing linked, for a larger index.
    bool InsertAt(size_t i, RWDlistLink* x);
    // Unlinks and returns the element at index i; null after the index error.
    RWDlistLink* RemoveAt(size_t i);
    bool Contains(const RWDlistLink* link) const;

protected:
    // Forgets every element and empties the list.
    void Reset();

private:
    RWDlistLink head_;
    RWDlistLink tail_;
    uint32_t count_;
};

// A position in an RWDlistBase: the head, an element or the tail.
class RWDlistIterator {
public:
    explicit RWDlistIterator(RWDlistBase& list) : list_(&list), current_(list.Head()) {}

    void Reset() { current_ = list_->Head(); }
    void Reset(RWDlistBase& list)
    {
        list_ = &list;
        current_ = list.Head();
    }

    RWDlistLink* CurrentLink() const { return current_; }
    bool OnElement() const { return current_ != list_->Head() && current_ != list_->Tail(); }

    // Take n steps forward (back); the link reached, or null on a sentinel.
    RWDlistLink* Advance(size_t n = 1);
    RWDlistLink* Retreat(size_t n = 1);
    bool AtFirst() const { return OnElement() && current_ == list_->Head()->next; }
    bool AtLast() const { return OnElement() && current_ == list_->Tail()->prev; }
    // To the last element, or to the tail when the list is empty.
    void ToLast() { current_ = list_->IsEmpty() ? list_->Tail() : list_->Tail()->prev; }
    // Links x after the current link (before the tail when the iterator is on it); the
    // iterator does not move.
    void InsertAfterCurrent(RWDlistLink* x);
    // Steps back to the previous link, then unlinks and returns the old current one;
    // null when the iterator is not on an element.
    RWDlistLink* RemoveCurrent();

private:
    RWDlistLink* Here() const { return OnElement() ? current_ : nullptr; }

    RWDlistBase* list_;
    RWDlistLink* current_;
};
