#include "TranslatorFixture.h"

#include "settings/dmc/GDriverDMCConfig.h"
#include "settings/translators/CopiesTranslator.h"
#include "settings/translators/FitToOtherSizeChoiceTranslator.h"
#include "settings/translators/NUpChoiceTranslator.h"
#include "settings/translators/OrientationTranslator.h"
#include "settings/translators/ScaleChoiceTranslator.h"
#include "settings/translators/TextAsBlackTranslator.h"
#include "settings/translators/WMColorTranslator.h"
#include "settings/translators/WMFontEscapementTranslator.h"
#include "settings/translators/WMFontTranslator.h"
#include "settings/translators/WMShadeLevelTranslator.h"

#include <memory>
#include <string>

using namespace TranslatorTest;

namespace {

std::wstring Exported(DmcStandin& standin, const wchar_t* path)
{
    const std::wstring prefix = std::wstring(path) + L"=";
    std::wstring found = L"<none>";
    for (const std::wstring& line : standin.Exports(L""))
        if (line.compare(0, prefix.size(), prefix) == 0)
            found = line.substr(prefix.size());
    return found;
}

int Count(DmcStandin& standin, const std::wstring& prefix)
{
    int n = 0;
    for (const std::wstring& line : standin.Log())
        n += line.compare(0, prefix.size(), prefix) == 0;
    return n;
}

GObjectBase* Job(std::initializer_list<GObjectBase*> members)
{
    return Group(360, {Group(362, members), Group(364, {Value(291, 1)}), Group(366, {Group(1102, {})})});
}

class Layout : public Suite {};

TEST_F(Layout, ScaleIsTakenFrom25To400Only)
{
    const struct {
        const wchar_t* keyword;
        int value;
    } cases[] = {{L"25", 25}, {L"400", 400}, {L"24", 100}, {L"401", 100}, {L"", 100}, {L"abc", 100},
                 {L"99999999999", 100}, {L"-25", 100}, {L"65561", 25}};
    for (const auto& c : cases) {
        std::unique_ptr<GObjectBase> tree(Job({Value(269, 100)}));
        Standin().SetFeature(L"printing/ScaleChoice", c.keyword);
        ScaleChoiceTranslator translator(Library());
        EXPECT_EQ(c.value != 100 ? 1 : 0, translator.ToAttributes(tree.get(), nullptr)) << c.keyword;
        EXPECT_EQ(c.value, ValueOf(tree.get(), 269)) << c.keyword;
    }
    std::unique_ptr<GObjectBase> tree(Job({Value(269, 100)}));
    EXPECT_EQ(1, ScaleChoiceTranslator(Library()).FromAttributes(tree.get()));
    EXPECT_EQ(L"100", Exported(Standin(), L"printing/ScaleChoice"));
}

TEST_F(Layout, CopiesTakeAnyNumberWithNonZeroLow16Bits)
{
    const struct {
        const wchar_t* keyword;
        int value;
    } cases[] = {{L"0", 7}, {L"1", 1}, {L"12abc", 12}, {L"-1", 65535}, {L"65536", 7}, {L"x", 7}};
    for (const auto& c : cases) {
        std::unique_ptr<GObjectBase> tree(Group(360, {Group(364, {Value(291, 7)})}));
        GAttributeComposite changes(1101);
        Standin().SetFeature(L"printing/Copies", c.keyword);
        CopiesTranslator translator(Library());
        translator.ToAttributes(tree.get(), &changes);
        EXPECT_EQ(c.value, ValueOf(tree.get(), 291)) << c.keyword;
        EXPECT_EQ(c.value != 7 ? 1u : 0u, Members(&changes).size()) << c.keyword;
    }
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(364, {Value(291, 1)})}));
    EXPECT_EQ(1, CopiesTranslator(Library()).FromAttributes(tree.get()));
    EXPECT_EQ(L"1", Exported(Standin(), L"printing/Copies"));
}

