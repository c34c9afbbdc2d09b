// The singly and the doubly linked list bases, run through the same cases.
#include "foundation/RWCollectionHelpers.h"
#include "foundation/RWDlistBase.h"
#include "foundation/RWErrorHandler.h"
#include "foundation/RWSlistBase.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <type_traits>
#include <vector>

namespace {

struct SNode : RWSlistLink {
    int value;
    explicit SNode(int v) : value(v) { next = nullptr; }
};

struct DNode : RWDlistLink {
    int value;
    explicit DNode(int v) : value(v) { next = prev = nullptr; }
};

std::vector<int> Values(const RWSlistBase& list)
{
    std::vector<int> values;
    for (const RWSlistLink* p = list.Head()->next; p != list.Tail(); p = p->next)
        values.push_back(static_cast<const SNode*>(p)->value);
    EXPECT_EQ(list.Tail(), list.Tail()->next);
    return values;
}

// Forwards and backwards, so that both directions of every link are checked.
std::vector<int> Values(const RWDlistBase& list)
{
    std::vector<int> forward, backward;
    for (const RWDlistLink* p = list.Head()->next; p != list.Tail(); p = p->next)
        forward.push_back(static_cast<const DNode*>(p)->value);
    for (const RWDlistLink* p = list.Tail()->prev; p != list.Head(); p = p->prev)
        backward.insert(backward.begin(), static_cast<const DNode*>(p)->value);
    EXPECT_EQ(forward, backward);
    return forward;
}

template <class List, class Node>
void InsertsAnywhereAndKeepsTheLastLink()
{
    List list;
    EXPECT_EQ(nullptr, list.FirstLink());
    EXPECT_EQ(nullptr, list.LastLink());
    Node a(1), b(2), c(3), d(4);
    list.InsertAfter(list.Head(), &a);
    list.InsertAfter(&a, &c); // after the last link: it becomes the last
    list.InsertAfter(&a, &b);
    EXPECT_EQ(&c, list.LastLink());
    EXPECT_TRUE(list.InsertAt(3, &d)); // the count appends
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), Values(list));
    EXPECT_EQ(&c, list.At(2));
    EXPECT_EQ(&d, list.Remove(&d));
    EXPECT_EQ(&c, list.LastLink());
    EXPECT_EQ(&a, list.RemoveAt(0));
    list.Append(&d);
    EXPECT_EQ((std::vector<int>{2, 3, 4}), Values(list));
    EXPECT_EQ(3u, list.Entries());
    for (auto* link : {&b, &c, &d})
        list.Remove(link);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(list.Tail(), list.Head()->next);
    list.Append(&a);
    EXPECT_EQ((std::vector<int>{1}), Values(list));
}

template <class List, class Node>
void ForeignLinksAreNeitherFoundNorRemoved()
{
    List list;
    Node a(1), b(2), stranger(9);
    list.Append(&a);
    list.Append(&b);
    // The doubly linked list trusts a link given to Remove to be its own; the singly
    // linked one walks to it and so also refuses a stranger and its tail.
    std::vector<decltype(list.Head())> foreign = {nullptr, list.Head()};
    if (std::is_same<List, RWSlistBase>::value)
        foreign.insert(foreign.end(), {reinterpret_cast<decltype(list.Head())>(&stranger), list.Tail()});
    for (auto* link : foreign) {
        EXPECT_EQ(nullptr, list.Remove(link));
        EXPECT_FALSE(list.Contains(link));
    }
    EXPECT_EQ((std::vector<int>{1, 2}), Values(list));
    EXPECT_EQ(&b, list.LastLink());
}

template <class List, class Node>
void IndexErrorsCarryIndexAndCountAndChangeNothing()
{
    List list;
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

} // namespace

TEST(RWListBase, InsertsAnywhereAndKeepsTheLastLink)
{
    InsertsAnywhereAndKeepsTheLastLink<RWSlistBase, SNode>();
    InsertsAnywhereAndKeepsTheLastLink<RWDlistBase, DNode>();
}

