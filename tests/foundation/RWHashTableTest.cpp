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

std::vector<int> SortedValues(const RWCollection& c)
{
    std::vector<int> values;
    c.Apply([](RWCollectable* m, void* arg) { static_cast<std::vector<int>*>(arg)->push_back(ValueOf(m)); },
            &values);
    std::sort(values.begin(), values.end());
    return values;
}

std::vector<int> IteratedValues(RWHashTableIterator& it)
{
    std::vector<int> values;
    while (RWCollectable* m = it.Next())
        values.push_back(ValueOf(m));
    std::sort(values.begin(), values.end());
    return values;
}

// Owns a row of test values 0 .. n-1.
struct Values {
    explicit Values(int n)
    {
        for (int i = 0; i < n; ++i)
            items.emplace_back(new TestValue(i));
    }
    RWCollectable* operator[](int i) { return items[i].get(); }
    std::vector<std::unique_ptr<TestValue>> items;
};

} // namespace

TEST(RWHashTable, ClassIdsAndDefaultBuckets)
{
    RWHashTable table;
    RWSet set;
    RWIdentitySet identity;
    EXPECT_EQ(0x805E, table.ClassId());
    EXPECT_EQ(0x802B, set.ClassId());
    EXPECT_EQ(0x8025, identity.ClassId());
    EXPECT_EQ(64u, table.Buckets());
    EXPECT_EQ(64u, set.Buckets());
    EXPECT_EQ(64u, identity.Buckets());
    std::unique_ptr<RWCollectable> fresh(identity.CreateNew());
    EXPECT_EQ(0x8025, fresh->ClassId());
}

TEST(RWHashTable, ZeroBucketsBecomeTwo)
{
    RWHashTable table(0);
    EXPECT_EQ(2u, table.Buckets());
    TestValue a(7);
    table.Insert(&a);
    EXPECT_EQ(&a, table.Find(&a));
}

TEST(RWHashTable, MembersLiveInTheBucketOfTheirHash)
{
    // With 4 buckets, 1 and 5 share bucket 1 and keep insertion order; 2 goes first.
    TestValue one(1), five(5), two(2);
    RWHashTable table(4);
    table.Insert(&five);
    table.Insert(&one);
    table.Insert(&two);
    std::vector<int> order;
    table.Apply([](RWCollectable* m, void* arg) { static_cast<std::vector<int>*>(arg)->push_back(ValueOf(m)); },
                &order);
    EXPECT_EQ((std::vector<int>{5, 1, 2}), order);
}

TEST(RWHashTable, DuplicatesStayInATableButNotInASet)
{
    TestValue a(3), same(3);
    RWHashTable table;
    EXPECT_EQ(&a, table.Insert(&a));
    EXPECT_EQ(&a, table.Insert(&a));
    EXPECT_EQ(&same, table.Insert(&same));
    EXPECT_EQ(3u, table.Entries());
    EXPECT_EQ(3u, table.OccurrencesOf(&a));

    RWSet set;
    EXPECT_EQ(&a, set.Insert(&a));
    EXPECT_EQ(&a, set.Insert(&a));
    EXPECT_EQ(&a, set.Insert(&same));
    EXPECT_EQ(1u, set.Entries());
    EXPECT_EQ(1u, set.OccurrencesOf(&same));
}

