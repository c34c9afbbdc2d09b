// The trays and bins of an extension module entered into and taken out of the paper
// handling: the list read in sequence, the devices, the three maps and the installed
// device names.
#include "entry/extensions/GExtensionPaperHandling.h"
#include "model/GAttributeComposite.h"
#include "model/GObjectIterator.h"
#include "model/GResourceMapping.h"
#include "model/GResourceMappingList.h"
#include "model/GSelectionString.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "model/MPersistentAssociation.h"
#include "printer/GPaperHandlingDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// A list in the module's byte form, built record by record.
class ListBytes {
public:
    void Device(const char* name, int16_t entries)
    {
        Pointer(name);
        Short(entries);
        Short(0);
    }
    void Tray(const char* name, int16_t number, uint16_t code)
    {
        Pointer(name);
        Short(number);
        Short(int16_t(code));
    }
    void Bin(const char* name, int16_t number, const char* pjl)
    {
        Pointer(name);
        Short(number);
        Short(0);
        Pointer(pjl);
    }
    const uint8_t* Data() const { return bytes_.data(); }

private:
    void Pointer(const char* text) { Put(&text, sizeof text); }
    void Short(int16_t value) { Put(&value, sizeof value); }
    void Put(const void* value, size_t size)
    {
        const uint8_t* at = static_cast<const uint8_t*>(value);
        bytes_.insert(bytes_.end(), at, at + size);
    }
    std::vector<uint8_t> bytes_;
};

std::vector<std::string> Devices(GObjectBase* container)
{
    std::vector<std::string> out;
    std::unique_ptr<GObjectIterator> it(container->CreateIterator());
    while (it->Next())
        if (it->Current()->IsKindOf(GPaperHandlingDevice::kClassId)) {
            auto* device = static_cast<GPaperHandlingDevice*>(it->Current());
            out.push_back(std::string(device->GetName().Data()) + "/" + std::to_string(device->GetType()) + "/" +
                          std::to_string(device->GetMode()));
        }
    return out;
}

struct Fixture {
    Fixture()
    {
        settings->Add(new GStringAttribute("", 315));
        settings->Add(new GStringAttribute("", 316));
        targets.container = container.get();
        targets.osTrayMap = osMap.get();
        targets.pdlTrayMap = pdlMap.get();
        targets.pjlBinMap = pjlMap.get();
        targets.deviceSettings = settings.get();
    }
    std::string Text(long id)
    {
        return static_cast<GStringAttribute*>(settings->FindById(id))->GetString().Data();
    }
    std::unique_ptr<GAttributeComposite> container{new GAttributeComposite(90)};
    std::unique_ptr<GResourceMappingList> osMap{new GResourceMappingList};
    std::unique_ptr<MAssociationList> pdlMap{new MAssociationList};
    std::unique_ptr<MAssociationList> pjlMap{new MAssociationList};
    std::unique_ptr<GAttributeComposite> settings{new GAttributeComposite(365)};
    GExtensionPaperHandling::Targets targets;
};

uint16_t PdlCode(MAssociationList& map, uint16_t slot)
{
    GValueAttribute key(slot, 0);
    MPersistentAssociation* found = map.Find(&key);
    return found ? static_cast<GValueAttribute*>(found->GetValue())->GetValue() : 0xFFFF;
}

} // namespace

// Records and entries follow each other: a second device's record comes after the first
// device's entries, not at byte 8.
TEST(ExtensionPaperHandling, ListsAreReadInSequence)
{
    ListBytes list;
    list.Device("Feeder", 2);
    list.Tray("Upper", 0, 7);
    list.Tray("Lower", 1, 8);
    list.Device("Second", 1);
    list.Tray("Only", 3, 9);
    auto devices = GExtensionPaperHandling::ReadList(list.Data(), 2, false);
    ASSERT_EQ(2u, devices.size());
    EXPECT_STREQ("Feeder", devices[0].name.Data());
    ASSERT_EQ(2u, devices[0].entries.size());
    EXPECT_STREQ("Lower", devices[0].entries[1].name.Data());
    EXPECT_EQ(8, devices[0].entries[1].pdlCode);
    EXPECT_STREQ("Second", devices[1].name.Data());
    ASSERT_EQ(1u, devices[1].entries.size());
    EXPECT_EQ(3, devices[1].entries[0].number);
}

