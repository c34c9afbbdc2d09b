// An intrusive singly linked list: the list links records whose first word is their
// next pointer and never allocates or frees them.
//
// The list object is itself the head link. The last element's next pointer is the
// tail sentinel, and the sentinel's next pointer is the sentinel itself, so a walk or
// an iterator that reaches the end stays there.
#pragma once

#include <cstddef>
#include <cstdint>

// The link part of a list record; records put it first and add their own fields.
struct RWSlistLink {
    RWSlistLink* next;
};

class RWSlistBase {
public:
    RWSlistBase();
    // The sentinels are part of the object, so lists are not copied bytewise;
    // owners copy their elements.
    RWSlistBase(const RWSlistBase&) = delete;
    RWSlistBase& operator=(const RWSlistBase&) = delete;

    size_t Entries() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }

    // The head link (before the first element) and the tail sentinel (after the last).
    RWSlistLink* Head() { return &head_; }
    const RWSlistLink* Head() const { return &head_; }
    RWSlistLink* Tail() { return &tail_; }
    const RWSlistLink* Tail() const { return &tail_; }
    // The first and last elements, null when the list is empty.
    RWSlistLink* FirstLink() const { return count_ ? head_.next : nullptr; }
    RWSlistLink* LastLink() const { return count_ ? last_ : nullptr; }
    // The link appends go after: the last element, or the head when empty.
    RWSlistLink* AppendPoint() { return last_; }

    // Links x after p (the head or an element).
    void InsertAfter(RWSlistLink* p, RWSlistLink* x);
    // Unlinks and returns the element after p; p must have a following element.
    RWSlistLink* RemoveAfter(RWSlistLink* p);
    // Links x at the end / at the front.
    void Append(RWSlistLink* x) { InsertAfter(last_, x); }
    void Prepend(RWSlistLink* x) { InsertAfter(&head_, x); }

    // The element at index i; an index not below the count raises the index error and
    // gives null.
    RWSlistLink* At(size_t i) const;
    // Links x so that it lands at index i (i may equal the count). False, with the index
    // error raised and nothing linked, for a larger index.
    bool InsertAt(size_t i, RWSlistLink* x);
    // Unlinks and returns the element at index i; null after the index error.
    RWSlistLink* RemoveAt(size_t i);
    // Unlinks the given element; null when it is null or not in this list.
    RWSlistLink* Remove(RWSlistLink* link);
    bool Contains(const RWSlistLink* link) const;
    // The link before an element (the head for the first one); null when the link is
    // not an element.
    RWSlistLink* LinkBefore(const RWSlistLink* link) const;

protected:
    // Forgets every element (the links are left as they are) and empties the list.
    void Reset();

private:
    RWSlistLink head_;
    RWSlistLink tail_;
    RWSlistLink* last_;
    uint32_t count_;
};

// A position in an RWSlistBase: a fresh iterator stands on the head, before the first
// element. Advancing past the last element stops on the tail sentinel for good.
class RWSlistIterator {
public:
    explicit RWSlistIterator(RWSlistBase& list) : list_(&list), current_(list.Head()) {}

    void Reset() { current_ = list_->Head(); }
    // Points the iterator at another list's head.
    void Reset(RWSlistBase& list)
    {
        list_ = &list;
        current_ = list.Head();
    }

    RWSlistBase& List() const { return *list_; }
    // The current link: the head, an element or the tail.
    RWSlistLink* CurrentLink() const { return current_; }
    bool AtHead() const { return current_ == list_->Head(); }
    bool AtTail() const { return current_ == list_->Tail(); }
    bool OnElement() const { return !AtHead() && !AtTail(); }

    // Steps to the following link; the new current element, or null at the tail.
    RWSlistLink* AdvanceLink();
    // Links x after the current link; the iterator stays where it is. At the tail, x
    // is appended.
    void InsertAfterCurrent(RWSlistLink* x);
    // Unlinks and returns the element after the current link, null when there is none.
    RWSlistLink* RemoveAfterCurrent();
    // Unlinks and returns the current element and steps back to its predecessor, so
    // that the next advance lands on the element that followed it; null when the
    // iterator is not on an element.
    RWSlistLink* RemoveCurrent();

private:
    RWSlistBase* list_;
    RWSlistLink* current_;
};
