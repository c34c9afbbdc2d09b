#include "printer/GDriverObject.h"

#include "TestOSFactory.h"
#include "graphics/GDeviceFontList.h"
#include "graphics/GDeviceFontListComposite.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GLocaleInfo.h"
#include "model/GObjectIterator.h"
#include "model/GProvider.h"
#include "model/GProviderRegistry.h"
#include "model/GRangeAttribute.h"
#include "model/GResourceMapping.h"
#include "model/GResourceMappingList.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "pdl/pjl_xl/GCheetah.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GExtensionContext.h"
#include "printer/GForwardTarget.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GPrinter.h"
#include "printer/GProviderService.h"
#include "printer/GTray.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// In-memory services (each new one deletes the one before) answering a chosen country,
// counting binary reads and optionally reporting a length of their own.
struct Services : TestOSFactory {
    GLocaleInfo* CreateLocaleInfo() override { auto* i = new GLocaleInfo; return i->SetICountry(country), i; }
    int GetPrinterDataBinary(GDriverObject* d, const RWWString& n, void* b, uint32_t s, uint32_t& length) override
    {
        const int result = (++reads, TestOSFactory::GetPrinterDataBinary(d, n, b, s, length));
        return reported ? (length = reported, 0) : result;
    }
    int32_t country = 1, reads = 0;
    uint32_t reported = 0;
};
Services& Fresh() { return *new Services; }

// A driver object over a configuration of the test's making (stored form 940 under 359, 366).
struct ModelDriver : GDriverObject {
    explicit ModelDriver(GObjectBase* member = nullptr, uint16_t form = 0) : GDriverObject(L"printer")
    {
        GConfiguration* configuration = new GConfiguration(198);
        GAttributeComposite *outer = new GAttributeComposite(359), *inner = new GAttributeComposite(366);
        inner->Add(new GValueAttribute(form, 940)), outer->Add(inner), configuration->Add(outer);
        if (member)
            configuration->Add(member);
        GPrinter* printer = new GPrinter("printer", nullptr, nullptr, 353);
        printer->Add(new GPeripheralComposite("model", nullptr, configuration, 76));
        SetPrinter(printer);
    }
    GObjectBase* CreateSettings() override { return settings.release(); }
    // The defaults the compact form merges with: holder 45 of text 44, and the stored
    // list 0x4000005C with an entry 9 of 500 and 376.
    GObjectBase* CreateDefaultSettings() override
    {
        auto *root = new GAttributeComposite(0), *texts = new GAttributeComposite(45);
        auto *list = new GAttributeComposite(0x4000005C), *entry = new GAttributeComposite(9);
        texts->Add(new GStringAttribute("", 44));
        entry->Add(new GValueAttribute(0, 500)), entry->Add(new GValueAttribute(0, 376));
        list->Add(entry), root->Add(texts), root->Add(list);
        return root;
    }
    std::unique_ptr<GAttributeComposite> settings{new GAttributeComposite(365)};
};

// Text 44 in its holder 45: the compact form stores containers, not lone leaves.
GAttributeComposite* HeldText(const std::string& text)
{
    auto* holder = new GAttributeComposite(45);
    holder->Add(new GStringAttribute(text.c_str(), 44));
    return holder;
}

// A value whose stored size claims a share of what it really writes.
struct UnderstatedValue : GValueAttribute {
    explicit UnderstatedValue(uint32_t divisor) : GValueAttribute(7, 12), divisor(divisor) {}
    uint32_t BinaryStoreSize() const override { return GValueAttribute::BinaryStoreSize() / divisor; }
    uint32_t divisor;
};

TEST(PrinterDataObjects, BothFormsRoundTripAndTheBinPoolIsAlwaysAnObjectGraph)
{
    const struct { uint16_t form; const wchar_t* name; bool compact; } rows[] = {
        {0, L"Pool", false}, {1, L"Pool", true}, {1, L"DEKBinPool", false}};
    for (const auto& row : rows) {
        Services& services = Fresh();
        ModelDriver driver(nullptr, row.form);
        std::unique_ptr<GAttributeComposite> saved(HeldText(std::string(row.compact ? 3000 : 10, 'x')));
        ASSERT_EQ(1, services.SaveObjectToPrinterData(&driver, row.name, saved.get()));
        std::unique_ptr<GObjectBase> loaded(services.LoadObjectFromPrinterData(&driver, row.name, 0));
        ASSERT_TRUE(loaded && loaded->IsEqual(saved.get())) << row.form;
        EXPECT_EQ(row.compact ? 2 : 1, services.reads) << "a value over 1024 bytes is read again";
        // The compact form's lead-in keeps the object-graph reader from taking it.
        const std::vector<uint8_t> bytes = services.printerData[row.name];
        Fresh().printerData[row.name] = bytes;
        loaded.reset(GOSFactory::Instance()->LoadObjectFromPrinterData(nullptr, row.name, 0));
        EXPECT_EQ(row.compact, loaded == nullptr) << row.form;
    }
}

