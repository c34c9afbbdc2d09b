// The wide string shares its core with the 8-bit one (RWStringCore.h), so these tests cover
// only what differs: widening and conversion, wide span errors, compare and hash keys. Its
// stored form and threads are tested with the 8-bit string's.
#include "foundation/RWWString.h"

#include "foundation/RWErrorHandler.h"

#include "StringTestText.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

TEST(RWWStringConstruction, EmptyStringHasARepresentationOfItsOwn)
{
    EXPECT_EQ(RWWString().Data(), RWWString(L"").Data());
    EXPECT_NE(static_cast<const void*>(RWWString().Data()), static_cast<const void*>(RWCString().Data()));
}

TEST(RWWStringConstruction, NarrowTextIsWidenedByteByByteAndMultibyteTextConverted)
{
    const struct {
        RWWString s;
        std::wstring text;
    } cases[] = {
        {RWWString("caf\xE9"), L"caf\x00E9"},
        {RWWString("a\0b", 3), std::wstring(L"a\0b", 3)},
        {RWWString(RWCString("x\0y", 3)), std::wstring(L"x\0y", 3)},
        {RWWString('\xFF'), L"\x00FF"},
        {RWWString("abcdef", 3, RWWString::multiByte), L"abc"},
        // Long text goes through a heap buffer.
        {RWWString(std::string(200, 'q').c_str(), RWWString::multiByte), std::wstring(200, L'q')},
        {RWWString(std::string(200, 'q').c_str(), 64, RWWString::multiByte), std::wstring(64, L'q')},
        {RWWString(static_cast<const char*>(nullptr), RWWString::multiByte), L""},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i)
        EXPECT_EQ(cases[i].text, Text(cases[i].s)) << "case " << i;
}

TEST(RWWStringConversion, ToMultiByteToAsciiAndIsAscii)
{
    EXPECT_EQ("text", Text(RWWString(L"text").ToMultiByte()));
    const RWWString mixed(L"A\x0142\x00E9");
    EXPECT_EQ("A\x42\xE9", Text(mixed.ToAscii()));
    EXPECT_FALSE(mixed.IsAscii());
    EXPECT_FALSE(RWWString(L"\x0080").IsAscii());
}

TEST(RWWStringIndex, StringErrorsAreTheNarrowOnesAndSpanErrorsAreRangeErrors)
{
    TestErrorCapture capture;
    RWWString s(L"abcdef");
    s[6] = L'x';
    EXPECT_EQ("[INDEXERR] Illegal Index (6) for collection or string with 6 elements", capture.Last());
    RWWStringSpan span = s(2, 2);
    span[2] = L'x';
    EXPECT_EQ("[INDEX] Index (2) out of range [0->2]", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWBoundsError>());
    span[RW_NPOS];
    EXPECT_EQ("[INDEX] Index (4294967295) out of range [0->2]", capture.Last());
    EXPECT_EQ(3u, capture.Count());
    EXPECT_EQ(L"abcdef", Text(s));
}

TEST(RWWStringCompare, TextByUnsignedCharactersStringsByStorageBytes)
{
    const RWWString::CaseCompare exact = RWWString::exact, ignore = RWWString::ignoreCase;
    const struct {
        RWWString a;
        const wchar_t* b;
        RWWString::CaseCompare cmp;
        int withText, withString;
    } cases[] = {
        {RWWString(L"abcd"), L"abc", exact, 1, 1},
        {RWWString(L"\x8000"), L"a", exact, 1, -1},
        // 0x0100 is stored 00 01 and 0x00FF is stored FF 00: between strings the low byte decides.
        {RWWString(L"\x0100"), L"\x00FF", exact, 1, -1},
        {RWWString(L"\x00FF"), L"\x0100", exact, -1, 1},
        {RWWString(L"\x0100"), L"\x00FF", ignore, 1, 1},
        {RWWString(L"MiXeD"), L"mixed", ignore, 0, 0},
        {RWWString(L"\x8000"), L"A", ignore, 1, 1},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        EXPECT_EQ(cases[i].withText, cases[i].a.CompareTo(cases[i].b, cases[i].cmp)) << "case " << i;
        EXPECT_EQ(cases[i].withString, cases[i].a.CompareTo(RWWString(cases[i].b), cases[i].cmp)) << "case " << i;
    }
}

TEST(RWWStringHash, OddLengthFoldsItsLastCharacterOnceZeroExtended)
{
    EXPECT_EQ(0x00620021u, RWWString(L"ab").Hash());
    EXPECT_EQ(0x0C400043u, RWWString(L"abc").Hash());
    EXPECT_EQ(0x0000FFA0u, RWWString(L"\xFF80").Hash());
    EXPECT_EQ(0x62u, RWWString(L"aB").Hash(RWWString::ignoreCase));
}
