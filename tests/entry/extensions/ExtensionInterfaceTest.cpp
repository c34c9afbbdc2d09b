// The driver's side of the extension interface with the stand-in module really loaded:
// the exported calls and their statuses, the settings reads and writes, the value
// switch from a page and from a rendering module, registration and unregistration in
// the settings tree, and the UI host filling a sheet's page entries.
#include "ModuleAtDriveRoot.h"
#include "entry/extensions/ExtensionContextRegistry.h"
#include "entry/extensions/ExtensionExports.h"
#include "entry/extensions/ExtensionTree.h"
#include "entry/extensions/GExtensionManager.h"
#include "entry/extensions/GUIExtensionHost.h"
#include "entry/module/GUIOSFactory.h"
#include "entry/sheet/GUIData.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GResourceMappingList.h"
#include "model/MAssociationList.h"
#include "model/MPersistentAssociation.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GPeripheralComposite.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pdl/pcl5e/GPcl5e.h"
#include "pdl/pjl_xl/GCheetah.h"
#include "pdl/pjl_xl/GPJL.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPassThroughCommand.h"
#include "printer/GDriverObject.h"
#include "printer/GPrinter.h"
#include "model/GState.h"
#include "ExtensionStandIn.h"
#include "RecordingWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

GAttributeComposite* Entry(const std::string& name, uint16_t index, uint16_t flags = 0,
                           const std::string& module = "qzext.dll")
{
    ExtensionDescriptor d{};
    std::strncpy(d.text1, "first", sizeof d.text1 - 1);
    std::strncpy(d.name, name.c_str(), sizeof d.name - 1);
    std::strncpy(d.text2, "second", sizeof d.text2 - 1);
    d.flags = flags;
    std::strncpy(d.uiModule, module.c_str(), sizeof d.uiModule - 1);
    std::strncpy(d.renderModule, module.c_str(), sizeof d.renderModule - 1);
    std::strncpy(d.text3, "third", sizeof d.text3 - 1);
    std::strncpy(d.text4, "fourth", sizeof d.text4 - 1);
    return ExtensionTree::EntryFromDescriptor(d, index);
}

GAttributeComposite* SettingsEntry(const std::string& bytes, uint16_t index)
{
    GAttributeComposite* entry = new GAttributeComposite(0);
    entry->Add(new GStringAttribute(RWCString(bytes.data(), bytes.size()), FeatureId::kExtensionSettingsBytes));
    entry->Add(new GValueAttribute(index, FeatureId::kExtensionIndex));
    return entry;
}

// The settings root of a printer: list 987 under 368 and list 997 under 367.
GAttributeComposite* Root(std::vector<GAttributeComposite*> entries, std::vector<GAttributeComposite*> settings)
{
    GAttributeComposite* root = new GAttributeComposite(1);
    GAttributeComposite* container = new GAttributeComposite(FeatureId::kExtensionContainer);
    GAttributeComposite* list = new GAttributeComposite(FeatureId::kExtensionDescriptorList);
    for (GAttributeComposite* entry : entries)
        list->Add(entry);
    container->Add(list);
    root->Add(container);
    GAttributeComposite* node = new GAttributeComposite(FeatureId::kExtensionSettingsNode);
    GAttributeComposite* settingsList = new GAttributeComposite(FeatureId::kExtensionSettingsList);
    for (GAttributeComposite* entry : settings)
        settingsList->Add(entry);
    node->Add(settingsList);
    root->Add(node);
    return root;
}

// The orientation setting value 70 reads.
const long kOrientationSetting = 265;

enum Writer { kNoWriter, kPclXl, kPcl5e };

// A driver object with the given settings root and writer.
class ExtensionDriver : public GDriverObject {
public:
    explicit ExtensionDriver(GAttributeComposite* root, Writer writer = kPclXl)
        : GDriverObject(RWWString(L"ext")), root_(root)
    {
        GPrinter* printer = new GPrinter("printer", nullptr, nullptr, 8);
        if (writer == kPclXl)
            GCheetah().ApplyTo(*printer);
        else if (writer == kPcl5e)
            GPcl5e().ApplyTo(*printer);
        SetPrinter(printer);
    }
    GObjectBase* CreateSettings() override { return root_; }
    GExtensionManager& Manager() { return *static_cast<GExtensionManager*>(GetExtensionContext()); }

private:
    GAttributeComposite* root_;
};

// The entries of a list as "name:index" or, for settings, "bytes:index".
std::vector<std::string> ListOf(GObjectBase* root, long node, long list, long textId)
{
    std::vector<std::string> out;
    GObjectBase* found = ExtensionTree::FindList(root, node, list);
    std::unique_ptr<GObjectIterator> it(found ? found->CreateIterator() : nullptr);
    while (it && it->Next()) {
        const RWCString text = ExtensionTree::TextOf(it->Current(), textId);
        out.push_back(std::string(text.Data(), text.Length()) + ":" +
                      std::to_string(ExtensionTree::ValueOf(it->Current(), FeatureId::kExtensionIndex, 0xFFFF)));
    }
    return out;
}

std::vector<std::string> Registered(GObjectBase* root)
{
    return ListOf(root, FeatureId::kExtensionContainer, FeatureId::kExtensionDescriptorList,
                  FeatureId::kExtensionName);
}

std::vector<std::string> StoredSettings(GObjectBase* root)
{
    return ListOf(root, FeatureId::kExtensionSettingsNode, FeatureId::kExtensionSettingsList,
                  FeatureId::kExtensionSettingsBytes);
}

class ExtensionTest : public testing::Test {
protected:
    void SetUp() override
    {
        ExtensionStandIn::UseServicesThatFindIt();
        ASSERT_TRUE(standIn.Loaded());
    }

    // A sheet record over the root for the driver object.
    GUIData Sheet(GObjectBase* root, GDriverObject* driver, uint32_t pageSet = 1)
    {
        GUIData data{};
        data.size = 60;
        data.driverUI = driver;
        data.settings = root;
        data.pageSet = pageSet;
        return data;
    }

    ExtensionStandIn standIn{L"qzext.dll"};
};

} // namespace

// ---- Exports ----