TEST(PrinterDataObjects, SavingGivesUpPastSixTimesAndDamagedValuesGiveNull)
{
    for (const auto& row : {std::make_pair(1u, 1), {4u, 1}, {100u, 0}}) {
        UnderstatedValue value(row.first);
        EXPECT_EQ(row.second, Fresh().SaveObjectToPrinterData(nullptr, L"Value", &value)) << row.first;
    }
    GStringAttribute saved("stored text", 44);
    ASSERT_EQ(1, Fresh().SaveObjectToPrinterData(nullptr, L"Good", &saved));
    const std::vector<uint8_t> good = static_cast<Services*>(GOSFactory::Instance())->printerData[L"Good"];
    const struct { std::vector<uint8_t> bytes; uint32_t reported; } rows[] = {
        {{}, 0}, {std::vector<uint8_t>(40, 0xFF), 0}, {{good.begin(), good.end() - 3}, 0}, {{}, 0xFFFFFFF0u}};
    for (const auto& row : rows) {
        Services& services = Fresh();
        if (!row.bytes.empty())
            services.printerData[L"Value"] = row.bytes;
        services.reported = row.reported;
        EXPECT_EQ(nullptr, services.LoadObjectFromPrinterData(nullptr, L"Value", 0)) << row.bytes.size();
        EXPECT_EQ(1, services.reads);
    }
}

TEST(DriverObjectPaper, DefaultPaperCodeFollowsTheCountryOnce)
{
    for (const auto& row : {std::make_pair(52, 1), {1, 1}, {49, 23}, {600, 23}}) {
        Services& services = Fresh();
        services.country = row.first;
        ModelDriver driver;
        EXPECT_EQ(row.second, driver.DefaultPaperCode()) << row.first;
        services.country = row.second == 1 ? 49 : 52;
        EXPECT_EQ(row.second, driver.DefaultPaperCode()) << "cached";
    }
}

TEST(DriverObjectPaper, IdMapsCustomEntriesAndFeatureClasses)
{
    ModelDriver driver(new GStringAttribute("not a value", 958));
    GAttributeComposite* extra = new GAttributeComposite(701);
    for (const char* name : {"a", "b", "c"})
        extra->Add(new GStringAttribute(name, 0));
    driver.settings->Add(extra);
    GResourceMappingList map(194);
    map.AddIfSecondCodeFree(new GResourceMapping(0, 900, 51));
    ASSERT_EQ(extra, driver.FillIdMap(map));
    EXPECT_EQ(16690, map.FindBySecondCode(50)->GetFirstCode());
    EXPECT_EQ(900, map.FindBySecondCode(51)->GetFirstCode());
    EXPECT_EQ(16692, map.FindBySecondCode(52)->GetFirstCode());
    EXPECT_EQ(1, driver.HasIdInMap(16691) + driver.HasIdInMap(16693));
    int32_t counter = 2;
    driver.SetIdMap(new GResourceMappingList(194)), driver.GetIdMap()->AddIfSecondCodeFree(new GResourceMapping(0, 1, 1));
    EXPECT_EQ(1, driver.BuildPool(nullptr, nullptr, 0, counter));
    EXPECT_EQ(6, counter) << "the map's one, then the three extras";
    EXPECT_EQ(0, driver.GetAttributeValue()) << "a text under 958 is no value";
    EXPECT_EQ(2, driver.CheckId(nullptr, 16384, 0, 0, 0));

    GAttributeComposite list(276);
    list.Add(new GCustomMediaSize(16385, "first", 0, 10, 10, 0));
    list.Add(new GCustomMediaSize(16387, "mine", 0, 10, 10, 0));
    ASSERT_EQ(1, driver.AddCustomEntry(new GCustomMediaSize(0, "mine", 0, 20, 20, 0), &list, 0));
    std::unique_ptr<GObjectIterator> it(list.CreateIterator());
    ASSERT_TRUE(list.Entries() == 2 && it->Next() && it->Next());
    EXPECT_EQ(16386, static_cast<GCustomMediaSize*>(it->Current())->GetId());
    for (uint16_t id = 16386; id <= 17383; ++id)
        list.Add(new GCustomMediaSize(id, "", 0, 1, 1, 0));
    GCustomMediaSize refused(0, "new", 0, 1, 1, 0);
    EXPECT_EQ(0, driver.AddCustomEntry(&refused, &list, 0));
}

// A device whose options each hold trays of the given ids, the first option selected.
GPaperHandlingDevice* Device(const char* name, uint32_t type, uint32_t mode, std::initializer_list<uint16_t> options,
                             std::initializer_list<uint16_t> trays = {1}, uint32_t count = 0)
{
    auto* device = new GPaperHandlingDevice(name, type, mode, count, 0, 0, 0);
    for (uint16_t option : options) {
        auto* configuration = new GAttributeComposite(option);
        for (uint16_t tray : trays)
            configuration->Add(new GTray(name, tray, 0));
        device->SetOption(option, configuration);
    }
    device->SelectOption(*options.begin());
    return device;
}

GMedia* Media(uint16_t mediaId, uint16_t width, uint16_t left = 0, uint16_t right = 0)
{
    return new GMedia("m", {width, width}, {uint16_t(width - left - right), width}, {left, 0}, 0, mediaId, 100, 100,
                      0, 0, nullptr, nullptr);
}

