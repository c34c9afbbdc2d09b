#include "foundation/RWCString.h"

#include "foundation/RWErrorHandler.h"

#include "StringTestText.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <thread>
#include <vector>

namespace {

// A sole-owner string of the given capacity filled to the given length.
RWCString Filled(size_t capacity, size_t length)
{
    RWCString s(capacity);
    s.Append('a', length);
    return s;
}

// Tests that move the process-wide capacity settings put them back, pass or fail.
class RWCStringSettings : public ::testing::Test {
protected:
    void TearDown() override { RWStringTraits<char>::settings = saved_; }

private:
    RWStringSettings saved_ = RWStringTraits<char>::settings;
};

} // namespace

TEST(RWCStringEmpty, SharedRepresentationIsNeverFreedOrWritten)
{
    const char* empty = RWCString().Data();
    for (int i = 0; i < 1000; ++i) {
        RWCString a;
        RWCString b(a);
        b = a;
    }
    for (const RWCString& s : {RWCString(""), RWCString(size_t(0)), RWCString(static_cast<const char*>(nullptr))}) {
        EXPECT_EQ(empty, s.Data());
        EXPECT_EQ(0u, s.Capacity());
    }
    RWCString edited;
    edited.Append("x");
    EXPECT_NE(empty, edited.Data());
    EXPECT_EQ('\0', empty[0]);
}

TEST(RWCStringCapacity, ConstructorsSizeExactlyOrByTheRule)
{
    const RWCString ab("ab");
    const struct {
        RWCString s;
        std::string text;
        size_t capacity;
    } cases[] = {
        // Plain constructors use the exact size, one character the initial capacity.
        {RWCString("hello"), "hello", 5},
        {RWCString("a\0b", 3), std::string("a\0b", 3), 3},
        {RWCString(size_t(40)), "", 40},
        {RWCString('q'), "q", 15},
        // Concatenation and spans use the capacity rule.
        {ab + "cde", "abcde", 15},
        {"xy" + ab, "xyab", 15},
        {ab + static_cast<const char*>(nullptr), "ab", 15},
        {ab + RWCString('z', 20), "ab" + std::string(20, 'z'), 31},
        {RWCString(ab(1, 1)), "b", 15},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, Text(c.s));
        EXPECT_EQ(c.capacity, c.s.Capacity()) << c.text;
    }
}

TEST_F(RWCStringSettings, AdjustCapacityRoundsUpInIncrementsAndAZeroIncrementByOne)
{
    const size_t cases[][2] = {{0, 15}, {1, 15}, {15, 15}, {16, 31}, {32, 47}, {48, 63}};
    for (const auto& c : cases)
        EXPECT_EQ(c[1], RWCString::AdjustCapacity(c[0])) << c[0];
    RWCString::SetInitialCapacity(7);
    RWCString::SetResizeIncrement(8);
    EXPECT_EQ(7u, RWCString::AdjustCapacity(7));
    EXPECT_EQ(15u, RWCString::AdjustCapacity(8));
    // An increment of 0 rounds by 1 instead of dividing by zero.
    RWCString::SetResizeIncrement(0);
    EXPECT_EQ(9u, RWCString::AdjustCapacity(9));
    // The wide string keeps its own settings.
    EXPECT_EQ(15u, RWWString::AdjustCapacity(1));
}

TEST(RWCStringCapacity, ShrinkingReallocatesOnlyPastTheMaximumWaste)
{
    const struct {
        size_t capacity, length, kept, newCapacity;
        bool inPlace;
    } cases[] = {{100, 50, 10, 15, false}, {31, 31, 17, 31, true}, {31, 31, 16, 31, true}, {31, 31, 15, 15, false}};
    for (const auto& c : cases) {
        RWCString s = Filled(c.capacity, c.length);
        const char* before = s.Data();
        s.Remove(c.kept);
        EXPECT_EQ(std::string(c.kept, 'a'), Text(s));
        EXPECT_EQ(c.newCapacity, s.Capacity()) << c.capacity << " to " << c.kept;
        EXPECT_EQ(c.inPlace, before == s.Data()) << c.capacity << " to " << c.kept;
    }
}

