// The output bin, stapler, stapling and duplex translators: refinements by the installed
// accessory, the helper's turn, the stapler's guards, stitching and the duplex unit.
#include "TranslatorFixture.h"

#include "settings/dmc/DMCLibraryAbi.h"
#include "settings/dmc/GDriverDMCConfig.h"
#include "settings/translators/DuplexTranslator.h"
#include "settings/translators/OutputBinTranslator.h"
#include "settings/translators/StaplerChoiceTranslator.h"
#include "settings/translators/StaplingTranslator.h"

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

std::vector<std::wstring> ExportLines(DmcStandin& standin) { return standin.Exports(L""); }

int Count(DmcStandin& standin, const std::wstring& prefix)
{
    int n = 0;
    for (const std::wstring& line : standin.Log())
        n += line.compare(0, prefix.size(), prefix) == 0;
    return n;
}

// Job settings with the output side's values, device settings with the accessory model
// (null: no 316 at all) and the lock list.
std::unique_ptr<GObjectBase> OutputTree(const char* model, std::initializer_list<GObjectBase*> device = {})
{
    auto* physical = Group(365, device);
    if (model)
        physical->Add(Text(316, model));
    return std::unique_ptr<GObjectBase>(
        Group(360, {Group(362, {Value(248, 0), Value(278, 0), Value(289, 0), Value(982, 0), Value(253, 0),
                                Value(710, 0)}),
                    physical, Group(366, {Group(1102, {})})}));
}

int16_t g_helperAnswer = 0;
int g_helperCalls = 0;
uint32_t g_helperFeature = 0, g_helperDirection = 0;
int32_t __cdecl Helper(DMCHelperRecord* record)
{
    ++g_helperCalls;
    g_helperFeature = record->a;
    g_helperDirection = record->c;
    return g_helperAnswer;
}

class OutputSide : public Suite {
protected:
    void TearDown() override { Library().SetHelper(nullptr, nullptr); }
    GAttributeComposite changes{1101};
};

TEST_F(OutputSide, AccessoryRefinesTheSharedBinKeywords)
{
    const struct {
        const wchar_t* keyword;
        const char* model;
        int value;
    } cases[] = {
        {L"Stacker", "K5930", 15},          {L"Stacker", "W1908", 4},
        {L"Stacker", "W1904", 4},           {L"Stacker", "", 13},
        {L"Stacker", nullptr, 13},          {L"Stacker-Stapled", "W1908", 9},
        {L"Stacker-Stapled", "W1905", 3},   {L"Stacker-Stapled", "K5930", 14},
        {L"Stacker-Stapled", nullptr, 14},  {L"MainBinFaceDown", "K4082A", 62},
        {L"MainBinFaceDown", "K4081A", 62}, {L"MainBinFaceDown", "W1908", 60},
        {L"MainBinFaceDown", "", 60},       {L"MainBinFaceDown", nullptr, 62},
        {L"MainBinFaceUp", "K4081A", 63},   {L"MainBinFaceUp", "", 61},
        {L"UpperBinFaceDown", "K4082A", 66}, {L"UpperBinFaceDown", "x", 64},
        {L"UpperBinFaceUp", "K4082A", 67},  {L"UpperBinFaceUp", "K4082", 65},
        {L"Top", "K4082A", 1},
    };
    for (const auto& c : cases) {
        std::unique_ptr<GObjectBase> tree = OutputTree(c.model);
        Standin().SetFeature(L"printing/OutputBin", c.keyword);
        OutputBinTranslator translator(Library());
        EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr)) << c.keyword;
        EXPECT_EQ(c.value, ValueOf(tree.get(), 248)) << c.keyword << " " << (c.model ? c.model : "<none>");
    }
}

TEST_F(OutputSide, BinExportNamesTheFirstRowOfTheValue)
{
    const struct {
        uint16_t value;
        const wchar_t* keyword;
    } cases[] = {{15, L"Stacker"}, {4, L"Stacker"}, {61, L"MainBinFaceUp"}, {1, L"Auto"}, {9, L"Stacker-Stapled"}};
    for (const auto& c : cases) {
        std::unique_ptr<GObjectBase> tree = OutputTree(nullptr);
        GDriverObject::Feature<GValueAttribute>(tree.get(), 248)->SetValue(c.value);
        OutputBinTranslator translator(Library());
        EXPECT_EQ(1, translator.FromAttributes(tree.get()));
        EXPECT_EQ(c.keyword, Exported(Standin(), L"printing/OutputBin")) << c.value;
    }
}