struct Part : GPeripheral {
    using GPeripheral::GPeripheral;
    Part* CreateNew() const override { return new Part; }
    Part* Copy() const override { return new Part(*this); }
    uint32_t QueryFlags() override { return 0; }
};

// Records the tray ids it is shown and stops after each when asked; never reports a match.
struct Visits {
    std::vector<int> trays;
    int goOn;
    static int Record(GObjectBase* entry, GResourceMapping*, int32_t, void* context, int32_t*)
    {
        static_cast<Visits*>(context)->trays.push_back(static_cast<GTray*>(entry)->GetTrayId());
        return static_cast<Visits*>(context)->goOn;
    }
};

TEST(DriverObjectWalkers, TrayFilterOrderStopsCountersAndTheOsTrayMap)
{
    ModelDriver driver;
    GConfiguration* configuration = driver.GetPrinterConfiguration();
    auto* devices = new GAttributeComposite(90);
    devices->Add(Device("a", 0, 1, {1}, {3, 1}, 1)), devices->Add(Device("off", 0, 1, {1}, {3}));
    devices->Add(Device("b", 0, 1, {1}, {1, 3}, 1));
    configuration->Add(devices);
    auto* filter = new GAttributeComposite(1114);
    filter->Add(new GValueAttribute(3, 1)), filter->Add(new GValueAttribute(1, 2));
    configuration->Add(filter);
    const struct { int goOn; std::vector<int> trays; } rows[] = {{1, {3, 3, 1, 1}}, {0, {3, 1}}};
    for (const auto& row : rows) {
        Visits visits{{}, row.goOn};
        int32_t counter = 5;
        EXPECT_EQ(-1, driver.ForEachPoolEntry(Visits::Record, &visits, 0, counter)) << "nothing reported";
        EXPECT_EQ(row.trays, visits.trays);
        EXPECT_EQ(5 + int32_t(row.trays.size()), counter) << "not reset between walks";
    }
    auto* map = new GResourceMappingList(84);
    map->AddIfSecondCodeFree(new GResourceMapping(0, 260, 3));
    driver.SetSubObject3(map);
    EXPECT_EQ(1, driver.ContainsPoolCode(260));
    EXPECT_EQ(0, driver.ContainsPoolCode(261));
    int32_t counter = 0;
    EXPECT_EQ(1, driver.ForEachPoolEntry(nullptr, nullptr, 1, counter)) << "a count";
    EXPECT_EQ(2, counter);

    delete configuration->Remove(filter);
    configuration->Add(new GAttributeComposite(1114));
    Visits none{{}, 1};
    EXPECT_EQ(-1, driver.ForEachPoolEntry(Visits::Record, &none, 0, counter));
    EXPECT_TRUE(none.trays.empty());
    EXPECT_EQ(-1, driver.MapEntries(Visits::Record, &none, 0, 100, 100, 0, 0, counter)) << "no pool";
    EXPECT_EQ(0, counter) << "the media walk starts again at 0";
}

TEST(DriverObjectWalkers, MediaWithinLimitsCustomSizesAndSymmetricMargins)
{
    ModelDriver driver;
    GConfiguration* configuration = driver.GetPrinterConfiguration();
    auto* pool = new GMediaPool(189);
    for (GMedia* media : {Media(10, 500), Media(11, 900), Media(17385, 100), Media(17384, 600), Media(17389, 100),
                          Media(17388, 600), Media(12, 100, 60, 10), Media(13, 500, 50, 20)})
        pool->Add(media);
    configuration->Add(pool);
    auto* ids = new GResourceMappingList(191);
    for (auto pair : {std::make_pair(1, 10), {2, 11}, {3, 16390}, {4, 16391}})
        ids->AddIfSecondCodeFree(new GResourceMapping(0, uint16_t(pair.first), int16_t(pair.second)));
    driver.SetIdPool(ids);
    auto* sizes = new GAttributeComposite(276);
    sizes->Add(new GCustomMediaSize(16390, "fits", 100, 100, GCustomMediaSize::kTenThousandthInch, 600, 600, 0));
    sizes->Add(new GCustomMediaSize(16391, "over", 100, 100, GCustomMediaSize::kTenThousandthInch, 601, 600, 0));
    auto* resolution = new GAttributeComposite(249);
    resolution->Add(new GValueAttribute(100, 323)), resolution->Add(new GValueAttribute(100, 324));
    GAttributeComposite* settings = driver.settings.get();
    settings->Add(sizes), settings->Add(resolution), settings->Add(new GValueAttribute(0, 265));

    const struct { uint16_t code; int limit, found; } rows[] = {
        {1, 1, 1}, {2, 1, 0}, {2, 0, 1}, {3, 1, 1}, {4, 1, 0}, {4, 0, 1}, {5, 0, 0}};
    for (const auto& row : rows)
        EXPECT_EQ(row.found, driver.FindMedia(0, 100, 100, row.limit, row.code)) << row.code << row.limit;
    EXPECT_EQ(1, driver.IsCustomSizeInRange(16390, nullptr)) << "bounds included";
    EXPECT_EQ(0, driver.IsCustomSizeInRange(16391, nullptr)) << "one dot over";
    ModelDriver bare;
    bare.settings.reset();
    EXPECT_EQ(1, bare.FindMedia(0, 100, 100, 0, 9)) << "without settings";

    settings->Add(new GValueAttribute(1, 713));
    for (auto row : {std::make_pair(12, 0), {13, 400}}) {
        GMedia* media = driver.GetMediaAttribute()->FindMedia(uint16_t(row.first), 0, 100, 100);
        ASSERT_NE(nullptr, media);
        EXPECT_EQ(row.second, media->GetImageableExtent().x) << "clamped at 0";
    }
}