TEST_F(Layout, BookletOnReadsNoNUpAndRunsNoSubTranslator)
{
    std::unique_ptr<GObjectBase> tree(Job({Value(279, 1), Value(266, 1), Value(267, 0), Value(268, 0)}));
    Standin().SetFeature(L"printing/NUpChoice", L"FourUp");
    EXPECT_EQ(0, NUpChoiceTranslator(Library()).ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(1, ValueOf(tree.get(), 266));
    EXPECT_EQ(0, Count(Standin(), L"DMCSetContext"));
}

TEST_F(Layout, BookletOffReadsTheSubFeaturesEvenWhenNUpIsUnmatched)
{
    std::unique_ptr<GObjectBase> tree(Job({Value(279, 0), Value(266, 1), Value(267, 0), Value(268, 0)}));
    Standin().SetFeature(L"printing/NUpChoice", L"ThreeUp");
    Standin().SetFeature(L"printing/NUpChoice/NUpBordersChoice", L"PrintBorders");
    Standin().SetFeature(L"printing/NUpChoice/NUpPageOrderChoice", L"DownThenLeft");
    EXPECT_EQ(0, NUpChoiceTranslator(Library()).ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(1, ValueOf(tree.get(), 266));
    EXPECT_EQ(1, ValueOf(tree.get(), 267));
    EXPECT_EQ(3, ValueOf(tree.get(), 268));
}

TEST_F(Layout, OneUpExportsAloneAndFourUpAddsBothSubFeatures)
{
    std::unique_ptr<GObjectBase> tree(Job({Value(266, 1), Value(267, 1), Value(268, 2)}));
    NUpChoiceTranslator translator(Library());
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(std::vector<std::wstring>{L"printing/NUpChoice=OneUp"}, Standin().Exports(L""));
    GDriverObject::Feature<GValueAttribute>(tree.get(), 266)->SetValue(4);
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ((std::vector<std::wstring>{L"printing/NUpChoice=FourUp",
                                         L"printing/NUpChoice/NUpPageOrderChoice=LeftThenDown",
                                         L"printing/NUpChoice/NUpBordersChoice=PrintBorders"}),
              Standin().Exports(L""));
}

TEST_F(Layout, OrientationRotatedLandscapeBothWays)
{
    std::unique_ptr<GObjectBase> tree(Job({Value(265, 270)}));
    OrientationTranslator translator(Library());
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"RotatedLandscape", Exported(Standin(), L"printing/Orientation"));
    Standin().SetFeature(L"printing/Orientation", L"Landscape");
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(90, ValueOf(tree.get(), 265));
}

TEST_F(Layout, FitToOtherSizeImportsTheTargetSizeAndActualSizeDoesNot)
{
    for (const wchar_t* keyword : {L"PrintActualSize", L"FitToOtherSize"}) {
        Standin().SetFeature(L"printing/FitToOtherSizeChoice/TargetSizeChoice", L"A3");
        std::unique_ptr<GObjectBase> tree(Job({Value(270, 5), Value(272, 1)}));
        Standin().SetFeature(L"printing/FitToOtherSizeChoice", keyword);
        FitToOtherSizeChoiceTranslator translator(Library(), nullptr);
        EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
        const bool fit = std::wstring(keyword) == L"FitToOtherSize";
        EXPECT_EQ(fit ? 22 : 1, ValueOf(tree.get(), 272)) << keyword;
        GDriverObject::Feature<GValueAttribute>(tree.get(), 272)->SetValue(23);
        Standin().Reset();
        EXPECT_EQ(1, translator.FromAttributes(tree.get()));
        EXPECT_EQ(fit ? L"A4" : L"<none>", Exported(Standin(), L"printing/FitToOtherSizeChoice/TargetSizeChoice"));
    }
}

TEST_F(Layout, TextAsBlackFindsItsAttributeAnywhereAndRecordsANewValue)
{
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(362, {}), Group(364, {Group(7, {Value(585, 0)})})}));
    GAttributeComposite changes(1101);
    Standin().SetFeature(L"printing/TextAsBlack", L"TRUE");
    TextAsBlackTranslator translator(Library());
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(1, ValueOf(tree.get(), 585));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{585, 1}}), Members(&changes));
    EXPECT_NE(tree->FindById(585), changes.FindById(585));
    std::unique_ptr<GObjectBase> without(Group(360, {Group(364, {Value(585, 0)})}));
    EXPECT_EQ(0, translator.ToAttributes(without.get(), &changes));
}

TEST_F(Layout, FactoryBuildsTheEnabledRows)
{
    std::unique_ptr<GObjectBase> tree(Job({}));
    Driver driver;
    GDriverDMCConfig config(tree.get(), &driver);
    for (const wchar_t* key : {L"MediaType", L"InputBin", L"PaperSize", L"EconoMode", L"Orientation", L"Copies",
                               L"TextAsBlack", L"NUpChoice", L"FitToOtherSizeChoice", L"ScalePageChoice",
                               L"ScaleChoice"}) {
        std::unique_ptr<FeatureTranslator> made(config.MapFeatureKeys(key));
        EXPECT_NE(nullptr, made) << std::string(key, key + std::wcslen(key));
    }
}

// Sub-features of the watermark definition.

GObjectBase* Watermark(std::initializer_list<GObjectBase*> members)
{
    return Group(360, {Group(364, {Group(379, members)})});
}

class SubFeatures : public Suite {};