TEST_F(OutputSide, UnmatchedBinAddsACopyAndAnswersZero)
{
    std::unique_ptr<GObjectBase> tree = OutputTree(nullptr);
    GDriverObject::Feature<GValueAttribute>(tree.get(), 248)->SetValue(16);
    Standin().SetFeature(L"printing/OutputBin", L"NoSuchBin");
    Standin().SetFeature(L"printing/OutputBin@lock", L"FALSE");
    OutputBinTranslator translator(Library());
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{248, 16}}), Members(&changes));
}

TEST_F(OutputSide, HelperThatHandlesTheBinSkipsTheKeywordButKeepsTheLock)
{
    Library().SetHelper(Helper, nullptr);
    g_helperAnswer = 1, g_helperCalls = 0;
    std::unique_ptr<GObjectBase> tree = OutputTree(nullptr);
    Standin().SetFeature(L"printing/OutputBin", L"Stacker");
    Standin().SetFeature(L"printing/OutputBin@lock", L"TRUE");
    OutputBinTranslator translator(Library());
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(248u, g_helperFeature);
    EXPECT_EQ(0u, g_helperDirection);
    EXPECT_EQ(0, ValueOf(tree.get(), 248));
    EXPECT_EQ(0, Count(Standin(), L"DMCSetContext printing/OutputBin"));
    EXPECT_EQ(std::vector<int>{248}, Locks(tree.get()));
    EXPECT_TRUE(Members(&changes).empty());

    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(1u, g_helperDirection);
    EXPECT_EQ(L"<none>", Exported(Standin(), L"printing/OutputBin"));

    g_helperAnswer = 0;
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(13, ValueOf(tree.get(), 248));
}

TEST_F(OutputSide, StaplerFlagZeroReadsNothing)
{
    std::unique_ptr<GObjectBase> tree = OutputTree("W1908", {Value(311, 0)});
    Standin().SetFeature(L"printing/StaplerChoice", L"TRUE");
    Standin().SetFeature(L"printing/StaplerChoice/Stapling", L"2parallel");
    StaplerChoiceTranslator translator(Library());
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), &changes));
    EXPECT_TRUE(Standin().Log().empty());
    EXPECT_EQ(0, ValueOf(tree.get(), 289));
}

TEST_F(OutputSide, StaplerChoiceRecordsANewValueAndRunsTheStaplingOptions)
{
    std::unique_ptr<GObjectBase> tree = OutputTree("W1908", {Value(311, 1)});
    Standin().SetFeature(L"printing/StaplerChoice", L"TRUE");
    Standin().SetFeature(L"printing/StaplerChoice/Stapling", L"2parallel");
    StaplerChoiceTranslator translator(Library());
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(1, ValueOf(tree.get(), 278));
    EXPECT_EQ(9, ValueOf(tree.get(), 289)); // the finisher's own two-staple value
    EXPECT_EQ((std::vector<std::pair<long, int>>{{278, 1}, {289, 9}}), Members(&changes));
}

TEST_F(OutputSide, StitchingSets982AndLeavesTheChoiceAndStaplingAlone)
{
    std::unique_ptr<GObjectBase> tree = OutputTree(nullptr, {Value(311, 1)});
    GDriverObject::Feature<GValueAttribute>(tree.get(), 289)->SetValue(7);
    Standin().SetFeature(L"printing/StaplerChoice", L"TRUE");
    Standin().SetFeature(L"printing/StaplerChoice/Stapling", L"Stitching");
    StaplerChoiceTranslator translator(Library());
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(0, ValueOf(tree.get(), 278));
    EXPECT_EQ(7, ValueOf(tree.get(), 289));
    EXPECT_EQ(1, ValueOf(tree.get(), 982));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{982, 1}}), Members(&changes));
}

TEST_F(OutputSide, StitchingExportsTrueAndStitching)
{
    std::unique_ptr<GObjectBase> tree = OutputTree(nullptr);
    GDriverObject::Feature<GValueAttribute>(tree.get(), 289)->SetValue(7);
    GDriverObject::Feature<GValueAttribute>(tree.get(), 982)->SetValue(1);
    StaplingTranslator translator(Library());
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ((std::vector<std::wstring>{L"printing/StaplerChoice=TRUE", L"printing/StaplerChoice/Stapling=Stitching"}),
              ExportLines(Standin()));
}