TEST_F(ExtensionTest, QueryInterfaceFillsTheDriverTableOnlyForId50)
{
    void* table[4] = {nullptr, nullptr, nullptr, &table};
    EXPECT_EQ(0, QZDrv_QueryInterface(50, table));
    EXPECT_EQ(reinterpret_cast<void*>(&QZDrv_UIGetValue), table[0]);
    EXPECT_EQ(reinterpret_cast<void*>(&QZDrv_UIGetExtSettings), table[1]);
    EXPECT_EQ(reinterpret_cast<void*>(&QZDrv_UISetExtSettings), table[2]);
    EXPECT_EQ(static_cast<void*>(&table), table[3]) << "exactly three pointers";
    for (uint16_t id : {0, 1, 2, 49, 51}) {
        void* untouched[3] = {&table, &table, &table};
        EXPECT_EQ(5, QZDrv_QueryInterface(id, untouched)) << id;
        EXPECT_EQ(static_cast<void*>(&table), untouched[0]) << id;
    }
    EXPECT_EQ(1, QZDrv_QueryInterface(50, nullptr)) << "a null table is never written";
    EXPECT_EQ(5, QZDrv_SetExtSettings(nullptr, 0, nullptr, nullptr));
    EXPECT_EQ(5, QZDrv_SetExtSettings(table, 7, table, table));
}

// Contexts that are not a live host of the right kind are refused, never followed.
TEST_F(ExtensionTest, HostileArgumentsGiveOneAndAreNeverDereferenced)
{
    ExtensionDriver driver(Root({Entry("one", 0)}, {SettingsEntry("abc", 0)}));
    GExtensionManager& manager = driver.Manager();
    GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
    manager.LoadForDocument(start);
    GUIExtensionHost host;
    GUIData sheet = Sheet(driver.GetSettings(), &driver);
    host.AddPages(&sheet, 0);
    int junk[16] = {};
    uint8_t buffer[8];
    uint16_t out = 0;
    void* const notHosts[] = {nullptr, junk};
    for (void* context : notHosts) {
        EXPECT_EQ(1, QZDrv_UIGetValue(10, &out, context));
        EXPECT_EQ(1, QZDrv_UIGetExtSettings(buffer, 8, "one", context));
        EXPECT_EQ(1, QZDrv_UISetExtSettings(buffer, 3, "one", context));
        EXPECT_EQ(1, QZDrv_GetValue(10, &out, context));
        EXPECT_EQ(1, QZDrv_GetExtSettings(buffer, 8, "one", context));
    }
    // Each side's context is not the other's.
    EXPECT_EQ(1, QZDrv_UIGetValue(10, &out, &manager));
    EXPECT_EQ(1, QZDrv_GetExtSettings(buffer, 8, "one", &host));
    // Null names, null buffers with a size, null bytes with a length, null outputs.
    EXPECT_EQ(1, QZDrv_GetExtSettings(buffer, 8, nullptr, &manager));
    EXPECT_EQ(1, QZDrv_GetExtSettings(nullptr, 8, "one", &manager));
    EXPECT_EQ(1, QZDrv_UIGetExtSettings(nullptr, 8, "one", &host));
    EXPECT_EQ(1, QZDrv_UISetExtSettings(nullptr, 3, "one", &host));
    EXPECT_EQ(1, QZDrv_UISetExtSettings(buffer, 3, nullptr, &host));
    EXPECT_EQ(1, QZDrv_UIGetValue(10, nullptr, &host));
    EXPECT_EQ(1, QZDrv_GetValue(10, nullptr, &manager));
    EXPECT_EQ(0, QZDrv_GetExtSettings(buffer, 3, "one", &manager)) << "the live context itself answers";
    GDocumentEnd end(2);
    manager.EndDocument(end);
}

TEST_F(ExtensionTest, AContextNoLongerLiveIsRefused)
{
    // The host's storage outlives the host, as a module's copy of its context would.
    alignas(GUIExtensionHost) unsigned char storage[sizeof(GUIExtensionHost)];
    GUIExtensionHost* host = new (storage) GUIExtensionHost;
    EXPECT_TRUE(ExtensionContextRegistry::IsLive(host, ExtensionContextRegistry::kUIHost));
    host->~GUIExtensionHost();
    uint8_t buffer[4];
    EXPECT_EQ(1, QZDrv_UIGetExtSettings(buffer, 4, "one", storage));
}

// ---- Settings reads and writes ----

TEST_F(ExtensionTest, SettingsReadAnswersByTheStoredLength)
{
    const std::string stored = "0123456789abcdefghij";
    ExtensionDriver driver(Root({Entry("one", 0), Entry("empty", 1)}, {SettingsEntry(stored, 0)}));
    GExtensionManager& manager = driver.Manager();
    GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
    manager.LoadForDocument(start);
    struct Row {
        uint16_t size;
        uint16_t status;
        size_t copied;
    };
    const Row rows[] = {{50, 11, 20}, {21, 11, 20}, {20, 0, 20}, {19, 2, 19}, {8, 2, 8}, {0, 2, 0}};
    for (const Row& row : rows) {
        std::vector<uint8_t> buffer(64, 0xCC);
        EXPECT_EQ(row.status, QZDrv_GetExtSettings(buffer.data(), row.size, "one", &manager)) << row.size;
        EXPECT_EQ(stored.substr(0, row.copied), std::string(buffer.begin(), buffer.begin() + row.copied));
        EXPECT_EQ(0xCC, buffer[row.copied]) << "nothing past the copy, no NUL added";
    }
    uint8_t buffer[50];
    for (uint16_t size : {0, 8, 50}) {
        EXPECT_EQ(10, QZDrv_GetExtSettings(buffer, size, "empty", &manager));
        EXPECT_EQ(10, QZDrv_GetExtSettings(buffer, size, "unknown", &manager));
    }
    GDocumentEnd end(2);
    manager.EndDocument(end);
}

TEST_F(ExtensionTest, OfTwoEqualNamesTheLaterWinsAndNamesCompareWithinTheirField)
{
    const std::string longName(45, 'n');
    ExtensionDriver driver(Root({Entry("twin", 0), Entry("twin", 1), Entry(longName, 2)},
                                {SettingsEntry("first", 0), SettingsEntry("second", 1), SettingsEntry("long", 2)}));
    GExtensionManager& manager = driver.Manager();
    GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
    manager.LoadForDocument(start);
    char buffer[10] = {};
    EXPECT_EQ(0, QZDrv_GetExtSettings(reinterpret_cast<uint8_t*>(buffer), 6, "twin", &manager));
    EXPECT_EQ("second", std::string(buffer, 6));
    // The stored name is cut to 39 bytes and its NUL; the given one matches within 40.
    EXPECT_EQ(0, QZDrv_GetExtSettings(reinterpret_cast<uint8_t*>(buffer), 4, longName.substr(0, 39).c_str(),
                                      &manager));
    EXPECT_EQ(10, QZDrv_GetExtSettings(reinterpret_cast<uint8_t*>(buffer), 4, longName.c_str(), &manager));
    GDocumentEnd end(2);
    manager.EndDocument(end);
}

