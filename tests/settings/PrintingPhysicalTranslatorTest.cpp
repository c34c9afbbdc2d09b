// The printing-section, print-quality and physical-section translators through the
// configuration stand-in: every table row both ways, and what each class adds to the
// common algorithm.
#include "TranslatorFixture.h"

#include "settings/dmc/GDriverDMCConfig.h"
#include "settings/translators/BinderChoiceTranslator.h"
#include "settings/translators/BinderUnitTranslator.h"
#include "settings/translators/BookletPrintingChoiceTranslator.h"
#include "settings/translators/BookletTargetSizeTranslator.h"
#include "settings/translators/BundlesTranslator.h"
#include "settings/translators/CollationUnitTranslator.h"
#include "settings/translators/DryTimeTranslator.h"
#include "settings/translators/EdgeToEdgeTranslator.h"
#include "settings/translators/FoldingTranslator.h"
#include "settings/translators/IgnoreCollationChoiceTranslator.h"
#include "settings/translators/JobRetentionModeChoiceTranslator.h"
#include "settings/translators/ManualDuplexTranslator.h"
#include "settings/translators/MetChoiceTranslator.h"
#include "settings/translators/MonoChromeChoiceTranslator.h"
#include "settings/translators/NamedFeatureTranslator.h"
#include "settings/translators/PageOrderTranslator.h"
#include "settings/translators/PatternScalingChoiceTranslator.h"
#include "settings/translators/PrintQualityTranslator.h"
#include "settings/translators/PunchingTranslator.h"
#include "settings/translators/QZAutoDuplexScalingTranslator.h"
#include "settings/translators/QZEmulateTXMarginsTranslator.h"
#include "settings/translators/QZImageShiftTranslator.h"
#include "settings/translators/QZSymmetricalMarginsTranslator.h"
#include "settings/translators/RasterizationChoiceTranslator.h"
#include "settings/translators/ResolutionTranslator.h"
#include "settings/translators/RetChoiceTranslator.h"
#include "settings/translators/ScannerChoiceTranslator.h"
#include "settings/translators/StraightPaperPathTranslator.h"
#include "settings/translators/TTAsBitmapSettingTranslator.h"
#include "settings/translators/TransparencyInterleaveTranslator.h"
#include "settings/translators/Tray1Translator.h"
#include "settings/translators/UseDiffFirstPageChoiceTranslator.h"

#include <cstring>
#include <functional>
#include <memory>
#include <vector>
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

// The log lines starting with the prefix.
std::vector<std::wstring> Calls(DmcStandin& standin, const std::wstring& prefix)
{
    std::vector<std::wstring> calls;
    for (const std::wstring& line : standin.Log())
        if (line.compare(0, prefix.size(), prefix) == 0)
            calls.push_back(line);
    return calls;
}

// How many members of the change list carry the id.
int Records(GObjectBase* changes, long id)
{
    int n = 0;
    for (const auto& member : Members(changes))
        n += member.first == id;
    return n;
}

// The direct member of a composite with the id.
GObjectBase* Direct(GObjectBase* composite, long id)
{
    GObjectBase* found = nullptr;
    if (GObjectIterator* it = composite->CreateIterator()) {
        while (!found && it->Next())
            if (it->Current()->GetId() == id)
                found = it->Current();
        delete it;
    }
    return found;
}

// A settings root with job, document and device settings (manual duplex on and a duplex
// unit, so that the gated classes go on) and the lock list; the description's path is
// added with its leaf set to the value (a resolution leaf brings 324 and 325 along).
std::unique_ptr<GObjectBase> PathTree(const TranslatorDescription& d, uint16_t value)
{
    std::unique_ptr<GObjectBase> root(Group(360, {Group(362, {}), Group(364, {}),
                                                  Group(365, {Value(245, 3), Value(308, 1), Value(1004, 0)}),
                                                  Group(366, {Group(1102, {})})}));
    GObjectBase* node = root.get();
    for (int i = 0; i + 1 < d.idCount; ++i) {
        GObjectBase* next = Direct(node, long(d.idPath[i]));
        if (!next) {
            next = Group(long(d.idPath[i]), {});
            node->Add(next);
        }
        node = next;
    }
    const long leaf = long(d.idPath[d.idCount - 1]);
    if (GValueAttribute* held = GDriverObject::Feature<GValueAttribute>(node, leaf))
        held->SetValue(value);
    else
        node->Add(Value(leaf, value));
    if (leaf == FeatureId::kXResolution) {
        node->Add(Value(FeatureId::kYResolution, value));
        node->Add(Value(FeatureId::kResolutionBits, 0));
    }
    return root;
}

struct TableCase {
    const char* name;
    std::function<FeatureTranslator*(GDMCLibrary&, GDriverObject*)> make;
    const TranslatorDescription* description;
    std::vector<TranslatorOption> rows; // value = keyword, in stored order, written out as the table stands
};

template <class T>
std::function<FeatureTranslator*(GDMCLibrary&, GDriverObject*)> Plain()
{
    return [](GDMCLibrary& library, GDriverObject*) { return new T(library); };
}

class PrintingTables : public Suite {
protected:
    void CheckEveryRow(const TableCase& c)
    {
        const TranslatorDescription& d = *c.description;
        ASSERT_EQ(c.rows.size(), d.optionCount) << c.name;
        Driver driver;
        for (size_t row = 0; row < c.rows.size(); ++row) {
            const TranslatorOption& option = c.rows[row];
            const TranslatorOption* firstByKeyword = nullptr;
            const TranslatorOption* firstByValue = nullptr;
            for (const TranslatorOption& other : c.rows) {
                if (!firstByKeyword && std::wcscmp(other.keyword, option.keyword) == 0)
                    firstByKeyword = &other;
                if (!firstByValue && other.value == option.value)
                    firstByValue = &other;
            }
            Standin().Reset();
            std::unique_ptr<GObjectBase> tree = PathTree(d, 0xBEEF);
            Standin().SetFeature(d.featurePath, option.keyword);
            std::unique_ptr<FeatureTranslator> translator(c.make(Library(), &driver));
            EXPECT_EQ(1, translator->ToAttributes(tree.get(), nullptr)) << c.name << " row " << row + 1;
            EXPECT_EQ(firstByKeyword->value, ValueOf(tree.get(), long(d.idPath[d.idCount - 1])))
                << c.name << " row " << row + 1;

            tree = PathTree(d, option.value);
            EXPECT_EQ(1, translator->FromAttributes(tree.get())) << c.name << " row " << row + 1;
            EXPECT_EQ(std::wstring(firstByValue->keyword), Exported(Standin(), d.ExportPath()))
                << c.name << " row " << row + 1;
        }
    }
};

