// The watermark translator: the definition of the keyword's index made current, the six
// look sub-translators in order, the look copied back, and the export that finds the
// definition by text.
#include "TranslatorFixture.h"

#include "settings/translators/WatermarksTranslator.h"

#include <memory>
#include <string>

using namespace TranslatorTest;

namespace {

std::string TextOf(GObjectBase* holder, long id)
{
    GStringAttribute* text = GDriverObject::Feature<GStringAttribute>(holder, id);
    return text ? std::string(text->GetString().Data(), text->GetString().Length()) : "<absent>";
}

GAttributeComposite* Definition(uint16_t index, const char* text, uint16_t red = 0)
{
    return Group(380, {Value(1112, index), Text(384, text), Value(398, red), Value(399, 0), Value(400, 0),
                       Text(386, "Old Face")});
}

std::unique_ptr<GObjectBase> WatermarkTree(uint16_t index, std::initializer_list<GObjectBase*> definitions)
{
    auto* list = Group(378, definitions);
    return std::unique_ptr<GObjectBase>(
        Group(360, {Group(364, {Group(379, {Text(383, "Current"), Value(1112, index), Value(398, 0), Value(399, 0),
                                            Value(400, 0), Text(386, "Arial")})}),
                    Group(366, {Group(1102, {}), list})}));
}

GObjectBase* NthDefinition(GObjectBase* tree, size_t n)
{
    GObjectBase* list = tree->FindById(378);
    GObjectIterator* it = list->CreateIterator();
    GObjectBase* found = nullptr;
    for (size_t i = 0; i <= n && it->Next(); ++i)
        found = it->Current();
    delete it;
    return found;
}

class Watermarks : public Suite {
protected:
    GAttributeComposite changes{1101};
};

TEST_F(Watermarks, DraftMakesItsDefinitionCurrentRunsTheLookInOrderAndCopiesItBack)
{
    std::unique_ptr<GObjectBase> tree = WatermarkTree(0, {Definition(1, "Confidential"), Definition(2, "Draft")});
    Standin().SetFeature(L"printing/Watermarks", L"Draft");
    Standin().SetFeature(L"printing/Watermarks/WMColor", L"Red");
    WatermarksTranslator translator(Library());
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    GObjectBase* current = tree->FindById(379);
    EXPECT_EQ("Draft", TextOf(current, 383));
    EXPECT_EQ(2, ValueOf(current, 1112));
    const auto records = Members(&changes);
    ASSERT_GE(records.size(), 2u);
    EXPECT_EQ(383, records[0].first);
    EXPECT_EQ(std::make_pair(1112L, 2), records[1]);

    std::vector<std::wstring> order;
    for (const std::wstring& line : Standin().Log()) {
        const std::wstring prefix = L"DMCSetContext printing/Watermarks/";
        if (line.compare(0, prefix.size(), prefix) == 0 && line.find(L'/', prefix.size()) == std::wstring::npos)
            order.push_back(line.substr(prefix.size()));
    }
    EXPECT_EQ((std::vector<std::wstring>{L"WMShadeLevel", L"WMFontStyle", L"WMFirstPageOnly", L"WMFontEscapement",
                                         L"WMFont", L"WMColor"}),
              order);

    GObjectBase* draft = NthDefinition(tree.get(), 1);
    EXPECT_EQ(ValueOf(current, 398), ValueOf(draft, 398));
    EXPECT_NE(0, ValueOf(draft, 398));
    EXPECT_EQ(TextOf(current, 386), TextOf(draft, 386));
    EXPECT_EQ(0, ValueOf(NthDefinition(tree.get(), 0), 398));
}

TEST_F(Watermarks, WithoutADefinitionOnlyTheLookChanges)
{
    std::unique_ptr<GObjectBase> tree = WatermarkTree(0, {Definition(1, "Confidential")});
    Standin().SetFeature(L"printing/Watermarks", L"Draft");
    WatermarksTranslator translator(Library());
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ("Current", TextOf(tree->FindById(379), 383));
    EXPECT_EQ(0, ValueOf(tree->FindById(379), 1112));
    for (const auto& record : Members(&changes))
        EXPECT_NE(1112, record.first);
}

TEST_F(Watermarks, UnknownKeywordAnswersZero)
{
    std::unique_ptr<GObjectBase> tree = WatermarkTree(0, {});
    Standin().SetFeature(L"printing/Watermarks", L"draft");
    WatermarksTranslator translator(Library());
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), &changes));
    EXPECT_TRUE(Members(&changes).empty());
}

TEST_F(Watermarks, IndexZeroExportsNoneAloneAndSevenNothing)
{
    std::unique_ptr<GObjectBase> tree = WatermarkTree(0, {Definition(1, "Current")});
    WatermarksTranslator translator(Library());
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ((std::vector<std::wstring>{L"printing/Watermarks=None"}), Standin().Exports(L""));

    Standin().Reset();
    GDriverObject::Feature<GValueAttribute>(tree->FindById(379), 1112)->SetValue(7);
    EXPECT_EQ(0, translator.FromAttributes(tree.get()));
    EXPECT_TRUE(Standin().Exports(L"").empty());
}

TEST_F(Watermarks, ExportFindsTheFirstDefinitionOfTheText)
{
    std::unique_ptr<GObjectBase> tree =
        WatermarkTree(3, {Definition(1, "Other", 9), Definition(2, "Current", 255), Definition(3, "Current", 0)});
    WatermarksTranslator translator(Library());
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    const std::vector<std::wstring> lines = Standin().Exports(L"");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(L"printing/Watermarks=Sample", lines.front());
    // Only the second definition's colour has a keyword.
    bool red = false;
    for (const std::wstring& line : lines)
        red |= line == L"printing/Watermarks/WMColor=Red";
    EXPECT_TRUE(red);
    // The font of the definition, not of the current watermark.
    for (const std::wstring& line : lines) {
        if (line.rfind(L"printing/Watermarks/WMFont=", 0) == 0) {
            EXPECT_EQ(L"printing/Watermarks/WMFont=Old Face", line);
        }
    }
}

} // namespace

namespace {

// A member of the list that is no composite is passed over, not read as a definition.
TEST_F(Watermarks, ListMembersOfAnotherClassArePassedOver)
{
    std::unique_ptr<GObjectBase> tree = WatermarkTree(0, {Value(1112, 2), Text(384, "Draft"), Definition(2, "Draft")});
    Standin().SetFeature(L"printing/Watermarks", L"Draft");
    WatermarksTranslator translator(Library());
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ("Draft", TextOf(tree->FindById(379), 383));
    EXPECT_EQ(2, ValueOf(tree->FindById(379), 1112));
}

} // namespace
