// Every row of every keyword table, both ways, through the configuration stand-in: a
// keyword imports the value of the first row holding it, and a value exports the keyword
// of the first row holding it, under the class's export path. The rows are written out
// here as the tables stand, so a wrong entry in a class's own table shows.
#include "TranslatorFixture.h"

#include "printer/GTray.h"
#include "printer/GPaperHandlingDevice.h"
#include "settings/translators/BackCoverChoiceTranslator.h"
#include "settings/translators/DeviceIsZadidiTranslator.h"
#include "settings/translators/DuplexUnitTranslator.h"
#include "settings/translators/EnvFeederTranslator.h"
#include "settings/translators/JobRetentionAvailableTranslator.h"
#include "settings/translators/JobRetentionTranslator.h"
#include "settings/translators/OutputBinTranslator.h"
#include "settings/translators/PrintColorAsGrayTranslator.h"
#include "settings/translators/PrinterHardDiskTranslator.h"
#include "settings/translators/StaplingPositionTranslator.h"
#include "settings/translators/EconoModeTranslator.h"
#include "settings/translators/FitToOtherSizeChoiceTranslator.h"
#include "settings/translators/InputBinTranslator.h"
#include "settings/translators/MediaTypeTranslator.h"
#include "settings/translators/NUpBordersChoiceTranslator.h"
#include "settings/translators/NUpChoiceTranslator.h"
#include "settings/translators/NUpPageOrderChoiceTranslator.h"
#include "settings/translators/OrientationTranslator.h"
#include "settings/translators/PaperSizeTranslator.h"
#include "settings/translators/PrintColorAsGrayOptionsTranslator.h"
#include "settings/translators/ScalePageChoiceTranslator.h"
#include "settings/translators/TextAsBlackTranslator.h"
#include "settings/translators/WMColorTranslator.h"
#include "settings/translators/WMFirstPageOnlyTranslator.h"
#include "settings/translators/WMFontEscapementTranslator.h"
#include "settings/translators/WMFontStyleTranslator.h"
#include "settings/translators/WMFontTranslator.h"
#include "settings/translators/WMShadeLevelTranslator.h"

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

using namespace TranslatorTest;

