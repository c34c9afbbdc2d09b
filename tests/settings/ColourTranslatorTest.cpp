// The colour translators: grey printing with its options and lock, the RGB colour space's
// three bytes, and the manual colour options as option bytes of the colour-adjustment
// attribute of either class.
#include "TranslatorFixture.h"

#include "model/GChromafitEnhancedAttribute.h"
#include "model/GChromafitEnhancedAttributeVer2.h"
#include "settings/translators/PrintColorAsGrayTranslator.h"
#include "settings/translators/QZChromafitTranslator.h"
#include "settings/translators/RGBColorTranslator.h"

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

int Byte(GObjectBase* tree, uint16_t classId, int object, int kind)
{
    GChromafitBase* colour = RGBColorTranslator::FindColourMember(tree, classId);
    uint8_t value = 0;
    return colour && colour->GetSetting(object, kind, value) ? value : -1;
}

std::unique_ptr<GObjectBase> ColourTree(GObjectBase* colour)
{
    auto* job = Group(364, {Value(296, 0), Value(304, 5)});
    if (colour)
        job->Add(colour);
    return std::unique_ptr<GObjectBase>(Group(360, {Group(362, {Value(410, 0)}), job, Group(366, {Group(1102, {})})}));
}

const wchar_t* const kSubPaths[11] = {
    L"printing/QZChromafit/QZChromafit_Text_Halftone",
    L"printing/QZChromafit/QZChromafit_Text_NeutralGrays",
    L"printing/QZChromafit/QZChromafit_Graphics_Halftone",
    L"printing/QZChromafit/QZChromafit_Graphics_NeutralGrays",
    L"printing/QZChromafit/QZChromafit_Photo_Halftone",
    L"printing/QZChromafit/QZChromafit_Photo_NeutralGrays",
    L"printing/QZChromafit/QZChromafit_ColorOptions_RGBColor",
    L"printing/QZChromafit/QZChromafit_Text_SRGBColor",
    L"printing/QZChromafit/QZChromafit_Graphics_SRGBColor",
    L"printing/QZChromafit/QZChromafit_Photo_SRGBColor",
    L"printing/QZChromafit/QZChromafit_ColorOptions_EdgeControl",
};

// A driver whose configuration holds a colour attribute 208 equal to the defaults of
// the class given.
class ColourDriver : public Driver {
public:
    explicit ColourDriver(GObjectBase* configured) { GetPrinterConfiguration()->Add(configured); }
};

class Colour : public Suite {
protected:
    // Every manual sub-feature set to the keyword that keeps the class's default bytes.
    void SetDefaults()
    {
        const wchar_t* keywords[11] = {L"Detail", L"BlackOnly", L"Detail", L"BlackOnly", L"Detail", L"4-Color",
                                       L"Default-sRGB", L"Default-sRGB", L"Default-sRGB", L"Default-sRGB", L"Normal"};
        Standin().SetFeature(L"printing/QZChromafit", L"Manual");
        for (int i = 0; i < 11; ++i)
            Standin().SetFeature(kSubPaths[i], keywords[i]);
    }
    GAttributeComposite changes{1101};
};

TEST_F(Colour, TrueAndEnableTurnGreyOnAndImportItsOptions)
{
    for (const wchar_t* keyword : {L"TRUE", L"Enable"}) {
        Standin().Reset();
        std::unique_ptr<GObjectBase> tree = ColourTree(nullptr);
        Standin().SetFeature(L"printing/PrintColorAsGray", keyword);
        PrintColorAsGrayTranslator translator(Library());
        GAttributeComposite records(1101);
        EXPECT_EQ(1, translator.ToAttributes(tree.get(), &records));
        EXPECT_EQ(1, ValueOf(tree.get(), 296));
        bool optionsAsked = false;
        for (const std::wstring& line : Standin().Log())
            optionsAsked |= line.find(L"PrintColorAsGrayOptions") != std::wstring::npos;
        EXPECT_TRUE(optionsAsked) << keyword;
        EXPECT_EQ(296, Members(&records).front().first);
    }
}

