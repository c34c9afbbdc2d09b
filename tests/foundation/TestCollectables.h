// Collectables for the collection tests: a value object equal by value that counts its
// deletions, and helpers that fill and read collections.
#pragma once

#include "DeletionCount.h"

#include "foundation/RWCollectable.h"
#include "foundation/RWCollection.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

class TestValue : public RWCollectable {
public:
    static constexpr RWClassID kClassId = 0x1234;

    explicit TestValue(int value = 0, int* deletions = nullptr) : value_(value), deletions_(deletions) {}

    RWCollectable* CreateNew() const override { return new TestValue; }
    RWCollectable* Copy() const override { return new TestValue(value_); }
    RWClassID ClassId() const override { return kClassId; }
    bool IsEqual(const RWCollectable* other) const override
    {
        return other && other->ClassId() == kClassId && static_cast<const TestValue*>(other)->value_ == value_;
    }
    uint32_t Hash() const override { return uint32_t(value_); }

    int Value() const { return value_; }

private:
    int value_;
    DeletionCount deletions_;
};

// The value of a member that is a TestValue, -1 for null.
inline int ValueOf(const RWCollectable* c) { return c ? static_cast<const TestValue*>(c)->Value() : -1; }

// Inserts each member in turn (a list appends, a stack pushes); returns c.
template <class C>
C& InsertEach(C& c, std::initializer_list<RWCollectable*> members)
{
    for (RWCollectable* m : members)
        c.Insert(m);
    return c;
}

// The TestValue values of a collection's members, in its own order.
inline std::vector<int> ValuesOf(const RWCollection& c)
{
    std::vector<int> values;
    c.Apply([](RWCollectable* m, void* arg) { static_cast<std::vector<int>*>(arg)->push_back(ValueOf(m)); },
            &values);
    return values;
}

inline std::vector<int> SortedValuesOf(const RWCollection& c)
{
    std::vector<int> values = ValuesOf(c);
    std::sort(values.begin(), values.end());
    return values;
}