TEST_F(PrintingTables, TwentyTwoPrintingTablesEveryRowBothWays)
{
    const TableCase cases[] = {
        {"TransparencyInterleave", Plain<TransparencyInterleaveTranslator>(),
         &TransparencyInterleaveTranslator::kDescription,
         {{0, L"OFF"}, {1, L"BLANK"}, {2, L"PRINTED"}}},
        {"QZImageShift", Plain<QZImageShiftTranslator>(), &QZImageShiftTranslator::kDescription,
         {{1, L"Installed"}, {0, L"NotInstalled"}}},
        {"Folding", Plain<FoldingTranslator>(), &FoldingTranslator::kDescription,
         {{0, L"None"}, {1, L"TriFoldInward"}, {2, L"TriFoldOutward "}, {4, L"HalfFoldInward"},
          {5, L"HalfFoldOutward"}, {3, L"ZFold"}, {6, L"FoldAndStitch"}}},
        {"Punching", Plain<PunchingTranslator>(), &PunchingTranslator::kDescription,
         {{0, L"none"}, {1, L"Left"}, {2, L"Right"}, {3, L"Top"}}},
        {"QZAutoDuplexScaling", Plain<QZAutoDuplexScalingTranslator>(), &QZAutoDuplexScalingTranslator::kDescription,
         {{1, L"FALSE"}, {0, L"TRUE"}}},
        {"QZSymmetricalMargins", Plain<QZSymmetricalMarginsTranslator>(),
         &QZSymmetricalMarginsTranslator::kDescription,
         {{0, L"FALSE"}, {1, L"TRUE"}}},
        {"QZEmulateTXMargins", Plain<QZEmulateTXMarginsTranslator>(), &QZEmulateTXMarginsTranslator::kDescription,
         {{0, L"FALSE"}, {1, L"TRUE"}}},
        {"StraightPaperPath", Plain<StraightPaperPathTranslator>(), &StraightPaperPathTranslator::kDescription,
         {{0, L"OFF"}, {1, L"ON"}}},
        {"PageOrder", Plain<PageOrderTranslator>(), &PageOrderTranslator::kDescription,
         {{0, L"FrontToBack"}, {1, L"BackToFront"}}},
        {"IgnoreCollationChoice", Plain<IgnoreCollationChoiceTranslator>(),
         &IgnoreCollationChoiceTranslator::kDescription,
         {{0, L"OFF"}, {1, L"ON"}}},
        {"BinderChoice", Plain<BinderChoiceTranslator>(), &BinderChoiceTranslator::kDescription,
         {{0, L"DontBindThisJob"}, {1, L"BindThisJob"}, {3, L"BindStacker"}}},
        {"UseDiffFirstPageChoice",
         [](GDMCLibrary& library, GDriverObject* driver) {
             return new UseDiffFirstPageChoiceTranslator(library, driver);
         },
         &UseDiffFirstPageChoiceTranslator::kDescription,
         {{0, L"SameFirstPage"}, {1, L"DifferentFirstPage"}}},
        {"PatternScalingChoice", Plain<PatternScalingChoiceTranslator>(),
         &PatternScalingChoiceTranslator::kDescription,
         {{0, L"NeverScalePatterns"}, {1, L"AlwaysScalePatterns"}}},
        {"RetChoice", Plain<RetChoiceTranslator>(), &RetChoiceTranslator::kDescription,
         {{65535, L"NotSupported"}, {0, L"OFF"}, {1, L"Light"}, {2, L"Medium"}, {3, L"Dark"}, {4, L"ON"},
          {65535, L"MinValue"}, {4, L"MaxValue"}}},
        {"MetChoice", Plain<MetChoiceTranslator>(), &MetChoiceTranslator::kDescription,
         {{65535, L"NotSupported"}, {1, L"ON"}, {0, L"OFF"}, {2, L"PageProtOff"}, {3, L"PageProtLetter"},
          {4, L"PageProtLegal"}, {5, L"PageProtA4"}, {65535, L"MinValue"}, {5, L"MaxValue"}}},
        {"RasterizationChoice", Plain<RasterizationChoiceTranslator>(), &RasterizationChoiceTranslator::kDescription,
         {{0, L"RasterizationAuto"}, {1, L"RasterizationVector"}, {2, L"RasterizationGRaster"},
          {3, L"RasterizationRaster"}}},
        {"JobRetentionModeChoice", Plain<JobRetentionModeChoiceTranslator>(),
         &JobRetentionModeChoiceTranslator::kDescription,
         {{65535, L"NotSupported"}, {0, L"OFF"}, {1, L"QuickCopy"}, {2, L"ProofNHold"}, {3, L"StoreJob"},
          {4, L"PrivatePrint"}}},
        {"EdgeToEdge", Plain<EdgeToEdgeTranslator>(), &EdgeToEdgeTranslator::kDescription,
         {{65535, L"NotSupported"}, {2, L"Supported"}, {0, L"OFF"}, {1, L"ON"}}},
        {"Resolution", Plain<ResolutionTranslator>(), &ResolutionTranslator::kDescription,
         {{2, L"600dpi"}, {3, L"300dpi"}, {0, L"SOLVANE_1200"}, {1, L"MIRVEL_1200"}, {4, L"MIRVEL_1200_141"},
          {5, L"MIRVEL_1200_180"}, {6, L"MIRVEL_1200_212"}}},
        {"BookletTargetSize", Plain<BookletTargetSizeTranslator>(), &BookletTargetSizeTranslator::kDescription,
         {{1, L"LETTER"}, {21, L"11X17"}, {6, L"LEGAL"}, {23, L"A4"}, {22, L"A3"}, {39, L"B4_JIS"}, {40, L"B5_JIS"}}},
        {"TTAsBitmapSetting", Plain<TTAsBitmapSettingTranslator>(), &TTAsBitmapSettingTranslator::kDescription,
         {{0, L"TTModeOutline"}, {1, L"TTModeBitmap"}}},
        {"BookletPrintingChoice", Plain<BookletPrintingChoiceTranslator>(),
         &BookletPrintingChoiceTranslator::kDescription,
         {{0, L"OFF"}, {1, L"LeftEdge"}, {2, L"RightEdge"}}},
    };
    for (const TableCase& c : cases)
        CheckEveryRow(c);
}

