// Device queries on the installed test printer, answered by the really running agent
// stand-in: the placeholders written before the request, the answers read after it, the
// number forms, the media names, the device options and the paper-handling devices.
#include "entry/agent/GNRADeviceQuery.h"

#include "AgentStandin.h"
#include "GDriverDataModel.h"
#include "TestPrinter.h"
#include "entry/agent/GNRAProvider.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GProviderRegistry.h"
#include "model/MPersistentComposite.h"
#include "model/GFeatureIds.h"
#include "model/GRangeAttribute.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GBin.h"
#include "printer/GDriverObject.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GTray.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using Value = AgentStandin::Value;
const char kModel[] = "QZ Colour Laser 5930";
// What a feature holds before a query, so that "no change" shows.
const uint16_t kUntouched = 77;

template <class T>
T* Member(GObjectBase& tree, long id)
{
    GObjectBase* found = tree.FindById(id);
    return found && found->ClassId() == T::kClassId ? static_cast<T*>(found) : nullptr;
}

uint16_t ValueOf(GObjectBase& tree, long id)
{
    GValueAttribute* value = Member<GValueAttribute>(tree, id);
    return value ? value->GetValue() : 0xFFFF;
}

std::vector<std::string> Texts(GObjectBase* composite)
{
    std::vector<std::string> texts;
    for (uint32_t i = 0; composite && i < composite->Entries(); ++i)
        if (GStringAttribute* text = dynamic_cast<GStringAttribute*>(static_cast<GAttributeComposite*>(composite)->At(i)))
            texts.push_back(text->GetString().Data());
    return texts;
}

// The node a query fills: 228 with the model's accepted names, the index ranges and one
// feature of each handled kind; the output devices under 314 beside it.
std::unique_ptr<GAttributeComposite> MakeTarget()
{
    std::unique_ptr<GAttributeComposite> root(new GAttributeComposite(0));
    GAttributeComposite* query = new GAttributeComposite(FeatureId::kDeviceQueryRoot);
    query->Add(new GStringAttribute("", FeatureId::kReportedModel));
    GAttributeComposite* accepted = new GAttributeComposite(FeatureId::kAcceptedModels);
    accepted->Add(new GStringAttribute("QZ Colour Laser 5900", 0));
    accepted->Add(new GStringAttribute(kModel, 0));
    query->Add(accepted);
    query->Add(new GRangeAttribute(1, 2, 1, 1, FeatureId::kDeviceIndexes));
    query->Add(new GRangeAttribute(1, 2, 1, 1, FeatureId::kInputTrayIndexes));
    query->Add(new GRangeAttribute(1, 3, 1, 1, FeatureId::kOutputNameIndexes));
    query->Add(new GRangeAttribute(1, 3, 1, 1, FeatureId::kDiskIndexes));
    query->Add(new GRangeAttribute(1, 8, 1, 1, FeatureId::kMediaNameIndexes));
    query->Add(new GValueAttribute(0, FeatureId::kAgentUpdateState));
    query->Add(new GRangeAttribute(0, 30000, 1, 5, 202));
    for (long id : {201, 204, 1211, 231, 980, 226, 441, 1011})
        query->Add(new GValueAttribute(kUntouched, id));
    query->Add(new GAttributeComposite(FeatureId::kMediaNames));
    query->Add(new GAttributeComposite(90));
    query->Add(new GAttributeComposite(FeatureId::kDeviceOptions));
    root->Add(query);
    root->Add(new GAttributeComposite(FeatureId::kOutputAccessories));
    return root;
}

class DeviceQuery : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer_.Installed()) << printer_.Failure();
        ClearPrinterData();
        driver_.reset(new GDriverObject(RWWString(printer_.Name().c_str())));
        target_ = MakeTarget();
    }

    // The printer's data emptied, value by value (the spooler's own delete of printer data
    // is not usable on Wine).
    void ClearPrinterData()
    {
        const std::wstring key = printer_.RegistryKey() + L"\\PrinterDriverData";
        HKEY data = nullptr;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_ALL_ACCESS, &data) != ERROR_SUCCESS)
            return;
        wchar_t name[256];
        for (;;) {
            DWORD length = 256;
            if (RegEnumValueW(data, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
                break;
            if (RegDeleteValueW(data, name) != ERROR_SUCCESS)
                break;
        }
        RegCloseKey(data);
    }

    std::unique_ptr<GNRADeviceQuery> NewQuery()
    {
        return std::unique_ptr<GNRADeviceQuery>(provider_.CreateQuery(driver_.get(), "channel"));
    }

    uint16_t RunQuery(uint32_t checkModel = 0) { return NewQuery()->Query(target_.get(), checkModel); }

    // What the printer's data holds under the name: its type and bytes; type 0 when absent.
    std::pair<DWORD, std::vector<uint8_t>> Stored(const wchar_t* name)
    {
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        HANDLE printer = nullptr;
        std::pair<DWORD, std::vector<uint8_t>> result{0, {}};
        if (!OpenPrinterW(const_cast<wchar_t*>(printer_.Name().c_str()), &printer, &defaults))
            return result;
        std::vector<uint8_t> bytes(512);
        DWORD type = 0, needed = 0;
        if (GetPrinterDataW(printer, const_cast<wchar_t*>(name), &type, bytes.data(), DWORD(bytes.size()), &needed) ==
            ERROR_SUCCESS) {
            bytes.resize(needed);
            result = {type, bytes};
        }
        ClosePrinter(printer);
        return result;
    }

    std::vector<uint8_t> StoredText(const char* text) { return AgentStandin::Text("", text).bytes; }
    std::vector<uint8_t> StoredDword(uint32_t v) { return AgentStandin::Dword("", v).bytes; }

    GObjectBase& Query() { return *target_->FindById(FeatureId::kDeviceQueryRoot); }

    // The queries empty the printer's data: they keep a printer of their own, so that the
    // settings other suites stored on the shared printer stay.
    static TestPrinter& OwnPrinter()
    {
        static TestPrinter printer(L"QZ Device Query " + std::to_wstring(GetCurrentProcessId()));
        return printer;
    }
    TestPrinter& printer_ = OwnPrinter();
    std::unique_ptr<GDriverObject> driver_;
    GNRAProvider provider_;
    std::unique_ptr<GAttributeComposite> target_;
};