TEST_F(ExtensionTest, SettingsWriteFromAPageLandsInTheSheetTreeAndItsCopy)
{
    ExtensionDriver driver(Root({Entry("one", 0), Entry("two", 1)}, {SettingsEntry("old", 0)}));
    GUIExtensionHost host;
    GUIData sheet = Sheet(driver.GetSettings(), &driver);
    EXPECT_EQ(0, host.AddPages(&sheet, 0));
    EXPECT_EQ(2, host.GetCount()) << "counted without a UI module";

    std::string tooLong(51, 'x');
    EXPECT_EQ(15, QZDrv_UISetExtSettings(reinterpret_cast<const uint8_t*>(tooLong.data()), 51, "one", &host));
    EXPECT_EQ((std::vector<std::string>{"old:0"}), StoredSettings(driver.GetSettings()));

    std::string fifty(50, 'y');
    fifty[3] = '\0';
    fifty[49] = '\0';
    EXPECT_EQ(0, QZDrv_UISetExtSettings(reinterpret_cast<const uint8_t*>(fifty.data()), 50, "one", &host));
    std::vector<uint8_t> back(50);
    EXPECT_EQ(0, QZDrv_UIGetExtSettings(back.data(), 50, "one", &host));
    EXPECT_EQ(fifty, std::string(back.begin(), back.end()));
    EXPECT_EQ((std::vector<std::string>{fifty + ":0"}), StoredSettings(driver.GetSettings()));

    EXPECT_EQ(1, QZDrv_UISetExtSettings(back.data(), 3, "unknown", &host));
    EXPECT_EQ(1, QZDrv_UISetExtSettings(back.data(), 3, "two", &host)) << "no settings entry for it";
}

// ---- Values ----

TEST_F(ExtensionTest, ValueStatusesFromPagesAndModules)
{
    GAttributeComposite* root = Root({Entry("one", 0)}, {});
    root->Add(new GValueAttribute(0, kOrientationSetting));
    ExtensionDriver driver(root);
    GUIExtensionHost host;
    GUIData sheet = Sheet(root, &driver);
    host.AddPages(&sheet, 0);
    uint16_t out = 0xABCD;
    EXPECT_EQ(4, QZDrv_UIGetValue(60, &out, &host)) << "sizes are the rendering side's";
    EXPECT_EQ(0, QZDrv_UIGetValue(70, &out, &host));
    EXPECT_EQ(71, out);
    EXPECT_EQ(3, QZDrv_GetValue(11, &out, &driver.Manager()));
    EXPECT_EQ(3, QZDrv_UIGetValue(11, &out, &host));
}

TEST_F(ExtensionTest, ValueTenNamesTheWriterOfThePrinter)
{
    const struct {
        Writer writer;
        uint16_t status;
        uint16_t code;
    } rows[] = {{kPclXl, 0, 12}, {kPcl5e, 0, 11}, {kNoWriter, 1, 0xABCD}};
    for (const auto& row : rows) {
        GAttributeComposite* root = Root({}, {});
        ExtensionDriver driver(root, row.writer);
        GUIExtensionHost host;
        GUIData sheet = Sheet(root, &driver);
        host.AddPages(&sheet, 0);
        uint16_t out = 0xABCD;
        EXPECT_EQ(row.status, QZDrv_UIGetValue(10, &out, &host)) << row.writer;
        EXPECT_EQ(row.code, out) << row.writer;
    }
}

TEST_F(ExtensionTest, ValuesFromAPageMapThroughTheCodeTables)
{
    struct Row {
        uint16_t valueId;
        long featureId;
        uint16_t stored;
        const char* text;
        uint16_t code;
    };
    const Row rows[] = {
        // Table A through value 30 (setting 260).
        {30, 260, 1, nullptr, 31},     {30, 260, 6, nullptr, 32},     {30, 260, 23, nullptr, 33},
        {30, 260, 55, nullptr, 46},    {30, 260, 44, nullptr, 49},    {30, 260, 16384, nullptr, 59},
        {30, 260, 2, nullptr, 59},
        // Table B through value 81 (setting 262).
        {81, 262, 0, "Plain", 89},     {81, 262, 0, "Gloss", 97},     {81, 262, 0, "Glossy", 97},
        {81, 262, 0, "gloss", 83},     {81, 262, 0, "28 lb Type1", 98}, {81, 262, 0, "Envelope", 100},
        {81, 262, 0, "", 83},
        // Table C through value 110 (setting 258).
        {110, 258, 1, nullptr, 116},   {110, 258, 19, nullptr, 113},  {110, 258, 21, nullptr, 120},
        {110, 258, 26, nullptr, 125},  {110, 258, 27, nullptr, 27},   {110, 258, 7, nullptr, 7},
    };
    for (const Row& row : rows) {
        GAttributeComposite* root = Root({}, {});
        if (row.text)
            root->Add(new GStringAttribute(row.text, row.featureId));
        else
            root->Add(new GValueAttribute(row.stored, row.featureId));
        ExtensionDriver driver(root);
        GUIExtensionHost host;
        GUIData sheet = Sheet(root, &driver);
        host.AddPages(&sheet, 0);
        uint16_t out = 0;
        EXPECT_EQ(0, QZDrv_UIGetValue(row.valueId, &out, &host)) << row.valueId << " " << row.stored;
        EXPECT_EQ(row.code, out) << row.valueId << " " << row.stored << " " << (row.text ? row.text : "");
    }
}

// ---- Registration ----

