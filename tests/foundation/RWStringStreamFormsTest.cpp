#include "DataStreamKinds.h"
#include "StreamBytes.h"

#include "foundation/RWCString.h"
#include "foundation/RWErrorHandler.h"
#include "foundation/RWWString.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

namespace {

class RWStringStreamForms : public testing::TestWithParam<StreamKind> {};

RWWString WideOf(std::initializer_list<wchar_t> characters)
{
    return RWWString(std::wstring(characters).c_str(), characters.size());
}

// The bytes a stream of the given kind holds after write.
std::string Written(StreamKind kind, const std::function<void(RWDataOutStream&)>& write)
{
    std::stringbuf buffer;
    write(*MakeOutStream(kind, &buffer));
    return buffer.str();
}

const std::string kEndianHeader = TextOf({0x65, 0x73, 0x01, 0x00, 0x02, 0x04, 0x04, 0x02, 0x04});

} // namespace

TEST(RWStringStreamForm, ExactBytesOnEveryKind)
{
    // The narrow string's length goes out twice on the binary streams: once as a value, once by PutString.
    EXPECT_EQ(TextOf({0x03, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 'a', 'b', 'c'}),
              Written(StreamKind::Binary, [](RWDataOutStream& out) { out << RWCString("abc"); }));
    EXPECT_EQ(kEndianHeader + TextOf({0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 'h', 'i'}),
              Written(StreamKind::Endian, [](RWDataOutStream& out) { EXPECT_TRUE(RWCString("hi").SaveOn(out)); }));
    EXPECT_EQ("3\n\"a\\x20b\"0\n\"\"",
              Written(StreamKind::Portable, [](RWDataOutStream& out) { out << RWCString("a b") << RWCString(); }));
    // The wide string is its length and an array of 16-bit values.
    EXPECT_EQ(TextOf({0x03, 0x00, 0x00, 0x00, 0x41, 0x00, 0xE9, 0x00, 0xFF, 0xFF}),
              Written(StreamKind::Binary, [](RWDataOutStream& out) { out << WideOf({L'A', 0x00E9, 0xFFFF}); }));
    EXPECT_EQ("2\n65\n32768\n",
              Written(StreamKind::Portable, [](RWDataOutStream& out) { out << WideOf({L'A', 0x8000}); }));
}

TEST_P(RWStringStreamForms, StringsReadBackEqualAndLeaveOtherOwnersAlone)
{
    const RWCString narrow[] = {
        RWCString(),
        RWCString(std::string(64, 'q').c_str()),
        RWCString("nul\0inside{}\"\\", 14),
        RWCString(std::string(300, ' ').c_str()),
    };
    const RWWString wide[] = {
        RWWString(),
        WideOf({L'a', 0x0000, 0x7FFF, 0x8000, 0xFFFF}),
        RWWString(std::wstring(700, L'\x263A').c_str()),
    };
    std::stringbuf buffer;
    auto out = MakeOutStream(GetParam(), &buffer);
    for (const RWCString& text : narrow)
        *out << text;
    for (const RWWString& text : wide)
        EXPECT_TRUE(text.SaveOn(*out));

    auto in = MakeInStream(GetParam(), &buffer);
    for (const RWCString& text : narrow) {
        RWCString read("previous");
        const RWCString sharer(read);
        EXPECT_TRUE(read.RestoreFrom(*in));
        EXPECT_EQ(text.Length(), read.Length());
        EXPECT_TRUE(text == read);
        EXPECT_TRUE(sharer == "previous");
    }
    for (const RWWString& text : wide) {
        RWWString read(L"previous");
        *in >> read;
        EXPECT_EQ(text.Length(), read.Length());
        EXPECT_TRUE(text == read);
    }
    EXPECT_TRUE(in->Good());
}

