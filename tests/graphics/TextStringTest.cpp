// Text strings and their conversions, escapements, compact character codes, code sets
// and the encoding tables.
#include "../model/StoredForms.h"
#include "TestFonts.h"

#include "graphics/GCodeSet.h"
#include "graphics/GTextEscapements.h"
#include "graphics/GTextString.h"
#include "model/GTextConverter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

GTextString Text16(std::vector<uint16_t>& chars, GEncoding encoding, uint32_t owned = 0)
{
    return GTextString(GSharedArray(chars.data(), uint32_t(chars.size()), owned), uint16_t(chars.size()), 2, encoding);
}

GSharedArray Borrowed(std::vector<int16_t>& values) { return GSharedArray(values.data(), uint32_t(values.size()), 0); }

std::vector<int16_t> Xs(const GTextEscapements& e)
{
    std::vector<int16_t> xs;
    for (uint32_t i = 0; i < e.GetCount(); ++i)
        xs.push_back(e.GetXAdvance(i));
    return xs;
}

std::vector<int16_t> Ys(const GTextEscapements& e)
{
    std::vector<int16_t> ys;
    for (uint32_t i = 0; i < e.GetCount(); ++i)
        ys.push_back(e.GetYAdvance(i));
    return ys;
}

int Collect(uint32_t code, void* codes)
{
    static_cast<std::vector<uint32_t>*>(codes)->push_back(code);
    return int(code & 0xFF);
}

} // namespace

TEST(CharCodeMap, PassesReservedRangesAndGivesEachOtherCodeOneCompactCode)
{
    TestCodeMap map;
    EXPECT_EQ(0x20AC, map.Map(0x20AC));
    EXPECT_EQ(0xFF01, map.Map(0xFF01));
    EXPECT_EQ(0x41, map.Map(0x41));
    EXPECT_EQ(0x2000, map.Map(0x2000));
    EXPECT_EQ(0, map.advances) << "codes that pass unchanged never touch the table";
    EXPECT_EQ(256, map.Map(0x0100));
    EXPECT_EQ(256, map.Map(0x0100));
    EXPECT_EQ(1, map.advances) << "a code keeps the compact code it was given first";
    EXPECT_EQ(257, map.Map(0x4E00));
    EXPECT_EQ(258, map.Map(0x1FFF));
    EXPECT_EQ(259, map.Map(0x2100));
    EXPECT_EQ(260, map.Map(0xFEFF));
    EXPECT_EQ(257, map.Map(0x4E00));
    map.Reset();
    EXPECT_EQ(256, map.GetNextCode());
    EXPECT_EQ(256, map.Map(0x4E00)) << "Reset forgets every compact code";
}

TEST(CodeSet, KeepsCodesAcrossBlocksInAscendingOrder)
{
    GCodeSet set;
    EXPECT_TRUE(set.IsEmpty());
    const struct { uint32_t code; int byte; } adds[] = {
        {0x4E00, 0}, {7, 0}, {8, 1}, {127, 15}, {128, 0}, {0x4E7F, 15}, {1000, (1000 / 8) % 16}, {0x10000, 0}};
    for (const auto& add : adds)
        EXPECT_EQ(add.byte, set.Add(add.code)) << add.code;
    EXPECT_EQ(8u, set.GetCount());
    for (uint32_t code : {0u, 6u, 9u, 126u, 129u, 0x4E01u, 999u, 0xFFFFu})
        EXPECT_EQ(0, set.Contains(code)) << code;
    std::vector<uint32_t> seen;
    EXPECT_EQ(int(0x10000 & 0xFF), set.ForEach(&Collect, &seen));
    EXPECT_EQ(std::vector<uint32_t>({7, 8, 127, 128, 1000, 0x4E00, 0x4E7F, 0x10000}), seen);
    set.Remove(128);
    set.Remove(5000);
    EXPECT_EQ(0, set.Contains(128));
    EXPECT_EQ(1, set.Contains(127));
    GCodeSet other;
    other.Add(3), other.Add(127);
    EXPECT_TRUE(other.AddAll(set));
    EXPECT_EQ(8u, other.GetCount()) << "the union of both sets";
    GCodeSet none;
    seen.clear();
    EXPECT_EQ(0, none.ForEach(&Collect, &seen));
    EXPECT_TRUE(seen.empty());
}