namespace {

// The keyword exported for a path, or "<none>".
std::wstring Exported(DmcStandin& standin, const wchar_t* path)
{
    const std::wstring prefix = std::wstring(path) + L"=";
    std::wstring found = L"<none>";
    for (const std::wstring& line : standin.Exports(L""))
        if (line.compare(0, prefix.size(), prefix) == 0)
            found = line.substr(prefix.size());
    return found;
}

// A tree holding the description's path, its leaf set to the value.
std::unique_ptr<GObjectBase> PathTree(const TranslatorDescription& d, uint16_t value)
{
    GObjectBase* node = Value(long(d.idPath[d.idCount - 1]), value);
    for (int i = d.idCount - 2; i >= 0; --i)
        node = Group(long(d.idPath[i]), {node});
    return std::unique_ptr<GObjectBase>(Group(360, {node, Group(366, {Group(1102, {})})}));
}

typedef std::vector<TranslatorOption> Rows;

struct DescribedCase {
    const char* name;
    std::function<FeatureTranslator*(GDMCLibrary&)> make;
    const TranslatorDescription* description;
    Rows rows; // value = keyword, in stored order
    // The export reads the watermark definition given, not the root.
    bool fromDefinition;
};

class TranslatorTables : public Suite {
protected:
    void CheckEveryRow(const DescribedCase& c)
    {
        const TranslatorDescription& d = *c.description;
        const Rows& rows = c.rows;
        ASSERT_EQ(rows.size(), d.optionCount) << c.name;
        for (size_t row = 0; row < rows.size(); ++row) {
            const TranslatorOption& option = rows[row];
            const TranslatorOption* firstByKeyword = nullptr;
            const TranslatorOption* firstByValue = nullptr;
            for (const TranslatorOption& other : rows) {
                if (!firstByKeyword && std::wcscmp(other.keyword, option.keyword) == 0)
                    firstByKeyword = &other;
                if (!firstByValue && other.value == option.value)
                    firstByValue = &other;
            }
            Standin().Reset();
            std::unique_ptr<GObjectBase> tree = PathTree(d, 0xBEEF);
            Standin().SetFeature(d.featurePath, option.keyword);
            std::unique_ptr<FeatureTranslator> translator(c.make(Library()));
            translator->ToAttributes(tree.get(), nullptr);
            EXPECT_EQ(firstByKeyword->value, ValueOf(tree.get(), long(d.idPath[d.idCount - 1])))
                << c.name << " row " << row + 1;

            tree = PathTree(d, option.value);
            // The custom escapement exports its angle too.
            if (d.idPath[d.idCount - 1] == FeatureId::kWatermarkEscapement)
                tree->FindById(379)->Add(Value(394, 45));
            GObjectBase* from = c.fromDefinition ? tree->FindById(379) : tree.get();
            EXPECT_EQ(1, translator->FromAttributes(from)) << c.name << " row " << row + 1;
            EXPECT_EQ(std::wstring(firstByValue->keyword), Exported(Standin(), d.ExportPath()))
                << c.name << " row " << row + 1;
        }
    }
};

template <class T>
std::function<FeatureTranslator*(GDMCLibrary&)> Plain()
{
    return [](GDMCLibrary& library) { return new T(library); };
}

TEST_F(TranslatorTables, LayoutAndSubFeatureTablesEveryRowBothWays)
{
    const DescribedCase cases[] = {
        {"ScalePageChoice", Plain<ScalePageChoiceTranslator>(), &ScalePageChoiceTranslator::kDescription,
         {{0, L"FitWithoutScaling"}, {1, L"ScaleToFit"}}, false},
        {"Orientation", Plain<OrientationTranslator>(), &OrientationTranslator::kDescription,
         {{0, L"Portrait"}, {90, L"Landscape"}, {270, L"RotatedLandscape"}, {180, L"RotatedPortrait"}}, false},
        {"EconoMode", Plain<EconoModeTranslator>(), &EconoModeTranslator::kDescription, {{0, L"FALSE"}, {1, L"TRUE"}},
         false},
        {"TextAsBlack", Plain<TextAsBlackTranslator>(), &TextAsBlackTranslator::kDescription,
         {{0, L"FALSE"}, {1, L"TRUE"}}, false},
        {"NUpChoice", Plain<NUpChoiceTranslator>(), &NUpChoiceTranslator::kDescription,
         {{1, L"OneUp"}, {2, L"TwoUp"}, {4, L"FourUp"}, {6, L"SixUp"}, {9, L"NineUp"}, {16, L"SixteenUp"}}, false},
        {"FitToOtherSizeChoice",
         [](GDMCLibrary& library) { return new FitToOtherSizeChoiceTranslator(library, nullptr); },
         &FitToOtherSizeChoiceTranslator::kDescription, {{0, L"PrintActualSize"}, {1, L"FitToOtherSize"}}, false},
        {"NUpBordersChoice", Plain<NUpBordersChoiceTranslator>(), &NUpBordersChoiceTranslator::kDescription,
         {{0, L"NoBorders"}, {1, L"PrintBorders"}}, false},
        {"NUpPageOrderChoice", Plain<NUpPageOrderChoiceTranslator>(), &NUpPageOrderChoiceTranslator::kDescription,
         {{0, L"RightThenDown"}, {1, L"DownThenRight"}, {2, L"LeftThenDown"}, {3, L"DownThenLeft"}}, false},
        {"PrintColorAsGrayOptions", Plain<PrintColorAsGrayOptionsTranslator>(),
         &PrintColorAsGrayOptionsTranslator::kDescription, {{1, L"BlackOnly"}, {0, L"HighQuality"}}, false},
        {"BackCoverChoice", [](GDMCLibrary& library) { return new BackCoverChoiceTranslator(library, nullptr); },
         &BackCoverChoiceTranslator::kDescription,
         {{0, L"NoBackPage"}, {1, L"UseFirstPage"}, {2, L"UseAlternateSource"}}, false},
        {"WMFirstPageOnly", Plain<WMFirstPageOnlyTranslator>(), &WMFirstPageOnlyTranslator::kDescription,
         {{2, L"NoPages"}, {0, L"AllPages"}, {1, L"FirstPageOnly"}}, false},
        {"WMFontStyle", Plain<WMFontStyleTranslator>(), &WMFontStyleTranslator::kDescription,
         {{0, L"Regular"}, {1, L"Bold"}, {2, L"Italic"}, {3, L"BoldItalic"}, {4, L"Underline"}, {8, L"Strikeout"}},
         true},
        {"WMShadeLevel", Plain<WMShadeLevelTranslator>(), &WMShadeLevelTranslator::kDescription,
         {{232, L"Lightest Color"}, {255, L"Lightest"}, {224, L"VeryLight"}, {192, L"Light"}, {160, L"MediumLight"},
          {128, L"Medium"}, {96, L"MediumDark"}, {64, L"Dark"}, {32, L"VeryDark"}, {0, L"Darkest"}},
         true},
        {"WMFontEscapement", Plain<WMFontEscapementTranslator>(), &WMFontEscapementTranslator::kDescription,
         {{0, L"Horizontal"}, {1, L"Diagonal"}, {2, L"Vertical"}, {3, L"TopDiagonal"}, {4, L"Custom"}}, true},
    };
    for (const DescribedCase& c : cases)
        CheckEveryRow(c);
}

TEST_F(TranslatorTables, InstalledOptionOutputAndGreyTablesEveryRowBothWays)
{
    const DescribedCase cases[] = {
        {"EnvFeeder", Plain<EnvFeederTranslator>(), &EnvFeederTranslator::kDescription,
         {{0, L"NotInstalled"}, {1, L"Installed"}}, false},
        {"JobRetention", Plain<JobRetentionTranslator>(), &JobRetentionTranslator::kDescription,
         {{0, L"Disabled"}, {1, L"Enabled"}}, false},
        {"JobRetentionAvailable", Plain<JobRetentionAvailableTranslator>(),
         &JobRetentionAvailableTranslator::kDescription, {{0, L"FALSE"}, {1, L"TRUE"}}, false},
        {"DeviceIsZadidi", Plain<DeviceIsZadidiTranslator>(), &DeviceIsZadidiTranslator::kDescription,
         {{1, L"Installed"}, {0, L"NotInstalled"}}, false},
        {"PrinterHardDisk", Plain<PrinterHardDiskTranslator>(), &PrinterHardDiskTranslator::kDescription,
         {{0, L"NotInstalled"}, {1, L"Installed"}}, false},
        {"DuplexUnit", Plain<DuplexUnitTranslator>(), &DuplexUnitTranslator::kDescription,
         {{0, L"NotInstalled"}, {1, L"Installed"}}, false},
        {"StaplingPosition", Plain<StaplingPositionTranslator>(), &StaplingPositionTranslator::kDescription,
         {{0, L"None"}, {10, L"1left"}, {11, L"2left"}, {12, L"1right"}, {13, L"2right"}, {14, L"2top"},
          {1, L"1parallel"}, {2, L"1diagonal"}, {3, L"2parallel"}, {4, L"3parallel"}, {5, L"6parallel"},
          {6, L"FoldAndStitch"}},
         false},
        {"OutputBin", Plain<OutputBinTranslator>(), &OutputBinTranslator::kDescription,
         {{1, L"Auto"},
          {1, L"Top"},
          {2, L"Left"},
          {14, L"Stacker-Stapled"},
          {9, L"Stacker-Stapled"},
          {3, L"Stacker-Stapled"},
          {13, L"Stacker"},
          {15, L"Stacker"},
          {4, L"Stacker"},
          {12, L"StackerFaceDown"},
          {11, L"StackerFaceUp"},
          {10, L"Booklet"},
          {62, L"MainBinFaceDown"},
          {63, L"MainBinFaceUp"},
          {64, L"UpperBinFaceDown"},
          {65, L"UpperBinFaceUp"},
          {60, L"MainBinFaceDown"},
          {61, L"MainBinFaceUp"},
          {66, L"UpperBinFaceDown"},
          {67, L"UpperBinFaceUp"},
          {16, L"OutputBin1"},
          {17, L"OutputBin2"},
          {18, L"OutputBin3"}},
         false},
        {"PrintColorAsGray", Plain<PrintColorAsGrayTranslator>(), &PrintColorAsGrayTranslator::kDescription,
         {{0, L"Disable"}, {1, L"Enable"}, {0, L"FALSE"}, {1, L"TRUE"}}, false},
    };
    for (const DescribedCase& c : cases)
        CheckEveryRow(c);
}

TEST_F(TranslatorTables, WatermarkColourEveryRowBothWays)
{
    // Red in the low byte, green in the next, blue in the third.
    const struct {
        uint32_t colour;
        const wchar_t* keyword;
    } rows[] = {{0xFFFFFF, L"Gray"},  {0x0000FF, L"Red"},  {0x00FFFF, L"Yellow"}, {0xFF0000, L"Blue"},
                {0x00FF00, L"Green"}, {0xFFFF00, L"Cyan"}, {0xFF00FF, L"Magenta"}};
    ASSERT_EQ(7, WMColorTranslator::kColourCount);
    for (const auto& row : rows) {
        Standin().Reset();
        std::unique_ptr<GObjectBase> tree(
            Group(360, {Group(364, {Group(379, {Value(398, 7), Value(399, 7), Value(400, 7)})})}));
        Standin().SetFeature(L"printing/Watermarks/WMColor", row.keyword);
        WMColorTranslator translator(Library());
        EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
        EXPECT_EQ(int(row.colour & 0xFF), ValueOf(tree.get(), 398));
        EXPECT_EQ(int((row.colour >> 8) & 0xFF), ValueOf(tree.get(), 399));
        EXPECT_EQ(int((row.colour >> 16) & 0xFF), ValueOf(tree.get(), 400));
        EXPECT_EQ(1, translator.FromAttributes(tree->FindById(379)));
        EXPECT_EQ(std::wstring(row.keyword), Exported(Standin(), L"printing/Watermarks/WMColor"));
    }
}

TEST_F(TranslatorTables, WatermarkFontEveryRowBothWays)
{
    // The font name and its keyword are the same text.
    const char* const faces[] = {"Times New Roman", "Courier New", "Helvetica", "Arial"};
    ASSERT_EQ(4, WMFontTranslator::kFaceCount);
    for (const char* face : faces) {
        const std::wstring keyword(face, face + std::strlen(face));
        Standin().Reset();
        std::unique_ptr<GObjectBase> tree(Group(360, {Group(364, {Group(379, {Text(386, "x")})})}));
        Standin().SetFeature(L"printing/Watermarks/WMFont", keyword.c_str());
        WMFontTranslator translator(Library());
        EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
        EXPECT_STREQ(face, GDriverObject::Feature<GStringAttribute>(tree.get(), 386)->GetString().Data());
        EXPECT_EQ(1, translator.FromAttributes(tree->FindById(379)));
        EXPECT_EQ(keyword, Exported(Standin(), L"printing/Watermarks/WMFont"));
    }
}

// The paper-size table: rows 1 to 64 hold the codes 0 to 63 except that row 30 holds 56
// and row 42 holds 71; then 16 more codes. The keyword of code 73 is the module's own.
const uint16_t kPaperCodes[80] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26,
    27, 28, 56, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 71, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53,
    54, 55, 56, 57, 58, 59, 60, 61, 62, 63, 69, 70, 68, 73, 72, 76, 77, 78, 79, 80, 81, 83, 53, 85, 66, 84};
