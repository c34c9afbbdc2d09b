// A closed list of the classes that a read of bytes from outside may make. The reader
// opens an RWClassListScope around its read; while the scope is open, every object that
// a restore on that thread would make is first looked up here by the class id the bytes
// store, and a class the list does not hold is refused before the object is made or any
// of its fields are read: the refusal fails the whole read.
//
// Objects read in place into the caller's own objects and back-references to objects
// already made are not looked up: their classes are the code's, not the bytes'.
#pragma once

#include "foundation/RWCollectable.h"

#include <cstddef>
#include <initializer_list>
#include <vector>

class RWClassList {
public:
    RWClassList(std::initializer_list<RWClassID> ids);

    bool Holds(RWClassID id) const;
    // The ids, in ascending order.
    const std::vector<RWClassID>& Ids() const { return ids_; }

    // The list of the innermost scope open on the calling thread, or null.
    static const RWClassList* Current();

private:
    std::vector<RWClassID> ids_;
};

// Opens a list for the restores of the calling thread until it goes; an inner scope's
// list replaces the outer one's while the inner scope is open.
//
// Threads without a context of their own share one, where their scopes could not be
// told apart: while any scope is open there, every read of those threads that would
// make an object is refused (the list is one that holds no class).
class RWClassListScope {
public:
    explicit RWClassListScope(const RWClassList& list);
    ~RWClassListScope();
    RWClassListScope(const RWClassListScope&) = delete;
    RWClassListScope& operator=(const RWClassListScope&) = delete;

private:
    const RWClassList* previous_;
    bool shared_;
};
