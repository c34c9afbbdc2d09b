#include "model/GCountedPtrVector.h"

#include "foundation/RWErrorHandler.h"
#include "model/GCountedPtrVectorIterator.h"
#include "ModelTestObjects.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

namespace {

// The ids of the members in order.
std::vector<long> Ids(const GCountedPtrVector& vector)
{
    std::vector<long> ids;
    for (uint32_t i = 0; i < vector.Entries(); ++i)
        ids.push_back(vector[i]->GetId());
    return ids;
}

void Fill(GCountedPtrVector& vector, std::initializer_list<long> ids)
{
    for (long id : ids)
        vector.Append(new GObjectBase(id));
}

} // namespace

TEST(GCountedPtrVector, GrowsBySixtyFourSlotsAndResizeKeepsTheLeadingMembers)
{
    int deletions = 0;
    GCountedPtrVector vector;
    EXPECT_EQ(10u, vector.Capacity());
    for (long i = 0; i < 11; ++i)
        vector.Append(new TrackedObject(i, &deletions));
    EXPECT_EQ(74u, vector.Capacity());
    EXPECT_TRUE(vector.Resize(3));
    EXPECT_EQ(3u, vector.Capacity());
    EXPECT_EQ((std::vector<long>{0, 1, 2}), Ids(vector));
    EXPECT_EQ(8, deletions);
    vector.RemoveAll();
    EXPECT_EQ(11, deletions);
    EXPECT_EQ(0u, vector.Entries());
    EXPECT_EQ(64u, vector.Capacity());
}

TEST(GCountedPtrVector, InsertsAndRemovesKeepingOrder)
{
    GCountedPtrVector vector;
    Fill(vector, {1, 2, 3});
    EXPECT_TRUE(vector.InsertAt(0, new GObjectBase(0)));
    EXPECT_TRUE(vector.InsertAt(4, new GObjectBase(4)));
    EXPECT_TRUE(vector.InsertAt(2, new GObjectBase(9)));
    EXPECT_EQ((std::vector<long>{0, 1, 9, 2, 3, 4}), Ids(vector));
    GCountedPtr removed = vector.RemoveAt(2);
    EXPECT_EQ(9, removed->GetId());
    EXPECT_EQ(0, removed->References());
    EXPECT_EQ((std::vector<long>{0, 1, 2, 3, 4}), Ids(vector));
}

TEST(GCountedPtrVector, BadIndexesRaiseTheIndexError)
{
    GCountedPtrVector vector;
    Fill(vector, {1, 2});
    TestErrorCapture capture;
    EXPECT_EQ(nullptr, vector.At(2));
    EXPECT_EQ("[INDEXERR] Illegal Index (2) for collection or string with 2 elements", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWBoundsError>());
    EXPECT_TRUE(vector.RemoveAt(7).IsNull());
    GObjectBase outside(3);
    EXPECT_FALSE(vector.InsertAt(4, &outside));
    EXPECT_EQ(-1, outside.References());
    EXPECT_EQ(2u, vector.Entries());
    EXPECT_EQ(3u, capture.Count());
}

TEST(GCountedPtrVector, CopiesShareTheMembers)
{
    GCountedPtrVector vector(20);
    Fill(vector, {1, 2});
    GCountedPtrVector copy(vector);
    EXPECT_EQ(20u, copy.Capacity());
    EXPECT_EQ(vector[0].Get(), copy[0].Get());
    EXPECT_EQ(1, copy[0]->References());
    GCountedPtrVector assigned;
    Fill(assigned, {7});
    assigned = vector;
    EXPECT_EQ((std::vector<long>{1, 2}), Ids(assigned));
    EXPECT_EQ(2, vector[1]->References());
}

TEST(GCountedPtrVectorIterator, RunsOutAndStartsAgain)
{
    GCountedPtrVector vector;
    Fill(vector, {1, 2, 3});
    GCountedPtrVectorIterator it(nullptr, vector);
    std::vector<long> seen;
    while (it.Next())
        seen.push_back(it.Current()->GetId());
    EXPECT_EQ((std::vector<long>{1, 2, 3}), seen);
    EXPECT_EQ(-1, it.Index());
    EXPECT_EQ(1, it.Next());
    EXPECT_EQ(1, it.Current()->GetId());
}

TEST(GCountedPtrVectorIterator, CurrentBeforeNextRaisesTheIndexError)
{
    GCountedPtrVector vector;
    Fill(vector, {1});
    GCountedPtrVectorIterator it(nullptr, vector);
    TestErrorCapture capture;
    EXPECT_EQ(nullptr, it.Current());
    EXPECT_EQ("[INDEXERR] Illegal Index (4294967295) for collection or string with 1 elements", capture.Last());
}

TEST(GCountedPtrVectorIterator, ReplaceCurrentPutsTheObjectInPlace)
{
    int deletions = 0;
    GCountedPtrVector vector;
    vector.Append(new TrackedObject(1, &deletions));
    vector.Append(new TrackedObject(2, &deletions));
    GCountedPtrVectorIterator it(nullptr, vector);
    it.Next();
    it.Next();
    it.ReplaceCurrent(new GObjectBase(5));
    EXPECT_EQ(1, deletions);
    EXPECT_EQ((std::vector<long>{1, 5}), Ids(vector));
    EXPECT_EQ(0, vector[1]->References());
}

TEST(GCountedPtrVectorIterator, ReplaceCurrentBeforeNextAppends)
{
    GCountedPtrVector vector;
    GCountedPtrVectorIterator it(nullptr, vector);
    it.ReplaceCurrent(new GObjectBase(1));
    EXPECT_EQ((std::vector<long>{1}), Ids(vector));
    it.ReplaceCurrent(new GObjectBase(2));
    EXPECT_EQ((std::vector<long>{1, 2}), Ids(vector));
    it.ReplaceCurrent(nullptr);
    EXPECT_EQ(2u, vector.Entries());
}

TEST(GCountedPtrVectorIterator, RemoveCurrentStepsBackAndPreviousWalksDown)
{
    GCountedPtrVector vector;
    Fill(vector, {1, 2, 3});
    GCountedPtrVectorIterator it(nullptr, vector);
    it.Next();
    it.Next();
    it.RemoveCurrent();
    EXPECT_EQ(1, it.Next());
    EXPECT_EQ(3, it.Current()->GetId());
    EXPECT_EQ(3, it.CurrentRef()->GetId());
    EXPECT_EQ(1, it.Previous());
    EXPECT_EQ(1, it.Current()->GetId());
    EXPECT_EQ(0, it.Previous());
    EXPECT_EQ(-1, it.Index());
    it.Reset();
    EXPECT_EQ(1, it.Next());
    EXPECT_EQ(1, it.Current()->GetId());
}