TEST(DriverObjectStoredMaps, InstalledAccessoriesAndStoredListsOfTheirKind)
{
    for (uint16_t tray5 : {1, 2}) {
        Services& services = Fresh();
        ModelDriver driver;
        auto* components = static_cast<GPeripheralComposite*>(driver.GetPrinter()->FindById(76));
        for (long id : {101, 106}) {
            auto* own = new GConfiguration(0);
            auto* maps = new GConfiguration(198);
            maps->Add(new MAssociationList(id == 101 ? 85 : 93)), own->Add(maps);
            components->Add(new Part("part", nullptr, own, id));
        }
        // Components first: adding one rebuilds the printer's configuration.
        GConfiguration* configuration = driver.GetPrinterConfiguration();
        auto *paths = new GAttributeComposite(228), *devices = new GAttributeComposite(90);
        for (GPaperHandlingDevice* device :
             {Device("Tray", 0, 1, {1, 2}), Device("Tray", 0, 1, {1, 2}), Device("Stacker", 1, 1, {3, 4}),
              Device("Stacker", 1, 1, {3, 4}), Device("Fixed", 0, 0, {3, 6}), Device("T5", 0, 1, {1}, {5}),
              Device("T5", 0, 1, {1}, {5})})
            devices->Add(device);
        paths->Add(devices), configuration->Add(paths);
        // The writers' maps hold associations; the OS tray map pairs codes. Each stored
        // list of the other kind is dropped.
        MAssociationList slots(85);
        slots.Add(new MPersistentAssociation(new GValueAttribute(1, 0), new GValueAttribute(3, 0)));
        GResourceMappingList codes(84);
        codes.AddIfSecondCodeFree(new GResourceMapping(0, 260, 3));
        services.SaveObjectToPrinterData(&driver, L"DEKPDLTrayMap", &slots);
        services.SaveObjectToPrinterData(&driver, L"DEKOSTrayMap", &codes);
        services.SaveObjectToPrinterData(&driver, L"DEKPJLBinMap", &codes);

        GAttributeComposite settings(365);
        settings.Add(new GStringAttribute("Tray", 315)), settings.Add(new GStringAttribute("Stacker", 316));
        for (auto value : {std::make_pair(318, 2), {213, 4}, {274, 6}, {275, int(tray5)}})
            settings.Add(new GValueAttribute(uint16_t(value.second), value.first));
        ASSERT_EQ(1, driver.ApplyStoredMaps(&settings));

        std::vector<std::pair<int, int>> states;
        for (std::unique_ptr<GObjectIterator> it(devices->CreateIterator()); it->Next();)
            states.emplace_back(static_cast<GPaperHandlingDevice*>(it->Current())->GetCount(),
                                static_cast<GPaperHandlingDevice*>(it->Current())->GetSelectedOption());
        const std::vector<std::pair<int, int>> expected = {
            {1, 2}, {0, 1}, {1, 4}, {1, 4}, {1, 6}, {tray5 == 1, 1}, {0, 1}};
        EXPECT_EQ(expected, states) << tray5;
        auto map = [&](long component, long id) {
            auto* part = static_cast<GPeripheral*>(driver.GetPrinter()->FindById(76)->FindById(component));
            return GDriverObject::Feature<MAssociationList>(part->GetConfiguration()->FindById(198), id);
        };
        ASSERT_TRUE(map(101, 85) && map(106, 93));
        EXPECT_EQ(1u, map(101, 85)->Entries()) << "a non-empty copy";
        GValueAttribute slot(1, 0);
        EXPECT_TRUE(map(101, 85)->Find(&slot)) << "the stored association";
        EXPECT_EQ(0u, map(106, 93)->Entries()) << "a code-pair list is no association list";
        EXPECT_TRUE(driver.GetSubObject3() && driver.GetSubObject3()->FindByFirstCode(260)) << "the kept tray map";
        services.SaveObjectToPrinterData(&driver, L"DEKOSTrayMap", &slots);
        driver.ApplyStoredMaps(&settings);
        EXPECT_TRUE(driver.GetSubObject3()->FindByFirstCode(260)) << "associations are no OS tray map";
    }
}

