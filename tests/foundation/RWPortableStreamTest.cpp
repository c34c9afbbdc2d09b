#include "foundation/RWErrorHandler.h"
#include "foundation/RWPortableEscape.h"
#include "foundation/RWPortableInStream.h"
#include "foundation/RWPortableOutStream.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

TEST(RWPortableOutStream, NumbersAreDecimalLines)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    out << static_cast<short>(-3) << static_cast<unsigned short>(65535) << -70000L << 4000000000UL << 0 << 1.5 << 0.25f;
    EXPECT_EQ("-3\n65535\n-70000\n4000000000\n0\n1.5000000000000000e+00\n2.5000000000000000e-01\n", buffer.str());
}

TEST(RWPortableOutStream, PutBytesAreNumbersSignedByTheirType)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    const unsigned char bytes[] = {0, 255};
    const char chars[] = {'A', '\xFF'};
    out.Put(static_cast<unsigned char>(200)).Put('\xFB').Put(bytes, 2).Put(chars, 2);
    EXPECT_EQ("200\n-5\n0\n255\n65\n-1\n", buffer.str());
}

TEST(RWPortableOutStream, ArraysAreOneNumberALine)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    const int ints[] = {1, -2, 3};
    const float floats[] = {2.0f};
    out.Put(ints, 3).Put(floats, 1);
    EXPECT_EQ("1\n-2\n3\n2.0000000000000000e+00\n", buffer.str());
}

TEST(RWPortableOutStream, PutStringEscapesBracesAndBlanks)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    out.PutString("a{b}c", 5);
    out.PutString("x y", 3);
    EXPECT_EQ("\"a\\[b\\]c\"\"x\\x20y\"", buffer.str());
}

TEST(RWPortableOutStream, EachSpecialCharacterHasItsEscape)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    out << "\b\t\n\f\r\"\\{}";
    EXPECT_EQ("\"\\b\\t\\n\\f\\r\\\"\\\\\\[\\]\"", buffer.str());
}

TEST(RWPortableOutStream, UnprintableBytesAreHexEscapes)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    const char text[] = {'\0', '\x01', '\x0B', '\x7F', '\x80', '\xE9', '\xFE', '\xFF', '~'};
    out.PutString(text, sizeof text);
    EXPECT_EQ("\"\\x00\\x01\\x0b\\x7f\\x80\\xe9\\xfe\\xff~\"", buffer.str());
}

TEST(RWPortableOutStream, CharactersAreWrittenWithoutQuotes)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    out << 'a' << '"' << static_cast<unsigned char>(' ') << '}';
    EXPECT_EQ("a\\\"\\x20\\]", buffer.str());
}

TEST(RWPortableOutStream, LinesWrapAfterEightyColumns)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    const std::string text(100, 'a');
    out.PutString(text.data(), text.size());
    EXPECT_EQ("\"" + std::string(79, 'a') + "\n" + std::string(21, 'a') + "\"", buffer.str());
    EXPECT_EQ(22u, out.Column());
}

TEST(RWPortableOutStream, EscapeThatWouldCrossTheEdgeStartsTheNextLine)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    const std::string text = std::string(77, 'a') + " ";
    out.PutString(text.data(), text.size());
    EXPECT_EQ("\"" + std::string(77, 'a') + "\n\\x20\"", buffer.str());
}

TEST(RWPortableOutStream, ExactlyEightyColumnsFitOnOneLine)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    const std::string text(78, 'b');
    out.PutString(text.data(), text.size());
    EXPECT_EQ("\"" + text + "\"", buffer.str());
    EXPECT_EQ(80u, out.Column());
    out << 'c';
    EXPECT_EQ("\"" + text + "\"\nc", buffer.str());
}

TEST(RWPortableOutStream, ColumnCarriesOverFromOneTextToTheNext)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    const std::string text(38, 'd');
    out.PutString(text.data(), text.size());
    out << 5;
    out.PutString(text.data(), text.size());
    EXPECT_EQ("\"" + text + "\"5\n\"" + text + "\"", buffer.str());
    out.PutString("e", 1);
    EXPECT_EQ("\"" + text + "\"5\n\"" + text + "\"\n\"e\"", buffer.str());
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

