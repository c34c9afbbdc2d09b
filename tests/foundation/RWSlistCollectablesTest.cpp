#include "TestCollectables.h"

#include "foundation/RWErrorHandler.h"
#include "foundation/RWSlistCollectables.h"
#include "foundation/RWSlistCollectablesIterator.h"
#include "foundation/RWSlistCollectablesStack.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

std::vector<int> Values(const RWCollection& c)
{
    std::vector<int> values;
    c.Apply([](RWCollectable* m, void* arg) { static_cast<std::vector<int>*>(arg)->push_back(ValueOf(m)); },
            &values);
    return values;
}

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

TEST(RWSlistCollectables, InsertAppendsAndPrependGoesFirst)
{
    TestValue a(1), b(2), c(3), d(4);
    RWSlistCollectables list;
    EXPECT_EQ(&a, list.Insert(&a));
    EXPECT_EQ(&b, list.Append(&b));
    EXPECT_EQ(&c, list.Prepend(&c));
    EXPECT_EQ(&d, list.InsertAt(3, &d));
    EXPECT_EQ((std::vector<int>{3, 1, 2, 4}), Values(list));
    EXPECT_EQ(4u, list.Entries());
    EXPECT_EQ(&c, list.First());
    EXPECT_EQ(&d, list.Last());
}

TEST(RWSlistCollectables, InsertAfterLandsBehindTheIndex)
{
    TestValue a(1), b(2), c(3), x(9);
    RWSlistCollectables list;
    list.Append(&a);
    list.Append(&b);
    list.Append(&c);
    EXPECT_EQ(&x, list.InsertAfter(1, &x));
    EXPECT_EQ(&x, list.At(2));
    EXPECT_EQ((std::vector<int>{1, 2, 9, 3}), Values(list));
    TestValue y(8);
    list.InsertAfter(3, &y);
    EXPECT_EQ(&y, list.Last());
}

TEST(RWSlistCollectables, EmptyListAnswersNullAndNpos)
{
    RWSlistCollectables list;
    TestValue a(1);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(nullptr, list.First());
    EXPECT_EQ(nullptr, list.Last());
    EXPECT_EQ(RW_NPOS, list.Index(&a));
    EXPECT_EQ(0xFFFFFFFFu, list.Index(&a));
    EXPECT_EQ(nullptr, list.Find(&a));
    EXPECT_EQ(nullptr, list.Remove(&a));
    EXPECT_EQ(0u, list.OccurrencesOf(&a));
}

TEST(RWSlistCollectables, SearchesUseTheMembersEqualityAndReferenceTwinsUseAddresses)
{
    TestValue a(1), b(2), a2(1), probe(1), absent(7);
    RWSlistCollectables list;
    list.Append(&a);
    list.Append(&b);
    list.Append(&a2);
    EXPECT_EQ(&a, list.Find(&probe));
    EXPECT_TRUE(list.Contains(&probe));
    EXPECT_FALSE(list.Contains(&absent));
    EXPECT_EQ(0u, list.Index(&probe));
    EXPECT_EQ(2u, list.OccurrencesOf(&probe));
    EXPECT_EQ(nullptr, list.FindReference(&probe));
    EXPECT_EQ(&a2, list.FindReference(&a2));
    EXPECT_EQ(1u, list.OccurrencesOfReference(&a2));
    EXPECT_EQ(0u, list.OccurrencesOfReference(&probe));

    EXPECT_EQ(nullptr, list.RemoveReference(&probe));
    EXPECT_EQ(&a2, list.RemoveReference(&a2));
    EXPECT_EQ(&a, list.Remove(&probe));
    EXPECT_EQ(nullptr, list.Remove(&probe));
    EXPECT_EQ((std::vector<int>{2}), Values(list));
}

TEST(RWSlistCollectables, NullMembersMatchNoSearch)
{
    TestValue a(1), probe(1);
    RWSlistCollectables list;
    list.Append(nullptr);
    list.Append(&a);
    EXPECT_EQ(&a, list.Find(&probe));
    EXPECT_EQ(1u, list.Index(&probe));
    EXPECT_EQ(nullptr, list.Find(nullptr));
    EXPECT_EQ(1u, list.OccurrencesOfReference(nullptr));
}

TEST(RWSlistCollectables, IndexErrorsGiveTheExactMessages)
{
    TestValue a(1), b(2), x(9);
    RWSlistCollectables list;
    list.Append(&a);
    list.Append(&b);
    const RWSlistCollectables& view = list;
    RWErrorCapture capture;

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

    // A write after the error goes nowhere.
    list.At(5) = &x;
    EXPECT_EQ("[INDEXERR] Illegal Index (5) for collection or string with 2 elements", capture.Last());
    EXPECT_EQ(5u, capture.Count());
    EXPECT_EQ((std::vector<int>{1, 2}), Values(list));
}

