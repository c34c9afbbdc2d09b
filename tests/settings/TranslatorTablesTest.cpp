// Every row of every keyword table, both ways, through the configuration stand-in: a
// keyword imports the value of the first row holding it, and a value exports the keyword
// of the first row holding it, under the class's export path.
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

struct DescribedCase {
    const char* name;
    std::function<FeatureTranslator*(GDMCLibrary&)> make;
    const TranslatorDescription* description;
    uint16_t rows;
    // The export reads the watermark definition given, not the root.
    bool fromDefinition;
};

class TranslatorTables : public Suite {
protected:
    void CheckEveryRow(const DescribedCase& c)
    {
        const TranslatorDescription& d = *c.description;
        ASSERT_EQ(c.rows, d.optionCount) << c.name;
        for (uint16_t row = 0; row < d.optionCount; ++row) {
            const TranslatorOption& option = d.options[row];
            const TranslatorOption* firstByKeyword = nullptr;
            const TranslatorOption* firstByValue = nullptr;
            for (uint16_t i = 0; i < d.optionCount; ++i) {
                if (!firstByKeyword && std::wcscmp(d.options[i].keyword, option.keyword) == 0)
                    firstByKeyword = &d.options[i];
                if (!firstByValue && d.options[i].value == option.value)
                    firstByValue = &d.options[i];
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
        {"ScalePageChoice", Plain<ScalePageChoiceTranslator>(), &ScalePageChoiceTranslator::kDescription, 2, false},
        {"Orientation", Plain<OrientationTranslator>(), &OrientationTranslator::kDescription, 4, false},
        {"EconoMode", Plain<EconoModeTranslator>(), &EconoModeTranslator::kDescription, 2, false},
        {"TextAsBlack", Plain<TextAsBlackTranslator>(), &TextAsBlackTranslator::kDescription, 2, false},
        {"NUpChoice", Plain<NUpChoiceTranslator>(), &NUpChoiceTranslator::kDescription, 6, false},
        {"FitToOtherSizeChoice",
         [](GDMCLibrary& library) { return new FitToOtherSizeChoiceTranslator(library, nullptr); },
         &FitToOtherSizeChoiceTranslator::kDescription, 2, false},
        {"NUpBordersChoice", Plain<NUpBordersChoiceTranslator>(), &NUpBordersChoiceTranslator::kDescription, 2, false},
        {"NUpPageOrderChoice", Plain<NUpPageOrderChoiceTranslator>(), &NUpPageOrderChoiceTranslator::kDescription, 4,
         false},
        {"PrintColorAsGrayOptions", Plain<PrintColorAsGrayOptionsTranslator>(),
         &PrintColorAsGrayOptionsTranslator::kDescription, 2, false},
        {"BackCoverChoice", [](GDMCLibrary& library) { return new BackCoverChoiceTranslator(library, nullptr); },
         &BackCoverChoiceTranslator::kDescription, 3, false},
        {"WMFirstPageOnly", Plain<WMFirstPageOnlyTranslator>(), &WMFirstPageOnlyTranslator::kDescription, 3, false},
        {"WMFontStyle", Plain<WMFontStyleTranslator>(), &WMFontStyleTranslator::kDescription, 6, true},
        {"WMShadeLevel", Plain<WMShadeLevelTranslator>(), &WMShadeLevelTranslator::kDescription, 10, true},
        {"WMFontEscapement", Plain<WMFontEscapementTranslator>(), &WMFontEscapementTranslator::kDescription, 5, true},
    };
    for (const DescribedCase& c : cases)
        CheckEveryRow(c);
}

TEST_F(TranslatorTables, InstalledOptionOutputAndGreyTablesEveryRowBothWays)
{
    const DescribedCase cases[] = {
        {"EnvFeeder", Plain<EnvFeederTranslator>(), &EnvFeederTranslator::kDescription, 2, false},
        {"JobRetention", Plain<JobRetentionTranslator>(), &JobRetentionTranslator::kDescription, 2, false},
        {"JobRetentionAvailable", Plain<JobRetentionAvailableTranslator>(),
         &JobRetentionAvailableTranslator::kDescription, 2, false},
        {"DeviceIsZadidi", Plain<DeviceIsZadidiTranslator>(), &DeviceIsZadidiTranslator::kDescription, 2, false},
        {"PrinterHardDisk", Plain<PrinterHardDiskTranslator>(), &PrinterHardDiskTranslator::kDescription, 2, false},
        {"DuplexUnit", Plain<DuplexUnitTranslator>(), &DuplexUnitTranslator::kDescription, 2, false},
        {"StaplingPosition", Plain<StaplingPositionTranslator>(), &StaplingPositionTranslator::kDescription, 12,
         false},
        {"OutputBin", Plain<OutputBinTranslator>(), &OutputBinTranslator::kDescription, 23, false},
        {"PrintColorAsGray", Plain<PrintColorAsGrayTranslator>(), &PrintColorAsGrayTranslator::kDescription, 4,
         false},
    };
    for (const DescribedCase& c : cases)
        CheckEveryRow(c);
}

TEST_F(TranslatorTables, WatermarkColourEveryRowBothWays)
{
    ASSERT_EQ(7, WMColorTranslator::kColourCount);
    for (uint16_t row = 0; row < WMColorTranslator::kColourCount; ++row) {
        const WatermarkColour& colour = WMColorTranslator::kColours[row];
        Standin().Reset();
        std::unique_ptr<GObjectBase> tree(
            Group(360, {Group(364, {Group(379, {Value(398, 7), Value(399, 7), Value(400, 7)})})}));
        Standin().SetFeature(L"printing/Watermarks/WMColor", colour.keyword);
        WMColorTranslator translator(Library());
        EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
        EXPECT_EQ(int(colour.colour & 0xFF), ValueOf(tree.get(), 398));
        EXPECT_EQ(int((colour.colour >> 8) & 0xFF), ValueOf(tree.get(), 399));
        EXPECT_EQ(int((colour.colour >> 16) & 0xFF), ValueOf(tree.get(), 400));
        EXPECT_EQ(1, translator.FromAttributes(tree->FindById(379)));
        EXPECT_EQ(std::wstring(colour.keyword), Exported(Standin(), L"printing/Watermarks/WMColor"));
    }
}

TEST_F(TranslatorTables, WatermarkFontEveryRowBothWays)
{
    ASSERT_EQ(4, WMFontTranslator::kFaceCount);
    for (uint16_t row = 0; row < WMFontTranslator::kFaceCount; ++row) {
        const WatermarkFace& face = WMFontTranslator::kFaces[row];
        Standin().Reset();
        std::unique_ptr<GObjectBase> tree(Group(360, {Group(364, {Group(379, {Text(386, "x")})})}));
        Standin().SetFeature(L"printing/Watermarks/WMFont", face.keyword);
        WMFontTranslator translator(Library());
        EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
        EXPECT_STREQ(face.face, GDriverObject::Feature<GStringAttribute>(tree.get(), 386)->GetString().Data());
        EXPECT_EQ(1, translator.FromAttributes(tree->FindById(379)));
        EXPECT_EQ(std::wstring(face.keyword), Exported(Standin(), L"printing/Watermarks/WMFont"));
    }
}

TEST_F(TranslatorTables, PaperSizeEightyRowsBothWaysInEachMode)
{
    ASSERT_EQ(80, PaperSizeTranslator::kPaperCount);
    for (uint32_t mode : {0u, 1u}) {
        PaperSizeTranslator translator(Library(), nullptr, mode);
        const TranslatorDescription& d = translator.Description();
        EXPECT_EQ(80, translator.OptionCount());
        for (uint16_t row = 0; row < 80; ++row) {
            const TranslatorOption& paper = PaperSizeTranslator::kPapers[row];
            const TranslatorOption* firstByValue = nullptr;
            for (const TranslatorOption& other : PaperSizeTranslator::kPapers)
                if (!firstByValue && other.value == paper.value)
                    firstByValue = &other;
            Standin().Reset();
            std::unique_ptr<GObjectBase> tree = PathTree(d, 0xBEEF);
            Standin().SetFeature(d.featurePath, paper.keyword);
            EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
            EXPECT_EQ(paper.value, ValueOf(tree.get(), long(d.idPath[1]))) << row + 1;
            tree = PathTree(d, paper.value);
            EXPECT_EQ(1, translator.FromAttributes(tree.get()));
            EXPECT_EQ(std::wstring(firstByValue->keyword), Exported(Standin(), d.featurePath)) << row + 1;
        }
    }
}

TEST_F(TranslatorTables, MediaTypeFiftyFourRowsBothWaysInEachMode)
{
    ASSERT_EQ(54, MediaTypeTranslator::kMediaCount);
    const long leaves[] = {261, 262, 973};
    for (uint32_t mode : {0u, 1u, 2u}) {
        MediaTypeTranslator translator(Library(), mode);
        const wchar_t* path = translator.Description().featurePath;
        EXPECT_EQ(54, translator.OptionCount());
        for (uint16_t row = 0; row < 54; ++row) {
            const MediaRow& media = MediaTypeTranslator::kMedia[row];
            const MediaRow* firstByKeyword = nullptr;
            const MediaRow* firstByName = nullptr;
            for (const MediaRow& other : MediaTypeTranslator::kMedia) {
                if (!firstByKeyword && std::wcscmp(other.keyword, media.keyword) == 0)
                    firstByKeyword = &other;
                if (!firstByName && std::strcmp(other.name, media.name) == 0)
                    firstByName = &other;
            }
            Standin().Reset();
            std::unique_ptr<GObjectBase> tree(Group(360, {Group(364, {Text(leaves[mode], "before")})}));
            Standin().SetFeature(path, media.keyword);
            EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
            EXPECT_STREQ(firstByKeyword->name,
                         GDriverObject::Feature<GStringAttribute>(tree.get(), leaves[mode])->GetString().Data())
                << row + 1;
            tree.reset(Group(360, {Group(364, {Text(leaves[mode], media.name)})}));
            EXPECT_EQ(1, translator.FromAttributes(tree.get()));
            EXPECT_EQ(std::wstring(firstByName->keyword), Exported(Standin(), path)) << row + 1;
        }
    }
}

// A printer configuration with one installed input device whose trays carry the table's
// tray names, with ids 100 and up.
class TrayDriver : public Driver {
public:
    TrayDriver()
    {
        auto* device = new GPaperHandlingDevice("Inputs", GPaperHandlingDevice::kInput, 1, 1, 0, 0, 0);
        auto* option = new GAttributeComposite(1);
        for (uint16_t row = 0; row < InputBinTranslator::kTrayCount; ++row)
            option->Add(new GTray(InputBinTranslator::kTrays[row].name, uint16_t(100 + row), 0));
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
            const TrayRow& tray = InputBinTranslator::kTrays[row];
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
