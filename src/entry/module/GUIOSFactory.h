// The system services of the user-interface module: the Windows services plus what only
// this module can do, making the per-printer driver user-interface object, finding the
// driver's data file and giving the printer handle a driver object holds.
//
// The driver user-interface object is made through a registered maker, which also
// answers for the handle the object holds; with none registered no object is made and
// no handle is known.
#pragma once

#include "printer/GWin32OSFactory.h"


struct GDriverUIMaker {
    // A new driver object for the identity, or null.
    GDriverObject* (*create)(const PrinterIdentity& identity);
    // The printer handle the object holds, or null.
    void* (*printerHandle)(GDriverObject* driver);
};

class GUIOSFactory : public GWin32OSFactory {
public:
    GUIOSFactory();
    ~GUIOSFactory() override;

    // The registered maker's object, or null.
    GDriverObject* CreateDriverObject(const PrinterIdentity& identity) override;
    // The data file of the printer's driver, as the spooler reports it now; empty when the
    // printer cannot be opened or asked. Within an entry call the spooler is asked once
    // for a printer and its driver; a later call asks again, so that a driver added again
    // with another data file is seen at once.
    void GetDriverDataFile(RWWString& path, GDriverObject* driver) override;
    void* GetPrinterHandle(GDriverObject* driver) override;
    // A new mini-installer for the printer, loaded at once when the printer asks for it.
    GPrinterLibrary* CreateMiniInstaller(const RWWString& printerName, uint32_t printerHandle, uint32_t) override;

    // Registers the maker for every instance; a maker with null members unregisters.
    static void SetDriverUIMaker(const GDriverUIMaker& maker);
    // The maker registered now (null members when none).
    static GDriverUIMaker GetDriverUIMaker();

private:
    // The spooler's answer for the printer.
    void AskDriverDataFile(RWWString& path, GDriverObject* driver);
};