TEST(RWSlistCollectables, AtWritesTheMemberSlot)
{
    TestValue a(1), b(2), x(9);
    RWSlistCollectables list;
    list.Append(&a);
    list.Append(&b);
    list.At(1) = &x;
    EXPECT_EQ((std::vector<int>{1, 9}), Values(list));
    EXPECT_EQ(&x, list.Last());
}

TEST(RWSlistCollectables, ClearAndDestroyDeletesAnObjectHeldThreeTimesOnce)
{
    int deletions = 0;
    TestValue* shared = new TestValue(1, &deletions);
    TestValue* other = new TestValue(2, &deletions);
    RWSlistCollectables list;
    list.Append(shared);
    list.Append(other);
    list.Append(shared);
    list.Prepend(shared);
    list.ClearAndDestroy();
    EXPECT_EQ(2, deletions);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(0u, list.Entries());
}

TEST(RWSlistCollectables, ClearForgetsAndDestructionNeverDeletesMembers)
{
    int deletions = 0;
    TestValue a(1, &deletions), b(2, &deletions);
    {
        RWSlistCollectables list;
        list.Append(&a);
        list.Append(&b);
        list.Clear();
        EXPECT_TRUE(list.IsEmpty());
        EXPECT_EQ(nullptr, list.First());
        list.Append(&b);
        EXPECT_EQ((std::vector<int>{2}), Values(list));
    }
    EXPECT_EQ(0, deletions);
}

TEST(RWSlistCollectables, RemoveAndDestroyDeletesTheRemovedMember)
{
    int deletions = 0;
    RWSlistCollectables list;
    list.Append(new TestValue(1, &deletions));
    list.Append(new TestValue(2, &deletions));
    TestValue probe(2);
    list.RemoveAndDestroy(&probe);
    EXPECT_EQ(1, deletions);
    TestValue absent(5);
    list.RemoveAndDestroy(&absent);
    EXPECT_EQ(1, deletions);
    list.ClearAndDestroy();
    EXPECT_EQ(2, deletions);
}

TEST(RWSlistCollectables, CopiesShareMembersInOrder)
{
    TestValue a(1), b(2), c(3);
    RWSlistCollectables list;
    list.Append(&a);
    list.Append(&b);
    RWSlistCollectables copy(list);
    EXPECT_EQ(&a, copy.First());
    EXPECT_EQ(&b, copy.Last());
    RWSlistCollectables assigned(&c);
    EXPECT_EQ((std::vector<int>{3}), Values(assigned));
    assigned = list;
    EXPECT_EQ((std::vector<int>{1, 2}), Values(assigned));
    assigned = assigned;
    EXPECT_EQ((std::vector<int>{1, 2}), Values(assigned));
    std::unique_ptr<RWCollectable> dup(list.Copy());
    EXPECT_TRUE(list.IsEqual(dup.get()));
    std::unique_ptr<RWCollectable> fresh(list.CreateNew());
    EXPECT_EQ(RWSlistCollectables::kClassId, fresh->ClassId());
    EXPECT_TRUE(static_cast<RWCollection*>(fresh.get())->IsEmpty());
}

TEST(RWSlistCollectables, EqualityIsPairwiseInOrderAndNeedsTheListClass)
{
    TestValue a(1), b(2), a2(1), b2(2);
    RWSlistCollectables x, y, shorter;
    x.Append(&a);
    x.Append(&b);
    y.Append(&a2);
    y.Append(&b2);
    shorter.Append(&a);
    EXPECT_EQ(0x8033, x.ClassId());
    EXPECT_TRUE(x.IsEqual(&y));
    EXPECT_FALSE(x.IsEqual(&shorter));
    EXPECT_FALSE(x.IsEqual(nullptr));
    RWSlistCollectables reversed;
    reversed.Append(&b);
    reversed.Append(&a);
    EXPECT_FALSE(x.IsEqual(&reversed));

    RWSlistCollectablesStack stack;
    stack.Push(&b);
    stack.Push(&a);
    EXPECT_EQ((std::vector<int>{1, 2}), Values(stack));
    EXPECT_FALSE(x.IsEqual(&stack));
    EXPECT_FALSE(stack.IsEqual(&x));
}

