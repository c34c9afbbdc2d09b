// The per-printer object behind every driver entry point: the printer's identity, its
// printer model read from the driver's data file (the printer, the id pool, the OS tray
// map and the id map), the settings object, and the answers to the model questions of
// the user interface, the DEVMODE code and the output pipeline. It is also the first
// argument of every printer-data operation of the system services.
#pragma once

#include "foundation/RWWString.h"
#include "model/GObjectBase.h"
#include "printer/GDriverModel.h"

#include <cstdint>

// First, so that every file sees the same names for the operations whose names the
// spooler's headers also define as macros (SetPrinter, GetPrinter).
#include <windows.h>
#include <winspool.h>

class GAttribute;
class GCacheKey;
class GConfiguration;
class GCustomMediaSize;
class GDeviceFontListComposite;
class GExtensionContext;
class GFormToTrayDatabase;
class GMedia;
class GMediaPool;
class GResourceMapping;
class GResourceMappingList;

// A walker's callback: the visited entry (a tray or a media), its mapping or null, the
// running index, the caller's context and where to report a match (1). Answers 1 to go on.
using GEntryCallback = int (*)(GObjectBase* entry, GResourceMapping* mapping, int32_t index, void* context,
                               int32_t* matched);
// The id-map walker's callback: the mapping or null, the running index, the context, the
// match report and the extra entry's text or null.
using GMappingCallback = int (*)(GResourceMapping* mapping, int32_t index, void* context, int32_t* matched,
                                 const RWWString* text);

class GDriverObject {
public:
    // The printer name first, then the further strings of the printer's identity and the
    // calling application's flags. Makes the object's extension context.
    GDriverObject();
    explicit GDriverObject(const RWWString& printerName, const RWWString& secondName = RWWString(),
                           const RWWString& thirdName = RWWString(), const RWWString& fourthName = RWWString(),
                           uint32_t appFlags = 0);
    GDriverObject(const GDriverObject&) = delete;
    GDriverObject& operator=(const GDriverObject&) = delete;

    // The operations in their fixed order. Slots without a name keep their place for the
    // derived classes: the driver user-interface object fills the abstract ones, and the
    // reserved ones answer 0 here. (The abstract ones have bodies doing nothing, so that
    // the driver core and its tests can make plain driver objects.)

