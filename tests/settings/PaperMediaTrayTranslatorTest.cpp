#include "TranslatorFixture.h"

#include "printer/GPaperHandlingDevice.h"
#include "printer/GTray.h"
#include "settings/dmc/GlossyPapers.h"
#include "settings/translators/BackCoverChoiceTranslator.h"
#include "settings/translators/GPaperCodeSource.h"
#include "settings/translators/InputBinTranslator.h"
#include "settings/translators/MediaTypeTranslator.h"
#include "settings/translators/PaperSizeTranslator.h"

#include <cstring>
#include <memory>

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

std::string NameOf(GObjectBase* tree, long id)
{
    GStringAttribute* text = GDriverObject::Feature<GStringAttribute>(tree, id);
    return text ? text->GetString().Data() : "<absent>";
}

// The driver UI's paper conversions: forms 1 to 3 are the codes 23 (A4), 1 (LETTER) and
// 22 (A3); code 4001 normalises to 23.
class PaperDriver : public Driver, public GPaperCodeSource {
public:
    int QueryFeatureValue(uint16_t id, uint16_t& value) override
    {
        for (uint16_t i = 0; i < 3; ++i)
            if (kForms[i] == id)
                return value = uint16_t(i + 1), 1;
        return 0;
    }
    int FormIndexToPaperCode(uint32_t index, uint16_t& code) override
    {
        if (index < 1 || index > 3)
            return 0;
        code = kFormCodes[index - 1];
        return 1;
    }
    uint16_t NormalizePaperCode(GObjectBase*, uint16_t code) override
    {
        ++normalised;
        return code == 4001 ? 23 : code;
    }
    int normalised = 0;
    static constexpr uint16_t kForms[3] = {23, 1, 22};
    // The second form's own code differs from the one it was found by.
    static constexpr uint16_t kFormCodes[3] = {23, 2, 22};
};

class PaperSize : public Suite {
protected:
    std::unique_ptr<GObjectBase> tree{Group(360, {Group(362, {Value(260, 1), Value(272, 1)})})};
    GAttributeComposite changes{1101};
};

TEST_F(PaperSize, B5ImportsThroughCode56AndCode53ExportsJISB6)
{
    Standin().SetFeature(L"printing/PaperSize", L"B5");
    PaperSizeTranslator translator(Library(), nullptr, 0);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(56, ValueOf(tree.get(), 260));
    GDriverObject::Feature<GValueAttribute>(tree.get(), 260)->SetValue(53);
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"JISB6", Exported(Standin(), L"printing/PaperSize"));
}

TEST_F(PaperSize, ImportAddsTheCopyAndThe1111Marker)
{
    Standin().SetFeature(L"printing/PaperSize", L"A4");
    PaperSizeTranslator translator(Library(), nullptr, 0);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ((std::vector<std::pair<long, int>>{{260, 23}, {1111, 0}}), Members(&changes));
    Standin().SetFeature(L"printing/PaperSize", L"NOSUCHPAPER");
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(2u, Members(&changes).size());
}

TEST_F(PaperSize, ImportGoesThroughTheDriverUIsForms)
{
    PaperDriver driver;
    Standin().SetFeature(L"printing/PaperSize", L"LETTER");
    PaperSizeTranslator translator(Library(), &driver, 0);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(2, ValueOf(tree.get(), 260));
    // A code with no form: the index stays 0 and the row's own code is kept.
    Standin().SetFeature(L"printing/PaperSize", L"A5");
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(27, ValueOf(tree.get(), 260));
}

TEST_F(PaperSize, CodesAbove4000AreNormalisedAnd4000IsNot)
{
    PaperDriver driver;
    PaperSizeTranslator translator(Library(), &driver, 0);
    GDriverObject::Feature<GValueAttribute>(tree.get(), 260)->SetValue(4001);
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"A4", Exported(Standin(), L"printing/PaperSize"));
    EXPECT_EQ(1, driver.normalised);
    GDriverObject::Feature<GValueAttribute>(tree.get(), 260)->SetValue(4000);
    EXPECT_EQ(0, translator.FromAttributes(tree.get()));
    EXPECT_EQ(1, driver.normalised);
}

