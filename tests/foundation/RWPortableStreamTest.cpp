#include "foundation/RWErrorHandler.h"
#include "foundation/RWPortableInStream.h"
#include "foundation/RWPortableOutStream.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

namespace {

// The text a portable stream holds after write.
std::string Written(const std::function<void(RWPortableOutStream&)>& write)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    write(out);
    return buffer.str();
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

} // namespace

TEST(RWPortableOutStream, NumbersAreDecimalLinesSignedByTheirType)
{
    EXPECT_EQ("-3\n65535\n-70000\n4000000000\n0\n1.5000000000000000e+00\n2.5000000000000000e-01\n",
              Written([](RWPortableOutStream& out) {
                  out << static_cast<short>(-3) << static_cast<unsigned short>(65535) << -70000L << 4000000000UL << 0
                      << 1.5 << 0.25f;
              }));
    // Bytes and characters given to Put are numbers too.
    EXPECT_EQ("200\n-5\n0\n255\n65\n-1\n1\n-2\n2.0000000000000000e+00\n", Written([](RWPortableOutStream& out) {
                  const unsigned char bytes[] = {0, 255};
                  const char chars[] = {'A', '\xFF'};
                  const int ints[] = {1, -2};
                  const float floats[] = {2.0f};
                  out.Put(static_cast<unsigned char>(200)).Put('\xFB').Put(bytes, 2).Put(chars, 2);
                  out.Put(ints, 2).Put(floats, 1);
              }));
}

TEST(RWPortableOutStream, TextsAndCharactersAreEscaped)
{
    const struct {
        std::string text;
        std::string written;
    } cases[] = {
        {"a{b}c", "a\\[b\\]c"},
        {"x y", "x\\x20y"},
        {"\b\t\n\f\r\"\\{}", "\\b\\t\\n\\f\\r\\\"\\\\\\[\\]"},
        {std::string("\0\x01\x0B\x7F\x80\xE9\xFE\xFF~", 9), "\\x00\\x01\\x0b\\x7f\\x80\\xe9\\xfe\\xff~"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Quoted(c.written),
                  Written([&c](RWPortableOutStream& out) { out.PutString(c.text.data(), c.text.size()); }));
    }
    // Characters go out without quotes.
    EXPECT_EQ("a\\\"\\x20\\]", Written([](RWPortableOutStream& out) {
                  out << 'a' << '"' << static_cast<unsigned char>(' ') << '}';
              }));
}

TEST(RWPortableOutStream, LinesWrapAfterEightyColumns)
{
    const std::string a100(100, 'a'), a77(77, 'a'), b78(78, 'b'), d38(38, 'd');
    const struct {
        std::function<void(RWPortableOutStream&)> write;
        std::string written;
        size_t column;
    } cases[] = {
        {[&](RWPortableOutStream& out) { out.PutString(a100.data(), 100); },
         "\"" + std::string(79, 'a') + "\n" + std::string(21, 'a') + "\"", 22},
        // An escape that would cross the edge starts the next line.
        {[&](RWPortableOutStream& out) { out.PutString((a77 + " ").data(), 78); }, "\"" + a77 + "\n\\x20\"", 5},
        // Exactly eighty columns fit on one line.
        {[&](RWPortableOutStream& out) { out.PutString(b78.data(), 78); }, Quoted(b78), 80},
        {[&](RWPortableOutStream& out) { out.PutString(b78.data(), 78), out << 'c'; }, Quoted(b78) + "\nc", 1},
        // The column carries over from one text to the next; numbers do not count.
        {[&](RWPortableOutStream& out) {
             out.PutString(d38.data(), 38);
             out << 5;
             out.PutString(d38.data(), 38);
         },
         Quoted(d38) + "5\n" + Quoted(d38), 80},
        {[&](RWPortableOutStream& out) {
             out.PutString(d38.data(), 38);
             out << 5;
             out.PutString(d38.data(), 38);
             out.PutString("e", 1);
         },
         Quoted(d38) + "5\n" + Quoted(d38) + "\n\"e\"", 3},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        std::stringbuf buffer;
        RWPortableOutStream out(&buffer);
        cases[i].write(out);
        EXPECT_EQ(cases[i].written, buffer.str()) << "case " << i;
        EXPECT_EQ(cases[i].column, out.Column()) << "case " << i;
    }
}

