#include "TranslatorFixture.h"

#include "model/GRangeAttribute.h"
#include "settings/dmc/FeatureTranslator.h"
#include "settings/dmc/GDriverDMCConfig.h"
#include "settings/translators/FeatureKeys.h"
#include "settings/translators/AccessoryOutputBinsTranslator.h"
#include "settings/translators/CopiesTranslator.h"
#include "settings/translators/DeviceIsZadidiTranslator.h"
#include "settings/translators/DriverWorkSpaceSettingTranslator.h"
#include "settings/translators/DuplexTranslator.h"
#include "settings/translators/DuplexUnitTranslator.h"
#include "settings/translators/EconoModeTranslator.h"
#include "settings/translators/EnvFeederTranslator.h"
#include "settings/translators/FitToOtherSizeChoiceTranslator.h"
#include "settings/translators/InputBinTranslator.h"
#include "settings/translators/JobRetentionAvailableTranslator.h"
#include "settings/translators/JobRetentionTranslator.h"
#include "settings/translators/MediaTypeTranslator.h"
#include "settings/translators/MemoryTranslator.h"
#include "settings/translators/NUpChoiceTranslator.h"
#include "settings/translators/OptionalPaperSourcesTranslator.h"
#include "settings/translators/OrientationTranslator.h"
#include "settings/translators/OutputBinTranslator.h"
#include "settings/translators/PaperSizeTranslator.h"
#include "settings/translators/PrintColorAsGrayTranslator.h"
#include "settings/translators/PrinterHardDiskTranslator.h"
#include "settings/translators/QZChromafitTranslator.h"
#include "settings/translators/RGBColorTranslator.h"
#include "settings/translators/ScaleChoiceTranslator.h"
#include "settings/translators/ScaleFromLargePaperTranslator.h"
#include "settings/translators/ScalePageChoiceTranslator.h"
#include "settings/translators/StaplerChoiceTranslator.h"
#include "settings/translators/StaplingPositionTranslator.h"
#include "settings/translators/StaplingTranslator.h"
#include "settings/translators/TextAsBlackTranslator.h"
#include "settings/translators/WatermarksTranslator.h"

#include <cstring>
#include <memory>

using namespace TranslatorTest;

