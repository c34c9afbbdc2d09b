#include "foundation/RWWString.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWErrorHandler.h"

#include "FileBytes.h"
#include "TempPath.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace {

std::wstring Text(const RWWString& s) { return std::wstring(s.Data(), s.Length()); }
std::string Text(const RWCString& s) { return std::string(s.Data(), s.Length()); }

} // namespace

TEST(RWWStringConstruction, EmptyStringsShareTheirOwnEmptyRepresentation)
{
    RWWString a;
    RWWString b(a);
    EXPECT_EQ(a.Data(), b.Data());
    EXPECT_EQ(a.Data(), RWWString(L"").Data());
    EXPECT_EQ(0u, a.Capacity());
    EXPECT_EQ(L'\0', a.Data()[0]);
    EXPECT_NE(static_cast<const void*>(a.Data()), static_cast<const void*>(RWCString().Data()));
}

TEST(RWWStringConstruction, WideTextAndFills)
{
    EXPECT_EQ(L"wide", Text(RWWString(L"wide")));
    EXPECT_EQ(4u, RWWString(L"wide").Capacity());
    EXPECT_EQ(std::wstring(L"a\0b", 3), Text(RWWString(L"a\0b", 3)));
    EXPECT_EQ(L"zzz", Text(RWWString(L'z', 3)));
    EXPECT_EQ(15u, RWWString(L'z').Capacity());
    EXPECT_EQ(32u, RWWString(size_t(32)).Capacity());
    EXPECT_EQ(15u, (RWWString(L"a") + L"b").Capacity());
    EXPECT_EQ(L"xab", Text(L"x" + RWWString(L"a") + RWWString(L"b")));
}

TEST(RWWStringConstruction, EightBitTextIsWidenedByteByByte)
{
    const RWWString high("caf\xE9");
    ASSERT_EQ(4u, high.Length());
    EXPECT_EQ(0x00E9, high.Data()[3]);
    EXPECT_EQ(std::wstring(L"a\0b", 3), Text(RWWString("a\0b", 3)));
    EXPECT_EQ(std::wstring(L"x\0y", 3), Text(RWWString(RWCString("x\0y", 3))));
    const RWWString one('\xFF');
    EXPECT_EQ(L"\x00FF", Text(one));
    EXPECT_EQ(15u, one.Capacity());
}

TEST(RWWStringConstruction, MultiByteTextIsConvertedFromTheCodePage)
{
    EXPECT_EQ(L"abc", Text(RWWString("abc", RWWString::multiByte)));
    EXPECT_EQ(L"abc", Text(RWWString("abcdef", 3, RWWString::multiByte)));
    EXPECT_EQ(L"name", Text(RWWString(RWCString("name"), RWWString::multiByte)));
    // Long text goes through a heap buffer instead of the stack one.
    const std::string longText(200, 'q');
    EXPECT_EQ(std::wstring(200, L'q'), Text(RWWString(longText.c_str(), RWWString::multiByte)));
    EXPECT_EQ(std::wstring(64, L'q'), Text(RWWString(longText.c_str(), 64, RWWString::multiByte)));
    EXPECT_EQ(0u, RWWString(static_cast<const char*>(nullptr), RWWString::multiByte).Length());
}

TEST(RWWStringConversion, ToMultiByteToAsciiAndIsAscii)
{
    EXPECT_EQ("text", Text(RWWString(L"text").ToMultiByte()));
    EXPECT_EQ(0u, RWWString().ToMultiByte().Length());
    const RWWString mixed(L"A\x0142\x00E9");
    EXPECT_EQ("A\x42\xE9", Text(mixed.ToAscii()));
    EXPECT_FALSE(mixed.IsAscii());
    EXPECT_TRUE(RWWString(L"plain").IsAscii());
    EXPECT_FALSE(RWWString(L"\x0080").IsAscii());
    EXPECT_EQ(0u, RWWString().ToAscii().Length());
}

TEST(RWWStringCapacity, SettingsAreSeparateFromTheNarrowOnes)
{
    EXPECT_EQ(15u, RWWString::SetInitialCapacity(3));
    EXPECT_EQ(15u, RWCString::AdjustCapacity(1));
    EXPECT_EQ(3u, RWWString::AdjustCapacity(1));
    EXPECT_EQ(3u, RWWString::SetInitialCapacity(15));
    EXPECT_EQ(16u, RWWString::SetResizeIncrement(16));
    EXPECT_EQ(15u, RWWString::SetMaxWaste(15));
    EXPECT_EQ(15u, RWWString::AdjustCapacity(0));
    EXPECT_EQ(31u, RWWString::AdjustCapacity(16));
    EXPECT_EQ(47u, RWWString::AdjustCapacity(32));
}