TEST_F(PaperSize, PlainDriverObjectExportsCodesAsTheyAre)
{
    Driver driver;
    PaperSizeTranslator translator(Library(), &driver, 0);
    GDriverObject::Feature<GValueAttribute>(tree.get(), 260)->SetValue(4001);
    EXPECT_EQ(0, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"<none>", Exported(Standin(), L"printing/PaperSize"));
}

TEST_F(PaperSize, TargetSizeModeUses272)
{
    Standin().SetFeature(L"printing/FitToOtherSizeChoice/TargetSizeChoice", L"A3");
    PaperSizeTranslator translator(Library(), nullptr, 1);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(22, ValueOf(tree.get(), 272));
    EXPECT_EQ(1, ValueOf(tree.get(), 260));
}

// Media: a tree with every page on the job's media (264 = 0) and the followers.
GObjectBase* MediaTree(uint16_t differentFirst = 0)
{
    return Group(360, {Group(364, {Text(261, "Plain"), Value(264, differentFirst), Text(262, "Plain"),
                                   Text(973, "Plain"), Text(1213, "Plain"), Text(1215, "Plain")}),
                       Group(366, {Group(1102, {})})});
}

short g_answer = 0;
int g_calls = 0;

class MediaType : public Suite {
protected:
    std::unique_ptr<GObjectBase> tree{MediaTree()};
    GAttributeComposite changes{1101};
};

TEST_F(MediaType, CardstockImportsCardStockWhichExportsCardstockGP)
{
    Standin().SetFeature(L"printing/MediaType", L"CARDSTOCK");
    MediaTypeTranslator translator(Library(), 0);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ("Card Stock", NameOf(tree.get(), 261));
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"CARDSTOCK_GP", Exported(Standin(), L"printing/MediaType"));
}

TEST_F(MediaType, EmptyNameExportsAuto)
{
    tree.reset(Group(360, {Group(364, {Text(261, "")})}));
    MediaTypeTranslator translator(Library(), 0);
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"AUTO", Exported(Standin(), L"printing/MediaType"));
}

TEST_F(MediaType, FailedExportTriesTheNextRowWithThatName)
{
    tree.reset(Group(360, {Group(364, {Text(261, "Unknown")})}));
    MediaTypeTranslator translator(Library(), 0);
    EXPECT_EQ(0, translator.FromAttributes(tree.get()));
    Standin().Set(L"FailSetExport", L"printing/MediaType");
    tree.reset(Group(360, {Group(364, {Text(261, "Card Stock")})}));
    EXPECT_EQ(0, translator.FromAttributes(tree.get()));
    std::vector<std::wstring> tried;
    for (const std::wstring& line : Standin().Log())
        if (line.rfind(L"DMCSetExport", 0) == 0)
            tried.push_back(line);
    EXPECT_EQ((std::vector<std::wstring>{L"DMCSetExport printing/MediaType CARDSTOCK_GP",
                                         L"DMCSetExport printing/MediaType CARDSTOCK"}),
              tried);
}

TEST_F(MediaType, ANameThatOnlyStartsAListedNameExportsNothing)
{
    MediaTypeTranslator translator(Library(), 0);
    for (const char* name : {"QZ Laser Paper", "Card", "Pl"}) {
        tree.reset(Group(360, {Group(364, {Text(261, name)})}));
        EXPECT_EQ(0, translator.FromAttributes(tree.get())) << name;
    }
    EXPECT_EQ(L"<none>", Exported(Standin(), L"printing/MediaType"));
}

TEST_F(MediaType, RecordAlreadyInTheChangeListIsUpdatedNotAdded)
{
    changes.Add(Text(261, "Old"));
    Standin().SetFeature(L"printing/MediaType", L"BOND");
    tree.reset(Group(360, {Group(364, {Text(261, "Plain")})}));
    MediaTypeTranslator translator(Library(), 0);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ(1u, Members(&changes).size());
    EXPECT_EQ("Bond", NameOf(&changes, 261));
}

