// The input trays and output bins an extension module supplies, entered into the
// printer's paper handling when the module is registered and taken out again when it is
// unregistered: a paper-handling device per listed device, the OS and PDL tray maps, the
// PJL bin map, and the names of the installed input and output devices.
#pragma once

#include "foundation/RWCString.h"

#include <cstdint>
#include <vector>

class GObjectBase;
class GResourceMappingList;
class MAssociationList;

class GExtensionPaperHandling {
public:
    // One tray or bin of a listed device.
    struct Entry {
        RWCString name;
        int16_t number;
        uint16_t pdlCode;    // trays
        RWCString pjlName;   // bins
    };
    struct Device {
        RWCString name;
        std::vector<Entry> entries;
    };

    // Devices a module may list, entries a device may have, and the longest name read.
    static constexpr uint16_t kMaxDevices = 16;
    static constexpr int16_t kMaxEntries = 64;
    static constexpr size_t kMaxName = 256;

    // The module's list read in sequence: a device record of 8 bytes (name pointer, i16
    // number of entries, u16 unused), then its entries (trays 8 bytes: name pointer, i16
    // number, u16 PDL code; bins 12 bytes: name pointer, i16 number, u16 unused, PJL
    // name pointer), then the next record. A negative number of entries counts 0; counts
    // beyond the bounds are cut to them. Null name pointers read as empty names.
    static std::vector<Device> ReadList(const uint8_t* list, uint16_t count, bool bins);

    // What the devices are entered into; each may be null. Not owned.
    struct Targets {
        GObjectBase* container = nullptr;        // the paper-handling devices
        GResourceMappingList* osTrayMap = nullptr;
        MAssociationList* pdlTrayMap = nullptr;
        MAssociationList* pjlBinMap = nullptr;
        GObjectBase* deviceSettings = nullptr;   // node 365: texts 315 and 316
    };

    // Trays: one device of type 0 per listed device, its slots for tray numbers 0 to 19
    // (slot id 32 + n), a mapping 10550 + n to 256 + slot in the OS map (unless its code
    // or resource is taken) and the slot's PDL code in the PDL map. 7 when a tray map is
    // missing, else 0.
    static uint16_t AddTrays(const std::vector<Device>& devices, Targets& targets);
    // Bins: one device of type 1 per listed device, bins for numbers 0 to 29 (id 41 + n)
    // and the PJL name under n + 30 in the PJL map. 8 when the map is missing, else 0.
    static uint16_t AddBins(const std::vector<Device>& devices, Targets& targets);
    // Takes out what AddTrays and AddBins entered for the listed devices.
    static void RemoveTrays(const std::vector<Device>& devices, Targets& targets);
    static void RemoveBins(const std::vector<Device>& devices, Targets& targets);
};