TEST_F(PrintingTables, PhysicalTablesAndQualityRowsEveryRowBothWays)
{
    const TableCase cases[] = {
        {"ManualDuplex", Plain<ManualDuplexTranslator>(), &ManualDuplexTranslator::kDescription,
         {{0, L"Disabled"}, {3, L"Enabled"}}},
        {"Tray1", Plain<Tray1Translator>(), &Tray1Translator::kDescription,
         {{0, L"NotInstalled"}, {1, L"Installed"}}},
        {"MonoChromeChoice", Plain<MonoChromeChoiceTranslator>(), &MonoChromeChoiceTranslator::kDescription,
         {{0, L"OFF"}, {1, L"ON"}}},
        {"CollationUnit", Plain<CollationUnitTranslator>(), &CollationUnitTranslator::kDescription,
         {{0, L"FALSE"}, {1, L"TRUE"}}},
        {"ScannerChoice", Plain<ScannerChoiceTranslator>(), &ScannerChoiceTranslator::kDescription,
         {{0, L"NotInstalled"}, {1, L"Installed"}}},
        {"BinderUnit", Plain<BinderUnitTranslator>(), &BinderUnitTranslator::kDescription,
         {{0, L"NotInstalled"}, {1, L"Installed"}}},
        {"PrintQuality",
         [](GDMCLibrary& library, GDriverObject* driver) {
             return new PrintQualityTranslator(library, driver);
         },
         &PrintQualityTranslator::kDescription,
         {{65534, L"Fast"}, {65535, L"FastNormal"}, {0, L"Normal"}, {1, L"Best"}, {99, L"Custom"}}},
    };
    for (const TableCase& c : cases)
        CheckEveryRow(c);
}

TEST_F(PrintingTables, ExportPathsOfTheRenamedFeatures)
{
    EXPECT_STREQ(L"printing/PunchChoice", QZImageShiftTranslator::kDescription.ExportPath());
    EXPECT_STREQ(L"printing/BindChoice", BinderChoiceTranslator::kDescription.ExportPath());
    EXPECT_STREQ(L"physical/CollationUnitSetting", CollationUnitTranslator::kDescription.ExportPath());
    EXPECT_STREQ(L"physical/binderunit", BinderUnitTranslator::kDescription.ExportPath());
}

TEST_F(PrintingTables, DryTimeTenStepsBothWays)
{
    // The steps written out: the value 1 to 10 stands for -15 to 30 seconds in fives; 0
    // seconds (step 4) is the value the tree starts with, so importing it changes nothing.
    const struct {
        int number;
        uint16_t value;
    } steps[] = {{-15, 1}, {-10, 2}, {-5, 3}, {0, 4}, {5, 5}, {10, 6}, {15, 7}, {20, 8}, {25, 9}, {30, 10}};
    ASSERT_EQ(10u, sizeof DryTimeTranslator::kSteps / sizeof DryTimeTranslator::kSteps[0]);
    for (const auto& step : steps) {
        Standin().Reset();
        const std::wstring number = std::to_wstring(step.number);
        std::unique_ptr<GObjectBase> tree = PathTree(DryTimeTranslator::kDescription, 4);
        Standin().SetFeature(L"printing/DryTime", number.c_str());
        DryTimeTranslator translator(Library());
        const bool zero = step.value == DryTimeTranslator::kZeroStep;
        EXPECT_EQ(zero ? 0 : 1, translator.ToAttributes(tree.get(), nullptr)) << step.number;
        EXPECT_EQ(step.value, ValueOf(tree.get(), 1133)) << step.number;
        tree = PathTree(DryTimeTranslator::kDescription, step.value);
        EXPECT_EQ(1, translator.FromAttributes(tree.get()));
        EXPECT_EQ(number, Exported(Standin(), L"printing/DryTime"));
    }
}

class Printing : public Suite {};

TEST_F(Printing, TriFoldOutwardNeedsItsTrailingBlank)
{
    std::unique_ptr<GObjectBase> tree = PathTree(FoldingTranslator::kDescription, 0);
    Standin().SetFeature(L"printing/Folding", L"TriFoldOutward");
    FoldingTranslator translator(Library());
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(0, ValueOf(tree.get(), 1209));
    EXPECT_EQ(0, ValueOf(tree.get(), 1004));
    tree = PathTree(FoldingTranslator::kDescription, 2);
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"TriFoldOutward ", Exported(Standin(), L"printing/Folding"));
}

TEST_F(Printing, FoldingSetsTheUnitToThreeForAnyRowNoneIncluded)
{
    std::unique_ptr<GObjectBase> tree = PathTree(FoldingTranslator::kDescription, 5);
    std::unique_ptr<GAttributeComposite> changes(new GAttributeComposite(1101));
    Standin().SetFeature(L"printing/Folding", L"None");
    EXPECT_EQ(1, FoldingTranslator(Library()).ToAttributes(tree.get(), changes.get()));
    EXPECT_EQ(0, ValueOf(tree.get(), 1209));
    EXPECT_EQ(3, ValueOf(tree.get(), 1004));
    EXPECT_EQ(1, Records(changes.get(), 1209));
    EXPECT_EQ(0, Records(changes.get(), 1004));
}

TEST_F(Printing, RetChoiceExportsTheFirstKeywordOfEachValue)
{
    RetChoiceTranslator translator(Library());
    std::unique_ptr<GObjectBase> tree = PathTree(RetChoiceTranslator::kDescription, 65535);
    translator.FromAttributes(tree.get());
    EXPECT_EQ(L"NotSupported", Exported(Standin(), L"printing/RetChoice"));
    tree = PathTree(RetChoiceTranslator::kDescription, 4);
    translator.FromAttributes(tree.get());
    EXPECT_EQ(L"ON", Exported(Standin(), L"printing/RetChoice"));
    Standin().SetFeature(L"printing/RetChoice", L"MaxValue");
    tree = PathTree(RetChoiceTranslator::kDescription, 0);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(4, ValueOf(tree.get(), 250));
}

TEST_F(Printing, DryTimeTakesOnlyNonZeroSteps)
{
    const struct {
        const wchar_t* keyword;
        int result;
        int value;
    } cases[] = {
        {L"0", 0, 99}, {L"7", 0, 99}, {L"-15", 1, 1}, {L"30", 1, 10}, {L"+25", 1, 9}, {L"  -5", 1, 3},
        // The number is cut to 16 bits as the numeric routine cuts it: 65521 is -15.
        {L"65521", 1, 1},
        // Digit strings past the 32-bit range saturate instead of overflowing.
        {L"99999999999999999999", 0, 99}, {L"-99999999999999999999", 0, 99}, {L"", 0, 99}, {L"abc", 0, 99},
    };
    for (const auto& c : cases) {
        Standin().Reset();
        std::unique_ptr<GObjectBase> tree = PathTree(DryTimeTranslator::kDescription, 99);
        std::unique_ptr<GAttributeComposite> changes(new GAttributeComposite(1101));
        Standin().SetFeature(L"printing/DryTime", c.keyword);
        EXPECT_EQ(c.result, DryTimeTranslator(Library()).ToAttributes(tree.get(), changes.get())) << c.keyword;
        EXPECT_EQ(c.value, ValueOf(tree.get(), 1133)) << c.keyword;
        EXPECT_EQ(c.result, Records(changes.get(), 1133)) << c.keyword;
    }
}

