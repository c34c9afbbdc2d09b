#include "entry/driverui/GDriverUIBase.h"

#include "entry/driverui/GPrinterStores.h"
#include "entry/driverui/GResourceLibraryLoads.h"
#include "entry/module/ModuleLifetime.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/ForEachMember.h"
#include "model/GObjectIterator.h"
#include "model/GFeatureIds.h"
#include "model/GRangeAttribute.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "model/MPersistentAssociation.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GFormToTrayDatabase.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"
#include "printer/GOSFactory.h"
#include "printer/GPeripheral.h"
#include "printer/GPrinterSnapshot.h"
#include "model/GState.h"
#include "settings/devmode/GDriverDevMode.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <vector>

namespace {

using namespace FeatureId;

// Application flags that hand out only the public part of a DEVMODE.
const uint32_t kPublicOnlyApplications = 0x40100;
const uint32_t kPublicSize = GDevModeBase::kPublicSize;
const uint32_t kFullSize = GDevModeBase::kTotalSize;
// No DEVMODE header may claim 64 KB or more.
const uint32_t kLargestDevMode = 0xFFFF;
const size_t kSizeAt = offsetof(DEVMODEW, dmSize);
const size_t kDriverExtraAt = offsetof(DEVMODEW, dmDriverExtra);
const size_t kFieldsAt = offsetof(DEVMODEW, dmFields);
// The private time bias of this driver's DEVMODE, an i16 in minutes.
const size_t kTimeBiasAt = GDevModeBase::kTimeBiasAt;
// A spooler form list larger than this is not a form list.
const DWORD kLargestFormList = 1u << 22;
const DWORD kLargestPrinterInfo = 1u << 20;
// Tolerance of a form matched against a device media, in thousandths of a millimetre.
const uint32_t kFormTolerance = 100;
const uint32_t kMicrometresPerInch = 25400;
const uint16_t kMissing = 0xFFFF;

const wchar_t kDevModeAppFlagKey[] = L"SOFTWARE\\Prenovant\\QZ FA Drivers";
const wchar_t kDevModeAppFlagSwitch[] = L"EnableDevmodeAppflag";
const wchar_t kUserDevModes[] = L"Printers\\DevModes2";
const wchar_t kUserStoreRoot[] = L"???\\2147483649\\Software\\Prenovant\\";
const wchar_t kUserWatermarkPath[] = L"\\LocalWatermarkPoolData\\LocalWatermarkPool";
const wchar_t kJobStorageRoot[] = L"Software\\Prenovant\\";
const wchar_t kJobStoragePath[] = L"\\LocalJobStorageData";
const wchar_t kNone[] = L"<none>";

// dmFields bit -> the bytes a DEVMODE needs to hold that field, as the platform's
// validity test reads them.
const struct {
    DWORD field;
    size_t end;
} kFieldEnds[] = {
    {DM_ORIENTATION, offsetof(DEVMODEW, dmOrientation) + 2},
    {DM_PAPERSIZE, offsetof(DEVMODEW, dmPaperSize) + 2},
    {DM_PAPERLENGTH, offsetof(DEVMODEW, dmPaperLength) + 2},
    {DM_PAPERWIDTH, offsetof(DEVMODEW, dmPaperWidth) + 2},
    {DM_SCALE, offsetof(DEVMODEW, dmScale) + 2},
    {DM_POSITION, offsetof(DEVMODEW, dmPosition) + 8},
    {DM_NUP, offsetof(DEVMODEW, dmNup) + 4},
    {DM_DISPLAYORIENTATION, offsetof(DEVMODEW, dmDisplayOrientation) + 4},
    {DM_COPIES, offsetof(DEVMODEW, dmCopies) + 2},
    {DM_DEFAULTSOURCE, offsetof(DEVMODEW, dmDefaultSource) + 2},
    {DM_PRINTQUALITY, offsetof(DEVMODEW, dmPrintQuality) + 2},
    {DM_COLOR, offsetof(DEVMODEW, dmColor) + 2},
    {DM_DUPLEX, offsetof(DEVMODEW, dmDuplex) + 2},
    {DM_YRESOLUTION, offsetof(DEVMODEW, dmYResolution) + 2},
    {DM_TTOPTION, offsetof(DEVMODEW, dmTTOption) + 2},
    {DM_COLLATE, offsetof(DEVMODEW, dmCollate) + 2},
    {DM_FORMNAME, offsetof(DEVMODEW, dmFormName) + CCHFORMNAME * sizeof(wchar_t)},
    {DM_LOGPIXELS, offsetof(DEVMODEW, dmLogPixels) + 2},
    {DM_BITSPERPEL, offsetof(DEVMODEW, dmBitsPerPel) + 4},
    {DM_PELSWIDTH, offsetof(DEVMODEW, dmPelsWidth) + 4},
    {DM_PELSHEIGHT, offsetof(DEVMODEW, dmPelsHeight) + 4},
    {DM_DISPLAYFLAGS, offsetof(DEVMODEW, dmDisplayFlags) + 4},
    {DM_DISPLAYFREQUENCY, offsetof(DEVMODEW, dmDisplayFrequency) + 4},
    {DM_ICMMETHOD, offsetof(DEVMODEW, dmICMMethod) + 4},
    {DM_ICMINTENT, offsetof(DEVMODEW, dmICMIntent) + 4},
    {DM_MEDIATYPE, offsetof(DEVMODEW, dmMediaType) + 4},
    {DM_DITHERTYPE, offsetof(DEVMODEW, dmDitherType) + 4},
    {DM_PANNINGWIDTH, offsetof(DEVMODEW, dmPanningWidth) + 4},
    {DM_PANNINGHEIGHT, offsetof(DEVMODEW, dmPanningHeight) + 4},
    {DM_DISPLAYFIXEDOUTPUT, offsetof(DEVMODEW, dmDisplayFixedOutput) + 4},
};

// OEM code pages of the far-east system languages.
const UINT kFarEastCodePages[] = {932, 936, 949, 950, 1361};

uint16_t Word(const void* bytes, size_t at)
{
    uint16_t value;
    std::memcpy(&value, static_cast<const uint8_t*>(bytes) + at, sizeof value);
    return value;
}

uint32_t DoubleWord(const void* bytes, size_t at)
{
    uint32_t value;
    std::memcpy(&value, static_cast<const uint8_t*>(bytes) + at, sizeof value);
    return value;
}

// The header of a foreign DEVMODE holds together: its public size covers the fields
// it names and no more than the largest public part, and the whole stays below 64 KB.
// dmFields is read only when dmSize vouches for it.
bool HeaderHoldsTogether(const DEVMODEW* devMode)
{
    const uint32_t size = Word(devMode, kSizeAt), extra = Word(devMode, kDriverExtraAt);
    if (size < kFieldsAt + sizeof(DWORD) || size > kPublicSize || size + extra >= kLargestDevMode)
        return false;
    const DWORD fields = DoubleWord(devMode, kFieldsAt);
    for (const auto& row : kFieldEnds)
        if ((fields & row.field) && size < row.end)
            return false;
    return true;
}

template <class T>
T* Member(GObjectBase* holder, long id)
{
    return GDriverObject::Feature<T>(holder, id);
}

uint16_t WordOf(GObjectBase* holder, long id, uint16_t fallback)
{
    if (GValueAttribute* value = Member<GValueAttribute>(holder, id))
        return value->GetValue();
    if (GRangeAttribute* range = Member<GRangeAttribute>(holder, id))
        return uint16_t(range->GetValue());
    return fallback;
}

// Dots to thousandths of a millimetre; 0 for no resolution.
uint32_t DotsToMicrometres(uint16_t dots, uint16_t dpi)
{
    return dpi ? uint32_t(MulDiv(dots, kMicrometresPerInch, dpi)) : 0;
}

// The printer the operation talks to the spooler about: the object's own handle, or
// one opened by name for the length of the operation.
class SpoolerPrinter {
public:
    SpoolerPrinter(GDriverUIBase& ui) : handle_(ui.GetPrinterHandle()), opened_(false)
    {
        const RWWString& name = ui.GetPrinterName();
        if (!handle_ && !name.IsNull() && OpenPrinterW(const_cast<wchar_t*>(name.Data()), &handle_, nullptr))
            opened_ = true;
    }
    ~SpoolerPrinter()
    {
        if (opened_)
            ClosePrinter(handle_);
    }
    SpoolerPrinter(const SpoolerPrinter&) = delete;
    SpoolerPrinter& operator=(const SpoolerPrinter&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
    bool opened_;
};

// The spooler's form list, given back when it goes.
class FormList {
public:
    explicit FormList(GDriverUIBase& ui) : ui_(ui), forms_(ui.EnumForms(count_)) {}
    ~FormList() { ui_.FreeForms(forms_); }
    FormList(const FormList&) = delete;
    FormList& operator=(const FormList&) = delete;
    uint32_t Count() const { return forms_ ? count_ : 0; }
    const FORM_INFO_1W& operator[](uint32_t i) const { return forms_[i]; }

private:
    GDriverUIBase& ui_;
    uint32_t count_ = 0;
    FORM_INFO_1W* forms_;
};

bool IsBuiltIn(const FORM_INFO_1W& form) { return form.Flags == FORM_BUILTIN; }

// A REG_DWORD of exactly four bytes: true with the value.
bool ReadDword(HKEY root, const wchar_t* path, const wchar_t* name, DWORD& value)
{
    HKEY key;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = sizeof value;
    const LONG status = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value;
}

// A watermark's name: the text of its 384 member.
const RWCString* WatermarkName(GObjectBase* watermark)
{
    GStringAttribute* name = Member<GStringAttribute>(watermark, kWatermarkName);
    return name ? &name->GetString() : nullptr;
}

// Gives the watermark the scope, replacing a scope member of another class.
void SetScope(GObjectBase* watermark, uint16_t scope)
{
    if (GValueAttribute* value = Member<GValueAttribute>(watermark, kWatermarkScope)) {
        value->SetValue(scope);
        return;
    }
    delete watermark->RemoveById(kWatermarkScope);
    watermark->Add(new GValueAttribute(scope, kWatermarkScope));
}

// The plug-in list is the printer's own: settings that came with a document (a DEVMODE's
// private part) never choose which modules a sheet loads. Every member of the list's id
// goes, at any depth and of any class (one of another class ahead of a list must not hide
// the list), and a copy of the configuration's takes its place; without one the tree
// holds none.
void TakePrinterPlugIns(GObjectBase* tree, GObjectBase* configuration)
{
    while (GObjectBase* removed = tree->RemoveById(kUIPlugInNames))
        delete removed;
    GObjectBase* group = Member<GAttributeComposite>(configuration, kPrinterSettingsGroup);
    GObjectBase* own = Member<GAttributeComposite>(group, kUIPlugInNames);
    if (GObjectBase* copy = own ? own->DeepCopy() : nullptr)
        tree->Add(copy);
}

} // namespace

GDriverUIBase::GDriverUIBase()
    : devMode_(nullptr), state_(-1), toggle_(0), emf_(0), stores_(new GPrinterStores(*this)),
      resourceModule_(nullptr)
{
}

GDriverUIBase::~GDriverUIBase()
{
    delete devMode_;
    GResourceLibraryLoads::Release(resourceModule_);
}

HMODULE GDriverUIBase::ResourceModule()
{
    RWWString path;
    GetResourceLibraryPath(path);
    const GSourceStamp now = GPrinterSnapshot::File(path);
    if (resourceModule_ && resourceSource_.Answers(now))
        return resourceModule_;
    GResourceLibraryLoads::Release(resourceModule_);
    resourceSource_ = now;
    resourceModule_ = GResourceLibraryLoads::Acquire(path);
    return resourceModule_;
}

// ---- Merge and commit ----

bool GDriverUIBase::IsHeaderSound(const DEVMODEW* devMode) { return devMode && HeaderHoldsTogether(devMode); }

int GDriverUIBase::ReplaceDevModeObject()
{
    SetSettings(nullptr);
    return RenewDevModeObject(false) ? 1 : 0;
}

void GDriverUIBase::DropDevModeObject()
{
    delete devMode_;
    devMode_ = nullptr;
    state_ = -1;
    toggle_ = 0;
}

int GDriverUIBase::MergeIntoCurrent(const DEVMODEW* devMode)
{
    if (!devMode_ || !IsHeaderSound(devMode))
        return 0;
    const uint32_t claimed = uint32_t(Word(devMode, kSizeAt)) + Word(devMode, kDriverExtraAt);
    std::vector<uint8_t> local(std::max(claimed, kFullSize), 0);
    std::memcpy(local.data(), devMode, claimed);
    return devMode_->MergeDevMode(reinterpret_cast<const DEVMODEW*>(local.data()));
}

int GDriverUIBase::MergeDevModeIntoSettings(const DEVMODEW* devMode)
{
    // The caller's DEVMODE is read once, into a buffer at least as long as this
    // driver's, so that nothing after reads beyond what its header vouched for.
    std::vector<uint8_t> local;
    if (devMode) {
        if (!HeaderHoldsTogether(devMode))
            return 0;
        const uint32_t claimed = uint32_t(Word(devMode, kSizeAt)) + Word(devMode, kDriverExtraAt);
        if (devMode_) {
            if (devMode_->PublicEquals(devMode) && !devMode_->PrinterRecordUnread() &&
                devModeSource_.Answers(GPrinterSnapshot::PrinterData(*this)) &&
                formsSource_.Answers(GPrinterSnapshot::Forms()))
                return 1;
            toggle_ = 0;
        }
        local.assign(std::max(claimed, kFullSize), 0);
        std::memcpy(local.data(), devMode, claimed);
    } else if (devMode_) {
        if (toggle_) {
            state_ |= kPaperCacheStale;
            return RenewDevModeObject(false) && !devMode_->PrinterRecordUnread() ? 1 : 0;
        }
        toggle_ = 1;
    }
    const DEVMODEW* given = devMode ? reinterpret_cast<const DEVMODEW*>(local.data()) : nullptr;

    // The settings the driver object keeps were the old DEVMODE object's: the checks of
    // the new one (its paper among them) read its own.
    state_ = -1;
    SetSettings(nullptr);
    if (!RenewDevModeObject(true))
        return 0;
    // A printer whose record could not be read has not been seen to hold nothing: its
    // stores keep what they hold, and the merge fails after taking the given DEVMODE.
    const bool unread = devMode_->PrinterRecordUnread();
    if (!given)
        return unread ? 0 : 1;
    const bool ours = devMode_->IsCompatible(given) != 0;
    int result = devMode_->MergeDevMode(given);
    if (result == 0)
        result = 1;
    devMode_->FollowInstalledState();
    // The bias is this driver's private word: only a DEVMODE of this driver that
    // reaches past it carries one.
    const uint32_t claimed = uint32_t(Word(given, kSizeAt)) + Word(given, kDriverExtraAt);
    if (ours && claimed >= kTimeBiasAt + sizeof(int16_t))
        if (GOSFactory* services = GOSFactory::Instance())
            services->SetTimeBias(int16_t(Word(given, kTimeBiasAt)));
    if (devMode_->IsLoaded())
        emf_ = devMode_->IsEmfDatatype() == 1 ? 1 : 0;
    return unread ? 0 : result;
}

bool GDriverUIBase::RenewDevModeObject(bool full)
{
    // Asked before the object reads the forms, so that a form added meanwhile is seen by
    // the next call.
    const GSourceStamp forms = GPrinterSnapshot::Forms();
    delete devMode_;
    devMode_ = new (std::nothrow) GDriverDevMode(this, GetPrinterHandle());
    if (!devMode_)
        return false;
    // The options another caller installed since count from now on.
    RefreshInstalledState();
    if (devMode_->IsLoaded()) {
        // The printer's default, stored before forms were assigned to trays (or restored
        // with a table of them), names a paper the printer offers.
        OfferAssignedPaper();
    } else {
        // No DEVMODE of this driver (none, a foreign one, or only its public part): the
        // document starts from the factory's defaults the object holds, on a paper the
        // printer offers, but of the printer's stores only those its data holds no value
        // of are made from them, so an administrator's settings stay.
        GObjectBase* defaults = devMode_->GetSettingsTree();
        std::unique_ptr<GObjectBase> tree(defaults ? defaults->DeepCopy() : nullptr);
        if (tree && full && !devMode_->PrinterRecordUnread())
            StoreMissingNodes(tree.get());
        if (tree) {
            OfferAssignedPaper(tree.get());
            PackTree(tree.release(), kHandOverTree);
        }
        // Packing the defaults made the model follow the factory's options, which it
        // must not.
        if (GObjectBase* installed = GetInstalledState())
            ApplyStoredMaps(installed);
    }
    // No DEVMODE handed out is one that the printer as installed refuses at print time.
    devMode_->FollowInstalledState();
    devModeSource_ = GPrinterSnapshot::PrinterData(*this);
    formsSource_ = forms;
    return true;
}

bool GDriverUIBase::OfferAssignedPaper(GObjectBase* tree)
{
    GValueAttribute* paper = Member<GValueAttribute>(tree, kPaperSize);
    GFormToTrayDatabase* table = CustomizedFormTable();
    if (!paper || !table || table->ContainsFirstValue(paper->GetValue()))
        return false;
    // The papers offered are those the capabilities answer: the locale's default among
    // them, else the first of them.
    struct Offered {
        uint16_t wanted, first;
        bool found;
    } offered = {DefaultPaperCode(), 0, false};
    const int check = WordOf(tree, kLooseFormFit, 0) == 0 ? 1 : 0;
    EnumDeviceForms(
        tree,
        [](uint16_t code, const wchar_t*, void* context) {
            auto* seen = static_cast<Offered*>(context);
            if (!seen->first)
                seen->first = code;
            seen->found = code == seen->wanted;
            return seen->found ? 0 : 1;
        },
        &offered, check);
    const uint16_t chosen = offered.found ? offered.wanted : offered.first;
    if (!chosen)
        return false;
    paper->SetValue(chosen);
    return true;
}

bool GDriverUIBase::OfferAssignedPaper()
{
    if (!devMode_ || !OfferAssignedPaper(devMode_->GetSettingsTree()))
        return false;
    devMode_->Pack(nullptr);
    return true;
}

int GDriverUIBase::MergeForReading(const DEVMODEW* devMode)
{
    if (devMode && !HeaderHoldsTogether(devMode))
        return 0;
    return MergeDevModeIntoSettings(devMode) || (devMode_ && devMode_->PrinterRecordUnread()) ? 1 : 0;
}

int GDriverUIBase::CommitSettings(GObjectBase* tree, int mode)
{
    return PackTree(tree, (mode == 1 ? kStoreNodes : 0) | kStoreUserWatermarks);
}

int GDriverUIBase::PackTree(GObjectBase* tree, int stores)
{
    storesBusy_ = false;
    storesRefused_ = false;
    storesNotStored_ = false;
    userWatermarksUnsaved_ = false;
    if (!tree || !devMode_) {
        if (stores & kHandOverTree)
            delete tree;
        return 0;
    }
    if (GObjectBase* papers = tree->FindById(kCustomSizeList))
        papers->RemoveAll();
    ApplyStoredMaps(tree);

    GObjectBase* lockTable = tree->RemoveById(kLockTable);
    GObjectBase* held[GPrinterStores::kCount] = {};
    for (int i = 0; i < GPrinterStores::kCount; ++i)
        held[i] = tree->RemoveById(GPrinterStores::kIds[i]);

    tree->ClearSerials();
    const bool handOver = (stores & kHandOverTree) != 0;
    const int packed = handOver ? devMode_->PackOwn(tree) : devMode_->Pack(tree);

    // Nothing is stored unless the settings packed, and only what the tree holds: a node
    // it lacks is one the printer's store keeps. Settings that began from the defaults
    // because the printer's record could not be read never replace what the printer or
    // its users store, and nothing is stored while one of the stores does not read. The
    // user's own watermarks go only once the stores asked for were written; their store
    // that does not read keeps its bytes and holds back nothing else.
    // The way back from stores that do not read writes over them, only for a printer
    // whose record read. A store that stopped reading since the sheet opened is found by
    // the stores under the lock, so that the caller learns which.
    const bool storable = CanStore();
    GObjectBase* lists = held[1];  // 366, whose watermarks of this user go to the user's store
    int result = packed ? 1 : 0;
    GPrinterStores::Outcome outcome = GPrinterStores::Outcome::kStored;
    if (packed && (stores & kStoreNodes) && (stores & kReplaceUnreadable)) {
        outcome = devMode_->PrinterRecordUnread() ? GPrinterStores::Outcome::kNotStored
                                                  : stores_->Replace(held, replaceable_);
        result = outcome == GPrinterStores::Outcome::kStored ? 1 : 0;
    } else if (packed && (stores & kStoreNodes)) {
        outcome = devMode_->PrinterRecordUnread() ? GPrinterStores::Outcome::kNotStored : stores_->Store(held);
        result = outcome == GPrinterStores::Outcome::kStored ? 1 : 0;
    }
    storesBusy_ = outcome == GPrinterStores::Outcome::kBusy;
    storesRefused_ = outcome == GPrinterStores::Outcome::kRefused;
    storesNotStored_ = outcome == GPrinterStores::Outcome::kNotStored && !devMode_->PrinterRecordUnread();
    if (result && (stores & kStoreUserWatermarks) && userWatermarks_ && storable && lists)
        userWatermarksUnsaved_ = WriteUserWatermarks(lists, false) == UserStoreWrite::kFailed;

    if (handOver) {
        delete lockTable;
        for (GObjectBase* node : held)
            delete node;
        return result;
    }
    if (lockTable)
        tree->Add(lockTable);
    for (GObjectBase* node : held)
        if (node)
            tree->Add(node);
    return result;
}

GObjectBase* GDriverUIBase::LoadSettingsTree(long id)
{
    if (GPrinterStores::IsStoreId(id))
        return stores_->Load(id);
    char text[100];
    std::snprintf(text, sizeof text, "%ld", id);
    GObjectBase* loaded = LoadObject(RWWString(text));
    if (loaded && !loaded->IsKindOf(GAttributeComposite::kClassId)) {
        GObjectBase::Drop(loaded);
        return nullptr;
    }
    return loaded;
}

int GDriverUIBase::SaveSettingsTree(GObjectBase* node)
{
    if (!node)
        return 0;
    if (GPrinterStores::IsStoreId(node->GetId()))
        return stores_->Save(node);
    char text[100];
    std::snprintf(text, sizeof text, "%ld", long(node->GetId()));
    return SaveObject(RWWString(text), node) ? 1 : 0;
}

void GDriverUIBase::StoreMissingNodes(GObjectBase* defaults) { stores_->StoreMissing(defaults); }

std::unique_ptr<GPrinterStores::Change> GDriverUIBase::ChangeStores()
{
    std::unique_ptr<GPrinterStores::Change> change(new GPrinterStores::Change(*stores_));
    storesBusy_ = storesRefused_ = false;
    if (!change->Owned()) {
        storesRefused_ = change->NotOwned() == GPrinterStores::Outcome::kRefused;
        storesBusy_ = !storesRefused_;
        change.reset();
    }
    return change;
}

bool GDriverUIBase::StoresBusy() const { return storesBusy_; }

bool GDriverUIBase::StoreKeptInOlderForm(long id) const
{
    for (int i = 0; i < GPrinterStores::kCount; ++i)
        if (GPrinterStores::kIds[i] == id)
            return stores_->KeptInOlderForm(i);
    return false;
}

bool GDriverUIBase::StoreReadAgain(long id) const
{
    for (int i = 0; i < GPrinterStores::kCount; ++i)
        if (GPrinterStores::kIds[i] == id)
            return stores_->ReadAgain(i);
    return false;
}

bool GDriverUIBase::StoreUnreadable(long id) const
{
    for (int i = 0; i < GPrinterStores::kCount; ++i)
        if (GPrinterStores::kIds[i] == id)
            return stores_->Unreadable(i);
    return false;
}

bool GDriverUIBase::StoresRefused() const { return storesRefused_; }

bool GDriverUIBase::CanStore() { return devMode_ && !devMode_->PrinterRecordUnread() && stores_->Storable(); }

bool GDriverUIBase::StoresReplaceable()
{
    return devMode_ && !devMode_->PrinterRecordUnread() && !stores_->Storable();
}

int GDriverUIBase::ReplaceUnreadableStores(GObjectBase* tree, const bool standIns[GPrinterStores::kCount])
{
    if (!tree || !standIns || devMode_ == nullptr || devMode_->PrinterRecordUnread())
        return 0;
    // The factory's nodes, as the tree's stand-ins were made: the stores are written as
    // the sheet's OK wrote them before their damage could be told. Which of them may be
    // written over is decided under the stores lock.
    std::unique_ptr<GObjectBase> defaults(CreateDefaultSettings());
    for (int i = 0; i < GPrinterStores::kCount; ++i) {
        replaceable_[i] = standIns[i];
        if (!standIns[i])
            continue;
        GObjectBase* factory = defaults ? defaults->RemoveById(GPrinterStores::kIds[i]) : nullptr;
        if (!factory)
            return 0;
        while (GObjectBase* shown = tree->RemoveById(GPrinterStores::kIds[i]))
            delete shown;
        tree->Add(factory);
    }
    return PackTree(tree, kStoreNodes | kReplaceUnreadable);
}

int GDriverUIBase::UpgradeStores(int& deviceSettings, int& lists, int& extension)
{
    int upgraded[GPrinterStores::kCount] = {};
    const GPrinterStores::Outcome outcome = stores_->Upgrade(upgraded);
    bool whole = outcome == GPrinterStores::Outcome::kStored;
    for (int i = 0; i < GPrinterStores::kCount; ++i) {
        const long id = GPrinterStores::kIds[i];
        const bool left = upgraded[i] == GPrinterStores::kNotBroughtUp;
        whole = whole && !left;
        (id == kDeviceSettings ? deviceSettings : id == kPrinterLists ? lists : extension) = left ? 0 : upgraded[i];
    }
    return whole ? 1 : 0;
}

void GDriverUIBase::RefreshInstalledState()
{
    GObjectBase* installed = LoadSettingsTree(kDeviceSettings);
    if (!installed) {
        // Nothing stored that reads: the printer behaves as the factory made it.
        std::unique_ptr<GObjectBase> defaults(CreateDefaultSettings());
        installed = defaults ? defaults->RemoveById(kDeviceSettings) : nullptr;
    }
    if (installed)
        ApplyStoredMaps(installed);
    SetInstalledState(installed);
}

void GDriverUIBase::ApplyModelDefaults(GObjectBase* tree)
{
    GObjectBase* device = tree ? tree->FindById(kDeviceSettings) : nullptr;
    GConfiguration* configuration = GetPrinterConfiguration();
    GOSFactory* services = GOSFactory::Instance();
    if (!device || !configuration || !services)
        return;
    ForEachMember(configuration->FindById(kModelDefaultsList), [&](GObjectBase* member) {
        if (!member->IsKindOf(MPersistentAssociation::kClassId))
            return true;
        auto* association = static_cast<MPersistentAssociation*>(member);
        GObjectBase* key = association->GetKey();
        GObjectBase* value = association->GetValue();
        if (!key || !value || !key->IsKindOf(GValueAttribute::kClassId) || !value->IsKindOf(GStringAttribute::kClassId))
            return true;
        GObjectBase* node = device->FindById(static_cast<GValueAttribute*>(key)->GetValue());
        const RWWString name(static_cast<GStringAttribute*>(value)->GetString());
        if (!node)
            return true;
        switch (node->ClassId()) {
        case GValueAttribute::kClassId: {
            const uint32_t word = services->GetPrinterDataDword(this, name, 0xFFFFFFFFu);
            if (word != 0xFFFFFFFFu)
                static_cast<GValueAttribute*>(node)->SetValue(uint16_t(word));
            break;
        }
        case GStringAttribute::kClassId: {
            RWWString text;
            services->GetPrinterDataString(text, this, name, kNone);
            if (!(text == RWWString(kNone)))
                static_cast<GStringAttribute*>(node)->SetString(text.ToMultiByte());
            break;
        }
        case GRangeAttribute::kClassId: {
            auto* range = static_cast<GRangeAttribute*>(node);
            const int32_t word = int32_t(services->GetPrinterDataDword(this, name, 0xFFFFFFFFu));
            if (word != -1 && word >= range->GetMinimum() && word <= range->GetMaximum())
                range->SetValue(int16_t(word));
            break;
        }
        default:
            break;
        }
        return true;
    });
    if (GValueAttribute* farEast = Member<GValueAttribute>(configuration, kAttributeValue)) {
        const UINT page = GetOEMCP();
        farEast->SetValue(std::find(std::begin(kFarEastCodePages), std::end(kFarEastCodePages), page) !=
                                  std::end(kFarEastCodePages)
                              ? 1
                              : 0);
    }
}

// ---- Application flags and the DEVMODE size ----

uint32_t GDriverUIBase::FilterAppFlags(uint32_t flags)
{
    if (!(flags & kPublicOnlyApplications))
        return flags;
    DWORD value = 1;
    const bool present = ReadDword(HKEY_CURRENT_USER, kDevModeAppFlagKey, kDevModeAppFlagSwitch, value) ||
                         ReadDword(HKEY_LOCAL_MACHINE, kDevModeAppFlagKey, kDevModeAppFlagSwitch, value);
    return present && value == 0 ? flags & ~kPublicOnlyApplications : flags;
}

void GDriverUIBase::InitAppFlags() { SetAppFlags(FilterAppFlags(ModuleLifetime::AppFlags())); }

uint32_t GDriverUIBase::GetDevModeSize(int cut)
{
    if (!(GetAppFlags() & kPublicOnlyApplications))
        return kFullSize;
    const RWWString& name = GetPrinterName();
    HKEY key;
    if (!cut || name.IsNull() ||
        RegOpenKeyExW(HKEY_CURRENT_USER, kUserDevModes, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return kPublicSize;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name.Data(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_BINARY &&
        size > kPublicSize && size <= kLargestDevMode) {
        std::vector<uint8_t> bytes(size);
        if (RegQueryValueExW(key, name.Data(), nullptr, &type, bytes.data(), &size) == ERROR_SUCCESS &&
            type == REG_BINARY && size > kPublicSize) {
            const uint16_t publicSize = uint16_t(kPublicSize), noExtra = 0;
            std::memcpy(bytes.data() + kSizeAt, &publicSize, sizeof publicSize);
            std::memcpy(bytes.data() + kDriverExtraAt, &noExtra, sizeof noExtra);
            RegSetValueExW(key, name.Data(), 0, REG_BINARY, bytes.data(), kPublicSize);
        }
    }
    RegCloseKey(key);
    return kPublicSize;
}

// ---- The factory tree and the stored tree ----

RWCString GDriverUIBase::BaseNameFromDriverName(const RWCString& driverName)
{
    std::string lower(driverName.Data() ? driverName.Data() : "");
    for (char& c : lower)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    size_t at = lower.find("series");
    if (at == std::string::npos)
        at = lower.find("pcl");
    // A match at the start leaves no name before the blank that precedes it.
    if (at == std::string::npos || at <= 1)
        return RWCString();
    return RWCString(driverName.Data(), at - 1);
}

GObjectBase* GDriverUIBase::CreateDefaultSettings()
{
    GConfiguration* configuration = GetPrinterConfiguration();
    GObjectBase* holder = GetPrinter() ? GetPrinter()->FindById(kPrinterHolder) : nullptr;
    GState* defaults = holder && holder->IsKindOf(GPeripheral::kClassId)
                           ? static_cast<GPeripheral*>(holder)->GetInitialState()
                           : nullptr;

    GObjectBase* group = Member<GAttributeComposite>(configuration, kPrinterSettingsGroup);
    GObjectBase* root = group ? group->DeepCopy() : new GAttributeComposite(kDefaultTreeRoot);
    if (!root)
        return nullptr;
    root->SetId(kDefaultTreeRoot);

    if (GObjectBase* document = defaults ? defaults->FindById(kDocumentDefaults) : nullptr) {
        if (GObjectBase* copy = document->DeepCopy()) {
            delete copy->RemoveById(kDefaultPaperNode);
            copy->Add(new GValueAttribute(DefaultPaperCode(), kPaperSize));
            copy->SetId(kJobSettings);
            root->Add(copy);
        }
    }
    if (GObjectBase* page = defaults ? defaults->FindById(kPageDefaults) : nullptr) {
        if (GObjectBase* copy = page->DeepCopy()) {
            copy->SetId(kPageSettings);
            root->Add(copy);
        }
    }

    RWWString base;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetPrinterDataString(base, this, L"Base", kNone);
    GAttribute* target = dynamic_cast<GAttribute*>(root);
    if (!base.IsNull() && !(base == RWWString(kNone))) {
        if (target)
            SelectFromList(base, target);
    } else if (WordOf(configuration, kBaseFromModelName, 0) == 1) {
        const RWCString name = BaseNameFromDriverName(GetSecondName().ToMultiByte());
        if (target && name.Length())
            SelectFromList(RWWString(name), target);
    }

    ApplyModelDefaults(root);
    RebuildPaperList(root);
    return root;
}

// The document's settings with the printer's stores put in, store by store: the
// factory's node where the printer holds none or where a store does not read (never
// stored: storing is refused while a store does not read), so that a sheet shows what
// applications are told. A document's own nodes of the stores' ids never stand for the
// printer's.
GObjectBase* GDriverUIBase::LoadStoredSettings()
{
    GObjectBase* current = GetCurrentSettings();
    const bool needDefaults = !current || stores_->AnyAbsent() || !stores_->Storable();
    std::unique_ptr<GObjectBase> defaults(needDefaults ? CreateDefaultSettings() : nullptr);
    GObjectBase* source = current ? current : defaults.get();
    std::unique_ptr<GObjectBase> tree(source ? source->DeepCopy() : nullptr);
    if (tree) {
        stores_->PutInto(tree.get(), defaults.get());
        for (long id : {kDeviceSettings, kPrinterLists})
            if (GObjectBase* node = Member<GAttributeComposite>(tree.get(), id))
                ShowStoreNode(node);
        RebuildPaperList(tree.get());
        TakePrinterPlugIns(tree.get(), GetPrinterConfiguration());
    }
    state_ &= ~kSettingsStale;
    return tree.release();
}

void GDriverUIBase::ShowStoreNode(GObjectBase* node)
{
    if (node->GetId() == kDeviceSettings)
        ApplyStoredMaps(node);
    if (node->GetId() != kPrinterLists || !userWatermarks_)
        return;
    ForEachMember(node->FindById(kWatermarkList), [](GObjectBase* watermark) {
        if (!watermark->FindById(kWatermarkScope))
            SetScope(watermark, 1);
        return true;
    });
    MergeUserWatermarks(node);
}

void GDriverUIBase::ShowStoresAsRead(GObjectBase* tree, const bool which[GPrinterStores::kCount])
{
    if (!tree || !which)
        return;
    bool device = false;
    for (int i = 0; i < GPrinterStores::kCount; ++i) {
        const long id = GPrinterStores::kIds[i];
        std::unique_ptr<GObjectBase> node(which[i] ? stores_->Load(id) : nullptr);
        if (!node)
            continue;
        while (GObjectBase* shown = tree->RemoveById(id))
            delete shown;
        ShowStoreNode(node.get());
        tree->Add(node.release());
        device = device || id == kDeviceSettings;
    }
    // The installed options follow the device settings as they read now.
    if (device)
        RefreshInstalledState();
    RebuildPaperList(tree);
}

GObjectBase* GDriverUIBase::GetCurrentSettings() { return devMode_ ? devMode_->GetSettingsTree() : nullptr; }

// ---- Per-user stores ----

RWWString GDriverUIBase::UserWatermarkValueName()
{
    RWWString uuid;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetPrinterDataString(uuid, this, L"PrinterUUID", L"");
    if (uuid.IsNull() || uuid.Length() == 0)
        return RWWString();
    RWWString name(kUserStoreRoot);
    name += uuid;
    name += kUserWatermarkPath;
    return name;
}

bool GDriverUIBase::UserWatermarksStorable()
{
    const RWWString name = UserWatermarkValueName();
    if (!userWatermarks_ || name.Length() == 0)
        return true;
    GOSFactory::StoredRead outcome;
    std::unique_ptr<GObjectBase> loaded(GPrinterStores::LoadSettingsNode(this, name, outcome));
    return outcome != GOSFactory::StoredRead::kUnreadable;
}

int GDriverUIBase::SaveUserWatermarks(GObjectBase* printerLists)
{
    return WriteUserWatermarks(printerLists, false) == UserStoreWrite::kWritten ? 1 : 0;
}

int GDriverUIBase::ReplaceUnreadableUserWatermarks(GObjectBase* tree)
{
    userWatermarksUnsaved_ = false;
    GObjectBase* lists = tree ? tree->FindById(kPrinterLists) : nullptr;
    if (!lists || !userWatermarks_ || !CanStore())
        return 0;
    const UserStoreWrite written = WriteUserWatermarks(lists, true);
    userWatermarksUnsaved_ = written == UserStoreWrite::kFailed;
    return written == UserStoreWrite::kWritten ? 1 : 0;
}

GDriverUIBase::UserStoreWrite GDriverUIBase::WriteUserWatermarks(GObjectBase* printerLists, bool overUnreadable)
{
    // Without a printer UUID every printer would share one store: nothing is written.
    const RWWString name = UserWatermarkValueName();
    if (!printerLists || name.Length() == 0)
        return UserStoreWrite::kNoStore;
    // A store that is there but does not read keeps its bytes, as the printer's do,
    // until its user chooses to replace it.
    if (!overUnreadable) {
        GOSFactory::StoredRead outcome;
        std::unique_ptr<GObjectBase> stored(GPrinterStores::LoadSettingsNode(this, name, outcome));
        if (outcome == GOSFactory::StoredRead::kUnreadable)
            return UserStoreWrite::kKept;
    }
    GAttributeComposite mine(kWatermarkList);
    ForEachMember(printerLists->FindById(kWatermarkList), [&](GObjectBase* watermark) {
        if (WordOf(watermark, kWatermarkScope, 0) == 2)
            if (GObjectBase* copy = watermark->DeepCopy())
                mine.Add(copy);
        return true;
    });
    return SaveObject(name, &mine) ? UserStoreWrite::kWritten : UserStoreWrite::kFailed;
}

void GDriverUIBase::MergeUserWatermarks(GObjectBase* printerLists)
{
    const RWWString name = UserWatermarkValueName();
    GObjectBase* list = printerLists ? printerLists->FindById(kWatermarkList) : nullptr;
    if (!list || name.Length() == 0)
        return;
    GOSFactory::StoredRead outcome;
    std::unique_ptr<GObjectBase> loaded(GPrinterStores::LoadSettingsNode(this, name, outcome));
    if (!loaded)
        return;
    ForEachMember(loaded.get(), [&](GObjectBase* watermark) {
        const RWCString* userName = WatermarkName(watermark);
        if (userName) {
            GObjectBase* same = nullptr;
            ForEachMember(list, [&](GObjectBase* ours) {
                const RWCString* ourName = WatermarkName(ours);
                if (ourName && ourName->Length() == userName->Length() &&
                    std::memcmp(ourName->Data(), userName->Data(), userName->Length()) == 0)
                    same = ours;
                return !same;
            });
            if (same)
                delete list->Remove(same);
        }
        if (GObjectBase* copy = watermark->DeepCopy()) {
            SetScope(copy, 2);
            list->Add(copy);
        }
        return true;
    });
}

void GDriverUIBase::GetJobStorageKey(RWWString& path)
{
    RWWString uuid;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetPrinterDataString(uuid, this, L"PrinterUUID", L"");
    path = RWWString(kJobStorageRoot);
    path += uuid;
    path += kJobStoragePath;
}

int GDriverUIBase::SetLocalJobStorage(uint32_t value)
{
    RWWString key;
    GetJobStorageKey(key);
    GOSFactory* services = GOSFactory::Instance();
    return services ? services->SetUserDword(key, L"LocalJobStorage", value) : 0;
}

// ---- Forms and paper ----

FORM_INFO_1W* GDriverUIBase::EnumForms(uint32_t& count)
{
    count = 0;
    SpoolerPrinter printer(*this);
    GOSFactory* services = GOSFactory::Instance();
    return printer.Get() && services ? services->ReadForms(printer.Get(), count) : nullptr;
}

void GDriverUIBase::FreeForms(FORM_INFO_1W* forms) { delete[] reinterpret_cast<uint8_t*>(forms); }

int GDriverUIBase::SizeFitsDevice(uint32_t angle, uint16_t xResolution, uint16_t yResolution, int check,
                                  uint32_t width, uint32_t length)
{
    if (!check)
        return 1;
    GMediaPool* pool = GetMediaAttribute();
    GMedia* largest = pool ? pool->FindMedia(kLargestMedia, angle, xResolution, yResolution) : nullptr;
    GMedia* smallest = pool ? pool->FindMedia(kSmallestMedia, angle, xResolution, yResolution) : nullptr;
    // Without both limits or a resolution there is nothing to measure against.
    if (!largest || !smallest || !xResolution || !yResolution)
        return 0;
    uint32_t maxWidth = DotsToMicrometres(largest->GetPaperSize().x, xResolution);
    uint32_t maxLength = DotsToMicrometres(largest->GetPaperSize().y, yResolution);
    uint32_t minWidth = DotsToMicrometres(smallest->GetPaperSize().x, xResolution);
    uint32_t minLength = DotsToMicrometres(smallest->GetPaperSize().y, yResolution);
    if (angle == 90 || angle == 270) {
        std::swap(maxWidth, maxLength);
        std::swap(minWidth, minLength);
    }
    return minWidth <= width && width <= maxWidth && minLength <= length && length <= maxLength ? 1 : 0;
}

int GDriverUIBase::FormFitsDevice(uint32_t angle, uint16_t xResolution, uint16_t yResolution, int check,
                                  uint32_t formIndex)
{
    FormList forms(*this);
    if (formIndex == 0 || formIndex > forms.Count())
        return 0;
    const FORM_INFO_1W& form = forms[formIndex - 1];
    return SizeFitsDevice(angle, xResolution, yResolution, check, uint32_t(form.Size.cx), uint32_t(form.Size.cy));
}

int GDriverUIBase::IsPrinterConnection()
{
    SpoolerPrinter printer(*this);
    DWORD needed = 0;
    if (!printer.Get())
        return 0;
    ::GetPrinterW(printer.Get(), 2, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_2W) || needed > kLargestPrinterInfo)
        return 0;
    std::vector<uint8_t> record(needed);
    if (!::GetPrinterW(printer.Get(), 2, record.data(), needed, &needed))
        return 0;
    return reinterpret_cast<PRINTER_INFO_2W*>(record.data())->pServerName ? 1 : 0;
}

int GDriverUIBase::FormIndexToPaperCode(uint32_t formIndex, uint16_t& code)
{
    if (formIndex == 256) {
        code = kCustomPaperCode;
        return 1;
    }
    FormList forms(*this);
    if (formIndex == 0 || formIndex > forms.Count())
        return 0;
    if (IsBuiltIn(forms[formIndex - 1])) {
        uint16_t second = 0;
        if (!GetPoolKey(uint16_t(formIndex), second))
            return 0;
        code = second;
        return 1;
    }
    // A printer form counts only when it fits the device as the DEVMODE stands.
    const uint16_t x = devMode_ ? devMode_->GetXResolution() : 0, y = devMode_ ? devMode_->GetYResolution() : 0;
    const uint32_t angle = devMode_ && devMode_->GetDevMode()->dmOrientation != DMORIENT_PORTRAIT ? 90 : 0;
    const FORM_INFO_1W& form = forms[formIndex - 1];
    if (!SizeFitsDevice(angle, x, y, 1, uint32_t(form.Size.cx), uint32_t(form.Size.cy)))
        return 0;
    code = uint16_t(formIndex + kCustomPaperCode - 1);
    return 1;
}

int GDriverUIBase::PaperCodeToFormIndex(uint16_t code, uint32_t& formIndex)
{
    if (code == kCustomPaperCode) {
        formIndex = 256;
        return 1;
    }
    if (code > kCustomPaperCode) {
        formIndex = uint32_t(code) - kCustomPaperCode + 1;
        return 1;
    }
    uint16_t first = 0;
    if (GetPoolValue(code, first)) {
        formIndex = first;
        return 1;
    }
    GMediaPool* pool = GetMediaAttribute();
    const uint16_t x = devMode_ ? devMode_->GetXResolution() : 0, y = devMode_ ? devMode_->GetYResolution() : 0;
    GMedia* media = pool ? pool->FindMedia(code, 0, x, y) : nullptr;
    if (!media)
        return 0;
    const GSizePair size{DotsToMicrometres(media->GetPaperSize().x, media->GetUnitsX()),
                         DotsToMicrometres(media->GetPaperSize().y, media->GetUnitsY())};
    FormList forms(*this);
    for (uint32_t i = 0; i < forms.Count(); ++i)
        if (!IsBuiltIn(forms[i]) && MatchesFormSize(forms[i], size, {kFormTolerance, kFormTolerance})) {
            formIndex = i + 1;
            return 1;
        }
    return 0;
}

bool GDriverUIBase::MatchesFormSize(const FORM_INFO_1W& form, const GSizePair& size, const GSizePair& tolerance)
{
    const auto within = [](LONG a, uint32_t b, uint32_t tolerance) {
        const int64_t difference = int64_t(a) - int64_t(b);
        return (difference < 0 ? -difference : difference) <= int64_t(tolerance);
    };
    return within(form.Size.cx, size.width, tolerance.width) && within(form.Size.cy, size.height, tolerance.height);
}

namespace {

// Adds the form, or resizes a form of that name that is not built in when asked to.
int PutForm(HANDLE printer, const wchar_t* name, DWORD flags, uint32_t width, uint32_t length, int update)
{
    if (!printer || !name)
        return 0;
    FORM_INFO_1W form = {};
    form.Flags = flags;
    form.pName = const_cast<wchar_t*>(name);
    form.Size.cx = LONG(width);
    form.Size.cy = LONG(length);
    form.ImageableArea = {0, 0, LONG(width), LONG(length)};
    DWORD needed = 0;
    GetFormW(printer, form.pName, 1, nullptr, 0, &needed);
    if (needed >= sizeof(FORM_INFO_1W) && needed <= kLargestFormList) {
        std::vector<uint8_t> existing(needed);
        if (GetFormW(printer, form.pName, 1, existing.data(), needed, &needed)) {
            if (reinterpret_cast<FORM_INFO_1W*>(existing.data())->Flags == FORM_BUILTIN || update != 1)
                return 0;
            return SetFormW(printer, form.pName, 1, reinterpret_cast<BYTE*>(&form)) ? 1 : 0;
        }
    }
    return AddFormW(printer, 1, reinterpret_cast<BYTE*>(&form)) ? 1 : 0;
}

} // namespace

int GDriverUIBase::AddFormForCustomSize(HANDLE printer, const GCustomMediaSize& size, DWORD formFlags, int update)
{
    const GSizePair micrometres = size.GetSizeIn(GCustomMediaSize::kMicrometre);
    const RWWString name(size.GetName());
    return PutForm(printer, name.Data(), formFlags, micrometres.width, micrometres.height, update);
}

int GDriverUIBase::AddFormForMedia(HANDLE printer, const GMedia& media, int update)
{
    if (!media.GetUnitsX() || !media.GetUnitsY())
        return 0;
    const RWWString name(media.GetName());
    return PutForm(printer, name.Data(), FORM_PRINTER, DotsToMicrometres(media.GetPaperSize().x, media.GetUnitsX()),
                   DotsToMicrometres(media.GetPaperSize().y, media.GetUnitsY()), update);
}

int GDriverUIBase::AddOrUpdateForm(GObjectBase* paperList, GCustomMediaSize* size)
{
    if (!size)
        return 0;
    SpoolerPrinter printer(*this);
    if (!AddFormForCustomSize(printer.Get(), *size, FORM_USER, 1))
        return 0;
    // The spooler may answer success and keep no such form: then the size has no code.
    const RWWString name(size->GetName());
    FormList forms(*this);
    uint32_t position = forms.Count();
    while (position > 0 && !(forms[position - 1].pName && name.Data() && !std::wcscmp(forms[position - 1].pName, name.Data())))
        --position;
    if (position == 0)
        return 0;
    size->SetId(uint16_t(kCustomPaperCode + position - 1));
    if (paperList) {
        GObjectBase* same = nullptr;
        ForEachMember(paperList, [&](GObjectBase* member) {
            if (member != size && member->IsKindOf(GCustomMediaSize::kClassId) &&
                static_cast<GCustomMediaSize*>(member)->GetName() == size->GetName())
                same = member;
            return !same;
        });
        if (same)
            delete paperList->Remove(same);
        paperList->Add(size);
    }
    return 1;
}

int GDriverUIBase::DeleteForm(GCustomMediaSize* size)
{
    if (!size)
        return 0;
    SpoolerPrinter printer(*this);
    const RWWString name(size->GetName());
    if (!printer.Get() || !name.Data() || !::DeleteFormW(printer.Get(), const_cast<wchar_t*>(name.Data())))
        return 0;
    RebuildPaperList(GetCurrentSettings());
    return 1;
}

int GDriverUIBase::RebuildPaperList(GObjectBase* tree)
{
    GObjectBase* list = tree ? tree->FindById(kCustomSizeList) : nullptr;
    if (!list)
        return 0;
    list->RemoveAll();
    const uint16_t width = WordOf(tree, kCustomWidth, kMissing), length = WordOf(tree, kCustomLength, kMissing);
    if (width != kMissing && length != kMissing)
        list->Add(new GCustomMediaSize(kCustomPaperCode, "", GCustomMediaSize::kMicrometre, uint32_t(width) * 100,
                                       uint32_t(length) * 100, 0));
    GObjectBase* resolution = tree->FindById(kResolutionGroup);
    const uint16_t x = WordOf(resolution, kXResolution, 0), y = WordOf(resolution, kYResolution, 0);
    const uint32_t angle = WordOf(tree, kOrientationDegrees, 0);
    const int check = WordOf(tree, kLooseFormFit, 0) == 0 ? 1 : 0;
    FormList forms(*this);
    int added = 0;
    for (uint32_t i = 0; i < forms.Count(); ++i) {
        const FORM_INFO_1W& form = forms[i];
        if (IsBuiltIn(form) || !form.pName ||
            !SizeFitsDevice(angle, x, y, check, uint32_t(form.Size.cx), uint32_t(form.Size.cy)))
            continue;
        const uint32_t a = uint32_t(form.Size.cx), b = uint32_t(form.Size.cy);
        list->Add(new GCustomMediaSize(uint16_t(kCustomPaperCode + i), RWWString(form.pName).ToMultiByte().Data(),
                                       GCustomMediaSize::kMicrometre, std::min(a, b), std::max(a, b), 0));
        ++added;
    }
    return added;
}

int GDriverUIBase::WalkDeviceForms(GObjectBase* tree, FormCallback callback, void* context, int check,
                                   bool filtered)
{
    if (!tree || !callback)
        return 0;
    GObjectBase* resolution = tree->FindById(kResolutionGroup);
    const uint16_t x = WordOf(resolution, kXResolution, 0), y = WordOf(resolution, kYResolution, 0);
    const uint32_t angle = WordOf(tree, kOrientationDegrees, 0);
    GFormToTrayDatabase* table = filtered ? CustomizedFormTable() : nullptr;
    const bool customized = table != nullptr;
    FormList forms(*this);
    int reported = 0;
    for (uint32_t i = 0; i < forms.Count(); ++i) {
        const FORM_INFO_1W& form = forms[i];
        if (!form.pName || !SizeFitsDevice(angle, x, y, check, uint32_t(form.Size.cx), uint32_t(form.Size.cy)))
            continue;
        uint16_t code = 0;
        if (IsBuiltIn(form)) {
            if (!GetPoolKey(uint16_t(i + 1), code))
                continue;
        } else {
            code = uint16_t(kCustomPaperCode + i);
        }
        if (customized && !table->ContainsFirstValue(code))
            continue;
        ++reported;
        if (callback(code, form.pName, context) != 1)
            break;
    }
    return reported;
}

int GDriverUIBase::EnumDeviceForms(GObjectBase* tree, FormCallback callback, void* context, int check)
{
    return WalkDeviceForms(tree, callback, context, check, true);
}

int GDriverUIBase::EnumDeviceFormsUnfiltered(GObjectBase* tree, FormCallback callback, void* context, int check)
{
    return WalkDeviceForms(tree, callback, context, check, false);
}

GMedia* GDriverUIBase::MediaForPaperCode(uint16_t code, GObjectBase* tree, uint32_t angle, uint16_t xResolution,
                                         uint16_t yResolution)
{
    if (code == kCustomPaperCode) {
        const uint16_t width = WordOf(tree, kCustomWidth, kMissing), length = WordOf(tree, kCustomLength, kMissing);
        if (width == kMissing || length == kMissing)
            return nullptr;
        const GCustomMediaSize size(kCustomPaperCode, "", GCustomMediaSize::kMicrometre, uint32_t(width) * 100,
                                    uint32_t(length) * 100, 0);
        return BuildCustomMedia(size, tree, xResolution, yResolution, angle);
    }
    GMediaPool* pool = GetMediaAttribute();
    if (code < kCustomPaperCode) {
        GMedia* media = pool ? pool->FindMedia(code, angle, xResolution, yResolution) : nullptr;
        return media ? media->Copy() : nullptr;
    }
    FormList forms(*this);
    const uint32_t position = uint32_t(code) - kCustomPaperCode;
    if (position >= forms.Count())
        return nullptr;
    const FORM_INFO_1W& form = forms[position];
    std::unique_ptr<GMediaIterator> it(
        pool ? pool->CreateMediaIterator(angle, xResolution, yResolution, {0, 0}, {32767, 32767}) : nullptr);
    while (it && it->Next()) {
        GMedia* media = it->CurrentMedia();
        if (!media)
            continue;
        const GSizePair size{DotsToMicrometres(media->GetPaperSize().x, media->GetUnitsX()),
                             DotsToMicrometres(media->GetPaperSize().y, media->GetUnitsY())};
        if (MatchesFormSize(form, size, {kFormTolerance, kFormTolerance}))
            return media->Copy();
    }
    const RWCString name = form.pName ? RWWString(form.pName).ToMultiByte() : RWCString();
    const GCustomMediaSize size(code, name.Data() ? name.Data() : "", GCustomMediaSize::kMicrometre,
                                uint32_t(form.Size.cx), uint32_t(form.Size.cy), 0);
    return BuildCustomMedia(size, tree, xResolution, yResolution, angle);
}

GObjectBase* GDriverUIBase::GetMediaForPaperCode(uint16_t code, uint32_t angle, uint16_t xResolution,
                                                 uint16_t yResolution)
{
    return MediaForPaperCode(code, GetCurrentSettings(), angle, xResolution, yResolution);
}

uint16_t GDriverUIBase::NormalizePaperCode(uint16_t code)
{
    uint32_t index = 0;
    if (!PaperCodeToFormIndex(code, index))
        return code;
    const uint16_t x = devMode_ ? devMode_->GetXResolution() : 0, y = devMode_ ? devMode_->GetYResolution() : 0;
    std::unique_ptr<GMedia> media(MediaForPaperCode(code, GetCurrentSettings(), 0, x, y));
    return media && media->GetMediaId() < 4000 ? media->GetMediaId() : code;
}

void GDriverUIBase::GetResourceLibraryPath(RWWString& path)
{
    // One checked builder: a name that holds a path of its own gives none.
    path = GDriverObject::GetResourceLibraryPath();
}

void GDriverUIBase::EnumBuiltinForms(FormNameCallback callback, void* context)
{
    FormList forms(*this);
    for (uint32_t i = 0; callback && i < forms.Count(); ++i)
        if (IsBuiltIn(forms[i]) && forms[i].pName && !callback(forms[i].pName, context))
            return;
}

int GDriverUIBase::IsBuiltinForm(const wchar_t* name)
{
    SpoolerPrinter printer(*this);
    DWORD needed = 0;
    if (!printer.Get() || !name)
        return 0;
    GetFormW(printer.Get(), const_cast<wchar_t*>(name), 1, nullptr, 0, &needed);
    if (needed < sizeof(FORM_INFO_1W) || needed > kLargestFormList)
        return 0;
    std::vector<uint8_t> form(needed);
    if (!GetFormW(printer.Get(), const_cast<wchar_t*>(name), 1, form.data(), needed, &needed))
        return 0;
    return IsBuiltIn(*reinterpret_cast<FORM_INFO_1W*>(form.data())) ? 1 : 0;
}