TEST_F(MediaType, MainMediaSetsTheOtherPagesOnlyWithTheSameFirstPage)
{
    Standin().SetFeature(L"printing/MediaType", L"BOND");
    MediaTypeTranslator main(Library(), 0);
    EXPECT_EQ(1, main.ToAttributes(tree.get(), &changes));
    for (long id : {261, 262, 973, 1213, 1215})
        EXPECT_EQ("Bond", NameOf(tree.get(), id)) << id;
    EXPECT_EQ(5u, Members(&changes).size());

    tree.reset(MediaTree(1));
    EXPECT_EQ(1, main.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ("Bond", NameOf(tree.get(), 261));
    for (long id : {262, 973, 1213, 1215})
        EXPECT_EQ("Plain", NameOf(tree.get(), id)) << id;

    for (uint32_t mode : {1u, 2u}) {
        tree.reset(MediaTree());
        MediaTypeTranslator other(Library(), mode);
        Standin().SetFeature(other.Description().featurePath, L"BOND");
        EXPECT_EQ(1, other.ToAttributes(tree.get(), nullptr));
        int bond = 0;
        for (long id : {261, 262, 973, 1213, 1215})
            bond += NameOf(tree.get(), id) == "Bond";
        EXPECT_EQ(1, bond) << mode;
    }
}

TEST_F(MediaType, LockMarksWith261InEveryMode)
{
    for (uint32_t mode : {0u, 1u, 2u}) {
        tree.reset(MediaTree());
        MediaTypeTranslator translator(Library(), mode);
        Standin().SetFeature((std::wstring(translator.Description().featurePath) + L"@lock").c_str(), L"TRUE");
        translator.ToAttributes(tree.get(), nullptr);
        EXPECT_EQ(std::vector<int>{261}, Locks(tree.get())) << mode;
    }
}

TEST_F(MediaType, WrongClassLeafCountsAsMissing)
{
    tree.reset(Group(360, {Group(364, {Value(261, 1)})}));
    Standin().SetFeature(L"printing/MediaType", L"BOND");
    MediaTypeTranslator translator(Library(), 0);
    EXPECT_EQ(0, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(0, translator.FromAttributes(tree.get()));
}

TEST_F(MediaType, BrandedRowsKeepTheirPlacesAndCarryTheGlossyNames)
{
    EXPECT_STREQ(L"PLAIN", MediaTypeTranslator::kMedia[1].keyword);
    EXPECT_STREQ(L"PREPRINTED", MediaTypeTranslator::kMedia[11].keyword);
    EXPECT_STREQ(L"HEAVY_GLOSSY", MediaTypeTranslator::kMedia[36].keyword);
    EXPECT_STREQ(L"EXTRA_HEAVY", MediaTypeTranslator::kMedia[47].keyword);
    for (int row : {2, 3, 4, 5, 6, 7, 8, 9, 10, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46})
        EXPECT_GE(32u, std::strlen(MediaTypeTranslator::kMedia[row].name) + 1) << row;
    for (const char* glossy : GlossyPapers::kNames) {
        int found = 0;
        for (int row = 37; row <= 46; ++row)
            found += std::strcmp(MediaTypeTranslator::kMedia[row].name, glossy) == 0;
        EXPECT_EQ(1, found) << glossy;
    }
}

} // namespace

extern "C" __declspec(dllexport) short __cdecl QzTestMediaHelper(uint32_t*) { return ++g_calls, g_answer; }

namespace {

// The helper's answer through a binding whose helper is set directly.
TEST_F(MediaType, HelperAnsweringNonZeroSkipsTheKeywordButKeepsTheLock)
{
    GDMCLibrary library;
    // Through the generic function pointer type: the helper's own type is not the binding's.
    library.SetHelper(reinterpret_cast<DMCHelperProc>(reinterpret_cast<void (*)()>(&QzTestMediaHelper)), nullptr);
    g_answer = 1, g_calls = 0;
    Standin().SetFeature(L"printing/MediaType", L"BOND");
    Standin().SetFeature(L"printing/MediaType@lock", L"true");
    MediaTypeTranslator translator(library, 0);
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ("Plain", NameOf(tree.get(), 261));
    EXPECT_TRUE(Members(&changes).empty());
    EXPECT_EQ(std::vector<int>{261}, Locks(tree.get()));
    EXPECT_EQ(1, translator.FromAttributes(tree.get()));
    EXPECT_EQ(L"<none>", Exported(Standin(), L"printing/MediaType"));
    EXPECT_EQ(2, g_calls);
    g_answer = 0;
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), &changes));
    EXPECT_EQ("Bond", NameOf(tree.get(), 261));
}

