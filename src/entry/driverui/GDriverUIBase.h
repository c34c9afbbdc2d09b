// The base of the per-printer driver user-interface object: it carries the settings tree
// between its three homes, the DEVMODE an application or the spooler hands in, the
// printer's data (nodes 365, 366 and 368, each stored whole under its id) and the
// current user's registry (the watermarks of scope 2). It also answers the driver
// object's questions about the factory defaults, the stored tree and the spooler's
// forms database.
#pragma once

#include "entry/driverui/GPrinterStores.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GDriverObject.h"
#include "printer/GSourceStamp.h"

#include <cstdint>
#include <memory>

class GDriverDevMode;
class GMedia;

class GDriverUIBase : public virtual GDriverObject {
public:
    // The state word's stale marks.
    static constexpr int32_t kSettingsStale = 1;
    static constexpr int32_t kPaperCacheStale = 2;

    GDriverUIBase();
    ~GDriverUIBase() override;
    GDriverUIBase(const GDriverUIBase&) = delete;
    GDriverUIBase& operator=(const GDriverUIBase&) = delete;

    // The own operations, in their fixed order.

    // Makes the current DEVMODE object reflect the DEVMODE (null: the defaults). 0 for a
    // DEVMODE whose header does not hold together, and then nothing changes.
    virtual int MergeDevModeIntoSettings(const DEVMODEW* devMode);
    // The merge for an operation that only reads: a printer whose record could not be
    // read still leaves the driver's defaults and the caller's DEVMODE to answer from,
    // and then 1 too. Nothing is stored either way.
    int MergeForReading(const DEVMODEW* devMode);
    // Packs the tree into the DEVMODE object; after a good pack, mode 1 also stores those
    // of 368, 366 and 365 the tree holds. 1 on success; 0 when packing or a store failed,
    // or when mode 1 would store while the printer's record or one of its stores does not
    // read (then nothing is stored). The tree holds what it held either way. The user's
    // own watermarks, written after the printer's stores, leave the result as it is: a
    // write of them that failed is told by UserWatermarksUnsaved.
    virtual int CommitSettings(GObjectBase* tree, int mode);
    // The node stored under the id in decimal, owned by the caller, when it is a
    // composite; else null. The printer's stores are read through their reader.
    virtual GObjectBase* LoadSettingsTree(long id);
    virtual int SaveSettingsTree(GObjectBase* node);
    // Overlays the printer-data values the model names onto node 365 and sets the
    // far-east code page flag.
    virtual void ApplyModelDefaults(GObjectBase* tree);
    virtual HANDLE GetPrinterHandle() = 0;

    // The driver-object operations.
    void InitAppFlags() override;
    GObjectBase* CreateDefaultSettings() override;
    GObjectBase* LoadStoredSettings() override;
    int FormFitsDevice(uint32_t angle, uint16_t xResolution, uint16_t yResolution, int check,
                       uint32_t formIndex) override;
    int IsPrinterConnection() override;
    int FormIndexToPaperCode(uint32_t formIndex, uint16_t& code) override;
    int PaperCodeToFormIndex(uint16_t code, uint32_t& formIndex) override;
    int AddOrUpdateForm(GObjectBase* paperList, GCustomMediaSize* size) override;
    int DeleteForm(GCustomMediaSize* size) override;
    int EnumDeviceForms(GObjectBase* tree, FormCallback callback, void* context, int check) override;
    int EnumDeviceFormsUnfiltered(GObjectBase* tree, FormCallback callback, void* context, int check) override;
    GObjectBase* GetMediaForPaperCode(uint16_t code, uint32_t angle, uint16_t xResolution,
                                      uint16_t yResolution) override;
    void GetResourceLibraryPath(RWWString& path) override;
    uint16_t NormalizePaperCode(uint16_t code) override;
    void EnumBuiltinForms(FormNameCallback callback, void* context) override;
    int IsBuiltinForm(const wchar_t* name) override;
    void GetJobStorageKey(RWWString& path) override;
    GObjectBase* GetCurrentSettings() override;
    FORM_INFO_1W* EnumForms(uint32_t& count) override;
    void FreeForms(FORM_INFO_1W* forms) override;