// One answer of the agent beside the model name, and what it makes of its feature.
struct AnswerRow {
    const char* name;
    Value answer;
    long feature;
    int32_t expected; // -1: the feature keeps its value
};

class DeviceQueryAnswers : public DeviceQuery, public testing::WithParamInterface<AnswerRow> {
};

TEST_P(DeviceQueryAnswers, TurnEachAnswerIntoItsFeature)
{
    const AnswerRow& row = GetParam();
    AgentStandin agent({AgentStandin::Text("MODEL_NAME", kModel), row.answer});
    ASSERT_TRUE(agent.Running());
    GObjectBase* feature = Query().FindById(row.feature);
    ASSERT_TRUE(feature);
    const int32_t before =
        feature->ClassId() == GRangeAttribute::kClassId ? static_cast<GRangeAttribute*>(feature)->GetValue()
                                                        : static_cast<GValueAttribute*>(feature)->GetValue();
    EXPECT_EQ(0, RunQuery());
    const int32_t after =
        feature->ClassId() == GRangeAttribute::kClassId ? static_cast<GRangeAttribute*>(feature)->GetValue()
                                                        : static_cast<GValueAttribute*>(feature)->GetValue();
    EXPECT_EQ(row.expected < 0 ? before : row.expected, after);
    EXPECT_EQ(2, ValueOf(Query(), FeatureId::kAgentUpdateState));
    EXPECT_EQ(2, agent.Requests());
}

const AnswerRow kAnswers[] = {
    {"MopyFiveSetsTheFlag", AgentStandin::Dword("MOPY_MODE", 5), 231, 1},
    {"MopyThreeSetsTheFlag", AgentStandin::Dword("MOPY_MODE", 3), 231, 1},
    {"MopySixClearsTheFlag", AgentStandin::Dword("MOPY_MODE", 6), 231, 0},
    {"MemoryInKilobytes", AgentStandin::Dword("hrMemorySize", 1048576), 201, 1024},
    {"MemoryPlaceholderKeepsTheValue", AgentStandin::Dword("hrMemorySize", 6400), 201, -1},
    {"HugeMemoryStaysAtTheLargestValue", AgentStandin::Dword("hrMemorySize", 0xFFFFFFFF), 201, 0xFFFF},
    {"PageFrameMemoryInKilobytes", AgentStandin::Dword("PAGE-FRAME-MEMORY-AVAILABLE", 2097152), 1211, 2048},
    {"AvailableMemoryScaled", AgentStandin::Dword("HOST-APPLICATION-AVAILABLE-MEMORY", 104857600), 202, 10000},
    {"AvailableMemoryClampedToTheRange", AgentStandin::Dword("HOST-APPLICATION-AVAILABLE-MEMORY", 0xFFFFFFFF), 202,
     30000},
    {"HeldJobsOneTurnsThemOff", AgentStandin::Dword("HELD-JOB-ENABLE", 1), 441, 0},
    {"HeldJobsTwoTurnsThemOn", AgentStandin::Dword("HELD-JOB-ENABLE", 2), 441, 1},
    {"HeldJobsOtherKeepsTheValue", AgentStandin::Dword("HELD-JOB-ENABLE", 3), 441, -1},
    {"MediaPathAnswered", AgentStandin::Dword("prtMediaPathType2", 2), 204, 1},
    {"FirstTrayCapacityAnswered", AgentStandin::Dword("prtInputMaxCapacity1", 500), 980, 1},
    {"ScannerNamed", AgentStandin::Text("NOT-READY-SOURCE-SCANNER", "ADF"), 1011, 1},
};

INSTANTIATE_TEST_SUITE_P(, DeviceQueryAnswers, testing::ValuesIn(kAnswers),
                         [](const testing::TestParamInfo<AnswerRow>& info) { return std::string(info.param.name); });

