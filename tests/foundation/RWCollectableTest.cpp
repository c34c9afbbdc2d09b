#include "TestCollectables.h"

#include "foundation/RWCollectable.h"
#include "foundation/RWStringID.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <thread>
#include <vector>

TEST(RWCollectable, RootClassIdAndNamedIdRange)
{
    EXPECT_EQ(0x8007, RWCollectable().ClassId());
    EXPECT_EQ(0x8007, RWNilObject.ClassId());
    EXPECT_EQ(0x8000, RWNoClassId);
    EXPECT_FALSE(RWClassIdRangeForStringIds(0x8FFF));
    EXPECT_TRUE(RWClassIdRangeForStringIds(0x9000));
    EXPECT_TRUE(RWClassIdRangeForStringIds(0xF000));
    EXPECT_FALSE(RWClassIdRangeForStringIds(0xF001));
}

TEST(RWCollectable, RootObjectsHashOrderAndCompareByAddress)
{
    EXPECT_EQ(0x1200u, RWAddressHash(reinterpret_cast<const void*>(0x1000)));
    RWCollectable pair[2];
    const uint32_t a = uint32_t(reinterpret_cast<uintptr_t>(&pair[0]));
    EXPECT_EQ(a ^ (a >> 3), pair[0].Hash());
    EXPECT_EQ(0, pair[0].CompareTo(&pair[0]));
    EXPECT_EQ(-1, pair[0].CompareTo(&pair[1]));
    EXPECT_EQ(1, pair[1].CompareTo(&pair[0]));
    EXPECT_TRUE(pair[0].IsEqual(&pair[0]));
    EXPECT_FALSE(pair[0].IsEqual(&pair[1]));
    EXPECT_FALSE(pair[0].IsEqual(nullptr));
}

TEST(RWCollectable, CreateNewAndCopyMakeObjectsOfTheOwnClass)
{
    RWCollectable root;
    std::unique_ptr<RWCollectable> fresh(root.CreateNew());
    std::unique_ptr<RWCollectable> copy(root.Copy());
    EXPECT_EQ(0x8007, fresh->ClassId());
    EXPECT_FALSE(root.IsEqual(copy.get()));

    const TestValue v(5);
    const RWCollectable& asRoot = v;
    std::unique_ptr<RWCollectable> valueCopy(asRoot.Copy());
    EXPECT_EQ(TestValue::kClassId, valueCopy->ClassId());
    EXPECT_TRUE(v.IsEqual(valueCopy.get()));
}

TEST(RWCollectable, EqualityPredicateAsksTheFirstAndRefusesNull)
{
    TestValue a(1), b(1), c(2);
    EXPECT_TRUE(RWCollectableIsEqual(&a, &b));
    EXPECT_FALSE(RWCollectableIsEqual(&a, &c));
    EXPECT_FALSE(RWCollectableIsEqual(&a, nullptr));
    EXPECT_FALSE(RWCollectableIsEqual(nullptr, &a));
    RWCollectable root;
    EXPECT_FALSE(RWCollectableIsEqual(&root, &a));
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

TEST(RWStringID, DefaultIsNoIdAndNamesCompareByBytes)
{
    RWStringID none;
    EXPECT_STREQ("NoID", none.Data());
    EXPECT_TRUE(none.IsNoId());
    EXPECT_STREQ("No_RWStringID", RWStringID::kUnnamed);
    RWStringID a("GThing"), b(RWCString("GThing")), c("GThinG"), d(RWCString("GThing\0x", 8));
    EXPECT_FALSE(a.IsNoId());
    EXPECT_TRUE(a == b);
    EXPECT_TRUE(a != c);
    EXPECT_TRUE(a != d);
    EXPECT_EQ(8u, d.Length());
    EXPECT_EQ(a.Hash(), b.Hash());
    EXPECT_EQ(RWCString("GThing").Hash(RWCString::exact), a.Hash());
}
