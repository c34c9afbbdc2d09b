#include "TestCollectables.h"

#include "foundation/RWCollectable.h"
#include "foundation/RWStringID.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

TEST(RWCollectable, RootObjectsHashOrderAndCompareByAddress)
{
    EXPECT_EQ(0x1200u, RWAddressHash(reinterpret_cast<const void*>(0x1000)));
    RWCollectable pair[2];
    const uint32_t a = uint32_t(reinterpret_cast<uintptr_t>(&pair[0]));
    EXPECT_EQ(a ^ (a >> 3), pair[0].Hash());
    EXPECT_EQ(0, pair[0].CompareTo(&pair[0]));
    EXPECT_EQ(-1, pair[0].CompareTo(&pair[1]));
    EXPECT_EQ(1, pair[1].CompareTo(&pair[0]));
    EXPECT_FALSE(pair[0].IsEqual(&pair[1]));
}

TEST(RWCollectable, EqualityPredicateAsksTheFirstAndRefusesNull)
{
    TestValue a(1), b(1), c(2);
    EXPECT_TRUE(RWCollectableIsEqual(&a, &b));
    EXPECT_FALSE(RWCollectableIsEqual(&a, &c));
    EXPECT_FALSE(RWCollectableIsEqual(&a, nullptr));
    EXPECT_FALSE(RWCollectableIsEqual(nullptr, &a));
}

TEST(RWGenerateClassId, HandsOutDistinctNamedClassIdsAcrossThreads)
{
    std::vector<RWClassID> ids[4];
    std::vector<std::thread> threads;
    for (auto& list : ids)
        threads.emplace_back([&list] {
            for (int i = 0; i < 50; ++i)
                list.push_back(RWGenerateClassId());
        });
    for (auto& t : threads)
        t.join();
    std::set<RWClassID> all;
    for (const auto& list : ids)
        for (RWClassID id : list) {
            EXPECT_TRUE(RWClassIdRangeForStringIds(id));
            all.insert(id);
        }
    EXPECT_EQ(200u, all.size());
    for (const auto& list : ids)
        for (size_t i = 1; i < list.size(); ++i)
            EXPECT_LT(list[i - 1], list[i]);
}

TEST(RWStringID, NamesCompareByAllTheirBytesAndHashAsTheirText)
{
    RWStringID a("GThing"), b(RWCString("GThing")), c("GThinG"), d(RWCString("GThing\0x", 8));
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a != c);
    EXPECT_TRUE(a != d);
    EXPECT_EQ(RWCString("GThing").Hash(RWCString::exact), a.Hash());
}
