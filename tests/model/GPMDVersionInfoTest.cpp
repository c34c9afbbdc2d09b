#include "model/GPMDVersionInfo.h"

#include "StoredForms.h"

#include "foundation/RWErrorHandler.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

namespace {

enum class Half { FirstMinor, FirstMajor, SecondMinor, SecondMajor };

struct IncrementCase {
    Half half;
    uint32_t before;
    int16_t answer;
    uint32_t after;
};

// Minor halves count up within their word; major halves count up and clear the minor
// half; a full half stays and answers -1.
const IncrementCase kIncrements[] = {
    {Half::FirstMinor, 0x00010002, 2, 0x00010003},       {Half::FirstMinor, 0x0001FFFF, -1, 0x0001FFFF},
    {Half::FirstMajor, 0x00010002, 1, 0x00020000},       {Half::FirstMajor, 0xFFFF0001, -1, 0xFFFF0001},
    {Half::SecondMinor, 0x00017FFF, 0x7FFF, 0x00018000}, {Half::SecondMinor, 0xFFFFFFFF, -1, 0xFFFFFFFF},
    {Half::SecondMajor, 0x7FFE1234, 0x7FFE, 0x7FFF0000}, {Half::SecondMajor, 0xFFFE0000, -2, 0xFFFF0000},
};

} // namespace

TEST(GPMDVersionInfoIncrement, EachHalfCountsUpAndStopsWhenFull)
{
    for (const IncrementCase& c : kIncrements) {
        const bool first = c.half == Half::FirstMinor || c.half == Half::FirstMajor;
        GPMDVersionInfo info(first ? c.before : 0, first ? 0 : c.before, 1);
        int16_t answer = 0;
        switch (c.half) {
        case Half::FirstMinor:
            answer = info.IncrementFirstMinor();
            break;
        case Half::FirstMajor:
            answer = info.IncrementFirstMajor();
            break;
        case Half::SecondMinor:
            answer = info.IncrementSecondMinor();
            break;
        case Half::SecondMajor:
            answer = info.IncrementSecondMajor();
            break;
        }
        EXPECT_EQ(c.answer, answer) << std::hex << c.before;
        EXPECT_EQ(c.after, first ? info.GetFirstVersion() : info.GetSecondVersion()) << std::hex << c.before;
        EXPECT_EQ(0u, first ? info.GetSecondVersion() : info.GetFirstVersion());
    }
}

TEST(GPMDVersionInfoTexts, TextsKeepTheirOrderAndABadIndexRaises)
{
    GPMDVersionInfo info;
    info.AddString("one");
    info.AddString(nullptr);
    info.AddString("three");
    const GPMDStringList& texts = info.GetStrings();
    ASSERT_EQ(3u, texts.Entries());
    EXPECT_TRUE(texts.At(0) == "one");
    EXPECT_EQ(0u, texts.At(1).Length());
    EXPECT_TRUE(texts.At(2) == "three");
    TestErrorCapture capture;
    EXPECT_EQ(0u, texts.At(3).Length());
    EXPECT_EQ("[INDEXERR] Illegal Index (3) for collection or string with 3 elements", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWBoundsError>());
}

TEST(GPMDVersionInfoCompare, EveryFieldCounts)
{
    GPMDVersionInfo a(1, 2, 3, 4);
    a.AddString("x");
    GPMDVersionInfo same(a);
    EXPECT_TRUE(a.IsSame(&same));
    EXPECT_EQ(a.GetSerial(), same.GetSerial());
    GPMDVersionInfo swapped(2, 1, 3, 4);
    swapped.AddString("x");
    EXPECT_FALSE(a.IsSame(&swapped));
    GPMDVersionInfo moreTexts(a);
    moreTexts.AddString("y");
    EXPECT_FALSE(a.IsSame(&moreTexts));
    GPMDVersionInfo extra(a);
    extra.SetSecondExtra(1);
    EXPECT_FALSE(a.IsSame(&extra));
}

TEST(GPMDVersionInfoStore, SecondVersionIsStoredBeforeTheFirst)
{
    GPMDVersionInfo info(0x00010002, 0x00030004, 5, 9);
    info.SetSerial(1);
    info.SetFirstExtra(0x11);
    info.SetSecondExtra(0x22);
    info.AddString("ab");
    const uint8_t expected[] = {
        0x01, 0x00, 0x00, 0x00, 0x09, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,  // root part
        0x01, 0x00, 0x00, 0x00,                                                  // version
        0x04, 0x00, 0x03, 0x00,                                                  // second version word
        0x02, 0x00, 0x01, 0x00,                                                  // first version word
        0x05, 0x00,                                                              // kind
        0x11, 0x00, 0x00, 0x00,                                                  // first extra
        0x22, 0x00, 0x00, 0x00,                                                  // second extra
        0x01, 0x00, 0x00, 0x00,                                                  // text count
        0x02, 0x00, 0x00, 0x00, 'a',  'b',                                       // text
    };
    EXPECT_EQ(std::vector<uint8_t>(expected, expected + sizeof expected), GutsBytes(info));

    GPMDVersionInfo restored;
    RestoreGutsAndMeasure(restored, GutsBytes(info));
    EXPECT_EQ(0x00010002u, restored.GetFirstVersion());
    EXPECT_EQ(0x00030004u, restored.GetSecondVersion());
}
