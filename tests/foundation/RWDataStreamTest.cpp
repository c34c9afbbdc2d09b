#include "DataStreamKinds.h"

#include "foundation/RWErrorHandler.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <array>
#include <cstring>
#include <tuple>
#include <vector>
#include <sstream>
#include <string>

namespace {

// One of every value a stream carries, in every form it can be written.
struct Sample {
    unsigned short us = 65535;
    short s = -12345;
    short minusOne = -1;
    unsigned long ul = 4000000000UL;
    long l = -2000000000L;
    unsigned int ui = 0xFFFFFFFFu;
    int i = INT_MIN;
    float f = -0.1f;
    double d = -1.0 / 3.0;
    double huge = DBL_MAX;
    double tiny = DBL_MIN;
    unsigned char uc = 0xE9;
    char c = '{';
    std::array<double, 3> da = {0.0, 1e300, -2.5};
    std::array<float, 2> fa = {3.25f, -1e30f};
    std::array<unsigned long, 2> ula = {0, ULONG_MAX};
    std::array<long, 2> la = {LONG_MIN, LONG_MAX};
    std::array<unsigned int, 2> ua = {1, UINT_MAX};
    std::array<int, 3> ia = {-1, 0, INT_MAX};
    std::array<unsigned short, 2> usa = {0, 0x8001};
    std::array<short, 3> sa = {SHRT_MIN, -2, SHRT_MAX};
    std::array<unsigned char, 4> uca = {0, 0x7F, 0x80, 0xFF};
    std::array<char, 4> ca = {'a', '\0', '\x80', '\xFF'};
    char putChar = -5;
    unsigned char putByte = 200;
};

template <class S>
auto Scalars(S& v)
{
    return std::tie(v.us, v.s, v.minusOne, v.ul, v.l, v.ui, v.i, v.f, v.d, v.huge, v.tiny, v.uc, v.c);
}

template <class S>
auto Arrays(S& v)
{
    return std::tie(v.da, v.fa, v.ula, v.la, v.ua, v.ia, v.usa, v.sa, v.uca, v.ca);
}

const std::string kTexts[] = {"", std::string(32, 'x') + std::string(32, 'y'),
                              std::string("a{b}c \"\\\n\t\b\f\r\x01\xff\0z", 17), "plain"};

void WriteSample(RWDataOutStream& out, const Sample& v)
{
    std::apply([&out](const auto&... x) { (out << ... << x); }, Scalars(v));
    for (int t = 0; t < 3; ++t)
        out.PutString(kTexts[t].data(), kTexts[t].size());
    out << kTexts[3].c_str();
    std::apply([&out](const auto&... a) { (out.Put(a.data(), a.size()), ...); }, Arrays(v));
    out.Put(v.putChar).Put(v.putByte).Put(static_cast<unsigned char>(7));
    out.Flush();
}

// Reads what WriteSample wrote into a zeroed sample; texts are read with their length known.
Sample ReadSample(RWDataInStream& in, std::vector<std::string>& texts, int& lastByte)
{
    Sample v;
    std::apply([](auto&... x) { ((x = {}), ...); }, Scalars(v));
    std::apply([](auto&... a) { (a.fill({}), ...); }, Arrays(v));
    std::apply([&in](auto&... x) { (in >> ... >> x); }, Scalars(v));
    for (const std::string& text : kTexts) {
        std::string buffer(text.size() + 1, '#');
        in.GetString(&buffer[0], buffer.size());
        texts.push_back(buffer.substr(0, text.size()));
    }
    std::apply([&in](auto&... a) { (in.Get(a.data(), a.size()), ...); }, Arrays(v));
    in.Get(v.putChar).Get(v.putByte);
    lastByte = in.Get();
    return v;
}

template <class T>
T ReadNew(RWDataInStream& in)
{
    T* p = nullptr;
    in >> p;
    EXPECT_NE(nullptr, p);
    const T value = p ? *p : T();
    delete p;
    return value;
}

class RWDataStreamRoundTrip : public testing::TestWithParam<StreamKind> {};

} // namespace

TEST_P(RWDataStreamRoundTrip, EveryValueTypeReadsBackEqual)
{
    std::stringbuf buffer;
    const Sample written;
    auto out = MakeOutStream(GetParam(), &buffer);
    WriteSample(*out, written);
    EXPECT_TRUE(out->Good());

    auto in = MakeInStream(GetParam(), &buffer);
    std::vector<std::string> texts;
    int lastByte = 0;
    const Sample read = ReadSample(*in, texts, lastByte);
    EXPECT_TRUE(in->Good()) << in->State();
    EXPECT_EQ(Scalars(written), Scalars(read));
    EXPECT_EQ(Arrays(written), Arrays(read));
    EXPECT_EQ(std::vector<std::string>(std::begin(kTexts), std::end(kTexts)), texts);
    EXPECT_EQ(written.putChar, read.putChar);
    EXPECT_EQ(written.putByte, read.putByte);
    EXPECT_EQ(7, lastByte);
    EXPECT_TRUE(in->Good());

    EXPECT_EQ(-1, in->Get());
    EXPECT_TRUE(in->Eof());
    EXPECT_TRUE(in->Fail());
}

