#include "TestCollectables.h"

#include "foundation/RWReadTable.h"
#include "foundation/RWStoreTable.h"

#include <gtest/gtest.h>

#include <thread>

TEST(RWStoreTable, NilIsNumberZeroAndObjectsAndNamesShareOneNumbering)
{
    RWStoreTable table;
    uint32_t n = 99;
    EXPECT_FALSE(table.Add(&RWNilObject, n));
    EXPECT_EQ(0u, n);
    TestValue a(1), b(1);
    EXPECT_TRUE(table.Add(&a, n));
    EXPECT_EQ(1u, n);
    EXPECT_TRUE(table.Add(RWStringID("Name"), n));
    EXPECT_EQ(2u, n);
    // Equal values are distinct objects: entries compare addresses.
    EXPECT_TRUE(table.Add(&b, n));
    EXPECT_EQ(3u, n);
    EXPECT_FALSE(table.Add(&a, n));
    EXPECT_EQ(1u, n);
    EXPECT_FALSE(table.Add(RWStringID("Name"), n));
    EXPECT_EQ(2u, n);
    EXPECT_TRUE(table.Add(RWStringID("name"), n));
    EXPECT_EQ(4u, n);
    EXPECT_EQ(5u, table.Entries());
}

TEST(RWStoreTable, GuardsShareTheThreadsTableAndTheOutermostOneCloses)
{
    RWStoreTable* outerTable = nullptr;
    {
        RWStoreTableGuard outer;
        EXPECT_TRUE(outer.Created());
        outerTable = &outer.Table();
        {
            RWStoreTableGuard inner;
            EXPECT_FALSE(inner.Created());
            EXPECT_EQ(outerTable, &inner.Table());
            RWStoreTableGuard sizing(RWStoreTableGuard::kSize);
            EXPECT_TRUE(sizing.Created());
            EXPECT_NE(outerTable, &sizing.Table());
        }
        RWStoreTable* other = nullptr;
        std::thread([&other] {
            RWStoreTableGuard guard;
            EXPECT_TRUE(guard.Created());
            other = &guard.Table();
        }).join();
        EXPECT_NE(outerTable, other);
    }
    RWStoreTableGuard again;
    EXPECT_TRUE(again.Created());
}

TEST(RWReadTable, EntriesAreTaggedWithWhatTheyHold)
{
    RWReadTable table;
    EXPECT_EQ(1u, table.Entries());
    RWCollectable* obj = nullptr;
    RWClassID id = 0;
    ASSERT_TRUE(table.ObjectAt(0, obj));
    EXPECT_EQ(&RWNilObject, obj);
    EXPECT_FALSE(table.ClassIdAt(0, id));

    TestValue a(1);
    table.AppendObject(&a, false);
    table.AppendClassId(0x9001);
    EXPECT_TRUE(table.ObjectAt(1, obj));
    EXPECT_EQ(&a, obj);
    EXPECT_FALSE(table.ObjectAt(2, obj));
    EXPECT_TRUE(table.ClassIdAt(2, id));
    EXPECT_EQ(0x9001, id);
    EXPECT_FALSE(table.ObjectAt(3, obj));
    EXPECT_FALSE(table.ClassIdAt(3, id));
    EXPECT_FALSE(table.ObjectAt(0xFFFFFFFF, obj));

    table.Vacate(1);
    EXPECT_FALSE(table.ObjectAt(1, obj));
    EXPECT_FALSE(table.ClassIdAt(1, id));

    // Past its first room the table grows.
    TestValue values[100];
    for (TestValue& v : values)
        table.AppendObject(&v, false);
    EXPECT_EQ(103u, table.Entries());
    for (uint32_t i = 0; i < 100; ++i) {
        ASSERT_TRUE(table.ObjectAt(i + 3, obj));
        EXPECT_EQ(&values[i], obj);
    }
}

TEST(RWReadTable, KnowsWhatIsInProgressAndWhatWasReadInPlace)
{
    RWReadTable table;
    TestValue a(1), b(2);
    table.AppendObject(&a, true);
    table.AppendObject(&b, false);
    EXPECT_TRUE(table.IsInPlace(&a));
    EXPECT_FALSE(table.IsInPlace(&b));
    EXPECT_TRUE(table.Begin(&a));
    EXPECT_TRUE(table.Begin(&b));
    EXPECT_TRUE(table.IsInProgress(&a));
    EXPECT_TRUE(table.IsInProgress(&b));
    table.End();
    EXPECT_FALSE(table.IsInProgress(&b));
    table.End();
    EXPECT_FALSE(table.IsInProgress(&a));
    for (size_t i = 0; i < RWReadTable::kMaxDepth; ++i)
        EXPECT_TRUE(table.Begin(&a));
    EXPECT_FALSE(table.Begin(&b));
    EXPECT_FALSE(table.IsInProgress(&b));
}

TEST(RWReadTable, CurrentIsTheGuardedTableOfThisThread)
{
    EXPECT_EQ(nullptr, RWReadTable::Current());
    {
        RWReadTableGuard outer;
        EXPECT_TRUE(outer.Created());
        EXPECT_EQ(&outer.Table(), RWReadTable::Current());
        RWReadTableGuard inner;
        EXPECT_FALSE(inner.Created());
        EXPECT_EQ(&outer.Table(), &inner.Table());
        std::thread([] { EXPECT_EQ(nullptr, RWReadTable::Current()); }).join();
    }
    EXPECT_EQ(nullptr, RWReadTable::Current());
}
