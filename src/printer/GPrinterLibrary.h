// Dynamic libraries the driver loads on behalf of one printer, started and stopped
// through named entry points; the mini-installer module is the one in use.
#pragma once

#include "foundation/RWWString.h"

#include <cstdint>

class GPrinterLibraryBase {
public:
    GPrinterLibraryBase(const RWWString& printerName, uint32_t printerHandle)
        : printerName_(printerName), printerHandle_(printerHandle)
    {
    }
    GPrinterLibraryBase(const GPrinterLibraryBase&) = delete;
    GPrinterLibraryBase& operator=(const GPrinterLibraryBase&) = delete;
    virtual ~GPrinterLibraryBase() = default;
    virtual int32_t Start() = 0;
    virtual int32_t Stop() = 0;
    // 1 while the library is loaded and started.
    uint32_t GetState() const { return state_; }

protected:
    RWWString printerName_;
    uint32_t printerHandle_;
    uint32_t state_ = 0;
    RWWString libraryPath_;
    uint32_t module_ = 0;
};

class GPrinterLibrary : public GPrinterLibraryBase {
public:
    using GPrinterLibraryBase::GPrinterLibraryBase;
    virtual int IsLaunchSuppressed() { return 0; }
    virtual int SetLaunching(int) { return 1; }
    // Loads and starts the library: 1 when the start answered 0 or 1.
    int Load();
    // Frees a loaded library: the result of freeing, 0 when nothing was loaded.
    int Unload();
    // Loads the library when the printer's "QzrdbUpdateRequest" asks for it; a first
    // launch records 0 so that later ones wait for an explicit request.
    void LaunchIfRequested();
};

class GMiniInstaller : public GPrinterLibrary {
public:
    // Opens the printer itself when given no handle.
    GMiniInstaller(const RWWString& printerName, uint32_t printerHandle);
    ~GMiniInstaller() override;
    int32_t Start() override;
    int32_t Stop() override;

private:
    void* start_ = nullptr;
    void* stop_ = nullptr;
    uint32_t ownsHandle_ = 0;
};