    // Deletes the model objects the driver server handed over, then the extension context.
    virtual ~GDriverObject();
    virtual void AbstractSlot1() {}
    // What the driver server asks of an object. The interfaces are what callers of the
    // server receive.
    virtual GDriverObject* GetSecondaryInterface() { return nullptr; }
    virtual GDriverObject* GetInterface() { return this; }
    virtual void AbstractSlot2() {}
    // The settings object, made by a derived class; none here.
    virtual GObjectBase* CreateSettings() { return nullptr; }
    // The status that the registry's service provider gives for the printer's
    // configuration; 603 without a provider or a configuration.
    virtual uint32_t QueryProvider();
    // Makes the printer model follow the installed accessories and stored maps of the
    // settings (null: the object's own): 1; 0 without settings.
    virtual int ApplyStoredMaps(GObjectBase* settings);
    // Reads the cached feature again on next use and forgets the adjusted media pool.
    virtual void ResetForReuse(const GCacheKey&);
    virtual void OnRelease() {}
    // False when this call finds that the object's handle is not the open handle it
    // served, only one with the same value: the server then keeps only its model. True
    // unless a derived object tells otherwise.
    virtual bool KeepsCaller() { return true; }
    // Non-zero when the object gave memory back.
    virtual int FreeMemory() { return 0; }
    // The 16-bit value of feature 339 of the printer's own configuration, sign-extended,
    // read again after each reuse.
    virtual int32_t GetCachedFeature339();
    // 1 when a media of the pool or a custom size offers the paper code; 1 also without
    // settings once the pool has none.
    virtual int FindMedia(uint32_t orientation, int16_t xResolution, int16_t yResolution, int limit, uint16_t code);
    virtual int IsRemotePrinter() { return 0; }
    // 1 when an installed input tray has an OS-tray-map entry for the code.
    virtual int ContainsPoolCode(uint16_t code);
    virtual int IsResolutionListed(uint16_t xResolution, uint16_t yResolution);
    // The paper-code pairs of the id pool: 1 with the other code out when found.
    virtual int GetPoolKey(uint16_t firstCode, uint16_t& secondCode);
    virtual int GetPoolValue(uint16_t secondCode, uint16_t& firstCode);
    // 1 for the countries of the metric paper default, else 23; asked once.
    virtual uint16_t DefaultPaperCode();
    // Gives the size the first free id from 16385 to 17383, replaces a member of the same
    // name and appends it (the list takes it): 1; no free id: 0, nothing changes.
    virtual int AddCustomEntry(GCustomMediaSize* size, GObjectBase* list, uint32_t);
    virtual int RemoveMember(GObjectBase* member, GObjectBase* composite);
    virtual uint32_t ReservedSlot1(uint32_t, uint32_t, uint32_t, uint32_t) { return 0; }
    virtual uint32_t ReservedSlot2(uint32_t, uint32_t, uint32_t, uint32_t) { return 0; }
    virtual int CheckSizeEntry(GObjectBase* settings, uint16_t id);
    // 2 for ids from 16384 and for ids the known-paper list lacks; 1 otherwise.
    virtual int CheckId(GObjectBase* settings, uint16_t id, uint32_t orientation, uint16_t xResolution,
                        uint16_t yResolution);
    virtual RWWString GetDisplayName();
    // The full path of the printer's resource library: the module's folder and the
    // configuration's name of it (401). Empty when there is no name or the name holds a
    // path of its own, so that nothing is looked for along the search path.
    RWWString GetResourceLibraryPath();
    // A new identity object the caller deletes (null: the object is never reused for
    // another caller).
    virtual GCacheKey* GetIdentity() const { return nullptr; }
    // Finds the named entry of list 369 ignoring case and assigns its value to the target.
    virtual int SelectFromList(const RWWString& name, GAttribute* target);
    virtual uint32_t PassValue(uint32_t, uint32_t value) { return value; }
    // With extensions enabled (feature 984), registers (enable 0) or unregisters the
    // named extension through the extension context: its result. An empty name answers
    // the enable value, disabled extensions 5.
    virtual int RegisterExtension(const RWWString& name, uint32_t enable);
    virtual uint32_t ReservedSlot3(uint32_t, uint32_t, uint32_t, uint32_t) { return 0; }
    virtual uint32_t ReservedSlot4(uint32_t, uint32_t) { return 0; }
    virtual uint32_t ReservedSlot5(uint32_t, uint32_t) { return 0; }
    virtual void AbstractSlot3() {}

    // Operations beyond the fixed slots, for the DEVMODE code and the settings serializer.

    // Takes the process's application flags; the user-interface object filters them.
    virtual void InitAppFlags() {}
    // A new default document settings tree, owned by the caller; none here. The settings
    // serializer merges stored trees with it.
    virtual GObjectBase* CreateDefaultSettings() { return nullptr; }
    // The settings tree of the current DEVMODE joined with the stored per-printer nodes,
    // owned by the caller; none here.
    virtual GObjectBase* LoadStoredSettings() { return nullptr; }