const wchar_t* const kPaperKeywords[80] = {
    L"UNDEFINED", L"LETTER", L"LETTER_EXTRA", L"LETTER_EXTRA_TRANSVERSE", L"LETTER_TRANSVERSE", L"LETTER_SMALL",
    L"LEGAL", L"LEGAL_EXTRA", L"ENV_10", L"ENV_11", L"ENV_12", L"ENV_14", L"ENV_9", L"ENV_C5", L"ENV_B5",
    L"ENV_DL", L"ENV_MONARCH", L"EXECUTIVE", L"FOLIO", L"LEDGER", L"10X14", L"11X17", L"A3", L"A4", L"A4_EXTRA",
    L"A4_TRANSVERSE", L"A4_SMALL", L"A5", L"B4", L"B5", L"BSHEET", L"CSHEET", L"DSHEET", L"ESHEET", L"NOTE",
    L"QUARTO", L"STATEMENT", L"TABLOID", L"TABLOID_EXTRA", L"B4_JIS", L"B5_JIS", L"DBL_JAPANESE_POSTCARD",
    L"EXECUTIVE_JIS", L"16K", L"8K", L"11X17_MAX", L"A3_OVERSIZE", L"INDEX_CARD_3X5", L"INDEX_CARD_4X6",
    L"INDEX_CARD_5X8", L"ENV_A2", L"A6_CARD", L"ENV_C6", L"JISB6", L"JIS_POSTCARD", L"POSTCARD", L"B5ISO", L"A6",
    L"8_5X13", L"JENV_CHOU3", L"JENV_CHOU4", L"HAGAKI_CARD", L"SUPERB", L"425_X_6", L"JAPANESE_POSTCARD",
    L"DBL_JAPANESE_POSTCARD_ROTATED", L"12X18", nullptr, L"OfukuHagaki", L"11X17_PLUS_WIDE", L"A5_PLUS_WIDE",
    L"A4_PLUS_WIDE", L"A3_PLUS_WIDE", L"B4_JIS_PLUS_WIDE", L"B5_JIS_PLUS_WIDE", L"RA3", L"B6_JIS", L"4X6_IN_WT",
    L"A3_NOBI", L"JENV_KAKU2"};