TEST(RWListBase, ForeignLinksAreNeitherFoundNorRemoved)
{
    ForeignLinksAreNeitherFoundNorRemoved<RWSlistBase, SNode>();
    ForeignLinksAreNeitherFoundNorRemoved<RWDlistBase, DNode>();
}

TEST(RWListBase, IndexErrorsCarryIndexAndCountAndChangeNothing)
{
    IndexErrorsCarryIndexAndCountAndChangeNothing<RWSlistBase, SNode>();
    IndexErrorsCarryIndexAndCountAndChangeNothing<RWDlistBase, DNode>();
}

TEST(RWSlistBase, RemovingTheLastMovesTheLastPointerToItsPredecessor)
{
    RWSlistBase list;
    SNode a(1), b(2), c(3), d(4);
    list.Append(&a);
    list.Append(&b);
    list.Append(&c);
    EXPECT_EQ(&c, list.RemoveAfter(&b));
    EXPECT_EQ(&b, list.LastLink());
    list.Append(&d);
    EXPECT_EQ((std::vector<int>{1, 2, 4}), Values(list));
    EXPECT_EQ(nullptr, list.Remove(&c)); // already unlinked
    EXPECT_EQ(nullptr, list.LinkBefore(&c));
    EXPECT_EQ(list.Head(), list.LinkBefore(&a));
}

TEST(RWSlistIterator, StaysOnTheTailAndRemoveCurrentStepsBack)
{
    RWSlistBase list;
    SNode a(1), b(2), c(3);
    list.Append(&a);
    list.Append(&b);
    list.Append(&c);
    RWSlistIterator it(list);
    EXPECT_EQ(nullptr, it.RemoveCurrent());
    while (it.AdvanceLink()) {
    }
    EXPECT_EQ(nullptr, it.AdvanceLink());
    EXPECT_TRUE(it.AtTail());
    it.Reset();
    it.AdvanceLink();
    it.AdvanceLink();
    EXPECT_EQ(&b, it.RemoveCurrent());
    EXPECT_EQ(&a, it.CurrentLink());
    EXPECT_EQ(&c, it.AdvanceLink());
    EXPECT_EQ(&c, it.RemoveCurrent());
    EXPECT_EQ(&a, list.LastLink());
    EXPECT_EQ((std::vector<int>{1}), Values(list));
}

TEST(RWDlistIterator, StopsOnTheSentinelsAndInsertsAfterCurrentKeepingThePosition)
{
    RWDlistBase list;
    DNode p1(1), p2(2), p3(3), p4(4);
    RWDlistIterator it(list);
    it.ToLast(); // on an empty list: the tail
    EXPECT_EQ(list.Tail(), it.CurrentLink());
    EXPECT_EQ(nullptr, it.RemoveCurrent());
    it.Reset();
    it.InsertAfterCurrent(&p2); // at the head: becomes first
    it.InsertAfterCurrent(&p1);
    EXPECT_EQ(list.Head(), it.CurrentLink());
    EXPECT_EQ(nullptr, it.Advance(5));
    it.InsertAfterCurrent(&p4); // at the tail: appended
    EXPECT_EQ(list.Tail(), it.CurrentLink());
    EXPECT_EQ(&p4, it.Retreat());
    EXPECT_EQ(&p2, it.Retreat());
    it.InsertAfterCurrent(&p3);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), Values(list));
    EXPECT_EQ(nullptr, it.Retreat(7));
    EXPECT_EQ(list.Head(), it.CurrentLink());

    it.Advance(2);
    EXPECT_EQ(&p2, it.RemoveCurrent());
    EXPECT_EQ(&p1, it.CurrentLink());
    EXPECT_EQ(&p1, it.RemoveCurrent());
    EXPECT_EQ(list.Head(), it.CurrentLink());
    EXPECT_EQ((std::vector<int>{3, 4}), Values(list));
}