TEST(RWSlistCollectables, SelectMakesANewListOfTheSameClass)
{
    TestValue v[5] = {TestValue(1), TestValue(2), TestValue(3), TestValue(4), TestValue(6)};
    RWSlistCollectables list;
    for (TestValue& t : v)
        list.Append(&t);
    std::unique_ptr<RWCollection> even(list.Select(IsEven, nullptr));
    EXPECT_EQ(RWSlistCollectables::kClassId, even->ClassId());
    EXPECT_EQ((std::vector<int>{2, 4, 6}), Values(*even));
    EXPECT_EQ(&v[1], even->Find(&v[1]));
}

TEST(RWSlistCollectables, ContentHelpers)
{
    int deletions = 0;
    TestValue a(1), b(2), c(3);
    RWSlistCollectables from, to;
    from.Append(&a);
    from.Append(&b);
    to.Append(&c);
    to.AddContentsFrom(from);
    EXPECT_EQ((std::vector<int>{3, 1, 2}), Values(to));
    from.AddContentsTo(to);
    EXPECT_EQ((std::vector<int>{3, 1, 2, 1, 2}), Values(to));
    to.RemoveContentsOf(from);
    EXPECT_EQ((std::vector<int>{3, 1, 2}), Values(to));
    to.AddContentsFrom(to); // a list combined with itself
    EXPECT_EQ((std::vector<int>{3, 1, 2, 3, 1, 2}), Values(to));

    RWSlistCollectables copies;
    from.CopyContentsTo(copies);
    EXPECT_EQ((std::vector<int>{1, 2}), Values(copies));
    EXPECT_NE(&a, copies.First());
    copies.ClearAndDestroy();
    EXPECT_EQ(0, deletions);
}

TEST(RWSlistCollectables, RestoreSkipsNilMembersAndEmptiesFirst)
{
    TestValue a(1), b(2), old(9);
    Restorable<RWSlistCollectables> list;
    list.Append(&old);
    list.Begin();
    list.Add(&a);
    list.Add(nullptr);
    list.Add(&RWNilObject);
    list.Add(&b);
    EXPECT_EQ((std::vector<int>{1, 2}), Values(list));
}

TEST(RWSlistCollectablesStack, PushesAndPopsAtTheHead)
{
    TestValue a(1), b(2), c(3), ignored(7);
    RWSlistCollectablesStack stack;
    EXPECT_EQ(0x8036, stack.ClassId());
    EXPECT_EQ(&a, stack.Insert(&a));
    stack.Insert(&b);
    stack.Push(&c);
    EXPECT_EQ(&c, stack.Top());
    EXPECT_EQ((std::vector<int>{3, 2, 1}), Values(stack));
    EXPECT_EQ(&c, stack.Remove(&ignored));
    EXPECT_EQ(&b, stack.Remove(&a)); // the argument does not matter
    EXPECT_EQ(&a, stack.Pop());
    EXPECT_EQ(nullptr, stack.Remove(&a));
    EXPECT_EQ(nullptr, stack.Pop());
    EXPECT_EQ(nullptr, stack.Top());
}

TEST(RWSlistCollectablesStack, AppendAndRemoveAndDestroyDoNothing)
{
    int deletions = 0;
    TestValue a(1, &deletions), b(2, &deletions);
    RWSlistCollectablesStack stack;
    stack.Push(&a);
    EXPECT_EQ(nullptr, stack.Append(&b));
    stack.RemoveAndDestroy(&a);
    EXPECT_EQ(0, deletions);
    EXPECT_EQ((std::vector<int>{1}), Values(stack));
}

TEST(RWSlistCollectablesStack, EqualityNeedsTheStackClass)
{
    TestValue a(1), b(2);
    RWSlistCollectablesStack s1, s2;
    s1.Push(&a);
    s1.Push(&b);
    s2.Push(&a);
    s2.Push(&b);
    EXPECT_TRUE(s1.IsEqual(&s2));
    s2.Pop();
    EXPECT_FALSE(s1.IsEqual(&s2));
    RWSlistCollectablesStack copy(s1);
    EXPECT_TRUE(copy.IsEqual(&s1));
    EXPECT_EQ(&b, copy.Top());
    std::unique_ptr<RWCollectable> dup(s1.Copy());
    EXPECT_EQ(0x8036, dup->ClassId());
    EXPECT_TRUE(s1.IsEqual(dup.get()));
}

TEST(RWSlistCollectablesStack, RestoreKeepsTheStoredTopOnTop)
{
    TestValue a(1), b(2);
    // Stored top first: A, then B.
    Restorable<RWSlistCollectablesStack> stack;
    stack.Begin();
    stack.Add(&a);
    stack.Add(&RWNilObject);
    stack.Add(&b);
    EXPECT_EQ(&a, stack.Top());
    EXPECT_EQ((std::vector<int>{1, 2}), Values(stack));
}

