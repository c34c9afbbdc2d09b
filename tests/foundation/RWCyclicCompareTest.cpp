// Restored graphs may hold cycles: comparing them must end, and a restore that compares
// members (a set refusing duplicates) must never recurse without bound.
#include "foundation/RWBTreeDictionary.h"
#include "foundation/RWBinaryInStream.h"
#include "foundation/RWBinaryOutStream.h"
#include "foundation/RWHashTable.h"
#include "foundation/RWSet.h"
#include "foundation/RWSlistCollectables.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

namespace {

// A list that holds itself.
std::unique_ptr<RWSlistCollectables> SelfList()
{
    std::unique_ptr<RWSlistCollectables> list(new RWSlistCollectables);
    list->Append(list.get());
    return list;
}

} // namespace

TEST(RWCyclicCompare, CollectionsHoldingThemselvesCompareUnequalAndTheComparisonEnds)
{
    auto a = SelfList();
    auto b = SelfList();
    EXPECT_FALSE(a->IsEqual(b.get()));
    EXPECT_TRUE(a->IsEqual(a.get()));

    // Each table's only member is itself, so the members are compared with each other.
    RWHashTable ta(1), tb(1);
    ta.Insert(&ta);
    tb.Insert(&tb);
    EXPECT_FALSE(ta.IsEqual(&tb));
    ta.Clear();
    tb.Clear();

    RWCollectable key;
    RWBTreeDictionary da, db;
    da.InsertKeyAndValue(&key, &da);
    db.InsertKeyAndValue(&key, &db);
    EXPECT_FALSE(da.IsEqual(&db));
}

TEST(RWCyclicCompare, MembersSharedAtEveryLevelStopAtTheBound)
{
    // Each list holds the one below it twice: two such towers would take 2^48 member
    // comparisons to tell equal.
    const int levels = 48;
    std::vector<std::unique_ptr<RWSlistCollectables>> a, b;
    for (auto* tower : {&a, &b}) {
        tower->emplace_back(new RWSlistCollectables);
        for (int i = 0; i < levels; ++i) {
            RWSlistCollectables* below = tower->back().get();
            tower->emplace_back(new RWSlistCollectables);
            tower->back()->Append(below);
            tower->back()->Append(below);
        }
    }
    EXPECT_FALSE(a.back()->IsEqual(b.back().get()));
    // Below the bound the rule is the usual one, and a spent bound is not left behind.
    EXPECT_TRUE(a[4]->IsEqual(b[4].get()));
}

TEST(RWCyclicCompare, SetOfListsHoldingThemselvesRestoresWithoutEndlessRecursion)
{
    // Written as a hash table, which never compares members, then read back as a set:
    // more lists than the set has buckets, so two of them share a bucket and the set
    // compares them when it takes the second.
    const size_t count = 100;
    std::vector<std::unique_ptr<RWSlistCollectables>> lists;
    RWHashTable table(1);
    for (size_t i = 0; i < count; ++i) {
        lists.push_back(SelfList());
        table.Insert(lists.back().get());
    }
    std::stringbuf buffer;
    {
        RWBinaryOutStream out(&buffer);
        out << static_cast<const RWCollectable*>(&table);
        ASSERT_TRUE(out.Good());
    }
    table.Clear();
    std::string bytes = buffer.str();
    ASSERT_EQ(':', bytes[0]);
    ASSERT_EQ(char(0x5E), bytes[1]);
    ASSERT_EQ(char(0x80), bytes[2]);
    bytes[1] = char(0x2B); // RWSet

    std::stringbuf input(bytes);
    RWBinaryInStream in(&input);
    RWCollectable* restored = nullptr;
    in >> restored;
    std::unique_ptr<RWSet> set(dynamic_cast<RWSet*>(restored));
    ASSERT_NE(nullptr, set);
    EXPECT_TRUE(in.Good());
    EXPECT_EQ(count, set->Entries());
    set->ClearAndDestroy();
}
