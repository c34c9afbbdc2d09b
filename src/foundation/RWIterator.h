// The protocol of iterators over collections. A fresh or reset iterator stands before
// the first member; Key is null there and after the last member.
#pragma once

class RWCollectable;

class RWIterator {
public:
    virtual ~RWIterator() {}
    // Advances to the next member equal to obj and returns it; null at the end.
    virtual RWCollectable* FindNext(const RWCollectable* obj) = 0;
    // The current member, or null.
    virtual RWCollectable* Key() const = 0;
    // Advances and returns the new current member; null at the end.
    virtual RWCollectable* Next() = 0;
    // Back before the first member.
    virtual void Reset() = 0;
};
