#include "TestKey.h"

#include "foundation/RWBTree.h"
#include "foundation/RWBTreeIterator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <set>
#include <vector>

namespace {

// Heap keys 0 .. n-1, owned by the test.
std::vector<std::unique_ptr<TestKey>> MakeKeys(int n)
{
    std::vector<std::unique_ptr<TestKey>> keys;
    for (int i = 0; i < n; ++i)
        keys.emplace_back(new TestKey(i));
    return keys;
}

void InsertAll(RWBTree& tree, const std::vector<std::unique_ptr<TestKey>>& keys)
{
    for (auto& k : keys)
        tree.Insert(k.get());
}

int IsOdd(const RWCollectable* m, const void*) { return KeyOf(m) % 2; }

} // namespace

TEST(RWBTreeBasics, InsertFindAndRemoveGoByCompareToAndNeverTakeNull)
{
    TestKey a(1), b(2), probe(2), twin(1);
    RWBTree tree;
    EXPECT_EQ(&a, tree.Insert(&a));
    EXPECT_EQ(&b, tree.Insert(&b));
    // An equal member is not inserted: the stored one answers.
    EXPECT_EQ(&a, tree.Insert(&twin));
    EXPECT_EQ(2u, tree.Entries());
    EXPECT_EQ(&b, tree.Find(&probe));
    EXPECT_EQ(&b, tree.Remove(&probe));
    EXPECT_EQ(nullptr, tree.Remove(&probe));
    EXPECT_EQ(1u, tree.Entries());

    // Null is neither inserted nor handed to a member's comparison.
    TestKey::nullArguments = 0;
    EXPECT_EQ(nullptr, tree.Insert(nullptr));
    EXPECT_EQ(nullptr, tree.Find(nullptr));
    EXPECT_EQ(nullptr, tree.Remove(nullptr));
    EXPECT_EQ(1u, tree.Entries());
    EXPECT_EQ(0, TestKey::nullArguments);
}

TEST(RWBTreeShape, HundredAndOneAscendingKeysSplitTheRootOnce)
{
    auto keys = MakeKeys(101);
    RWBTree tree;
    for (int i = 0; i < 100; ++i)
        tree.Insert(keys[i].get());
    EXPECT_EQ(1u, tree.Height());
    tree.Insert(keys[100].get());
    // Two levels whose leaves hold at least 50 items each: one root item over two
    // leaves of 50.
    EXPECT_EQ(2u, tree.Height());
    EXPECT_EQ(101u, tree.Entries());
    EXPECT_TRUE(tree.IsConsistent());
}

TEST(RWBTreeShape, RemovingEveryMemberLeavesAnEmptyTree)
{
    auto keys = MakeKeys(1000);
    std::vector<int> order(1000);
    for (int i = 0; i < 1000; ++i)
        order[i] = i;
    for (int pass = 0; pass < 3; ++pass) {
        RWBTree tree;
        InsertAll(tree, keys);
        EXPECT_EQ(2u, tree.Height());
        if (pass == 1)
            std::reverse(order.begin(), order.end());
        if (pass == 2)
            std::shuffle(order.begin(), order.end(), std::mt19937(5));
        for (int i : order) {
            ASSERT_EQ(keys[i].get(), tree.Remove(keys[i].get()));
            ASSERT_TRUE(tree.IsConsistent());
        }
        EXPECT_TRUE(tree.IsEmpty());
        EXPECT_EQ(0u, tree.Height());
    }
}

// Random inserts and removes, mirrored in a std::set, with the structure checked after
// every step. The first phase grows the tree past three levels, the second shrinks it,
// and the rest is removed in random order.
TEST(RWBTreeSoak, RandomInsertAndRemoveMatchesStdSet)
{
    const int kRange = 30000;
    auto keys = MakeKeys(kRange);
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> pick(0, kRange - 1);
    std::uniform_int_distribution<int> percent(0, 99);

    RWBTree tree;
    std::set<int> mirror;
    unsigned highest = 0;
    auto step = [&](bool insert, int v) {
        TestKey probe(v);
        if (insert) {
            mirror.insert(v);
            ASSERT_EQ(keys[v].get(), tree.Insert(keys[v].get()));
        } else {
            const bool present = mirror.erase(v) == 1;
            ASSERT_EQ(present ? keys[v].get() : nullptr, tree.Remove(&probe));
        }
        ASSERT_EQ(mirror.size(), tree.Entries());
        ASSERT_TRUE(tree.IsConsistent());
        ASSERT_EQ(mirror.count(v) ? keys[v].get() : nullptr, tree.Find(&probe));
        highest = std::max(highest, tree.Height());
    };

    for (int i = 0; i < 20000; ++i)
        ASSERT_NO_FATAL_FAILURE(step(percent(random) < 80, pick(random)));
    EXPECT_EQ(std::vector<int>(mirror.begin(), mirror.end()), Keys(tree));
    for (int i = 0; i < 20000; ++i)
        ASSERT_NO_FATAL_FAILURE(step(percent(random) < 20, pick(random)));
    EXPECT_EQ(std::vector<int>(mirror.begin(), mirror.end()), Keys(tree));

    std::vector<int> rest(mirror.begin(), mirror.end());
    std::shuffle(rest.begin(), rest.end(), random);
    for (int v : rest)
        ASSERT_NO_FATAL_FAILURE(step(false, v));
    EXPECT_TRUE(tree.IsEmpty());
    EXPECT_EQ(0u, tree.Height());
    EXPECT_GE(highest, 3u);
}