TEST(TextEncoding, UserDefinedRangesAtTheirEdges)
{
    const struct { int32_t encoding; uint16_t code; int expected; } rows[] = {
        {16, 0xDFFF, 0}, {16, 0xE000, 1}, {16, 0xEDE7, 1}, {16, 0xEDE8, 0},
        {17, 0xF03F, 0}, {17, 0xF040, 1}, {17, 0xF9FC, 1}, {17, 0xF9FD, 0},
        {18, 0x9A41, 1}, {18, 0xA0FF, 0}, {18, 0xAA41, 1}, {18, 0xAFFE, 1}, {18, 0xF8A1, 1}, {18, 0xFEFF, 0},
        {19, 0xA140, 1}, {19, 0xA77E, 1}, {19, 0xA77F, 0}, {19, 0xA780, 1}, {19, 0xA7A0, 1}, {19, 0xA7A1, 0},
        {19, 0xAAA1, 1}, {19, 0xAFFE, 1}, {19, 0xAAA0, 0}, {19, 0xF8A1, 1}, {19, 0xFEFE, 1}, {19, 0xFEFF, 0},
        {19, 0xA8A1, 0},
        {20, 0xE000, 0}, {22, 0xE000, 0},
        {21, 0xC9A0, 0}, {21, 0xC9A1, 1}, {21, 0xC9FF, 0}, {21, 0xFEA1, 1},
        {23, 0x8140, 1}, {23, 0x8DFF, 0}, {23, 0x8E40, 1}, {23, 0xA0FE, 1}, {23, 0xC6A1, 1}, {23, 0xFA40, 1},
        {23, 0xFEFF, 0}, {15, 0xE000, 0},
    };
    for (const auto& row : rows) {
        std::vector<uint16_t> chars = {0x41, row.code};
        EXPECT_EQ(row.expected, HasUserDefinedCharacters(Text16(chars, ToEncoding(row.encoding))))
            << row.encoding << " " << std::hex << row.code;
    }
    uint8_t narrow[] = {0xE0, 0x00};
    EXPECT_EQ(0, HasUserDefinedCharacters(GTextString(GSharedArray(narrow, 2, 0), 2, 1, GEncoding::kUnicode)))
        << "8-bit text has none";
}

TEST(TextEncoding, LeadBytesAndClassesOfEncodingsAndCharacterSets)
{
    const struct { uint8_t byte; int lead; } sjis[] = {
        {0x80, 0}, {0x81, 1}, {0x9F, 1}, {0xA0, 0}, {0xE0, 1}, {0xFC, 1}, {0xFD, 0}};
    for (const auto& row : sjis) {
        EXPECT_EQ(row.lead, IsLeadByte(ToEncoding(17), row.byte)) << int(row.byte);
        EXPECT_EQ(row.lead, IsLeadByte(ToCharSet(17), row.byte)) << int(row.byte);
    }
    const struct { uint32_t code; uint8_t low, high; } sets[] = {
        {18, 0xA1, 0xFE}, {19, 0x81, 0xFE}, {20, 0xA1, 0xFE}, {21, 0x81, 0xFE}, {22, 0x84, 0xF9}, {23, 0x81, 0xFE}};
    for (const auto& set : sets) {
        EXPECT_EQ(0, IsLeadByte(ToCharSet(set.code), uint8_t(set.low - 1))) << set.code;
        EXPECT_EQ(1, IsLeadByte(ToCharSet(set.code), set.low)) << set.code;
        EXPECT_EQ(1, IsLeadByte(ToCharSet(set.code), set.high)) << set.code;
        EXPECT_EQ(set.high == 0xFE ? 0 : 0, IsLeadByte(ToCharSet(set.code), uint8_t(set.high + 1))) << set.code;
    }
    EXPECT_EQ(0, IsLeadByte(ToCharSet(16), 0x81));
    EXPECT_EQ(0, IsLeadByte(ToEncoding(24), 0x81));
    const struct { uint32_t code; int encodingClass, bytes; } classes[] = {
        {0, 0, 0}, {1, 1, 1}, {2, 0, 0}, {3, 0, 0}, {16, 1, 1}, {17, 2, 2}, {23, 2, 2}, {24, 0, 0}};
    for (const auto& row : classes) {
        EXPECT_EQ(row.encodingClass, GetEncodingClass(ToEncoding(int32_t(row.code)))) << row.code;
        EXPECT_EQ(row.bytes, GetCharacterBytes(ToCharSet(row.code))) << row.code;
    }
}

