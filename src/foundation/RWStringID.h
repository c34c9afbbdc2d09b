// The name of a collectable class, under which the class factory finds it and stored
// data names it.
#pragma once

#include "foundation/RWCString.h"

#include <cstddef>

class RWStringID {
public:
    // The name that stands for no name.
    static const char kNoId[];
    // The name of a class registered without one.
    static const char kUnnamed[];

    // No name: "NoID".
    RWStringID() : name_(kNoId) {}
    RWStringID(const char* name) : name_(name) {}
    RWStringID(const RWCString& name) : name_(name) {}

    const RWCString& Name() const { return name_; }
    const char* Data() const { return name_.Data(); }
    size_t Length() const { return name_.Length(); }
    bool IsNoId() const { return name_ == kNoId; }
    // The exact (case-sensitive) hash of the name.
    unsigned Hash() const { return name_.Hash(); }

private:
    RWCString name_;
};

// Same length and same bytes.
inline bool operator==(const RWStringID& a, const RWStringID& b) { return a.Name() == b.Name(); }
inline bool operator!=(const RWStringID& a, const RWStringID& b) { return !(a == b); }
