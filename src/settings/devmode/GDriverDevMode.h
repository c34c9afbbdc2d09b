// The DEVMODE object the user-interface object makes whenever it merges an application's
// DEVMODE, converts one, writes the printer's default or answers a print-time query. It
// starts from the printer's own DEVMODE when the spooler holds a valid one, reads its
// tree in every coding the driver has used, and adds the spooler forms to the mapping.
#pragma once

#include "settings/devmode/GDevModeConverter.h"

class GDriverDevMode : public GDevModeConverter {
public:
    // Over the owner's driver object; reads the printer's DEVMODE through the handle
    // (none when null) and the starting tree.
    GDriverDevMode(GDriverObject* owner, HANDLE printer);
    GDriverDevMode(const GDriverDevMode& other) = default;
    ~GDriverDevMode() override;

    // Only the public part when the application flags hold any bit of 0x40100.
    int CopyOut(DEVMODEW* devMode) override;
    // The converter's mapping, then the form name for the form source.
    int ToDevMode(GObjectBase* tree, DEVMODEW* devMode) override;
    int FromDevMode(const DEVMODEW* devMode, GObjectBase* tree) override;
    uint16_t GetSpecVersion() override { return kSpecVersion; }
    // The spooler form of that name fits the device at the resolution and angle: strictly
    // unless the device allows the loose fit (915). The form's index goes out.
    int IsFormSupported(const wchar_t* formName, uint32_t& index, uint16_t xResolution, uint16_t yResolution,
                        uint32_t angle) override;
    int IsAvailable() override { return 1; }
    int IsReady() override { return 1; }

    // The printer's default DEVMODE (GetPrinterW level 2) into the buffer when it is
    // valid and whole: 1 when taken. Sets the EMF flag from the printer's datatype.
    virtual int LoadPrinterDevMode(HANDLE printer);
    // True when the last LoadPrinterDevMode could not read the printer's record (the
    // spooler failed, or gave a record that does not hold together): the object then
    // holds the driver's defaults, which say nothing of what the printer stores and must
    // never be stored over it. A printer with no DEVMODE, or another driver's, is read.
    bool PrinterRecordUnread() const { return recordUnread_; }
    // The eight tests of the driver's own DEVMODE, in order, reading nothing the sizes
    // have not vouched for.
    virtual int IsValidDevMode(const DEVMODEW* devMode);
    // The 1-based position of the first spooler form of that name (ignoring case) that
    // fits the device: 1 when found.
    virtual int LookupForm(const wchar_t* formName, uint32_t& index, uint16_t xResolution, uint16_t yResolution,
                           uint32_t angle, int strict);
    // LookupForm at the tree's resolution and the DEVMODE's orientation.
    virtual int FindFormIndex(const wchar_t* formName, uint32_t& index, int strict);

    GDriverObject* GetOwner() const { return owner_; }

private:
    // The starting tree: the loaded DEVMODE in each coding, else the driver's defaults.
    void ReadStartingTree();

    GDriverObject* owner_;
    bool recordUnread_ = false;
};
