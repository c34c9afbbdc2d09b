// One sample object for every class registered with the class factory, filled where the
// class has members, with its class id written out. A class added later adds its row to
// RegisteredClasses.cpp.
#pragma once

#include "foundation/RWCollectable.h"

#include <functional>
#include <vector>

struct RegisteredSample {
    const char* name; // the name the class is registered under
    RWClassID classId; // the class id, written out as the class's own description gives it
    std::function<RWCollectable*()> make; // empty: the factory makes none; it is stored inside its holder
};

const std::vector<RegisteredSample>& RegisteredSamples();

// A model tree using every attribute class: nested composites, an enumeration with its
// second choice current, and one member held twice.
class MPersistentComposite;
MPersistentComposite* SampleTree();
