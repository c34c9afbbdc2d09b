// The printer an entry point was called for: handle, printer, driver and port names.
// The driver server keys its driver objects on it.
#pragma once

#include "foundation/RWWString.h"
#include "model/GCacheKey.h"

#include <cstdint>

class PrinterIdentity : public GCacheKey {
public:
    PrinterIdentity();
    // Reads the driver and port names (and the spooler's printer name) from the printer;
    // without a handle the printer is opened by name for the read and closed again, so
    // an identity built from a name never holds a handle.
    PrinterIdentity(void* printerHandle, const RWWString& printerName, uint32_t flag);
    PrinterIdentity(void* printerHandle, const RWWString& printerName, const RWWString& driverName,
                    const RWWString& portName, uint32_t flag);
    ~PrinterIdentity() override;

    // Handle, printer name, flag, driver name and port name all equal (names exactly).
    int Equals(const GCacheKey& other) const override;
    // All of them equal but the handle.
    int SamePrinter(const GCacheKey& other) const override;
    // The driver names are equal.
    int SameDriver(const GCacheKey& other) const override;

    void* GetPrinterHandle() const { return handle_; }
    const RWWString& GetPrinterName() const { return printerName_; }
    const RWWString& GetDriverName() const { return driverName_; }
    const RWWString& GetPortName() const { return portName_; }
    uint32_t GetFlag() const { return flag_; }

private:
    void* handle_;
    RWWString printerName_;
    RWWString driverName_;
    RWWString portName_;
    uint32_t flag_;
};
