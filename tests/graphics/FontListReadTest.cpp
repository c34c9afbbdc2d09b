// A font list read back from a damaged stream answers false when the data ends inside a
// key or an object, or an object is of another kind; the pairs read whole stay.
#include "graphics/GFontList.h"
#include "model/GStreamHolder.h"
#include "model/GValueAttribute.h"
#include "model/MPersistentComposite.h"
#include "StoreSizeChecks.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

std::vector<uint8_t> Written(const std::function<void(RWDataOutStream&)>& write)
{
    std::vector<uint8_t> buffer(4096);
    GOutStreamHolder holder(buffer.data(), uint32_t(buffer.size()), 2);
    write(*holder.GetStream());
    holder.GetStream()->Flush();
    buffer.resize(size_t(holder.Tell()));
    return buffer;
}

bool ReadBack(GFontList& list, const std::vector<uint8_t>& bytes)
{
    TestErrorCapture capture;
    GInStreamHolder holder(bytes.data(), uint32_t(bytes.size()), 2);
    return holder.GetStream() && list.Read(*holder.GetStream());
}

// Two pairs: key 1 with a value of 11, key 2 with a value of 22.
std::vector<uint8_t> TwoPairs()
{
    const GValueAttribute first(11, 1), second(22, 2);
    return Written([&](RWDataOutStream& out) {
        out << uint32_t(2) << uint32_t(1) << static_cast<const RWCollectable*>(&first) << uint32_t(2)
            << static_cast<const RWCollectable*>(&second);
    });
}

size_t SecondKeyAt()
{
    const GValueAttribute first(11, 1);
    return Written([&](RWDataOutStream& out) {
               out << uint32_t(2) << uint32_t(1) << static_cast<const RWCollectable*>(&first);
           }).size();
}

} // namespace

TEST(FontListRead, AWholeListReadsBackTrue)
{
    GFontList list(nullptr);
    EXPECT_TRUE(ReadBack(list, TwoPairs()));
    EXPECT_EQ(2u, list.GetCount());
}

TEST(FontListRead, EveryCutInsideTheSecondPairAnswersFalseAndKeepsTheFirst)
{
    const std::vector<uint8_t> whole = TwoPairs();
    const size_t second = SecondKeyAt();
    ASSERT_LT(second, whole.size());
    // Cut inside the second key, then everywhere inside the second object.
    for (size_t length = second + 1; length < whole.size(); ++length) {
        GFontList list(nullptr);
        EXPECT_FALSE(ReadBack(list, std::vector<uint8_t>(whole.begin(), whole.begin() + std::ptrdiff_t(length))))
            << length;
        EXPECT_EQ(1u, list.GetCount()) << length;
        auto* first = dynamic_cast<GValueAttribute*>(list.Find(1));
        ASSERT_NE(nullptr, first) << length;
        EXPECT_EQ(11u, first->GetValue()) << length;
        EXPECT_EQ(nullptr, list.Find(2)) << length;
    }
}

TEST(FontListRead, AnObjectOfAnotherKindAnswersFalse)
{
    // The list keeps value attributes only: the stored list of them is of another kind.
    GFontList list(nullptr, GValueAttribute::kClassId);
    const GValueAttribute kept(11, 1);
    const MPersistentComposite stranger(5);
    const std::vector<uint8_t> bytes = Written([&](RWDataOutStream& out) {
        out << uint32_t(2) << uint32_t(1) << static_cast<const RWCollectable*>(&kept) << uint32_t(2)
            << static_cast<const RWCollectable*>(&stranger);
    });
    EXPECT_FALSE(ReadBack(list, bytes));
    EXPECT_EQ(1u, list.GetCount());
    EXPECT_EQ(nullptr, list.Find(2));
}

TEST(FontListRead, OnAFileAWholeListIsTrueAndEveryCutFalse)
{
    GFontList written(nullptr);
    written.Add(1, new GValueAttribute(11, 1));
    written.Add(2, new GValueAttribute(22, 2));
    std::vector<uint8_t> whole;
    {
        TempPath path(ThreadFileName("font-list.bin"));
        {
            RWBinaryFile file(path.c_str(), "wb+");
            written.Write(file, nullptr, 0);
        }
        whole = FileBytes(path.str());
    }
    ASSERT_GT(whole.size(), 8u);
    for (size_t length = 4; length <= whole.size(); ++length) {
        BytesFile file(std::vector<uint8_t>(whole.begin(), whole.begin() + std::ptrdiff_t(length)));
        ASSERT_TRUE(file.Ready());
        GFontList list(nullptr);
        TestErrorCapture capture;
        EXPECT_EQ(length == whole.size(), list.Read(file.File())) << length;
    }
}
