// The system services of the user-interface module: the Windows services plus what only
// this module can do, making the per-printer driver user-interface object, finding the
// driver's data file and giving the printer handle a driver object holds.
//
// The driver user-interface object is made through a registered maker, which also
// answers for the handle the object holds; with none registered no object is made and
// no handle is known.
#pragma once

#include "printer/GKeyWatch.h"
#include "printer/GPrinterDataCache.h"
#include "printer/GSourceStamp.h"
#include "printer/GWin32OSFactory.h"

#include <atomic>
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
    // and asked for again, at most once an entry call, whenever the driver's registry key
    // (which every adding of the driver rewrites) shows another version, under the rule of
    // the printer's data (GPrinterDataCache), or the file is no longer as it was when
    // named (changed or gone): a driver added again is seen at the next call.
    void GetDriverDataFile(RWWString& path, GDriverObject* driver) override;
    // The version of the spooler's forms: of the forms key's stamp, under the same rule;
    // while there is no forms key, of its parent's (which creating it changes).
    uint64_t FormsVersion() override;
    FORM_INFO_1W* ReadForms(void* printer, uint32_t& count) override;
    void* GetPrinterHandle(GDriverObject* driver) override;
    // A new mini-installer for the printer, loaded at once when the printer asks for it.
    GPrinterLibrary* CreateMiniInstaller(const RWWString& printerName, uint32_t printerHandle, uint32_t) override;

    // Registers the maker for every instance; a maker with null members unregisters.
    static void SetDriverUIMaker(const GDriverUIMaker& maker);
    // The maker registered now (null members when none).
    static GDriverUIMaker GetDriverUIMaker();

private:
    // The spooler's answer for the printer, and the registry key of the driver it names
    // (empty when it names none that can be told).
    void AskDriverDataFile(RWWString& path, std::wstring& driverKey, GDriverObject* driver);
    // The version of a key below HKEY_LOCAL_MACHINE by its stamp; 0 when it cannot be
    // read. The key is kept open between calls, so that each asks its stamp alone; a key
    // below the spooler's key is not asked at all while the watch on that key tells that
    // nothing there changed since its stamp was read.
    uint64_t KeyVersion(const std::wstring& path);
    // The generation of the watch on the spooler's key, taken once an entry call (at its
    // first ask) and kept in the call's scope; 0 while the watch cannot be armed.
    uint64_t WatchGeneration();
    bool ReadKeyStamp(const std::wstring& path, GPrinterDataCache::Stamp& stamp);

    // The data file named for each printer and driver, the file as it was then, the
    // driver's key and its version read before the spooler was asked (0: none).
    struct KnownFile {
        std::wstring printer;
        std::wstring driver;
        RWWString path;
        GSourceStamp stamp;
        std::wstring driverKey;
        uint64_t keyVersion;
    };
    static constexpr size_t kMostKnownFiles = 16;
    std::vector<KnownFile> knownFiles_;
    SRWLOCK knownLock_;

    // The keys kept open, the one opened longest ago going first; taken shared to ask a
    // stamp, exclusive to open or close one.
    struct OpenKey {
        std::wstring path;
        HKEY key;
    };
    static constexpr size_t kMostOpenKeys = 16;
    std::vector<OpenKey> openKeys_;
    SRWLOCK keysLock_;
    GPrinterDataCache keyVersions_;
    // Every key whose version is asked (the drivers', the forms' and their parent) lies
    // below the spooler's key, and is watched there.
    GKeyWatch printWatch_;
    // The version of the forms key's parent under which the forms key was not there; 0
    // while it was.
    std::atomic<uint64_t> formsAbsentUnder_{0};
};