TEST_F(TranslatorTables, PaperSizeEightyRowsBothWaysInEachMode)
{
    ASSERT_EQ(80, PaperSizeTranslator::kPaperCount);
    for (uint32_t mode : {0u, 1u}) {
        PaperSizeTranslator translator(Library(), nullptr, mode);
        const TranslatorDescription& d = translator.Description();
        EXPECT_EQ(80, translator.OptionCount());
        for (uint16_t row = 0; row < 80; ++row) {
            const uint16_t code = kPaperCodes[row];
            // The module's own keyword stands for the one row not written out.
            const wchar_t* keyword =
                kPaperKeywords[row] ? kPaperKeywords[row] : PaperSizeTranslator::kPapers[row].keyword;
            uint16_t first = 0;
            while (kPaperCodes[first] != code)
                ++first;
            Standin().Reset();
            std::unique_ptr<GObjectBase> tree = PathTree(d, 0xBEEF);
            Standin().SetFeature(d.featurePath, keyword);
            EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
            EXPECT_EQ(code, ValueOf(tree.get(), long(d.idPath[1]))) << row + 1;
            tree = PathTree(d, code);
            EXPECT_EQ(1, translator.FromAttributes(tree.get()));
            if (kPaperKeywords[first]) {
                EXPECT_EQ(std::wstring(kPaperKeywords[first]), Exported(Standin(), d.featurePath)) << row + 1;
            }
        }
    }
}