TEST_F(Printing, DryTimeExportsZeroForUnlistedValuesAndAFailedExportAnswersZero)
{
    DryTimeTranslator translator(Library());
    for (uint16_t value : {0, 11, 65535}) {
        Standin().Reset();
        std::unique_ptr<GObjectBase> tree = PathTree(DryTimeTranslator::kDescription, value);
        EXPECT_EQ(1, translator.FromAttributes(tree.get()));
        EXPECT_EQ(L"0", Exported(Standin(), L"printing/DryTime")) << value;
    }
    Standin().Set(L"FailSetExport", L"printing/DryTime");
    std::unique_ptr<GObjectBase> tree = PathTree(DryTimeTranslator::kDescription, 10);
    EXPECT_EQ(0, translator.FromAttributes(tree.get()));
}

// A root for auto-duplex scaling: the device's manual duplex and duplex unit as given.
std::unique_ptr<GObjectBase> DuplexTree(int manual, int unit)
{
    GAttributeComposite* device = Group(365, {});
    if (manual >= 0)
        device->Add(Value(245, uint16_t(manual)));
    if (unit >= 0)
        device->Add(Value(308, uint16_t(unit)));
    return std::unique_ptr<GObjectBase>(Group(360, {Group(362, {Value(983, 7), Value(713, 0)}), device}));
}

TEST_F(Printing, AutoDuplexScalingAsksNothingWithoutAnyDuplex)
{
    const int cases[][2] = {{0, 0}, {-1, -1}, {0, 2}, {-1, 0}};
    for (const auto& c : cases) {
        Standin().Reset();
        std::unique_ptr<GObjectBase> tree = DuplexTree(c[0], c[1]);
        EXPECT_EQ(0, QZAutoDuplexScalingTranslator(Library()).ToAttributes(tree.get(), nullptr));
        EXPECT_TRUE(Standin().Log().empty()) << c[0] << "," << c[1];
        EXPECT_EQ(7, ValueOf(tree.get(), 983));
    }
}

TEST_F(Printing, AutoDuplexScalingOffTurnsSymmetricalMarginsOn)
{
    std::unique_ptr<GObjectBase> tree = DuplexTree(0, 1);
    std::unique_ptr<GAttributeComposite> changes(new GAttributeComposite(1101));
    Standin().SetFeature(L"printing/Duplex", L"TRUE");
    Standin().SetFeature(L"printing/Duplex/QZAutoDuplexScaling", L"FALSE");
    EXPECT_EQ(1, QZAutoDuplexScalingTranslator(Library()).ToAttributes(tree.get(), changes.get()));
    EXPECT_EQ(1, ValueOf(tree.get(), 983));
    EXPECT_EQ(1, ValueOf(tree.get(), 713));
    EXPECT_EQ(1, Records(changes.get(), 983));
    EXPECT_EQ(1, Records(changes.get(), 713));
    EXPECT_EQ((std::vector<std::wstring>{L"DMCSetContext printing/Duplex",
                                         L"DMCSetContext printing/Duplex/QZAutoDuplexScaling"}),
              Calls(Standin(), L"DMCSetContext"));
}

TEST_F(Printing, AutoDuplexScalingOnLeavesMarginsAlone)
{
    std::unique_ptr<GObjectBase> tree = DuplexTree(3, -1);
    Standin().SetFeature(L"printing/Duplex", L"TRUE");
    Standin().SetFeature(L"printing/Duplex/QZAutoDuplexScaling", L"TRUE");
    EXPECT_EQ(1, QZAutoDuplexScalingTranslator(Library()).ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(0, ValueOf(tree.get(), 983));
    EXPECT_EQ(0, ValueOf(tree.get(), 713));
}

TEST_F(Printing, AutoDuplexScalingWithDuplexOffReadsFalse)
{
    std::unique_ptr<GObjectBase> tree = DuplexTree(0, 1);
    Standin().SetFeature(L"printing/Duplex", L"FALSE");
    EXPECT_EQ(1, QZAutoDuplexScalingTranslator(Library()).ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(1, ValueOf(tree.get(), 983));
    EXPECT_EQ(1u, Calls(Standin(), L"DMCSetContext").size());
}

std::unique_ptr<GObjectBase> ResolutionTree(bool withBits)
{
    GAttributeComposite* node = Group(249, {Value(323, 600), Value(324, 600)});
    if (withBits)
        node->Add(Value(325, 9));
    return std::unique_ptr<GObjectBase>(Group(360, {Group(362, {node})}));
}

TEST_F(Printing, ResolutionSetsThePairAndTheBitDepth)
{
    const struct {
        const wchar_t* keyword;
        int code, bits;
    } cases[] = {{L"SOLVANE_1200", 0, 2}, {L"600dpi", 2, 1}, {L"MIRVEL_1200_212", 6, 1}};
    for (const auto& c : cases) {
        std::unique_ptr<GObjectBase> tree = ResolutionTree(true);
        Standin().SetFeature(L"printing/Resolution", c.keyword);
        std::unique_ptr<GAttributeComposite> changes(new GAttributeComposite(1101));
        EXPECT_EQ(1, ResolutionTranslator(Library()).ToAttributes(tree.get(), changes.get()));
        EXPECT_EQ(c.bits, ValueOf(tree.get(), 325)) << c.keyword;
        EXPECT_EQ(c.code, ValueOf(tree.get(), 323)) << c.keyword;
        EXPECT_EQ(c.code, ValueOf(tree.get(), 324)) << c.keyword;
        EXPECT_TRUE(Members(changes.get()).empty());
    }
}

TEST_F(Printing, ResolutionWithoutItsBitDepthMakesNoCall)
{
    std::unique_ptr<GObjectBase> tree = ResolutionTree(false);
    ResolutionTranslator translator(Library());
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(0, translator.FromAttributes(tree.get()));
    EXPECT_TRUE(Standin().Log().empty());
    EXPECT_EQ(600, ValueOf(tree.get(), 323));
}

TEST_F(Printing, BookletSetsNUpToOneInTheTreeAndTheRecordAlreadyListed)
{
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(362, {Value(279, 0), Value(266, 4)})}));
    std::unique_ptr<GAttributeComposite> changes(Group(1101, {Value(266, 4)}));
    Standin().SetFeature(L"printing/BookletPrintingChoice", L"LeftEdge");
    EXPECT_EQ(1, BookletPrintingChoiceTranslator(Library()).ToAttributes(tree.get(), changes.get()));
    EXPECT_EQ(1, ValueOf(tree.get(), 279));
    EXPECT_EQ(1, ValueOf(tree.get(), 266));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{266, 1}, {279, 1}}), Members(changes.get()));
}