TEST_F(ExtensionTest, FirstRegistrationReplacesThePlaceholderAndStoresIndexZero)
{
    standIn.SetDefaults("defaults");
    ExtensionDriver driver(Root({Entry("placeholder", 100)}, {SettingsEntry("", 100)}));
    EXPECT_EQ(0, driver.Manager().Register(RWWString(L"qzext.dll")));
    EXPECT_EQ((std::vector<std::string>{"qzext:0"}), Registered(driver.GetSettings()));
    EXPECT_EQ((std::vector<std::string>{"defaults:0"}), StoredSettings(driver.GetSettings()));
    EXPECT_EQ("QueryInterface 0;Describe 12;GetDefaultSettings;OnRegistered", standIn.Log());
}

TEST_F(ExtensionTest, RegistrationRefusesAFifthExtensionAndASecondOfTheSameName)
{
    const wchar_t* const copies[] = {L"qzext3.dll", L"qzext4.dll", L"qzext5.dll", L"qzext6.dll"};
    for (const wchar_t* copy : copies)
        ASSERT_TRUE(ExtensionStandIn::MakeCopy(copy));
    ExtensionDriver driver(Root({}, {}));
    GExtensionManager& manager = driver.Manager();
    EXPECT_EQ(0, manager.Register(RWWString(L"qzext.dll")));
    EXPECT_EQ(13, manager.Register(RWWString(L"qzext.dll")));
    EXPECT_EQ(0, manager.Register(RWWString(L"qzext3.dll")));
    EXPECT_EQ(0, manager.Register(RWWString(L"qzext4.dll")));
    EXPECT_EQ(0, manager.Register(RWWString(L"qzext5.dll")));
    EXPECT_EQ(9, manager.Register(RWWString(L"qzext6.dll")));
    EXPECT_EQ((std::vector<std::string>{"qzext:0", "qzext3:1", "qzext4:2", "qzext5:3"}),
              Registered(driver.GetSettings()));
}

TEST_F(ExtensionTest, ADescriptorLackingARequiredTextStoresNothing)
{
    struct Row {
        const char* field;
        size_t offset;
        uint32_t flags;
    };
    const Row rows[] = {
        {"text1", offsetof(ExtensionDescriptor, text1), 0xC},
        {"name", offsetof(ExtensionDescriptor, name), 0xC},
        {"text2", offsetof(ExtensionDescriptor, text2), 0xC},
        {"ui module", offsetof(ExtensionDescriptor, uiModule), 0xC},
        {"render module with flag 8", offsetof(ExtensionDescriptor, renderModule), 0xC},
        {"text3", offsetof(ExtensionDescriptor, text3), 0xC},
        {"text4", offsetof(ExtensionDescriptor, text4), 0xC},
    };
    for (const Row& row : rows) {
        ExtensionStandIn fresh(L"qzext.dll");
        ExtensionDescriptor d = fresh.Descriptor();
        d.flags = row.flags;
        reinterpret_cast<char*>(&d)[row.offset] = '\0';
        fresh.SetDescriptor(d);
        ExtensionDriver driver(Root({}, {}));
        EXPECT_EQ(14, driver.Manager().Register(RWWString(L"qzext.dll"))) << row.field;
        EXPECT_TRUE(Registered(driver.GetSettings()).empty()) << row.field;
        EXPECT_EQ(std::string::npos, fresh.Log().find("OnRegistered")) << row.field;
    }
    ExtensionStandIn fresh(L"qzext.dll");
    ExtensionDescriptor d = fresh.Descriptor();
    d.flags = 0x4;
    d.renderModule[0] = '\0';
    fresh.SetDescriptor(d);
    ExtensionDriver driver(Root({}, {}));
    EXPECT_EQ(0, driver.Manager().Register(RWWString(L"qzext.dll"))) << "no rendering module without flag 8";
}

TEST_F(ExtensionTest, DefaultSettingsOverFiftyBytesKeepTheEntryAndSkipOnRegistered)
{
    standIn.SetDefaults(std::string(51, 'd'));
    ExtensionDriver driver(Root({}, {}));
    EXPECT_EQ(15, driver.Manager().Register(RWWString(L"qzext.dll")));
    EXPECT_EQ((std::vector<std::string>{"qzext:0"}), Registered(driver.GetSettings()));
    EXPECT_TRUE(StoredSettings(driver.GetSettings()).empty());
    EXPECT_EQ(std::string::npos, standIn.Log().find("OnRegistered"));

    ExtensionStandIn again(L"qzext.dll");
    again.SetDefaults(std::string(50, 'd'));
    ExtensionDriver second(Root({}, {}));
    EXPECT_EQ(0, second.Manager().Register(RWWString(L"qzext.dll")));
    EXPECT_EQ((std::vector<std::string>{std::string(50, 'd') + ":0"}), StoredSettings(second.GetSettings()));
}

// The library's call answers 0 for a missing export; that must not read as success.
TEST_F(ExtensionTest, ModulesThatCannotServeAreRefusedWithOne)
{
    const wchar_t* const names[] = {L"qzwolm32.dll", L"missing.dll", L"..\\qzext.dll", L"sub/qzext.dll",
                                    L"C:qzext.dll", L"..", L""};
    for (const wchar_t* name : names) {
        ExtensionDriver driver(Root({}, {}));
        EXPECT_EQ(1, driver.Manager().Register(RWWString(name))) << RWWString(name).ToMultiByte().Data();
        EXPECT_EQ(1, driver.Manager().Unregister(RWWString(name)));
        EXPECT_TRUE(Registered(driver.GetSettings()).empty());
    }
    standIn.SetQueryStatus(0, 7);
    ExtensionDriver driver(Root({}, {}));
    EXPECT_EQ(7, driver.Manager().Register(RWWString(L"qzext.dll"))) << "the module's own status";
    standIn.SetQueryStatus(0, 0);
    standIn.SetNullEntries(0x1);
    EXPECT_EQ(14, driver.Manager().Register(RWWString(L"qzext.dll"))) << "no Describe";
}