TEST(RWCStringCapacity, GrowthUsesTheRuleOrTheExactSize)
{
    RWCString grown("abc");
    grown.Append("defghijklmnopqrst");
    EXPECT_EQ(31u, grown.Capacity());

    // Appending characters reserves exactly; Capacity reserves exactly, never below the length.
    RWCString exact("ab");
    exact.Append('c', 3);
    EXPECT_EQ(5u, exact.Capacity());
    EXPECT_EQ(10u, exact.Capacity(10));
    EXPECT_EQ(10u, exact.Capacity(3));
    EXPECT_EQ("abccc", Text(exact));

    // Prepending characters works in place when there is room, else by the rule.
    RWCString roomy = Filled(10, 3);
    const char* before = roomy.Data();
    roomy.Prepend('-', 2);
    EXPECT_EQ("--aaa", Text(roomy));
    EXPECT_EQ(before, roomy.Data());
    RWCString tight("abc");
    tight.Prepend('-', 2);
    EXPECT_EQ(15u, tight.Capacity());
}

TEST(RWCStringSharing, EveryEditLeavesTheOtherOwnerAlone)
{
    const std::vector<std::function<void(RWCString&)>> edits = {
        [](RWCString& s) { s.Append("x"); },
        [](RWCString& s) { s.Append('x', 2); },
        [](RWCString& s) { s.Prepend("x"); },
        [](RWCString& s) { s.Prepend('x', 1); },
        [](RWCString& s) { s.Insert(1, "x"); },
        [](RWCString& s) { s.Remove(1, 2); },
        [](RWCString& s) { s.Replace(0, 1, "xy"); },
        [](RWCString& s) { s.Resize(2); },
        [](RWCString& s) { s.Resize(9); },
        [](RWCString& s) { s.ToUpper(); },
        [](RWCString& s) { s[0] = 'x'; },
        [](RWCString& s) { s = "other"; },
        [](RWCString& s) { s = ""; },
        [](RWCString& s) { s(1, 2) = "XYZ"; },
        [](RWCString& s) { s(0, 3).ToUpper(); },
        [](RWCString& s) { s(0, 3)[1] = '!'; },
        [](RWCString& s) { s.Clobber(2); },
        [](RWCString& s) { s.Capacity(64); },
    };
    for (size_t i = 0; i < edits.size(); ++i) {
        const RWCString original("shared");
        RWCString copy(original);
        edits[i](copy);
        EXPECT_EQ("shared", Text(original)) << "edit " << i;
    }
}

TEST(RWCStringSharing, ASoleOwnerWritesInPlaceAndCopyIsDeep)
{
    RWCString sole("hello");
    const char* before = sole.Data();
    sole[0] = 'H';
    sole.ToUpper();
    EXPECT_EQ(before, sole.Data());
    sole = "";
    EXPECT_EQ(before, sole.Data());
    EXPECT_EQ(5u, sole.Capacity());

    RWCString shared("hello");
    RWCString other(shared);
    shared = "";
    EXPECT_EQ(RWCString().Data(), shared.Data());
    EXPECT_EQ("hello", Text(other));

    RWCString roomy = Filled(40, 5);
    const RWCString deep = roomy.Copy();
    EXPECT_NE(roomy.Data(), deep.Data());
    EXPECT_EQ(5u, deep.Capacity());
}

TEST(RWCStringReplace, PositionsAndLengthsPastTheEndAreClipped)
{
    RWCString s("hello world");
    s.Replace(5, 100, "!");
    EXPECT_EQ("hello!", Text(s));
    s.Replace(0, 1, nullptr, 7);
    EXPECT_EQ("ello!", Text(s));
    s.Replace(10, 3, "cd");
    EXPECT_EQ("ello!cd", Text(s));
    s.Resize(9);
    EXPECT_EQ("ello!cd  ", Text(s));
}

TEST(RWCStringReplace, TextFromTheSameStringNeverWorksInPlace)
{
    RWCString s = Filled(64, 0);
    s.Append("abcdef");
    const char* before = s.Data();
    s.Replace(0, 2, s.Data() + 2, 4);
    EXPECT_EQ("cdefcdef", Text(s));
    EXPECT_NE(before, s.Data());

    RWCString twice("abc");
    twice.Append(twice);
    EXPECT_EQ("abcabc", Text(twice));
    twice.Prepend(twice.Data() + 4, 2);
    EXPECT_EQ("bcabcabc", Text(twice));
    twice = twice.Data() + 5;
    EXPECT_EQ("abc", Text(twice));
}