TEST_F(OutputSide, WithoutTheStaplingContextAChoiceOfOneTurnsStaplingOn)
{
    std::unique_ptr<GObjectBase> tree = OutputTree(nullptr);
    GDriverObject::Feature<GValueAttribute>(tree.get(), 278)->SetValue(1);
    Standin().SetFeature(L"printing/StaplerChoice/Stapling", nullptr);
    StaplingTranslator translator(Library());
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(1, ValueOf(tree.get(), 289));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{289, 1}}), Members(&changes));

    GDriverObject::Feature<GValueAttribute>(tree.get(), 278)->SetValue(0);
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), nullptr));
}

TEST_F(OutputSide, FinisherTurnsParallelStaplesIntoItsOwnValues)
{
    const struct {
        const wchar_t* keyword;
        const char* model;
        int value;
    } cases[] = {{L"1parallel", "W1908", 8}, {L"2parallel", "W1908", 9}, {L"1parallel", "W1905", 1},
                 {L"2parallel", nullptr, 3}, {L"None", "W1908", 7},      {L"Default", "W1908", 0}};
    for (const auto& c : cases) {
        std::unique_ptr<GObjectBase> tree = OutputTree(c.model);
        GDriverObject::Feature<GValueAttribute>(tree.get(), 289)->SetValue(99);
        Standin().SetFeature(L"printing/StaplerChoice/Stapling", c.keyword);
        StaplingTranslator translator(Library());
        EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
        EXPECT_EQ(c.value, ValueOf(tree.get(), 289)) << c.keyword;
    }
}

TEST_F(OutputSide, StaplingTableEveryRowExportsItsFirstKeyword)
{
    ASSERT_EQ(10, StaplingTranslator::kDescription.optionCount);
    const struct {
        uint16_t value;
        const wchar_t* keyword;
    } cases[] = {{0, L"Default"},   {1, L"1parallel"}, {2, L"1diagonal"}, {3, L"2parallel"}, {4, L"3parallel"},
                 {5, L"6parallel"}, {8, L"1parallel"}, {9, L"2parallel"}, {7, L"None"}};
    for (const auto& c : cases) {
        std::unique_ptr<GObjectBase> tree = OutputTree(nullptr);
        GDriverObject::Feature<GValueAttribute>(tree.get(), 289)->SetValue(c.value);
        StaplingTranslator translator(Library());
        EXPECT_EQ(1, translator.FromAttributes(tree.get()));
        EXPECT_EQ(c.keyword, Exported(Standin(), L"printing/StaplerChoice/Stapling")) << c.value;
    }
}

TEST_F(OutputSide, DuplexTrueWithoutEdgeBindsTheLongEdgeAndAnswersZero)
{
    std::unique_ptr<GObjectBase> tree = OutputTree(nullptr, {Value(308, 1)});
    Standin().SetFeature(L"printing/Duplex", L"TRUE");
    Standin().SetFeature(L"printing/Duplex/DuplexEdge", nullptr);
    Standin().SetFeature(L"printing/Duplex@lock", nullptr);
    DuplexTranslator translator(Library());
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(2, ValueOf(tree.get(), 253));
    EXPECT_EQ(1, ValueOf(tree.get(), 710));
}

TEST_F(OutputSide, ShortEdgeSetsOneAndTurnsPageOrderZeroIntoOne)
{
    std::unique_ptr<GObjectBase> tree = OutputTree(nullptr, {Value(245, 3)});
    Standin().SetFeature(L"printing/Duplex", L"TRUE");
    Standin().SetFeature(L"printing/Duplex/DuplexEdge", L"ShortEdge");
    Standin().SetFeature(L"printing/Duplex@lock", L"no");
    DuplexTranslator translator(Library());
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(1, ValueOf(tree.get(), 253));
    EXPECT_EQ(1, ValueOf(tree.get(), 710));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{253, 1}, {710, 1}}), Members(&changes));
    EXPECT_TRUE(Locks(tree.get()).empty());
}

TEST_F(OutputSide, WithoutADuplexUnitTheKeywordIsNotReadButTheLockAnswersOne)
{
    std::unique_ptr<GObjectBase> tree = OutputTree(nullptr, {Value(308, 0), Value(245, 0)});
    Standin().SetFeature(L"printing/Duplex", L"TRUE");
    Standin().SetFeature(L"printing/Duplex@lock", L"true");
    DuplexTranslator translator(Library());
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(0, Count(Standin(), L"DMCSetContext"));
    EXPECT_EQ(0, ValueOf(tree.get(), 253));
    EXPECT_EQ(std::vector<int>{253}, Locks(tree.get()));

    Standin().SetFeature(L"printing/Duplex@lock", nullptr);
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), &changes));
    EXPECT_TRUE(Members(&changes).empty());
}

