// The numbering and tagging of the tables are pinned by the stored-byte and crafted-data
// tests of the object graphs; these tests cover which table a thread and a nesting use.
#include "foundation/RWReadTable.h"
#include "foundation/RWStoreTable.h"

#include <gtest/gtest.h>

#include <thread>

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

// Forgetting objects among many (the address table grows and closes up its slots as
// objects leave) vacates exactly their numbers: every object still there keeps its own.
TEST(RWReadTable, ForgettingObjectsAmongManyVacatesExactlyTheirNumbers)
{
    static RWCollectable pool[1000];
    const uint32_t count = 1000;
    RWReadTableGuard guard;
    RWReadTable& table = guard.Table();
    for (uint32_t i = 0; i < count; ++i)
        table.AppendObject(&pool[i], false);
    auto expectPresent = [&](auto present) {
        for (uint32_t i = 0; i < count; ++i) {
            RWCollectable* obj = nullptr;
            const bool found = table.ObjectAt(i + 1, obj);
            EXPECT_EQ(present(i), found) << i;
            if (found) {
                EXPECT_EQ(&pool[i], obj) << i;
            }
        }
    };
    for (uint32_t i = 0; i < count; i += 3)
        table.Forget(&pool[i]);
    expectPresent([](uint32_t i) { return i % 3 != 0; });
    for (uint32_t i = 1; i < count; i += 3)
        table.Forget(&pool[i]);
    expectPresent([](uint32_t i) { return i % 3 == 2; });
    // A second forget of the same object changes nothing.
    table.Forget(&pool[0]);
    expectPresent([](uint32_t i) { return i % 3 == 2; });

    // An object read inside another goes with it; the one read after them stays.
    RWCollectable outer, inner, after;
    const uint32_t first = table.Entries();
    table.AppendObject(&outer, false);
    ASSERT_TRUE(table.Begin(&outer));
    table.AppendObject(&inner, false);
    table.End();
    table.AppendObject(&after, false);
    table.Forget(&outer);
    RWCollectable* obj = nullptr;
    EXPECT_FALSE(table.ObjectAt(first, obj));
    EXPECT_FALSE(table.ObjectAt(first + 1, obj));
    EXPECT_TRUE(table.ObjectAt(first + 2, obj));
    EXPECT_EQ(&after, obj);
    expectPresent([](uint32_t i) { return i % 3 == 2; });
}
