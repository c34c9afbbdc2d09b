#include "printer/GDriverObject.h"

#include "TestOSFactory.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GLocaleInfo.h"
#include "model/GObjectIterator.h"
#include "model/GResourceMapping.h"
#include "model/GResourceMappingList.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GPrinter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

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
    std::unique_ptr<GAttributeComposite> settings{new GAttributeComposite(365)};
};

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
        GStringAttribute saved(std::string(row.compact ? 3000 : 10, 'x').c_str(), 44);
        ASSERT_EQ(1, services.SaveObjectToPrinterData(&driver, row.name, &saved));
        std::unique_ptr<GObjectBase> loaded(services.LoadObjectFromPrinterData(&driver, row.name, 0));
        ASSERT_TRUE(loaded && loaded->IsEqual(&saved)) << row.form;
        EXPECT_EQ(row.compact ? 2 : 1, services.reads) << "a value over 1024 bytes is read again";
        // The compact form's tag keeps the object-graph reader from taking it.
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

} // namespace
