#include "DataStreamKinds.h"
#include "TempPath.h"

#include "foundation/RWErrorHandler.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstring>
#include <fstream>
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
    double da[3] = {0.0, 1e300, -2.5};
    float fa[2] = {3.25f, -1e30f};
    unsigned long ula[2] = {0, ULONG_MAX};
    long la[2] = {LONG_MIN, LONG_MAX};
    unsigned int ua[2] = {1, UINT_MAX};
    int ia[3] = {-1, 0, INT_MAX};
    unsigned short usa[2] = {0, 0x8001};
    short sa[3] = {SHRT_MIN, -2, SHRT_MAX};
    unsigned char uca[4] = {0, 0x7F, 0x80, 0xFF};
    char ca[4] = {'a', '\0', '\x80', '\xFF'};
    char putChar = -5;
    unsigned char putByte = 200;
};

// A sample with every value 0, to read into.
Sample ZeroSample()
{
    Sample v;
    std::memset(static_cast<void*>(&v), 0, sizeof v);
    return v;
}

const std::string kEmpty;
const std::string kWide = std::string(32, 'x') + std::string(32, 'y');
const std::string kSpecial = std::string("a{b}c \"\\\n\t\b\f\r\x01\xff", 15) + std::string(1, '\0') + "z";

void WriteSample(RWDataOutStream& out, const Sample& v)
{
    out << v.us << v.s << v.minusOne << v.ul << v.l << v.ui << v.i << v.f << v.d << v.huge << v.tiny << v.uc << v.c;
    out.PutString(kEmpty.data(), kEmpty.size());
    out.PutString(kWide.data(), kWide.size());
    out.PutString(kSpecial.data(), kSpecial.size());
    out << "plain";
    out.Put(v.da, 3).Put(v.fa, 2).Put(v.ula, 2).Put(v.la, 2).Put(v.ua, 2).Put(v.ia, 3);
    out.Put(v.usa, 2).Put(v.sa, 3).Put(v.uca, 4).Put(v.ca, 4);
    out.Put(v.putChar).Put(v.putByte).Put(static_cast<unsigned char>(7));
    out.Flush();
}

std::string ReadText(RWDataInStream& in, size_t room)
{
    std::string buffer(room, '#');
    in.GetString(&buffer[0], buffer.size());
    return buffer.substr(0, buffer.find('\0'));
}

// Reads what WriteSample wrote; texts are read back with their length known.
Sample ReadSample(RWDataInStream& in, std::string texts[4], int& lastByte)
{
    Sample v = ZeroSample();
    in >> v.us >> v.s >> v.minusOne >> v.ul >> v.l >> v.ui >> v.i >> v.f >> v.d >> v.huge >> v.tiny >> v.uc >> v.c;
    std::string buffer(kSpecial.size() + 1, '#');
    texts[0] = ReadText(in, kEmpty.size() + 1);
    texts[1] = ReadText(in, kWide.size() + 1);
    in.GetString(&buffer[0], buffer.size());
    texts[2] = buffer.substr(0, kSpecial.size());
    texts[3] = ReadText(in, 6);
    in.Get(v.da, 3).Get(v.fa, 2).Get(v.ula, 2).Get(v.la, 2).Get(v.ua, 2).Get(v.ia, 3);
    in.Get(v.usa, 2).Get(v.sa, 3).Get(v.uca, 4).Get(v.ca, 4);
    in.Get(v.putChar).Get(v.putByte);
    lastByte = in.Get();
    return v;
}

