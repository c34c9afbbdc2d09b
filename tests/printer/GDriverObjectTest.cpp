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

namespace {

// Services answering a locale of a chosen country.
struct CountryServices : TestOSFactory {
    GLocaleInfo* CreateLocaleInfo() override
    {
        GLocaleInfo* info = new GLocaleInfo;
        info->SetICountry(country);
        return info;
    }
    int32_t country = 1;
};

// A driver object over a configuration and a settings tree of the test's making.
struct ModelDriver : GDriverObject {
    explicit ModelDriver(GConfiguration* configuration = new GConfiguration(198)) : GDriverObject(L"printer")
    {
        GPrinter* printer = new GPrinter("printer", nullptr, nullptr, 353);
        printer->Add(new GPeripheralComposite("model", nullptr, configuration, 76));
        SetPrinter(printer);
    }
    GObjectBase* CreateSettings() override { return settings.release(); }
    std::unique_ptr<GAttributeComposite> settings{new GAttributeComposite(365)};
};

TEST(DriverObjectPaper, DefaultPaperCodeFollowsTheCountry)
{
    const struct { int32_t country; uint16_t code; } rows[] = {{52, 1}, {1, 1}, {49, 23}, {600, 23}};
    for (const auto& row : rows) {
        CountryServices& services = *new CountryServices;
        services.country = row.country;
        ModelDriver driver;
        EXPECT_EQ(row.code, driver.DefaultPaperCode()) << row.country;
        services.country = row.code == 1 ? 49 : 52;
        EXPECT_EQ(row.code, driver.DefaultPaperCode()) << "cached";
    }
}

TEST(DriverObjectPaper, FillIdMapPairsTheExtraEntriesAndKeepsTakenCodes)
{
    ModelDriver driver;
    GAttributeComposite* extra = new GAttributeComposite(701);
    for (const char* name : {"a", "b", "c"})
        extra->Add(new GStringAttribute(name, 0));
    driver.settings->Add(extra);
    GResourceMappingList map(194);
    map.Add(new GResourceMapping(0, 900, 51));
    map.AddIfSecondCodeFree(new GResourceMapping(0, 900, 51));
    ASSERT_EQ(extra, driver.FillIdMap(map));
    EXPECT_EQ(16690, map.FindBySecondCode(50)->GetFirstCode());
    EXPECT_EQ(900, map.FindBySecondCode(51)->GetFirstCode());
    EXPECT_EQ(16692, map.FindBySecondCode(52)->GetFirstCode());
    EXPECT_EQ(1, driver.HasIdInMap(16691));
    EXPECT_EQ(0, driver.HasIdInMap(16693));
}

TEST(DriverObjectPaper, CustomEntriesTakeTheFirstFreeIdAndReplaceTheirName)
{
    ModelDriver driver;
    GAttributeComposite list(276);
    list.Add(new GCustomMediaSize(16385, "first", 0, 10, 10, 0));
    list.Add(new GCustomMediaSize(16387, "mine", 0, 10, 10, 0));
    ASSERT_EQ(1, driver.AddCustomEntry(new GCustomMediaSize(0, "mine", 0, 20, 20, 0), &list, 0));
    ASSERT_EQ(2u, list.Entries());
    std::unique_ptr<GObjectIterator> it(list.CreateIterator());
    it->Next(), it->Next();
    GCustomMediaSize* last = static_cast<GCustomMediaSize*>(it->Current());
    EXPECT_EQ(16386, last->GetId());
    EXPECT_EQ(1, last->GetStateWord());

    GAttributeComposite full(276);
    for (uint16_t id = 16385; id <= 17383; ++id)
        full.Add(new GCustomMediaSize(id, "", 0, 1, 1, 0));
    GCustomMediaSize refused(0, "new", 0, 1, 1, 0);
    EXPECT_EQ(0, driver.AddCustomEntry(&refused, &full, 0));
    EXPECT_EQ(999u, full.Entries());
}

TEST(DriverObjectFeatures, AFeatureOfAnotherClassCountsAsAbsent)
{
    GConfiguration* configuration = new GConfiguration(198);
    configuration->Add(new GStringAttribute("not a value", 958));
    ModelDriver wrong(configuration);
    EXPECT_EQ(0, wrong.GetAttributeValue());
    configuration = new GConfiguration(198);
    configuration->Add(new GValueAttribute(7, 958));
    ModelDriver right(configuration);
    EXPECT_EQ(7, right.GetAttributeValue());
    EXPECT_EQ(2, right.CheckId(nullptr, 16384, 0, 0, 0));
    EXPECT_EQ(1, right.CheckId(nullptr, 9, 0, 0, 0));
}

} // namespace
