// The system services of the user-interface module: the Windows services plus what only
// this module can do, making the per-printer driver user-interface object, finding the
// driver's data file and giving the printer handle a driver object holds.
//
// The driver user-interface object is made through a registered maker, which also
// answers for the handle the object holds; with none registered no object is made and
// no handle is known.
#pragma once

#include "printer/GSourceStamp.h"
#include "printer/GWin32OSFactory.h"

#include <string>
#include <vector>


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
    // The data file of the printer's driver, as the spooler names it; empty when the
    // printer cannot be opened or asked. The answer is kept for the printer and its driver
    // and asked for again, at most once an entry call, when the file is no longer as it
    // was when named (changed or gone) or the answer is older than kAnswerAge: a driver
    // added again with its data file replaced is seen at the next call, one that names a
    // data file of another name within that age.
    void GetDriverDataFile(RWWString& path, GDriverObject* driver) override;
    // Milliseconds an answer about a driver's data file is taken without asking again.
    static constexpr uint64_t kAnswerAge = 1000;
    // Puts a stand-in millisecond clock in place of the system's (null: the system's
    // again); the clock it replaces comes back.
    using Clock = uint64_t (*)();
    static Clock SetAnswerClockForTesting(Clock clock);
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

    // The data file named for each printer and driver, the file as it was then and when
    // it was named.
    struct KnownFile {
        std::wstring printer;
        std::wstring driver;
        RWWString path;
        GSourceStamp stamp;
        uint64_t asked;
    };
    static constexpr size_t kMostKnownFiles = 16;
    std::vector<KnownFile> knownFiles_;
    SRWLOCK knownLock_;
};