template <class T, size_t N>
void ExpectSameArray(const T (&a)[N], const T (&b)[N])
{
    for (size_t i = 0; i < N; ++i)
        EXPECT_EQ(a[i], b[i]) << "element " << i;
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
    std::string texts[4];
    int lastByte = 0;
    const Sample read = ReadSample(*in, texts, lastByte);
    EXPECT_TRUE(in->Good()) << in->State();
    EXPECT_EQ(written.us, read.us);
    EXPECT_EQ(written.s, read.s);
    EXPECT_EQ(written.minusOne, read.minusOne);
    EXPECT_EQ(written.ul, read.ul);
    EXPECT_EQ(written.l, read.l);
    EXPECT_EQ(written.ui, read.ui);
    EXPECT_EQ(written.i, read.i);
    EXPECT_EQ(written.f, read.f);
    EXPECT_EQ(written.d, read.d);
    EXPECT_EQ(written.huge, read.huge);
    EXPECT_EQ(written.tiny, read.tiny);
    EXPECT_EQ(written.uc, read.uc);
    EXPECT_EQ(written.c, read.c);
    EXPECT_EQ("", texts[0]);
    EXPECT_EQ(kWide, texts[1]);
    EXPECT_EQ(64u, texts[1].size());
    EXPECT_EQ(kSpecial, texts[2]);
    EXPECT_EQ("plain", texts[3]);
    ExpectSameArray(written.da, read.da);
    ExpectSameArray(written.fa, read.fa);
    ExpectSameArray(written.ula, read.ula);
    ExpectSameArray(written.la, read.la);
    ExpectSameArray(written.ua, read.ua);
    ExpectSameArray(written.ia, read.ia);
    ExpectSameArray(written.usa, read.usa);
    ExpectSameArray(written.sa, read.sa);
    ExpectSameArray(written.uca, read.uca);
    ExpectSameArray(written.ca, read.ca);
    EXPECT_EQ(written.putChar, read.putChar);
    EXPECT_EQ(written.putByte, read.putByte);
    EXPECT_EQ(7, lastByte);
    EXPECT_TRUE(in->Good());

    EXPECT_EQ(-1, in->Get());
    EXPECT_TRUE(in->Eof());
    EXPECT_TRUE(in->Fail());
}

TEST_P(RWDataStreamRoundTrip, EveryCharacterValueReadsBack)
{
    std::stringbuf buffer;
    auto out = MakeOutStream(GetParam(), &buffer);
    for (int c = 0; c < 256; ++c)
        *out << static_cast<char>(c) << static_cast<unsigned char>(255 - c);
    auto in = MakeInStream(GetParam(), &buffer);
    for (int c = 0; c < 256; ++c) {
        char read = 0;
        unsigned char readUnsigned = 0;
        *in >> read >> readUnsigned;
        EXPECT_EQ(static_cast<char>(c), read) << c;
        EXPECT_EQ(255 - c, readUnsigned) << c;
    }
    EXPECT_TRUE(in->Good());
}

TEST_P(RWDataStreamRoundTrip, HeapReadersAllocateTheValueRead)
{
    std::stringbuf buffer;
    auto out = MakeOutStream(GetParam(), &buffer);
    *out << 'q' << static_cast<unsigned char>(250) << static_cast<short>(-300) << static_cast<unsigned short>(60000)
         << -70000 << 70000u << -5L << 5UL << 0.5f << 0.25;
    auto in = MakeInStream(GetParam(), &buffer);
    char* c = nullptr;
    unsigned char* uc = nullptr;
    short* s = nullptr;
    unsigned short* us = nullptr;
    int* i = nullptr;
    unsigned int* ui = nullptr;
    long* l = nullptr;
    unsigned long* ul = nullptr;
    float* f = nullptr;
    double* d = nullptr;
    *in >> c >> uc >> s >> us >> i >> ui >> l >> ul >> f >> d;
    ASSERT_TRUE(c && uc && s && us && i && ui && l && ul && f && d);
    EXPECT_EQ('q', *c);
    EXPECT_EQ(250, *uc);
    EXPECT_EQ(-300, *s);
    EXPECT_EQ(60000, *us);
    EXPECT_EQ(-70000, *i);
    EXPECT_EQ(70000u, *ui);
    EXPECT_EQ(-5L, *l);
    EXPECT_EQ(5UL, *ul);
    EXPECT_EQ(0.5f, *f);
    EXPECT_EQ(0.25, *d);
    EXPECT_TRUE(in->Good());
    delete c;
    delete uc;
    delete s;
    delete us;
    delete i;
    delete ui;
    delete l;
    delete ul;
    delete f;
    delete d;

    int* past = nullptr;
    *in >> past;
    ASSERT_NE(nullptr, past);
    EXPECT_EQ(0, *past);
    EXPECT_TRUE(in->Fail());
    delete past;
}

TEST_P(RWDataStreamRoundTrip, GetStringTooLongForTheBufferKeepsWhatFitsAndSetsFail)
{
    std::stringbuf buffer;
    auto out = MakeOutStream(GetParam(), &buffer);
    out->PutString("0123456789", 10);
    *out << 42;
    auto in = MakeInStream(GetParam(), &buffer);
    char text[4] = {'#', '#', '#', '#'};
    in->GetString(text, sizeof text);
    EXPECT_STREQ("012", text);
    EXPECT_TRUE(in->Fail());
    EXPECT_FALSE(in->Bad());
    // The rest of the text was read past: the next value follows.
    in->SetState(0);
    int next = 0;
    *in >> next;
    EXPECT_EQ(42, next);
    EXPECT_TRUE(in->Good());
}