TEST(DriverObjectUpgrade, StoredListsConvertedLargeObjectsWhole)
{
    for (bool withTemplate : {true, false}) {
        Services& services = Fresh();
        auto* entryTemplate = new GAttributeComposite(375);
        entryTemplate->Add(new GValueAttribute(1, 500)), entryTemplate->Add(new GValueAttribute(2, 501));
        ModelDriver driver(withTemplate ? entryTemplate : (delete entryTemplate, nullptr));
        auto *list = new GAttributeComposite(0x4000005C), *entry = new GAttributeComposite(9);
        entry->Add(new GValueAttribute(7, 500)), entry->Add(new GValueAttribute(8, 376));
        list->Add(entry);
        EXPECT_EQ(int(withTemplate), driver.UpgradeObject(list, nullptr));
        ASSERT_EQ(withTemplate, services.printerData.count(L"1073741916") == 1) << "nothing saved without a template";
        if (!withTemplate)
            continue;
        std::unique_ptr<GObjectBase> saved(services.LoadObjectFromPrinterData(&driver, L"1073741916", 0));
        GObjectBase* rebuilt = saved && saved->GetId() == 0x4000005C ? saved->FindById(0) : nullptr;
        ASSERT_NE(nullptr, rebuilt);
        for (auto member : {std::make_pair(500, 7), {501, 2}, {376, 8}})
            EXPECT_EQ(member.second, GDriverObject::Feature<GValueAttribute>(rebuilt, member.first)->GetValue());
    }
    Services& services = Fresh();
    ModelDriver driver;
    const RWWString name(L"Big");
    std::unique_ptr<GAttributeComposite> expected(HeldText(std::string(10000, 'b')));
    ASSERT_EQ(1, driver.UpgradeObject(expected->DeepCopy(), &name)) << "written again into a larger buffer";
    std::unique_ptr<GObjectBase> saved(services.LoadObjectFromPrinterData(&driver, name, 0));
    EXPECT_TRUE(saved && saved->IsEqual(expected.get()));
    // What the form the value is stored in now would not give back whole is not written:
    // under the compact choice a text past its longest or a member its defaults lack;
    // the object-graph form holds both.
    std::unique_ptr<GAttributeComposite> tooLong(HeldText(std::string(70000, 'c')));
    std::unique_ptr<GAttributeComposite> another(HeldText("kept"));
    another->Add(new GValueAttribute(3, 46));
    for (uint16_t form : {1, 0}) {
        Services& chosenServices = Fresh();
        ModelDriver chosen(nullptr, form);
        for (GAttributeComposite* object : {tooLong.get(), another.get()}) {
            EXPECT_EQ(form == 0 ? 1 : 0, chosen.UpgradeObject(object->DeepCopy(), &name)) << form;
            std::unique_ptr<GObjectBase> saved(chosenServices.LoadObjectFromPrinterData(&chosen, name, 0));
            EXPECT_EQ(form == 0, saved && saved->IsEqual(object)) << form;
            chosenServices.printerData.clear();
        }
    }
    // A compact save refused with room to spare stores nothing.
    Services& other = Fresh();
    ModelDriver compact(nullptr, 1);
    EXPECT_EQ(0, other.SaveObjectToPrinterData(&compact, L"TooLong", tooLong.get()));
    EXPECT_EQ(0u, other.printerData.count(L"TooLong"));
}

TEST(DriverObjectUpgrade, AFormPastTheLargestBufferIsNotSavedOverTheStoredObject)
{
    Services& services = Fresh();
    ModelDriver driver;
    const RWWString name(L"Huge");
    GStringAttribute kept("kept", 44);
    ASSERT_EQ(1, services.SaveObjectToPrinterData(&driver, name, &kept));
    const std::vector<uint8_t> before = services.printerData[L"Huge"];
    EXPECT_EQ(0, driver.UpgradeObject(new GStringAttribute(std::string(5u << 20, 'h').c_str(), 44), &name));
    EXPECT_EQ(before, services.printerData[L"Huge"]);
}

TEST(DriverObjectLists, ResolutionListAndNamedListIgnoringCase)
{
    ModelDriver driver;
    GConfiguration* configuration = driver.GetPrinterConfiguration();
    for (auto list : {std::make_pair(206, 300), {1300, 600}}) {
        auto *holder = new GAttributeComposite(list.first), *entry = new GAttributeComposite(1);
        entry->Add(new GValueAttribute(uint16_t(list.second), 323)), entry->Add(new GValueAttribute(600, 324));
        holder->Add(entry), configuration->Add(holder);
    }
    EXPECT_EQ(1, driver.IsResolutionListed(300, 600) - driver.IsResolutionListed(600, 600));
    driver.GetSettings()->Add(new GValueAttribute(2, 1302));
    EXPECT_EQ(1, driver.IsResolutionListed(600, 600) - driver.IsResolutionListed(300, 600));

    auto *list = new GAttributeComposite(369), *entry = new GAttributeComposite(1);
    entry->Add(new GStringAttribute("Letter", 370)), entry->Add(new GValueAttribute(7, 360));
    list->Add(entry), configuration->Add(list);
    GValueAttribute target(0, 1);
    EXPECT_EQ(0, driver.SelectFromList(L"legal", &target));
    EXPECT_EQ(1, driver.SelectFromList(L"lETTER", &target));
    EXPECT_EQ(360, target.GetId());
}