TEST_F(Printing, BookletOffLeavesNUp)
{
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(362, {Value(279, 1), Value(266, 4)})}));
    Standin().SetFeature(L"printing/BookletPrintingChoice", L"OFF");
    EXPECT_EQ(1, BookletPrintingChoiceTranslator(Library()).ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(4, ValueOf(tree.get(), 266));
}

TEST_F(Printing, DifferentFirstPageRunsTheThreeSubFeaturesInOrder)
{
    Driver driver;
    std::unique_ptr<GObjectBase> tree = PathTree(UseDiffFirstPageChoiceTranslator::kDescription, 0);
    // The other pages' media and tray and the back cover.
    tree->FindById(364)->Add(Text(262, "Plain"));
    tree->FindById(364)->Add(Value(263, 0));
    tree->FindById(362)->Add(Value(920, 0));
    Standin().SetFeature(L"printing/UseDiffFirstPageChoice", L"DifferentFirstPage");
    UseDiffFirstPageChoiceTranslator(Library(), &driver).ToAttributes(tree.get(), nullptr);
    EXPECT_EQ((std::vector<std::wstring>{L"DMCSetContext printing/UseDiffFirstPageChoice",
                                         L"DMCSetContext printing/UseDiffFirstPageChoice/MediaTypeRest",
                                         L"DMCSetContext printing/UseDiffFirstPageChoice/InputBinRest",
                                         L"DMCSetContext printing/UseDiffFirstPageChoice/BackCoverChoice"}),
              Calls(Standin(), L"DMCSetContext printing/UseDiffFirstPageChoice"));

    Standin().Reset();
    Standin().SetFeature(L"printing/UseDiffFirstPageChoice", L"SameFirstPage");
    UseDiffFirstPageChoiceTranslator(Library(), &driver).ToAttributes(tree.get(), nullptr);
    EXPECT_EQ(1u, Calls(Standin(), L"DMCSetContext").size());
}

TEST_F(Printing, StraightPaperPathNeedsManualDuplex)
{
    for (int manual : {-1, 0, 3}) {
        Standin().Reset();
        GAttributeComposite* device = Group(365, {});
        if (manual >= 0)
            device->Add(Value(245, uint16_t(manual)));
        std::unique_ptr<GObjectBase> tree(Group(360, {Group(362, {Value(905, 0)}), device}));
        Standin().SetFeature(L"printing/StraightPaperPath", L"ON");
        EXPECT_EQ(manual == 3 ? 1 : 0, StraightPaperPathTranslator(Library()).ToAttributes(tree.get(), nullptr));
        EXPECT_EQ(manual == 3 ? 1 : 0, ValueOf(tree.get(), 905));
        if (manual != 3) {
            EXPECT_TRUE(Standin().Log().empty());
        }
    }
}

TEST_F(Printing, MarginsReadTheKeywordBeforeLookingForTheAttribute)
{
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(362, {})}));
    EXPECT_EQ(0, QZSymmetricalMarginsTranslator(Library()).ToAttributes(tree.get(), nullptr));
    EXPECT_EQ((std::vector<std::wstring>{L"DMCSetContext printing/QZSymmetricalMargins", L"DMCGet -"}),
              Standin().Log());
}

// A tree for the presets: every destination of the map under 362 and 364.
std::unique_ptr<GObjectBase> QualityTree()
{
    return std::unique_ptr<GObjectBase>(
        Group(360, {Group(362, {Value(250, 0), Value(277, 0), Value(442, 0), Value(251, 0), Value(245, 0),
                                Value(405, 0), Value(703, 0), Value(911, 0),
                                Group(249, {Value(323, 9), Value(324, 9), Value(325, 9)})}),
                    Group(364, {Value(255, 0), Value(293, 0), Value(585, 0), Value(582, 0), Value(583, 0),
                                Value(584, 0), Value(900, 0), Value(910, 0)})}));
}

// A preset: each source holds value, 593 as given (absent when negative), the resolution
// members 223 to 225 as 2, 2, 1.
GAttributeComposite* Preset(long id, uint16_t value, int colour)
{
    GAttributeComposite* preset = Group(id, {});
    for (long source : {218, 221, 443, 219, 242, 220, 589, 586, 587, 588, 402, 409, 705, 404, 913, 912})
        preset->Add(Value(source, source == 220 || source == 589 ? 0 : value));
    if (colour >= 0)
        preset->Add(Value(593, uint16_t(colour)));
    preset->Add(Group(222, {Value(223, 2), Value(224, 2), Value(225, 1)}));
    return preset;
}

class Quality : public Suite {};

TEST_F(Quality, SimpleModeStoresTheValueWithANewRecord)
{
    Driver driver;
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(362, {Value(901, 0)})}));
    std::unique_ptr<GAttributeComposite> changes(new GAttributeComposite(1101));
    Standin().SetFeature(L"printing/PrintQuality", L"FastNormal");
    PrintQualityTranslator translator(Library(), &driver);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), changes.get()));
    EXPECT_EQ(65535, ValueOf(tree.get(), 901));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{901, 65535}}), Members(changes.get()));
    static_cast<GValueAttribute*>(tree->FindById(901))->SetValue(99);
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"Custom", Exported(Standin(), L"printing/PrintQuality"));
}