TEST_P(RWDataStreamRoundTrip, TextExactlyFillingTheBufferIsNotTruncated)
{
    std::stringbuf buffer;
    auto out = MakeOutStream(GetParam(), &buffer);
    out->PutString("abc", 3);
    auto in = MakeInStream(GetParam(), &buffer);
    char text[4];
    in->GetString(text, sizeof text);
    EXPECT_STREQ("abc", text);
    EXPECT_TRUE(in->Good());
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
    RWErrorCapture capture;
    for (size_t length = 0; length < bytes.size(); ++length) {
        std::stringbuf cut(bytes.substr(0, length));
        auto in = MakeInStream(GetParam(), &cut);
        std::string texts[4];
        int lastByte = 0;
        ReadSample(*in, texts, lastByte);
        int after = 0;
        *in >> after;
        EXPECT_TRUE(in->Eof()) << "cut at " << length;
        EXPECT_TRUE(in->Fail()) << "cut at " << length;
    }
}

TEST_P(RWDataStreamRoundTrip, WorksOverAFileBuffer)
{
    TempPath path("typed.stream");
    {
        std::filebuf file;
        ASSERT_NE(nullptr, file.open(path.c_str(), std::ios::out | std::ios::binary | std::ios::trunc));
        auto out = MakeOutStream(GetParam(), &file);
        *out << -7 << 2.5;
        out->PutString("file", 4);
        out->Flush();
        EXPECT_TRUE(out->Good());
    }
    std::filebuf file;
    ASSERT_NE(nullptr, file.open(path.c_str(), std::ios::in | std::ios::binary));
    auto in = MakeInStream(GetParam(), &file);
    int i = 0;
    double d = 0;
    char text[8];
    *in >> i >> d;
    in->GetString(text, sizeof text);
    EXPECT_EQ(-7, i);
    EXPECT_EQ(2.5, d);
    EXPECT_STREQ("file", text);
    EXPECT_TRUE(in->Good());
}

TEST_P(RWDataStreamRoundTrip, StreamsTakeTheBufferOfAnExistingStream)
{
    std::stringstream runtime;
    {
        auto out = MakeOutStream(GetParam(), runtime.rdbuf());
        *out << 12345;
    }
    std::unique_ptr<RWDataInStream> in;
    switch (GetParam()) {
    case StreamKind::Portable:
        in = std::make_unique<RWPortableInStream>(runtime);
        break;
    case StreamKind::Binary:
        in = std::make_unique<RWBinaryInStream>(runtime);
        break;
    case StreamKind::Endian:
        in = std::make_unique<RWEndianInStream>(runtime);
        break;
    }
    int value = 0;
    *in >> value;
    EXPECT_EQ(12345, value);
    EXPECT_TRUE(in->StringFlag());
}

TEST_P(RWDataStreamRoundTrip, EveryStreamSetsTheStringFlag)
{
    std::stringbuf buffer;
    auto out = MakeOutStream(GetParam(), &buffer);
    EXPECT_TRUE(out->StringFlag());
    auto in = MakeInStream(GetParam(), &buffer);
    EXPECT_TRUE(in->StringFlag());
}

INSTANTIATE_TEST_SUITE_P(AllKinds, RWDataStreamRoundTrip, testing::ValuesIn(kAllStreamKinds),
                         testing::PrintToStringParamName());

TEST(RWDataStreamState, StateWordUsesItsOwnBitValues)
{
    std::stringbuf buffer;
    RWBinaryInStream in(&buffer);
    EXPECT_TRUE(in.Good());
    EXPECT_EQ(0u, in.State());
    in.SetState(RWDataStream::kEof);
    EXPECT_EQ(1u, in.State());
    EXPECT_TRUE(in.Eof());
    EXPECT_FALSE(in.Fail());
    EXPECT_FALSE(in.Good());
    in.SetState(RWDataStream::kFail);
    EXPECT_EQ(2u, in.State());
    EXPECT_TRUE(in.Fail());
    EXPECT_FALSE(in.Eof());
    in.SetState(RWDataStream::kBad);
    EXPECT_EQ(4u, in.State());
    EXPECT_TRUE(in.Bad());
    EXPECT_TRUE(in.Fail());
    in.SetState(7);
    EXPECT_EQ(7u, in.State());
    in.SetState(0);
    EXPECT_TRUE(in.Good());
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
