// The device-model configuration reader: imports the configuration's sections into the
// driver's settings tree and exports the tree back, one feature translator per feature
// key the library lists. It records what changed (the change list, stored as the
// device's quick sets), stamps the time of the last update into the printer's data,
// tells whether a printer connection is stale and loads the printer's helper library.
//
// The factory of translators is defined with the translators (src/settings/translators)
// and only declared here, so that this folder needs nothing of that one.
#pragma once

#include "foundation/RWWString.h"

#include <cstddef>
#include <cstdint>

class FeatureTranslator;
class GAttributeComposite;
class GDMCLibrary;
class GDriverObject;
class GDynamicLibrary;
class GObjectBase;

class GDMCConfig;
// Makes the translator of a feature key; null when the class is not available.
using TranslatorMaker = FeatureTranslator* (*)(GDMCConfig& config, const wchar_t* key);

// One row of the factory's table.
struct FeatureKey {
    const wchar_t* key;
    TranslatorMaker maker;
};
struct FeatureKeyTable {
    const FeatureKey* rows;
    size_t count;
};

class GDMCConfig {
public:
    static constexpr size_t kListChars = 1024; // 2048 bytes
    static constexpr size_t kKeyChars = 255;   // 510 bytes

    // The factory's own table of feature keys, in the order they are compared.
    static const FeatureKeyTable kFeatureKeys;
    // The table MapFeatureKeys reads: kFeatureKeys unless a test points it elsewhere.
    static const FeatureKeyTable* featureKeys;
    // Makes the translator of the model bundles; null while that class is not available.
    static TranslatorMaker bundlesMaker;

    GDMCConfig(GObjectBase* settings, GDriverObject* driver);
    GDMCConfig(const GDMCConfig&) = delete;
    GDMCConfig& operator=(const GDMCConfig&) = delete;
    // Stores the change list as quick sets when the printing import changed something.
    virtual ~GDMCConfig();

    virtual int32_t ImportPhysical();
    virtual int32_t ImportPrinting();
    virtual int32_t ExportSection(const wchar_t* section);
    virtual int32_t Update(const RWWString& printerName, uint32_t mode) = 0;
    virtual int32_t IsConnectionStale();
    virtual void SetPrinterName(const RWWString& name);
    virtual int32_t CheckConfigurationValue();
    virtual int32_t SaveQuicksets(GObjectBase* list);

    // The translator of the first key of the table equal to the given one (exactly);
    // null for a key the table lacks or whose class is not available.
    FeatureTranslator* MapFeatureKeys(const wchar_t* key);

    // Nothing with 0; otherwise "ERROR" when no import changed anything, else the date.
    void StampLastUpdate(int32_t flag);

    GObjectBase* GetSettings() const { return settings_; }
    GAttributeComposite* GetChangeList() const { return changes_; }
    GDMCLibrary& Library() const { return *library_; }
    GDriverObject* GetDriverObject() const { return driver_; }
    uint32_t GetUpdateMode() const { return updateMode_; }
    void SetUpdateMode(uint32_t mode) { updateMode_ = mode; }
    const RWWString& GetPrinterName() const { return printerName_; }
    const RWWString& GetCommaForm() const { return commaForm_; }
    const RWWString& GetShortName() const { return shortName_; }
    const RWWString& GetFullName() const { return fullName_; }
    const RWWString& GetContextName() const { return contextName_; }
    uint32_t GetReservedWord() const { return reserved1_; }
    bool PrintingChanged() const { return printingChanged_ != 0; }
    bool PhysicalChanged() const { return physicalChanged_ != 0; }
    // Whether the helper library was loaded.
    bool HasHelper() const;

protected:
    // The bundles' translator first: non-zero marks the physical import changed.
    void ImportBundles();
    void ExportFactoryBundles();
    // After a changing printing import: the job's resolution follows the media.
    void AdjustForMedia();
    // Loads the helper library the printer names and gives the binding its callback.
    void LoadHelper();

private:
    // Runs the translators of a section's keys; counts their non-zero results.
    int32_t RunSection(const wchar_t* section, bool import, bool exactlyOne, bool bundles, uint32_t& changed);

    GObjectBase* settings_;
    RWWString printerName_;
    uint32_t updateMode_ = 0;
    uint32_t reserved1_ = 0;
    uint32_t reserved2_ = 0;
    GDMCLibrary* library_;
    RWWString contextName_;
    RWWString commaForm_;
    RWWString shortName_;
    RWWString fullName_;
    RWWString shortName2_;
    GDriverObject* driver_;
    uint32_t printingChanged_ = 0;
    uint32_t physicalChanged_ = 0;
    GAttributeComposite* changes_;
    GDynamicLibrary* helper_ = nullptr;
};