TEST(RWSlistCollectablesStack, ClearAndDestroyDeletesEachObjectOnce)
{
    int deletions = 0;
    TestValue* shared = new TestValue(1, &deletions);
    RWSlistCollectablesStack stack;
    stack.Push(shared);
    stack.Push(shared);
    stack.Push(shared);
    stack.ClearAndDestroy();
    EXPECT_EQ(1, deletions);
    EXPECT_TRUE(stack.IsEmpty());
}

TEST(RWSlistCollectablesIterator, WalksInOrderAndStaysAtTheEnd)
{
    TestValue a(1), b(2);
    RWSlistCollectables list;
    list.Append(&a);
    list.Append(&b);
    RWSlistCollectablesIterator it(list);
    EXPECT_EQ(nullptr, it.Key());
    EXPECT_EQ(&a, it.Next());
    EXPECT_EQ(&a, it.Key());
    EXPECT_EQ(&b, it.Next());
    EXPECT_EQ(nullptr, it.Next());
    EXPECT_EQ(nullptr, it.Key());
    EXPECT_EQ(nullptr, it.Next());
    it.Reset();
    EXPECT_EQ(nullptr, it.Key());
    EXPECT_EQ(&a, it.Next());
}

TEST(RWSlistCollectablesIterator, OverAnEmptyListYieldsNothing)
{
    RWSlistCollectables list;
    RWSlistCollectablesIterator it(list);
    EXPECT_EQ(nullptr, it.Next());
    EXPECT_EQ(nullptr, it.Key());
    TestValue a(1);
    EXPECT_EQ(nullptr, it.FindNext(&a));
}

TEST(RWSlistCollectablesIterator, FindNextAndAdvance)
{
    TestValue a(1), b(2), a2(1), c(3), probe(1);
    RWSlistCollectables list;
    list.Append(&a);
    list.Append(&b);
    list.Append(&a2);
    list.Append(&c);
    RWSlistCollectablesIterator it(list);
    EXPECT_EQ(&a, it.FindNext(&probe));
    EXPECT_EQ(&a2, it.FindNext(&probe));
    EXPECT_EQ(nullptr, it.FindNext(&probe));
    EXPECT_EQ(nullptr, it.Key());

    it.Reset();
    EXPECT_EQ(&a2, it.FindNextReference(&a2));
    EXPECT_EQ(nullptr, it.FindNextReference(&a));

    it.Reset();
    EXPECT_EQ(&b, it.Advance(2));
    EXPECT_EQ(&b, it.Advance(0));
    EXPECT_EQ(&c, it.Advance(2));
    EXPECT_EQ(nullptr, it.Advance(5));
}

TEST(RWSlistCollectablesIterator, InsertAfterPointKeepsThePosition)
{
    TestValue a(1), b(2), x(8), y(9), z(7);
    RWSlistCollectables list;
    list.Append(&a);
    list.Append(&b);
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
    EXPECT_EQ((std::vector<int>{8, 1, 9, 2, 7}), Values(list));
    EXPECT_EQ(&z, list.Last());
    EXPECT_EQ(nullptr, it.Next());
}

TEST(RWSlistCollectablesIterator, MembersAppendedDuringTheWalkAreReached)
{
    TestValue a(1), b(2);
    RWSlistCollectables list;
    list.Append(&a);
    RWSlistCollectablesIterator it(list);
    EXPECT_EQ(&a, it.Next());
    list.Append(&b);
    EXPECT_EQ(&b, it.Next());
    EXPECT_EQ(nullptr, it.Next());
}

TEST(RWSlistCollectablesIterator, RemoveNextTakesTheFirstFollowingMatch)
{
    TestValue v1(1), v2(2), v3(3), v4(4);
    RWSlistCollectables list;
    list.Append(&v1);
    list.Append(&v2);
    list.Append(&v3);
    list.Append(&v4);
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
    EXPECT_EQ((std::vector<int>{1, 3}), Values(list));
}

TEST(RWSlistCollectablesIterator, RemoveCurrentStepsBackSoTheWalkGoesOn)
{
    TestValue v1(1), v2(2), v3(3);
    RWSlistCollectables list;
    list.Append(&v1);
    list.Append(&v2);
    list.Append(&v3);
    RWSlistCollectablesIterator it(list);
    EXPECT_EQ(nullptr, it.RemoveCurrent());
    // Remove every odd member during one walk.
    while (RWCollectable* m = it.Next()) {
        if (ValueOf(m) % 2) {
            EXPECT_EQ(m, it.RemoveCurrent());
        }
    }
    EXPECT_EQ((std::vector<int>{2}), Values(list));
    EXPECT_EQ(&v2, list.Last());
    EXPECT_EQ(nullptr, it.RemoveCurrent());
}
