#include "foundation/RWCString.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWErrorHandler.h"

#include "FileBytes.h"
#include "TempPath.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Text(const RWCString& s) { return std::string(s.Data(), s.Length()); }
std::string Text(const RWCStringSpan& s) { return std::string(s.Data(), s.VisibleLength()); }

// A sole-owner string of the given capacity filled to the given length.
RWCString Filled(size_t capacity, size_t length)
{
    RWCString s(capacity);
    s.Append('a', length);
    return s;
}

} // namespace

TEST(RWCStringConstruction, DefaultStringsAndTheirCopiesShareTheEmptyRepresentation)
{
    RWCString a;
    RWCString b(a);
    RWCString c;
    EXPECT_EQ(a.Data(), b.Data());
    EXPECT_EQ(a.Data(), c.Data());
    EXPECT_EQ(0u, a.Length());
    EXPECT_EQ(0u, a.Capacity());
    EXPECT_TRUE(a.IsNull());
    EXPECT_EQ('\0', a.Data()[0]);
    EXPECT_EQ(a.Data(), RWCString("").Data());
    EXPECT_EQ(a.Data(), RWCString(size_t(0)).Data());
}

TEST(RWCStringConstruction, EmptyRepresentationSurvivesEveryRelease)
{
    const char* empty = RWCString().Data();
    for (int i = 0; i < 1000; ++i) {
        RWCString a;
        RWCString b(a);
        RWCString c = b;
        c = a;
    }
    RWCString after;
    EXPECT_EQ(empty, after.Data());
    EXPECT_EQ('\0', after.Data()[0]);
    // It is never written: an edit of an empty string moves to a buffer of its own.
    RWCString edited;
    edited.Append("x");
    EXPECT_NE(empty, edited.Data());
    EXPECT_EQ("", Text(after));
}

TEST(RWCStringConstruction, PlainConstructorsUseTheExactSize)
{
    const RWCString text("hello");
    EXPECT_EQ("hello", Text(text));
    EXPECT_EQ(5u, text.Capacity());

    const RWCString counted("a\0b", 3);
    EXPECT_EQ(std::string("a\0b", 3), Text(counted));
    EXPECT_EQ(3u, counted.Capacity());

    const RWCString fill('x', 4);
    EXPECT_EQ("xxxx", Text(fill));
    EXPECT_EQ(4u, fill.Capacity());

    const RWCString reserved(size_t(40));
    EXPECT_EQ(0u, reserved.Length());
    EXPECT_EQ(40u, reserved.Capacity());

    const RWCString nullText(static_cast<const char*>(nullptr));
    EXPECT_EQ(0u, nullText.Length());
}

TEST(RWCStringConstruction, OneCharacterGetsTheInitialCapacity)
{
    const RWCString one('q');
    EXPECT_EQ("q", Text(one));
    EXPECT_EQ(15u, one.Capacity());
}

TEST(RWCStringConstruction, ConcatenationAndSpansUseTheCapacityRule)
{
    const RWCString ab("ab");
    const RWCString sum = ab + "cde";
    EXPECT_EQ("abcde", Text(sum));
    EXPECT_EQ(15u, sum.Capacity());
    EXPECT_EQ("xyab", Text("xy" + ab));
    EXPECT_EQ("abab", Text(ab + ab));
    EXPECT_EQ("ab", Text(ab + static_cast<const char*>(nullptr)));
    EXPECT_EQ(31u, (ab + RWCString('z', 20)).Capacity());

    const RWCString fromSpan(ab(1, 1));
    EXPECT_EQ("b", Text(fromSpan));
    EXPECT_EQ(15u, fromSpan.Capacity());
}

TEST(RWCStringCapacity, AdjustCapacityRoundsUpInIncrements)
{
    for (size_t n = 0; n <= 15; ++n)
        EXPECT_EQ(15u, RWCString::AdjustCapacity(n)) << n;
    EXPECT_EQ(31u, RWCString::AdjustCapacity(16));
    EXPECT_EQ(31u, RWCString::AdjustCapacity(31));
    EXPECT_EQ(47u, RWCString::AdjustCapacity(32));
}

