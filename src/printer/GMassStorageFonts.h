// The printer's mass-storage font devices (two ROM add-on modules, two disks, two
// flash devices, four memory modules) as the printer data records them: the path of
// each device's font-list file, whether any device contributes fonts, and which
// devices are disabled. Each function takes the driver object whose printer data it
// uses.
#pragma once

#include "foundation/RWWString.h"

#include <cstdint>

class GDriverObject;

const int kMassStorageDeviceCount = 10;

struct GMassStorageDevice {
    const wchar_t* valueName; // the printer-data value holding the font-list path
    uint16_t code; // the object id of the device's font list
    int32_t kind; // 1 ROM add-on, 2 disk, 3 flash, 4 memory module
};

// The device's row; null outside 0 to 9.
const GMassStorageDevice* GetMassStorageDevice(int device);

// The resolved path of the device's font-list file: a stored value without a path
// separator lies in the module directory. Empty when the device has none.
RWWString GetMassStorageFontFilePath(GDriverObject* printer, int device);
// Stores the path, without the module directory and its separator when it begins
// with them; answers the printer-data write's result.
int SetMassStorageFontFile(GDriverObject* printer, int device, const RWWString& path);
// Clears the device's value when it names the path; then deletes the file, taken as
// relative to the module directory when it does not name it, but only when the file
// lies inside the module directory.
void RemoveMassStorageFontFile(GDriverObject* printer, int device, const RWWString& path);
int HasMassStorageFonts(GDriverObject* printer);
void SetMassStorageFonts(int flag, GDriverObject* printer);
// Recomputes whether any device contributes fonts and writes it only when it changed:
// 1 when it wrote.
int UpdateMassStorageFonts(GDriverObject* printer);
inline int UpdateMassStorageFontsFlag(GDriverObject* printer) { return UpdateMassStorageFonts(printer); }
// The device's two bits of "DisabledMSDs": 1 for the low, 2 for the high (disabled).
uint32_t GetMassStorageDeviceState(GDriverObject* printer, int device);
int SetMassStorageDeviceState(GDriverObject* printer, int device, uint32_t state);
// The device in first..last to take a new font-list file: the first without one, else
// the first not in state 1 or 3; 10 when none.
int FindMassStorageDevice(GDriverObject* printer, int first, int last);
