#include "foundation/RWRegularExpression.h"

#include "foundation/RWErrorHandler.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Found {
    size_t pos;
    size_t length;
};

Found Search(const char* pattern, const char* text, size_t start = 0)
{
    RWRegularExpression re(pattern);
    Found f{0, 99};
    f.pos = re.Index(RWCString(text), &f.length, start);
    return f;
}

} // namespace

TEST(RWRegularExpression, CutsTheApplicationPrefixOfRealTitles)
{
    const RWRegularExpression title("Microsoft [A-Z,a-z]+ - ");
    const struct {
        const char* title;
        size_t pos;
        size_t length;
    } cases[] = {
        {"Microsoft Word - letter", 0, 17},
        {"Microsoft Ledger - Budget 2026.dat", 0, 19},
        {"Microsoft SlideMaker - Slides", 0, 23},
        {"Copy of Microsoft Word - notes", 8, 17},
        {"Microsoft Word 2019 - x", RW_NPOS, 0},
        {"Notepad - readme.txt", RW_NPOS, 0},
    };
    for (const auto& c : cases) {
        size_t length = 99;
        EXPECT_EQ(c.pos, title.Index(RWCString(c.title), &length)) << c.title;
        EXPECT_EQ(c.length, length) << c.title;
    }
    RWCString doc("Microsoft Word - letter");
    RWCStringSpan prefix = title(doc);
    prefix = "";
    EXPECT_EQ(RWCString("letter"), doc);
}

TEST(RWRegularExpression, ClosuresAndAnchors)
{
    EXPECT_EQ(0u, Search("a*", "bbb").pos);
    EXPECT_EQ(0u, Search("a*", "bbb").length);
    EXPECT_EQ(RW_NPOS, Search("^b", "abc").pos);
    EXPECT_EQ(1u, Search("^b", "abc", 1).pos);
    EXPECT_EQ(3u, Search("x$", "axbx").pos);
    EXPECT_EQ(1u, Search("x$", "axbx").length);
    EXPECT_EQ(2u, Search("b+", "aabbbc").pos);
    EXPECT_EQ(3u, Search("b+", "aabbbc").length);
    EXPECT_EQ(4u, Search("colou?r", "the colour").pos);
    EXPECT_EQ(6u, Search("colou?r", "the colour").length);
    EXPECT_EQ(5u, Search("colou?r", "the color").length);
    // Greedy with give-back: a*ab needs the closure to return one character.
    EXPECT_EQ(0u, Search("a*ab", "aaab").pos);
    EXPECT_EQ(4u, Search("a*ab", "aaab").length);
    EXPECT_EQ(4u, Search("a.*c", "xxx abcabc").pos);
    EXPECT_EQ(6u, Search("a.*c", "xxx abcabc").length);
    EXPECT_EQ(RW_NPOS, Search("a.c", "a\nc").pos);
    EXPECT_EQ(3u, Search("$", "abc").pos);
    EXPECT_EQ(0u, Search("a$b", "a$b").pos);
    EXPECT_EQ(1u, Search("a^", "ba^").pos);
}

TEST(RWRegularExpression, RepeatedElementAfterClosureMatchesTheSameTexts)
{
    EXPECT_EQ(3u, Search("a*a", "aaa").length);
    EXPECT_EQ(1u, Search("a?a", "a").length);
    EXPECT_EQ(2u, Search("a?a", "aa").length);
    EXPECT_EQ(4u, Search("[xy]*[xy]", "xyyx").length);
    EXPECT_EQ(RW_NPOS, Search("a*a", "bbb").pos);
}