TEST(RWHashTable, EqualButDistinctObjectsBothFitInAnIdentitySet)
{
    TestValue a(4), b(4);
    RWIdentitySet identity;
    EXPECT_EQ(&a, identity.Insert(&a));
    EXPECT_EQ(&b, identity.Insert(&b));
    EXPECT_EQ(&a, identity.Insert(&a));
    EXPECT_EQ(2u, identity.Entries());
    EXPECT_EQ(&b, identity.Find(&b));
    TestValue c(4);
    EXPECT_EQ(nullptr, identity.Find(&c));
    EXPECT_EQ(0u, identity.OccurrencesOf(&c));
    EXPECT_EQ(&b, identity.Remove(&b));
    EXPECT_EQ(nullptr, identity.Remove(&b));
    EXPECT_EQ(1u, identity.Entries());
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

TEST(RWHashTable, IdentitySetNeverAsksTheMembers)
{
    Watched a, b;
    RWIdentitySet identity;
    identity.Insert(&a);
    identity.Insert(&b);
    identity.Find(&a);
    identity.Remove(&b);
    identity.Resize(5);
    EXPECT_EQ(0, a.calls);
    EXPECT_EQ(0, b.calls);
    EXPECT_EQ(&a, identity.Find(&a));
}

TEST(RWHashTable, RemovingAnAbsentObjectChangesNothing)
{
    TestValue a(1), b(2);
    RWHashTable table;
    table.Insert(&a);
    EXPECT_EQ(nullptr, table.Remove(&b));
    EXPECT_EQ(1u, table.Entries());
    EXPECT_EQ(&a, table.Remove(&a));
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_EQ(nullptr, table.Find(&a));
}

TEST(RWHashTable, NullIsNeverAMember)
{
    RWHashTable table;
    RWIdentitySet identity;
    EXPECT_EQ(nullptr, table.Insert(nullptr));
    EXPECT_EQ(nullptr, identity.Insert(nullptr));
    EXPECT_EQ(0u, table.Entries());
    EXPECT_EQ(nullptr, table.Find(nullptr));
    EXPECT_EQ(0u, table.OccurrencesOf(nullptr));
    EXPECT_EQ(nullptr, identity.Remove(nullptr));
}

TEST(RWHashTable, ResizeToZeroPicksACountFromTheEntries)
{
    const struct {
        int entries;
        uint32_t buckets;
    } cases[] = {{0, 16}, {11, 16}, {12, 18}, {100, 150}};
    for (const auto& c : cases) {
        Values values(c.entries);
        RWHashTable table(3);
        for (int i = 0; i < c.entries; ++i)
            table.Insert(values[i]);
        table.Resize(0);
        EXPECT_EQ(c.buckets, table.Buckets()) << c.entries;
        EXPECT_EQ(size_t(c.entries), table.Entries());
        for (int i = 0; i < c.entries; ++i)
            EXPECT_EQ(values[i], table.Find(values[i]));
    }
}

TEST(RWHashTable, ResizeInsertsAgainSoASetDropsNothingAndATableKeepsDuplicates)
{
    TestValue a(1), b(2);
    RWHashTable table(4);
    table.Insert(&a);
    table.Insert(&a);
    table.Insert(&b);
    table.Resize(7);
    EXPECT_EQ(7u, table.Buckets());
    EXPECT_EQ(3u, table.Entries());
    EXPECT_EQ(2u, table.OccurrencesOf(&a));
}

TEST(RWHashTable, CopyAndAssignmentShareMembersInNewBuckets)
{
    Values values(10);
    RWHashTable table(5);
    for (int i = 0; i < 10; ++i)
        table.Insert(values[i]);
    RWHashTable copy(table);
    EXPECT_EQ(5u, copy.Buckets());
    EXPECT_EQ(SortedValues(table), SortedValues(copy));
    copy.Remove(values[3]);
    EXPECT_EQ(10u, table.Entries());
    EXPECT_EQ(values[3], table.Find(values[3]));

    RWHashTable assigned(9);
    TestValue stray(99);
    assigned.Insert(&stray);
    assigned = table;
    EXPECT_EQ(5u, assigned.Buckets());
    EXPECT_EQ(SortedValues(table), SortedValues(assigned));
    EXPECT_EQ(nullptr, assigned.Find(&stray));
    assigned = assigned;
    EXPECT_EQ(10u, assigned.Entries());

    std::unique_ptr<RWCollectable> viaCopy(table.Copy());
    EXPECT_TRUE(table.IsEqual(viaCopy.get()));
}

TEST(RWHashTable, EqualityNeedsTheSameClassAndTheSameCounts)
{
    TestValue a(1), b(2), a2(1);
    RWHashTable x, y;
    x.Insert(&a);
    x.Insert(&a);
    x.Insert(&b);
    y.Insert(&b);
    y.Insert(&a2);
    EXPECT_FALSE(x.IsEqual(&y));
    y.Insert(&a);
    EXPECT_TRUE(x.IsEqual(&y));
    EXPECT_TRUE(x == y);
    y.Remove(&b);
    y.Insert(&a);
    EXPECT_FALSE(x.IsEqual(&y)); // same size, but b is missing
    EXPECT_TRUE(x != y);

    RWSet set;
    RWHashTable table;
    set.Insert(&a);
    table.Insert(&a);
    EXPECT_FALSE(set.IsEqual(&table));
    EXPECT_FALSE(table.IsEqual(&set));
    RWSet other;
    other.Insert(&a2);
    EXPECT_TRUE(set.IsEqual(&other));
    EXPECT_FALSE(set.IsEqual(nullptr));
}

TEST(RWHashTable, IdentitySetsAreEqualOnlyWithTheSameObjects)
{
    TestValue a(1), b(1), c(2);
    RWIdentitySet x, y;
    x.Insert(&a);
    x.Insert(&b);
    y.Insert(&a);
    y.Insert(&c);
    EXPECT_FALSE(x.IsEqual(&y));
    y.Remove(&c);
    y.Insert(&b);
    EXPECT_TRUE(x.IsEqual(&y));
    RWSet plain;
    plain.Insert(&a);
    plain.Insert(&c);
    EXPECT_FALSE(x.IsEqual(&plain));
}

TEST(RWHashTable, AsSetHoldsEachMemberOnce)
{
    TestValue a(1), b(2), a2(1);
    RWHashTable table;
    table.Insert(&a);
    table.Insert(&a2);
    table.Insert(&b);
    table.Insert(&b);
    RWSet set = table.AsSet();
    EXPECT_EQ(2u, set.Buckets());
    EXPECT_EQ((std::vector<int>{1, 2}), SortedValues(set));
    EXPECT_EQ(2u, RWHashTable().AsSet().Buckets());
}

TEST(RWHashTable, ClearForgetsAndClearAndDestroyDeletesEachObjectOnce)
{
    int deletions = 0;
    RWHashTable table;
    TestValue* a = new TestValue(1, &deletions);
    TestValue* b = new TestValue(2, &deletions);
    table.Insert(a);
    table.Insert(a);
    table.Insert(a);
    table.Insert(b);
    table.ClearAndDestroy();
    EXPECT_EQ(2, deletions);
    EXPECT_TRUE(table.IsEmpty());

    RWSet set;
    set.Insert(new TestValue(3, &deletions));
    set.Insert(new TestValue(4, &deletions));
    set.Insert(&RWNilObject);
    set.ClearAndDestroy();
    EXPECT_EQ(4, deletions);
    EXPECT_TRUE(set.IsEmpty());

    TestValue kept(5);
    RWIdentitySet identity;
    identity.Insert(&kept);
    identity.Clear();
    EXPECT_TRUE(identity.IsEmpty());
    EXPECT_EQ(nullptr, identity.Find(&kept));
}

TEST(RWHashTable, ClearAndDestroyOfAListDeletesEachObjectOnce)
{
    int deletions = 0;
    TestValue* a = new TestValue(1, &deletions);
    RWSlistCollectables list;
    for (int i = 0; i < 40; ++i)
        list.Insert(a);
    list.Insert(new TestValue(1, &deletions)); // equal, but another object
    list.ClearAndDestroy();
    EXPECT_EQ(2, deletions);
}

TEST(RWSet, SubsetsAndProperSubsets)
{
    Values v(4);
    RWSet small, large;
    small.Insert(v[0]);
    small.Insert(v[1]);
    large.Insert(v[0]);
    large.Insert(v[1]);
    large.Insert(v[2]);
    EXPECT_TRUE(small.IsSubsetOf(large));
    EXPECT_TRUE(small.IsProperSubsetOf(large));
    EXPECT_FALSE(large.IsSubsetOf(small));
    EXPECT_TRUE(small.IsSubsetOf(small));
    EXPECT_FALSE(small.IsProperSubsetOf(small));
    EXPECT_TRUE(RWSet().IsSubsetOf(small));
    small.Insert(v[3]);
    EXPECT_FALSE(small.IsSubsetOf(large));
}

TEST(RWSet, IntersectWithKeepsWhatBothHold)
{
    Values v(6);
    RWSet a, b;
    for (int i = 0; i < 5; ++i)
        a.Insert(v[i]);
    b.Insert(v[1]);
    b.Insert(v[3]);
    b.Insert(v[5]);
    a.IntersectWith(b);
    EXPECT_EQ((std::vector<int>{1, 3}), SortedValues(a));
    a.IntersectWith(RWSet());
    EXPECT_TRUE(a.IsEmpty());
}

TEST(RWSet, IntersectionIntoWalksTheSmallerSet)
{
    Values v(6);
    RWSet a, b, result;
    for (int i = 0; i < 5; ++i)
        a.Insert(v[i]);
    b.Insert(v[4]);
    b.Insert(v[0]);
    b.Insert(v[5]);
    a.IntersectionInto(b, result);
    EXPECT_EQ((std::vector<int>{0, 4}), SortedValues(result));
    RWSet reverse;
    b.IntersectionInto(a, reverse);
    EXPECT_EQ((std::vector<int>{0, 4}), SortedValues(reverse));
    EXPECT_EQ(5u, a.Entries());
}

TEST(RWHashTableIterator, VisitsEveryMemberOnceAndStopsAtTheEnd)
{
    Values v(30);
    RWHashTable table(7);
    for (int i = 0; i < 30; ++i)
        table.Insert(v[i]);
    RWHashTableIterator it(table);
    EXPECT_EQ(nullptr, it.Key());
    std::vector<int> expected;
    for (int i = 0; i < 30; ++i)
        expected.push_back(i);
    EXPECT_EQ(expected, IteratedValues(it));
    EXPECT_EQ(nullptr, it.Next());
    EXPECT_EQ(nullptr, it.Key());
    it.Reset();
    EXPECT_EQ(expected, IteratedValues(it));
}

TEST(RWHashTableIterator, EmptyTableYieldsNothing)
{
    RWHashTable table;
    RWHashTableIterator it(table);
    EXPECT_EQ(nullptr, it.Next());
    EXPECT_EQ(nullptr, it.Key());
    EXPECT_EQ(nullptr, it.RemoveCurrent());
    TestValue a(1);
    EXPECT_EQ(nullptr, it.RemoveNext(&a));
}

TEST(RWHashTableIterator, FindNextReachesEqualMembersAcrossBuckets)
{
    TestValue a(2), b(2), c(3);
    RWHashTable table(4);
    table.Insert(&c);
    table.Insert(&a);
    table.Insert(&b);
    RWHashTableIterator it(table);
    TestValue probe(2);
    EXPECT_EQ(&a, it.FindNext(&probe));
    EXPECT_EQ(&a, it.Key());
    EXPECT_EQ(&b, it.FindNext(&probe));
    EXPECT_EQ(nullptr, it.FindNext(&probe));
}

TEST(RWHashTableIterator, RemoveCurrentUnlinksAndTheWalkGoesOn)
{
    Values v(20);
    RWSet set(3);
    for (int i = 0; i < 20; ++i)
        set.Insert(v[i]);
    RWSetIterator it(set);
    std::vector<int> removed;
    while (RWCollectable* m = it.Next())
        if (ValueOf(m) % 2 == 0)
            removed.push_back(ValueOf(it.RemoveCurrent()));
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ((std::vector<int>{0, 2, 4, 6, 8, 10, 12, 14, 16, 18}), removed);
    EXPECT_EQ(10u, set.Entries());
    EXPECT_EQ((std::vector<int>{1, 3, 5, 7, 9, 11, 13, 15, 17, 19}), SortedValues(set));
}

TEST(RWHashTableIterator, RemoveNextTakesAMemberAheadWithoutMoving)
{
    TestValue a(1), b(2), c(6);
    RWHashTable table(4);
    table.Insert(&a);
    table.Insert(&b);
    table.Insert(&c);
    RWHashTableIterator it(table);
    EXPECT_EQ(&a, it.Next());
    TestValue probe(6);
    EXPECT_EQ(&c, it.RemoveNext(&probe));
    EXPECT_EQ(&a, it.Key());
    EXPECT_EQ(2u, table.Entries());
    EXPECT_EQ(nullptr, it.RemoveNext(&probe));
    EXPECT_EQ(&b, it.Next());
}

TEST(RWHashTableIterator, CopiesStandAtTheSamePosition)
{
    Values v(10);
    RWHashTable table(3);
    for (int i = 0; i < 10; ++i)
        table.Insert(v[i]);
    RWHashTableIterator it(table);
    it.Next();
    it.Next();
    it.Next();
    RWHashTableIterator copy(it);
    EXPECT_EQ(it.Key(), copy.Key());
    EXPECT_EQ(it.Next(), copy.Next());
    RWHashTableIterator assigned(table);
    assigned = copy;
    EXPECT_EQ(copy.Key(), assigned.Key());
    EXPECT_EQ(copy.Next(), assigned.Next());
}
