#include "TestCollectables.h"

#include "foundation/RWErrorHandler.h"
#include "foundation/RWSlistCollectables.h"
#include "foundation/RWSlistCollectablesIterator.h"
#include "foundation/RWSlistCollectablesStack.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

typedef std::vector<int> Ints;

int IsEven(const RWCollectable* m, const void*) { return ValueOf(m) % 2 == 0; }
int Below(const RWCollectable* m, const void* limit) { return ValueOf(m) < *static_cast<const int*>(limit); }

// Lets the tests drive the restore steps that stored-form readers take.
template <class Base>
class Restorable : public Base {
public:
    void Begin() { this->RestoreBegin(); }
    void Add(RWCollectable* member) { this->RestoreMember(member); }
};

} // namespace

TEST(RWSlistCollectables, InsertionsLandWhereTheirNamesSay)
{
    TestValue a(1), b(2), c(3), d(4), x(9), y(8);
    RWSlistCollectables list;
    EXPECT_EQ(&a, list.Insert(&a));
    EXPECT_EQ(&b, list.Append(&b));
    EXPECT_EQ(&c, list.Prepend(&c));
    EXPECT_EQ(&d, list.InsertAt(3, &d));
    EXPECT_EQ(&x, list.InsertAfter(1, &x));
    EXPECT_EQ(&y, list.InsertAfter(4, &y));
    EXPECT_EQ((Ints{3, 1, 9, 2, 4, 8}), ValuesOf(list));
    EXPECT_EQ(&y, list.Last());
}

TEST(RWSlistCollectables, SearchesUseEqualityReferenceTwinsUseAddressesAndNullMatchesNothing)
{
    TestValue a(1), b(2), a2(1), probe(1), absent(7);
    RWSlistCollectables list;
    InsertEach(list, {nullptr, &a, &b, &a2});
    EXPECT_EQ(&a, list.Find(&probe));
    EXPECT_FALSE(list.Contains(&absent));
    EXPECT_EQ(1u, list.Index(&probe));
    EXPECT_EQ(2u, list.OccurrencesOf(&probe));
    EXPECT_EQ(nullptr, list.Find(nullptr));
    EXPECT_EQ(1u, list.OccurrencesOfReference(nullptr));
    EXPECT_EQ(nullptr, list.FindReference(&probe));
    EXPECT_EQ(&a2, list.FindReference(&a2));
    EXPECT_EQ(0u, list.OccurrencesOfReference(&probe));

    EXPECT_EQ(nullptr, list.RemoveReference(&probe));
    EXPECT_EQ(&a2, list.RemoveReference(&a2));
    EXPECT_EQ(&a, list.Remove(&probe));
    EXPECT_EQ(nullptr, list.Remove(&probe));
    EXPECT_EQ((Ints{-1, 2}), ValuesOf(list));
}

TEST(RWSlistCollectables, IndexErrorsGiveTheExactMessagesAndChangeNothing)
{
    TestValue a(1), b(2), x(9);
    RWSlistCollectables list;
    InsertEach(list, {&a, &b});
    const RWSlistCollectables& view = list;
    TestErrorCapture capture;

    EXPECT_EQ(nullptr, view.At(2));
    ASSERT_EQ(1u, capture.Count());
    EXPECT_TRUE(capture.LastIs<RWBoundsError>());
    EXPECT_EQ("[INDEXERR] Illegal Index (2) for collection or string with 2 elements", capture.Last());
    EXPECT_EQ(nullptr, view.At(0xFFFFFFFFu));
    EXPECT_EQ("[NPOSINDEX] The value RW_NPOS cannot be used as an index.", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWBoundsError>());
    EXPECT_EQ(nullptr, list.InsertAt(3, &x));
    EXPECT_EQ("[INDEXERR] Illegal Index (3) for collection or string with 2 elements", capture.Last());
    EXPECT_EQ(nullptr, list.InsertAfter(2, &x));
    EXPECT_EQ("[INDEXERR] Illegal Index (2) for collection or string with 2 elements", capture.Last());
    // A write after the error goes to a scratch slot.
    list.At(5) = &x;
    EXPECT_EQ("[INDEXERR] Illegal Index (5) for collection or string with 2 elements", capture.Last());
    EXPECT_EQ(5u, capture.Count());
    EXPECT_EQ((Ints{1, 2}), ValuesOf(list));
}

TEST(RWSlistCollectables, ClearAndDestroyDeletesAnObjectHeldThreeTimesOnce)
{
    int deletions = 0;
    TestValue* shared = new TestValue(1, &deletions);
    RWSlistCollectables list;
    InsertEach(list, {shared, new TestValue(2, &deletions), shared, shared});
    list.ClearAndDestroy();
    EXPECT_EQ(2, deletions);
    EXPECT_TRUE(list.IsEmpty());

    shared = new TestValue(3, &deletions);
    RWSlistCollectablesStack stack;
    InsertEach(stack, {shared, shared, shared});
    stack.ClearAndDestroy();
    EXPECT_EQ(3, deletions);
    EXPECT_TRUE(stack.IsEmpty());
}