    // The spooler's forms database as the user-interface object sees it; nothing here.
    // Form indexes are 1-based positions in the list EnumForms hands out.
    // 1 when the form fits the device at the angle and resolution (strict: by the exact
    // size range only).
    virtual int FormFitsDevice(uint32_t angle, uint16_t xResolution, uint16_t yResolution, int strict,
                               uint32_t formIndex)
    {
        return 0;
    }
    // 1 when the printer is a connection to another machine's printer.
    virtual int IsPrinterConnection() { return 0; }
    // 1 with the paper code of the form, or the form of the paper code; 0 when unknown.
    virtual int FormIndexToPaperCode(uint32_t formIndex, uint16_t& code) { return 0; }
    virtual int PaperCodeToFormIndex(uint16_t code, uint32_t& formIndex) { return 0; }
    // The spooler form of a custom size: 1 when added or updated (and the size put into
    // the paper list under its form's code).
    virtual int AddOrUpdateForm(GObjectBase* paperList, GCustomMediaSize* size) { return 0; }
    // Deletes the spooler form of the size's name and rebuilds the paper list: 1 when done.
    virtual int DeleteForm(GCustomMediaSize* size) { return 0; }
    // The spooler forms that fit the device under the tree's resolution and orientation,
    // each given to the callback with its paper code and name until it answers other
    // than 1: the count given. The filtered walk keeps to the forms the tree's
    // form-to-tray table holds once that table is customized.
    using FormCallback = int (*)(uint16_t code, const wchar_t* name, void* context);
    virtual int EnumDeviceForms(GObjectBase* tree, FormCallback callback, void* context, int check) { return 0; }
    virtual int EnumDeviceFormsUnfiltered(GObjectBase* tree, FormCallback callback, void* context, int check)
    {
        return 0;
    }
    // A new device media for the paper code at the resolution and angle, owned by the
    // caller; null when none.
    virtual GObjectBase* GetMediaForPaperCode(uint16_t code, uint32_t angle, uint16_t xResolution,
                                              uint16_t yResolution)
    {
        return nullptr;
    }
    // The full path of the resource library; empty here.
    virtual void GetResourceLibraryPath(RWWString& path) { path = RWWString(); }
    virtual uint16_t NormalizePaperCode(uint16_t code) { return code; }
    // Each built-in spooler form's name to the callback until it answers 0.
    using FormNameCallback = int (*)(const wchar_t* name, void* context);
    virtual void EnumBuiltinForms(FormNameCallback callback, void* context) {}
    virtual int IsBuiltinForm(const wchar_t* name) { return 0; }
    virtual uint32_t QueryTwo(uint32_t, uint32_t) { return 0; }
    // The per-user key of the printer's job-storage choice.
    virtual void GetJobStorageKey(RWWString& path) { path = RWWString(); }
    // The settings tree of the current DEVMODE, borrowed; none here.
    virtual GObjectBase* GetCurrentSettings() { return nullptr; }
    // A new array of the spooler's forms with its count, given back through FreeForms;
    // null and 0 when there are none.
    virtual FORM_INFO_1W* EnumForms(uint32_t& count)
    {
        count = 0;
        return nullptr;
    }
    virtual void FreeForms(FORM_INFO_1W* forms) {}

    // The stored-form choice of the printer: the 16-bit value of 940 under 366 under 359
    // of the configuration; 0 when absent, and then *found (if given) is false. 1 selects
    // the compact settings-tree form for printer data and the DEVMODE. Read again on every
    // call: callers keep a found value only.
    virtual uint16_t GetStoredFormChoice(bool* found = nullptr);

    // The printer model read from the driver's data file; each setter takes the object
    // and deletes the one it replaces.
    void SetPrinter(GObjectBase* printer);
    void SetIdPool(GResourceMappingList* pool);
    void SetSubObject3(GResourceMappingList* map);
    void SetIdMap(GResourceMappingList* map);
    GObjectBase* GetPrinter() const { return model_.printer.get(); }
    GResourceMappingList* GetIdPool() const { return model_.idPool.get(); }
    GResourceMappingList* GetSubObject3() const { return model_.osTrayMap.get(); }
    GResourceMappingList* GetIdMap() const { return model_.idMap.get(); }
    // The data file the model was read from, as it was then.
    const GSourceStamp& GetModelSource() const { return model_.source; }
    void SetModelSource(const GSourceStamp& source) { model_.source = source; }
    // Exchanges the whole model with the one given: a new object takes a spare's model so.
    void ExchangeModel(GDriverModel& model) { model_.Swap(model); }

    // The configuration of the printer's member 76; null without a printer.
    GConfiguration* GetPrinterConfiguration() const;

    // The settings object, made on first use; null while it is being made (what making it
    // asks of the object then goes without it instead of making it again).
    GObjectBase* GetSettings();
    // Replaces the settings object (taken; the old one is deleted).
    void SetSettings(GObjectBase* settings)
    {
        if (settings != settings_)
            delete settings_;
        settings_ = settings;
    }
    // Adds a mapping 16690 + i to 50 + i for each member i of the settings' feature 701
    // whose second code the map lacks; answers that feature or null.
    GObjectBase* FillIdMap(GResourceMappingList& map);
    int HasIdInMap(uint16_t id);
    // The 16-bit value of feature 958 of the configuration; 0 when absent.
    uint16_t GetAttributeValue();
    // 1 when no text of the configuration's list 1132 equals the name.
    int IsNameUnused(const char* name);