TEST_F(DeviceQuery, OneQueryFillsTheTreeAndKeepsTheModel)
{
    AgentStandin agent({AgentStandin::Text("MODEL_NAME", kModel), AgentStandin::Dword("hrDiskStorageMedia1", 3),
                        AgentStandin::Dword("hrDiskStorageMedia2", 4), AgentStandin::Dword("hrDiskStorageMedia3", 3)});
    ASSERT_TRUE(agent.Running());
    std::unique_ptr<GNRADeviceQuery> query = NewQuery();
    EXPECT_FALSE(query->IsAnswered());
    EXPECT_EQ(0, query->Query(target_.get(), 0));
    EXPECT_TRUE(query->IsAnswered());
    EXPECT_STREQ(kModel, query->GetSecondText().Data());
    EXPECT_STREQ(kModel, Member<GStringAttribute>(Query(), FeatureId::kReportedModel)->GetString().Data());
    EXPECT_EQ(2, ValueOf(Query(), 226));
    EXPECT_EQ(2, ValueOf(Query(), FeatureId::kAgentUpdateState));
    // Unanswered values still hold their placeholders: flags off, numbers kept.
    EXPECT_EQ(0, ValueOf(Query(), 204));
    EXPECT_EQ(0, ValueOf(Query(), 231));
    EXPECT_EQ(0, ValueOf(Query(), 1011));
    EXPECT_EQ(kUntouched, ValueOf(Query(), 201));
    EXPECT_EQ(kUntouched, ValueOf(Query(), 441));
    // A later query on the same printer knows the model from the start.
    EXPECT_TRUE(NewQuery()->IsAnswered());
}

TEST_F(DeviceQuery, RunQueriesTheDriverObjectsSettingsWithoutAModelCheck)
{
    // The plain driver object has no settings: nothing to fill.
    EXPECT_EQ(GNRADeviceQuery::kNoAnswer, NewQuery()->Run());
    EXPECT_EQ(0u, Stored(L"MODEL_NAME").first);
}

TEST_F(DeviceQuery, WithoutAnAgentThePlaceholdersStayAndTheRequestIsWithdrawn)
{
    ASSERT_EQ(nullptr, FindWindowW(L"qznra", nullptr));
    EXPECT_EQ(GNRADeviceQuery::kAgentNotAsked, RunQuery());
    EXPECT_EQ(StoredDword(0), Stored(L"QzrdbUpdateRequest").second);
    EXPECT_EQ(StoredText("QZNRA"), Stored(L"RegistryAgentName").second);
    EXPECT_EQ(StoredText(" "), Stored(L"MODEL_NAME").second);
    EXPECT_EQ(StoredDword(6400), Stored(L"hrMemorySize").second);
    EXPECT_EQ(StoredDword(6400), Stored(L"hrDiskStorageMedia3").second);
    EXPECT_EQ(StoredText(" "), Stored(L"prtOutputName3").second);
    EXPECT_EQ(StoredDword(6400), Stored(L"PHD2-NUMBER-OF-OPTIONS").second);
    const auto memory = Stored(L"PHD1-DEVICE-MEMORY");
    EXPECT_EQ(DWORD(REG_BINARY), memory.first);
    EXPECT_TRUE(memory.second.empty());
    EXPECT_EQ(0, ValueOf(Query(), FeatureId::kAgentUpdateState));
    EXPECT_EQ(kUntouched, ValueOf(Query(), 201));
}

TEST_F(DeviceQuery, ATargetWithoutTheQueryNodeWritesNothing)
{
    GAttributeComposite other(0);
    other.Add(new GValueAttribute(1, 201));
    EXPECT_EQ(GNRADeviceQuery::kNoAnswer, NewQuery()->Query(&other, 0));
    EXPECT_EQ(0u, Stored(L"MODEL_NAME").first);
    EXPECT_EQ(0u, Stored(L"hrMemorySize").first);
    EXPECT_EQ(1, ValueOf(other, 201));
}

TEST_F(DeviceQuery, AnUnansweredModelFailsTheQuery)
{
    AgentStandin agent({AgentStandin::Dword("hrMemorySize", 1048576)});
    ASSERT_TRUE(agent.Running());
    EXPECT_EQ(GNRADeviceQuery::kNoAnswer, RunQuery());
    EXPECT_EQ(1, ValueOf(Query(), FeatureId::kAgentUpdateState));
    EXPECT_EQ(kUntouched, ValueOf(Query(), 201));
}

TEST_F(DeviceQuery, TheModelCheckAcceptsOnlyTheListedNamesInAnyCase)
{
    AgentStandin agent({AgentStandin::Text("MODEL_NAME", "QZ Mono Laser 4000")});
    ASSERT_TRUE(agent.Running());
    EXPECT_EQ(GNRADeviceQuery::kModelNotAccepted, RunQuery(1));
    EXPECT_EQ(1, ValueOf(Query(), FeatureId::kAgentUpdateState));
    EXPECT_STREQ("", Member<GStringAttribute>(Query(), FeatureId::kReportedModel)->GetString().Data());
    // Without the check any model is taken.
    EXPECT_EQ(0, RunQuery(0));

    agent.SetValues({AgentStandin::Text("MODEL_NAME", "qz colour LASER 5930")});
    target_ = MakeTarget();
    EXPECT_EQ(0, RunQuery(1));
    EXPECT_EQ(2, ValueOf(Query(), FeatureId::kAgentUpdateState));
}

TEST_F(DeviceQuery, AnAgentThatRefusesTheRequestGivesNoAnswer)
{
    AgentStandin agent({AgentStandin::Text("MODEL_NAME", kModel)}, 5);
    ASSERT_TRUE(agent.Running());
    EXPECT_EQ(GNRADeviceQuery::kAgentNotAsked, RunQuery());
    EXPECT_EQ(StoredDword(0), Stored(L"QzrdbUpdateRequest").second);
    EXPECT_EQ(nullptr, provider_.GetAgentWindow()) << "the link is dropped after a request";
}