TEST(RWPortableOutStream, WrappedTextReadsBackWhole)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += static_cast<char>(i % 256);
    out.PutString(text.data(), text.size());
    RWPortableInStream in(&buffer);
    std::string read(text.size() + 1, '#');
    in.GetString(&read[0], read.size());
    EXPECT_EQ(text, read.substr(0, text.size()));
    EXPECT_TRUE(in.Good());
    EXPECT_NE(std::string::npos, buffer.str().find('\n'));
}

TEST(RWPortableInStream, CharactersSkipNewlinesAndResolveEscapes)
{
    std::stringbuf buffer("\n\na\\[\\x41\\x9\\q\n\\\"");
    RWPortableInStream in(&buffer);
    char c[6] = {};
    in >> c[0] >> c[1] >> c[2] >> c[3] >> c[4] >> c[5];
    EXPECT_EQ(std::string("a{A\x09q\""), std::string(c, 6));
    EXPECT_FALSE(in.Fail());

    std::stringbuf noDigits("\\xg");
    RWPortableInStream bad(&noDigits);
    bad >> c[0];
    EXPECT_TRUE(bad.Fail());
}

TEST(RWPortableInStream, GetStringNeedsAnOpeningQuoteAfterWhiteSpace)
{
    std::stringbuf buffer(" \t\r\n\"hi\\x20there\"");
    RWPortableInStream in(&buffer);
    char text[16];
    in.GetString(text, sizeof text);
    EXPECT_STREQ("hi there", text);
    EXPECT_TRUE(in.Good());

    TestErrorCapture capture;
    std::stringbuf unquoted("  abc\"");
    RWPortableInStream noQuote(&unquoted);
    char kept[8] = "garbage";
    noQuote.GetString(kept, sizeof kept);
    ASSERT_EQ(1u, capture.Count());
    EXPECT_EQ("[SYNSTREAM] Syntax error in input stream: expected \", got a", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWExternalError>());
    EXPECT_STREQ("", kept);
    EXPECT_TRUE(noQuote.Fail());
}

TEST(RWPortableInStream, GetStringAtTheEndOrInsideAnUnclosedTextEndsInEofAndFail)
{
    const struct {
        const char* stored;
        const char* text;
    } cases[] = {{"  \n", ""}, {"\"abc\\", "abc"}, {"\"abc", "abc"}};
    for (const auto& c : cases) {
        std::stringbuf buffer(c.stored);
        RWPortableInStream in(&buffer);
        char text[8] = "garbage";
        in.GetString(text, sizeof text);
        EXPECT_STREQ(c.text, text);
        EXPECT_TRUE(in.Eof()) << c.stored;
        EXPECT_TRUE(in.Fail()) << c.stored;
    }
}

TEST(RWPortableInStream, TruncatedTextIsSkippedToItsClosingQuote)
{
    std::stringbuf buffer("\"0123456\\\"89\"\n17\n");
    RWPortableInStream in(&buffer);
    char text[4];
    in.GetString(text, sizeof text);
    EXPECT_STREQ("012", text);
    EXPECT_TRUE(in.Fail());
    in.SetState(0);
    int next = 0;
    in >> next;
    EXPECT_EQ(17, next);
}

TEST(RWPortableInStream, NumbersOutOfRangeOrMissingSetFail)
{
    std::stringbuf outOfRange("256\n-129\n");
    RWPortableInStream in(&outOfRange);
    unsigned char value = 9;
    in.Get(value);
    EXPECT_TRUE(in.Fail());
    EXPECT_EQ(9, value);
    in.SetState(0);
    EXPECT_EQ(-1, in.Get());

    std::stringbuf last("-1\n");
    RWPortableInStream end(&last);
    EXPECT_EQ(255, end.Get());
    EXPECT_EQ(-1, end.Get());
    EXPECT_TRUE(end.Eof());
    EXPECT_TRUE(end.Fail());

    std::stringbuf words("abc\n");
    RWPortableInStream notANumber(&words);
    int values[3] = {7, 7, 7};
    notANumber.Get(values, 3);
    EXPECT_TRUE(notANumber.Fail());
    EXPECT_EQ(7, values[1]);
    EXPECT_EQ(7, values[2]);
}
