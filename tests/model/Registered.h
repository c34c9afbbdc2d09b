// Whether the class factory makes objects of a class by its id and by its name.
#pragma once

#include "foundation/RWFactory.h"

#include <gtest/gtest.h>

#include <memory>

inline testing::AssertionResult IsRegistered(RWClassID id, const char* name)
{
    std::unique_ptr<RWCollectable> byId(RWFactoryCreate(id));
    std::unique_ptr<RWCollectable> byName(RWFactoryCreate(RWStringID(name)));
    if (!byId || byId->ClassId() != id)
        return testing::AssertionFailure() << name << ": nothing of class " << id << " made by id";
    if (!byName || byName->ClassId() != id)
        return testing::AssertionFailure() << name << ": nothing of class " << id << " made by name";
    return testing::AssertionSuccess();
}
