#include "../model/StoredForms.h"
#include "graphics/GAngle.h"
#include "graphics/GDeviceMemoryBudget.h"
#include "graphics/GDitherMatrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const uint8_t kSixteen[16] = {0, 1, 2, 3, 10, 11, 12, 13, 20, 21, 22, 23, 30, 31, 32, 33};

} // namespace

TEST(GDitherMatrix, ReadsOnlyInsideTheTile)
{
    GDitherMatrix matrix(4, 4, kSixteen, 600, 1);
    EXPECT_EQ(0, matrix.GetThreshold(4, 0));
    EXPECT_EQ(0, matrix.GetThreshold(0, 4));
    matrix.SetThreshold(4, 0, 99);
    GDitherMatrix same(4, 4, kSixteen, 600, 1);
    EXPECT_TRUE(matrix.IsSame(&same));

    uint8_t row[4] = {};
    ASSERT_TRUE(matrix.CopyRow(row, 2, 1));
    EXPECT_EQ((std::vector<uint8_t>{12, 13, 10, 11}), std::vector<uint8_t>(row, row + 4));
    ASSERT_TRUE(matrix.CopyRow(row, 7, 0)); // columns go modulo the width
    EXPECT_EQ(3, row[0]);
    EXPECT_FALSE(matrix.CopyRow(row, 0, 4));
    ASSERT_TRUE(matrix.BeginRow(3, 0));
    EXPECT_EQ(3, matrix.NextThreshold());
    EXPECT_EQ(0, matrix.NextThreshold());
    EXPECT_EQ(1, matrix.NextThreshold());
    EXPECT_FALSE(matrix.BeginRow(0, 4));
    EXPECT_EQ(0, matrix.NextThreshold());

    GDitherMatrix empty;
    EXPECT_FALSE(empty.BeginRow(0, 0));
    EXPECT_FALSE(empty.CopyRow(row, 0, 0));
}

TEST(GDitherMatrix, StoresItsExactBytes)
{
    GDitherMatrix matrix(4, 4, kSixteen, 600, 300, 1, 2, 65535, 9);
    matrix.SetExtra(0x01020304);
    matrix.SetSerial(0);
    const std::vector<uint8_t> expected = StoredBytes()
                                              .Root(9, 0)
                                              .U32(3)
                                              .U16(4)
                                              .U16(4)
                                              .Raw(std::vector<uint8_t>(kSixteen, kSixteen + 16))
                                              .U16(600)
                                              .U32(0x01020304)
                                              .U16(300)
                                              .U16(1)
                                              .U16(2)
                                              .U16(65535);
    EXPECT_EQ(expected, GutsBytes(matrix));
}

TEST(GDitherMatrix, OversizedOrShortStoredTilesKeepTheMatrix)
{
    const std::vector<uint8_t> cases[] = {
        StoredBytes().Root(9, 0).U32(3).U16(300).U16(300).Raw(std::vector<uint8_t>(90000 + 14)),
        StoredBytes().Root(9, 0).U32(3).U16(200).U16(200).Raw(std::vector<uint8_t>(100)),
        StoredBytes().Root(9, 0).U32(3).U16(1).U16(1).U8(5).U16(600).U32(0).U16(600).U16(256).U16(0).U16(0),
    };
    for (const auto& bytes : cases) {
        GDitherMatrix matrix(4, 4, kSixteen, 600, 1);
        RestoreGutsFrom(matrix, bytes);
        EXPECT_EQ(4, matrix.GetWidth());
        EXPECT_EQ(33, matrix.GetThreshold(3, 3));
    }
}

// A cursor left on the old tile would read the new one from a row it never began.
TEST(GDitherMatrix, ARestorePutsTheRowCursorOff)
{
    GDitherMatrix matrix(4, 4, kSixteen, 600, 1);
    ASSERT_TRUE(matrix.BeginRow(0, 1));
    RestoreGutsFrom(matrix, StoredBytes().Root(9, 0).U32(3).U16(2).U16(2).Raw({1, 2, 3, 4}).U16(600).U32(0).U16(600)
                                .U16(0).U16(0).U16(0));
    EXPECT_EQ(2, matrix.GetWidth());
    EXPECT_EQ(0, matrix.NextThreshold());
    ASSERT_TRUE(matrix.BeginRow(0, 1));
    EXPECT_EQ(3, matrix.NextThreshold());
}

TEST(FindDitherMatrix, MatchesResolutionOptionsAndLevel)
{
    const GDitherMatrix any(1, 1, kSixteen, 600, 600, 7, 0, 5, 1);
    const GDitherMatrix strict(1, 1, kSixteen, 600, 600, 7, 0, 65535, 2);
    const GDitherMatrix other(1, 1, kSixteen, 300, 300, 0, 0, 0, 3);
    const std::vector<const GDitherMatrix*> list = {&other, &any, &strict};
    int32_t index = 0;
    EXPECT_EQ(&any, FindDitherMatrix(600, 600, 0, 4, 0, list, -1, false, &index));
    EXPECT_EQ(1, index);
    EXPECT_EQ(&strict, FindDitherMatrix(600, 600, 7, 0, 0, list, 1, false));
    EXPECT_EQ(&strict, FindDitherMatrix(600, 600, 0, 0, 1, list, -1, true));
    EXPECT_EQ(nullptr, FindDitherMatrix(600, 600, 8, 0, 0, list, -1, false, &index));
    EXPECT_EQ(-1, index);
    EXPECT_EQ(nullptr, FindDitherMatrix(600, 300, 0, 0, 0, list, -1, false));
    EXPECT_EQ(nullptr, FindDitherMatrix(600, 600, 0, 0, 0, list, 2, false));
}

TEST(GAngle, FoldsIntoOneTurn)
{
    const struct {
        float in;
        float out;
    } cases[] = {
        {-90.0f, 270.0f}, {-450.0f, 270.0f}, {720.0f, 0.0f}, {359.5f, 359.5f}, {0.0f, 0.0f},
        {std::numeric_limits<float>::quiet_NaN(), 0.0f}, {std::numeric_limits<float>::infinity(), 0.0f},
        {-std::numeric_limits<float>::infinity(), 0.0f}, {-1e-30f, 0.0f},
    };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(c.out, GAngle(c.in).Value()) << c.in;
    const float huge = GAngle(1e30f).Value();
    EXPECT_TRUE(huge >= 0.0f && huge < 360.0f);
    EXPECT_NEAR(1.0, GAngle(90.0f).Sin(), 1e-6);
}

TEST(GDeviceMemoryBudget, FillsRatherThanRefusesAndNeverGoesNegative)
{
    GDeviceMemoryBudget budget;
    EXPECT_EQ(1048576u, budget.GetFree());
    EXPECT_EQ(1048476u, budget.Reserve(100));
    EXPECT_EQ(0u, budget.Reserve(2000000));
    EXPECT_EQ(0u, budget.GetFree());
    EXPECT_EQ(1048576u, budget.Release(5000000));
    budget.SetTotal(10);
    EXPECT_EQ(0u, budget.Reserve(10));
    EXPECT_EQ(10u, budget.Reset());
}
