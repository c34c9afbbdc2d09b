#include "foundation/RWDlistBase.h"
#include "foundation/RWErrorHandler.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Page : RWDlistLink {
    int number;
    explicit Page(int n) : number(n) { next = prev = nullptr; }
};

int Number(const RWDlistLink* link) { return link ? static_cast<const Page*>(link)->number : -1; }

// Forwards and backwards, so that both directions of every link are checked.
std::vector<int> Numbers(const RWDlistBase& list)
{
    std::vector<int> forward, backward;
    for (const RWDlistLink* p = list.Head()->next; p != list.Tail(); p = p->next)
        forward.push_back(Number(p));
    for (const RWDlistLink* p = list.Tail()->prev; p != list.Head(); p = p->prev)
        backward.insert(backward.begin(), Number(p));
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(list.Entries(), forward.size());
    return forward;
}

} // namespace

TEST(RWDlistBase, InsertsAndRemoves)
{
    RWDlistBase list;
    EXPECT_EQ(list.Tail(), list.Head()->next);
    EXPECT_EQ(list.Head(), list.Tail()->prev);
    EXPECT_EQ(list.Head(), list.Head()->prev);
    EXPECT_EQ(list.Tail(), list.Tail()->next);
    EXPECT_EQ(nullptr, list.FirstLink());
    EXPECT_EQ(nullptr, list.LastLink());
    Page p1(1), p2(2), p3(3), p4(4);
    list.Append(&p2);
    list.Prepend(&p1);
    list.InsertAfter(&p2, &p4);
    EXPECT_TRUE(list.InsertAt(2, &p3));
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), Numbers(list));
    EXPECT_EQ(&p3, list.At(2));
    EXPECT_TRUE(list.Contains(&p4));
    EXPECT_EQ(&p2, list.Remove(&p2));
    EXPECT_FALSE(list.Contains(&p2));
    EXPECT_EQ((std::vector<int>{1, 3, 4}), Numbers(list));
    EXPECT_EQ(&p4, list.RemoveAt(2));
    EXPECT_EQ(&p1, list.RemoveAt(0));
    EXPECT_EQ((std::vector<int>{3}), Numbers(list));
    EXPECT_EQ(nullptr, list.Remove(list.Head()));
    EXPECT_EQ(nullptr, list.Remove(nullptr));
    EXPECT_TRUE(list.InsertAt(1, &p4));
    EXPECT_EQ((std::vector<int>{3, 4}), Numbers(list));
}

TEST(RWDlistBase, IndexErrors)
{
    RWDlistBase list;
    Page p1(1), x(9);
    list.Append(&p1);
    TestErrorCapture capture;
    EXPECT_EQ(nullptr, list.At(1));
    EXPECT_TRUE(capture.LastIs<RWBoundsError>());
    EXPECT_EQ("[INDEXERR] Illegal Index (1) for collection or string with 1 elements", capture.Last());
    EXPECT_FALSE(list.InsertAt(2, &x));
    EXPECT_EQ("[INDEXERR] Illegal Index (2) for collection or string with 1 elements", capture.Last());
    EXPECT_EQ(nullptr, list.RemoveAt(0xFFFFFFFFu));
    EXPECT_EQ("[NPOSINDEX] The value RW_NPOS cannot be used as an index.", capture.Last());
    EXPECT_EQ(3u, capture.Count());
    EXPECT_EQ((std::vector<int>{1}), Numbers(list));
}

TEST(RWDlistIterator, AdvancesAndRetreatsAndStopsOnTheSentinels)
{
    RWDlistBase list;
    Page p1(1), p2(2), p3(3);
    list.Append(&p1);
    list.Append(&p2);
    list.Append(&p3);
    RWDlistIterator it(list);
    EXPECT_FALSE(it.OnElement());
    EXPECT_EQ(&p1, it.Advance());
    EXPECT_TRUE(it.AtFirst());
    EXPECT_EQ(&p3, it.Advance(2));
    EXPECT_TRUE(it.AtLast());
    EXPECT_EQ(nullptr, it.Advance(4));
    EXPECT_EQ(list.Tail(), it.CurrentLink());
    EXPECT_EQ(&p3, it.Retreat());
    EXPECT_EQ(nullptr, it.Retreat(7));
    EXPECT_EQ(list.Head(), it.CurrentLink());
    EXPECT_EQ(&p1, it.Advance());
    it.ToLast();
    EXPECT_EQ(&p3, it.CurrentLink());
    it.Reset();
    EXPECT_EQ(list.Head(), it.CurrentLink());
}

TEST(RWDlistIterator, InsertAfterCurrentKeepsThePosition)
{
    RWDlistBase list;
    Page p1(1), p2(2), p3(3), p4(4);
    RWDlistIterator it(list);
    it.ToLast(); // on an empty list: the tail
    EXPECT_EQ(list.Tail(), it.CurrentLink());
    EXPECT_FALSE(it.AtFirst());
    EXPECT_FALSE(it.AtLast());
    EXPECT_EQ(nullptr, it.RemoveCurrent());
    it.Reset();
    it.InsertAfterCurrent(&p2); // at the head: becomes first
    it.InsertAfterCurrent(&p1);
    EXPECT_EQ(list.Head(), it.CurrentLink());
    EXPECT_EQ(&p1, it.Advance());
    it.Advance(5);
    it.InsertAfterCurrent(&p4); // at the tail: appended
    EXPECT_EQ(list.Tail(), it.CurrentLink());
    EXPECT_EQ(&p4, it.Retreat());
    EXPECT_EQ(&p2, it.Retreat());
    it.InsertAfterCurrent(&p3);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4}), Numbers(list));
}

TEST(RWDlistIterator, RemoveCurrentStepsBack)
{
    RWDlistBase list;
    Page p1(1), p2(2), p3(3);
    list.Append(&p1);
    list.Append(&p2);
    list.Append(&p3);
    RWDlistIterator it(list);
    it.Advance(2);
    EXPECT_EQ(&p2, it.RemoveCurrent());
    EXPECT_EQ(&p1, it.CurrentLink());
    EXPECT_EQ(&p3, it.Advance());
    EXPECT_EQ(&p3, it.RemoveCurrent());
    EXPECT_EQ(&p1, it.RemoveCurrent());
    EXPECT_EQ(list.Head(), it.CurrentLink());
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ((std::vector<int>{}), Numbers(list));
}