TEST(RWWStringCapacity, ShrinkRuleMatchesTheNarrowString)
{
    RWWString big(size_t(100));
    big.Append(L'w', 50);
    big.Remove(10);
    EXPECT_EQ(15u, big.Capacity());

    RWWString small(size_t(31));
    small.Append(L'w', 31);
    const wchar_t* before = small.Data();
    small.Remove(17);
    EXPECT_EQ(31u, small.Capacity());
    EXPECT_EQ(before, small.Data());
}

TEST(RWWStringSharing, CopiesAreIsolatedOnWrite)
{
    const RWWString original(L"shared");
    RWWString copy(original);
    EXPECT_EQ(original.Data(), copy.Data());
    copy[0] = L'S';
    copy.Append(L"!");
    copy(1, 2).ToUpper();
    EXPECT_EQ(L"shared", Text(original));
    EXPECT_EQ(L"SHAred!", Text(copy));
    RWWString emptied(original);
    emptied = L"";
    EXPECT_EQ(RWWString().Data(), emptied.Data());
    EXPECT_EQ(L"shared", Text(original));
}

TEST(RWWStringReplace, EditsIncludingTextFromTheSameString)
{
    RWWString s(L"abcdef");
    s.Replace(0, 2, s.Data() + 2, 4);
    EXPECT_EQ(L"cdefcdef", Text(s));
    s.Insert(4, L"-");
    s.Prepend(L'<', 2);
    s.Append(RWWString(L">"));
    EXPECT_EQ(L"<<cdef-cdef>", Text(s));
    s.Remove(2, 5);
    EXPECT_EQ(L"<<cdef>", Text(s));
    s.Resize(10);
    EXPECT_EQ(L"<<cdef>   ", Text(s));
    s(0, 2) = L"";
    EXPECT_EQ(L"cdef>   ", Text(s));
    EXPECT_EQ(L"CDEF>   ", Text(ToUpper(s)));
}

TEST(RWWStringIndex, StringIndexErrorsAreTheNarrowOnes)
{
    RWErrorCapture capture;
    RWWString s(L"abc");
    s[3] = L'x';
    EXPECT_EQ("[INDEXERR] Illegal Index (3) for collection or string with 3 elements", capture.Last());
    s[RW_NPOS];
    EXPECT_EQ("[NPOSINDEX] The value RW_NPOS cannot be used as an index.", capture.Last());
    EXPECT_EQ(L"abc", Text(s));
}

TEST(RWWStringIndex, SpanIndexErrorsAreIndexRangeErrors)
{
    RWErrorCapture capture;
    RWWString s(L"abcdef");
    RWWStringSpan span = s(2, 2);
    EXPECT_EQ(L'd', span[1]);
    span[2] = L'x';
    EXPECT_EQ("[INDEX] Index (2) out of range [0->2]", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWBoundsError>());
    span[RW_NPOS];
    EXPECT_EQ("[INDEX] Index (4294967295) out of range [0->2]", capture.Last());
    s.SubString(L"zz")[0];
    EXPECT_EQ("[INDEX] Index (0) out of range [0->0]", capture.Last());
    EXPECT_EQ(3u, capture.Count());
    EXPECT_EQ(L"abcdef", Text(s));
}

TEST(RWWStringSearch, PositionsAreCharacterPositions)
{
    const RWWString s(L"ab\0cAB", 6);
    EXPECT_EQ(RW_NPOS, s.First(L'c'));
    EXPECT_EQ(3u, s.First(L'c', 0));
    EXPECT_EQ(5u, s.Last(L'B', 0));
    EXPECT_EQ(RW_NPOS, s.Last(L'B'));
    EXPECT_EQ(4u, s.Index(L"AB"));
    EXPECT_EQ(4u, s.Index(L"ab", 1, RWWString::ignoreCase));
    EXPECT_EQ(3u, s.First(L"xc"));
    EXPECT_EQ(RW_NPOS, s.Index(L"a", RW_NPOS));
    EXPECT_EQ(4u, s.SubString(L"AB").Start());
    EXPECT_EQ(L"x", Text(RWWString(RWWString(L"  x  ").Strip(RWWString::both))));
}

TEST(RWWStringSearch, ContainsFindsTheWholePattern)
{
    const RWWString s(L"Printer Port");
    EXPECT_TRUE(s.Contains(L"Port"));
    EXPECT_FALSE(s.Contains(L"port"));
    EXPECT_TRUE(s.Contains(L"port", RWWString::ignoreCase));
    EXPECT_TRUE(s.Contains(L""));
    EXPECT_FALSE(s.Contains(L"Ports"));
}

TEST(RWWStringCompare, AgainstTextByUnsignedCharacters)
{
    EXPECT_EQ(1, RWWString(L"abcd").CompareTo(L"abc"));
    EXPECT_EQ(-1, RWWString(L"ab").CompareTo(L"abc"));
    EXPECT_EQ(0, RWWString(L"abc").CompareTo(L"abc"));
    EXPECT_EQ(1, RWWString(L"\x8000").CompareTo(L"a"));
    EXPECT_EQ(1, RWWString(L"\x0100").CompareTo(L"\x00FF"));
    EXPECT_EQ(0, RWWString(L"MiXeD").CompareTo(L"mixed", RWWString::ignoreCase));
    EXPECT_EQ(1, RWWString(L"\x8000").CompareTo(L"A", RWWString::ignoreCase));
}