    // 1172, or 220 for the applications that get only the public part; with cut, that
    // application's stored DEVMODE under HKCU "Printers\DevModes2" is cut to 220 bytes.
    uint32_t GetDevModeSize(int cut);
    // The flags with 0x40100 cleared when the switch "EnableDevmodeAppflag" is present
    // and 0 (HKCU first; HKLM when HKCU has no DWORD).
    static uint32_t FilterAppFlags(uint32_t flags);
    // A spooler form for the custom size: added, or with update 1 resized when a form of
    // that name exists and is not built in. 1 on success.
    int AddFormForCustomSize(HANDLE printer, const GCustomMediaSize& size, DWORD formFlags, int update);
    int AddFormForMedia(HANDLE printer, const GMedia& media, int update);
    // Both sizes (thousandths of a millimetre) within the tolerance.
    static bool MatchesFormSize(const FORM_INFO_1W& form, const GSizePair& size, const GSizePair& tolerance);
    // The device media of the paper code, owned by the caller; null when none.
    GMedia* MediaForPaperCode(uint16_t code, GObjectBase* tree, uint32_t angle, uint16_t xResolution,
                              uint16_t yResolution);
    // Empties the tree's paper list (276) and fills it with the custom size and the
    // fitting spooler forms: the count added, 0 without a list.
    int RebuildPaperList(GObjectBase* tree);
    // The per-user watermarks: the scope-2 members of the list saved for this user, and
    // the user's watermarks merged into the tree's list. Nothing without a printer UUID,
    // and nothing saved over a user's store that is there but does not read.
    int SaveUserWatermarks(GObjectBase* printerLists);
    void MergeUserWatermarks(GObjectBase* printerLists);
    // False while the call keeps its user's own watermarks and their store is there but
    // does not read: a commit never writes over that store unasked, and stores the
    // printer's settings all the same; a sheet offers the way back.
    bool UserWatermarksStorable();
    // The way back from the user's own store that does not read: the scope-2 watermarks
    // the tree's list (366) holds, none when it holds none, written over it. 1 when
    // written; then it reads again. Only for a call that keeps its user's own watermarks,
    // with the printer's stores storable.
    int ReplaceUnreadableUserWatermarks(GObjectBase* tree);
    // True when the last commit (or replacement) meant to write the user's own
    // watermarks and the write failed.
    bool UserWatermarksUnsaved() const { return userWatermarksUnsaved_; }
    // The per-user value name of the watermarks; empty without a printer UUID.
    RWWString UserWatermarkValueName();
    int SetLocalJobStorage(uint32_t value);

    // The per-user watermark switch of the call in progress, 0 outside one: set by the
    // call that knows its caller's rights, for as long as the scope lives, so that one
    // caller's rights never decide where another's watermarks go.
    class UserWatermarksScope {
    public:
        UserWatermarksScope(GDriverUIBase& base, int on) : base_(base), previous_(base.userWatermarks_)
        {
            base_.userWatermarks_ = on;
        }
        ~UserWatermarksScope() { base_.userWatermarks_ = previous_; }
        UserWatermarksScope(const UserWatermarksScope&) = delete;
        UserWatermarksScope& operator=(const UserWatermarksScope&) = delete;

    private:
        GDriverUIBase& base_;
        int previous_;
    };
    int UserWatermarks() const { return userWatermarks_; }

    // The name of the base configuration a driver name gives: the text before "series",
    // else before "pcl" (any case), less one character; empty when neither is found
    // past the first character.
    static RWCString BaseNameFromDriverName(const RWCString& driverName);

    // The header of a foreign DEVMODE holds together: dmSize covers the fields dmFields
    // names and no more than the public part, and the whole stays below 64 KB.
    static bool IsHeaderSound(const DEVMODEW* devMode);
    // A sound DEVMODE merged into the current DEVMODE object, read once into a buffer of
    // this driver's size: the object's answer, 0 when refused or without an object.
    int MergeIntoCurrent(const DEVMODEW* devMode);

    // Stores from the defaults each of 365, 366 and 368 the printer holds no value of; a
    // value that is there, read or not, is kept.
    void StoreMissingNodes(GObjectBase* defaults);
    // A change of the printer's stores that reads them and commits them again, held from
    // here on: what it reads is what the printer holds once the lock was had, and no
    // other writer commits before it ends. Null when the lock was not had (StoresBusy,
    // StoresRefused tell why).
    std::unique_ptr<GPrinterStores::Change> ChangeStores();
    // True when the last commit or change stored nothing because the stores lock was held
    // elsewhere past its wait: another try may go through.
    bool StoresBusy() const;
    // After the last commit that stored nothing: whether the store of the id was the
    // reason, kept in an older form the current one cannot hold.
    bool StoreKeptInOlderForm(long id) const;
    // After the last way back that stored nothing: whether the store read again by then.
    bool StoreReadAgain(long id) const;
    // After the last commit or way back that stored nothing: whether the store of the id
    // was there but did not read.
    bool StoreUnreadable(long id) const;
    // True when the last commit asked the stores to store and they stored nothing though
    // the lock was had: a store kept in an older form, one that reads again or one that
    // does not read tell why (above); with none of them, the printer refused a write.
    bool StoresNotStored() const { return storesNotStored_; }
    // Whether the store of the id reads, is absent or is there but does not read.
    GPrinterStores::State StoreState(long id) { return stores_->StateOf(id); }
    // True when the last commit or change stored nothing because this caller may not have
    // the stores lock: the printer does not let it change its settings.
    bool StoresRefused() const;
    // True when a commit may store: the printer's record read and each of its stores
    // reads or is absent. A sheet opened without it stores nothing and says so.
    bool CanStore();
    // True when storing is off only because stores are there but do not read, and the
    // printer's record read: the factory's settings may replace those stores.
    bool StoresReplaceable();
    // The way back from stores that do not read: each store standIns names (by
    // GPrinterStores::kIds' order: those the tree shows the factory's for) takes the
    // factory's node in the tree, and the tree is committed as CommitSettings with mode 1
    // does, over those stores too, while they still do not read under the stores lock.
    // 1 when every store was written; then each reads again.
    int ReplaceUnreadableStores(GObjectBase* tree, const bool standIns[GPrinterStores::kCount]);
    // The stores which names (by GPrinterStores::kIds' order) that read now take the
    // printer's node in the tree, shown as a sheet shows the stores it opens with, in
    // place of what the tree held for them; the others are left as they are.
    void ShowStoresAsRead(GObjectBase* tree, const bool which[GPrinterStores::kCount]);
    // The stores brought into the current form (see GPrinterStores::Upgrade): upgraded
    // answers 365, 366 and 368; 1 when nothing failed to be written and no store was left
    // in an older form.
    int UpgradeStores(int& deviceSettings, int& lists, int& extension);
    // While forms are assigned to trays only the assigned papers are offered: a default
    // tree naming another paper takes the locale's default paper when it is offered, else
    // the first one offered. True when it changed.
    bool OfferAssignedPaper(GObjectBase* tree);
    // The same for the current DEVMODE object, packed again when its paper changed.
    bool OfferAssignedPaper();
    // Reads the printer's device settings (365) again, the factory's when none load, and
    // makes the model and the installed-state answers follow them.
    void RefreshInstalledState();

