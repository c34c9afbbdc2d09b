#include "DataStreamKinds.h"
#include "StreamBytes.h"

#include "foundation/RWCString.h"
#include "foundation/RWErrorHandler.h"
#include "foundation/RWWString.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

class RWStringStreamForms : public testing::TestWithParam<StreamKind> {};

RWWString WideOf(std::initializer_list<wchar_t> characters)
{
    return RWWString(std::wstring(characters).c_str(), characters.size());
}

} // namespace

TEST(RWCStringStreamForm, BinaryStreamWritesTheLengthTwice)
{
    std::stringbuf buffer;
    RWBinaryOutStream out(&buffer);
    out << RWCString("abc");
    const std::vector<uint8_t> expected = {0x03, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 'a', 'b', 'c'};
    EXPECT_EQ(expected, BytesOf(buffer.str()));
}

TEST(RWCStringStreamForm, EndianStreamWritesTheLengthTwice)
{
    std::stringbuf buffer;
    RWEndianOutStream out(&buffer, RWEndianHeader::kHostOrder);
    EXPECT_TRUE(RWCString("hi").SaveOn(out));
    const std::vector<uint8_t> expected = {0x65, 0x73, 0x01, 0x00, 0x02, 0x04, 0x04, 0x02, 0x04,
                                           0x02, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 'h', 'i'};
    EXPECT_EQ(expected, BytesOf(buffer.str()));
}

TEST(RWCStringStreamForm, PortableStreamWritesTheLengthThenTheQuotedText)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    out << RWCString("a b") << RWCString();
    EXPECT_EQ("3\n\"a\\x20b\"0\n\"\"", buffer.str());
}

TEST(RWWStringStreamForm, BinaryStreamWritesTheLengthThenSixteenBitValues)
{
    std::stringbuf buffer;
    RWBinaryOutStream out(&buffer);
    out << WideOf({L'A', 0x00E9, 0xFFFF});
    const std::vector<uint8_t> expected = {0x03, 0x00, 0x00, 0x00, 0x41, 0x00, 0xE9, 0x00, 0xFF, 0xFF};
    EXPECT_EQ(expected, BytesOf(buffer.str()));
}

TEST(RWWStringStreamForm, PortableStreamWritesOneNumberALine)
{
    std::stringbuf buffer;
    RWPortableOutStream out(&buffer);
    out << WideOf({L'A', 0x8000});
    EXPECT_EQ("2\n65\n32768\n", buffer.str());
}

TEST_P(RWStringStreamForms, NarrowStringsReadBackEqual)
{
    const RWCString texts[] = {
        RWCString(),
        RWCString(std::string(64, 'q').c_str()),
        RWCString("nul\0inside{}\"\\", 14),
        RWCString(std::string(300, ' ').c_str()),
    };
    std::stringbuf buffer;
    auto out = MakeOutStream(GetParam(), &buffer);
    for (const RWCString& text : texts)
        *out << text;
    auto in = MakeInStream(GetParam(), &buffer);
    for (const RWCString& text : texts) {
        RWCString read("previous");
        EXPECT_TRUE(read.RestoreFrom(*in));
        EXPECT_EQ(text.Length(), read.Length());
        EXPECT_TRUE(text == read);
    }
    EXPECT_TRUE(in->Good());
}

TEST_P(RWStringStreamForms, WideStringsReadBackEqual)
{
    std::wstring long_(700, L'\x263A');
    const RWWString texts[] = {
        RWWString(),
        WideOf({L'a', 0x0000, 0x7FFF, 0x8000, 0xFFFF}),
        RWWString(long_.c_str()),
    };
    std::stringbuf buffer;
    auto out = MakeOutStream(GetParam(), &buffer);
    for (const RWWString& text : texts)
        EXPECT_TRUE(text.SaveOn(*out));
    auto in = MakeInStream(GetParam(), &buffer);
    for (const RWWString& text : texts) {
        RWWString read(L"previous");
        *in >> read;
        EXPECT_EQ(text.Length(), read.Length());
        EXPECT_TRUE(text == read);
    }
    EXPECT_TRUE(in->Good());
}

TEST_P(RWStringStreamForms, RestoringIntoASharedStringLeavesItsCopyAlone)
{
    std::stringbuf buffer;
    auto out = MakeOutStream(GetParam(), &buffer);
    *out << RWCString("new");
    const RWCString original("old text");
    RWCString shared(original);
    auto in = MakeInStream(GetParam(), &buffer);
    *in >> shared;
    EXPECT_TRUE(shared == "new");
    EXPECT_TRUE(original == "old text");
}

TEST_P(RWStringStreamForms, LengthLongerThanTheDataLeavesTheStringUnchanged)
{
    for (unsigned int length : {0xFFFFFFFFu, 0x7FFFFFF0u, 1000u}) {
        std::stringbuf buffer;
        {
            auto out = MakeOutStream(GetParam(), &buffer);
            *out << length;
            out->PutString("abc", 3);
        }
        RWErrorCapture capture;
        auto in = MakeInStream(GetParam(), &buffer);
        RWCString narrow("kept");
        EXPECT_FALSE(narrow.RestoreFrom(*in));
        EXPECT_TRUE(narrow == "kept") << length;
        EXPECT_TRUE(in->Eof());
        EXPECT_TRUE(in->Fail());

        buffer.pubseekpos(0, std::ios::in);
        auto wideIn = MakeInStream(GetParam(), &buffer);
        RWWString wide(L"kept");
        EXPECT_FALSE(wide.RestoreFrom(*wideIn));
        EXPECT_TRUE(wide == L"kept") << length;
        EXPECT_TRUE(wideIn->Fail());
        EXPECT_TRUE(capture.Empty());
    }
}

TEST_P(RWStringStreamForms, MissingLengthLeavesTheStringUnchanged)
{
    std::stringbuf empty;
    RWErrorCapture capture;
    auto in = MakeInStream(GetParam(), &empty);
    in->SetState(0);
    RWCString narrow("kept");
    RWWString wide(L"kept");
    *in >> narrow >> wide;
    EXPECT_TRUE(narrow == "kept");
    EXPECT_TRUE(wide == L"kept");
    EXPECT_TRUE(in->Fail());
}

TEST_P(RWStringStreamForms, EveryTruncationFailsWithoutShowingUnreadText)
{
    const RWCString narrow("0123456789abcdef");
    const RWWString wide(L"0123456789ABCDEF");
    std::stringbuf whole;
    {
        auto out = MakeOutStream(GetParam(), &whole);
        *out << narrow << wide;
    }
    const std::string bytes = whole.str();
    RWErrorCapture capture;
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

TEST(RWDataInStream, CanSupplyMeasuresWhatIsLeft)
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
}

TEST(RWDataInStream, BufferThatCannotTellIsTrustedUpToALimit)
{
    // A stream buffer that offers nothing ready and cannot seek.
    struct Pipe : std::streambuf {
    } pipe;
    RWBinaryInStream in(&pipe);
    EXPECT_TRUE(in.CanSupply(RWDataInStream::kUncheckedLimit));
    EXPECT_FALSE(in.CanSupply(RWDataInStream::kUncheckedLimit + 1));
}