// A name is used only when a text of the used-names list is the whole name: a longer
// stored name that starts with it, a shorter one and another case do not count.
TEST(DriverObjectLists, UsedNamesMatchWholeNamesOnly)
{
    ModelDriver driver;
    EXPECT_EQ(1, driver.IsNameUnused("Report 2")) << "no list";
    auto* used = new GAttributeComposite(FeatureId::kUsedNames);
    used->Add(new GValueAttribute(7, 1));
    used->Add(new GStringAttribute("Report 2", 2));
    driver.GetPrinterConfiguration()->Add(used);
    const struct {
        const char* name;
        int unused;
    } rows[] = {{"Report 2", 0}, {"Report ", 1}, {"Report", 1}, {"Report 22", 1},
                {"report 2", 1}, {"", 1}, {nullptr, 1}};
    for (const auto& row : rows)
        EXPECT_EQ(row.unused, driver.IsNameUnused(row.name)) << (row.name ? row.name : "null");
}

// Records what the driver object registers and unregisters, answering from a table.
struct RecordingContext : GExtensionContext {
    explicit RecordingContext(std::vector<std::wstring>& calls) : calls(calls) {}
    ~RecordingContext() override { calls.push_back(L"deleted"); }
    int Register(const RWWString& name) override { return calls.push_back(L"+" + std::wstring(name.Data())), 11; }
    int Unregister(const RWWString& name) override { return calls.push_back(L"-" + std::wstring(name.Data())), 12; }
    std::vector<std::wstring>& calls;
};
std::vector<std::wstring> g_extensionCalls;

// A service provider answering for the configuration it is given; its services count
// themselves.
struct ServiceProvider : GProvider {
    struct Service : GProviderService {
        explicit Service(ServiceProvider& p) : provider(p) { ++provider.live; }
        ~Service() override { --provider.live; }
        uint32_t AnswerFor(GConfiguration& configuration) override { return provider.seen = &configuration, 42; }
        ServiceProvider& provider;
    };
    ServiceProvider* CreateNew() const override { return new ServiceProvider; }
    ServiceProvider* Copy() const override { return new ServiceProvider; }
    uint32_t GetCapabilities() const override { return 0x10000; }
    void* OpenSecondary(const RWWString& n, const RWCString&, uint32_t, void* context) override
    {
        name = n.Data(), driver = context;
        return new Service(*this);
    }
    std::wstring name;
    void* driver = nullptr;
    GConfiguration* seen = nullptr;
    int live = 0;
};

// A page-description writer whose feature query the forwarded values reach.
struct ForwardingWriter : GCheetah {
    uint32_t QueryFeature(uint32_t value) override { return value * 2; }
};

TEST(DriverObjectSlots, ProviderExtensionsAndTheWriterAreReachedThroughTheirInterfaces)
{
    Fresh();
    const GExtensionContext::Maker previous = GExtensionContext::SetMaker([](GDriverObject&) -> GExtensionContext* {
        return new RecordingContext(g_extensionCalls);
    });
    {
        ModelDriver bare;
        EXPECT_EQ(0, bare.RegisterExtension(L"", 0)) << "no 984: the value 0";
        EXPECT_EQ(5, bare.RegisterExtension(L"ext", 0)) << "disabled";
        ModelDriver driver(new GValueAttribute(3, 984));
        EXPECT_EQ(3, driver.RegisterExtension(L"", 0));
        EXPECT_EQ(11, driver.RegisterExtension(L"ext", 0));
        EXPECT_EQ(12, driver.RegisterExtension(L"ext", 1));
    }
    GExtensionContext::SetMaker(previous);
    const std::vector<std::wstring> expected = {L"+ext", L"-ext", L"deleted", L"deleted"};
    EXPECT_EQ(expected, g_extensionCalls) << "each context deleted with its object";

    ModelDriver driver;
    EXPECT_EQ(603u, driver.QueryProvider()) << "no provider";
    ServiceProvider provider;
    GProviderRegistry::Instance().Register(&provider, "service");
    GDriverObject named(L"p", L"second", L"third");
    EXPECT_EQ(603u, named.QueryProvider()) << "no configuration";
    EXPECT_EQ(L"third", provider.name);
    EXPECT_EQ(&named, provider.driver);
    EXPECT_EQ(42u, driver.QueryProvider());
    EXPECT_EQ(driver.GetPrinterConfiguration(), provider.seen);
    EXPECT_EQ(0, provider.live) << "every service deleted";
    GProviderRegistry::Instance().Unregister("service");

    GDriverObjectImp imp(L"p");
    EXPECT_EQ(0u, imp.ForwardToWriter(4)) << "no printer";
    auto* printer = new GPrinter("printer", nullptr, nullptr, 353);
    printer->Add(new ForwardingWriter);
    imp.SetPrinter(printer);
    EXPECT_NE(nullptr, imp.GetAttribute765()) << "found by kind";
    EXPECT_EQ(8u, imp.ForwardToWriter(4));
    for (uint32_t word : {0u, 7u})
        EXPECT_EQ(0u, imp.ReservedSlot1(word, 1, 2, 3) + imp.ReservedSlot2(word, 1, 2, 3) +
                          imp.ReservedSlot3(word, 1, 2, 3) + imp.ReservedSlot4(word, 1) + imp.ReservedSlot5(word, 1));
    EXPECT_EQ(9u, imp.PassValue(1, 9));
}