// The link was made while the agent ran; the agent went before the query: the request
// never reaches a window, so nothing answers it and it is withdrawn.
TEST_F(DeviceQuery, ARequestThatNeverReachedTheAgentIsWithdrawnUnanswered)
{
    AgentStandin agent({AgentStandin::Text("MODEL_NAME", kModel)});
    ASSERT_TRUE(agent.Running());
    ASSERT_TRUE(provider_.Connect());
    ASSERT_TRUE(agent.Close());
    EXPECT_EQ(GNRADeviceQuery::kAgentNotAsked, RunQuery());
    EXPECT_EQ(StoredDword(0), Stored(L"QzrdbUpdateRequest").second);
    EXPECT_EQ(StoredText(" "), Stored(L"MODEL_NAME").second);
    EXPECT_EQ(0, ValueOf(Query(), FeatureId::kAgentUpdateState));
    EXPECT_EQ(nullptr, provider_.GetAgentWindow());
}

TEST_F(DeviceQuery, TheAgentLeavesValuesItDoesNotListAlone)
{
    AgentStandin agent({AgentStandin::Text("MODEL_NAME", kModel)});
    ASSERT_TRUE(agent.Running());
    std::unique_ptr<GNRADeviceQuery> query = NewQuery();
    ASSERT_TRUE(query->WriteText(L"Unlisted", L"mine"));
    EXPECT_EQ(0, query->Query(target_.get(), 0));
    EXPECT_EQ(StoredText("mine"), Stored(L"Unlisted").second);
}

// The number forms: a REG_DWORD of 4 bytes, or up to 4 bytes of REG_BINARY read
// big-endian with trailing zero bytes dropped.
struct NumberRow {
    DWORD type;
    std::vector<uint8_t> bytes;
    bool readable;
    uint32_t value;
};

TEST_F(DeviceQuery, NumbersReadFromEachStoredForm)
{
    const NumberRow rows[] = {
        {REG_BINARY, {0x01, 0x2C, 0x00, 0x00}, true, 300},
        {REG_BINARY, {0x00, 0x00, 0x01, 0x2C}, true, 300},
        {REG_BINARY, {0x00, 0x00, 0x01, 0x00}, true, 1},
        {REG_BINARY, {0x01, 0x2C}, true, 300},
        {REG_BINARY, {0x14}, true, 0x14},
        {REG_BINARY, {0x00, 0x00, 0x00, 0x00}, true, 0},
        {REG_BINARY, {0x01, 0x02, 0x03, 0x04, 0x05}, false, 0},
        {REG_BINARY, {}, false, 0},
        {REG_DWORD, {0x2C, 0x01, 0x00, 0x00}, true, 300},
        {REG_DWORD, {0x2C, 0x01, 0x00}, false, 0},
        {REG_DWORD, {0x2C, 0x01, 0x00, 0x00, 0x00}, false, 0},
        {REG_SZ, {'3', 0, 0, 0}, false, 0},
    };
    std::unique_ptr<GNRADeviceQuery> query = NewQuery();
    for (const NumberRow& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.bytes));
        uint8_t none = 0;
        ASSERT_EQ(DWORD(ERROR_SUCCESS), SetPrinterDataW(query->GetPrinterHandle(), const_cast<wchar_t*>(L"Number"), row.type,
                                                 row.bytes.empty() ? &none : const_cast<uint8_t*>(row.bytes.data()),
                                                 DWORD(row.bytes.size())));
        uint32_t value = 0xDEADBEEF;
        EXPECT_EQ(row.readable, query->ReadNumber(L"Number", value));
        EXPECT_EQ(row.readable ? row.value : 0xDEADBEEF, value);
        // A plain REG_DWORD read takes only the 4-byte REG_DWORD.
        uint32_t dword = 0xDEADBEEF;
        EXPECT_EQ(row.type == REG_DWORD && row.bytes.size() == 4, query->ReadDword(L"Number", dword));
    }
}

