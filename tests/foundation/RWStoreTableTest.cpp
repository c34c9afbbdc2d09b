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
