#include "foundation/RWErrorHandler.h"
#include "foundation/RWCollectionHelpers.h"
#include "foundation/RWSlistBase.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Node : RWSlistLink {
    int value;
    explicit Node(int v) : value(v) { next = nullptr; }
};

std::vector<int> Values(const RWSlistBase& list)
{
    std::vector<int> values;
    for (const RWSlistLink* p = list.Head()->next; p != list.Tail(); p = p->next)
        values.push_back(static_cast<const Node*>(p)->value);
    return values;
}

} // namespace

TEST(RWSlistBase, StartsEmptyWithSelfPointingSentinelAndInsertsAnywhere)
{
    RWSlistBase list;
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Tail(), list.Head()->next);
    EXPECT_EQ(list.Tail(), list.Tail()->next);
    EXPECT_EQ(list.Head(), list.AppendPoint());
    EXPECT_EQ(nullptr, list.FirstLink());
    EXPECT_EQ(nullptr, list.LastLink());

    Node a(1), b(2), c(3), d(4);
    list.InsertAfter(list.Head(), &a);
    list.InsertAfter(&a, &c); // after the last link: moves the last pointer
    list.InsertAfter(&a, &b);
    EXPECT_EQ(&c, list.LastLink());
    EXPECT_EQ(list.Tail(), c.next);
    EXPECT_TRUE(list.InsertAt(3, &d)); // the count appends
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), Values(list));
    EXPECT_EQ(&c, list.At(2));
    EXPECT_EQ(&d, list.LastLink());
    EXPECT_EQ(&a, list.RemoveAt(0));
    EXPECT_EQ(&d, list.RemoveAt(2));
    EXPECT_EQ(&c, list.LastLink());
    EXPECT_EQ((std::vector<int>{2, 3}), Values(list));
}

TEST(RWSlistBase, RemovingTheLastMovesTheLastPointerToItsPredecessor)
{
    RWSlistBase list;
    Node a(1), b(2), c(3), d(4);
    list.Append(&a);
    list.Append(&b);
    list.Append(&c);
    EXPECT_EQ(&c, list.RemoveAfter(&b));
    EXPECT_EQ(&b, list.LastLink());
    list.Append(&d);
    EXPECT_EQ((std::vector<int>{1, 2, 4}), Values(list));
    EXPECT_EQ(nullptr, list.Remove(&c)); // already unlinked
    EXPECT_EQ(&d, list.Remove(&d));
    EXPECT_EQ(nullptr, d.next);
    EXPECT_EQ(&b, list.LastLink());
    list.Append(&d);
    EXPECT_EQ((std::vector<int>{1, 2, 4}), Values(list));

    RWSlistBase single;
    single.Append(&c);
    EXPECT_EQ(&c, single.Remove(&c));
    EXPECT_TRUE(single.IsEmpty());
    EXPECT_EQ(single.Head(), single.AppendPoint());
    EXPECT_EQ(single.Tail(), single.Head()->next);
}

TEST(RWSlistBase, ForeignLinksAreNeitherFoundNorRemoved)
{
    RWSlistBase list;
    Node a(1), b(2), stranger(9);
    list.Append(&a);
    list.Append(&b);
    for (RWSlistLink* foreign : {static_cast<RWSlistLink*>(&stranger), static_cast<RWSlistLink*>(nullptr),
                                 list.Tail(), list.Head()}) {
        EXPECT_EQ(nullptr, list.Remove(foreign));
        EXPECT_FALSE(list.Contains(foreign));
    }
    EXPECT_EQ(nullptr, list.LinkBefore(&stranger));
    EXPECT_EQ(list.Head(), list.LinkBefore(&a));
    EXPECT_EQ(&a, list.LinkBefore(&b));
    EXPECT_TRUE(list.Contains(&b));
    EXPECT_EQ(list.Tail(), list.Tail()->next);
    EXPECT_EQ((std::vector<int>{1, 2}), Values(list));
    EXPECT_EQ(2u, list.Entries());
    EXPECT_EQ(&b, list.LastLink());
}

TEST(RWSlistBase, IndexErrorsCarryIndexAndCount)
{
    RWSlistBase list;
    Node a(1), b(2), x(9);
    list.Append(&a);
    list.Append(&b);
    TestErrorCapture capture;
    EXPECT_EQ(nullptr, list.At(2));
    EXPECT_TRUE(capture.LastIs<RWBoundsError>());
    EXPECT_EQ("[INDEXERR] Illegal Index (2) for collection or string with 2 elements", capture.Last());
    EXPECT_EQ(nullptr, list.At(RW_NPOS));
    EXPECT_EQ("[NPOSINDEX] The value RW_NPOS cannot be used as an index.", capture.Last());
    EXPECT_FALSE(list.InsertAt(3, &x));
    EXPECT_EQ("[INDEXERR] Illegal Index (3) for collection or string with 2 elements", capture.Last());
    EXPECT_EQ(nullptr, list.RemoveAt(2));
    EXPECT_EQ(4u, capture.Count());
    EXPECT_EQ((std::vector<int>{1, 2}), Values(list));
}

TEST(RWSlistIterator, StaysOnTheTailAndRemoveCurrentStepsBack)
{
    RWSlistBase list;
    Node a(1), b(2), c(3);
    list.Append(&a);
    list.Append(&b);
    list.Append(&c);
    RWSlistIterator it(list);
    EXPECT_TRUE(it.AtHead());
    EXPECT_EQ(nullptr, it.RemoveCurrent());
    while (it.AdvanceLink()) {
    }
    EXPECT_TRUE(it.AtTail());
    EXPECT_EQ(nullptr, it.AdvanceLink());
    EXPECT_TRUE(it.AtTail());
    it.Reset();
    EXPECT_TRUE(it.AtHead());
    it.AdvanceLink();
    it.AdvanceLink();
    EXPECT_EQ(&b, it.RemoveCurrent());
    EXPECT_EQ(&a, it.CurrentLink());
    EXPECT_EQ(&c, it.AdvanceLink());
    EXPECT_EQ(&c, it.RemoveCurrent());
    EXPECT_EQ(&a, list.LastLink());
    EXPECT_EQ((std::vector<int>{1}), Values(list));
}