TEST(RWSlistCollectables, ClearForgetsRemoveAndDestroyDeletesOnlyTheMatch)
{
    int deletions = 0;
    TestValue a(1, &deletions);
    {
        RWSlistCollectables list;
        InsertEach(list, {&a, &a});
        list.Clear();
        EXPECT_EQ(nullptr, list.First());
        list.Append(&a);
    }
    EXPECT_EQ(0, deletions);

    RWSlistCollectables list;
    InsertEach(list, {new TestValue(1, &deletions), new TestValue(2, &deletions)});
    TestValue probe(2), absent(5);
    list.RemoveAndDestroy(&probe);
    EXPECT_EQ(1, deletions);
    list.RemoveAndDestroy(&absent);
    EXPECT_EQ(1, deletions);
    list.ClearAndDestroy();
    EXPECT_EQ(2, deletions);
}

TEST(RWSlistCollectables, EqualityIsPairwiseInOrderAndNeedsTheSameClass)
{
    TestValue a(1), b(2), a2(1), b2(2);
    RWSlistCollectables x, y, shorter, reversed;
    InsertEach(x, {&a, &b});
    InsertEach(y, {&a2, &b2});
    InsertEach(shorter, {&a});
    InsertEach(reversed, {&b, &a});
    EXPECT_TRUE(x.IsEqual(&y));
    EXPECT_FALSE(x.IsEqual(&shorter));
    EXPECT_FALSE(x.IsEqual(nullptr));
    EXPECT_FALSE(x.IsEqual(&reversed));

    RWSlistCollectablesStack stack, sameStack;
    InsertEach(stack, {&b, &a});
    InsertEach(sameStack, {&b2, &a2});
    EXPECT_EQ((Ints{1, 2}), ValuesOf(stack));
    EXPECT_FALSE(x.IsEqual(&stack));
    EXPECT_FALSE(stack.IsEqual(&x));
    EXPECT_TRUE(stack.IsEqual(&sameStack));
    std::unique_ptr<RWCollectable> dup(stack.Copy());
    EXPECT_TRUE(stack.IsEqual(dup.get()));
    RWSlistCollectables assigned(&a);
    assigned = x;
    assigned = assigned;
    EXPECT_TRUE(x.IsEqual(&assigned));
}

TEST(RWSlistCollectables, SelectAndContentHelpers)
{
    TestValue a(1), b(2), c(3), d(4);
    RWSlistCollectables from, to;
    InsertEach(from, {&a, &b, &d});
    std::unique_ptr<RWCollection> even(from.Select(IsEven, nullptr));
    EXPECT_EQ((Ints{2, 4}), ValuesOf(*even));
    EXPECT_EQ(&b, even->Find(&b));

    from.Remove(&d);
    to.Append(&c);
    to.AddContentsFrom(from);
    EXPECT_EQ((Ints{3, 1, 2}), ValuesOf(to));
    from.AddContentsTo(to);
    to.RemoveContentsOf(from);
    EXPECT_EQ((Ints{3, 1, 2}), ValuesOf(to));
    // Combined with itself, a list works on a copy of its members and ends.
    to.AddContentsFrom(to);
    EXPECT_EQ((Ints{3, 1, 2, 3, 1, 2}), ValuesOf(to));
    to.RemoveContentsOf(to);
    EXPECT_TRUE(to.IsEmpty());

    RWSlistCollectables copies;
    from.CopyContentsTo(copies);
    EXPECT_EQ((Ints{1, 2}), ValuesOf(copies));
    EXPECT_NE(&a, copies.First());
    copies.ClearAndDestroy();
}

TEST(RWSlistCollectables, RestoreEmptiesFirstSkipsNilMembersAndKeepsTheStackTopOnTop)
{
    TestValue a(1), b(2), old(9);
    Restorable<RWSlistCollectables> list;
    list.Append(&old);
    list.Begin();
    list.Add(&a);
    list.Add(nullptr);
    list.Add(&RWNilObject);
    list.Add(&b);
    EXPECT_EQ((Ints{1, 2}), ValuesOf(list));

    // Stored top first: A, then B.
    Restorable<RWSlistCollectablesStack> stack;
    stack.Begin();
    stack.Add(&a);
    stack.Add(&RWNilObject);
    stack.Add(&b);
    EXPECT_EQ(&a, stack.Top());
    EXPECT_EQ((Ints{1, 2}), ValuesOf(stack));
}