TEST(RWCStringIndex, OutOfRangeIndexRaisesTheExactMessagesAndWritesNothing)
{
    TestErrorCapture capture;
    RWCString s("abcdef");
    char& bad = s[6];
    EXPECT_EQ("[INDEXERR] Illegal Index (6) for collection or string with 6 elements", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWBoundsError>());
    bad = 'z';
    s[RW_NPOS];
    EXPECT_EQ("[NPOSINDEX] The value RW_NPOS cannot be used as an index.", capture.Last());
    const RWCString& constant = s;
    EXPECT_EQ('\0', constant[7]);
    EXPECT_EQ("[INDEXERR] Illegal Index (7) for collection or string with 6 elements", capture.Last());

    // A span is checked against its own length.
    RWCStringSpan span = s(1, 2);
    span[2] = 'z';
    EXPECT_EQ("[INDEXERR] Illegal Index (2) for collection or string with 2 elements", capture.Last());
    s.SubString("zz")[RW_NPOS];
    EXPECT_EQ("[NPOSINDEX] The value RW_NPOS cannot be used as an index.", capture.Last());
    EXPECT_EQ(5u, capture.Count());
    EXPECT_EQ("abcdef", Text(s));
}

TEST(RWCStringSpan, EditsActOnTheSpannedTextOnlyAndTheNullSpanOnNothing)
{
    RWCString s("one two three");
    s(4, 3) = "2";
    RWCStringSpan span = s(0, 3);
    span = RWCString("ONE!");
    EXPECT_EQ("ONE! 2 three", Text(s));
    EXPECT_EQ(4u, span.Length());
    s(0, 4) = s(7, 5);
    EXPECT_EQ("three 2 three", Text(s));
    RWCStringSpan none = s.SubString("missing");
    none = "ignored";
    none.ToUpper();
    s(8, 5).ToUpper();
    EXPECT_EQ("three 2 THREE", Text(s));
    // Spans are kept within the string.
    EXPECT_EQ("EE", Text(s(11, 10)));
    EXPECT_EQ(0u, s(20, 2).Length());
}

TEST(RWCStringSpan, EqualityTreatsTheNullSpanAsEmptyText)
{
    RWCString s("abcabc");
    EXPECT_TRUE(s(1, 2) == s(4, 2));
    EXPECT_FALSE(s(1, 2) == "b");
    const RWCStringSpan null1 = s.SubString("x");
    EXPECT_TRUE(null1.IsNull());
    EXPECT_TRUE(null1 == s.SubString("y"));
    EXPECT_TRUE(null1 == "");
    EXPECT_TRUE(null1 == s(2, 0));
    EXPECT_FALSE(null1 == "a");
}

TEST(RWCStringSearch, FirstAndLastStopAtTheFirstNulUnlessAskedForTheWholeLength)
{
    const RWCString s("ab\0cb", 5);
    EXPECT_EQ(RW_NPOS, s.First('c'));
    EXPECT_EQ(3u, s.First('c', 0));
    EXPECT_EQ(1u, s.Last('b'));
    EXPECT_EQ(4u, s.Last('b', 0));
    EXPECT_EQ(7u, RWCString("path/to\\file").First("\\/", 1));
    EXPECT_EQ(RW_NPOS, RWCString("path").First(""));
}

TEST(RWCStringSearch, IndexAndSubStringFindTheFirstMatchAtOrAfterStartAndNeverWrap)
{
    const RWCString s("abcABCabc");
    const struct {
        const char* pattern;
        size_t length, start;
        RWCString::CaseCompare cmp;
        size_t expected;
    } cases[] = {
        {"abc", 3, 1, RWCString::exact, 6},
        {"abc", 3, 1, RWCString::ignoreCase, 3},
        {"abd", 3, 0, RWCString::exact, RW_NPOS},
        {"cA\0", 2, 2, RWCString::exact, 2},
        // An empty pattern answers start, even at the length.
        {"", 0, 9, RWCString::exact, 9},
        {"", 0, 10, RWCString::exact, RW_NPOS},
        {"bcd", 3, 7, RWCString::exact, RW_NPOS},
        // start + m must not wrap to a small number.
        {"a", RW_NPOS, 1, RWCString::exact, RW_NPOS},
        {"a", 1, RW_NPOS, RWCString::exact, RW_NPOS},
        {"a", 0xFFFFFFFEu, 2, RWCString::exact, RW_NPOS},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, s.Index(c.pattern, c.length, c.start, c.cmp)) << c.pattern << " from " << c.start;

    const RWCStringSpan found = s.SubString("cab", 0, RWCString::ignoreCase);
    EXPECT_EQ(2u, found.Start());
    EXPECT_EQ(3u, found.Length());
    EXPECT_EQ(RW_NPOS, s.SubString("cab").Start());
}