TEST_F(Colour, GreyZeroExportsDisableAndFalseOnlyWhenDisableFails)
{
    std::unique_ptr<GObjectBase> tree = ColourTree(nullptr);
    PrintColorAsGrayTranslator translator(Library());
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"Disable", Exported(Standin(), L"printing/PrintColorAsGray"));
    Standin().Reset();
    Standin().Set(L"FailSetExport", L"printing/PrintColorAsGray");
    translator.FromAttributes(tree.get());
    int tries = 0;
    for (const std::wstring& line : Standin().Log())
        tries += line.rfind(L"DMCSetExport printing/PrintColorAsGray ", 0) == 0;
    EXPECT_EQ(2, tries); // "Disable", then "FALSE"
}

TEST_F(Colour, RGBKeywordsWriteTheirThreeBytesAndUnknownTakesTheLastRow)
{
    const struct {
        const wchar_t* keyword;
        int text, graphics, photo;
    } cases[] = {{L"ImagesRGB", 0x6D, 0x6E, 0x6F}, {L"AdobeRGB", 0x70, 0x71, 0x72},
                 {L"None", 0x66, 0x69, 0x6C},      {L"CustomProfile", 0x73, 0x74, 0x75},
                 {L"Default-sRGB", 0x64, 0x67, 0x6A}, {L"Whatever", 0x64, 0x67, 0x6A}};
    for (const auto& c : cases) {
        std::unique_ptr<GObjectBase> tree = ColourTree(new GChromafitEnhancedAttributeVer2(295));
        Standin().SetFeature(L"printing/RGBColor", c.keyword);
        RGBColorTranslator translator(Library());
        GAttributeComposite records(1101);
        EXPECT_EQ(1, translator.ToAttributes(tree.get(), &records));
        EXPECT_EQ(c.text, Byte(tree.get(), 1201, 0, 3)) << c.keyword;
        EXPECT_EQ(c.graphics, Byte(tree.get(), 1201, 1, 3)) << c.keyword;
        EXPECT_EQ(c.photo, Byte(tree.get(), 1201, 2, 3)) << c.keyword;
        EXPECT_EQ(1u, Members(&records).size());
        EXPECT_EQ(1, translator.FromAttributes(tree.get()));
        const std::wstring expected = std::wstring(c.keyword) == L"Whatever" ? L"Default-sRGB" : c.keyword;
        EXPECT_EQ(expected, Exported(Standin(), L"printing/RGBColor"));
    }
}

TEST_F(Colour, RGBExportReadsOnlyThePhotoByte)
{
    auto* colour = new GChromafitEnhancedAttributeVer2(295);
    colour->SetSetting(0, 3, 0x73);
    colour->SetSetting(1, 3, 0x6E);
    colour->SetSetting(2, 3, 0x72);
    std::unique_ptr<GObjectBase> tree = ColourTree(colour);
    RGBColorTranslator translator(Library());
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"AdobeRGB", Exported(Standin(), L"printing/RGBColor"));
}

TEST_F(Colour, RGBNeedsAVer2Attribute)
{
    std::unique_ptr<GObjectBase> tree = ColourTree(new GChromafitEnhancedAttribute(295));
    Standin().SetFeature(L"printing/RGBColor", L"AdobeRGB");
    RGBColorTranslator translator(Library());
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(0, translator.FromAttributes(tree.get()));
}

TEST_F(Colour, ManualEqualToTheConfiguredAttributeAnswersZero)
{
    ColourDriver driver(new GChromafitEnhancedAttribute(208));
    std::unique_ptr<GObjectBase> tree = ColourTree(new GChromafitEnhancedAttribute(295));
    SetDefaults();
    QZChromafitTranslator translator(Library(), &driver);
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(5, ValueOf(tree.get(), 304));
    EXPECT_TRUE(Members(&changes).empty());
}

TEST_F(Colour, OneDifferingByteSwitchesToManualWithTwoRecords)
{
    ColourDriver driver(new GChromafitEnhancedAttribute(208));
    std::unique_ptr<GObjectBase> tree = ColourTree(new GChromafitEnhancedAttribute(295));
    SetDefaults();
    Standin().SetFeature(kSubPaths[4], L"Smooth");
    QZChromafitTranslator translator(Library(), &driver);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(6, ValueOf(tree.get(), 304));
    EXPECT_EQ(0x3E, Byte(tree.get(), 797, 2, 1));
    const auto records = Members(&changes);
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(295, records[0].first);
    EXPECT_EQ(std::make_pair(304L, 6), records[1]);
}