// The media-type rows that are not branded papers, keyword and device name, with their
// places in the 54-row table: nine branded rows follow "PLAIN", ten the second
// "HEAVY_GLOSSY".
const struct {
    size_t place;
    const wchar_t* keyword;
    const char* name;
} kMediaRows[] = {
    {0, L"AUTO", ""},
    {1, L"PLAIN", "Plain"},
    {11, L"PREPRINTED", "Preprinted"},
    {12, L"LETTERHEAD", "Letterhead"},
    {13, L"TRANSPARENCY", "Transparency"},
    {14, L"PREPUNCHED", "Prepunched"},
    {15, L"LABELS", "Labels"},
    {16, L"BOND", "Bond"},
    {17, L"RECYCLED", "Recycled"},
    {18, L"COLOR", "Color"},
    {19, L"CARDSTOCK_GP", "Card Stock"},
    {20, L"CARDSTOCK", "Card Stock"},
    {21, L"ROUGH", "Rough"},
    {22, L"HEAVY_GP", "Heavy"},
    {23, L"LIGHT_GP", "Light"},
    {24, L"GLOSS", "Gloss"},
    {25, L"HEAVY", "Heavy"},
    {26, L"LIGHT", "Light"},
    {27, L"HEAVY_GLOSSY", "Heavy Gloss"},
    {28, L"NON_QZ_HEAVY_GLOSSY", "NQZ Heavy Gloss"},
    {29, L"HEAVY_GLOSSY_GP", "Heavy Gloss"},
    {30, L"GLOSSY_FILM", "Gloss Film"},
    {31, L"28_LB_TYPE1", "Type28lb1"},
    {32, L"28_LB_TYPE2", "Type28lb2"},
    {33, L"ENVELOPE", "Envelope"},
    {34, L"GLOSSY(75_105GM2)", "Gloss"},
    {35, L"LIGHT", "Light"},
    {36, L"HEAVY_GLOSSY", "Heavy Gloss"},
    {47, L"EXTRA_HEAVY", "Extra Heavy"},
    {48, L"INTERMEDIATE", "Intermediate"},
    {49, L"HIGH_GLOSS", "High Gloss Images"},
    {50, L"VELLUM", "Vellum"},
    {51, L"TAB", "Tab"},
    {52, L"EXTRA_HEAVY_GLOSSY", "Extra Heavy Gloss"},
    {53, L"CUSTOM", "Custom"},
};

