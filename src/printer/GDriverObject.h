// The per-printer driver object as the system services see it: the first argument of
// every printer-data operation. The driver object itself lives with the driver core;
// here it carries the identity strings the services build registry paths from.
#pragma once

#include "foundation/RWWString.h"

// First, so that every file sees the same names for the operations whose names the
// spooler's headers also define as macros (SetPrinter, GetPrinter).
#include <windows.h>
#include <winspool.h>

class GCacheKey;
class GObjectBase;
class GResourceMappingList;

class GDriverObject {
public:
    GDriverObject() = default;
    // The printer name first, then the further strings of the printer's identity.
    explicit GDriverObject(const RWWString& printerName, const RWWString& secondName = RWWString(),
                           const RWWString& thirdName = RWWString(), const RWWString& fourthName = RWWString())
        : printerName_(printerName), secondName_(secondName), thirdName_(thirdName), fourthName_(fourthName)
    {
    }
    GDriverObject(const GDriverObject&) = delete;
    GDriverObject& operator=(const GDriverObject&) = delete;
    // Deletes the model objects the driver server handed over.
    virtual ~GDriverObject();

    // What the driver server asks of an object. The interfaces are what callers of the
    // server receive; the identity is a new object the caller deletes (null: the object
    // is never reused for another caller).
    virtual GDriverObject* GetSecondaryInterface() { return nullptr; }
    virtual GDriverObject* GetInterface() { return this; }
    virtual void ResetForReuse(const GCacheKey&) {}
    virtual void OnRelease() {}
    // Non-zero when the object gave memory back.
    virtual int FreeMemory() { return 0; }
    virtual GCacheKey* GetIdentity() const { return nullptr; }

    // The printer model read from the driver's data file; each setter takes the object
    // and deletes the one it replaces.
    void SetPrinter(GObjectBase* printer);
    void SetIdPool(GResourceMappingList* pool);
    void SetSubObject3(GResourceMappingList* map);
    void SetIdMap(GResourceMappingList* map);
    GObjectBase* GetPrinter() const { return printer_; }
    GResourceMappingList* GetIdPool() const { return idPool_; }
    GResourceMappingList* GetSubObject3() const { return subObject3_; }
    GResourceMappingList* GetIdMap() const { return idMap_; }

    const RWWString& GetPrinterName() const { return printerName_; }
    const RWWString& GetSecondName() const { return secondName_; }
    const RWWString& GetThirdName() const { return thirdName_; }

private:
    RWWString printerName_;
    RWWString secondName_;
    RWWString thirdName_;
    RWWString fourthName_;
    GObjectBase* printer_ = nullptr;
    GResourceMappingList* idPool_ = nullptr;
    GResourceMappingList* subObject3_ = nullptr;
    GResourceMappingList* idMap_ = nullptr;
};