// A device's font list with a stamp.
GDeviceFontList* Fonts(long code, uint32_t stamp)
{
    auto* list = new GDeviceFontList(code);
    list->SetStamp(stamp);
    return list;
}

std::vector<std::pair<long, uint32_t>> Members(GObjectBase* list)
{
    std::vector<std::pair<long, uint32_t>> members;
    for (std::unique_ptr<GObjectIterator> it(list->CreateIterator()); it->Next();)
        members.emplace_back(it->Current()->GetId(), static_cast<GDeviceFontList*>(it->Current())->GetStamp());
    return members;
}

TEST(DriverObjectFonts, AppliedFontsReplaceTheDevicesListsAndLeaveOthers)
{
    auto* fonts = new GDeviceFontListComposite;
    fonts->SetId(414);
    for (GDeviceFontList* list : {Fonts(5, 1), Fonts(0x1A0, 1), Fonts(0x1A1, 1)})
        fonts->Add(list);
    ModelDriver driver(fonts);
    GDeviceFontListComposite added;
    added.Add(Fonts(0x1A1, 2)), added.Add(Fonts(0x1A4, 3));
    driver.ApplyAddedFonts(&added);
    const std::vector<std::pair<long, uint32_t>> applied = {{0x1A4, 3}, {5, 1}, {0x1A1, 2}};
    EXPECT_EQ(applied, Members(fonts)) << "a new device first, a known one replaced, an absent one gone";
    EXPECT_NE(added.FindById(0x1A4), fonts->FindById(0x1A4)) << "a copy";
    GDeviceFontListComposite empty;
    driver.ApplyAddedFonts(&empty);
    const std::vector<std::pair<long, uint32_t>> others = {{5, 1}};
    EXPECT_EQ(others, Members(fonts));
    fonts->Add(Fonts(0x1AD, 1));
    driver.ApplyAddedFonts(nullptr);
    EXPECT_EQ(others, Members(fonts)) << "the last device too";
}

TEST(DriverObjectSettings, PhysicalSettingsAgainstTheStoredOnes)
{
    // The stored settings: two values, a range and the two device names.
    auto stored = [] {
        auto* tree = new GAttributeComposite(365);
        tree->Add(new GValueAttribute(1, 307)), tree->Add(new GValueAttribute(2, 1203));
        tree->Add(new GRangeAttribute(0, 10, 1, 4, 925));
        tree->Add(new GStringAttribute("Tray 3", 315)), tree->Add(new GStringAttribute("Bin", 316));
        return tree;
    };
    const struct {
        const char* name;
        bool store;
        const wchar_t* updateType;
        long changed;  // 0: nothing changed
        uint16_t confirmed;  // value of 927, 0: absent
        int current;
    } rows[] = {
        {"nothing stored", false, nullptr, 307, 0, 1},
        {"the same", true, nullptr, 0, 0, 1},
        {"a value differs", true, nullptr, 307, 0, 0},
        {"a range differs", true, nullptr, 925, 0, 0},
        {"a name differs", true, nullptr, 315, 0, 0},
        {"a later value differs", true, nullptr, 1203, 0, 0},
        {"unconfirmed after an administrator's update", true, L"Admin", 0, 5, 0},
        {"unconfirmed after an automatic update", true, L"Auto", 0, 5, 0},
        {"confirmed after an update", true, L"Admin", 0, 14113, 1},
        {"confirmed otherwise", true, L"Auto", 0, 14119, 1},
        {"unconfirmed after a failed update", true, nullptr, 0, 5, 1},
    };
    for (const auto& row : rows) {
        Services& services = Fresh();
        ModelDriver driver;
        std::unique_ptr<GAttributeComposite> tree(stored());
        if (row.store) {
            ASSERT_EQ(1, services.SaveObjectToPrinterData(&driver, L"PhySetting", tree.get())) << row.name;
        }
        if (row.updateType)
            services.SetPrinterDataString(&driver, L"LastUpdateType", row.updateType);
        if (row.confirmed)
            tree->Add(new GValueAttribute(row.confirmed, 927));
        if (row.changed == 315)
            tree->ReplaceById(315, std::unique_ptr<GStringAttribute>(new GStringAttribute("Tray 2", 315)).get());
        else if (row.changed == 925)
            static_cast<GRangeAttribute*>(tree->FindById(925))->SetValue(5);
        else if (row.changed)
            static_cast<GValueAttribute*>(tree->FindById(row.changed))->SetValue(9);
        EXPECT_EQ(row.current, driver.IsPhysicalSettingCurrent(tree.get())) << row.name;
        EXPECT_EQ(1, driver.IsPhysicalSettingCurrent(nullptr)) << row.name;
    }
}