TEST_F(Quality, BestCopiesEveryRowWhoseSidesExistOnceEach)
{
    for (int colour : {-1, 0, 1}) {
        Standin().Reset();
        Driver driver;
        driver.GetPrinterConfiguration()->Add(Preset(326, 5, colour));
        std::unique_ptr<GObjectBase> tree = QualityTree();
        std::unique_ptr<GAttributeComposite> changes(new GAttributeComposite(1101));
        Standin().SetFeature(L"printing/PrintQuality", L"Best");
        EXPECT_EQ(1, PrintQualityTranslator(Library(), &driver).ToAttributes(tree.get(), changes.get()));
        const bool colourRows = colour > 0;
        for (long id : {250, 277, 442, 251, 245, 405, 703, 911, 255, 900, 910}) {
            EXPECT_EQ(5, ValueOf(tree.get(), id)) << id;
            EXPECT_EQ(1, Records(changes.get(), id)) << id;
        }
        for (long id : {582, 583, 584}) {
            EXPECT_EQ(colourRows ? 5 : 0, ValueOf(tree.get(), id)) << id << " colour " << colour;
            EXPECT_EQ(colourRows ? 1 : 0, Records(changes.get(), id)) << id;
        }
        EXPECT_EQ(2, ValueOf(tree.get(), 323));
        EXPECT_EQ(2, ValueOf(tree.get(), 324));
        EXPECT_EQ(1, ValueOf(tree.get(), 325));
        for (long id : {323, 324, 325})
            EXPECT_EQ(1, Records(changes.get(), id)) << id;
        // The configuration's own text-as-black and TrueType features are read again.
        const std::vector<std::wstring> contexts = Calls(Standin(), L"DMCSetContext");
        EXPECT_EQ((std::vector<std::wstring>{L"DMCSetContext printing/TextAsBlack",
                                             L"DMCSetContext printing/TTAsBitmapSetting"}),
                  contexts);
    }
}

TEST_F(Quality, ResolutionRowPairsMemberByMember)
{
    Driver driver;
    GAttributeComposite* preset = Preset(326, 5, 0);
    GAttributeComposite* pair = static_cast<GAttributeComposite*>(preset->FindById(222));
    delete pair->RemoveById(224);
    driver.GetPrinterConfiguration()->Add(preset);
    std::unique_ptr<GObjectBase> tree = QualityTree();
    std::unique_ptr<GAttributeComposite> changes(new GAttributeComposite(1101));
    Standin().SetFeature(L"printing/PrintQuality", L"Best");
    PrintQualityTranslator(Library(), &driver).ToAttributes(tree.get(), changes.get());
    EXPECT_EQ(2, ValueOf(tree.get(), 323));
    EXPECT_EQ(9, ValueOf(tree.get(), 324));
    EXPECT_EQ(1, ValueOf(tree.get(), 325));
    EXPECT_EQ(0, Records(changes.get(), 324));
}

TEST_F(Quality, FastRunsOnlyTheTwoSubTranslators)
{
    Driver driver;
    driver.GetPrinterConfiguration()->Add(Preset(326, 5, 1));
    driver.GetPrinterConfiguration()->Add(Preset(327, 6, 1));
    std::unique_ptr<GObjectBase> tree = QualityTree();
    Standin().SetFeature(L"printing/PrintQuality", L"Fast");
    PrintQualityTranslator(Library(), &driver).ToAttributes(tree.get(), nullptr);
    EXPECT_EQ(0, ValueOf(tree.get(), 250));
    EXPECT_EQ(9, ValueOf(tree.get(), 323));
    EXPECT_EQ((std::vector<std::wstring>{L"DMCGet printing/PrintQuality", L"DMCSetContext printing/TextAsBlack",
                                         L"DMCGet -", L"DMCSetContext printing/TTAsBitmapSetting", L"DMCGet -"}),
              Standin().Log());
}

TEST_F(Quality, AnAnswerOtherThanOneImportsNothing)
{
    Driver driver;
    driver.GetPrinterConfiguration()->Add(Preset(326, 5, 1));
    std::unique_ptr<GObjectBase> tree = QualityTree();
    Standin().SetFeature(L"printing/PrintQuality", L"Best");
    Standin().Set(L"AnswerTwo", L"DMCGet");
    PrintQualityTranslator(Library(), &driver).ToAttributes(tree.get(), nullptr);
    EXPECT_EQ(0, ValueOf(tree.get(), 250));
    EXPECT_EQ(9, ValueOf(tree.get(), 323));
}

TEST_F(Quality, ExportNamesThePresetTheSettingsEqual)
{
    Driver driver;
    driver.GetPrinterConfiguration()->Add(Preset(326, 5, 1));
    driver.GetPrinterConfiguration()->Add(Preset(327, 0, 0));
    PrintQualityTranslator translator(Library(), &driver);
    std::unique_ptr<GObjectBase> tree = QualityTree();
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"Custom", Exported(Standin(), L"printing/PrintQuality"));

    // Normal: every compared value 0 and the resolution 2, 2, 1; 582 differs from the
    // "Best" preset but is not compared for "Normal" (593 is 0 there).
    GObjectBase* node = tree->FindById(249);
    static_cast<GValueAttribute*>(node->FindById(323))->SetValue(2);
    static_cast<GValueAttribute*>(node->FindById(324))->SetValue(2);
    static_cast<GValueAttribute*>(node->FindById(325))->SetValue(1);
    static_cast<GValueAttribute*>(tree->FindById(582))->SetValue(7);
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"Normal", Exported(Standin(), L"printing/PrintQuality"));

    Driver withoutBest;
    withoutBest.GetPrinterConfiguration()->Add(Preset(327, 0, 0));
    EXPECT_EQ(1, PrintQualityTranslator(Library(), &withoutBest).FromAttributes(tree.get()));
    EXPECT_EQ(L"Best", Exported(Standin(), L"printing/PrintQuality"));
}

class Physical : public Suite {};

TEST_F(Physical, ManualDuplexEnabledIsThreeAndOneExportsNothing)
{
    ManualDuplexTranslator translator(Library());
    std::unique_ptr<GObjectBase> tree = PathTree(ManualDuplexTranslator::kDescription, 0);
    Standin().SetFeature(L"physical/ManualDuplex", L"Enabled");
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(3, ValueOf(tree.get(), 245));
    tree = PathTree(ManualDuplexTranslator::kDescription, 1);
    EXPECT_EQ(0, translator.FromAttributes(tree.get()));
    EXPECT_TRUE(Calls(Standin(), L"DMCSetExport").empty());
}

TEST_F(Physical, Tray1SetsItsSourceAfterAnyAcceptedContext)
{
    const struct {
        const wchar_t* keyword;
        uint16_t before;
        int result, installed, source;
    } cases[] = {{L"Installed", 0, 1, 1, 8}, {L"NotInstalled", 1, 1, 0, 7}, {L"Maybe", 1, 0, 1, 8},
                 {L"Maybe", 0, 0, 0, 7}};
    for (const auto& c : cases) {
        Standin().Reset();
        std::unique_ptr<GObjectBase> tree(Group(360, {Group(365, {Value(974, c.before), Value(274, 0)})}));
        std::unique_ptr<GAttributeComposite> changes(new GAttributeComposite(1101));
        Standin().SetFeature(L"physical/Tray1", c.keyword);
        EXPECT_EQ(c.result, Tray1Translator(Library()).ToAttributes(tree.get(), changes.get())) << c.keyword;
        EXPECT_EQ(c.installed, ValueOf(tree.get(), 974)) << c.keyword;
        EXPECT_EQ(c.source, ValueOf(tree.get(), 274)) << c.keyword;
        EXPECT_TRUE(Members(changes.get()).empty());
    }
    Standin().Reset();
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(365, {Value(974, 1), Value(274, 0)})}));
    Standin().Set(L"RefuseContext", L"physical/Tray1");
    EXPECT_EQ(0, Tray1Translator(Library()).ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(0, ValueOf(tree.get(), 274));
}