TEST(RWSlistCollectablesStack, RemoveTakesTheTopWhateverItIsGivenAndAppendDoesNothing)
{
    int deletions = 0;
    TestValue a(1, &deletions), b(2, &deletions), c(3, &deletions), ignored(7);
    RWSlistCollectablesStack stack;
    EXPECT_EQ(&a, stack.Insert(&a));
    stack.Push(&b);
    EXPECT_EQ(nullptr, stack.Append(&c));
    stack.RemoveAndDestroy(&a);
    EXPECT_EQ(0, deletions);
    stack.Push(&c);
    EXPECT_EQ(&c, stack.Top());
    EXPECT_EQ((Ints{3, 2, 1}), ValuesOf(stack));
    EXPECT_EQ(&c, stack.Remove(&ignored));
    EXPECT_EQ(&b, stack.Remove(&a));
    EXPECT_EQ(&a, stack.Pop());
    EXPECT_EQ(nullptr, stack.Remove(&a));
    EXPECT_EQ(nullptr, stack.Pop());
    EXPECT_EQ(nullptr, stack.Top());
}

TEST(RWSlistCollectablesIterator, WalksInOrderReachesAppendedMembersAndStaysAtTheEnd)
{
    TestValue a(1), b(2);
    RWSlistCollectables list;
    RWSlistCollectablesIterator it(list);
    EXPECT_EQ(nullptr, it.Next());
    it.Reset();
    list.Append(&a);
    EXPECT_EQ(&a, it.Next());
    list.Append(&b);
    EXPECT_EQ(&b, it.Next());
    EXPECT_EQ(nullptr, it.Next());
    EXPECT_EQ(nullptr, it.Key());
    EXPECT_EQ(nullptr, it.Next());
}

TEST(RWSlistCollectablesIterator, FindNextAndAdvance)
{
    TestValue a(1), b(2), a2(1), c(3), probe(1);
    RWSlistCollectables list;
    InsertEach(list, {&a, &b, &a2, &c});
    RWSlistCollectablesIterator it(list);
    EXPECT_EQ(&a, it.FindNext(&probe));
    EXPECT_EQ(&a2, it.FindNext(&probe));
    EXPECT_EQ(nullptr, it.FindNext(&probe));
    EXPECT_EQ(nullptr, it.Key());

    it.Reset();
    EXPECT_EQ(&a2, it.FindNextReference(&a2));
    it.Reset();
    EXPECT_EQ(&b, it.Advance(2));
    EXPECT_EQ(&c, it.Advance(2));
    EXPECT_EQ(nullptr, it.Advance(5));
}

TEST(RWSlistCollectablesIterator, InsertAfterPointKeepsThePosition)
{
    TestValue a(1), b(2), x(8), y(9), z(7);
    RWSlistCollectables list;
    InsertEach(list, {&a, &b});
    RWSlistCollectablesIterator it(list);
    it.InsertAfterPoint(&x); // before the first member
    EXPECT_EQ(nullptr, it.Key());
    EXPECT_EQ(&x, it.Next());
    EXPECT_EQ(&a, it.Next());
    it.InsertAfterPoint(&y);
    EXPECT_EQ(&a, it.Key());
    EXPECT_EQ(&y, it.Next());
    EXPECT_EQ(&b, it.Next());
    EXPECT_EQ(nullptr, it.Next());
    it.InsertAfterPoint(&z); // past the end: appended
    EXPECT_EQ((Ints{8, 1, 9, 2, 7}), ValuesOf(list));
    EXPECT_EQ(&z, list.Last());
    EXPECT_EQ(nullptr, it.Next());
}

TEST(RWSlistCollectablesIterator, RemoveNextTakesTheFirstFollowingMatch)
{
    TestValue v1(1), v2(2), v3(3), v4(4);
    RWSlistCollectables list;
    InsertEach(list, {&v1, &v2, &v3, &v4});
    RWSlistCollectablesIterator it(list);
    EXPECT_EQ(&v1, it.Next());
    const int limit = 4;
    EXPECT_EQ(&v2, it.RemoveNext(Below, &limit)); // v1 is current, not following
    EXPECT_EQ(&v1, it.Key());
    EXPECT_EQ(&v4, it.RemoveNextReference(&v4));
    EXPECT_EQ(&v3, list.Last());
    EXPECT_EQ(nullptr, it.RemoveNextReference(&v1));
    EXPECT_EQ(&v3, it.Next());
    EXPECT_EQ(nullptr, it.RemoveNext(Below, &limit));
    EXPECT_EQ((Ints{1, 3}), ValuesOf(list));
}

TEST(RWSlistCollectablesIterator, RemoveCurrentStepsBackSoTheWalkGoesOn)
{
    TestValue v1(1), v2(2), v3(3);
    RWSlistCollectables list;
    InsertEach(list, {&v1, &v2, &v3});
    RWSlistCollectablesIterator it(list);
    EXPECT_EQ(nullptr, it.RemoveCurrent());
    while (RWCollectable* m = it.Next()) {
        if (ValueOf(m) % 2) {
            EXPECT_EQ(m, it.RemoveCurrent());
        }
    }
    EXPECT_EQ((Ints{2}), ValuesOf(list));
    EXPECT_EQ(&v2, list.Last());
    EXPECT_EQ(nullptr, it.RemoveCurrent());
}
