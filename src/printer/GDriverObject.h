// The per-printer driver object as the system services see it: the first argument of
// every printer-data operation. The driver object itself lives with the driver core;
// here it carries the identity strings the services build registry paths from.
#pragma once

#include "foundation/RWWString.h"

class GDriverObject {
public:
    GDriverObject() = default;
    // The printer name first, then the further strings of the printer's identity.
    explicit GDriverObject(const RWWString& printerName, const RWWString& secondName = RWWString(),
                           const RWWString& thirdName = RWWString(), const RWWString& fourthName = RWWString())
        : printerName_(printerName), secondName_(secondName), thirdName_(thirdName), fourthName_(fourthName)
    {
    }
    virtual ~GDriverObject() = default;

    const RWWString& GetPrinterName() const { return printerName_; }
    const RWWString& GetSecondName() const { return secondName_; }
    const RWWString& GetThirdName() const { return thirdName_; }

private:
    RWWString printerName_;
    RWWString secondName_;
    RWWString thirdName_;
    RWWString fourthName_;
};