TEST(RWCStringSearch, StripRemovesRunsAndLeavesTheNullSpanWhenNothingIsLeft)
{
    const RWCString s("  padded  ");
    EXPECT_EQ("  padded", Text(s.Strip()));
    EXPECT_EQ("padded  ", Text(s.Strip(RWCString::leading)));
    EXPECT_EQ("xx", Text(RWCString("--xx--").Strip(RWCString::both, '-')));

    const RWCString blanks("    ");
    const RWCStringSpan span = blanks.Strip(RWCString::both);
    EXPECT_TRUE(span.IsNull());
    EXPECT_EQ(RWCString().Data(), RWCString(span).Data());
}

TEST(RWCStringCompare, TextBySignedBytesStringsByUnsignedBytesThenLength)
{
    const RWCString::CaseCompare exact = RWCString::exact, ignore = RWCString::ignoreCase;
    const struct {
        RWCString a;
        const char* b;
        RWCString::CaseCompare cmp;
        int withText, withString;
    } cases[] = {
        {RWCString("abcd"), "abc", exact, 1, 1},
        {RWCString("ab"), "abc", exact, -1, -1},
        {RWCString("abc"), "abc", exact, 0, 0},
        {RWCString("abc"), "abd", exact, -1, -1},
        // 0x80 is -128 as a signed byte but 128 as an unsigned one.
        {RWCString("\x80"), "a", exact, -1, 1},
        {RWCString("a"), "\x80", exact, 1, -1},
        {RWCString("HeLLo"), "hello", ignore, 0, 0},
        {RWCString("AB"), "abc", ignore, -1, -1},
        {RWCString("\x80"), "A", ignore, -1, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.withText, c.a.CompareTo(c.b, c.cmp)) << Text(c.a) << " with text " << c.b;
        EXPECT_EQ(c.withString, c.a.CompareTo(RWCString(c.b), c.cmp)) << Text(c.a) << " with string " << c.b;
    }
    // The text walk ends at its NUL; strings compare their whole length.
    EXPECT_EQ(1, RWCString("a\0b", 3).CompareTo("a"));
    EXPECT_EQ(-1, RWCString("a\0a", 3).CompareTo(RWCString("a\0b", 3)));
    EXPECT_EQ(1, RWCString("x").CompareTo(nullptr));
    EXPECT_FALSE(RWCString("a\0b", 3) == "a");
    EXPECT_TRUE(RWCString() == nullptr);
}

TEST(RWCStringHash, ExactFoldsWordsThenTheSignExtendedTailAndFoldedUsesUpperCase)
{
    const struct {
        RWCString s;
        RWCString::CaseCompare cmp;
        unsigned hash;
    } cases[] = {
        {RWCString(), RWCString::exact, 0u},
        {RWCString("abcd"), RWCString::exact, 0x646362E1u},
        {RWCString("abcdefg"), RWCString::exact, 0x8C09364Bu},
        {RWCString("\x80"), RWCString::exact, 0xFFFFFFA0u},
        {RWCString("ab\x80"), RWCString::exact, 0xFFFFFFE0u},
        {RWCString("aB"), RWCString::ignoreCase, 0x62u},
        {RWCString("Ab"), RWCString::ignoreCase, 0x62u},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.hash, c.s.Hash(c.cmp)) << Text(c.s);
}

TEST(RWCStringText, ClobberKeepsARoomySoleBufferAndSetLengthStaysWithinIt)
{
    RWCString s = Filled(20, 5);
    const char* before = s.Data();
    char* buffer = s.Clobber(8);
    EXPECT_EQ(before, buffer);
    std::memcpy(buffer, "12345678", 8);
    s.SetLength(8);
    EXPECT_EQ("12345678", Text(s));
    EXPECT_EQ('\0', s.Data()[8]);
    buffer = s.Clobber(30);
    EXPECT_NE(before, buffer);
    s.SetLength(99);
    EXPECT_EQ(30u, s.Length());
}

// Both string classes.