TEST(TextString, GetCharIsBoundedByTheLengthAndTheCharacters)
{
    std::vector<uint16_t> chars = {0x41, 0x4E00};
    GTextString text = Text16(chars, GEncoding::kUnicode);
    EXPECT_EQ(0x4E00, text.GetChar(1));
    EXPECT_EQ(0, text.GetChar(2));
    EXPECT_EQ(0, text.GetChar(0xFFFFFFFF));
    // A length beyond the characters held (an allocation that failed) reads no further.
    GTextString longer(GSharedArray(chars.data(), 2, 0), 40, 2, GEncoding::kUnicode);
    EXPECT_EQ(0, longer.GetChar(2));
    EXPECT_EQ(0, longer.GetChar(39));
    EXPECT_EQ(0, GTextString().GetChar(0));
    EXPECT_EQ(nullptr, GTextString().GetText());
}

TEST(TextString, BorrowedCharactersAreCopiedBeforeTheyAreChanged)
{
    std::vector<uint16_t> chars = {1, 2, 3};
    GTextString text = Text16(chars, GEncoding::kUnicode);
    EXPECT_EQ(0u, text.IsOwned());
    EXPECT_EQ(chars.data(), text.GetText());
    uint16_t* own = static_cast<uint16_t*>(text.GetWritableText());
    ASSERT_NE(nullptr, own);
    EXPECT_NE(chars.data(), own);
    own[0] = 9;
    EXPECT_EQ(1, chars[0]) << "the caller's buffer is never written";
    EXPECT_EQ(9, text.GetChar(0));
    GTextString copy(text);
    EXPECT_TRUE(copy.IsOwned() && copy.IsSame(&text));
}

TEST(TextString, ConversionsFollowTheirRulesInOrder)
{
    std::vector<uint16_t> chars = {0x41, 0x4E00, 0x20AC};
    GTextString unicode = Text16(chars, GEncoding::kUnicode);

    GTextString same(unicode, GEncoding::kUnicode, nullptr);
    EXPECT_TRUE(same.GetCharSize() == 2 && same.GetChar(1) == 0x4E00 && same.IsOwned());

    TestCodeMap map;
    GTextString compact(unicode, GEncoding::kCompact, &map);
    EXPECT_EQ(2, compact.GetCharSize());
    EXPECT_EQ(std::vector<uint16_t>({0x41, 256, 0x20AC}),
              (std::vector<uint16_t>{compact.GetChar(0), compact.GetChar(1), compact.GetChar(2)}));

    GTextString zeros(compact, GEncoding::kUnicode, nullptr);
    EXPECT_EQ(1, zeros.GetCharSize()) << "the driver's own codes convert to 8-bit zeros";
    EXPECT_EQ(3, zeros.GetLength());
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(0, zeros.GetChar(i));
    EXPECT_EQ(1, GTextString(unicode, GEncoding::kDriver, nullptr).GetCharSize());

    GTextConverter* converter = GetTextConverter();
    GTextString narrow(unicode, ToEncoding(4), nullptr);
    EXPECT_EQ(1, narrow.GetCharSize());
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(converter->ToNarrow(chars[i], 4), narrow.GetChar(i)) << i;
    GTextString back(narrow, GEncoding::kUnicode, nullptr);
    EXPECT_EQ(2, back.GetCharSize());
    EXPECT_EQ(converter->ToWide(uint8_t(narrow.GetChar(2)), 4), back.GetChar(2));
    GTextString wide(unicode, ToEncoding(17), nullptr);
    EXPECT_EQ(2, wide.GetCharSize());
    EXPECT_EQ(converter->ToNarrow(0x41, 17), wide.GetChar(0));
}

