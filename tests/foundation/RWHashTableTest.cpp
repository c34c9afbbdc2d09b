#include "TestCollectables.h"

#include "foundation/RWHashTable.h"
#include "foundation/RWIdentitySet.h"
#include "foundation/RWSet.h"
#include "foundation/RWSlistCollectables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

typedef std::vector<int> Ints;

// Owns a row of test values 0 .. n-1.
struct Values {
    explicit Values(int n)
    {
        for (int i = 0; i < n; ++i)
            items.emplace_back(new TestValue(i));
    }
    RWCollectable* operator[](int i) { return items[i].get(); }
    // Inserts the first n values into c.
    template <class C>
    C& Into(C& c, int n)
    {
        for (int i = 0; i < n; ++i)
            c.Insert(items[i].get());
        return c;
    }
    std::vector<std::unique_ptr<TestValue>> items;
};

Ints Iterated(RWHashTableIterator& it)
{
    Ints values;
    while (RWCollectable* m = it.Next())
        values.push_back(ValueOf(m));
    std::sort(values.begin(), values.end());
    return values;
}

// Counts how often its own Hash and IsEqual are asked.
class Watched : public RWCollectable {
public:
    uint32_t Hash() const override
    {
        ++calls;
        return 0;
    }
    bool IsEqual(const RWCollectable* other) const override
    {
        ++calls;
        return other == this;
    }
    mutable int calls = 0;
};

} // namespace

TEST(RWHashTable, MembersLiveInTheBucketOfTheirHash)
{
    // With 4 buckets, 1 and 5 share bucket 1 and keep insertion order; 2 goes first.
    TestValue one(1), five(5), two(2);
    RWHashTable table(4);
    EXPECT_EQ((Ints{5, 1, 2}), ValuesOf(InsertEach(table, {&five, &one, &two})));
}

TEST(RWHashTable, DuplicatesStayInATableButNotInASet)
{
    TestValue a(3), same(3);
    RWHashTable table;
    EXPECT_EQ(&a, table.Insert(&a));
    EXPECT_EQ(&a, table.Insert(&a));
    EXPECT_EQ(&same, table.Insert(&same));
    EXPECT_EQ(3u, table.OccurrencesOf(&a));

    RWSet set;
    EXPECT_EQ(&a, set.Insert(&a));
    EXPECT_EQ(&a, set.Insert(&a));
    EXPECT_EQ(&a, set.Insert(&same));
    EXPECT_EQ(1u, set.Entries());
    EXPECT_EQ(1u, set.OccurrencesOf(&same));
}

TEST(RWHashTable, EqualButDistinctObjectsBothFitInAnIdentitySetThatNeverAsksThem)
{
    TestValue a(4), b(4), c(4);
    RWIdentitySet identity;
    EXPECT_EQ(&a, identity.Insert(&a));
    EXPECT_EQ(&b, identity.Insert(&b));
    EXPECT_EQ(&a, identity.Insert(&a));
    EXPECT_EQ(2u, identity.Entries());
    EXPECT_EQ(nullptr, identity.Find(&c));
    EXPECT_EQ(0u, identity.OccurrencesOf(&c));
    EXPECT_EQ(&b, identity.Remove(&b));
    EXPECT_EQ(nullptr, identity.Remove(&b));

    Watched w1, w2;
    RWIdentitySet watched;
    InsertEach(watched, {&w1, &w2});
    watched.Find(&w1);
    watched.Remove(&w2);
    watched.Resize(5);
    EXPECT_EQ(&w1, watched.Find(&w1));
    EXPECT_EQ(0, w1.calls + w2.calls);
}

TEST(RWHashTable, AbsentAndNullAreNeverFoundOrRemoved)
{
    TestValue a(1), b(2);
    RWHashTable table;
    RWIdentitySet identity;
    table.Insert(&a);
    EXPECT_EQ(nullptr, table.Remove(&b));
    EXPECT_EQ(nullptr, table.Insert(nullptr));
    EXPECT_EQ(nullptr, identity.Insert(nullptr));
    EXPECT_EQ(nullptr, table.Find(nullptr));
    EXPECT_EQ(nullptr, identity.Remove(nullptr));
    EXPECT_EQ(1u, table.Entries());
    EXPECT_TRUE(identity.IsEmpty());
}