TEST_P(RWDataStreamRoundTrip, HeapReadersAllocateTheValueRead)
{
    std::stringbuf buffer;
    auto out = MakeOutStream(GetParam(), &buffer);
    *out << 'q' << static_cast<unsigned char>(250) << static_cast<short>(-300) << static_cast<unsigned short>(60000)
         << -70000 << 70000u << -5L << 5UL << 0.5f << 0.25;
    auto in = MakeInStream(GetParam(), &buffer);
    EXPECT_EQ('q', ReadNew<char>(*in));
    EXPECT_EQ(250, ReadNew<unsigned char>(*in));
    EXPECT_EQ(-300, ReadNew<short>(*in));
    EXPECT_EQ(60000, ReadNew<unsigned short>(*in));
    EXPECT_EQ(-70000, ReadNew<int>(*in));
    EXPECT_EQ(70000u, ReadNew<unsigned int>(*in));
    EXPECT_EQ(-5L, ReadNew<long>(*in));
    EXPECT_EQ(5UL, ReadNew<unsigned long>(*in));
    EXPECT_EQ(0.5f, ReadNew<float>(*in));
    EXPECT_EQ(0.25, ReadNew<double>(*in));
    EXPECT_TRUE(in->Good());
    // Past the end the item is still allocated, zeroed, and the stream fails.
    EXPECT_EQ(0, ReadNew<int>(*in));
    EXPECT_TRUE(in->Fail());
}

TEST_P(RWDataStreamRoundTrip, GetStringKeepsWhatFitsAndSetsFailOnlyWhenTheTextIsLonger)
{
    for (size_t room : {4u, 10u, 11u}) {
        std::stringbuf buffer;
        auto out = MakeOutStream(GetParam(), &buffer);
        out->PutString("0123456789", 10);
        *out << 42;
        auto in = MakeInStream(GetParam(), &buffer);
        std::string text(room, '#');
        in->GetString(&text[0], room);
        EXPECT_EQ(std::string("0123456789").substr(0, room - 1), text.c_str()) << room;
        EXPECT_EQ(room <= 10, in->Fail()) << room;
        EXPECT_FALSE(in->Bad());
        // The rest of the text was read past: the next value follows.
        in->SetState(0);
        int next = 0;
        *in >> next;
        EXPECT_EQ(42, next);
        EXPECT_TRUE(in->Good());
    }
}

TEST_P(RWDataStreamRoundTrip, EveryTruncationEndsInEofAndFail)
{
    std::stringbuf whole;
    const Sample written;
    {
        auto out = MakeOutStream(GetParam(), &whole);
        WriteSample(*out, written);
    }
    const std::string bytes = whole.str();
    // The endian header of a cut stream raises [STREAM]; those are expected here.
    TestErrorCapture capture;
    for (size_t length = 0; length < bytes.size(); ++length) {
        std::stringbuf cut(bytes.substr(0, length));
        auto in = MakeInStream(GetParam(), &cut);
        std::vector<std::string> texts;
        int lastByte = 0;
        ReadSample(*in, texts, lastByte);
        int after = 0;
        *in >> after;
        EXPECT_TRUE(in->Eof()) << "cut at " << length;
        EXPECT_TRUE(in->Fail()) << "cut at " << length;
    }
}

TEST_P(RWDataStreamRoundTrip, InStreamsTakeARuntimeStreamsBufferAndSetTheStringFlag)
{
    std::stringstream runtime;
    auto out = MakeOutStream(GetParam(), runtime.rdbuf());
    *out << 12345;
    EXPECT_TRUE(out->StringFlag());
    std::unique_ptr<RWDataInStream> fromStream;
    if (GetParam() == StreamKind::Portable)
        fromStream = std::make_unique<RWPortableInStream>(runtime);
    else if (GetParam() == StreamKind::Binary)
        fromStream = std::make_unique<RWBinaryInStream>(runtime);
    else
        fromStream = std::make_unique<RWEndianInStream>(runtime);
    int value = 0;
    *fromStream >> value;
    EXPECT_EQ(12345, value);
    EXPECT_TRUE(fromStream->StringFlag());
}

INSTANTIATE_TEST_SUITE_P(AllKinds, RWDataStreamRoundTrip, testing::ValuesIn(kAllStreamKinds),
                         testing::PrintToStringParamName());

// The typed-stream kinds write the endian stream in host order; the foreign order reverses
// every value and length and must read back the same.
TEST(RWDataStreamForeignOrder, EveryValueTypeReadsBackEqualFromBigEndian)
{
    std::stringbuf buffer;
    const Sample written;
    RWEndianOutStream out(&buffer, RWEndianHeader::kBigEndian);
    WriteSample(out, written);
    RWEndianInStream in(&buffer);
    EXPECT_EQ(RWEndianHeader::kBigEndian, in.Header().order);
    std::vector<std::string> texts;
    int lastByte = 0;
    const Sample read = ReadSample(in, texts, lastByte);
    EXPECT_TRUE(in.Good()) << in.State();
    EXPECT_EQ(Scalars(written), Scalars(read));
    EXPECT_EQ(Arrays(written), Arrays(read));
    EXPECT_EQ(std::vector<std::string>(std::begin(kTexts), std::end(kTexts)), texts);
    EXPECT_EQ(written.putChar, read.putChar);
    EXPECT_EQ(7, lastByte);
}

TEST(RWDataStreamState, StreamWithoutABufferIsBadAndNeverCrashes)
{
    RWBinaryOutStream out(static_cast<std::streambuf*>(nullptr));
    EXPECT_TRUE(out.Bad());
    out << 5 << "text";
    out.Flush();
    EXPECT_TRUE(out.Bad());

    RWBinaryInStream in(static_cast<std::streambuf*>(nullptr));
    int value = 9;
    char text[4] = "xy";
    in >> value;
    in.GetString(text, sizeof text);
    EXPECT_EQ(-1, in.Get());
    EXPECT_STREQ("", text);
    EXPECT_TRUE(in.Bad());

    RWPortableInStream portable(static_cast<std::streambuf*>(nullptr));
    portable >> value;
    portable.GetString(text, sizeof text);
    EXPECT_TRUE(portable.Bad());
}
