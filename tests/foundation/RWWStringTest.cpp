#include "foundation/RWWString.h"

#include "foundation/RWErrorHandler.h"

#include "StringTestText.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <thread>

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

TEST(RWWStringConstruction, WideTextWidenedBytesAndCodePageText)
{
    const size_t kAny = RW_NPOS; // capacity not checked
    const struct {
        RWWString s;
        std::wstring text;
        size_t capacity;
    } cases[] = {
        {RWWString(L"wide"), L"wide", 4},
        {RWWString(L"a\0b", 3), std::wstring(L"a\0b", 3), 3},
        {RWWString(L'z', 3), L"zzz", 3},
        {RWWString(L'z'), L"z", 15},
        {RWWString(size_t(32)), L"", 32},
        {RWWString(L"a") + L"b", L"ab", 15},
        {L"x" + RWWString(L"a") + RWWString(L"b"), L"xab", 15},
        // 8-bit text is widened byte by byte, zero-extended.
        {RWWString("caf\xE9"), L"caf\x00E9", kAny},
        {RWWString("a\0b", 3), std::wstring(L"a\0b", 3), kAny},
        {RWWString(RWCString("x\0y", 3)), std::wstring(L"x\0y", 3), kAny},
        {RWWString('\xFF'), L"\x00FF", 15},
        // Multibyte text is converted; long text goes through a heap buffer.
        {RWWString("abc", RWWString::multiByte), L"abc", kAny},
        {RWWString("abcdef", 3, RWWString::multiByte), L"abc", kAny},
        {RWWString(RWCString("name"), RWWString::multiByte), L"name", kAny},
        {RWWString(std::string(200, 'q').c_str(), RWWString::multiByte), std::wstring(200, L'q'), kAny},
        {RWWString(std::string(200, 'q').c_str(), 64, RWWString::multiByte), std::wstring(64, L'q'), kAny},
        {RWWString(static_cast<const char*>(nullptr), RWWString::multiByte), L"", kAny},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        EXPECT_EQ(cases[i].text, Text(cases[i].s)) << "case " << i;
        if (cases[i].capacity != kAny) {
            EXPECT_EQ(cases[i].capacity, cases[i].s.Capacity()) << "case " << i;
        }
    }
}

TEST(RWWStringConversion, ToMultiByteToAsciiAndIsAscii)
{
    EXPECT_EQ("text", Text(RWWString(L"text").ToMultiByte()));
    EXPECT_EQ(0u, RWWString().ToMultiByte().Length());
    const RWWString mixed(L"A\x0142\x00E9");
    EXPECT_EQ("A\x42\xE9", Text(mixed.ToAscii()));
    EXPECT_EQ(0u, RWWString().ToAscii().Length());
    EXPECT_FALSE(mixed.IsAscii());
    EXPECT_TRUE(RWWString(L"plain").IsAscii());
    EXPECT_FALSE(RWWString(L"\x0080").IsAscii());
}

TEST(RWWStringCapacity, SettingsAreSeparateButTheRulesMatchTheNarrowString)
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
    s.Resize(10);
    EXPECT_EQ(L"<<cdef>   ", Text(s));
    s(0, 2) = L"";
    EXPECT_EQ(L"cdef>   ", Text(s));
    EXPECT_EQ(L"CDEF>   ", Text(ToUpper(s)));
}