TEST_F(ExtensionTest, UnregisteringIndexZeroOfThreeRenumbersBothLists)
{
    standIn.SetDefaults("mine");
    ExtensionDriver driver(Root({Entry("qzext", 0), Entry("b", 1), Entry("c", 2)},
                                {SettingsEntry("mine", 0), SettingsEntry("bb", 1), SettingsEntry("cc", 2)}));
    ExtensionDescriptor d = standIn.Descriptor();
    // The stored entry's first text must equal the module's.
    GObjectBase* list = ExtensionTree::FindList(driver.GetSettings(), FeatureId::kExtensionContainer,
                                                FeatureId::kExtensionDescriptorList);
    std::unique_ptr<GObjectIterator> it(list->CreateIterator());
    it->Next();
    static_cast<GStringAttribute*>(it->Current()->FindById(FeatureId::kExtensionText1))->SetString(d.text1);

    EXPECT_EQ(0, driver.Manager().Unregister(RWWString(L"qzext.dll")));
    EXPECT_EQ((std::vector<std::string>{"b:0", "c:1"}), Registered(driver.GetSettings()));
    EXPECT_EQ((std::vector<std::string>{"bb:0", "cc:1"}), StoredSettings(driver.GetSettings()));
    EXPECT_NE(std::string::npos, standIn.Log().find("OnUnregistered"));
    EXPECT_EQ(10, driver.Manager().Unregister(RWWString(L"qzext.dll"))) << "gone already";
}

// A driver whose printer has a paper path with a devices' container, a PDL writer with
// its tray map and a PJL writer with its bin map, and whose device settings name no
// installed devices.
class PaperDriver : public ExtensionDriver {
public:
    PaperDriver() : ExtensionDriver(Root({}, {}))
    {
        GAttributeComposite* settings = static_cast<GAttributeComposite*>(GetSettings());
        GAttributeComposite* device = new GAttributeComposite(FeatureId::kDeviceSettings);
        device->Add(new GStringAttribute("", 315));
        device->Add(new GStringAttribute("", 316));
        settings->Add(device);

        // Components first: adding one rebuilds the holder's configuration.
        GPeripheralComposite* holder =
            new GPeripheralComposite("model", nullptr, new GConfiguration(198), FeatureId::kPrinterHolder);
        GetPrinter()->Add(holder);
        holder->Add(Component(FeatureId::kPdlWriter, FeatureId::kPdlTrayMap));
        holder->Add(Component(FeatureId::kPjlWriter, FeatureId::kPjlBinMap));
        GAttributeComposite* path = new GAttributeComposite(FeatureId::kPaperPath);
        path->Add(new GAttributeComposite(FeatureId::kInputDevices));
        GetPrinterConfiguration()->Add(path);
        SetSubObject3(new GResourceMappingList);
    }
    GObjectBase* Container()
    {
        GObjectBase* path = GetPrinterConfiguration()->FindById(FeatureId::kPaperPath);
        return path->FindById(FeatureId::kInputDevices);
    }
    MAssociationList* Map(long component, long id)
    {
        GObjectBase* holder = GetPrinter()->FindById(FeatureId::kPrinterHolder);
        GPeripheral* peripheral = static_cast<GPeripheral*>(holder->FindById(component));
        return static_cast<MAssociationList*>(peripheral->GetConfiguration()->FindById(id));
    }
    std::string Text(long id)
    {
        return static_cast<GStringAttribute*>(GetSettings()->FindById(FeatureId::kDeviceSettings)->FindById(id))
            ->GetString()
            .Data();
    }

private:
    static GPeripheralComposite* Component(long id, long mapId)
    {
        GConfiguration* configuration = new GConfiguration(0);
        GConfiguration* maps = new GConfiguration(FeatureId::kWriterMaps);
        MAssociationList* map = new MAssociationList;
        map->SetId(mapId);
        maps->Add(map);
        configuration->Add(maps);
        return new GPeripheralComposite("component", nullptr, configuration, id);
    }
};

std::vector<std::string> DeviceNames(GObjectBase* container)
{
    std::vector<std::string> out;
    std::unique_ptr<GObjectIterator> it(container ? container->CreateIterator() : nullptr);
    while (it && it->Next())
        if (it->Current()->IsKindOf(GPaperHandlingDevice::kClassId))
            out.push_back(static_cast<GPaperHandlingDevice*>(it->Current())->GetName().Data());
    return out;
}

TEST_F(ExtensionTest, RegisteringATrayAndABinDeviceFillsThePaperHandlingAndUnregisteringEmptiesIt)
{
    const int16_t trays[] = {0, 25};
    const uint16_t codes[] = {4, 9};
    const int16_t bins[] = {2};
    standIn.SetPaper(false, "Feeder", 2, trays, codes);
    standIn.SetPaper(true, "Stacker", 1, bins, nullptr);
    standIn.SetFlags(0x1 | 0x2 | 0x8);
    PaperDriver driver;
    ASSERT_EQ((std::vector<std::string>{}), DeviceNames(driver.Container()));
    EXPECT_EQ(0, driver.Manager().Register(RWWString(L"qzext.dll")));
    EXPECT_EQ((std::vector<std::string>{"Feeder", "Stacker"}), DeviceNames(driver.Container()));
    ASSERT_NE(nullptr, driver.GetSubObject3()->FindByFirstCode(256 + 32));
    EXPECT_EQ(nullptr, driver.GetSubObject3()->FindByFirstCode(256 + 57)) << "tray 25 is skipped";
    GValueAttribute slot(32, 0);
    EXPECT_NE(nullptr, driver.Map(FeatureId::kPdlWriter, FeatureId::kPdlTrayMap)->Find(&slot));
    GValueAttribute bin(32, 0);
    EXPECT_NE(nullptr, driver.Map(FeatureId::kPjlWriter, FeatureId::kPjlBinMap)->Find(&bin));
    EXPECT_EQ("Feeder", driver.Text(315));
    EXPECT_EQ("Stacker", driver.Text(316));
    EXPECT_NE(std::string::npos, standIn.Log().find("GetInputTrays;GetOutputBins;OnRegistered"));

    EXPECT_EQ(0, driver.Manager().Unregister(RWWString(L"qzext.dll")));
    EXPECT_TRUE(DeviceNames(driver.Container()).empty());
    EXPECT_EQ(nullptr, driver.GetSubObject3()->FindByFirstCode(256 + 32));
    EXPECT_EQ(nullptr, driver.Map(FeatureId::kPdlWriter, FeatureId::kPdlTrayMap)->Find(&slot));
    EXPECT_EQ(nullptr, driver.Map(FeatureId::kPjlWriter, FeatureId::kPjlBinMap)->Find(&bin));
    EXPECT_EQ("", driver.Text(315));
    EXPECT_EQ("", driver.Text(316));
}