    GMediaPool* GetAttribute189();
    // The printer's page-description writer.
    GObjectBase* GetAttribute765();
    // Copies the values of members 266 to 268 from the source's group 362 to the
    // target's group 329 where both hold them; answers the target.
    GObjectBase* CopyAttributeTable(GObjectBase* source, GObjectBase* target);
    // 0 when the stored "PhySetting" differs from the tree in a physical setting, or an
    // administrator's or automatic update left the tree's 927 unconfirmed; else 1.
    int IsPhysicalSettingCurrent(GObjectBase* tree);

    // Objects kept in this printer's data; the loaded one belongs to the caller.
    GObjectBase* LoadObject(const RWWString& name);
    int SaveObject(const RWWString& name, const GObjectBase* object);

    // The fonts of the mass-storage devices, stored as "AddedFonts" and brought up to
    // date with the devices' files; the caller owns the list. Null when there is none.
    GDeviceFontListComposite* LoadAddedFonts();
    // Makes the configuration's device-font list hold exactly the given devices' lists.
    void ApplyAddedFonts(const GDeviceFontListComposite* added);

    // Rewrites a stored object an older version wrote in the current stored form: 1 when
    // done; 0, and the stored value left as it is, when it cannot be brought up whole.
    int UpgradeStoredObject(const uint32_t& number);
    int UpgradeStoredObject(const char* name);
    // Takes the object; saves it under the name, or under its id as a number when null.
    int UpgradeObject(GObjectBase* object, const RWWString* name);
    // Takes the object: the same with what the factory's settings node of its id adds
    // (members it lacks, at any depth), owned by the caller; null when the form the value
    // of the name is stored in now would not give back every member it holds.
    GObjectBase* ToCurrentStoredForm(GObjectBase* object, const RWWString& name);
    // Rebuilds each entry of the old list on the configuration's entry template into the
    // new one: 1; 0 and nothing added without a template.
    int ConvertStoredList(GObjectBase* oldList, GObjectBase* newList);

    // The media pool to offer: the alternative one, the pool itself, or the pool with
    // symmetric margins, as the settings' flags 711 and 713 choose.
    GMediaPool* GetMediaAttribute();
    // The media of the pool for a paper value at the tree's orientation (265) and
    // resolution (323 and 324 of 249), borrowed; a user form (16384 to 17383) of the
    // tree's custom sizes (276) is built into a media the object keeps until the next
    // one. Null without a pool or such a media.
    GMedia* FindMediaForPaper(uint16_t paperId, GObjectBase* tree);
    // The walkers: each answers 1 when a visited entry matched, else -1. A null context
    // calls nothing and counts every visited entry as matched.
    int ForEachPoolEntry(GEntryCallback callback, void* context, int mapCheck, int32_t& counter);
    int MapEntries(GEntryCallback callback, void* context, uint32_t orientation, int16_t xResolution,
                   int16_t yResolution, int poolCheck, int limit, int32_t& counter);
    int BuildPool(GMappingCallback callback, void* context, int flag, int32_t& counter);
    // The tray of the input device that the envelope feeder switch (275) of the device
    // settings installs; every other optional input device is installed by its name (315).
    static constexpr uint16_t kEnvelopeFeederTray = 5;
    // The bins an application finds through the bin query and a sheet offers as paper
    // sources: the trays of the installed input devices that the OS tray map names (the
    // mapping hands out the bin number), after the installed state of the settings (null:
    // the printer's, GetInstalledState) is applied to the model. Answers as
    // ForEachPoolEntry.
    int ForEachInstalledBin(GEntryCallback callback, void* context, GObjectBase* settings);
    // 1 when the custom size of that id lies within the pool's custom-size limits.
    int IsCustomSizeInRange(uint16_t paperId, GObjectBase* settings);
    // One limit of the custom size (the pool's media 17385, the smallest, or 17384, the
    // largest) at the resolution, as the sheet stands in the printer (orientation 0):
    // the paper's own width and length whichever way the page is turned, in tenths of a
    // millimetre rounded to the nearest. The bounds of the document sheet, the DEVMODE's
    // custom size and the extents an application asks for all come from here. False
    // without a pool, a positive resolution or the media.
    bool CustomSizeLimit(uint16_t mediaId, int32_t xResolution, int32_t yResolution, int32_t size[2]);