TEST(RWWStringCompare, BetweenStringsByStorageBytes)
{
    // 0x0100 is stored 00 01 and 0x00FF is stored FF 00: the low byte decides first.
    EXPECT_EQ(-1, RWWString(L"\x0100").CompareTo(RWWString(L"\x00FF")));
    EXPECT_EQ(1, RWWString(L"\x00FF").CompareTo(RWWString(L"\x0100")));
    EXPECT_EQ(-1, RWWString(L"ab").CompareTo(RWWString(L"abc")));
    EXPECT_EQ(0, RWWString(L"abc").CompareTo(RWWString(L"abc")));
    // Ignoring case compares character values.
    EXPECT_EQ(1, RWWString(L"\x0100").CompareTo(RWWString(L"\x00FF"), RWWString::ignoreCase));
    EXPECT_EQ(0, RWWString(L"ABC").CompareTo(RWWString(L"abc"), RWWString::ignoreCase));
    EXPECT_EQ(-1, RWWString(L"AB").CompareTo(RWWString(L"abc"), RWWString::ignoreCase));
    EXPECT_TRUE(RWWString(L"x") == L"x");
    EXPECT_FALSE(RWWString(L"x\0", 2) == L"x");
    EXPECT_TRUE(RWWString(L"x\0", 2) == RWWString(L"x\0", 2));
}

TEST(RWWStringHash, OddLengthFoldsItsLastCharacterOnce)
{
    EXPECT_EQ(0x00620021u, RWWString(L"ab").Hash());
    EXPECT_EQ(0x0C400043u, RWWString(L"abc").Hash());
    // Zero-extended, not sign-extended.
    EXPECT_EQ(0x0000FFA0u, RWWString(L"\xFF80").Hash());
    EXPECT_EQ(0u, RWWString().Hash());
}

TEST(RWWStringHash, CaseFoldedUsesUpperCaseCharacters)
{
    EXPECT_EQ(0x62u, RWWString(L"aB").Hash(RWWString::ignoreCase));
    EXPECT_EQ(RWWString(L"aB").Hash(RWWString::ignoreCase), RWWString(L"Ab").Hash(RWWString::ignoreCase));
}

TEST(RWWStringStore, RoundTripsEmbeddedNulsWithExactBytes)
{
    TempPath path("wstring.bin");
    const RWWString s(L"a\0\x0102", 3);
    {
        RWBinaryFile file(path.c_str(), "wb");
        file << s;
        EXPECT_TRUE(RWWString().SaveOn(file));
    }
    EXPECT_EQ(10u, s.BinaryStoreSize());
    const uint8_t expected[] = {0x03, 0x00, 0x00, 0x00, 0x61, 0x00, 0x00, 0x00, 0x02, 0x01,
                                0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(expected, expected + sizeof expected), FileBytes(path.str()));

    RWBinaryFile file(path.c_str(), "rb");
    RWWString back(L"previous");
    RWWString empty(L"previous");
    file >> back;
    EXPECT_TRUE(empty.RestoreFrom(file));
    EXPECT_TRUE(back == s);
    EXPECT_EQ(0u, empty.Length());
}

TEST(RWWStringStore, LengthBeyondTheFileFailsAndLeavesTheStringUnchanged)
{
    TempPath path("wstring-short.bin");
    // Two characters announced, three bytes present; then lengths no block could hold.
    const std::vector<std::vector<uint8_t>> damaged = {
        {0x02, 0x00, 0x00, 0x00, 0x61, 0x00, 0x62},
        {0xFF, 0xFF, 0xFF, 0xFF, 0x61, 0x00},
        {0xF9, 0xFF, 0xFF, 0x7F, 0x61, 0x00},
        {0x00, 0x00, 0x00, 0x80, 0x61, 0x00},
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        ASSERT_TRUE(WriteFileBytes(path.str(), damaged[i]));
        RWBinaryFile file(path.c_str(), "rb");
        RWWString s(L"keep");
        const wchar_t* before = s.Data();
        EXPECT_FALSE(s.RestoreFrom(file)) << i;
        EXPECT_EQ(L"keep", Text(s));
        EXPECT_EQ(before, s.Data());
        EXPECT_TRUE(file.Eof());
    }
}

TEST(RWWStringThreads, TwoThreadsCopyingOneStringKeepTheCountExact)
{
    RWWString shared(L"wide and shared");
    auto work = [&shared] {
        for (int i = 0; i < 20000; ++i) {
            RWWString a(shared);
            RWWString b;
            b = a;
        }
    };
    std::thread first(work);
    std::thread second(work);
    first.join();
    second.join();
    const wchar_t* before = shared.Data();
    shared[0] = L'W';
    EXPECT_EQ(before, shared.Data());
}