TEST_F(ExtensionTest, AFailedTrayListFailsTheRegistrationAfterTheEntryIsStored)
{
    standIn.SetFlags(0x1 | 0x8);
    PaperDriver driver;
    EXPECT_EQ(1, driver.Manager().Register(RWWString(L"qzext.dll"))) << "the module lists no trays";
    EXPECT_EQ((std::vector<std::string>{"qzext:0"}), Registered(driver.GetSettings()));
    EXPECT_EQ(std::string::npos, standIn.Log().find("OnRegistered"));
}

// Services whose stored "DEK*" objects are all of another kind than their readers take:
// a composite holding a text for the device pool, texts for the three maps. What is saved
// is only recorded.
struct WrongKindStore : GUIOSFactory {
    std::vector<std::string> saved;
    std::vector<std::string> loaded;
    GObjectBase* LoadObjectFromPrinterData(GDriverObject*, const RWWString& name, int) override
    {
        const std::string text = name.ToMultiByte().Data();
        if (text.compare(0, 3, "DEK") != 0)
            return nullptr;
        loaded.push_back(text);
        if (text == "DEKBinPool") {
            GAttributeComposite* pool = new GAttributeComposite(FeatureId::kInputDevices);
            pool->Add(new GStringAttribute("not a device", 0));
            return pool;
        }
        return new GStringAttribute("not a map", 0);
    }
    int SaveObjectToPrinterData(GDriverObject*, const RWWString& name, const GObjectBase*) override
    {
        saved.push_back(name.ToMultiByte().Data());
        return 1;
    }
};

TEST_F(ExtensionTest, StoredPaperObjectsOfAnotherKindCountAsAbsent)
{
    const int16_t trays[] = {0};
    const uint16_t codes[] = {4};
    const int16_t bins[] = {2};
    standIn.SetPaper(false, "Feeder", 1, trays, codes);
    standIn.SetPaper(true, "Stacker", 1, bins, nullptr);
    standIn.SetFlags(0x1 | 0x2 | 0x8);
    WrongKindStore* store = new WrongKindStore;
    {
        PaperDriver driver;
        GResourceMappingList* osMap = driver.GetSubObject3();
        EXPECT_EQ(0, driver.Manager().Register(RWWString(L"qzext.dll")));
        EXPECT_EQ((std::vector<std::string>{"DEKBinPool", "DEKOSTrayMap", "DEKPDLTrayMap", "DEKPJLBinMap"}),
                  store->loaded);
        // The printer's own containers took the devices instead.
        EXPECT_EQ((std::vector<std::string>{"Feeder", "Stacker"}), DeviceNames(driver.Container()));
        EXPECT_NE(nullptr, osMap->FindByFirstCode(256 + 32));
        GValueAttribute slot(32, 0);
        EXPECT_NE(nullptr, driver.Map(FeatureId::kPdlWriter, FeatureId::kPdlTrayMap)->Find(&slot));
        GValueAttribute bin(32, 0);
        EXPECT_NE(nullptr, driver.Map(FeatureId::kPjlWriter, FeatureId::kPjlBinMap)->Find(&bin));
        // The container (368) is the settings' own, stored with them when they are committed.
        EXPECT_EQ((std::vector<std::string>{"DEKBinPool", "DEKOSTrayMap", "DEKPDLTrayMap", "DEKPJLBinMap"}),
                  store->saved);

        // Applying the stored maps replaces nothing with them.
        store->loaded.clear();
        EXPECT_EQ(1, driver.ApplyStoredMaps(driver.GetSettings()));
        EXPECT_EQ(4u, store->loaded.size());
        EXPECT_EQ(osMap, driver.GetSubObject3());
        EXPECT_EQ((std::vector<std::string>{"Feeder", "Stacker"}), DeviceNames(driver.Container()));
        EXPECT_NE(nullptr, driver.Map(FeatureId::kPdlWriter, FeatureId::kPdlTrayMap)->Find(&slot));
        EXPECT_NE(nullptr, driver.Map(FeatureId::kPjlWriter, FeatureId::kPjlBinMap)->Find(&bin));
    }
    new GUIOSFactory;
}

// ---- Both sides ----

TEST_F(ExtensionTest, ARegisteredExtensionIsLoadedAtDocumentStartAndReadsItsSettings)
{
    standIn.SetFlags(0x4 | 0x8);
    standIn.SetDefaults("settings!");
    standIn.Kinds(0x80 | 0x200);
    standIn.Data(0x80, "JOB");
    ExtensionDriver driver(Root({}, {}));
    GExtensionManager& manager = driver.Manager();
    ASSERT_EQ(0, manager.Register(RWWString(L"qzext.dll")));

    GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
    manager.LoadForDocument(start);
    EXPECT_TRUE(manager.IsModuleLoaded(0));
    uint8_t buffer[9];
    EXPECT_EQ(0, QZDrv_GetExtSettings(buffer, 9, "qzext", &manager));
    EXPECT_EQ("settings!", std::string(reinterpret_cast<char*>(buffer), 9));

    // The job data reaches the PCL XL writer's output at document start.
    MemoryChannel* channel = new MemoryChannel;
    start.SetOutputChannel(channel);
    GCheetah writer;
    EXPECT_EQ(0, writer.OnDocumentStart(start));
    EXPECT_EQ("JOB", channel->bytes);
    GDocumentEnd end(2);
    manager.EndDocument(end);
    writer.OnDocumentEnd(end);
    writer.SetOutputChannel(nullptr, false);
}

TEST_F(ExtensionTest, WritersPrintOnlyPassThroughBytesAimedAtTheirOwnClass)
{
    struct Row {
        uint16_t target;
        const char* cheetah;
        const char* pcl5e;
    };
    const Row rows[] = {{767, "xl", ""}, {788, "", "xl"}, {0, "", ""}, {769, "", ""}};
    for (const Row& row : rows) {
        MemoryChannel* forXl = new MemoryChannel;
        MemoryChannel* for5e = new MemoryChannel;
        GCheetah cheetah;
        GPcl5e pcl5e;
        cheetah.SetOutputChannel(forXl, false);
        pcl5e.SetOutputChannel(for5e, false);
        GPassThroughCommand bytes(reinterpret_cast<const uint8_t*>("xl"), 2, row.target, 0);
        EXPECT_EQ(0, cheetah.OnPassThrough(bytes));
        EXPECT_EQ(0, pcl5e.OnPassThrough(bytes));
        EXPECT_EQ(row.cheetah, forXl->bytes) << row.target;
        EXPECT_EQ(row.pcl5e, for5e->bytes) << row.target;
        cheetah.SetOutputChannel(nullptr, false);
        pcl5e.SetOutputChannel(nullptr, false);
        delete forXl;
        delete for5e;
    }
}