// A driver whose configuration lists accessory names under 228 / 1208.
void AddAccessories(Driver& driver, std::initializer_list<std::pair<uint16_t, const char*>> names)
{
    GObjectBase* root = driver.GetPrinterConfiguration()->FindById(228);
    GAttributeComposite* options = Group(1208, {});
    for (const auto& name : names)
        options->Add(Group(0, {Value(1207, name.first), Text(1206, name.second)}));
    root->Add(options);
}

TEST_F(Physical, NamedFeatureAsValue)
{
    Driver driver;
    AddAccessories(driver, {{1205, "QZ-PI5900"}, {1203, "QZ-PU5900"}, {1205, "QZ-PI5910"}});
    NamedFeatureTranslator translator(Library(), L"QZPostInsertionKit", &driver);
    ASSERT_EQ(1205u, translator.AttributeId());
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(365, {Value(1205, 1)})}));
    std::unique_ptr<GAttributeComposite> changes(new GAttributeComposite(1101));
    Standin().SetFeature(L"physical/QZPostInsertionKit", L"None");
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), changes.get()));
    EXPECT_EQ(0, ValueOf(tree.get(), 1205));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{1205, 0}}), Members(changes.get()));
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"none", Exported(Standin(), L"physical/QZPostInsertionKit"));

    for (const wchar_t* keyword : {L"Installed", L"", L"none"}) {
        Standin().Reset();
        Standin().SetFeature(L"physical/QZPostInsertionKit", keyword);
        EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
        EXPECT_EQ(1, ValueOf(tree.get(), 1205)) << keyword;
    }
    Standin().Reset();
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ((std::vector<std::wstring>{L"DMCSetExport physical/QZPostInsertionKit QZ-PI5900",
                                         L"DMCSetExport physical/QZPostInsertionKit QZ-PI5910"}),
              Calls(Standin(), L"DMCSetExport"));
}

TEST_F(Physical, NamedFeatureInstalledWithoutAConfiguredNameExportsNothingAndAnswersZero)
{
    Driver driver;
    AddAccessories(driver, {{1205, "QZ-PI5900"}});
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(365, {Value(1203, 1)})}));
    EXPECT_EQ(0, NamedFeatureTranslator(Library(), L"QZPunchUnitType", &driver).FromAttributes(tree.get()));
    Driver bare;
    EXPECT_EQ(0, NamedFeatureTranslator(Library(), L"QZPunchUnitType", &bare).FromAttributes(tree.get()));
    EXPECT_TRUE(Calls(Standin(), L"DMCSetExport").empty());
}

TEST_F(Physical, NamedFeatureAsString)
{
    Driver driver;
    NamedFeatureTranslator translator(Library(), L"QZPunchUnitType", &driver);
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(365, {Text(1203, "old")})}));
    Standin().SetFeature(L"physical/QZPunchUnitType", L"QZ-PU5900");
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_STREQ("QZ-PU5900", static_cast<GStringAttribute*>(tree->FindById(1203))->GetString().Data());
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"QZ-PU5900", Exported(Standin(), L"physical/QZPunchUnitType"));
    Standin().SetFeature(L"physical/QZPunchUnitType", L"None");
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_STREQ("", static_cast<GStringAttribute*>(tree->FindById(1203))->GetString().Data());
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"none", Exported(Standin(), L"physical/QZPunchUnitType"));
}

// The names pass 128-byte narrow buffers: a longer one is cut at 127 bytes both ways
// instead of running past the buffer.
TEST_F(Physical, NamedFeatureLongNamesAreCutAt127BytesBothWays)
{
    Driver driver;
    NamedFeatureTranslator translator(Library(), L"QZPunchUnitType", &driver);
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(365, {Text(1203, "")})}));
    Standin().SetFeature(L"physical/QZPunchUnitType", L"x");
    Standin().Set(L"LongKeyword", L"physical/QZPunchUnitType");
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    const RWCString& stored = static_cast<GStringAttribute*>(tree->FindById(1203))->GetString();
    EXPECT_EQ(127u, stored.Length());
    EXPECT_EQ('A', stored.Data()[0]);

    for (size_t length : {126u, 127u, 128u, 300u}) {
        Standin().Reset();
        const std::string name(length, 'N');
        std::unique_ptr<GObjectBase> longName(Group(360, {Group(365, {Text(1203, name.c_str())})}));
        EXPECT_EQ(1, translator.FromAttributes(longName.get()));
        EXPECT_EQ(std::wstring(length < 127 ? length : 127, L'N'), Exported(Standin(), L"physical/QZPunchUnitType"))
            << length;
    }
    Driver listed;
    const std::string name(300, 'M');
    AddAccessories(listed, {{1203, name.c_str()}});
    std::unique_ptr<GObjectBase> installed(Group(360, {Group(365, {Value(1203, 1)})}));
    EXPECT_EQ(1, NamedFeatureTranslator(Library(), L"QZPunchUnitType", &listed).FromAttributes(installed.get()));
    EXPECT_EQ(std::wstring(127, L'M'), Exported(Standin(), L"physical/QZPunchUnitType"));
}

TEST_F(Physical, NamedFeatureOfAnotherClassOrKeyDoesNothing)
{
    Driver driver;
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(365, {Group(1205, {})})}));
    Standin().SetFeature(L"physical/QZPostInsertionKit", L"Installed");
    EXPECT_EQ(0, NamedFeatureTranslator(Library(), L"QZPostInsertionKit", &driver).ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(0, NamedFeatureTranslator(Library(), L"QZPostInsertionKit", &driver).FromAttributes(tree.get()));
    NamedFeatureTranslator unknown(Library(), L"qzpostinsertionkit", &driver);
    EXPECT_EQ(0u, unknown.AttributeId());
    EXPECT_EQ(0, unknown.ToAttributes(tree.get(), nullptr));
}

// A driver whose named list 369 holds a bundle: index, name and settings for 365.
void AddBundle(Driver& driver, uint16_t index, const char* name, std::initializer_list<GObjectBase*> device)
{
    GConfiguration* configuration = driver.GetPrinterConfiguration();
    GObjectBase* list = configuration->FindById(369);
    if (!list) {
        list = Group(369, {});
        configuration->Add(list);
    }
    GAttributeComposite* settings = Group(365, device);
    list->Add(Group(0, {Value(927, index), Text(370, name), Group(360, {settings})}));
}

