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
#include "printer/GBin.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GTray.h"

#include <cstring>
#include <memory>

namespace {

const long kTrayNameFeature = 82;
const long kBinNameFeature = 91;
const long kInputDeviceName = 315;
const long kOutputDeviceName = 316;
const int16_t kTrayNumbers = 20;
const int16_t kBinNumbers = 30;
const uint16_t kFirstSlotId = 32;
const uint16_t kFirstBinId = 41;
const uint32_t kFirstTrayResource = 10550;
const uint16_t kFirstTrayCode = 256;
const uint16_t kFirstBinKey = 30;

RWCString ReadName(const uint8_t* at)
{
    const char* text = nullptr;
    std::memcpy(&text, at, sizeof text);
    return text ? RWCString(text, strnlen(text, GExtensionPaperHandling::kMaxName)) : RWCString();
}

int16_t ReadShort(const uint8_t* at)
{
    int16_t value = 0;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// A device name text of the settings is filled with the first device's name when empty.
void NameFirstDevice(GObjectBase* settings, long id, const std::vector<GExtensionPaperHandling::Device>& devices)
{
    GObjectBase* found = settings ? settings->FindById(id) : nullptr;
    if (devices.empty() || !found || !found->IsKindOf(GStringAttribute::kClassId))
        return;
    GStringAttribute* text = static_cast<GStringAttribute*>(found);
    if (text->GetString().Length() == 0)
        text->SetString(devices.front().name);
}

// Empties the text when it holds one of the listed devices' names.
void UnnameDevices(GObjectBase* settings, long id, const std::vector<GExtensionPaperHandling::Device>& devices)
{
    GObjectBase* found = settings ? settings->FindById(id) : nullptr;
    if (!found || !found->IsKindOf(GStringAttribute::kClassId))
        return;
    GStringAttribute* text = static_cast<GStringAttribute*>(found);
    for (const auto& device : devices)
        if (text->GetString() == device.name)
            text->SetString("");
}

// Removes every device of the container added for a listed device: a non-zero mode, the
// type, the name.
void RemoveDevices(GObjectBase* container, uint32_t type, const std::vector<GExtensionPaperHandling::Device>& devices)
{
    if (!container)
        return;
    std::vector<GObjectBase*> doomed;
    std::unique_ptr<GObjectIterator> it(container->CreateIterator());
    while (it && it->Next()) {
        GObjectBase* member = it->Current();
        if (!member || !member->IsKindOf(GPaperHandlingDevice::kClassId))
            continue;
        GPaperHandlingDevice* device = static_cast<GPaperHandlingDevice*>(member);
        for (const auto& listed : devices)
            if (device->GetMode() != 0 && device->GetType() == type && device->GetName() == listed.name)
                doomed.push_back(member);
    }
    it.reset();
    for (GObjectBase* member : doomed)
        if (GObjectBase* removed = container->Remove(member))
            removed->RemoveReference();
}

} // namespace

std::vector<GExtensionPaperHandling::Device> GExtensionPaperHandling::ReadList(const uint8_t* list, uint16_t count,
                                                                              bool bins)
{
    std::vector<Device> devices;
    if (!list)
        return devices;
    const size_t entrySize = bins ? 12 : 8;
    const uint16_t records = count < kMaxDevices ? count : kMaxDevices;
    const uint8_t* at = list;
    for (uint16_t k = 0; k < records; ++k) {
        Device device;
        device.name = ReadName(at);
        int16_t entries = ReadShort(at + 4);
        entries = entries < 0 ? 0 : entries > kMaxEntries ? kMaxEntries : entries;
        at += 8;
        for (int16_t j = 0; j < entries; ++j, at += entrySize) {
            Entry entry;
            entry.name = ReadName(at);
            entry.number = ReadShort(at + 4);
            entry.pdlCode = bins ? 0 : uint16_t(ReadShort(at + 6));
            if (bins)
                entry.pjlName = ReadName(at + 8);
            device.entries.push_back(entry);
        }
        devices.push_back(device);
    }
    return devices;
}

uint16_t GExtensionPaperHandling::AddTrays(const std::vector<Device>& devices, Targets& t)
{
    if (!t.container)
        return 0;
    for (const Device& listed : devices) {
        GPaperHandlingDevice* device = new GPaperHandlingDevice(listed.name.Data(), 0, 1, 1, 0, 0, 0);
        GAttributeComposite* slots = new GAttributeComposite(0);
        for (const Entry& entry : listed.entries)
            if (entry.number >= 0 && entry.number < kTrayNumbers)
                slots->Add(new GTray(entry.name.Data(), uint16_t(kFirstSlotId + entry.number), kTrayNameFeature));
        device->SetOption(0, slots);
        t.container->Add(device);
    }
    if (!t.osTrayMap || !t.pdlTrayMap)
        return 7;
    for (const Device& listed : devices)
        for (const Entry& entry : listed.entries) {
            if (entry.number < 0 || entry.number >= kTrayNumbers)
                continue;
            const uint16_t slot = uint16_t(kFirstSlotId + entry.number);
            std::unique_ptr<GResourceMapping> mapping(
                new GResourceMapping(kFirstTrayResource + uint32_t(entry.number), uint16_t(kFirstTrayCode + slot), int16_t(slot)));
            if (t.osTrayMap->Add(mapping.get()))
                mapping.release();
            t.pdlTrayMap->Add(new MPersistentAssociation(new GValueAttribute(slot, 0),
                                                         new GValueAttribute(entry.pdlCode, 0)));
        }
    NameFirstDevice(t.deviceSettings, kInputDeviceName, devices);
    return 0;
}

uint16_t GExtensionPaperHandling::AddBins(const std::vector<Device>& devices, Targets& t)
{
    if (!t.container)
        return 0;
    for (const Device& listed : devices) {
        GPaperHandlingDevice* device = new GPaperHandlingDevice(listed.name.Data(), 1, 1, 1, 0, 0, 0);
        GAttributeComposite* outputs = new GAttributeComposite(0);
        for (const Entry& entry : listed.entries)
            if (entry.number >= 0 && entry.number < kBinNumbers)
                outputs->Add(new GBin(entry.name.Data(), uint16_t(kFirstBinId + entry.number), kBinNameFeature));
        device->SetOption(0, outputs);
        t.container->Add(device);
    }
    if (!t.pjlBinMap)
        return 8;
    for (const Device& listed : devices)
        for (const Entry& entry : listed.entries)
            if (entry.number >= 0 && entry.number < kBinNumbers)
                t.pjlBinMap->Add(new MPersistentAssociation(
                    new GValueAttribute(uint16_t(kFirstBinKey + entry.number), 0),
                    new GSelectionString(entry.pjlName.Data(), entry.number)));
    NameFirstDevice(t.deviceSettings, kOutputDeviceName, devices);
    return 0;
}

void GExtensionPaperHandling::RemoveTrays(const std::vector<Device>& devices, Targets& t)
{
    RemoveDevices(t.container, 0, devices);
    for (const Device& listed : devices)
        for (const Entry& entry : listed.entries) {
            if (entry.number < 0 || entry.number >= kTrayNumbers)
                continue;
            const uint16_t slot = uint16_t(kFirstSlotId + entry.number);
            if (t.osTrayMap)
                if (GResourceMapping* removed = t.osTrayMap->RemoveByFirstCode(uint16_t(kFirstTrayCode + slot)))
                    removed->RemoveReference();
            if (t.pdlTrayMap) {
                GValueAttribute key(slot, 0);
                if (MPersistentAssociation* removed = t.pdlTrayMap->RemoveByKey(&key))
                    removed->RemoveReference();
            }
        }
    UnnameDevices(t.deviceSettings, kInputDeviceName, devices);
}

void GExtensionPaperHandling::RemoveBins(const std::vector<Device>& devices, Targets& t)
{
    RemoveDevices(t.container, 1, devices);
    for (const Device& listed : devices)
        for (const Entry& entry : listed.entries) {
            if (entry.number < 0 || entry.number >= kBinNumbers || !t.pjlBinMap)
                continue;
            GValueAttribute key(uint16_t(kFirstBinKey + entry.number), 0);
            if (MPersistentAssociation* removed = t.pjlBinMap->RemoveByKey(&key))
                removed->RemoveReference();
        }
    UnnameDevices(t.deviceSettings, kOutputDeviceName, devices);
}