TEST_P(RWStringStreamForms, MissingOrOverlongLengthLeavesTheStringUnchanged)
{
    RWCString narrow("kept");
    RWWString wide(L"kept");
    {
        TestErrorCapture headerErrors;
        std::stringbuf empty;
        auto none = MakeInStream(GetParam(), &empty);
        none->SetState(0);
        *none >> narrow >> wide;
        EXPECT_TRUE(narrow == "kept");
        EXPECT_TRUE(wide == L"kept");
        EXPECT_TRUE(none->Fail());
    }
    TestErrorCapture capture;

    for (unsigned int length : {0xFFFFFFFFu, 0x7FFFFFF0u, 1000u}) {
        std::stringbuf buffer;
        {
            auto out = MakeOutStream(GetParam(), &buffer);
            *out << length;
            out->PutString("abc", 3);
        }
        auto in = MakeInStream(GetParam(), &buffer);
        EXPECT_FALSE(narrow.RestoreFrom(*in));
        EXPECT_TRUE(narrow == "kept") << length;
        EXPECT_TRUE(in->Eof());
        EXPECT_TRUE(in->Fail());

        buffer.pubseekpos(0, std::ios::in);
        auto wideIn = MakeInStream(GetParam(), &buffer);
        EXPECT_FALSE(wide.RestoreFrom(*wideIn));
        EXPECT_TRUE(wide == L"kept") << length;
        EXPECT_TRUE(wideIn->Fail());
    }
    // A text whose own length differs from the stored one fails.
    for (unsigned int length : {5u, 2u}) {
        std::stringbuf buffer;
        (*MakeOutStream(GetParam(), &buffer) << length).PutString("abc", 3);
        EXPECT_FALSE(narrow.RestoreFrom(*MakeInStream(GetParam(), &buffer))) << length;
    }
    EXPECT_TRUE(capture.Empty());
}

TEST_P(RWStringStreamForms, EveryTruncationFailsWithoutShowingUnreadText)
{
    const RWCString narrow("0123456789abcdef");
    const RWWString wide(L"0123456789ABCDEF");
    std::stringbuf whole;
    *MakeOutStream(GetParam(), &whole) << narrow << wide;
    const std::string bytes = whole.str();
    TestErrorCapture capture;
    for (size_t length = 0; length < bytes.size(); ++length) {
        std::stringbuf cut(bytes.substr(0, length));
        auto in = MakeInStream(GetParam(), &cut);
        RWCString readNarrow("-");
        RWWString readWide(L"-");
        *in >> readNarrow >> readWide;
        // A number cut short still reads, so the portable stream may end at eof alone.
        EXPECT_FALSE(in->Good()) << "cut at " << length;
        EXPECT_TRUE(in->Eof()) << "cut at " << length;
        // Whatever was kept is a prefix of what was written, or the old value.
        EXPECT_TRUE(readNarrow == "-" || narrow.Index(readNarrow) == 0) << "cut at " << length;
        EXPECT_TRUE(readWide == L"-" || wide.Index(readWide) == 0) << "cut at " << length;
    }
}

INSTANTIATE_TEST_SUITE_P(AllKinds, RWStringStreamForms, testing::ValuesIn(kAllStreamKinds),
                         testing::PrintToStringParamName());

TEST(RWDataInStream, CanSupplyMeasuresWhatIsLeftAndTrustsABlindBufferUpToALimit)
{
    std::stringbuf buffer(std::string(10, 'x'));
    RWBinaryInStream in(&buffer);
    EXPECT_TRUE(in.CanSupply(10));
    EXPECT_FALSE(in.CanSupply(11));
    char skip[4];
    in.Get(skip, 4);
    EXPECT_TRUE(in.CanSupply(6));
    EXPECT_FALSE(in.CanSupply(7));
    // Measuring never moves the read position.
    EXPECT_EQ('x', in.Get());
    EXPECT_TRUE(in.CanSupply(5));

    // A stream buffer that offers nothing ready and cannot seek.
    struct Pipe : std::streambuf {
    } pipe;
    RWBinaryInStream blind(&pipe);
    EXPECT_TRUE(blind.CanSupply(RWDataInStream::kUncheckedLimit));
    EXPECT_FALSE(blind.CanSupply(RWDataInStream::kUncheckedLimit + 1));
}