TEST_F(Colour, MissingHalftoneImportsNothingMissingRGBImportsTheRest)
{
    ColourDriver driver(new GChromafitEnhancedAttribute(208));
    {
        std::unique_ptr<GObjectBase> tree = ColourTree(new GChromafitEnhancedAttribute(295));
        SetDefaults();
        Standin().SetFeature(kSubPaths[0], L"Smooth");
        Standin().SetFeature(kSubPaths[4], nullptr);
        QZChromafitTranslator translator(Library(), &driver);
        EXPECT_EQ(0, translator.ToAttributes(tree.get(), &changes));
        EXPECT_EQ(0x29, Byte(tree.get(), 797, 0, 1));
        EXPECT_EQ(5, ValueOf(tree.get(), 304));
    }
    Standin().Reset();
    {
        std::unique_ptr<GObjectBase> tree = ColourTree(new GChromafitEnhancedAttribute(295));
        SetDefaults();
        Standin().SetFeature(kSubPaths[0], L"Smooth");
        for (int i = 6; i < 10; ++i)
            Standin().SetFeature(kSubPaths[i], nullptr);
        QZChromafitTranslator translator(Library(), &driver);
        EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
        EXPECT_EQ(0x2A, Byte(tree.get(), 797, 0, 1));
        EXPECT_EQ(98, Byte(tree.get(), 797, 3, 3)); // kept
    }
}

TEST_F(Colour, EverySubFeatureRowBothWays)
{
    ColourDriver driver(new GChromafitEnhancedAttributeVer2(208));
    for (int i = 0; i < 11; ++i) {
        const ColourSubFeature& feature = QZChromafitTranslator::kSubFeatures[i];
        // A 797 holds (3, 3), a 1201 the per-object sRGB bytes.
        const bool ver2 = feature.at.kind == 3 && feature.at.object < 3;
        const uint16_t classId = ver2 ? 1201 : 797;
        struct Row {
            const wchar_t* keyword;
            int byte;
        };
        std::vector<Row> rows;
        for (int r = 0; r < feature.importCount; ++r)
            rows.push_back({feature.imports[r].keyword, feature.imports[r].byte});
        rows.push_back({L"AnyOther", feature.importDefault});
        for (const Row& row : rows) {
            Standin().Reset();
            std::unique_ptr<GObjectBase> tree = ColourTree(
                ver2 ? static_cast<GObjectBase*>(new GChromafitEnhancedAttributeVer2(295))
                     : static_cast<GObjectBase*>(new GChromafitEnhancedAttribute(295)));
            SetDefaults();
            Standin().SetFeature(kSubPaths[i], row.keyword);
            QZChromafitTranslator translator(Library(), &driver);
            translator.ToAttributes(tree.get(), nullptr);
            EXPECT_EQ(row.byte, Byte(tree.get(), classId, feature.at.object, feature.at.kind))
                << i << " " << std::wstring(row.keyword).size();
        }
        std::vector<std::pair<int, const wchar_t*>> exports;
        for (int r = 0; r < feature.exportCount; ++r)
            exports.emplace_back(feature.exports[r].byte, feature.exports[r].keyword);
        exports.emplace_back(0x01, feature.exportDefault);
        for (const auto& e : exports) {
            Standin().Reset();
            auto* colour = ver2 ? static_cast<GChromafitBase*>(new GChromafitEnhancedAttributeVer2(295))
                                : static_cast<GChromafitBase*>(new GChromafitEnhancedAttribute(295));
            ASSERT_EQ(1, colour->SetSetting(feature.at.object, feature.at.kind, uint8_t(e.first)));
            std::unique_ptr<GObjectBase> tree = ColourTree(colour);
            GDriverObject::Feature<GValueAttribute>(tree.get(), 304)->SetValue(6);
            QZChromafitTranslator translator(Library(), &driver);
            EXPECT_EQ(1, translator.FromAttributes(tree.get()));
            EXPECT_EQ(L"Manual", Exported(Standin(), L"printing/QZChromafit"));
            EXPECT_EQ(std::wstring(e.second), Exported(Standin(), kSubPaths[i])) << i;
        }
    }
}