TEST(RWStringStore, RoundTripsEmbeddedNulsWithExactBytes)
{
    TempPath path("string.bin");
    const RWCString narrow("a\0b", 3);
    const RWWString wide(L"a\0\x0102", 3);
    {
        RWBinaryFile file(path.c_str(), "wb");
        EXPECT_TRUE(narrow.SaveOn(file));
        file << RWCString() << wide;
        EXPECT_TRUE(RWWString().SaveOn(file));
    }
    EXPECT_EQ(7u, narrow.BinaryStoreSize());
    EXPECT_EQ(10u, wide.BinaryStoreSize());
    const std::vector<uint8_t> expected = {0x03, 0x00, 0x00, 0x00, 0x61, 0x00, 0x62, 0x00, 0x00, 0x00, 0x00,
                                           0x03, 0x00, 0x00, 0x00, 0x61, 0x00, 0x00, 0x00, 0x02, 0x01,
                                           0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(expected, FileBytes(path.str()));

    RWBinaryFile file(path.c_str(), "rb");
    RWCString first("previous");
    const RWCString sharer(first);
    RWCString second("previous");
    RWWString wideBack(L"previous"), wideEmpty(L"previous");
    EXPECT_TRUE(first.RestoreFrom(file));
    file >> second >> wideBack;
    EXPECT_TRUE(wideEmpty.RestoreFrom(file));
    EXPECT_EQ(std::string("a\0b", 3), Text(first));
    EXPECT_EQ('\0', first.Data()[3]);
    EXPECT_EQ("previous", Text(sharer));
    EXPECT_EQ(0u, second.Length());
    EXPECT_TRUE(wideBack == wide);
    EXPECT_EQ(0u, wideEmpty.Length());

    RWBinaryFile closed(TempPath("nowhere/none.bin").c_str(), "rb");
    EXPECT_FALSE(RWCString("abc").SaveOn(closed));
}

namespace {

// A refused restore leaves the string's text and buffer as they were.
template <class String>
void ExpectRefusedKeepingString(const std::vector<uint8_t>& bytes, const String& keep, const char* kind)
{
    String s(keep);
    s.Capacity(10); // a sole owner, so an unwanted write would show
    const auto* before = s.Data();
    bool eof = false;
    EXPECT_FALSE(RestoreFromBytes(s, bytes, &eof)) << kind << " of " << bytes.size() << " bytes";
    EXPECT_TRUE(eof) << kind << " of " << bytes.size() << " bytes";
    EXPECT_TRUE(s == keep) << kind;
    EXPECT_EQ(before, s.Data()) << kind;
}

} // namespace

TEST(RWStringStore, ALengthBeyondTheFileOrBeyondAnyBlockIsRefusedAndTheStringKept)
{
    for (uint32_t n : {0u, 1u, 5u}) {
        std::vector<uint8_t> bytes = LengthWord(n);
        bytes.insert(bytes.end(), 2 * n, 'x');
        RWCString s("keep");
        EXPECT_TRUE(RestoreFromBytes(s, {bytes.begin(), bytes.end() - n})) << n;
        EXPECT_EQ(std::string(n, 'x'), Text(s));
        bytes[0] = static_cast<uint8_t>(n + 1);
        ExpectRefusedKeepingString({bytes.begin(), bytes.end() - n}, RWCString("keep"), "narrow");
        ExpectRefusedKeepingString(bytes, RWWString(L"keep"), "wide");
    }
    // Lengths that would overflow the block size (capacity + 13), and a cut length word.
    std::vector<std::vector<uint8_t>> damaged = {{0x02, 0x00}};
    for (uint32_t length : {0xFFFFFFFFu, 0xFFFFFFF3u, 0xFFFFFFF2u, 0x80000000u, 0x7FFFFFFFu, 0x7FFFFFF9u}) {
        damaged.push_back(LengthWord(length));
        damaged.back().insert(damaged.back().end(), {'a', 'b'});
    }
    for (const auto& bytes : damaged) {
        ExpectRefusedKeepingString(bytes, RWCString("keep"), "narrow");
        ExpectRefusedKeepingString(bytes, RWWString(L"keep"), "wide");
    }
}

namespace {

// Sixteen threads copy and drop one string and the empty one a million times in all; the
// count must come back to a sole owner, so a write needs no private copy.
template <class String, class Char>
void CopyFromSixteenThreads(const Char* text)
{
    const int kThreads = 16;
    const int kRounds = 1000000 / kThreads;
    String shared(text);
    String empty;
    auto work = [&shared, &empty] {
        for (int i = 0; i < kRounds; ++i) {
            String a(shared);
            String b = a;
            String c(empty);
            b = c;
            c = a;
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back(work);
    for (std::thread& thread : threads)
        thread.join();
    const auto* before = shared.Data();
    shared[0] = shared[1];
    EXPECT_EQ(before, shared.Data());
    EXPECT_EQ(String().Data(), empty.Data());
}

} // namespace

TEST(RWStringThreads, SixteenThreadsCopyingOneStringKeepTheCountExact)
{
    CopyFromSixteenThreads<RWCString>("shared between threads");
    CopyFromSixteenThreads<RWWString>(L"wide and shared");
}