TEST_F(Physical, BundleTableHoldsOneHundredEightDistinctNames)
{
    ASSERT_EQ(108u, sizeof BundlesTranslator::kBundles / sizeof BundlesTranslator::kBundles[0]);
    bool named = false;
    for (size_t i = 0; i < 108; ++i) {
        const BundleName& row = BundlesTranslator::kBundles[i];
        ASSERT_EQ(std::strlen(row.narrow), std::wcslen(row.wide)) << i;
        for (size_t c = 0; row.narrow[c]; ++c)
            EXPECT_EQ(wchar_t(row.narrow[c]), row.wide[c]) << i;
        for (size_t j = i + 1; j < 108; ++j)
            EXPECT_STRNE(row.narrow, BundlesTranslator::kBundles[j].narrow);
        named = named || std::strcmp(row.narrow, "QZColourLaser") == 0;
    }
    EXPECT_TRUE(named);
}

// Assigning a bundle's settings to the tree through the list appends copies behind the
// members already held, where a lookup by id never finds them.
TEST_F(Physical, ListAssignmentAloneLeavesTheTreesAnswersUnchanged)
{
    Driver driver;
    AddBundle(driver, 5, "QZColourLaser", {Value(927, 5), Value(308, 1)});
    std::unique_ptr<GAttributeComposite> tree(Group(360, {Group(365, {Value(927, 0), Value(308, 0)})}));
    EXPECT_EQ(1, driver.SelectFromList(L"QZColourLaser", tree.get()));
    EXPECT_EQ(0, ValueOf(tree.get(), 308));
}

TEST_F(Physical, MatchedBundleReplacesTheTreesMembersOfTheSameId)
{
    Driver driver;
    AddBundle(driver, 5, "qzcolourlaser", {Value(927, 5), Value(308, 1), Value(974, 1)});
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(365, {Value(927, 0), Value(308, 0)}), Group(362, {})}));
    Standin().SetFeature(L"physical/Bundles", L"QZColourLaser");
    EXPECT_EQ(1, BundlesTranslator(Library(), &driver).ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(5, ValueOf(tree.get(), 927));
    EXPECT_EQ(1, ValueOf(tree.get(), 308));
    EXPECT_EQ(1, ValueOf(tree.get(), 974));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{927, 5}, {308, 1}, {974, 1}}), Members(tree->FindById(365)));
    EXPECT_EQ(2u, Members(tree.get()).size());
}

TEST_F(Physical, BundleKeywordDifferingInCaseMatchesNothing)
{
    Driver driver;
    AddBundle(driver, 5, "QZColourLaser", {Value(308, 1)});
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(365, {Value(308, 0)})}));
    Standin().SetFeature(L"physical/Bundles", L"qzcolourlaser");
    EXPECT_EQ(0, BundlesTranslator(Library(), &driver).ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(0, ValueOf(tree.get(), 308));
    Standin().Set(L"RefuseContext", L"physical/Bundles");
    Standin().SetFeature(L"physical/Bundles", L"QZColourLaser");
    EXPECT_EQ(0, BundlesTranslator(Library(), &driver).ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(0, ValueOf(tree.get(), 308));
}

TEST_F(Physical, BundleExportGoesFromTheIndexThroughTheListToTheRow)
{
    Driver driver;
    AddBundle(driver, 4, "QZColourLaser 3700", {});
    AddBundle(driver, 5, "QZColourLaser 9500 xt", {});
    AddBundle(driver, 6, "Not a model of ours", {});
    AddBundle(driver, 5, "QZColourLaser", {});
    BundlesTranslator translator(Library(), &driver);
    const struct {
        int index;
        int result;
        const wchar_t* exported;
    } cases[] = {{5, 1, L"QZColourLaser 9500 xt"}, {4, 1, L"QZColourLaser 3700"}, {6, 0, L"<none>"},
                 {7, 0, L"<none>"}, {-1, 0, L"<none>"}};
    for (const auto& c : cases) {
        Standin().Reset();
        std::unique_ptr<GObjectBase> tree(Group(360, {Group(365, {})}));
        if (c.index >= 0)
            tree->FindById(365)->Add(Value(927, uint16_t(c.index)));
        EXPECT_EQ(c.result, translator.FromAttributes(tree.get())) << c.index;
        EXPECT_EQ(c.exported, Exported(Standin(), L"physical/Bundles")) << c.index;
    }
    Driver bare;
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(365, {Value(927, 5)})}));
    EXPECT_EQ(0, BundlesTranslator(Library(), &bare).FromAttributes(tree.get()));
}

TEST_F(Physical, FactoryMakesEveryClassOfThisGroup)
{
    const wchar_t* const keys[] = {
        L"TransparencyInterleave", L"QZImageShift", L"Folding", L"Punching", L"QZAutoDuplexScaling",
        L"QZSymmetricalMargins", L"QZEmulateTXMargins", L"DryTime", L"StraightPaperPath", L"PageOrder",
        L"IgnoreCollationChoice", L"BinderChoice", L"UseDiffFirstPageChoice", L"PatternScalingChoice",
        L"RetChoice", L"MetChoice", L"RasterizationChoice", L"JobRetentionModeChoice", L"EdgeToEdge",
        L"Resolution", L"BookletTargetSize", L"TTAsBitmapSetting", L"BookletPrintingChoice", L"PrintQuality",
        L"ManualDuplex", L"Tray1", L"MonoChromeChoice", L"CollationUnit", L"ScannerChoice", L"BinderUnit",
        L"QZPostInsertionKit", L"QZPunchUnitType"};
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(362, {})}));
    Driver driver;
    GDriverDMCConfig config(tree.get(), &driver);
    for (size_t i = 0; i < sizeof keys / sizeof keys[0]; ++i) {
        std::unique_ptr<FeatureTranslator> made(config.MapFeatureKeys(keys[i]));
        EXPECT_NE(nullptr, made) << "key " << i;
    }
    std::unique_ptr<FeatureTranslator> named(config.MapFeatureKeys(L"QZPunchUnitType"));
    EXPECT_EQ(1203u, static_cast<NamedFeatureTranslator*>(named.get())->AttributeId());
    ASSERT_NE(nullptr, GDMCConfig::bundlesMaker);
    std::unique_ptr<FeatureTranslator> bundles(GDMCConfig::bundlesMaker(config, L"Bundles"));
    EXPECT_NE(nullptr, dynamic_cast<BundlesTranslator*>(bundles.get()));
}

} // namespace