TEST_F(DeviceQuery, TextsEndAtTheirFirstZeroOrTheBytesRead)
{
    const struct {
        DWORD type;
        std::vector<uint8_t> bytes;
        bool readable;
        std::wstring text;
    } rows[] = {
        {REG_SZ, {'a', 0, 'b', 0, 0, 0}, true, L"ab"},
        {REG_SZ, {'a', 0, 'b', 0, 'c', 0}, true, L"abc"},  // no terminating 0
        {REG_SZ, {'a', 0, 0, 0, 'c', 0, 0, 0}, true, L"a"},
        {REG_SZ, {'a', 0, 'b'}, true, L"a"},  // an odd byte is no character
        {REG_SZ, {}, true, L""},
        {REG_BINARY, {'a', 0, 0, 0}, false, L""},
        {REG_DWORD, {'a', 0, 0, 0}, false, L""},
    };
    std::unique_ptr<GNRADeviceQuery> query = NewQuery();
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(row.bytes));
        uint8_t none = 0;
        ASSERT_EQ(DWORD(ERROR_SUCCESS), SetPrinterDataW(query->GetPrinterHandle(), const_cast<wchar_t*>(L"Text"), row.type,
                                                 row.bytes.empty() ? &none : const_cast<uint8_t*>(row.bytes.data()),
                                                 DWORD(row.bytes.size())));
        RWWString text(L"unchanged");
        EXPECT_EQ(row.readable, query->ReadText(L"Text", text));
        EXPECT_TRUE(text == RWWString(row.readable ? row.text.c_str() : L"unchanged"));
    }
    // A text longer than any the query reads is refused, not allocated.
    std::vector<wchar_t> large(GNRADeviceQuery::kMaxValueBytes / 2 + 1, L'x');
    large.back() = 0;
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetPrinterDataW(query->GetPrinterHandle(), const_cast<wchar_t*>(L"Text"), REG_SZ,
                                             reinterpret_cast<BYTE*>(large.data()), DWORD(large.size() * 2)));
    RWWString text;
    EXPECT_FALSE(query->ReadText(L"Text", text));
    large.resize(GNRADeviceQuery::kMaxValueBytes / 2);
    large.back() = 0;
    ASSERT_EQ(DWORD(ERROR_SUCCESS), SetPrinterDataW(query->GetPrinterHandle(), const_cast<wchar_t*>(L"Text"), REG_SZ,
                                             reinterpret_cast<BYTE*>(large.data()), DWORD(large.size() * 2)));
    EXPECT_TRUE(query->ReadText(L"Text", text));
    EXPECT_EQ(large.size() - 1, text.Length());
}

TEST(DeviceQueryMemory, CodesOfTheMemoryBytes)
{
    const struct {
        std::vector<uint8_t> bytes;
        uint16_t code;
    } rows[] = {
        {{1, 1, 0}, 4}, {{1, 2, 0}, 3}, {{1, 3, 0}, 5}, {{1, 4, 0}, 2}, {{1, 5, 0}, 0},
        {{1, 0, 0}, 0}, {{2, 3, 0}, 0}, {{1, 3}, 0},    {{}, 0},        {{1, 3, 0, 9}, 5},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.code, GNRADeviceQuery::MemoryCode(row.bytes)) << testing::PrintToString(row.bytes);
}

// Media names: a type count narrows them to the five up to it, asked for once more.
TEST_F(DeviceQuery, ATypeCountOfSevenAsksForNamesThreeToSevenAgain)
{
    std::vector<Value> values = {AgentStandin::Text("MODEL_NAME", kModel),
                                 AgentStandin::Dword("MEDIA-NUMBER-OF-TYPE-SUPPORTED", 7)};
    for (int i = 1; i <= 7; ++i)
        if (i != 5)
            values.push_back(AgentStandin::Text(("MEDIA" + std::to_string(i) + "-NAME").c_str(),
                                                ("Media " + std::to_string(i)).c_str()));
    AgentStandin agent(values);
    ASSERT_TRUE(agent.Running());
    std::unique_ptr<GNRADeviceQuery> query = NewQuery();
    query->WriteText(L"MEDIA5-NAME", L"Stale");
    EXPECT_EQ(0, query->Query(target_.get(), 0));
    EXPECT_EQ(4, agent.Requests());
    // The placeholder mask offers every name of the span; 5 was blanked and not answered.
    EXPECT_EQ((std::vector<std::string>{"Media 3", "Media 4", "Media 6", "Media 7"}),
              Texts(Query().FindById(FeatureId::kMediaNames)));
    EXPECT_EQ(StoredText(" "), Stored(L"MEDIA5-NAME").second);
}

TEST_F(DeviceQuery, ACountBelowFiveStartsAtOne)
{
    AgentStandin agent({AgentStandin::Text("MODEL_NAME", kModel),
                        AgentStandin::Dword("MEDIA-NUMBER-OF-TYPE-SUPPORTED", 2),
                        AgentStandin::Text("MEDIA1-NAME", "Plain"), AgentStandin::Text("MEDIA2-NAME", "Bond")});
    ASSERT_TRUE(agent.Running());
    EXPECT_EQ(0, RunQuery());
    EXPECT_EQ((std::vector<std::string>{"Plain", "Bond"}), Texts(Query().FindById(FeatureId::kMediaNames)));
    EXPECT_EQ(0u, Stored(L"MEDIA0-NAME").first);
    EXPECT_EQ(0u, Stored(L"MEDIA-2-NAME").first);
}

TEST_F(DeviceQuery, TheMaskOffersTheNamesOfItsBits)
{
    const Value masks[] = {AgentStandin::Dword("Media-Names-Available", 0x14),
                           AgentStandin::Binary("Media-Names-Available", {0x00, 0x00, 0x00, 0x14}),
                           AgentStandin::Binary("Media-Names-Available", {0x14})};
    for (const Value& mask : masks) {
        SCOPED_TRACE(mask.type);
        std::vector<Value> values = {AgentStandin::Text("MODEL_NAME", kModel), mask};
        for (int i = 1; i <= 8; ++i)
            values.push_back(AgentStandin::Text(("MEDIA" + std::to_string(i) + "-NAME").c_str(),
                                                ("Media " + std::to_string(i)).c_str()));
        AgentStandin agent(values);
        ASSERT_TRUE(agent.Running());
        target_ = MakeTarget();
        Query().FindById(FeatureId::kMediaNames)->Add(new GStringAttribute("Old", 0));
        EXPECT_EQ(0, RunQuery());
        EXPECT_EQ((std::vector<std::string>{"Media 3", "Media 5"}), Texts(Query().FindById(FeatureId::kMediaNames)));
        EXPECT_EQ(2, agent.Requests());
    }
}