TEST(TextString, StoredFormIsExactAndALengthTheDataCannotHoldIsRefused)
{
    std::vector<uint16_t> chars = {0x41, 0x4E00};
    GTextString text = Text16(chars, ToEncoding(17));
    const std::vector<uint8_t> expected =
        StoredBytes().Root(0, int32_t(text.GetSerial())).U32(1).U16(2).U32(2).U32(17).U16(0x41).U16(0x4E00);
    EXPECT_EQ(expected, GutsBytes(text));
    EXPECT_EQ(text.BinaryStoreSize(), expected.size());

    GTextString back;
    RestoreGutsFrom(back, expected);
    EXPECT_TRUE(back.IsSame(&text) && back.IsOwned());

    GTextString hostile;
    const FileEnd end = RestoreGutsAndMeasure(
        hostile, StoredBytes().Root(0, 1).U32(1).U16(0xFFFF).U32(2).U32(16).U16(0x41));
    EXPECT_TRUE(end.eof);
    EXPECT_EQ(0, hostile.GetLength()) << "nothing is taken from a refused form";
    GTextString newer;
    RestoreGutsFrom(newer, StoredBytes().Root(0, 1).U32(2).U16(1).U32(1).U32(16).U8(0x41));
    EXPECT_EQ(0, newer.GetLength()) << "another version leaves the fields unread";
}

TEST(TextEscapements, TurnedAdvancesNeverWriteTheCallersArray)
{
    std::vector<int16_t> advances = {10, 20};
    GTextEscapements up(90.0f, Borrowed(advances));
    EXPECT_EQ(nullptr, up.GetXAdvances());
    EXPECT_EQ(std::vector<int16_t>({-10, -20}), Ys(up));
    EXPECT_EQ(std::vector<int16_t>({0, 0}), Xs(up));
    GTextEscapements back(180.0f, Borrowed(advances));
    EXPECT_EQ(std::vector<int16_t>({-10, -20}), Xs(back));
    EXPECT_EQ(nullptr, back.GetYAdvances());
    GTextEscapements down(270.0f, Borrowed(advances));
    EXPECT_EQ(std::vector<int16_t>({10, 20}), Ys(down));
    EXPECT_EQ(std::vector<int16_t>({10, 20}), advances) << "the caller's advances are untouched";

    std::vector<int16_t> diagonal = {10, 10};
    GTextEscapements at45(45.0f, Borrowed(diagonal));
    EXPECT_EQ(std::vector<int16_t>({7, 7}), Xs(at45));
    EXPECT_EQ(std::vector<int16_t>({-7, -7}), Ys(at45));
    EXPECT_EQ(std::vector<int16_t>({10, 10}), diagonal);
}

TEST(TextEscapements, RoundingErrorsDoNotAddUpAlongALongRun)
{
    std::vector<int16_t> advances(1000, 10);
    GTextEscapements run(30.0f, Borrowed(advances));
    int32_t x = 0, y = 0;
    for (uint32_t i = 0; i < run.GetCount(); ++i)
        x += run.GetXAdvance(i), y += run.GetYAdvance(i);
    const double c = std::cos(30.0f * 0.0174532924f), s = std::sin(30.0f * 0.0174532924f);
    EXPECT_EQ(int32_t(c * 10000 + 0.5), x);
    EXPECT_EQ(int32_t(-(s * 10000 + 0.5)), y);
    EXPECT_EQ(std::vector<int16_t>(1000, 10), advances) << "the caller's array untouched";
}