TEST(RWPortableEscape, ClassifiesBytesAsUnsignedValues)
{
    char text[RWPortableEscape::kMaxLength + 1];
    EXPECT_EQ(4u, RWPortableEscape::Encode(0xFF, text));
    EXPECT_STREQ("\\xff", text);
    EXPECT_EQ(4u, RWPortableEscape::Encode(0xA0, text));
    EXPECT_STREQ("\\xa0", text);
    EXPECT_EQ(1u, RWPortableEscape::Encode('Z', text));
    EXPECT_STREQ("Z", text);
    EXPECT_EQ('{', RWPortableEscape::Decode('['));
    EXPECT_EQ('}', RWPortableEscape::Decode(']'));
    EXPECT_EQ('\n', RWPortableEscape::Decode('n'));
    EXPECT_EQ('q', RWPortableEscape::Decode('q'));
}

TEST(RWPortableInStream, CharactersSkipNewlinesAndResolveEscapes)
{
    std::stringbuf buffer("\n\na\\[\\x41\\x9\\q\n\\\"");
    RWPortableInStream in(&buffer);
    char c[6] = {};
    in >> c[0] >> c[1] >> c[2] >> c[3] >> c[4] >> c[5];
    EXPECT_EQ('a', c[0]);
    EXPECT_EQ('{', c[1]);
    EXPECT_EQ('A', c[2]);
    EXPECT_EQ('\x09', c[3]);
    EXPECT_EQ('q', c[4]);
    EXPECT_EQ('"', c[5]);
    EXPECT_FALSE(in.Fail());
}

TEST(RWPortableInStream, HexEscapeWithoutDigitsSetsFail)
{
    std::stringbuf buffer("\\xg");
    RWPortableInStream in(&buffer);
    char c = '#';
    in >> c;
    EXPECT_TRUE(in.Fail());
}

TEST(RWPortableInStream, GetStringSkipsWhiteSpaceBeforeTheQuote)
{
    std::stringbuf buffer(" \t\r\n\"hi\\x20there\"");
    RWPortableInStream in(&buffer);
    char text[16];
    in.GetString(text, sizeof text);
    EXPECT_STREQ("hi there", text);
    EXPECT_TRUE(in.Good());
}

TEST(RWPortableInStream, GetStringWithoutOpeningQuoteRaisesAndSetsFail)
{
    RWErrorCapture capture;
    std::stringbuf buffer("  abc\"");
    RWPortableInStream in(&buffer);
    char text[8] = "garbage";
    in.GetString(text, sizeof text);
    ASSERT_EQ(1u, capture.Count());
    EXPECT_EQ("[SYNSTREAM] Syntax error in input stream: expected \", got a", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWExternalError>());
    EXPECT_STREQ("", text);
    EXPECT_TRUE(in.Fail());
}

TEST(RWPortableInStream, GetStringAtTheEndOfTheDataFailsQuietly)
{
    std::stringbuf buffer("  \n");
    RWPortableInStream in(&buffer);
    char text[8] = "garbage";
    in.GetString(text, sizeof text);
    EXPECT_STREQ("", text);
    EXPECT_TRUE(in.Eof());
    EXPECT_TRUE(in.Fail());
}

TEST(RWPortableInStream, UnclosedTextEndsInEofAndFail)
{
    std::stringbuf buffer("\"abc\\");
    RWPortableInStream in(&buffer);
    char text[8];
    in.GetString(text, sizeof text);
    EXPECT_STREQ("abc", text);
    EXPECT_TRUE(in.Eof());
    EXPECT_TRUE(in.Fail());
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

TEST(RWPortableInStream, BytesOutsideTheByteRangeSetFail)
{
    std::stringbuf buffer("256\n-129\n");
    RWPortableInStream in(&buffer);
    unsigned char value = 9;
    in.Get(value);
    EXPECT_TRUE(in.Fail());
    EXPECT_EQ(9, value);
    in.SetState(0);
    EXPECT_EQ(-1, in.Get());
}

TEST(RWPortableInStream, GetAnswersMinusOneAtTheEnd)
{
    std::stringbuf buffer("-1\n");
    RWPortableInStream in(&buffer);
    EXPECT_EQ(255, in.Get());
    EXPECT_EQ(-1, in.Get());
    EXPECT_TRUE(in.Eof());
    EXPECT_TRUE(in.Fail());
}

TEST(RWPortableInStream, TextThatIsNotANumberSetsFailAndStops)
{
    std::stringbuf buffer("abc\n");
    RWPortableInStream in(&buffer);
    int values[3] = {7, 7, 7};
    in.Get(values, 3);
    EXPECT_TRUE(in.Fail());
    EXPECT_EQ(7, values[1]);
    EXPECT_EQ(7, values[2]);
}