TEST_F(SubFeatures, GraySetsAllThreeBytesAndExportsBack)
{
    std::unique_ptr<GObjectBase> tree(Watermark({Value(398, 0), Value(399, 0), Value(400, 0)}));
    GAttributeComposite changes(1101);
    Standin().SetFeature(L"printing/Watermarks/WMColor", L"Gray");
    WMColorTranslator translator(Library());
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{398, 255}, {399, 255}, {400, 255}}), Members(&changes));
    EXPECT_EQ(1, translator.FromAttributes(tree->FindById(379)));
    EXPECT_EQ(L"Gray", Exported(Standin(), L"printing/Watermarks/WMColor"));
}

TEST_F(SubFeatures, RedSitsInTheLowByteAndAMissingRedIsSkipped)
{
    std::unique_ptr<GObjectBase> tree(Watermark({Value(398, 0), Value(399, 9), Value(400, 9)}));
    Standin().SetFeature(L"printing/Watermarks/WMColor", L"Red");
    WMColorTranslator translator(Library());
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(255, ValueOf(tree.get(), 398));
    EXPECT_EQ(0, ValueOf(tree.get(), 399));
    EXPECT_EQ(0, ValueOf(tree.get(), 400));

    tree.reset(Watermark({}));
    GAttributeComposite changes(1101);
    Standin().SetFeature(L"printing/Watermarks/WMColor", L"Cyan");
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(-1, ValueOf(tree.get(), 398));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{399, 255}, {400, 255}}), Members(&changes));
    EXPECT_EQ(0, translator.FromAttributes(tree->FindById(379)));
}

TEST_F(SubFeatures, CustomAngleZeroKeepsTheAngleAndAnswersZero)
{
    std::unique_ptr<GObjectBase> tree(Watermark({Value(393, 0), Value(394, 30)}));
    Standin().SetFeature(L"printing/Watermarks/WMFontEscapement", L"Custom");
    Standin().SetFeature(L"printing/Watermarks/WMFontEscapement/WMCustomAngle", L"0");
    WMFontEscapementTranslator translator(Library());
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(4, ValueOf(tree.get(), 393));
    EXPECT_EQ(30, ValueOf(tree.get(), 394));
    Standin().SetFeature(L"printing/Watermarks/WMFontEscapement/WMCustomAngle", L"45");
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(45, ValueOf(tree.get(), 394));
    Standin().Reset();
    EXPECT_EQ(1, translator.FromAttributes(tree->FindById(379)));
    EXPECT_EQ((std::vector<std::wstring>{L"printing/Watermarks/WMFontEscapement=Custom",
                                         L"printing/Watermarks/WMFontEscapement/WMCustomAngle=45"}),
              Standin().Exports(L""));
}

TEST_F(SubFeatures, MissingLeavesAreCreatedWithTheirDefaultsEvenWithoutAMatch)
{
    std::unique_ptr<GObjectBase> tree(Watermark({}));
    Standin().SetFeature(L"printing/Watermarks/WMShadeLevel", L"Pale");
    EXPECT_EQ(0, WMShadeLevelTranslator(Library()).ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(224, ValueOf(tree.get(), 403));
    Standin().SetFeature(L"printing/Watermarks/WMFont", L"Wingdings");
    EXPECT_EQ(0, WMFontTranslator(Library()).ToAttributes(tree.get(), nullptr));
    EXPECT_STREQ("Arial", GDriverObject::Feature<GStringAttribute>(tree.get(), 386)->GetString().Data());
    EXPECT_EQ(0, ValueOf(tree.get(), 387));
    Standin().SetFeature(L"printing/Watermarks/WMFontEscapement", L"Sideways");
    EXPECT_EQ(0, WMFontEscapementTranslator(Library()).ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(1, ValueOf(tree.get(), 393));
    EXPECT_EQ(0, ValueOf(tree.get(), 394));
}

TEST_F(SubFeatures, LongFaceNameNeitherMatchesNorOverruns)
{
    for (size_t length : {127u, 128u, 200u}) {
        std::string face(length, 'A');
        std::unique_ptr<GObjectBase> tree(Watermark({Text(386, face.c_str())}));
        EXPECT_EQ(0, WMFontTranslator(Library()).FromAttributes(tree->FindById(379))) << length;
    }
    std::unique_ptr<GObjectBase> tree(Watermark({Value(386, 1)}));
    EXPECT_EQ(0, WMFontTranslator(Library()).FromAttributes(tree->FindById(379)));
    EXPECT_TRUE(Standin().Exports(L"").empty());
}

// A face that only starts a listed face, or no face at all, is not listed.
TEST_F(SubFeatures, AFaceThatOnlyStartsAListedFaceIsNotListed)
{
    for (const char* face : {"Times", "Courier", "A", ""}) {
        std::unique_ptr<GObjectBase> tree(Watermark({Text(386, face)}));
        EXPECT_EQ(0, WMFontTranslator(Library()).FromAttributes(tree->FindById(379))) << face;
    }
    EXPECT_TRUE(Standin().Exports(L"").empty());
}

} // namespace