// Job data composites as a module's strings leave them: exact bytes, embedded zeros kept,
// in member order; members of other classes are not printed.
TEST_F(ExtensionTest, WritersPrintTheJobDataOfTheirCompositeAtDocumentStartAndEnd)
{
    auto composite = [](long id) {
        GAttributeComposite* data = new GAttributeComposite(uint16_t(id));
        data->Add(new GStringAttribute(RWCString("A\0B", 3), 0));
        data->Add(new GValueAttribute(7, 0));
        data->Add(new GStringAttribute("C", 0));
        return data;
    };
    const std::string expected("A\0BC", 4);
    {
        GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
        start.GetState()->Add(composite(FeatureId::kExtensionJobPjlData));
        start.GetState()->Add(composite(FeatureId::kExtensionJobPdlData));
        MemoryChannel* channel = new MemoryChannel;
        start.SetOutputChannel(channel);
        GPJL pjl;
        EXPECT_EQ(0, pjl.OnDocumentStart(start));
        EXPECT_EQ(expected, channel->bytes) << "the PJL writer prints 985 only";
        channel->bytes.clear();
        GPcl5e pcl5e;
        EXPECT_EQ(0, pcl5e.OnDocumentStart(start));
        EXPECT_EQ(expected, channel->bytes) << "the PDL writer prints 986 only";
        pcl5e.SetOutputChannel(nullptr, false);
    }
    {
        GDocumentEnd end(2);
        end.GetState()->Add(composite(FeatureId::kExtensionJobPjlData));
        MemoryChannel* channel = new MemoryChannel;
        end.SetOutputChannel(channel);
        GPJL pjl;
        EXPECT_EQ(0, pjl.OnDocumentEnd(end));
        EXPECT_EQ(expected, channel->bytes);
        channel->bytes.clear();
        GCheetah cheetah;
        cheetah.SetOutputChannel(channel, false);
        EXPECT_EQ(0, cheetah.OnDocumentEnd(end));
        EXPECT_EQ("", channel->bytes) << "no 986 at this end";
        cheetah.SetOutputChannel(nullptr, false);
    }
}

// ---- UI host ----

TEST_F(ExtensionTest, DevicePagesAndSheetsWithoutDocumentPagesLoadNothing)
{
    standIn.SetPages(2);
    GAttributeComposite* root = Root({Entry("qzext", 0, 0x4)}, {});
    ExtensionDriver driver(root);
    for (uint32_t pageSet : {4u, 5u, 0u, 8u}) {
        GUIExtensionHost host;
        GUIData sheet = Sheet(root, &driver, pageSet);
        EXPECT_EQ(0, host.AddPages(&sheet, 0)) << pageSet;
        EXPECT_FALSE(host.IsModuleLoaded(0)) << pageSet;
    }
    EXPECT_EQ("", standIn.Log());
}

TEST_F(ExtensionTest, WithoutTheUIFlagAnExtensionIsCountedButGivesNoPages)
{
    standIn.SetPages(2);
    GAttributeComposite* root = Root({Entry("qzext", 0, 0x8)}, {});
    ExtensionDriver driver(root);
    GUIExtensionHost host;
    GUIData sheet = Sheet(root, &driver);
    EXPECT_EQ(0, host.AddPages(&sheet, 0));
    EXPECT_EQ(1, host.GetCount());
    EXPECT_FALSE(host.IsModuleLoaded(0));
}

TEST_F(ExtensionTest, WhenRoomRunsShortTheLeadingPagesAreDropped)
{
    standIn.SetPages(3);
    GAttributeComposite* root = Root({Entry("qzext", 0, 0x4)}, {});
    ExtensionDriver driver(root);
    GUIExtensionHost host;
    GUIData sheet = Sheet(root, &driver);
    EXPECT_EQ(3, host.AddPages(&sheet, 0));
    EXPECT_TRUE(host.IsModuleLoaded(0));
    std::vector<PROPSHEETPAGEW_V1> pages(10);
    sheet.pages = pages.data();
    sheet.pageCount = 10;
    EXPECT_EQ(3, host.AddPages(&sheet, 8));
    EXPECT_EQ(MAKEINTRESOURCEW(101), pages[8].pszTemplate);
    EXPECT_EQ(MAKEINTRESOURCEW(102), pages[9].pszTemplate);
    EXPECT_EQ(standIn.Handle(), pages[8].hInstance);
    EXPECT_EQ(standIn.Handle(), pages[9].hInstance);
    EXPECT_EQ(nullptr, pages[7].hInstance);
    EXPECT_EQ(1, host.ReleaseAll(&sheet) == 0 ? 1 : 0) << "the module's Release answers 0";
}

// The filling call tells the module how many records it got; a module claiming more
// never makes the host read or write past them.
TEST_F(ExtensionTest, AnOverclaimingModuleStaysInBounds)
{
    standIn.SetPages(3, 40);
    GAttributeComposite* root = Root({Entry("qzext", 0, 0x4)}, {});
    ExtensionDriver driver(root);
    GUIExtensionHost host;
    GUIData sheet = Sheet(root, &driver);
    EXPECT_EQ(3, host.AddPages(&sheet, 0));
    std::vector<PROPSHEETPAGEW_V1> pages(64);
    sheet.pages = pages.data();
    sheet.pageCount = 64;
    EXPECT_EQ(3, host.AddPages(&sheet, 0));
    EXPECT_NE(std::string::npos, standIn.Log().find("EnumPages fill 3"));
    EXPECT_EQ(MAKEINTRESOURCEW(102), pages[2].pszTemplate);
    EXPECT_EQ(nullptr, pages[3].hInstance) << "no record beyond the three allocated";
    host.ReleaseAll(&sheet);
}