// Trays: devices in order; the second input device holds "Tray 10" first and "Tray 1".
class TrayConfigDriver : public Driver {
public:
    TrayConfigDriver()
    {
        auto* devices = Group(FeatureId::kInputDevices, {});
        devices->Add(Device("Uninstalled", 0, 0, {{"Tray 1", 50}}));
        devices->Add(Device("Output", 1, 1, {{"Tray 1", 51}}));
        devices->Add(Device("Upper", 1, 0, {{"Tray 10", 10}, {"Tray 1", 1}}));
        devices->Add(Device("Lower", 1, 0, {{"Tray 3", 3}, {"Envelope Feeder", 7}}));
        GetPrinterConfiguration()->Add(devices);
    }
    static GPaperHandlingDevice* Device(const char* name, uint32_t count, uint32_t type,
                                        std::initializer_list<std::pair<const char*, uint16_t>> trays)
    {
        auto* device = new GPaperHandlingDevice(name, type, 1, count, 0, 0, 0);
        auto* option = new GAttributeComposite(1);
        for (const auto& tray : trays)
            option->Add(new GTray(tray.first, tray.second, 0));
        device->SetOption(1, option);
        return device;
    }
};

class InputBin : public Suite {
protected:
    TrayConfigDriver driver;
    InputBinTranslator translator{Library(), &driver, 0};
};

TEST_F(InputBin, KeywordsMapToTheFirstTrayInDeviceOrder)
{
    const struct {
        const wchar_t* keyword;
        uint16_t id;
    } cases[] = {{L"Tray1", 10}, {L"Tray10", 10}, {L"Tray3", 3}, {L"EnvFeed", 7}, {L"PrinterSelect", 19},
                 {L"Tray4", 19}, {L"NoSuchTray", 19}, {L"", 19}, {L"tray1", 19}};
    for (const auto& c : cases)
        EXPECT_EQ(c.id, translator.MapTrayKeywordToId(c.keyword)) << c.keyword;
}

TEST_F(InputBin, IdsMapToTheirTraysKeywords)
{
    const struct {
        uint32_t id;
        const wchar_t* keyword;
    } cases[] = {{19, L"PrinterSelect"}, {1, L"Tray1"}, {10, L"Tray10"}, {3, L"Tray3"}, {7, L"EnvFeed"},
                 {50, L"PrinterSelect"}, {51, L"PrinterSelect"}, {99, L"PrinterSelect"}, {0x10003, L"Tray3"}};
    for (const auto& c : cases)
        EXPECT_STREQ(c.keyword, translator.MapTrayIdToKeyword(uint16_t(c.id)).Data()) << c.id;
}

TEST_F(InputBin, UnknownKeywordImportsAutomaticSelection)
{
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(362, {Value(258, 3)})}));
    Standin().SetFeature(L"printing/InputBin", L"Tray99");
    EXPECT_EQ(1, translator.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(19, ValueOf(tree.get(), 258));
}