TEST_F(DeviceQuery, IndexesPastTheMaskAreNeverOffered)
{
    std::vector<Value> values = {AgentStandin::Text("MODEL_NAME", kModel),
                                 AgentStandin::Dword("Media-Names-Available", 0xFFFFFFFF)};
    for (int i = 30; i <= 34; ++i)
        values.push_back(AgentStandin::Text(("MEDIA" + std::to_string(i) + "-NAME").c_str(),
                                            ("Media " + std::to_string(i)).c_str()));
    AgentStandin agent(values);
    ASSERT_TRUE(agent.Running());
    static_cast<GRangeAttribute*>(Query().FindById(FeatureId::kMediaNameIndexes))->SetMaximum(34);
    static_cast<GRangeAttribute*>(Query().FindById(FeatureId::kMediaNameIndexes))->SetMinimum(30);
    EXPECT_EQ(0, RunQuery());
    EXPECT_EQ((std::vector<std::string>{"Media 30", "Media 31", "Media 32"}),
              Texts(Query().FindById(FeatureId::kMediaNames)));
}

// Device options: targets follow the option models the devices report.
GAttributeComposite* OptionMember(const char* model, GAttribute* target)
{
    GAttributeComposite* member = new GAttributeComposite(0);
    member->Add(new GStringAttribute(model, FeatureId::kOptionModel));
    target->SetId(FeatureId::kOptionTarget);
    member->Add(target);
    return member;
}

TEST_F(DeviceQuery, ReportedOptionModelsSetTheirTargets)
{
    AgentStandin agent({AgentStandin::Text("MODEL_NAME", kModel), AgentStandin::Dword("PHD1-NUMBER-OF-OPTIONS", 2),
                        AgentStandin::Text("PHD1-OPTION1-OPTION_MODEL", "K5930"),
                        AgentStandin::Text("PHD1-OPTION2-OPTION_MODEL", "Duplex 5900")});
    ASSERT_TRUE(agent.Running());
    GObjectBase* options = Query().FindById(FeatureId::kDeviceOptions);
    GValueAttribute* reported = new GValueAttribute(0, 0);
    GValueAttribute* unreported = new GValueAttribute(1, 0);
    GStringAttribute* text = new GStringAttribute("old", 0);
    GStringAttribute* cleared = new GStringAttribute("old", 0);
    options->Add(OptionMember("k5930", reported));
    options->Add(OptionMember("Z9", unreported));
    options->Add(OptionMember("k5930", text));
    options->Add(OptionMember("Stapler", cleared));
    EXPECT_EQ(0, RunQuery());
    EXPECT_EQ(1, reported->GetValue());
    EXPECT_EQ(0, unreported->GetValue());
    EXPECT_STREQ("K5930", text->GetString().Data());
    EXPECT_STREQ("", cleared->GetString().Data());
    EXPECT_EQ(4, agent.Requests());
}

TEST_F(DeviceQuery, AnOptionCountAbove64EndsTheOptionsAtOnce)
{
    const struct {
        uint32_t count;
        uint16_t result;
        long requests;
    } rows[] = {{64, 0, 4}, {65, 1, 2}, {0xFFFFFFFF, 1, 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.count);
        ClearPrinterData();
        AgentStandin agent({AgentStandin::Text("MODEL_NAME", kModel),
                            AgentStandin::Dword("PHD1-NUMBER-OF-OPTIONS", row.count),
                            AgentStandin::Text("PHD1-OPTION1-OPTION_MODEL", "K5930")});
        ASSERT_TRUE(agent.Running());
        target_ = MakeTarget();
        EXPECT_EQ(row.result, RunQuery());
        EXPECT_EQ(row.requests, agent.Requests());
        EXPECT_EQ(row.result == 0 ? DWORD(REG_SZ) : 0u, Stored(L"PHD1-OPTION64-OPTION_MODEL").first);
        EXPECT_EQ(row.result == 0 ? 2 : 1, ValueOf(Query(), FeatureId::kAgentUpdateState));
    }
}

// Paper-handling devices.
GAttributeComposite* Slots(long option, const char* trayName)
{
    GAttributeComposite* slots = new GAttributeComposite(option);
    if (trayName)
        slots->Add(new GTray(trayName, uint16_t(option), 0));
    return slots;
}

GPaperHandlingDevice* Device(const char* name, uint32_t detection, uint32_t querySelect = 0, uint32_t mode = 1)
{
    GPaperHandlingDevice* device =
        new GPaperHandlingDevice(name, GPaperHandlingDevice::kInput, mode, 1, detection, querySelect, 0);
    device->SetOption(0, Slots(0, name));
    return device;
}

