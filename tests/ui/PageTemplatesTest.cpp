// The templates of qzres32.dll read back from the library: every item the page builders
// drive exists in its page's or sub-dialog's template.
#include "TestPrinter.h"
#include "ui/framework/GAboutFeature.h"
#include "ui/pages/PageBuilders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

namespace {

struct Template {
    bool read = false;
    std::set<int32_t> items;
    std::wstring caption;
};

// Reads the item ids of an extended dialog template, checking every length against the
// resource's size.
class TemplateReader {
public:
    TemplateReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) { }

    Template Read()
    {
        Template result;
        uint16_t version = 0, signature = 0, count = 0;
        uint32_t style = 0;
        if (!Word(version) || !Word(signature) || version != 1 || signature != 0xFFFF)
            return result;
        if (!Skip(8) || !Dword(style) || !Word(count) || !Skip(8))
            return result;
        if (!SzOrOrd() || !SzOrOrd() || !Text(result.caption))
            return result;
        if (style & (DS_SETFONT | DS_SHELLFONT)) {
            std::wstring face;
            if (!Skip(6) || !Text(face))
                return result;
        }
        for (uint16_t i = 0; i < count; ++i) {
            uint32_t id = 0;
            uint16_t extra = 0;
            if (!Align() || !Skip(12 + 8) || !Dword(id) || !SzOrOrd() || !SzOrOrd() || !Word(extra) || !Skip(extra))
                return result;
            result.items.insert(int32_t(id));
        }
        result.read = true;
        return result;
    }

private:
    bool Skip(size_t n)
    {
        if (n > size_ - at_)
            return false;
        at_ += n;
        return true;
    }
    bool Word(uint16_t& w)
    {
        if (2 > size_ - at_)
            return false;
        std::memcpy(&w, bytes_ + at_, 2);
        at_ += 2;
        return true;
    }
    bool Dword(uint32_t& d)
    {
        if (4 > size_ - at_)
            return false;
        std::memcpy(&d, bytes_ + at_, 4);
        at_ += 4;
        return true;
    }
    bool Align() { return Skip((4 - at_ % 4) % 4); }
    bool Text(std::wstring& text)
    {
        uint16_t c = 0;
        while (Word(c)) {
            if (!c)
                return true;
            text += wchar_t(c);
        }
        return false;
    }
    bool SzOrOrd()
    {
        uint16_t first = 0;
        if (!Word(first))
            return false;
        if (first == 0xFFFF)
            return Skip(2);
        std::wstring rest;
        return first == 0 || Text(rest);
    }

    const uint8_t* bytes_;
    size_t size_;
    size_t at_ = 0;
};

class Templates : public testing::Test {
protected:
    void SetUp() override
    {
        library = LoadLibraryExW((TestPrinter::ProgramFolder() + L"\\qzres32.dll").c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(nullptr, library);
    }
    void TearDown() override { FreeLibrary(library); }
    Template Read(uint16_t id)
    {
        HRSRC found = FindResourceW(library, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));
        if (!found)
            return Template();
        HGLOBAL loaded = LoadResource(library, found);
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        return bytes ? TemplateReader(static_cast<const uint8_t*>(bytes), SizeofResource(library, found)).Read()
                     : Template();
    }
    HMODULE library = nullptr;
};

TEST_F(Templates, EveryItemOfEveryTableExistsInItsTemplate)
{
    const std::vector<PageBuilders::TemplateItems> tables = PageBuilders::Templates();
    EXPECT_EQ(18u, tables.size()) << "nine pages, seven sub-dialogs and the two details dialogs";
    for (const auto& table : tables) {
        const Template found = Read(table.dialogId);
        ASSERT_TRUE(found.read) << "dialog " << table.dialogId;
        for (const DialogItem& item : table.items)
            EXPECT_TRUE(found.items.count(item.itemId)) << "item " << item.itemId << " of dialog " << table.dialogId;
    }
}

TEST_F(Templates, SubDialogsCanBeClosedAndTheDetailsDialogsAreCaptioned)
{
    for (uint16_t id : {9000, 13001, 5000, 8000, 14501, 7500, 7300, 7200, 7100}) {
        const Template found = Read(id);
        ASSERT_TRUE(found.read) << id;
        EXPECT_TRUE(found.items.count(IDOK)) << id;
    }
    EXPECT_EQ(L"Print Quality Details", Read(9000).caption);
    EXPECT_EQ(L"Print Quality Details", Read(13001).caption);
}

TEST_F(Templates, TheAboutBoxHasItsTwoTextsAndOk)
{
    const Template about = Read(GAboutFeature::kAboutDialog);
    ASSERT_TRUE(about.read);
    EXPECT_EQ(std::set<int32_t>({GAboutFeature::kDriverTextItem, GAboutFeature::kExtensionsItem, IDOK}), about.items);
}

TEST(TemplateReading, TruncatedTemplatesAreRefused)
{
    // A one-item template cut at every length: only the whole one reads.
    const uint16_t whole[] = {
        1, 0xFFFF, 0, 0, 0, 0, 0x40, 0x80C8, 1, 0, 0, 10, 10,     0,    0, 'A', 0, 8, 400, 0, 'M', 0,  // the dialog
        0, 0,      0, 0, 0, 0, 0,    0,      0, 0, 7, 0,  0xFFFF, 0x82, 0, 0,  // the item
    };
    const auto* bytes = reinterpret_cast<const uint8_t*>(whole);
    EXPECT_TRUE(TemplateReader(bytes, sizeof whole).Read().read);
    EXPECT_EQ(std::set<int32_t>({7}), TemplateReader(bytes, sizeof whole).Read().items);
    for (size_t n = 0; n < sizeof whole; ++n)
        EXPECT_FALSE(TemplateReader(bytes, n).Read().read) << n;
}

}  // namespace