TEST(ExtensionPaperHandling, NegativeCountsCountZeroAndNullListsGiveNothing)
{
    ListBytes list;
    list.Device("Stacker", -3);
    list.Device("Next", 1);
    list.Bin("B", 2, "PJLB");
    auto devices = GExtensionPaperHandling::ReadList(list.Data(), 2, true);
    ASSERT_EQ(2u, devices.size());
    EXPECT_TRUE(devices[0].entries.empty());
    ASSERT_EQ(1u, devices[1].entries.size());
    EXPECT_STREQ("PJLB", devices[1].entries[0].pjlName.Data());
    EXPECT_TRUE(GExtensionPaperHandling::ReadList(nullptr, 5, true).empty());
    EXPECT_TRUE(GExtensionPaperHandling::ReadList(list.Data(), 0, true).empty());
}

TEST(ExtensionPaperHandling, TraysBecomeADeviceSlotsAndBothTrayMaps)
{
    ListBytes list;
    list.Device("Feeder", 3);
    list.Tray("T0", 0, 5);
    list.Tray("T19", 19, 6);
    list.Tray("T25", 25, 7);
    Fixture f;
    auto devices = GExtensionPaperHandling::ReadList(list.Data(), 1, false);
    EXPECT_EQ(0, GExtensionPaperHandling::AddTrays(devices, f.targets));
    EXPECT_EQ((std::vector<std::string>{"Feeder/0/1"}), Devices(f.container.get()));
    ASSERT_NE(nullptr, f.osMap->FindByFirstCode(256 + 32));
    EXPECT_EQ(10550u, f.osMap->FindByFirstCode(256 + 32)->GetResource());
    EXPECT_EQ(32, f.osMap->FindByFirstCode(256 + 32)->GetSecondCode());
    ASSERT_NE(nullptr, f.osMap->FindByFirstCode(256 + 51));
    EXPECT_EQ(10569u, f.osMap->FindByFirstCode(256 + 51)->GetResource());
    EXPECT_EQ(nullptr, f.osMap->FindByFirstCode(256 + 57)) << "tray 25 is skipped";
    EXPECT_EQ(5, PdlCode(*f.pdlMap, 32));
    EXPECT_EQ(6, PdlCode(*f.pdlMap, 51));
    EXPECT_EQ(0xFFFF, PdlCode(*f.pdlMap, 57));
    EXPECT_EQ("Feeder", f.Text(315));

    GExtensionPaperHandling::RemoveTrays(devices, f.targets);
    EXPECT_TRUE(Devices(f.container.get()).empty());
    EXPECT_EQ(nullptr, f.osMap->FindByFirstCode(256 + 32));
    EXPECT_EQ(0xFFFF, PdlCode(*f.pdlMap, 32));
    EXPECT_EQ("", f.Text(315));
}

TEST(ExtensionPaperHandling, BinsBecomeADeviceAndPjlNamesUnderTheirNumberPlusThirty)
{
    ListBytes list;
    list.Device("Stacker", 2);
    list.Bin("Face down", 0, "UPPER");
    list.Bin("Too far", 30, "NONE");
    Fixture f;
    auto devices = GExtensionPaperHandling::ReadList(list.Data(), 1, true);
    EXPECT_EQ(0, GExtensionPaperHandling::AddBins(devices, f.targets));
    EXPECT_EQ((std::vector<std::string>{"Stacker/1/1"}), Devices(f.container.get()));
    GValueAttribute key(30, 0);
    MPersistentAssociation* found = f.pjlMap->Find(&key);
    ASSERT_NE(nullptr, found);
    ASSERT_TRUE(found->GetValue()->IsKindOf(GSelectionString::kClassId));
    GValueAttribute beyond(60, 0);
    EXPECT_EQ(nullptr, f.pjlMap->Find(&beyond));
    EXPECT_EQ("Stacker", f.Text(316));

    GExtensionPaperHandling::RemoveBins(devices, f.targets);
    EXPECT_TRUE(Devices(f.container.get()).empty());
    EXPECT_EQ(nullptr, f.pjlMap->Find(&key));
    EXPECT_EQ("", f.Text(316));
}

TEST(ExtensionPaperHandling, MissingMapsGiveSevenAndEight)
{
    ListBytes list;
    list.Device("Feeder", 1);
    list.Tray("T0", 0, 5);
    Fixture f;
    f.targets.pdlTrayMap = nullptr;
    f.targets.pjlBinMap = nullptr;
    auto devices = GExtensionPaperHandling::ReadList(list.Data(), 1, false);
    EXPECT_EQ(7, GExtensionPaperHandling::AddTrays(devices, f.targets));
    EXPECT_EQ(8, GExtensionPaperHandling::AddBins(devices, f.targets));
}