TEST_F(Colour, AutomaticModeExportsAloneAndBytesTheAttributeLacksExportDefault)
{
    std::unique_ptr<GObjectBase> tree = ColourTree(new GChromafitEnhancedAttribute(295));
    QZChromafitTranslator translator(Library(), nullptr);
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ((std::vector<std::wstring>{L"printing/QZChromafit=Automatic"}), Standin().Exports(L""));

    Standin().Reset();
    GDriverObject::Feature<GValueAttribute>(tree.get(), 304)->SetValue(6);
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(12u, Standin().Exports(L"").size());
    EXPECT_EQ(L"Default-sRGB", Exported(Standin(), kSubPaths[7]));
    EXPECT_EQ(L"Default-sRGB", Exported(Standin(), kSubPaths[9]));

    Standin().Reset();
    std::unique_ptr<GObjectBase> ver2 = ColourTree(new GChromafitEnhancedAttributeVer2(295));
    GDriverObject::Feature<GValueAttribute>(ver2.get(), 304)->SetValue(6);
    EXPECT_EQ(1, translator.FromAttributes(ver2.get()));
    EXPECT_EQ(L"Default-sRGB", Exported(Standin(), kSubPaths[6]));
}

// Writing a 1201's bytes never passes through its page-wide RGB byte, which would set the
// three per-object sRGB bytes at once.
TEST_F(Colour, Ver2KeepsItsThreeSRGBBytes)
{
    ColourDriver driver(new GChromafitEnhancedAttributeVer2(208));
    std::unique_ptr<GObjectBase> tree = ColourTree(new GChromafitEnhancedAttributeVer2(295));
    SetDefaults();
    Standin().SetFeature(kSubPaths[6], L"Device");
    Standin().SetFeature(kSubPaths[7], L"Vivid");
    Standin().SetFeature(kSubPaths[8], L"Device");
    QZChromafitTranslator translator(Library(), &driver);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(0x65, Byte(tree.get(), 1201, 0, 3));
    EXPECT_EQ(0x69, Byte(tree.get(), 1201, 1, 3));
    EXPECT_EQ(0x6A, Byte(tree.get(), 1201, 2, 3));
}

TEST(ColourOptionBytes, ClassListsHoldEightAndTenBytes)
{
    GChromafitEnhancedAttribute enhanced(295, 1, 2, 3, 4, 5, 6, 7, 8);
    ColourBytes bytes{};
    ASSERT_TRUE(QZChromafitTranslator::ReadOptionBytes(enhanced, bytes));
    EXPECT_EQ(1, bytes.byte[0][0]);
    EXPECT_EQ(2, bytes.byte[0][1]);
    EXPECT_EQ(7, bytes.byte[3][2]);
    EXPECT_EQ(8, bytes.byte[3][3]);
    EXPECT_EQ(8u, sizeof QZChromafitTranslator::kBytes797 / sizeof(ColourByte));
    EXPECT_EQ(10u, sizeof QZChromafitTranslator::kBytes1201 / sizeof(ColourByte));
}

} // namespace

namespace {

// A configured 208 that is no colour-adjustment attribute compares unequal instead of
// being read as one.
TEST_F(Colour, ConfiguredValueOfAnotherClassIsNotCompared)
{
    ColourDriver driver(new GValueAttribute(0, 208));
    std::unique_ptr<GObjectBase> tree = ColourTree(new GChromafitEnhancedAttribute(295));
    SetDefaults();
    QZChromafitTranslator translator(Library(), &driver);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(6, ValueOf(tree.get(), 304));
}

// The import adds its record only into a change list that exists.
TEST_F(Colour, RGBImportWithoutAChangeList)
{
    std::unique_ptr<GObjectBase> tree = ColourTree(new GChromafitEnhancedAttributeVer2(295));
    Standin().SetFeature(L"printing/RGBColor", L"None");
    RGBColorTranslator translator(Library());
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(0x6C, Byte(tree.get(), 1201, 2, 3));
}

} // namespace