TEST_F(OutputSide, DuplexExportsBothWordsOrOnlyFalse)
{
    const struct {
        uint16_t value;
        std::vector<std::wstring> lines;
    } cases[] = {
        {0, {L"printing/Duplex=FALSE"}},
        {1, {L"printing/Duplex=TRUE", L"printing/Duplex/DuplexEdge=ShortEdge"}},
        {2, {L"printing/Duplex=TRUE", L"printing/Duplex/DuplexEdge=LongEdge"}},
        {3, {}},
    };
    for (const auto& c : cases) {
        Standin().Reset();
        std::unique_ptr<GObjectBase> tree = OutputTree(nullptr);
        GDriverObject::Feature<GValueAttribute>(tree.get(), 253)->SetValue(c.value);
        DuplexTranslator translator(Library());
        EXPECT_EQ(c.value < 3 ? 1 : 0, translator.FromAttributes(tree.get()));
        EXPECT_EQ(c.lines, ExportLines(Standin())) << c.value;
    }
}

} // namespace

namespace {

// The model's own keywords of these features, imported through the factory in the order
// the model lists them and exported back: each export gives the keyword imported.
TEST_F(OutputSide, ModelKeywordsRoundTripThroughTheFactory)
{
    std::unique_ptr<GObjectBase> tree(Group(
        360, {Group(362, {Value(248, 0), Value(278, 0), Value(289, 0), Value(982, 0), Value(253, 0), Value(710, 0)}),
              Group(364, {Value(296, 0), Group(379, {Text(383, ""), Value(1112, 0)})}),
              Group(365, {Value(308, 0), Value(925, 64), Value(307, 0), Value(239, 0), Value(441, 0), Value(520, 0),
                          Value(275, 0), Text(316, ""), Text(315, ""), Value(311, 0), Value(981, 0)}),
              Group(366, {Group(1102, {}), Group(378, {})})}));
    Driver driver;
    GDriverDMCConfig config(tree.get(), &driver);
    const struct {
        const wchar_t* key;
        std::vector<std::pair<const wchar_t*, const wchar_t*>> exports;
    } features[] = {
        {L"EnvFeeder", {{L"physical/EnvFeeder", L"Installed"}}},
        {L"DuplexUnit", {{L"physical/duplexunit", L"Installed"}}},
        {L"Memory", {{L"physical/Memory", L"256"}}},
        {L"PrinterHardDisk", {{L"physical/PrinterHardDisk", L"Installed"}}},
        {L"JobRetentionAvailable", {{L"physical/JobRetentionAvailable", L"TRUE"}}},
        {L"JobRetention", {{L"physical/JobRetention", L"Enabled"}}},
        {L"OptionalPaperSources", {{L"physical/OptionalPaperSources", L"Tray 3"}}},
        {L"AccessoryOutputBins", {{L"physical/AccessoryOutputBins", L"W1908"}}},
        {L"PrintColorAsGray", {{L"printing/PrintColorAsGray", L"Disable"}}},
        {L"Duplex", {{L"printing/Duplex", L"TRUE"}, {L"printing/Duplex/DuplexEdge", L"LongEdge"}}},
        {L"StaplerChoice", {{L"printing/StaplerChoice", L"FALSE"}, {L"printing/StaplerChoice/Stapling", L"Default"}}},
        {L"OutputBin", {{L"printing/OutputBin", L"Auto"}}},
        {L"Watermarks", {{L"printing/Watermarks", L"None"}}},
    };
    for (const auto& feature : features) {
        std::unique_ptr<FeatureTranslator> translator(config.MapFeatureKeys(feature.key));
        ASSERT_NE(nullptr, translator.get());
        translator->ToAttributes(tree.get(), nullptr);
    }
    for (const auto& feature : features) {
        std::unique_ptr<FeatureTranslator> translator(config.MapFeatureKeys(feature.key));
        EXPECT_EQ(1, translator->FromAttributes(tree.get())) << std::wstring(feature.key).size();
        for (const auto& expected : feature.exports)
            EXPECT_EQ(std::wstring(expected.second), Exported(Standin(), expected.first));
    }
    EXPECT_EQ((std::vector<int>{253, 248}), Locks(tree.get()));
}

} // namespace