// Stored module names are the tree's, not the module's: one that leaves the driver's
// folder is never loaded, on either side.
TEST_F(ExtensionTest, StoredModuleNamesOutsideTheDriverFolderAreNotLoaded)
{
    standIn.SetPages(1);
    for (const char* name : {"..\\tests\\qzext.dll", "sub/qzext.dll", "Z:qzext.dll"}) {
        GAttributeComposite* root = Root({Entry("qzext", 0, 0x4 | 0x8, name)}, {});
        ExtensionDriver driver(root);
        GUIExtensionHost host;
        GUIData sheet = Sheet(root, &driver);
        EXPECT_EQ(0, host.AddPages(&sheet, 0)) << name;
        EXPECT_FALSE(host.IsModuleLoaded(0)) << name;
        GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
        driver.Manager().LoadForDocument(start);
        EXPECT_FALSE(driver.Manager().IsModuleLoaded(0)) << name;
        GDocumentEnd end(2);
        driver.Manager().EndDocument(end);
    }
    EXPECT_EQ("", standIn.Log());
}

// Without the module's folder a module's name would be one at the root of the current
// drive: nothing is registered, looked for or loaded, even with the stand-in there.
TEST_F(ExtensionTest, AnEmptyModuleFolderRegistersAndLoadsNothing)
{
    struct NoModuleFolder : GUIOSFactory {
        void GetModuleDirectory(RWWString& path) override { path = RWWString(); }
    };
    // The module's own services come back however the test ends.
    struct ServicesBack {
        ~ServicesBack() { new GUIOSFactory; }
    } servicesBack;
    ModuleAtDriveRoot placed(ExtensionStandIn::ProgramFolder() + L"\\qzext.dll", L"qzext.dll");
    ASSERT_TRUE(placed.Ready());
    new NoModuleFolder;
    standIn.SetPages(1);
    GAttributeComposite* root = Root({Entry("qzext", 0, 0x4 | 0x8)}, {});
    ExtensionDriver driver(root);
    GUIExtensionHost host;
    GUIData sheet = Sheet(root, &driver);
    EXPECT_EQ(0, host.AddPages(&sheet, 0));
    EXPECT_FALSE(host.IsModuleLoaded(0));
    GDocumentStart start(L"doc", L"FILE:", nullptr, 0);
    driver.Manager().LoadForDocument(start);
    EXPECT_FALSE(driver.Manager().IsModuleSought(0)) << "no rendering module is looked for";
    EXPECT_FALSE(driver.Manager().IsModuleLoaded(0));
    GDocumentEnd end(2);
    driver.Manager().EndDocument(end);
    EXPECT_NE(0, driver.Manager().Register(RWWString(L"qzext.dll")));
    host.ReleaseAll(&sheet);
    EXPECT_EQ("", standIn.Log());
}

TEST_F(ExtensionTest, ReleaseAllWithoutReleaseAnswersOne)
{
    standIn.SetPages(1);
    standIn.SetNullEntries(1u << 9);
    GAttributeComposite* root = Root({Entry("qzext", 0, 0x4)}, {});
    ExtensionDriver driver(root);
    GUIExtensionHost host;
    GUIData sheet = Sheet(root, &driver);
    host.AddPages(&sheet, 0);
    EXPECT_EQ(1, host.ReleaseAll(&sheet));
    EXPECT_FALSE(host.IsModuleLoaded(0));
    GUIExtensionHost empty;
    EXPECT_EQ(1, empty.ReleaseAll(nullptr));
}

TEST_F(ExtensionTest, APageCallsTheDriverThroughTheTableItGot)
{
    standIn.SetPages(1);
    GAttributeComposite* root = Root({Entry("qzext", 0, 0x4)}, {SettingsEntry("before", 0)});
    ExtensionDriver driver(root);
    GUIExtensionHost host;
    GUIData sheet = Sheet(root, &driver);
    host.AddPages(&sheet, 0);
    std::vector<PROPSHEETPAGEW_V1> pages(1);
    sheet.pages = pages.data();
    sheet.pageCount = 1;
    EXPECT_EQ(1, host.AddPages(&sheet, 0));
    uint16_t out = 0;
    EXPECT_EQ(0, standIn.PageCall(0, 10, nullptr, 0, &out));
    EXPECT_EQ(12, out);
    uint8_t bytes[5] = {'a', 'f', 't', 'e', 'r'};
    EXPECT_EQ(0, standIn.PageCall(2, 0, bytes, 5, nullptr));
    EXPECT_EQ((std::vector<std::string>{"after:0"}), StoredSettings(root));
    uint8_t back[5] = {};
    EXPECT_EQ(0, standIn.PageCall(1, 0, back, 5, nullptr));
    EXPECT_EQ(0, std::memcmp(back, bytes, 5));
    host.ReleaseAll(&sheet);
}

// The host's page entry shown in a real property sheet (the sheet glue's own part, the
// entry's size, is filled here): the page asks for value 10 and writes its settings,
// which land in the sheet's tree.
TEST_F(ExtensionTest, TheStandInPageInARealPropertySheetReadsValueTenAndWritesItsSettings)
{
    standIn.SetPages(1);
    GAttributeComposite* root = Root({Entry("qzext", 0, 0x4)}, {SettingsEntry("before", 0)});
    ExtensionDriver driver(root);
    GUIExtensionHost host;
    GUIData sheet = Sheet(root, &driver);
    ASSERT_EQ(1, host.AddPages(&sheet, 0));
    std::vector<PROPSHEETPAGEW_V1> pages(1);
    pages[0].dwSize = sizeof(PROPSHEETPAGEW_V1);
    sheet.pages = pages.data();
    sheet.pageCount = 1;
    ASSERT_EQ(1, host.AddPages(&sheet, 0));

    using Show = INT_PTR(WINAPI*)(LPCPROPSHEETHEADERW);
    HMODULE controls = LoadLibraryW(L"comctl32.dll");
    Show show = reinterpret_cast<Show>(reinterpret_cast<void*>(GetProcAddress(controls, "PropertySheetW")));
    ASSERT_NE(nullptr, show);
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header.pszCaption = L"Extension";
    header.nPages = 1;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEW>(pages.data());
    show(&header);

    uint16_t valueStatus = 0, value = 0, writeStatus = 0;
    standIn.PageResult(valueStatus, value, writeStatus);
    EXPECT_EQ(0, valueStatus);
    EXPECT_EQ(12, value) << "the printer writes PCL XL";
    EXPECT_EQ(0, writeStatus);
    EXPECT_EQ((std::vector<std::string>{std::string("page\0!", 6) + ":0"}), StoredSettings(root));
    EXPECT_EQ(1, host.ReleaseAll(&sheet) == 0 ? 1 : 0);
    FreeLibrary(controls);
}