TEST_F(DeviceQuery, DevicesAreFoundByTheirMatchKind)
{
    AgentStandin agent({AgentStandin::Text("MODEL_NAME", kModel),
                        AgentStandin::Text("PHD1-MODEL", "500-sheet tray 3 unit"),
                        AgentStandin::Text("PHD2-MODEL", "ENVELOPE FEEDER"),
                        AgentStandin::Text("prtInputModel2", "hci 2000")});
    ASSERT_TRUE(agent.Running());
    GObjectBase* devices = Query().FindById(90);
    GPaperHandlingDevice* inside = Device("Tray 3", 1);
    GPaperHandlingDevice* equal = Device("Envelope Feeder", 2);
    GPaperHandlingDevice* notEqual = Device("Envelope", 2);
    GPaperHandlingDevice* unreported = Device("Stacker", 2);
    GPaperHandlingDevice* undetectable = Device("Tray 3", 0);
    GPaperHandlingDevice* fixed = Device("Tray 9", 2, 0, 0);
    fixed->SetOption(1, Slots(1, "Tray 9"));
    // Kind 3: present through the device named in one of its configurations.
    GPaperHandlingDevice* deck = new GPaperHandlingDevice("Deck", GPaperHandlingDevice::kInput, 1, 0, 3, 0, 0);
    deck->SetOption(1, Slots(1, "Tray 7"));
    deck->SetOption(2, Slots(2, "TRAY 3"));
    GPaperHandlingDevice* absentDeck = new GPaperHandlingDevice("Deck 2", GPaperHandlingDevice::kInput, 1, 1, 3, 0, 0);
    absentDeck->SetOption(1, Slots(1, "Stacker"));
    // Kind 3 through an input tray the printer reports.
    GPaperHandlingDevice* feeder = new GPaperHandlingDevice("Feeder", GPaperHandlingDevice::kInput, 1, 0, 3, 0, 0);
    feeder->SetOption(1, Slots(1, "LCT 1000"));
    feeder->SetOption(4, Slots(4, "HCI 2000"));
    for (GPaperHandlingDevice* device :
         {inside, equal, notEqual, unreported, undetectable, fixed, deck, absentDeck, feeder})
        devices->Add(device);
    EXPECT_EQ(0, RunQuery());
    EXPECT_EQ(1u, inside->GetCount());
    EXPECT_EQ(1u, equal->GetCount());
    EXPECT_EQ(0u, notEqual->GetCount());
    EXPECT_EQ(0u, unreported->GetCount());
    EXPECT_EQ(0u, undetectable->GetCount());
    EXPECT_EQ(1u, fixed->GetCount());
    EXPECT_EQ(1u, deck->GetCount());
    EXPECT_EQ(2, deck->GetSelectedOption());
    EXPECT_EQ(0u, absentDeck->GetCount());
    EXPECT_EQ(1u, feeder->GetCount());
    EXPECT_EQ(4, feeder->GetSelectedOption());
}

TEST_F(DeviceQuery, MemoryBytesSelectTheDevicesMemoryOption)
{
    AgentStandin agent({AgentStandin::Text("MODEL_NAME", kModel), AgentStandin::Text("PHD1-MODEL", "Disk Unit"),
                        AgentStandin::Binary("PHD1-DEVICE-MEMORY", {0x01, 0x03, 0x00})});
    ASSERT_TRUE(agent.Running());
    GObjectBase* devices = Query().FindById(90);
    GPaperHandlingDevice* withOption = Device("Disk Unit", 2, 1);
    withOption->SetOption(5, Slots(5, nullptr));
    withOption->SelectOption(0);
    GPaperHandlingDevice* withoutOption = Device("disk unit", 2, 1);
    withoutOption->SetOption(3, Slots(3, nullptr));
    withoutOption->SelectOption(3);
    GPaperHandlingDevice* noQuerySelect = Device("DISK UNIT", 2, 0);
    noQuerySelect->SetOption(5, Slots(5, nullptr));
    noQuerySelect->SelectOption(0);
    for (GPaperHandlingDevice* device : {withOption, withoutOption, noQuerySelect})
        devices->Add(device);
    EXPECT_EQ(0, RunQuery());
    EXPECT_EQ(5, withOption->GetSelectedOption());
    EXPECT_EQ(0, withoutOption->GetSelectedOption());
    EXPECT_EQ(0, noQuerySelect->GetSelectedOption());
    for (GPaperHandlingDevice* device : {withOption, withoutOption, noQuerySelect})
        EXPECT_EQ(1u, device->GetCount());
}

GPaperHandlingDevice* OutputDevice(const char* name, int bins, uint32_t count = 1)
{
    GPaperHandlingDevice* device = new GPaperHandlingDevice(name, GPaperHandlingDevice::kOutput, 1, count, 0, 0, 0);
    GAttributeComposite* slots = new GAttributeComposite(1);
    for (int b = 0; b < bins; ++b)
        slots->Add(new GBin(name, uint16_t(b + 1), 0));
    device->SetOption(1, slots);
    return device;
}

