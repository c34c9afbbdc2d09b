// Collectables for the collection tests: a value object equal by value that counts its
// deletions.
#pragma once

#include "foundation/RWCollectable.h"

class TestValue : public RWCollectable {
public:
    static constexpr RWClassID kClassId = 0x1234;

    explicit TestValue(int value = 0, int* deletions = nullptr) : value_(value), deletions_(deletions) {}
    ~TestValue() override
    {
        if (deletions_)
            ++*deletions_;
    }

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
    int* deletions_;
};

// The value of a member that is a TestValue, -1 for null.
inline int ValueOf(const RWCollectable* c) { return c ? static_cast<const TestValue*>(c)->Value() : -1; }
