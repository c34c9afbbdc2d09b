// A collectable ordered, hashed and compared by an integer value, for the sorted
// collections and dictionaries. It counts its deletions when given a counter, the
// objects alive, and the calls that reach it with a null argument. Stored form: the
// value as a 32-bit int.
#pragma once

#include "TestCollectables.h"

#include "foundation/RWBTreeDictionary.h"
#include "foundation/RWBinaryFile.h"
#include "foundation/RWCollectable.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"

#include <cstdint>
#include <utility>
#include <vector>

class TestKey : public RWCollectable {
public:
    static constexpr RWClassID kClassId = 0x1235;

    explicit TestKey(int32_t value = 0, int* deletions = nullptr) : value_(value), deletions_(deletions) { ++alive; }
    ~TestKey() override { --alive; }

    RWCollectable* CreateNew() const override { return new TestKey; }
    RWCollectable* Copy() const override { return new TestKey(value_); }
    RWClassID ClassId() const override { return kClassId; }
    uint32_t Hash() const override { return uint32_t(value_); }
    // Another TestKey by value; anything else by class id.
    int CompareTo(const RWCollectable* other) const override
    {
        if (!other) {
            ++nullArguments;
            return 1;
        }
        if (other->ClassId() != kClassId)
            return kClassId < other->ClassId() ? -1 : 1;
        const int32_t theirs = static_cast<const TestKey*>(other)->value_;
        return value_ < theirs ? -1 : (value_ > theirs ? 1 : 0);
    }
    bool IsEqual(const RWCollectable* other) const override
    {
        if (!other)
            ++nullArguments;
        return other && other->ClassId() == kClassId && static_cast<const TestKey*>(other)->value_ == value_;
    }

    uint32_t BinaryStoreSize() const override { return 4; }
    void SaveGuts(RWBinaryFile& file) const override { file.Write(static_cast<int>(value_)); }
    void SaveGuts(RWDataOutStream& stream) const override { stream << static_cast<int>(value_); }
    void RestoreGuts(RWBinaryFile& file) override
    {
        int v = 0;
        file.Read(v);
        value_ = v;
    }
    void RestoreGuts(RWDataInStream& stream) override
    {
        int v = 0;
        stream >> v;
        value_ = v;
    }

    int32_t Value() const { return value_; }

    // Calls of CompareTo or IsEqual with a null argument, in every TestKey.
    static inline int nullArguments = 0;
    // TestKey objects alive.
    static inline int alive = 0;

private:
    int32_t value_;
    DeletionCount deletions_;
};

// The value of a member that is a TestKey, -1 for null.
inline int KeyOf(const RWCollectable* c) { return c ? static_cast<const TestKey*>(c)->Value() : -1; }

// The TestKey values of a collection's members, in its own order.
inline std::vector<int> Keys(const RWCollection& c)
{
    std::vector<int> keys;
    c.Apply([](RWCollectable* m, void* arg) { static_cast<std::vector<int>*>(arg)->push_back(KeyOf(m)); }, &keys);
    return keys;
}

typedef std::vector<std::pair<int, int>> Pairs;

// The (key, value) TestKey values of a dictionary, in key order.
inline Pairs PairsOf(const RWBTreeDictionary& d)
{
    Pairs pairs;
    d.ApplyToKeyAndValue(
        [](RWCollectable* k, RWCollectable* v, void* arg) { static_cast<Pairs*>(arg)->emplace_back(KeyOf(k), KeyOf(v)); },
        &pairs);
    return pairs;
}