TEST_F(DeviceQuery, OutputNamesGoToTheInstalledOutputDevicesInOrder)
{
    AgentStandin agent({AgentStandin::Text("MODEL_NAME", kModel), AgentStandin::Text("prtOutputName1", "Top"),
                        AgentStandin::Text("prtOutputName2", "Stacker 1"),
                        AgentStandin::Text("prtOutputName3", "Stacker 2")});
    ASSERT_TRUE(agent.Running());
    GObjectBase* outputs = target_->FindById(FeatureId::kOutputAccessories);
    GPaperHandlingDevice* top = OutputDevice("Top Bin", 1);
    GPaperHandlingDevice* absent = OutputDevice("Mailbox", 3, 0);
    GPaperHandlingDevice* stacker = OutputDevice("Stacker", 2);
    for (GPaperHandlingDevice* device : {top, absent, stacker})
        outputs->Add(device);
    // A name from an earlier query goes.
    top->FindOption(1)->Add(new GStringAttribute("Earlier", 0));
    EXPECT_EQ(0, RunQuery());
    EXPECT_EQ((std::vector<std::string>{"Top"}), Texts(top->FindOption(1)));
    EXPECT_EQ((std::vector<std::string>{}), Texts(absent->FindOption(1)));
    EXPECT_EQ((std::vector<std::string>{"Stacker 1", "Stacker 2"}), Texts(stacker->FindOption(1)));
    EXPECT_EQ(4u, stacker->FindOption(1)->Entries());
}

// The driver object asks the printer of the generated model, as the module does: through
// the registered provider's query on the printer's configuration, with the model check.
TEST_F(DeviceQuery, TheGeneratedPrinterIsFilledThroughTheDriverObjectsProviderQuery)
{
    AgentStandin agent({AgentStandin::Text("MODEL_NAME", "qz colour laser 5930DN"),
                        AgentStandin::Text("PHD1-MODEL", "500-sheet Tray 3 unit"),
                        AgentStandin::Text("PHD2-MODEL", "W1908 Stapler/Stacker"),
                        AgentStandin::Dword("PHD2-NUMBER-OF-OPTIONS", 1),
                        AgentStandin::Text("PHD2-OPTION1-OPTION_MODEL", "QZ-SS5900"),
                        AgentStandin::Dword("MEDIA-NUMBER-OF-TYPE-SUPPORTED", 15),
                        AgentStandin::Dword("Media-Names-Available", 0x6000),
                        AgentStandin::Text("MEDIA14-NAME", "Glossy"), AgentStandin::Text("MEDIA15-NAME", "Envelope"),
                        AgentStandin::Text("prtOutputName1", "Face-Down"),
                        AgentStandin::Text("prtOutputName2", "Face-Up"),
                        AgentStandin::Text("prtOutputName3", "Stacker")});
    ASSERT_TRUE(agent.Running());
    std::unique_ptr<MPersistentComposite> root(GDriverDataModel::Build());
    GDriverObject driver(RWWString(printer_.Name().c_str()), RWWString(), RWWString(L"channel"));
    driver.SetPrinter(root->RemoveById(FeatureId::kPrinterRoot));
    GConfiguration* configuration = driver.GetPrinterConfiguration();
    ASSERT_TRUE(configuration);
    GNRAProvider provider;
    ASSERT_EQ(0, GProviderRegistry::Instance().Register(&provider, "QZNRA generated model"));
    const uint32_t answer = driver.QueryProvider();
    GProviderRegistry::Instance().Unregister("QZNRA generated model");
    EXPECT_EQ(0u, answer);

    GObjectBase& path = *configuration->FindById(FeatureId::kPaperPath);
    EXPECT_STREQ("qz colour laser 5930DN", Member<GStringAttribute>(path, FeatureId::kReportedModel)->GetString().Data());
    EXPECT_EQ(2, ValueOf(path, FeatureId::kAgentUpdateState));
    std::vector<std::string> installed;
    for (uint32_t i = 0; i < path.FindById(FeatureId::kInputDevices)->Entries(); ++i) {
        auto* device = static_cast<GPaperHandlingDevice*>(
            static_cast<GAttributeComposite*>(path.FindById(FeatureId::kInputDevices))->At(i));
        if (device->GetCount())
            installed.push_back(device->GetName().Data());
    }
    EXPECT_EQ((std::vector<std::string>{"Tray 1", "Tray 2", "Tray 3", "Face-Down Bin", "Rear Face-Up Bin",
                                        "W1908"}),
              installed);
    EXPECT_EQ((std::vector<std::string>{"Glossy", "Envelope"}), Texts(path.FindById(FeatureId::kMediaNames)));
    std::vector<std::string> targets;
    GObjectBase* options = path.FindById(FeatureId::kDeviceOptions);
    for (uint32_t i = 0; i < options->Entries(); ++i) {
        GObjectBase* target = static_cast<GAttributeComposite*>(options)->At(i)->FindById(FeatureId::kOptionTarget);
        targets.push_back(target->ClassId() == GStringAttribute::kClassId
                              ? static_cast<GStringAttribute*>(target)->GetString().Data()
                              : std::to_string(static_cast<GValueAttribute*>(target)->GetValue()));
    }
    // The named feature's member (1207 = 1205) is read as a flag by the query and cleared.
    EXPECT_EQ((std::vector<std::string>{"0", "0", "QZ-SS5900", "0"}), targets);
    std::vector<std::string> names;
    GObjectBase* outputs = path.FindById(FeatureId::kOutputAccessories);
    for (uint32_t i = 0; i < outputs->Entries(); ++i) {
        auto* device = static_cast<GPaperHandlingDevice*>(static_cast<GAttributeComposite*>(outputs)->At(i));
        for (const std::string& name : Texts(device->FindOption(device->GetSelectedOption())))
            names.push_back(name);
    }
    EXPECT_EQ((std::vector<std::string>{"Face-Down", "Face-Up", "Stacker"}), names);
}

} // namespace