// Dense churn on a small range keeps the tree around one split, where borrowing and
// merging happen on almost every step.
TEST(RWBTreeSoak, ChurnAroundTheFirstSplitMatchesStdSet)
{
    const int kRange = 260;
    auto keys = MakeKeys(kRange);
    std::mt19937 random(77);
    std::uniform_int_distribution<int> pick(0, kRange - 1);
    RWBTree tree;
    std::set<int> mirror;
    for (int i = 0; i < 20000; ++i) {
        const int v = pick(random);
        if (random() % 2) {
            mirror.insert(v);
            tree.Insert(keys[v].get());
        } else {
            TestKey probe(v);
            ASSERT_EQ(mirror.erase(v) ? keys[v].get() : nullptr, tree.Remove(&probe));
        }
        ASSERT_EQ(mirror.size(), tree.Entries());
        ASSERT_TRUE(tree.IsConsistent());
    }
    EXPECT_EQ(std::vector<int>(mirror.begin(), mirror.end()), Keys(tree));
}

TEST(RWBTreeOrder, IteratorWalksInAscendingOrderAndFindsTheNextEqualMember)
{
    auto keys = MakeKeys(500);
    std::vector<int> order(500);
    for (int i = 0; i < 500; ++i)
        order[i] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(3));
    RWBTree tree;
    for (int i : order)
        tree.Insert(keys[i].get());

    std::sort(order.begin(), order.end());
    RWBTreeIterator it(tree);
    std::vector<int> walked;
    while (RWCollectable* m = it.Next()) {
        EXPECT_EQ(m, it.Key());
        walked.push_back(KeyOf(m));
    }
    EXPECT_EQ(order, walked);
    EXPECT_EQ(nullptr, it.Next());

    it.Reset();
    TestKey probe(250), missing(999);
    EXPECT_EQ(keys[250].get(), it.FindNext(&probe));
    EXPECT_EQ(keys[251].get(), it.Next());
    EXPECT_EQ(nullptr, it.FindNext(&probe));
    it.Reset();
    EXPECT_EQ(nullptr, it.FindNext(&missing));
    EXPECT_EQ(nullptr, it.Key());
}

TEST(RWBTreeCopies, CopiesShareTheMembersAndEqualityComparesThem)
{
    auto keys = MakeKeys(150);
    RWBTree tree;
    InsertAll(tree, keys);
    RWBTree copy(tree);
    EXPECT_EQ(keys[77].get(), copy.Find(keys[77].get()));
    EXPECT_TRUE(copy.IsConsistent());
    RWBTree other;
    TestKey lone(999);
    other.Insert(&lone);
    other = tree;
    other = other;
    EXPECT_EQ(Keys(tree), Keys(other));

    TestKey a(1), b(2), a2(1), b2(2), c2(4);
    RWBTree x, y, z;
    InsertEach(x, {&a, &b});
    InsertEach(y, {&b2, &a2});
    EXPECT_TRUE(x.IsEqual(&y));
    z.Insert(&a);
    EXPECT_FALSE(x.IsEqual(&z));
    z.Insert(&c2);
    EXPECT_FALSE(x.IsEqual(&z));
}

TEST(RWBTreeCollection, ClearForgetsAndTheDestroyingFormsDeleteOnce)
{
    int deletions = 0;
    RWBTree tree;
    for (int i = 0; i < 120; ++i)
        tree.Insert(new TestKey(i, &deletions));
    RWBTree sameMembers(tree);
    tree.Clear();
    EXPECT_EQ(0, deletions);
    sameMembers.ClearAndDestroy();
    EXPECT_EQ(120, deletions);

    tree.Insert(new TestKey(5, &deletions));
    TestKey probe(5);
    tree.RemoveAndDestroy(&probe);
    EXPECT_EQ(121, deletions);
    EXPECT_TRUE(tree.IsEmpty());

    auto keys = MakeKeys(20);
    InsertAll(tree, keys);
    std::unique_ptr<RWCollection> odd(tree.Select(IsOdd, nullptr));
    EXPECT_EQ((std::vector<int>{1, 3, 5, 7, 9, 11, 13, 15, 17, 19}), Keys(*odd));
}