TEST(DriverObjectSettings, AttributeTableCopiesTheThreeMembersBothHold)
{
    ModelDriver driver;
    GAttributeComposite source(1), target(2);
    auto *from = new GAttributeComposite(362), *to = new GAttributeComposite(329);
    from->Add(new GValueAttribute(5, 266)), from->Add(new GValueAttribute(6, 267)), from->Add(new GValueAttribute(7, 268));
    from->Add(new GValueAttribute(8, 269));
    to->Add(new GValueAttribute(0, 266)), to->Add(new GStringAttribute("text", 267)), to->Add(new GValueAttribute(0, 269));
    source.Add(from), target.Add(to);
    EXPECT_EQ(&target, driver.CopyAttributeTable(&source, &target));
    EXPECT_EQ(5, static_cast<GValueAttribute*>(to->FindById(266))->GetValue());
    EXPECT_EQ(nullptr, GDriverObject::Feature<GValueAttribute>(to, 267)) << "a text is left alone";
    EXPECT_EQ(nullptr, to->FindById(268)) << "nothing added";
    EXPECT_EQ(0, static_cast<GValueAttribute*>(to->FindById(269))->GetValue()) << "not in the table";
    EXPECT_EQ(&target, driver.CopyAttributeTable(nullptr, &target));
    EXPECT_EQ(nullptr, driver.CopyAttributeTable(&source, nullptr));
}

} // namespace

TEST(DriverObjectWalkers, TheMediaForAPaperFollowsTheTreesOrientationAndResolution)
{
    ModelDriver driver;
    auto media = [](uint16_t id, uint32_t orientation, uint16_t dpi, uint16_t width) {
        return new GMedia("m", {width, width}, {width, width}, {0, 0}, orientation, id, dpi, dpi, 0, 0, nullptr,
                          nullptr);
    };
    GAttributeComposite tree(360);
    auto* resolution = new GAttributeComposite(249);
    resolution->Add(new GValueAttribute(600, 323)), resolution->Add(new GValueAttribute(600, 324));
    tree.Add(new GValueAttribute(90, 265)), tree.Add(resolution);
    EXPECT_EQ(nullptr, driver.FindMediaForPaper(7, &tree)) << "no pool";

    auto* pool = new GMediaPool(189);
    for (GMedia* m : {media(7, 0, 600, 1), media(7, 90, 300, 2), media(7, 90, 600, 3), media(8, 90, 600, 4)})
        pool->Add(m);
    driver.GetPrinterConfiguration()->Add(pool);
    const struct {
        uint16_t id, degrees, dpi, width;
    } rows[] = {{7, 90, 600, 3}, {7, 0, 600, 1}, {7, 90, 300, 2}, {8, 90, 600, 4}, {8, 0, 600, 0}, {9, 90, 600, 0}};
    for (const auto& row : rows) {
        static_cast<GValueAttribute*>(tree.FindById(265))->SetValue(row.degrees);
        static_cast<GValueAttribute*>(tree.FindById(323))->SetValue(row.dpi);
        static_cast<GValueAttribute*>(tree.FindById(324))->SetValue(row.dpi);
        GMedia* found = driver.FindMediaForPaper(row.id, &tree);
        EXPECT_EQ(row.width, found ? found->GetPaperSize().x : 0) << row.id << " " << row.degrees << " " << row.dpi;
    }
    EXPECT_EQ(nullptr, driver.FindMediaForPaper(7, nullptr)) << "no tree: orientation 0 at resolution 0";
}

TEST(DriverObjectWalkers, AUserFormOfTheTreeBecomesAMediaOnTheCustomTemplate)
{
    ModelDriver driver;
    GAttributeComposite tree(360);
    auto* resolution = new GAttributeComposite(249);
    resolution->Add(new GValueAttribute(600, 323)), resolution->Add(new GValueAttribute(600, 324));
    tree.Add(new GValueAttribute(0, 265)), tree.Add(resolution);
    auto* sizes = new GAttributeComposite(276);
    // 5 by 7 inches.
    sizes->Add(new GCustomMediaSize(16390, "card", GCustomMediaSize::kHundredthInch, 500, 700, 0));
    sizes->Add(new GCustomMediaSize(17383, "last", GCustomMediaSize::kHundredthInch, 400, 400, 0));
    tree.Add(sizes);
    auto* pool = new GMediaPool(189);
    // The template: margins of 100 dots all round.
    pool->Add(new GMedia("custom", {5000, 5000}, {4800, 4800}, {100, 100}, 0, 17384, 600, 600, 0, 0, nullptr, nullptr));
    driver.GetPrinterConfiguration()->Add(pool);

    GMedia* card = driver.FindMediaForPaper(16390, &tree);
    ASSERT_NE(nullptr, card);
    EXPECT_EQ(16390, card->GetMediaId());
    EXPECT_EQ(3000, card->GetPaperSize().x);
    EXPECT_EQ(4200, card->GetPaperSize().y);
    EXPECT_EQ(2800, card->GetImageableExtent().x);
    EXPECT_EQ(100, card->GetImageableOrigin().x);
    GMedia* last = driver.FindMediaForPaper(17383, &tree);
    ASSERT_NE(nullptr, last);
    EXPECT_EQ(2400, last->GetPaperSize().x);
    EXPECT_EQ(nullptr, driver.FindMediaForPaper(16391, &tree)) << "no such form";
    EXPECT_EQ(nullptr, driver.FindMediaForPaper(17384 + 1, &tree)) << "beyond the user forms";
    EXPECT_EQ(nullptr, driver.FindMediaForPaper(16390, nullptr)) << "no tree";
}