TEST_F(TranslatorTables, MediaTypeFiftyFourRowsBothWaysInEachMode)
{
    ASSERT_EQ(54, MediaTypeTranslator::kMediaCount);
    const long leaves[] = {261, 262, 973};
    for (uint32_t mode : {0u, 1u, 2u}) {
        MediaTypeTranslator translator(Library(), mode);
        const wchar_t* path = translator.Description().featurePath;
        EXPECT_EQ(54, translator.OptionCount());
        for (const auto& media : kMediaRows) {
            // Each row keeps its place, whatever the branded rows between hold.
            EXPECT_STREQ(media.keyword, MediaTypeTranslator::kMedia[media.place].keyword) << media.place;
            const char* imported = nullptr;
            const wchar_t* exported = nullptr;
            for (const auto& other : kMediaRows) {
                if (!imported && std::wcscmp(other.keyword, media.keyword) == 0)
                    imported = other.name;
                if (!exported && std::strcmp(other.name, media.name) == 0)
                    exported = other.keyword;
            }
            Standin().Reset();
            std::unique_ptr<GObjectBase> tree(Group(360, {Group(364, {Text(leaves[mode], "before")})}));
            Standin().SetFeature(path, media.keyword);
            EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
            EXPECT_STREQ(imported,
                         GDriverObject::Feature<GStringAttribute>(tree.get(), leaves[mode])->GetString().Data())
                << media.place + 1;
            tree.reset(Group(360, {Group(364, {Text(leaves[mode], media.name)})}));
            EXPECT_EQ(1, translator.FromAttributes(tree.get()));
            EXPECT_EQ(std::wstring(exported), Exported(Standin(), path)) << media.place + 1;
        }
    }
}

// The tray table: tray name and keyword.
const struct {
    const char* name;
    const wchar_t* keyword;
} kTrayRows[] = {
    {"Auto Select", L"PrinterSelect"}, {"Envelope Feeder", L"EnvFeed"}, {"Manual Feed", L"ManualFeed"},
    {"Tray 1", L"Tray1"},              {"Tray 2", L"Tray2"},            {"Tray2_500", L"Tray2_500"},
    {"Tray 3", L"Tray3"},              {"Tray3_500", L"Tray3_500"},     {"Tray3_250", L"Tray3_250"},
    {"Tray3_1500", L"Tray3_1500"},     {"Tray4_500", L"Tray4_500"},     {"Tray4_1500", L"Tray4_1500"},
    {"Tray4_2000", L"Tray4_2000"},     {"Tray 4", L"Tray4"},            {"Tray 5", L"Tray5"},
    {"Tray 6", L"Tray6"},              {"Tray 7", L"Tray7"},            {"Tray 8", L"Tray8"},
    {"Tray 9", L"Tray9"},              {"Tray 10", L"Tray10"},          {"Tray 11", L"Tray11"},
    {"Tray 12", L"Tray12"},
};

// A printer configuration with one installed input device whose trays carry the table's
// tray names, with ids 100 and up.
class TrayDriver : public Driver {
public:
    TrayDriver()
    {
        auto* device = new GPaperHandlingDevice("Inputs", GPaperHandlingDevice::kInput, 1, 1, 0, 0, 0);
        auto* option = new GAttributeComposite(1);
        for (uint16_t row = 0; row < sizeof kTrayRows / sizeof *kTrayRows; ++row)
            option->Add(new GTray(kTrayRows[row].name, uint16_t(100 + row), 0));
        device->SetOption(1, option);
        GetPrinterConfiguration()->Add(Group(FeatureId::kInputDevices, {device}));
    }
};

TEST_F(TranslatorTables, TraysTwentyTwoRowsBothWaysInEachMode)
{
    ASSERT_EQ(22, InputBinTranslator::kTrayCount);
    TrayDriver driver;
    const long leaves[] = {258, 263, 921};
    for (uint32_t mode : {0u, 1u, 2u}) {
        InputBinTranslator translator(Library(), &driver, mode);
        const wchar_t* path = translator.Description().featurePath;
        EXPECT_EQ(22, translator.OptionCount());
        for (uint16_t row = 0; row < 22; ++row) {
            const auto& tray = kTrayRows[row];
            EXPECT_STREQ(tray.name, InputBinTranslator::kTrays[row].name) << row + 1;
            const int id = row == 0 ? 19 : 100 + row;
            Standin().Reset();
            std::unique_ptr<GObjectBase> tree(Group(360, {Group(362, {Value(leaves[mode], 0)})}));
            Standin().SetFeature(path, tray.keyword);
            EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
            EXPECT_EQ(id, ValueOf(tree.get(), leaves[mode])) << row + 1;
            tree.reset(Group(360, {Group(362, {Value(leaves[mode], uint16_t(id))})}));
            EXPECT_EQ(1, translator.FromAttributes(tree.get()));
            EXPECT_EQ(std::wstring(tray.keyword), Exported(Standin(), path)) << row + 1;
        }
    }
}

} // namespace