TEST(RWCStringCapacity, SettersAnswerTheOldValue)
{
    EXPECT_EQ(15u, RWCString::SetInitialCapacity(7));
    EXPECT_EQ(16u, RWCString::SetResizeIncrement(8));
    EXPECT_EQ(15u, RWCString::SetMaxWaste(3));
    EXPECT_EQ(7u, RWCString::AdjustCapacity(7));
    EXPECT_EQ(15u, RWCString::AdjustCapacity(8));
    // An increment of 0 rounds by 1 instead of dividing by zero.
    EXPECT_EQ(8u, RWCString::SetResizeIncrement(0));
    EXPECT_EQ(9u, RWCString::AdjustCapacity(9));
    EXPECT_EQ(7u, RWCString::SetInitialCapacity(15));
    EXPECT_EQ(0u, RWCString::SetResizeIncrement(16));
    EXPECT_EQ(3u, RWCString::SetMaxWaste(15));
    EXPECT_EQ(47u, RWCString::AdjustCapacity(32));
}

TEST(RWCStringCapacity, ShrinkingPastTheMaximumWasteReallocates)
{
    RWCString s = Filled(100, 50);
    ASSERT_EQ(100u, s.Capacity());
    const char* before = s.Data();
    s.Remove(10);
    EXPECT_EQ(10u, s.Length());
    EXPECT_EQ(15u, s.Capacity());
    EXPECT_NE(before, s.Data());
    EXPECT_EQ(std::string(10, 'a'), Text(s));
}

TEST(RWCStringCapacity, ShrinkingWithinTheMaximumWasteStaysInPlace)
{
    RWCString s = Filled(31, 31);
    const char* before = s.Data();
    s.Remove(17);
    EXPECT_EQ(17u, s.Length());
    EXPECT_EQ(31u, s.Capacity());
    EXPECT_EQ(before, s.Data());
    EXPECT_EQ('\0', s.Data()[17]);
}

TEST(RWCStringCapacity, GrowingPastTheCapacityUsesTheRule)
{
    RWCString s("abc");
    s.Append("defghijklmnopqrst");
    EXPECT_EQ(20u, s.Length());
    EXPECT_EQ(31u, s.Capacity());
    const char* before = s.Data();
    s.Append("uvw");
    EXPECT_EQ(before, s.Data());
}

TEST(RWCStringCapacity, CapacityReservesExactlyButNeverBelowTheLength)
{
    RWCString s("abcdef");
    EXPECT_EQ(6u, s.Capacity());
    EXPECT_EQ(100u, s.Capacity(100));
    EXPECT_EQ(10u, s.Capacity(10));
    EXPECT_EQ(10u, s.Capacity(3));
    EXPECT_EQ(10u, s.Capacity(6));
    EXPECT_EQ("abcdef", Text(s));
}

TEST(RWCStringCapacity, AppendingCharactersReservesExactly)
{
    RWCString s("ab");
    s.Append('c', 3);
    EXPECT_EQ("abccc", Text(s));
    EXPECT_EQ(5u, s.Capacity());
    s.Append('d', 0);
    EXPECT_EQ(5u, s.Length());
}

TEST(RWCStringCapacity, PrependingCharactersWorksInPlaceWhenThereIsRoom)
{
    RWCString roomy = Filled(10, 3);
    const char* before = roomy.Data();
    roomy.Prepend('-', 2);
    EXPECT_EQ("--aaa", Text(roomy));
    EXPECT_EQ(before, roomy.Data());

    RWCString tight("abc");
    tight.Prepend('-', 2);
    EXPECT_EQ("--abc", Text(tight));
    EXPECT_EQ(15u, tight.Capacity());
}