    // The device settings (365) as the printer holds them: the installed options and the
    // form-to-tray table that every answer about bins, papers and two-sided printing
    // follows. The object's own copy once one was taken, else the settings object's node;
    // borrowed, null when neither has one.
    GObjectBase* GetInstalledState();
    // Takes the node (null forgets the copy).
    void SetInstalledState(GObjectBase* deviceSettings);
    // The installed form-to-tray table (510) while it is customized, else null: the forms
    // then choose the tray, the form source is the one bin, and only the papers the table
    // holds are offered. FormTableCustomized answers 1 then.
    GFormToTrayDatabase* CustomizedFormTable();
    // The name of the one bin there is then, the form source (DMBIN_FORMSOURCE).
    static constexpr const wchar_t* kFormSourceName = L"Form Select";
    int FormTableCustomized() { return CustomizedFormTable() ? 1 : 0; }
    // 1 when pages can be printed on both sides: a duplex unit is installed (308) or the
    // printer is turned by hand (245).
    int BothSidesPossible();

    // The member of the holder with the id when it is of the class; null otherwise, a
    // member of another class counting as absent.
    template <class T>
    static T* Feature(GObjectBase* holder, long id)
    {
        GObjectBase* found = holder ? holder->FindById(id) : nullptr;
        return found && found->IsKindOf(T::kClassId) ? static_cast<T*>(found) : nullptr;
    }
    // The number a setting holds, as a value (0 to 65535) or a range (signed) attribute:
    // true and the number, or false when the holder has neither under the id.
    static bool NumberOf(GObjectBase* holder, long id, int32_t& number);
    // The number, or the fallback when there is none.
    static int32_t NumberOr(GObjectBase* holder, long id, int32_t fallback);

    const RWWString& GetPrinterName() const { return printerName_; }
    const RWWString& GetSecondName() const { return secondName_; }
    const RWWString& GetThirdName() const { return thirdName_; }

    // The application flag word of the process: bits 0x40100 hand out only the public
    // part of DEVMODEs.
    uint32_t GetAppFlags() const { return appFlags_; }
    void SetAppFlags(uint32_t flags) { appFlags_ = flags; }
    // The extension context made with this object; null when none could be made.
    GExtensionContext* GetExtensionContext() const { return extensionContext_; }
    uint32_t GetLastWord() const { return lastWord_; }
    void SetLastWord(uint32_t word) { lastWord_ = word; }

protected:
    // Takes another printer's identity strings, for an object reused for that printer.
    void SetIdentityStrings(const RWWString& printerName, const RWWString& secondName, const RWWString& thirdName)
    {
        printerName_ = printerName, secondName_ = secondName, thirdName_ = thirdName;
    }

private:
    GMedia* MediaForUserForm(uint16_t paperId, GObjectBase* tree, GMediaPool* pool, uint16_t orientation,
                             uint16_t xResolution, uint16_t yResolution);

    RWWString printerName_;
    RWWString secondName_;
    RWWString thirdName_;
    RWWString fourthName_;
    uint32_t appFlags_ = 0;
    GDriverModel model_;
    GObjectBase* settings_ = nullptr;
    bool makingSettings_ = false;
    GObjectBase* installed_ = nullptr;
    uint32_t reload_ = 1;
    int32_t cached339_ = 0;
    GMediaPool* adjustedPool_ = nullptr;
    uint16_t defaultPaper_ = 0;
    GExtensionContext* extensionContext_ = nullptr;
    uint32_t lastWord_ = 0;
    // The media last built for a user form.
    GMedia* builtMedia_ = nullptr;
};

// The driver object's own answers, shared by the user-interface object and the command
// producer that derive from it.
class GDriverObjectImp : public virtual GDriverObject {
public:
    using GDriverObject::GDriverObject;
    // 1 when feature 1025 of the configuration holds 1; computed once per process.
    int IsFeature1025Set();
    // Hands the value to the printer's page-description writer: its answer, 0 when the
    // printer has no writer taking forwarded values.
    uint32_t ForwardToWriter(uint32_t value);
};
