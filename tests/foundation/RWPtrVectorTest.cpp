#include "foundation/RWErrorHandler.h"
#include "foundation/RWPtrVector.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

namespace {
int g_items[4];
void* P(int i) { return &g_items[i]; }
} // namespace

TEST(RWPtrVector, CopiesAndAssignmentsHoldTheirOwnArray)
{
    RWPtrVector v(2, P(0));
    EXPECT_EQ(nullptr, RWPtrVector(0, P(1)).Data());
    v[1] = P(2);
    RWPtrVector copy(v);
    EXPECT_NE(v.Data(), copy.Data());
    EXPECT_EQ(P(2), copy[1]);
    RWPtrVector assigned(5, nullptr);
    assigned = v;
    EXPECT_EQ(P(0), assigned[0]);
    const void* const* before = assigned.Data();
    assigned = assigned;
    EXPECT_EQ(before, assigned.Data());
}

TEST(RWPtrVector, ReshapeKeepsTheCommonEntriesAndReshapeToZeroFreesTheArray)
{
    RWPtrVector v(3, P(1));
    v.Fill(P(3));
    v.Reshape(5);
    EXPECT_EQ(P(3), v[2]);
    v.Reshape(2);
    v.Resize(4);
    EXPECT_EQ(P(3), v[1]);
    EXPECT_EQ(nullptr, v[2]);
    EXPECT_EQ(nullptr, v[3]);
    v.Reshape(0);
    EXPECT_EQ(0u, v.Length());
    EXPECT_EQ(nullptr, v.Data());
}
TEST(RWPtrVector, IndexChecksRaiseBoundsErrors)
{
    RWPtrVector v(2, P(1));
    TestErrorCapture capture;
    EXPECT_EQ(nullptr, v.At(2));
    EXPECT_TRUE(capture.LastIs<RWBoundsError>());
    EXPECT_EQ("[INDEXERR] Illegal Index (2) for collection or string with 2 elements", capture.Last());
    EXPECT_FALSE(v.Set(0xFFFFFFFFu, P(2)));
    EXPECT_EQ("[NPOSINDEX] The value RW_NPOS cannot be used as an index.", capture.Last());
    EXPECT_TRUE(v.Set(1, P(2)));
    EXPECT_EQ(P(2), v.At(1));
    EXPECT_EQ(2u, capture.Count());
}