TEST(RWRegularExpression, ClassesRangesAndEscapes)
{
    EXPECT_EQ(0u, Search("[z-a]", "q").pos);
    EXPECT_EQ(RW_NPOS, Search("[^a-z]", "q").pos);
    EXPECT_EQ(1u, Search("[^a-z]", "q7").pos);
    EXPECT_EQ(1u, Search("[a-]", "x-").pos);
    EXPECT_EQ(1u, Search("\\t", "a\tb").pos);
    EXPECT_EQ(1u, Search("\\x41", "zA").pos);
    EXPECT_EQ(1u, Search("\\101", "zA").pos);
    EXPECT_EQ(1u, Search("\\^A", "z\x01").pos);
    EXPECT_EQ(0u, Search("\\X", "X").pos);
    EXPECT_EQ(0u, Search("\\.", ".").pos);
    EXPECT_EQ(RW_NPOS, Search("\\.", "a").pos);
    EXPECT_EQ(1u, Search("a\\", "ba\\").pos);
    EXPECT_EQ(1u, Search("[\\n]", "a\nb").pos);
    EXPECT_EQ(1u, Search("\\S", "a b").pos);
}

TEST(RWRegularExpression, MalformedPatternsReportTheirStatus)
{
    const struct {
        const char* pattern;
        int status;
    } cases[] = {
        {"", 1}, {"*a", 1}, {"+a", 1}, {"?a", 1}, {"[abc", 1}, {"[]", 1},
        {"[]a]", 1}, {"a**", 3}, {"a+?", 3}, {"^*", 3}, {"abc", 0}, {"ab$*", 0},
    };
    for (const auto& c : cases) {
        RWRegularExpression re(c.pattern);
        EXPECT_EQ(c.status, re.Status()) << c.pattern;
        EXPECT_EQ(0, re.Status()) << c.pattern;
    }
}

TEST(RWRegularExpression, TooLongPatternsStayWithinTheTokenBuffer)
{
    // 256 tokens: 255 elements and the end token.
    EXPECT_EQ(0, RWRegularExpression(std::string(255, 'a').c_str()).Status());
    EXPECT_EQ(3, RWRegularExpression(std::string(256, 'a').c_str()).Status());
    EXPECT_EQ(3, RWRegularExpression((std::string(254, 'a') + "b*").c_str()).Status());
    std::string classes;
    for (int i = 0; i < 14; ++i)
        classes += "[a-z]*";
    EXPECT_EQ(0, RWRegularExpression(classes.c_str()).Status());
    EXPECT_EQ(3, RWRegularExpression((classes + "[a-z]*").c_str()).Status());
    // A class that would take the end token's place is refused.
    EXPECT_EQ(0, RWRegularExpression((std::string(238, 'a') + "[a-z]").c_str()).Status());
    EXPECT_EQ(3, RWRegularExpression((std::string(239, 'a') + "[a-z]").c_str()).Status());
    RWRegularExpression longest((std::string(238, 'a') + "[a-z]").c_str());
    EXPECT_EQ(0u, longest.Index(RWCString((std::string(238, 'a') + "q").c_str())));
}

TEST(RWRegularExpression, SearchingAnInvalidPatternRaisesEvenAfterStatus)
{
    RWRegularExpression re("[abc");
    EXPECT_EQ(1, re.Status());
    RWErrorCapture capture;
    size_t length = 5;
    EXPECT_EQ(RW_NPOS, re.Index(RWCString("abc"), &length));
    EXPECT_EQ(0u, length);
    ASSERT_EQ(1u, capture.Count());
    EXPECT_EQ("[BADRE] Attempt to use invalid regular expression", capture.Last());
    re = "b";
    EXPECT_EQ(1u, re.Index(RWCString("abc")));
}

TEST(RWRegularExpression, StartBeyondTheTextFindsNothing)
{
    RWRegularExpression re("a*");
    size_t length = 7;
    EXPECT_EQ(RW_NPOS, re.Index(RWCString("abc"), &length, 4));
    EXPECT_EQ(0u, length);
    EXPECT_EQ(3u, re.Index(RWCString("abc"), &length, 3));
    RWCString text("abc");
    EXPECT_TRUE(re(text, 4).IsNull());
}

TEST(RWRegularExpression, CopiesKeepPatternAndStatus)
{
    RWRegularExpression a("b+");
    RWRegularExpression b(a);
    RWRegularExpression c("x");
    c = a;
    EXPECT_EQ(1u, b.Index(RWCString("abbc")));
    EXPECT_EQ(1u, c.Index(RWCString("abbc")));
    RWRegularExpression bad("a**");
    RWRegularExpression badCopy(bad);
    EXPECT_EQ(3, badCopy.Status());
}