TEST_F(InputBin, MainTraySetsTheOtherPagesOnlyWithTheSameFirstPageAndLocksWith258)
{
    auto tree = [](uint16_t differentFirst) {
        return std::unique_ptr<GObjectBase>(
            Group(360, {Group(362, {Value(258, 0), Value(264, differentFirst), Value(263, 0), Value(921, 0),
                                    Value(1212, 0), Value(1214, 0), Value(1216, 0), Value(1217, 0)}),
                        Group(366, {Group(1102, {})})}));
    };
    const long all[] = {258, 263, 921, 1212, 1214, 1216, 1217};
    std::unique_ptr<GObjectBase> same = tree(0);
    GAttributeComposite changes(1101);
    Standin().SetFeature(L"printing/InputBin", L"Tray3");
    EXPECT_EQ(1, translator.ToAttributes(same.get(), &changes));
    for (long id : all)
        EXPECT_EQ(3, ValueOf(same.get(), id)) << id;
    EXPECT_EQ(7u, Members(&changes).size());

    std::unique_ptr<GObjectBase> different = tree(1);
    translator.ToAttributes(different.get(), nullptr);
    EXPECT_EQ(3, ValueOf(different.get(), 258));
    EXPECT_EQ(0, ValueOf(different.get(), 263));

    for (uint32_t mode : {0u, 1u, 2u}) {
        std::unique_ptr<GObjectBase> t = tree(0);
        InputBinTranslator other(Library(), &driver, mode);
        Standin().SetFeature(other.Description().featurePath, L"Tray3");
        Standin().SetFeature((std::wstring(other.Description().featurePath) + L"@lock").c_str(), L"TRUE");
        other.ToAttributes(t.get(), nullptr);
        EXPECT_EQ(std::vector<int>{258}, Locks(t.get())) << mode;
        if (mode != 0) {
            int set = 0;
            for (long id : all)
                set += ValueOf(t.get(), id) == 3;
            EXPECT_EQ(1, set) << mode;
        }
    }
}

TEST_F(InputBin, LockNeedsExactlyOne)
{
    std::unique_ptr<GObjectBase> tree(Group(360, {Group(362, {Value(258, 0)}), Group(366, {Group(1102, {})})}));
    Standin().SetFeature(L"printing/InputBin", L"Tray3");
    Standin().SetFeature(L"printing/InputBin@lock", L"TRUE");
    Standin().Set(L"AnswerTwo", L"DMCGetNamedFeatureAttribute");
    translator.ToAttributes(tree.get(), nullptr);
    EXPECT_TRUE(Locks(tree.get()).empty());
}

TEST_F(InputBin, BackCoverFromAnotherSourceRunsBothModeTwoTranslators)
{
    std::unique_ptr<GObjectBase> tree(
        Group(360, {Group(362, {Value(920, 0), Value(921, 0)}), Group(364, {Text(973, "Plain")})}));
    Standin().SetFeature(L"printing/UseDiffFirstPageChoice/BackCoverChoice", L"UseAlternateSource");
    Standin().SetFeature(L"printing/UseDiffFirstPageChoice/BackCoverChoice/BackCoverMediaTypeSetting", L"BOND");
    Standin().SetFeature(L"printing/UseDiffFirstPageChoice/BackCoverChoice/BackCoverTrayChoice", L"Tray3");
    BackCoverChoiceTranslator backCover(Library(), &driver);
    EXPECT_EQ(1, backCover.ToAttributes(tree.get(), nullptr));
    EXPECT_EQ(2, ValueOf(tree.get(), 920));
    EXPECT_EQ("Bond", NameOf(tree.get(), 973));
    EXPECT_EQ(3, ValueOf(tree.get(), 921));
    std::vector<std::wstring> contexts;
    for (const std::wstring& line : Standin().Log())
        if (line.rfind(L"DMCSetContext", 0) == 0)
            contexts.push_back(line.substr(14));
    EXPECT_EQ((std::vector<std::wstring>{L"printing/UseDiffFirstPageChoice/BackCoverChoice",
                                         L"printing/UseDiffFirstPageChoice/BackCoverChoice/BackCoverMediaTypeSetting",
                                         L"printing/UseDiffFirstPageChoice/BackCoverChoice/BackCoverTrayChoice"}),
              contexts);
    EXPECT_EQ(1, backCover.FromAttributes(tree.get()));
    EXPECT_EQ(L"BOND",
              Exported(Standin(), L"printing/UseDiffFirstPageChoice/BackCoverChoice/BackCoverMediaTypeSetting"));
    EXPECT_EQ(L"Tray3", Exported(Standin(), L"printing/UseDiffFirstPageChoice/BackCoverChoice/BackCoverTrayChoice"));
}

} // namespace