    GDriverDevMode* GetDevModeObject() const { return devMode_; }
    int32_t GetStateWord() const { return state_; }
    void SetStateWord(int32_t state) { state_ = state; }
    int GetDefaultsToggle() const { return toggle_; }
    int GetEmfFlag() const { return emf_; }
    // The printer's resource library loaded as data, taken at the first ask and held
    // while this object lives and its printer names the same library; null when it
    // does not load.
    HMODULE ResourceModule();

protected:
    // A fresh DEVMODE object for this printer in place of the current one, storing
    // nothing (RenewDevModeObject without full), and the settings kept for the old one
    // dropped: 1, or 0 when none could be made.
    int ReplaceDevModeObject();
    // A new DEVMODE object for the printer in place of the current one, packed from the
    // printer's DEVMODE or the defaults, after the printer's device settings are read
    // again, and never contradicting the installed options; full also makes the
    // printer's missing stores. False when none could be made.
    bool RenewDevModeObject(bool full);
    // Forgets the current DEVMODE object: the next merge starts afresh.
    void DropDevModeObject();
    // What PackTree stores besides packing: the nodes 368, 366 and 365 the tree holds,
    // and the user's own watermarks.
    static constexpr int kStoreNodes = 1;
    static constexpr int kStoreUserWatermarks = 2;
    // The tree itself becomes the DEVMODE object's (no copy): the caller gives it up, and
    // its stored nodes and lock table go with it.
    static constexpr int kHandOverTree = 4;
    // The stores are written over those that do not read too (with kStoreNodes).
    static constexpr int kReplaceUnreadable = 8;
    // The tree without its stored nodes and lock table packed into the DEVMODE object,
    // with what the flags ask stored.
    int PackTree(GObjectBase* tree, int stores);
    // What a write of the user's own watermarks came to: written, no store to write (no
    // printer UUID or no list), a store that does not read kept as it is, or failed.
    enum class UserStoreWrite { kWritten, kNoStore, kKept, kFailed };
    // The scope-2 members of the list written to the user's store; over a store that is
    // there but does not read only when overUnreadable.
    UserStoreWrite WriteUserWatermarks(GObjectBase* printerLists, bool overUnreadable);
    // The fit rule on a form's size in thousandths of a millimetre.
    int SizeFitsDevice(uint32_t angle, uint16_t xResolution, uint16_t yResolution, int check, uint32_t width,
                       uint32_t length);
    // A store's node read from the printer made ready to show: the device settings with
    // the stored maps applied, the printer's lists with this user's own watermarks.
    void ShowStoreNode(GObjectBase* node);
    // The walk behind both EnumDeviceForms operations.
    int WalkDeviceForms(GObjectBase* tree, FormCallback callback, void* context, int check, bool filtered);

private:
    GDriverDevMode* devMode_;
    int32_t state_;
    int32_t toggle_;
    int32_t emf_;
    std::unique_ptr<GPrinterStores> stores_;
    // The last commit or change stored nothing because the stores lock was held elsewhere,
    // or because it refused this caller.
    bool storesBusy_ = false;
    // The stores the way back in progress may write the factory's over.
    bool replaceable_[GPrinterStores::kCount] = {};
    bool storesRefused_ = false;
    bool storesNotStored_ = false;
    // The last commit's write of the user's own watermarks failed.
    bool userWatermarksUnsaved_ = false;
    // The printer's data as it was when the DEVMODE object was made: the object answers
    // for a DEVMODE equal to its own only while the printer's data is still the same.
    GSourceStamp devModeSource_;
    // The spooler's forms the held DEVMODE object and the paper lists were made from.
    GSourceStamp formsSource_;
    // The resource library held, as its file was when it was loaded.
    GSourceStamp resourceSource_;
    HMODULE resourceModule_;
    int userWatermarks_ = 0;
};