TEST(TextEscapements, SettersMakeAnAbsentArrayOnlyForAValueAndStayInsideTheCount)
{
    GTextEscapements e(GSharedArray(), GSharedArray(), 3);
    EXPECT_EQ(0, e.GetYAdvance(1));
    e.SetYAdvance(1, 0);
    EXPECT_EQ(nullptr, e.GetYAdvances()) << "a zero needs no array";
    e.SetYAdvance(3, 5);
    EXPECT_EQ(nullptr, e.GetYAdvances()) << "an index past the count changes nothing";
    e.SetYAdvance(2, 5);
    EXPECT_EQ(std::vector<int16_t>({0, 0, 5}), Ys(e));
    GTextEscapements copy(e);
    EXPECT_TRUE(copy.IsSame(&e));
    copy.SetXAdvance(0, 1);
    EXPECT_FALSE(copy.IsSame(&e));
}

TEST(TextEscapements, StoredFormIsExactAndRefusesWhatTheDataCannotHold)
{
    std::vector<int16_t> advances = {10, -20};
    GTextEscapements e(180.0f, Borrowed(advances));
    const std::vector<uint8_t> expected =
        StoredBytes().Root(0, int32_t(e.GetSerial())).U32(1).U16(2).U32(1).U16(uint16_t(-10)).U16(20).U32(0);
    EXPECT_EQ(expected, GutsBytes(e));
    EXPECT_EQ(e.BinaryStoreSize(), expected.size());
    GTextEscapements back;
    RestoreGutsFrom(back, expected);
    EXPECT_TRUE(back.IsSame(&e));

    GTextEscapements flagged;
    RestoreGutsFrom(flagged, StoredBytes().Root(0, 1).U32(1).U16(1).U32(2).U32(1).U16(7));
    EXPECT_EQ(nullptr, flagged.GetXAdvances()) << "an array is read only for a flag of exactly 1";
    EXPECT_EQ(7, flagged.GetYAdvance(0));
    GTextEscapements hostile;
    EXPECT_TRUE(RestoreGutsAndMeasure(hostile, StoredBytes().Root(0, 1).U32(1).U16(0xFFFF).U32(1).U16(7)).eof);
    EXPECT_EQ(0, hostile.GetCount());
}

TEST(SharedArray, NeverACountWithoutElements)
{
    static uint16_t buffer[4] = {1, 2, 3, 4};
    GSharedArray tooMany(buffer, GSharedArray::kMaxCount + 1, 0);
    EXPECT_TRUE(tooMany.IsEmpty());
    EXPECT_EQ(0u, tooMany.GetCount());
    GSharedArray nothing(nullptr, 4, 0);
    EXPECT_EQ(0u, nothing.GetCount());
    GSharedArray owned;
    EXPECT_FALSE(owned.Allocate(GSharedArray::kMaxCount + 1, 2));
    EXPECT_EQ(0u, owned.GetCount());
    EXPECT_TRUE(owned.Allocate(GSharedArray::kMaxCount, 2)) << "the largest count is taken";
    EXPECT_EQ(GSharedArray::kMaxCount, owned.GetCount());
    GSharedArray borrowed(buffer, 4, 0);
    GSharedArray moved(std::move(borrowed));
    EXPECT_EQ(0u, borrowed.GetCount());
    uint16_t* own = moved.WritableElements<uint16_t>();
    ASSERT_NE(nullptr, own);
    own[3] = 9;
    EXPECT_EQ(4, buffer[3]);
    EXPECT_EQ(1u, moved.IsOwned());
}
