// The ordered collection protocol: members have positions 0 .. Entries() - 1.
#pragma once

#include "foundation/RWCollection.h"
#include "foundation/RWCollectionHelpers.h"

class RWSequenceable : public RWCollection {
public:
    // The positional operations, in the order every ordered collection keeps them.
    // Each returns the object inserted or looked up, or null.

    virtual RWCollectable* Append(RWCollectable* obj) = 0;
    // The member at index i.
    virtual RWCollectable* At(size_t i) const = 0;
    // The slot of the member at index i, assignable.
    virtual RWCollectable*& At(size_t i) = 0;
    // Null when empty.
    virtual RWCollectable* First() const = 0;
    // The position of the first member equal to obj, or RW_NPOS.
    virtual size_t Index(const RWCollectable* obj) const = 0;
    // Inserts obj so that it lands at index i; i may equal the count.
    virtual RWCollectable* InsertAt(size_t i, RWCollectable* obj) = 0;
    // Null when empty.
    virtual RWCollectable* Last() const = 0;
    virtual RWCollectable* Prepend(RWCollectable* obj) = 0;
    // Links obj behind the member at index i, so that it lands at index i + 1.
    virtual RWCollectable* InsertAfter(size_t i, RWCollectable* obj) = 0;
};
