#include "foundation/RWRegularExpression.h"

#include "foundation/RWErrorHandler.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Expected {
    const char* pattern;
    const char* text;
    size_t start;
    size_t pos;
    size_t length;
};

void ExpectMatches(std::initializer_list<Expected> cases)
{
    for (const Expected& c : cases) {
        size_t length = 99;
        EXPECT_EQ(c.pos, RWRegularExpression(c.pattern).Index(RWCString(c.text), &length, c.start))
            << c.pattern << " on " << c.text;
        EXPECT_EQ(c.length, length) << c.pattern << " on " << c.text;
    }
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
        {"Microsoft Word - letter", 0, 17}, {"Microsoft Ledger - Budget 2026.dat", 0, 19},
        {"Microsoft SlideMaker - Slides", 0, 23}, {"Copy of Microsoft Word - notes", 8, 17},
        {"Microsoft Word 2019 - x", RW_NPOS, 0}, {"Notepad - readme.txt", RW_NPOS, 0},
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

TEST(RWRegularExpression, ClosuresAreGreedyAndGiveBackAndAnchorsHoldOnlyAtTheirEnds)
{
    const size_t none = RW_NPOS;
    ExpectMatches({
        {"a*", "bbb", 0, 0, 0}, {"^b", "abc", 0, none, 0},
        {"^b", "abc", 1, 1, 1}, {"x$", "axbx", 0, 3, 1},
        {"b+", "aabbbc", 0, 2, 3}, {"colou?r", "the colour", 0, 4, 6},
        {"colou?r", "the color", 0, 4, 5}, {"a*ab", "aaab", 0, 0, 4},
        {"a.*c", "xxx abcabc", 0, 4, 6}, {"a.c", "a\nc", 0, none, 0},
        {"$", "abc", 0, 3, 0}, {"a$b", "a$b", 0, 0, 3},
        {"a^", "ba^", 0, 1, 2},
        // A closure followed by its own element matches the same texts.
        {"a*a", "aaa", 0, 0, 3}, {"a?a", "a", 0, 0, 1},
        {"a?a", "aa", 0, 0, 2}, {"[xy]*[xy]", "xyyx", 0, 0, 4},
        {"a*a", "bbb", 0, none, 0},
    });
}

TEST(RWRegularExpression, ClassesRangesAndEscapes)
{
    const size_t none = RW_NPOS;
    ExpectMatches({
        {"[z-a]", "q", 0, 0, 1}, {"[^a-z]", "q", 0, none, 0},
        {"[^a-z]", "q7", 0, 1, 1}, {"[a-]", "x-", 0, 1, 1},
        {"\\t", "a\tb", 0, 1, 1}, {"\\x41", "zA", 0, 1, 1},
        {"\\101", "zA", 0, 1, 1}, {"\\^A", "z\x01", 0, 1, 1},
        {"\\X", "X", 0, 0, 1}, {"\\.", ".", 0, 0, 1},
        {"\\.", "a", 0, none, 0}, {"a\\", "ba\\", 0, 1, 2},
        {"[\\n]", "a\nb", 0, 1, 1}, {"\\S", "a b", 0, 1, 1},
    });
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
    TestErrorCapture capture;
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
    ExpectMatches({{"a*", "abc", 4, RW_NPOS, 0}, {"a*", "abc", 3, 3, 0}});
    RWCString text("abc");
    EXPECT_TRUE(RWRegularExpression("a*")(text, 4).IsNull());
}