TEST(RWHashTable, ResizeToZeroPicksACountFromTheEntries)
{
    const struct {
        int entries;
        uint32_t buckets;
    } cases[] = {{0, 16}, {11, 16}, {12, 18}, {100, 150}};
    EXPECT_EQ(2u, RWHashTable(0).Buckets());
    for (const auto& c : cases) {
        Values values(c.entries);
        RWHashTable table(3);
        values.Into(table, c.entries).Resize(0);
        EXPECT_EQ(c.buckets, table.Buckets()) << c.entries;
        EXPECT_EQ(size_t(c.entries), table.Entries());
        for (int i = 0; i < c.entries; ++i)
            EXPECT_EQ(values[i], table.Find(values[i]));
    }
    // Resizing inserts again: a table keeps its duplicates.
    TestValue a(1), b(2);
    RWHashTable table(4);
    InsertEach(table, {&a, &a, &b}).Resize(7);
    EXPECT_EQ(7u, table.Buckets());
    EXPECT_EQ(2u, table.OccurrencesOf(&a));
}

TEST(RWHashTable, CopyAndAssignmentShareMembersInNewBuckets)
{
    Values values(10);
    RWHashTable table(5);
    values.Into(table, 10);
    RWHashTable copy(table);
    EXPECT_EQ(5u, copy.Buckets());
    EXPECT_EQ(SortedValuesOf(table), SortedValuesOf(copy));
    copy.Remove(values[3]);
    EXPECT_EQ(values[3], table.Find(values[3]));

    RWHashTable assigned(9);
    TestValue stray(99);
    assigned.Insert(&stray);
    assigned = table;
    assigned = assigned;
    EXPECT_EQ(5u, assigned.Buckets());
    EXPECT_EQ(SortedValuesOf(table), SortedValuesOf(assigned));
    EXPECT_EQ(nullptr, assigned.Find(&stray));
}

TEST(RWHashTable, EqualityNeedsTheSameClassAndTheSameCounts)
{
    TestValue a(1), b(2), a2(1);
    RWHashTable x, y;
    InsertEach(x, {&a, &a, &b});
    InsertEach(y, {&b, &a2});
    EXPECT_FALSE(x.IsEqual(&y));
    y.Insert(&a);
    EXPECT_TRUE(x == y);
    y.Remove(&b);
    y.Insert(&a);
    EXPECT_TRUE(x != y); // same size, but b is missing

    // Each member at most as often as in the other, both ways: {a, a, b} and {a, b, b}
    // hold the same members the same number of times in all, but not each as often.
    RWHashTable twiceA, twiceB;
    InsertEach(twiceA, {&a, &a2, &b});
    InsertEach(twiceB, {&a, &b, &b});
    EXPECT_FALSE(twiceA.IsEqual(&twiceB));
    EXPECT_FALSE(twiceB.IsEqual(&twiceA));
    twiceB.Remove(&b);
    twiceB.Insert(&a2);
    EXPECT_TRUE(twiceA.IsEqual(&twiceB));
    EXPECT_TRUE(twiceB.IsEqual(&twiceA));

    RWSet set, other;
    RWHashTable table;
    set.Insert(&a);
    table.Insert(&a);
    other.Insert(&a2);
    EXPECT_FALSE(set.IsEqual(&table));
    EXPECT_FALSE(table.IsEqual(&set));
    EXPECT_TRUE(set.IsEqual(&other));

    // Identity sets are equal only with the same objects.
    TestValue b1(1), c(2);
    RWIdentitySet ix, iy;
    InsertEach(ix, {&a, &b1});
    InsertEach(iy, {&a, &c});
    EXPECT_FALSE(ix.IsEqual(&iy));
    iy.Remove(&c);
    iy.Insert(&b1);
    EXPECT_TRUE(ix.IsEqual(&iy));
    RWSet plain;
    EXPECT_FALSE(ix.IsEqual(&InsertEach(plain, {&a, &c})));
}

TEST(RWHashTable, AsSetHoldsEachMemberOnce)
{
    TestValue a(1), b(2), a2(1);
    RWHashTable table;
    RWSet set = InsertEach(table, {&a, &a2, &b, &b}).AsSet();
    EXPECT_EQ((Ints{1, 2}), SortedValuesOf(set));
}