namespace {

const long kGroup = 362;
const long kLeaf = 5000;
const uint32_t kIdPath[] = {362, 5000};
const wchar_t kPath[] = L"printing/TestFeature";
const wchar_t kLong31[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZABCDE";

// Three rows: "Best" twice (the first row wins the import), 2 twice (the first row
// wins the export).
const TranslatorOption kRows[] = {{1, L"Best"}, {2, L"Normal"}, {2, L"Best"}};
const TranslatorOption kLongRows[] = {{7, kLong31}};

constexpr TranslatorDescription Describe(TranslatorRecord record, TranslatorLock lock, uint16_t chars = 255,
                                         bool scansOn = false)
{
    return TranslatorDescription{kPath, nullptr, kIdPath, 2, record, chars, lock, 4000, scansOn, kRows, 3, false};
}
const TranslatorDescription kCopyOne = Describe(TranslatorRecord::kCopy, TranslatorLock::kExactlyOne);
const TranslatorDescription kNewNonZero = Describe(TranslatorRecord::kNew, TranslatorLock::kNonZero);
const TranslatorDescription kCopyAlways = Describe(TranslatorRecord::kCopyAlways, TranslatorLock::kNone);
const TranslatorDescription kNoRecord = Describe(TranslatorRecord::kNone, TranslatorLock::kNone);
const TranslatorDescription kScansOn = Describe(TranslatorRecord::kCopy, TranslatorLock::kNone, 255, true);
const TranslatorDescription kShort = {kPath, nullptr, kIdPath, 2, TranslatorRecord::kCopy, 32,
                                      TranslatorLock::kNone, 0, false, kLongRows, 1, false};

class TestTranslator : public DescribedTranslator {
public:
    using DescribedTranslator::DescribedTranslator;
};

// A numeric feature over the same attribute: taken from 1 to 500.
class TestNumber : public FeatureTranslator {
public:
    using FeatureTranslator::FeatureTranslator;
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override
    {
        return ImportNumeric(kCopyOne, settings, changes, [](int16_t v) { return v >= 1 && v <= 500; });
    }
    int32_t FromAttributes(GObjectBase* settings) override { return ExportNumeric(kCopyOne, settings); }
};

std::unique_ptr<GObjectBase> Tree(GObjectBase* leaf = Value(kLeaf, 9))
{
    return std::unique_ptr<GObjectBase>(
        Group(360, {Group(kGroup, {leaf}), Group(366, {Group(1102, {})})}));
}

class FeatureTranslatorBase : public Suite {
protected:
    int32_t Import(const TranslatorDescription& description, const wchar_t* keyword)
    {
        Standin().SetFeature(kPath, keyword);
        TestTranslator translator(Library(), description);
        return translator.ToAttributes(tree.get(), &changes);
    }
    std::unique_ptr<GObjectBase> tree = Tree();
    GAttributeComposite changes{1101};
};

TEST_F(FeatureTranslatorBase, KeywordDifferingInCaseLeavesTheValue)
{
    EXPECT_EQ(0, Import(kCopyOne, L"best"));
    EXPECT_EQ(9, ValueOf(tree.get(), kLeaf));
    EXPECT_TRUE(Members(&changes).empty());
}

TEST_F(FeatureTranslatorBase, FirstRowWinsTheImport)
{
    EXPECT_EQ(1, Import(kCopyOne, L"Best"));
    EXPECT_EQ(1, ValueOf(tree.get(), kLeaf));
}

TEST_F(FeatureTranslatorBase, FirstRowWinsTheExport)
{
    GDriverObject::Feature<GValueAttribute>(tree.get(), kLeaf)->SetValue(2);
    TestTranslator translator(Library(), kCopyOne);
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(std::vector<std::wstring>{L"printing/TestFeature=Normal"}, Standin().Exports(L""));
}

TEST_F(FeatureTranslatorBase, AValueNoRowHoldsExportsNothing)
{
    TestTranslator translator(Library(), kCopyOne);
    EXPECT_EQ(0, translator.FromAttributes(tree.get()));
    EXPECT_TRUE(Standin().Exports(L"").empty());
}

TEST_F(FeatureTranslatorBase, RefusedExportScansOnOnlyWhereTheClassSaysSo)
{
    GDriverObject::Feature<GValueAttribute>(tree.get(), kLeaf)->SetValue(2);
    Standin().Set(L"FailSetExport", kPath);
    TestTranslator plain(Library(), kCopyOne);
    EXPECT_EQ(1, plain.FromAttributes(tree.get()));
    TestTranslator scanning(Library(), kScansOn);
    EXPECT_EQ(0, scanning.FromAttributes(tree.get()));
    int tries = 0;
    for (const std::wstring& line : Standin().Log())
        tries += line.rfind(L"DMCSetExport", 0) == 0;
    EXPECT_EQ(3, tries); // one for the plain class, both rows holding 2 for the scanning one
}

TEST_F(FeatureTranslatorBase, ShortBufferTakesALongAnswerCutAndNothingBeyond)
{
    Standin().Set(L"LongKeyword", kPath);
    EXPECT_EQ(1, Import(kShort, L"ignored"));
    EXPECT_EQ(7, ValueOf(tree.get(), kLeaf));
}

TEST_F(FeatureTranslatorBase, LockTextTRUEAndtrueLockButTrueDoesNot)
{
    const struct {
        const wchar_t* text;
        std::vector<int> locks;
    } cases[] = {{L"TRUE", {4000}}, {L"true", {4000}}, {L"True", {}}, {L"FALSE", {}}};
    for (const auto& c : cases) {
        tree = Tree();
        Standin().SetFeature(L"printing/TestFeature@lock", c.text);
        Import(kCopyOne, L"Normal");
        EXPECT_EQ(c.locks, Locks(tree.get())) << c.text;
    }
}

TEST_F(FeatureTranslatorBase, LockDoesNotDependOnAMatch)
{
    Standin().SetFeature(L"printing/TestFeature@lock", L"TRUE");
    EXPECT_EQ(0, Import(kCopyOne, L"Unknown"));
    EXPECT_EQ(std::vector<int>{4000}, Locks(tree.get()));
}

TEST_F(FeatureTranslatorBase, AnswerTwoLocksOnlyTheNonZeroKind)
{
    Standin().SetFeature(L"printing/TestFeature@lock", L"TRUE");
    Standin().Set(L"AnswerTwo", L"DMCGetNamedFeatureAttribute");
    Import(kCopyOne, L"Best");
    EXPECT_TRUE(Locks(tree.get()).empty());
    Import(kNewNonZero, L"Best");
    EXPECT_EQ(std::vector<int>{4000}, Locks(tree.get()));
}

TEST_F(FeatureTranslatorBase, SecondImportAddsNoSecondLock)
{
    Standin().SetFeature(L"printing/TestFeature@lock", L"TRUE");
    Import(kCopyOne, L"Best");
    Import(kCopyOne, L"Best");
    EXPECT_EQ(std::vector<int>{4000}, Locks(tree.get()));
}

TEST_F(FeatureTranslatorBase, MissingIdPathMakesNoLibraryCall)
{
    tree.reset(Group(360, {Group(366, {Group(1102, {})})}));
    EXPECT_EQ(0, Import(kCopyOne, L"Best"));
    EXPECT_TRUE(Standin().Log().empty());
}

TEST_F(FeatureTranslatorBase, WrongClassOnThePathCountsAsMissing)
{
    tree = Tree(Text(kLeaf, "Best"));
    EXPECT_EQ(0, Import(kCopyOne, L"Best"));
    tree.reset(Group(360, {Value(kGroup, 1), Group(366, {Group(1102, {})})}));
    EXPECT_EQ(0, Import(kCopyOne, L"Best"));
    EXPECT_TRUE(Standin().Log().empty());
}

TEST_F(FeatureTranslatorBase, RefusedContextChangesNothing)
{
    Standin().SetFeature(kPath, L"Best");
    Standin().Set(L"RefuseContext", kPath);
    TestTranslator translator(Library(), kCopyAlways);
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(9, ValueOf(tree.get(), kLeaf));
    EXPECT_TRUE(Members(&changes).empty());
}

TEST_F(FeatureTranslatorBase, EachRecordKindAddsWhatItNames)
{
    const struct {
        const TranslatorDescription* description;
        const wchar_t* keyword;
        int32_t result;
        std::vector<std::pair<long, int>> records;
    } cases[] = {
        {&kCopyOne, L"Normal", 1, {{kLeaf, 2}}},
        {&kNewNonZero, L"Normal", 1, {{kLeaf, 2}}},
        {&kCopyAlways, L"Normal", 1, {{kLeaf, 2}}},
        {&kCopyAlways, L"Unknown", 0, {{kLeaf, 9}}},
        {&kNoRecord, L"Normal", 1, {}},
        {&kCopyOne, L"Unknown", 0, {}},
    };
    for (const auto& c : cases) {
        tree = Tree();
        changes.RemoveAll();
        EXPECT_EQ(c.result, Import(*c.description, c.keyword));
        EXPECT_EQ(c.records, Members(&changes));
    }
}

TEST_F(FeatureTranslatorBase, NewRecordIsAValueAttributeNotTheAttributeItself)
{
    tree = Tree(new GValueAttribute(9, kLeaf));
    Import(kNewNonZero, L"Best");
    GObjectBase* record = changes.FindById(kLeaf);
    ASSERT_NE(nullptr, record);
    EXPECT_NE(GDriverObject::Feature<GValueAttribute>(tree.get(), kLeaf), record);
}

TEST_F(FeatureTranslatorBase, NullChangeListIsAllowed)
{
    Standin().SetFeature(kPath, L"Normal");
    TestTranslator translator(Library(), kCopyOne);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(2, ValueOf(tree.get(), kLeaf));
}

TEST(FeatureTranslatorNumber, FollowsAtoiSaturatesAndKeepsTheLow16Bits)
{
    const struct {
        const char* text;
        int16_t value;
    } cases[] = {
        {"25", 25}, {"  +7", 7}, {"\t-1", -1}, {"12abc", 12}, {"abc", 0}, {"", 0}, {"-", 0},
        {"65536", 0}, {"65537", 1}, {"2147483647", -1}, {"99999999999", -1}, {"-99999999999", 0},
        {"-2147483648", 0}, {"400 ", 400},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.value, FeatureTranslator::ParseNumber(c.text, std::strlen(c.text) + 1)) << c.text;
}

TEST(FeatureTranslatorNumber, ReadsNoFurtherThanTheBuffer)
{
    const char digits[] = {'1', '2', '3'}; // no terminator
    EXPECT_EQ(12, FeatureTranslator::ParseNumber(digits, 2));
}

TEST_F(FeatureTranslatorBase, NumericImportTakesTheRangeAndExportsDecimal)
{
    const struct {
        const wchar_t* keyword;
        int32_t result;
        int value;
    } cases[] = {{L"1", 1, 1}, {L"500", 1, 500}, {L"0", 0, 9}, {L"501", 0, 9}, {L"abc", 0, 9}, {L"42x", 1, 42}};
    for (const auto& c : cases) {
        tree = Tree();
        Standin().SetFeature(kPath, c.keyword);
        TestNumber number(Library());
        EXPECT_EQ(c.result, number.ToAttributes(tree.get(), &changes)) << c.keyword;
        EXPECT_EQ(c.value, ValueOf(tree.get(), kLeaf)) << c.keyword;
    }
    GDriverObject::Feature<GValueAttribute>(tree.get(), kLeaf)->SetValue(65535);
    TestNumber number(Library());
    EXPECT_EQ(1, number.FromAttributes(tree.get()));
    EXPECT_EQ(std::vector<std::wstring>{L"printing/TestFeature=65535"}, Standin().Exports(L""));
    Standin().Set(L"FailSetExport", kPath);
    EXPECT_EQ(0, number.FromAttributes(tree.get()));
}

// A feature held as a range: both algorithms reach it, and a value outside its bounds is
// taken clamped, as a DEVMODE field is.
TEST_F(FeatureTranslatorBase, AFeatureHeldAsARangeImportsClampedAndExports)
{
    const struct {
        const wchar_t* keyword;
        bool numeric;
        int32_t result;
        int value;
    } cases[] = {
        {L"Best", false, 1, 3},   // 1 is below the range's 3
        {L"Normal", false, 1, 3}, // 2 too
        {L"4", true, 1, 4},       {L"8", true, 1, 8},
        {L"500", true, 1, 8},     // above the range's 8
        {L"0", true, 0, 5},       // refused by the class: the range keeps its value
    };
    for (const auto& c : cases) {
        tree = Tree(new GRangeAttribute(3, 8, 1, 5, kLeaf));
        changes.RemoveAll();
        Standin().SetFeature(kPath, c.keyword);
        int32_t result = 0;
        if (c.numeric)
            result = TestNumber(Library()).ToAttributes(tree.get(), &changes);
        else
            result = TestTranslator(Library(), kCopyOne).ToAttributes(tree.get(), &changes);
        EXPECT_EQ(c.result, result) << c.keyword;
        auto* range = GDriverObject::Feature<GRangeAttribute>(tree.get(), kLeaf);
        ASSERT_NE(nullptr, range);
        EXPECT_EQ(c.value, range->GetValue()) << c.keyword;
        // The record is a copy of the range itself.
        if (c.result) {
            EXPECT_EQ(1u, changes.Entries()) << c.keyword;
            EXPECT_NE(nullptr, GDriverObject::Feature<GRangeAttribute>(&changes, kLeaf)) << c.keyword;
        }
    }
    tree = Tree(new GRangeAttribute(0, 8, 1, 2, kLeaf));
    Standin().Reset();
    EXPECT_EQ(1, TestTranslator(Library(), kCopyOne).FromAttributes(tree.get()));
    EXPECT_EQ(std::vector<std::wstring>{L"printing/TestFeature=Normal"}, Standin().Exports(L""));
    EXPECT_EQ(1, TestNumber(Library()).FromAttributes(tree.get()));
    EXPECT_EQ(std::vector<std::wstring>{L"printing/TestFeature=2"}, Standin().Exports(L""));
}

// The factory.

FeatureTranslator* MakeTest(GDMCConfig& config, const wchar_t*) { return new TestTranslator(config.Library(), kCopyOne); }

class FeatureFactory : public Suite {};

TEST_F(FeatureFactory, HoldsTheSixtyTwoKeysInOrder)
{
    ASSERT_EQ(62u, GDMCConfig::kFeatureKeys.count);
    EXPECT_STREQ(L"QZChromafit", GDMCConfig::kFeatureKeys.rows[0].key);
    EXPECT_STREQ(L"Stapling", GDMCConfig::kFeatureKeys.rows[22].key);
    EXPECT_STREQ(L"QZPunchUnitType", GDMCConfig::kFeatureKeys.rows[61].key);
    for (size_t i = 0; i < 62; ++i)
        for (size_t j = i + 1; j < 62; ++j)
            EXPECT_STRNE(GDMCConfig::kFeatureKeys.rows[i].key, GDMCConfig::kFeatureKeys.rows[j].key);
}

TEST_F(FeatureFactory, UnknownKeyGivesNull)
{
    std::unique_ptr<GObjectBase> tree = Tree();
    Driver driver;
    GDriverDMCConfig config(tree.get(), &driver);
    EXPECT_EQ(nullptr, config.MapFeatureKeys(L"NoSuchFeature"));
    EXPECT_EQ(nullptr, config.MapFeatureKeys(L"qzchromafit"));
    EXPECT_EQ(nullptr, config.MapFeatureKeys(L""));
}

TEST_F(FeatureFactory, ComparesKeysExactlyAndBuildsTheFirstMatch)
{
    const FeatureKey rows[] = {{L"Duplex", MakeTest}, {L"Duplex", nullptr}};
    const FeatureKeyTable table = {rows, 2};
    GDMCConfig::featureKeys = &table;
    std::unique_ptr<GObjectBase> tree = Tree();
    Driver driver;
    GDriverDMCConfig config(tree.get(), &driver);
    std::unique_ptr<FeatureTranslator> made(config.MapFeatureKeys(L"Duplex"));
    EXPECT_NE(nullptr, made);
    EXPECT_EQ(nullptr, config.MapFeatureKeys(L"DuplexUnit"));
    GDMCConfig::featureKeys = &GDMCConfig::kFeatureKeys;
}

template <class T>
bool Is(FeatureTranslator* made)
{
    return dynamic_cast<T*>(made) != nullptr;
}

TEST_F(FeatureFactory, InstalledOptionOutputColourAndWatermarkKeysBuildTheirClasses)
{
    const struct {
        const wchar_t* key;
        bool (*check)(FeatureTranslator*);
    } cases[] = {
        {L"QZChromafit", Is<QZChromafitTranslator>},
        {L"RGBColor", Is<RGBColorTranslator>},
        {L"ScaleFromLargePaper", Is<ScaleFromLargePaperTranslator>},
        {L"OptionalPaperSources", Is<OptionalPaperSourcesTranslator>},
        {L"PrintColorAsGray", Is<PrintColorAsGrayTranslator>},
        {L"DuplexUnit", Is<DuplexUnitTranslator>},
        {L"Duplex", Is<DuplexTranslator>},
        {L"Memory", Is<MemoryTranslator>},
        {L"PrinterHardDisk", Is<PrinterHardDiskTranslator>},
        {L"DeviceIsZadidi", Is<DeviceIsZadidiTranslator>},
        {L"DriverWorkSpaceSetting", Is<DriverWorkSpaceSettingTranslator>},
        {L"JobRetentionAvailable", Is<JobRetentionAvailableTranslator>},
        {L"JobRetention", Is<JobRetentionTranslator>},
        {L"EnvFeeder", Is<EnvFeederTranslator>},
        {L"AccessoryOutputBins", Is<AccessoryOutputBinsTranslator>},
        {L"StaplerChoice", Is<StaplerChoiceTranslator>},
        {L"OutputBin", Is<OutputBinTranslator>},
        {L"Watermarks", Is<WatermarksTranslator>},
        {L"MediaType", Is<MediaTypeTranslator>},
        {L"InputBin", Is<InputBinTranslator>},
        {L"PaperSize", Is<PaperSizeTranslator>},
        {L"EconoMode", Is<EconoModeTranslator>},
        {L"Orientation", Is<OrientationTranslator>},
        {L"Copies", Is<CopiesTranslator>},
        {L"TextAsBlack", Is<TextAsBlackTranslator>},
        {L"NUpChoice", Is<NUpChoiceTranslator>},
        {L"FitToOtherSizeChoice", Is<FitToOtherSizeChoiceTranslator>},
        {L"ScalePageChoice", Is<ScalePageChoiceTranslator>},
        {L"ScaleChoice", Is<ScaleChoiceTranslator>},
    };
    std::unique_ptr<GObjectBase> tree = Tree();
    Driver driver;
    GDriverDMCConfig config(tree.get(), &driver);
    for (const auto& c : cases) {
        std::unique_ptr<FeatureTranslator> made(config.MapFeatureKeys(c.key));
        EXPECT_TRUE(c.check(made.get())) << std::wstring(c.key).size() << " " << made.get();
    }
}

TEST_F(FeatureFactory, StaplingBuildsTheClassTheJobSettingsChoose)
{
    Driver driver;
    std::unique_ptr<GObjectBase> position(Group(360, {Group(362, {Value(1200, 0)})}));
    std::unique_ptr<GObjectBase> plain(Group(360, {Group(362, {Value(289, 0)})}));
    std::unique_ptr<GObjectBase> none(Group(360, {Group(364, {})}));
    GDriverDMCConfig withPosition(position.get(), &driver), withPlain(plain.get(), &driver),
        withNone(none.get(), &driver);
    std::unique_ptr<FeatureTranslator> a(withPosition.MapFeatureKeys(L"Stapling"));
    std::unique_ptr<FeatureTranslator> b(withPlain.MapFeatureKeys(L"Stapling"));
    std::unique_ptr<FeatureTranslator> c(withNone.MapFeatureKeys(L"Stapling"));
    EXPECT_TRUE(Is<StaplingPositionTranslator>(a.get()));
    EXPECT_TRUE(Is<StaplingTranslator>(b.get()));
    EXPECT_EQ(nullptr, c.get());
}

TEST(FeatureFactoryStapling, PicksItsClassByTheJobSettings)
{
    using FeatureKeys::StaplingClass;
    std::unique_ptr<GObjectBase> none(Group(360, {Group(364, {Value(1200, 0)})}));
    std::unique_ptr<GObjectBase> position(Group(360, {Group(362, {Value(1200, 0)})}));
    std::unique_ptr<GObjectBase> plain(Group(360, {Group(362, {Value(1201, 0)})}));
    EXPECT_EQ(StaplingClass::kNone, FeatureKeys::ChooseStaplingClass(none.get()));
    EXPECT_EQ(StaplingClass::kStaplingPosition, FeatureKeys::ChooseStaplingClass(position.get()));
    EXPECT_EQ(StaplingClass::kStapling, FeatureKeys::ChooseStaplingClass(plain.get()));
    EXPECT_EQ(StaplingClass::kNone, FeatureKeys::ChooseStaplingClass(nullptr));
}

} // namespace