TEST(RWWStringIndex, StringErrorsAreTheNarrowOnesAndSpanErrorsAreRangeErrors)
{
    TestErrorCapture capture;
    RWWString s(L"abcdef");
    s[6] = L'x';
    EXPECT_EQ("[INDEXERR] Illegal Index (6) for collection or string with 6 elements", capture.Last());
    s[RW_NPOS];
    EXPECT_EQ("[NPOSINDEX] The value RW_NPOS cannot be used as an index.", capture.Last());

    RWWStringSpan span = s(2, 2);
    EXPECT_EQ(L'd', span[1]);
    span[2] = L'x';
    EXPECT_EQ("[INDEX] Index (2) out of range [0->2]", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWBoundsError>());
    span[RW_NPOS];
    EXPECT_EQ("[INDEX] Index (4294967295) out of range [0->2]", capture.Last());
    s.SubString(L"zz")[0];
    EXPECT_EQ("[INDEX] Index (0) out of range [0->0]", capture.Last());
    EXPECT_EQ(5u, capture.Count());
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

    const RWWString port(L"Printer Port");
    EXPECT_TRUE(port.Contains(L"Port"));
    EXPECT_FALSE(port.Contains(L"port"));
    EXPECT_TRUE(port.Contains(L"port", RWWString::ignoreCase));
    EXPECT_TRUE(port.Contains(L""));
    EXPECT_FALSE(port.Contains(L"Ports"));
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
        {RWWString(L"ab"), L"abc", exact, -1, -1},
        {RWWString(L"abc"), L"abc", exact, 0, 0},
        {RWWString(L"\x8000"), L"a", exact, 1, -1},
        // 0x0100 is stored 00 01 and 0x00FF is stored FF 00: between strings the low byte decides.
        {RWWString(L"\x0100"), L"\x00FF", exact, 1, -1},
        {RWWString(L"\x00FF"), L"\x0100", exact, -1, 1},
        {RWWString(L"\x0100"), L"\x00FF", ignore, 1, 1},
        {RWWString(L"MiXeD"), L"mixed", ignore, 0, 0},
        {RWWString(L"AB"), L"abc", ignore, -1, -1},
        {RWWString(L"\x8000"), L"A", ignore, 1, 1},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        EXPECT_EQ(cases[i].withText, cases[i].a.CompareTo(cases[i].b, cases[i].cmp)) << "case " << i;
        EXPECT_EQ(cases[i].withString, cases[i].a.CompareTo(RWWString(cases[i].b), cases[i].cmp)) << "case " << i;
    }
    EXPECT_TRUE(RWWString(L"x") == L"x");
    EXPECT_FALSE(RWWString(L"x\0", 2) == L"x");
    EXPECT_TRUE(RWWString(L"x\0", 2) == RWWString(L"x\0", 2));
}

TEST(RWWStringHash, OddLengthFoldsItsLastCharacterOnceZeroExtended)
{
    EXPECT_EQ(0u, RWWString().Hash());
    EXPECT_EQ(0x00620021u, RWWString(L"ab").Hash());
    EXPECT_EQ(0x0C400043u, RWWString(L"abc").Hash());
    EXPECT_EQ(0x0000FFA0u, RWWString(L"\xFF80").Hash());
    EXPECT_EQ(0x62u, RWWString(L"aB").Hash(RWWString::ignoreCase));
    EXPECT_EQ(0x62u, RWWString(L"Ab").Hash(RWWString::ignoreCase));
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
    const std::vector<uint8_t> expected = {0x03, 0x00, 0x00, 0x00, 0x61, 0x00, 0x00, 0x00, 0x02, 0x01,
                                           0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(expected, FileBytes(path.str()));

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
    // Two characters announced, three bytes present; then lengths no block could hold.
    const std::vector<std::vector<uint8_t>> damaged = {
        {0x02, 0x00, 0x00, 0x00, 0x61, 0x00, 0x62},
        {0xFF, 0xFF, 0xFF, 0xFF, 0x61, 0x00},
        {0xF9, 0xFF, 0xFF, 0x7F, 0x61, 0x00},
        {0x00, 0x00, 0x00, 0x80, 0x61, 0x00},
    };
    for (size_t i = 0; i < damaged.size(); ++i) {
        RWWString s(L"keep");
        const wchar_t* before = s.Data();
        bool eof = false;
        EXPECT_FALSE(RestoreFromBytes(s, damaged[i], &eof)) << i;
        EXPECT_EQ(L"keep", Text(s));
        EXPECT_EQ(before, s.Data());
        EXPECT_TRUE(eof);
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