TEST(RWHashTable, ClearAndDestroyDeletesEachObjectOnce)
{
    int deletions = 0;
    TestValue* a = new TestValue(1, &deletions);
    RWHashTable table;
    InsertEach(table, {a, a, a, new TestValue(2, &deletions)}).ClearAndDestroy();
    EXPECT_EQ(2, deletions);
    EXPECT_TRUE(table.IsEmpty());

    RWSet set;
    InsertEach(set, {new TestValue(3, &deletions), new TestValue(4, &deletions), &RWNilObject}).ClearAndDestroy();
    EXPECT_EQ(4, deletions);
    EXPECT_TRUE(set.IsEmpty());

    // A list goes through an identity pass too: an equal twin is another object.
    a = new TestValue(1, &deletions);
    RWSlistCollectables list;
    for (int i = 0; i < 40; ++i)
        list.Insert(a);
    list.Insert(new TestValue(1, &deletions));
    list.ClearAndDestroy();
    EXPECT_EQ(6, deletions);
}

TEST(RWSet, SubsetsAndIntersections)
{
    Values v(6);
    RWSet small, large;
    v.Into(small, 2);
    v.Into(large, 3);
    EXPECT_TRUE(small.IsProperSubsetOf(large));
    EXPECT_FALSE(large.IsSubsetOf(small));
    EXPECT_FALSE(small.IsProperSubsetOf(small));
    small.Insert(v[3]);
    EXPECT_FALSE(small.IsSubsetOf(large));

    RWSet a, b, result, reverse;
    v.Into(a, 5);
    InsertEach(b, {v[4], v[0], v[5]});
    a.IntersectionInto(b, result);
    b.IntersectionInto(a, reverse);
    EXPECT_EQ((Ints{0, 4}), SortedValuesOf(result));
    EXPECT_EQ((Ints{0, 4}), SortedValuesOf(reverse));
    a.IntersectWith(b);
    EXPECT_EQ((Ints{0, 4}), SortedValuesOf(a));
    a.IntersectWith(RWSet());
    EXPECT_TRUE(a.IsEmpty());
}

TEST(RWHashTableIterator, VisitsEveryMemberOnceAndStopsAtTheEnd)
{
    RWHashTable empty;
    RWHashTableIterator none(empty);
    TestValue absent(1);
    EXPECT_EQ(nullptr, none.Next());
    EXPECT_EQ(nullptr, none.RemoveCurrent());
    EXPECT_EQ(nullptr, none.RemoveNext(&absent));

    Values v(30);
    RWHashTable table(7);
    v.Into(table, 30);
    RWHashTableIterator it(table);
    Ints expected;
    for (int i = 0; i < 30; ++i)
        expected.push_back(i);
    EXPECT_EQ(expected, Iterated(it));
    EXPECT_EQ(nullptr, it.Next());
    EXPECT_EQ(nullptr, it.Key());
}

TEST(RWHashTableIterator, FindNextReachesEqualMembersAcrossBuckets)
{
    TestValue a(2), b(2), c(3), probe(2);
    RWHashTable table(4);
    RWHashTableIterator it(InsertEach(table, {&c, &a, &b}));
    EXPECT_EQ(&a, it.FindNext(&probe));
    EXPECT_EQ(&a, it.Key());
    EXPECT_EQ(&b, it.FindNext(&probe));
    EXPECT_EQ(nullptr, it.FindNext(&probe));
}

TEST(RWHashTableIterator, RemoveCurrentAndRemoveNextKeepTheWalkGoing)
{
    Values v(20);
    RWSet set(3);
    RWSetIterator it(v.Into(set, 20));
    Ints removed;
    while (RWCollectable* m = it.Next())
        if (ValueOf(m) % 2 == 0)
            removed.push_back(ValueOf(it.RemoveCurrent()));
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ((Ints{0, 2, 4, 6, 8, 10, 12, 14, 16, 18}), removed);
    EXPECT_EQ((Ints{1, 3, 5, 7, 9, 11, 13, 15, 17, 19}), SortedValuesOf(set));

    TestValue a(1), b(2), c(6), probe(6);
    RWHashTable table(4);
    RWHashTableIterator ahead(InsertEach(table, {&a, &b, &c}));
    EXPECT_EQ(&a, ahead.Next());
    EXPECT_EQ(&c, ahead.RemoveNext(&probe));
    EXPECT_EQ(&a, ahead.Key());
    EXPECT_EQ(2u, table.Entries());
    EXPECT_EQ(nullptr, ahead.RemoveNext(&probe));
    EXPECT_EQ(&b, ahead.Next());
}