TEST(RWCStringSharing, CopiesShareUntilOneIsWritten)
{
    RWCString a("text");
    RWCString b(a);
    EXPECT_EQ(a.Data(), b.Data());
    b[0] = 'T';
    EXPECT_EQ("text", Text(a));
    EXPECT_EQ("Text", Text(b));
    EXPECT_NE(a.Data(), b.Data());
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

TEST(RWCStringSharing, SoleOwnerWritesInPlace)
{
    RWCString s("abc");
    const char* before = s.Data();
    s[1] = 'B';
    s.ToUpper();
    EXPECT_EQ("ABC", Text(s));
    EXPECT_EQ(before, s.Data());
}

TEST(RWCStringSharing, AssigningEmptyTextKeepsASoleOwnersBuffer)
{
    RWCString sole("hello");
    const char* before = sole.Data();
    sole = "";
    EXPECT_EQ(before, sole.Data());
    EXPECT_EQ(5u, sole.Capacity());
    EXPECT_EQ(0u, sole.Length());
    EXPECT_EQ('\0', sole.Data()[0]);

    RWCString shared("hello");
    RWCString other(shared);
    shared = "";
    EXPECT_EQ(RWCString().Data(), shared.Data());
    EXPECT_EQ("hello", Text(other));
}

TEST(RWCStringSharing, AssignmentSharesTheOtherRepresentation)
{
    RWCString a("one");
    RWCString b("two");
    b = a;
    EXPECT_EQ(a.Data(), b.Data());
    b = b;
    EXPECT_EQ("one", Text(b));
    b = "three";
    EXPECT_EQ("one", Text(a));
    EXPECT_EQ("three", Text(b));
}

TEST(RWCStringSharing, CopyIsDeepWithCapacityEqualToLength)
{
    RWCString s = Filled(40, 5);
    const RWCString deep = s.Copy();
    EXPECT_NE(s.Data(), deep.Data());
    EXPECT_EQ(5u, deep.Capacity());
    EXPECT_EQ(Text(s), Text(deep));
}

TEST(RWCStringReplace, ReplacesRemovesAndInserts)
{
    RWCString s("hello world");
    s.Replace(6, 5, "there");
    EXPECT_EQ("hello there", Text(s));
    s.Replace(5, 100, "!");
    EXPECT_EQ("hello!", Text(s));
    s.Replace(0, 1, nullptr, 7);
    EXPECT_EQ("ello!", Text(s));
    s.Insert(0, "h");
    s.Insert(5, RWCString(", you"));
    EXPECT_EQ("hello, you!", Text(s));
    s.Prepend(">> ");
    s.Append(" <<", 3);
    EXPECT_EQ(">> hello, you! <<", Text(s));
    s.Remove(2);
    EXPECT_EQ(">>", Text(s));
    s += RWCString("\0x", 2);
    EXPECT_EQ(std::string(">>\0x", 4), Text(s));
}

TEST(RWCStringReplace, ResizePadsWithBlanksOrCutsTheTail)
{
    RWCString s("ab");
    s.Resize(5);
    EXPECT_EQ("ab   ", Text(s));
    s.Resize(1);
    EXPECT_EQ("a", Text(s));
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

TEST(RWCStringReplace, PositionBeyondTheEndAppends)
{
    RWCString s("ab");
    s.Replace(10, 3, "cd");
    EXPECT_EQ("abcd", Text(s));
}

TEST(RWCStringIndex, OutOfRangeIndexRaisesTheExactMessages)
{
    RWErrorCapture capture;
    RWCString s("abc");
    char& bad = s[3];
    EXPECT_EQ("[INDEXERR] Illegal Index (3) for collection or string with 3 elements", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWBoundsError>());
    bad = 'z';
    EXPECT_EQ("abc", Text(s));

    s[RW_NPOS];
    EXPECT_EQ("[NPOSINDEX] The value RW_NPOS cannot be used as an index.", capture.Last());
    const RWCString& constant = s;
    EXPECT_EQ('\0', constant[7]);
    EXPECT_EQ("[INDEXERR] Illegal Index (7) for collection or string with 3 elements", capture.Last());
    EXPECT_EQ(3u, capture.Count());
    EXPECT_EQ('c', constant[2]);
    EXPECT_EQ(3u, capture.Count());
}

TEST(RWCStringIndex, SpanIndexIsCheckedAgainstTheSpanLength)
{
    RWErrorCapture capture;
    RWCString s("abcdef");
    RWCStringSpan span = s(1, 2);
    EXPECT_EQ('c', span[1]);
    span[2] = 'z';
    EXPECT_EQ("[INDEXERR] Illegal Index (2) for collection or string with 2 elements", capture.Last());
    EXPECT_EQ("abcdef", Text(s));
    s.SubString("zz")[RW_NPOS];
    EXPECT_EQ("[NPOSINDEX] The value RW_NPOS cannot be used as an index.", capture.Last());
    EXPECT_EQ(2u, capture.Count());
}

TEST(RWCStringSpan, AssignmentReplacesTheSpannedText)
{
    RWCString s("one two three");
    s(4, 3) = "2";
    EXPECT_EQ("one 2 three", Text(s));
    RWCStringSpan span = s(0, 3);
    span = RWCString("ONE!");
    EXPECT_EQ("ONE! 2 three", Text(s));
    EXPECT_EQ(4u, span.Length());
    s(0, 4) = s(7, 5);
    EXPECT_EQ("three 2 three", Text(s));
    RWCStringSpan none = s.SubString("missing");
    none = "ignored";
    EXPECT_EQ("three 2 three", Text(s));
}

TEST(RWCStringSpan, EqualityTreatsTheNullSpanAsEmptyText)
{
    RWCString s("abcabc");
    EXPECT_TRUE(s(1, 2) == "bc");
    EXPECT_TRUE(s(1, 2) == s(4, 2));
    EXPECT_TRUE(RWCString("bc") == s(4, 2));
    EXPECT_FALSE(s(1, 2) == "b");
    const RWCStringSpan null1 = s.SubString("x");
    const RWCStringSpan null2 = s.SubString("y");
    EXPECT_TRUE(null1.IsNull());
    EXPECT_TRUE(null1 == null2);
    EXPECT_TRUE(null1 == "");
    EXPECT_TRUE(null1 == s(2, 0));
    EXPECT_FALSE(null1 == "a");
    EXPECT_TRUE(null1 != s(0, 1));
}

TEST(RWCStringSpan, ChangesCaseInPlace)
{
    RWCString s("hello world");
    s(6, 5).ToUpper();
    EXPECT_EQ("hello WORLD", Text(s));
    s(0, 11).ToLower();
    EXPECT_EQ("hello world", Text(s));
    s.SubString("none").ToUpper();
    EXPECT_EQ("hello world", Text(s));
    EXPECT_EQ("HELLO", Text(ToUpper(RWCString("hello"))));
    EXPECT_EQ("mixed", Text(ToLower(RWCString("MiXeD"))));
}

TEST(RWCStringSpan, SpansAreKeptWithinTheString)
{
    RWCString s("abc");
    EXPECT_EQ("bc", Text(s(1, 10)));
    EXPECT_EQ(0u, s(10, 2).Length());
}

TEST(RWCStringSearch, FirstAndLastStopAtTheFirstNulUnlessAskedForTheWholeLength)
{
    const RWCString s("ab\0cb", 5);
    EXPECT_EQ(RW_NPOS, s.First('c'));
    EXPECT_EQ(3u, s.First('c', 0));
    EXPECT_EQ(0u, s.First('a'));
    EXPECT_EQ(1u, s.Last('b'));
    EXPECT_EQ(4u, s.Last('b', 0));
    EXPECT_EQ(RW_NPOS, s.Last('z', 0));
}

TEST(RWCStringSearch, FirstOfASet)
{
    const RWCString s("path/to\\file");
    EXPECT_EQ(4u, s.First("\\/"));
    EXPECT_EQ(7u, s.First("\\/", 1));
    EXPECT_EQ(RW_NPOS, s.First(":"));
    EXPECT_EQ(RW_NPOS, s.First(""));
}

TEST(RWCStringSearch, IndexFindsTheFirstMatchAtOrAfterStart)
{
    const RWCString s("abcABCabc");
    EXPECT_EQ(0u, s.Index("abc"));
    EXPECT_EQ(6u, s.Index("abc", 1));
    EXPECT_EQ(3u, s.Index("abc", 1, RWCString::ignoreCase));
    EXPECT_EQ(6u, s.Index(RWCString("ab"), 4));
    EXPECT_EQ(RW_NPOS, s.Index("abd"));
    EXPECT_EQ(2u, s.Index("cA\0", 2, 0, RWCString::exact));
}

TEST(RWCStringSearch, IndexEdgesNeverWrap)
{
    const RWCString s("abc");
    EXPECT_EQ(0u, s.Index(""));
    EXPECT_EQ(3u, s.Index("", 3));
    EXPECT_EQ(RW_NPOS, s.Index("", 4));
    EXPECT_EQ(RW_NPOS, s.Index("c", 3));
    EXPECT_EQ(RW_NPOS, s.Index("bcd", 1));
    EXPECT_EQ(RW_NPOS, s.Index("a", 1, RW_NPOS, RWCString::exact));
    EXPECT_EQ(RW_NPOS, s.Index("a", RW_NPOS, 1, RWCString::exact));
    EXPECT_EQ(RW_NPOS, s.Index("a", 0xFFFFFFFEu, 2, RWCString::exact));
}

TEST(RWCStringSearch, SubStringAnswersASpanOrTheNullSpan)
{
    RWCString s("Hello World");
    RWCStringSpan world = s.SubString("world", 0, RWCString::ignoreCase);
    EXPECT_EQ(6u, world.Start());
    EXPECT_EQ(5u, world.Length());
    EXPECT_TRUE(s.SubString("world").IsNull());
    EXPECT_EQ(RW_NPOS, s.SubString("world").Start());
    EXPECT_EQ(0u, s.SubString("world").Length());
}

TEST(RWCStringSearch, StripRemovesRunsAtEitherEnd)
{
    const RWCString s("  padded  ");
    EXPECT_EQ("  padded", Text(s.Strip()));
    EXPECT_EQ("padded  ", Text(s.Strip(RWCString::leading)));
    EXPECT_EQ("padded", Text(s.Strip(RWCString::both)));
    EXPECT_EQ("xx", Text(RWCString("--xx--").Strip(RWCString::both, '-')));
}

TEST(RWCStringSearch, StripOfOnlyBlanksIsTheNullSpan)
{
    const RWCString blanks("    ");
    const RWCStringSpan span = blanks.Strip(RWCString::both);
    EXPECT_TRUE(span.IsNull());
    const RWCString rest(span);
    EXPECT_EQ(0u, rest.Length());
    EXPECT_EQ(RWCString().Data(), rest.Data());
    EXPECT_TRUE(RWCString().Strip(RWCString::both).IsNull());
}

TEST(RWCStringCompare, AgainstTextByLengthAndSignedBytes)
{
    EXPECT_EQ(1, RWCString("abcd").CompareTo("abc"));
    EXPECT_EQ(-1, RWCString("ab").CompareTo("abc"));
    EXPECT_EQ(0, RWCString("abc").CompareTo("abc"));
    EXPECT_EQ(-1, RWCString("abc").CompareTo("abd"));
    EXPECT_EQ(1, RWCString("abd").CompareTo("abc"));
    // 0x80 is -128 as a signed byte, so it sorts before 'a'.
    EXPECT_EQ(-1, RWCString("\x80").CompareTo("a"));
    EXPECT_EQ(1, RWCString("a").CompareTo("\x80"));
    EXPECT_EQ(1, RWCString("a\0b", 3).CompareTo("a"));
    EXPECT_EQ(0, RWCString().CompareTo(nullptr));
    EXPECT_EQ(1, RWCString("x").CompareTo(nullptr));
}

TEST(RWCStringCompare, AgainstTextIgnoringCase)
{
    EXPECT_EQ(0, RWCString("HeLLo").CompareTo("hello", RWCString::ignoreCase));
    EXPECT_EQ(-1, RWCString("ABC").CompareTo("abd", RWCString::ignoreCase));
    EXPECT_EQ(-1, RWCString("\x80").CompareTo("A", RWCString::ignoreCase));
}

TEST(RWCStringCompare, BetweenStringsByUnsignedBytesThenLength)
{
    EXPECT_EQ(1, RWCString("\x80").CompareTo(RWCString("a")));
    EXPECT_EQ(-1, RWCString("a").CompareTo(RWCString("\x80")));
    EXPECT_EQ(-1, RWCString("ab").CompareTo(RWCString("abc")));
    EXPECT_EQ(1, RWCString("abc").CompareTo(RWCString("ab")));
    EXPECT_EQ(0, RWCString("a\0b", 3).CompareTo(RWCString("a\0b", 3)));
    EXPECT_EQ(-1, RWCString("a\0a", 3).CompareTo(RWCString("a\0b", 3)));
    EXPECT_TRUE(RWCString("a") < RWCString("\x80"));
}

TEST(RWCStringCompare, BetweenStringsIgnoringCaseBySignedBytes)
{
    EXPECT_EQ(0, RWCString("ABC").CompareTo(RWCString("abc"), RWCString::ignoreCase));
    EXPECT_EQ(-1, RWCString("\x80").CompareTo(RWCString("a"), RWCString::ignoreCase));
    EXPECT_EQ(-1, RWCString("AB").CompareTo(RWCString("abc"), RWCString::ignoreCase));
}

TEST(RWCStringCompare, EqualityNeedsTheSameBytesAndLength)
{
    const RWCString embedded("a\0b", 3);
    EXPECT_FALSE(embedded == "a");
    EXPECT_TRUE(embedded == RWCString("a\0b", 3));
    EXPECT_TRUE(RWCString("abc") == "abc");
    EXPECT_TRUE("abc" == RWCString("abc"));
    EXPECT_TRUE(RWCString("abc") != "abcd");
    EXPECT_TRUE(RWCString() == nullptr);
}

TEST(RWCStringHash, ExactFoldsWordsThenTheSignExtendedTail)
{
    EXPECT_EQ(0u, RWCString().Hash());
    EXPECT_EQ(0x646362E1u, RWCString("abcd").Hash());
    EXPECT_EQ(0x8C09364Bu, RWCString("abcdefg").Hash());
    EXPECT_EQ(0xFFFFFFA0u, RWCString("\x80").Hash());
    EXPECT_EQ(0xFFFFFFE0u, RWCString("ab\x80").Hash());
}

TEST(RWCStringHash, CaseFoldedUsesUpperCaseBytes)
{
    EXPECT_EQ(0x62u, RWCString("aB").Hash(RWCString::ignoreCase));
    EXPECT_EQ(RWCString("aB").Hash(RWCString::ignoreCase), RWCString("Ab").Hash(RWCString::ignoreCase));
    EXPECT_NE(RWCString("aB").Hash(), RWCString("Ab").Hash());
}

TEST(RWCStringText, AsciiCollationAndMultibyteLength)
{
    EXPECT_TRUE(RWCString("plain").IsAscii());
    EXPECT_FALSE(RWCString("caf\xE9").IsAscii());
    EXPECT_LT(RWCString("apple").Collate("banana"), 0);
    EXPECT_EQ(0, RWCString("same").Collate("same"));
    EXPECT_EQ(5u, RWCString("a\0bcd", 5).MbLength());
    EXPECT_EQ(0u, RWCString().MbLength());
    const RWCString transformed = StrXForm(RWCString("key"));
    EXPECT_GT(transformed.Length(), 0u);
    EXPECT_EQ(0u, StrXForm(RWCString()).Length());
}

TEST(RWCStringText, ClobberKeepsARoomySoleBufferAndSetLengthTerminates)
{
    RWCString s = Filled(20, 5);
    const char* before = s.Data();
    char* buffer = s.Clobber(8);
    EXPECT_EQ(before, buffer);
    EXPECT_EQ(0u, s.Length());
    std::memcpy(buffer, "12345678", 8);
    s.SetLength(8);
    EXPECT_EQ("12345678", Text(s));
    EXPECT_EQ('\0', s.Data()[8]);
    buffer = s.Clobber(30);
    EXPECT_NE(before, buffer);
    EXPECT_EQ(30u, s.Capacity());
    s.SetLength(99);
    EXPECT_EQ(30u, s.Length());
}

TEST(RWCStringStore, RoundTripsEmbeddedNulsWithExactBytes)
{
    TempPath path("cstring.bin");
    {
        RWBinaryFile file(path.c_str(), "wb");
        const RWCString s("a\0b", 3);
        EXPECT_TRUE(s.SaveOn(file));
        file << RWCString();
        EXPECT_EQ(7u, s.BinaryStoreSize());
    }
    const uint8_t expected[] = {0x03, 0x00, 0x00, 0x00, 0x61, 0x00, 0x62, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(expected, expected + sizeof expected), FileBytes(path.str()));

    RWBinaryFile file(path.c_str(), "rb");
    RWCString first("previous");
    RWCString second("previous");
    EXPECT_TRUE(first.RestoreFrom(file));
    file >> second;
    EXPECT_EQ(std::string("a\0b", 3), Text(first));
    EXPECT_EQ(0u, second.Length());
    EXPECT_EQ('\0', first.Data()[3]);
}

TEST(RWCStringStore, ReadingIntoASharedStringLeavesTheOtherOwnerAlone)
{
    TempPath path("cstring-shared.bin");
    {
        RWBinaryFile file(path.c_str(), "wb");
        file << RWCString("new");
    }
    RWBinaryFile file(path.c_str(), "rb");
    RWCString target("old text");
    const RWCString other(target);
    file >> target;
    EXPECT_EQ("new", Text(target));
    EXPECT_EQ("old text", Text(other));
}

TEST(RWCStringStore, LengthBeyondTheFileFailsAndLeavesTheStringUnchanged)
{
    TempPath path("cstring-short.bin");
    for (uint8_t n : {0, 1, 5}) {
        std::vector<uint8_t> bytes = {n, 0, 0, 0};
        bytes.insert(bytes.end(), n, 'x');
        ASSERT_TRUE(WriteFileBytes(path.str(), bytes));
        {
            RWBinaryFile file(path.c_str(), "rb");
            RWCString s("keep");
            EXPECT_TRUE(s.RestoreFrom(file)) << int(n);
            EXPECT_EQ(std::string(n, 'x'), Text(s));
        }
        bytes[0] = static_cast<uint8_t>(n + 1);
        ASSERT_TRUE(WriteFileBytes(path.str(), bytes));
        RWBinaryFile file(path.c_str(), "rb");
        RWCString s("keep");
        const char* before = s.Data();
        EXPECT_FALSE(s.RestoreFrom(file)) << int(n);
        EXPECT_EQ("keep", Text(s));
        EXPECT_EQ(before, s.Data());
        EXPECT_TRUE(file.Eof());
    }
}

TEST(RWCStringStore, HugeLengthsFailCleanly)
{
    TempPath path("cstring-huge.bin");
    for (uint32_t length : {0xFFFFFFFFu, 0xFFFFFFF3u, 0xFFFFFFF2u, 0x80000000u, 0x7FFFFFFFu}) {
        std::vector<uint8_t> bytes = {uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16),
                                      uint8_t(length >> 24), 'a', 'b'};
        ASSERT_TRUE(WriteFileBytes(path.str(), bytes));
        RWBinaryFile file(path.c_str(), "rb");
        RWCString s("keep");
        EXPECT_FALSE(s.RestoreFrom(file)) << length;
        EXPECT_EQ("keep", Text(s));
    }
}

TEST(RWCStringStore, TruncatedLengthWordFails)
{
    TempPath path("cstring-truncated.bin");
    ASSERT_TRUE(WriteFileBytes(path.str(), {0x02, 0x00}));
    RWBinaryFile file(path.c_str(), "rb");
    RWCString s("keep");
    EXPECT_FALSE(s.RestoreFrom(file));
    EXPECT_EQ("keep", Text(s));
}

TEST(RWCStringStore, WritingToAClosedFileFails)
{
    RWBinaryFile file(TempPath("nowhere/none.bin").c_str(), "rb");
    EXPECT_FALSE(RWCString("abc").SaveOn(file));
}

TEST(RWCStringThreads, TwoThreadsCopyingOneStringKeepTheCountExact)
{
    RWCString shared("shared between threads");
    RWCString empty;
    auto work = [&shared, &empty] {
        for (int i = 0; i < 20000; ++i) {
            RWCString a(shared);
            RWCString b = a;
            RWCString c(empty);
            b = c;
            c = a;
        }
    };
    std::thread first(work);
    std::thread second(work);
    first.join();
    second.join();
    // Back to a sole owner: a write must not need a private copy.
    const char* before = shared.Data();
    shared[0] = 'S';
    EXPECT_EQ(before, shared.Data());
    EXPECT_EQ("Shared between threads", Text(shared));
    EXPECT_EQ(RWCString().Data(), empty.Data());
}
