// The driver UI object itself: its identity and handles, the settings it converts and
// judges, the UI context and the open sheet, and the entry points handed to its roles.
#include "entry/driverui/GDriverUI.h"

#include "entry/driverui/DriverResourceLibrary.h"
#include "entry/driverui/GDriverUICapabilities.h"
#include "entry/driverui/GDriverUIDeviceSheet.h"
#include "entry/driverui/GDriverUIDocumentEvents.h"
#include "entry/driverui/GDriverUIDocumentSheet.h"
#include "entry/driverui/GDriverUIPrinterEvents.h"
#include "entry/driverui/GDriverUIUpgrade.h"
#include "entry/extensions/ExtensionInterface.h"
#include "entry/module/GUIOSFactory.h"
#include "entry/sheet/GCPSOSUI.h"
#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GProviderRegistry.h"
#include "model/GRangeAttribute.h"
#include "model/GResourceMapping.h"
#include "model/GResourceMappingList.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"
#include "printer/GOSFactory.h"
#include "printer/PrinterIdentity.h"
#include "printer/PrinterRecordScope.h"
#include "settings/devmode/GDriverDevMode.h"
#include "settings/dmc/GDriverDMCConfig.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <vector>

namespace {

using namespace FeatureId;

const DWORD kFullAccess = 0xF000C;  // PRINTER_ALL_ACCESS
const DWORD kLargestPrinterInfo = 1u << 20;
const size_t kQueryTextChars = 256;
const wchar_t kStaleValue[] = L"Stale";

// Mismatch code -> message id of the print-time query.
const struct {
    uint32_t mismatch;
    uint16_t message;
} kMismatchMessages[] = {
    {2, 12003},      {4, 12003},      {8, 12003},      {12, 12003},     {0x10000, 12003}, {0x200, 12004},
    {0x1000, 12005}, {0x8000, 12006}, {0x400, 12002},  {0x2000, 12002}, {0x2400, 12002},
};
const uint16_t kInvalidDevModeMessage = 12001;


GDriverObject* MakeDriverUI(const PrinterIdentity& identity)
{
    GDriverUI* ui = new (std::nothrow) GDriverUI(identity);
    return ui;
}

void* DriverUIPrinterHandle(GDriverObject* driver)
{
    GDriverUI* ui = dynamic_cast<GDriverUI*>(driver);
    return ui ? ui->GetPrinterHandle() : nullptr;
}

// The module makes its driver objects through this maker from the start.
const bool g_makerRegistered = (GUIOSFactory::SetDriverUIMaker({&MakeDriverUI, &DriverUIPrinterHandle}), true);

} // namespace

GDriverUI::GDriverUI(const PrinterIdentity& identity)
    : GDriverObject(identity.GetPrinterName(), identity.GetDriverName(), identity.GetPortName()), GDriverUIBase(),
      GDriverObjectImp(), callerHandle_(identity.GetPrinterHandle()), ownHandle_(nullptr), useOwn_(0),
      onDemandHandle_(nullptr), hostPath_(), uiContext_(nullptr), sheetGlue_(nullptr), drawMode_(0),
      drawSuppressed_(0), ownedString_(nullptr), ticket_(0), documentSheet_(new GDriverUIDocumentSheet(*this)),
      deviceSheet_(new GDriverUIDeviceSheet(*this)), documentEvents_(new GDriverUIDocumentEvents(*this)),
      printerEvents_(new GDriverUIPrinterEvents(*this)), capabilities_(new GDriverUICapabilities(*this)),
      upgrade_(new GDriverUIUpgrade(*this))
{
    GetModuleFileNameW(nullptr, hostPath_, MAX_PATH);
    InitAppFlags();
}

GDriverUI::~GDriverUI()
{
    CloseOwnPrinter();
    if (onDemandHandle_)
        ClosePrinter(onDemandHandle_);
    ReleaseSheet();
    DestroyUIContext(uiContext_);
    delete ownedString_;
    // The document events end their notice thread and free their copies while the
    // object they serve is whole.
    documentEvents_.reset();
}

void GDriverUI::SetDocumentEventsForTesting(std::unique_ptr<GDriverUIDocumentEvents> events)
{
    documentEvents_ = std::move(events);
}

GDriverUI::CallScope::~CallScope()
{
    if (ui_.onDemandHandle_) {
        ClosePrinter(ui_.onDemandHandle_);
        ui_.onDemandHandle_ = nullptr;
    }
}

void GDriverUI::NoteAgentAvailability(GObjectBase* settings)
{
    GValueAttribute* state = Feature<GValueAttribute>(settings, FeatureId::kAgentUpdateState);
    if (state)
        state->SetBool(GProviderRegistry::Instance().Count(GProviderRegistry::kFirstServiceBit) != 0);
}

GCacheKey* GDriverUI::GetIdentity() const
{
    return new (std::nothrow) PrinterIdentity(callerHandle_, GetPrinterName(), GetSecondName(), GetThirdName(), 0);
}

void GDriverUI::ResetForReuse(const GCacheKey& identity)
{
    GDriverObject::ResetForReuse(identity);
    if (const PrinterIdentity* printer = dynamic_cast<const PrinterIdentity*>(&identity))
        SetIdentity(*printer);
    ticket_ = 0;
}

int GDriverUI::SetIdentity(const PrinterIdentity& identity)
{
    callerHandle_ = identity.GetPrinterHandle();
    const RWWString& name = identity.GetPrinterName();
    const RWWString& mine = GetPrinterName();
    const bool same = name.Length() == mine.Length() &&
                      (name.Length() == 0 || std::wmemcmp(name.Data(), mine.Data(), name.Length()) == 0);
    if (!same) {
        DropDevModeObject();
        capabilities_->ForgetCustomSizeName();
    }
    SetIdentityStrings(name, identity.GetDriverName(), identity.GetPortName());
    return RefreshHostProcess();
}

int GDriverUI::RefreshHostProcess()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (std::wcscmp(path, hostPath_) == 0)
        return 0;
    std::wcscpy(hostPath_, path);
    InitAppFlags();
    return 1;
}

void GDriverUI::GetPrinterIdentity(RWWString& printerName, HANDLE& printer, uint32_t& word)
{
    printerName = GetPrinterName();
    printer = callerHandle_;
    word = 0;
}

uint16_t GDriverUI::MatchPaperSize(const std::vector<GSizePair>& papers, GSizePair size, uint32_t orientation)
{
    if (orientation == 90 || orientation == 270)
        std::swap(size.width, size.height);
    const auto within = [](uint32_t a, uint32_t b) { return (a > b ? a - b : b - a) <= 100; };
    for (size_t i = 0; i < papers.size(); ++i)
        if (within(papers[i].width, size.width) && within(papers[i].height, size.height))
            return uint16_t(i + 1);
    return 0;
}

int GDriverUI::QueryFeatureValue(uint16_t featureId, uint16_t& value)
{
    if (featureId == 0x4000) {
        value = 0x100;
        return 1;
    }
    uint16_t code = 0;
    if (featureId < 0x4000 && GetPoolKey(featureId, code) && code) {
        value = code;
        return 1;
    }
    // A form code: its size among the printer's papers, as the DEVMODE turns them.
    if (featureId <= 0x4000)
        return 0;
    uint32_t formCount = 0;
    FORM_INFO_1W* forms = EnumForms(formCount);
    const uint32_t position = uint32_t(featureId) - 0x4000;
    GSizePair size{0, 0};
    const bool found = forms && position < formCount;
    if (found)
        size = {uint32_t(forms[position].Size.cx), uint32_t(forms[position].Size.cy)};
    FreeForms(forms);
    GMediaPool* pool = GetMediaAttribute();
    GDriverDevMode* devMode = GetDevModeObject();
    if (!found || !pool || !devMode)
        return 0;
    std::vector<GSizePair> papers;
    const uint16_t x = devMode->GetXResolution(), y = devMode->GetYResolution();
    std::unique_ptr<GMediaIterator> it(pool->CreateMediaIterator(0, x, y, {0, 0}, {32767, 32767}));
    while (it && it->Next())
        if (GMedia* media = it->CurrentMedia())
            if (media->GetUnitsX() && media->GetUnitsY())
                papers.push_back({uint32_t(MulDiv(media->GetPaperSize().x, 25400, media->GetUnitsX())),
                                  uint32_t(MulDiv(media->GetPaperSize().y, 25400, media->GetUnitsY()))});
    GObjectBase* tree = devMode->GetSettingsTree();
    const uint32_t orientation = uint32_t(GDriverUICapabilities::SignedOf(tree, kOrientationDegrees, 0));
    const uint16_t index = MatchPaperSize(papers, size, orientation);
    if (!index)
        return 0;
    value = index;
    return 1;
}

uint16_t GDriverUI::NormalizePaperCode(GObjectBase*, uint16_t code) { return GDriverUIBase::NormalizePaperCode(code); }

namespace {

// Code page of the resource library -> character set of the UI font.
const struct {
    uint16_t codePage;
    uint8_t characterSet;
} kCharacterSets[] = {
    {874, 222}, {932, 128}, {936, 134}, {949, 129}, {950, 136}, {1200, 0},   {1252, 0},   {1250, 238},
    {1251, 204}, {1253, 161}, {1254, 162}, {1255, 177}, {1256, 178}, {1257, 186}, {1361, 130},
};
const uint8_t kOtherCharacterSet = 255;

// The faces the far-east code pages want, as 8-bit text in their own code page.
const struct {
    uint16_t codePage;
    const char* face;
} kFarEastFaces[] = {
    {932, "\x82\x6c\x82\x72 \x82\x6f\x96\xbe\x92\xa9"},  // MS P Mincho
    {936, "\xcb\xce\xcc\xe5"},                                 // SimSun
    {949, "\xb9\xd9\xc5\xc1"},                                 // Batang
    {950, "\xb7\x73\xb2\xd3\xa9\xfa\xc5\xe9"},             // PMingLiU
};

const uint32_t kFaceString = 11060;
const uint32_t kSizeString = 11077;

} // namespace

uint8_t GDriverUI::CharacterSetOf(uint16_t codePage)
{
    for (const auto& row : kCharacterSets)
        if (row.codePage == codePage)
            return row.characterSet;
    return kOtherCharacterSet;
}

const char* GDriverUI::FaceOf(uint16_t codePage)
{
    for (const auto& row : kFarEastFaces)
        if (row.codePage == codePage)
            return row.face;
    return nullptr;
}

GObjectBase* GDriverUI::GetUIFont()
{
    GObjectBase* settings = GetSettings();
    if (!settings)
        return nullptr;
    if (GObjectBase* group = Feature<GAttributeComposite>(settings, kUIFontGroup))
        return group;
    DriverResourceLibrary library(*this);
    wchar_t text[kQueryTextChars] = {};
    RWCString face = library.Load(kFaceString, text, int(kQueryTextChars)) ? RWWString(text).ToMultiByte()
                                                                            : RWCString("Arial");
    const int points = library.Load(kSizeString, text, int(kQueryTextChars)) ? _wtoi(text) : 0;
    uint16_t codePage = 0;
    RWWString path;
    GetResourceLibraryPath(path);
    DWORD ignored = 0;
    const DWORD size = path.Length() ? GetFileVersionInfoSizeW(path.Data(), &ignored) : 0;
    if (size && size <= (1u << 20)) {
        std::vector<uint8_t> block(size);
        void* translation = nullptr;
        UINT length = 0;
        if (GetFileVersionInfoW(path.Data(), 0, size, block.data()) &&
            VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &translation, &length) && length >= 4)
            codePage = static_cast<const uint16_t*>(translation)[1];
    }
    if (const char* farEast = FaceOf(codePage))
        face = RWCString(farEast);
    auto* group = new GAttributeComposite(kUIFontGroup);
    group->Add(new GStringAttribute(face, kUIFontFace));
    group->Add(new GValueAttribute(uint16_t(points), kUIFontSize));
    group->Add(new GValueAttribute(CharacterSetOf(codePage), kUIFontCharacterSet));
    settings->Add(group);
    return group;
}

HANDLE GDriverUI::GetPrinterHandle()
{
    if (useOwn_ == 1 && ownHandle_)
        return ownHandle_;
    if (callerHandle_)
        return callerHandle_;
    // Without a handle nothing stored could be read: the printer is opened by name, for
    // the length of the entry call.
    const RWWString& name = GetPrinterName();
    if (!onDemandHandle_ && name.Length()) {
        // Within an entry call, the handle the call opened by name for the identity.
        if (HANDLE shared = PrinterRecordScope::SharedHandle(name.Data()))
            return shared;
        if (!OpenPrinterW(const_cast<wchar_t*>(name.Data()), &onDemandHandle_, nullptr))
            onDemandHandle_ = nullptr;
    }
    return onDemandHandle_;
}

// ---- The own printer handle ----

int GDriverUI::OpenOwnPrinter()
{
    CloseOwnPrinter();
    const RWWString& name = GetPrinterName();
    ownHandle_ = name.Length() ? OpenPrinterWithAccess(name, kFullAccess) : nullptr;
    return ownHandle_ ? 1 : 0;
}

int GDriverUI::CloseOwnPrinter()
{
    if (ownHandle_)
        ClosePrinter(ownHandle_);
    ownHandle_ = nullptr;
    useOwn_ = 0;
    return 1;
}

void GDriverUI::UseOwnPrinter(uint32_t flag) { useOwn_ = flag == 1 && ownHandle_ ? 1 : 0; }

bool GDriverUI::MayChangePrinter()
{
    const RWWString& name = GetPrinterName();
    HANDLE probe = name.Length() ? OpenPrinterWithAccess(name, kFullAccess) : nullptr;
    if (probe)
        ClosePrinter(probe);
    return probe != nullptr;
}

int GDriverUI::UserWatermarksFor(int readOnly)
{
    uint32_t kind = 0, version = 0, build = 0;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetOSVersion(kind, version, build);
    return readOnly == 1 && (version >> 16) >= 5 ? 1 : 0;
}

int GDriverUI::EnsurePrinterDataWritable()
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return 0;
    if (services->SetPrinterDataString(this, L"RegWriteTestStr", L"RegWriteTestStr") == 1)
        return 1;
    if (ownHandle_ || !OpenOwnPrinter())
        return 0;
    UseOwnPrinter(1);
    if (services->SetPrinterDataString(this, L"RegWriteTestStr", L"RegWriteTestStr") == 1)
        return 1;
    CloseOwnPrinter();
    return 0;
}

bool GDriverUI::KeepsCaller()
{
    if (handleRights_ == kRightsUnknown)
        return true;
    callRights_ = MayChangePrinter() ? 0 : 1;
    return callRights_ == handleRights_;
}

int GDriverUI::CallerReadOnly()
{
    int readOnly = 0;
    // The first merge of an object may store the printer's missing settings: a caller
    // that can write does so through its own handle, or else through the own one.
    if (!GetCurrentSettings())
        readOnly = EnsurePrinterDataWritable() ? 0 : 1;
    else if (!ownHandle_)
        readOnly = callRights_ != kRightsUnknown ? callRights_ : (MayChangePrinter() ? 0 : 1);
    callRights_ = kRightsUnknown;
    handleRights_ = readOnly;
    return readOnly;
}

int GDriverUI::WritePrinterDefaultDevMode()
{
    GDriverDevMode* devMode = GetDevModeObject();
    // Defaults taken because the printer's record could not be read are not its default.
    if (!devMode || devMode->PrinterRecordUnread())
        return 0;
    HANDLE printer = GetPrinterHandle();
    if (!printer)
        return 0;
    DWORD needed = 0;
    ::GetPrinterW(printer, 2, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_2W) || needed > kLargestPrinterInfo)
        return 0;
    std::vector<uint8_t> record(needed);
    if (!::GetPrinterW(printer, 2, record.data(), needed, &needed))
        return 0;
    // While forms are assigned to trays, the printer's default names a paper it offers.
    OfferAssignedPaper();
    std::vector<uint8_t> bytes(GDevModeBase::kTotalSize, 0);
    if (!devMode->CopyOut(reinterpret_cast<DEVMODEW*>(bytes.data())))
        return 0;
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(record.data());
    info->pDevMode = reinterpret_cast<DEVMODEW*>(bytes.data());
    info->pSecurityDescriptor = nullptr;
    SetLastError(0);
    const BOOL written = ::SetPrinterW(printer, 2, record.data(), 0);
    PrinterRecordScope::Forget();
    return written ? 1 : 0;
}

// ---- Conversion ----

BOOL GDriverUI::ConvertDevMode(LPWSTR printerName, PDEVMODEW input, PDEVMODEW output, PLONG needed, DWORD mode)
{
    CallScope scope(*this);
    if (mode != CDM_CONVERT && mode != CDM_CONVERT351 && mode != CDM_DRIVER_DEFAULT)
        return FALSE;
    // The size pointer is read and written by every mode; an input is read by its header
    // before anything else happens, and a refused one leaves everything as it was.
    if (!needed || (input && !IsHeaderSound(input))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!ReplaceDevModeObject())
        return FALSE;
    GDriverDevMode* devMode = GetDevModeObject();
    const uint32_t report = GetDevModeSize(0);
    if (mode == CDM_CONVERT) {
        // The output's validity test reads no more than the caller says it holds.
        const bool outputReadable = output && uint32_t(*needed) >= GDevModeBase::kPackedAt;
        if (!input || !devMode->IsValidDevMode(input) || !outputReadable || !devMode->IsValidDevMode(output)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    }
    if (*needed < LONG(report)) {
        *needed = LONG(report);
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }

    DWORD error = 0;
    bool failed = false;
    const HANDLE caller = callerHandle_;
    // Converting only reads: any user may use the printer. More access is asked only
    // around the writes of a default made afresh, and a refusal means that nothing is
    // stored, not that the conversion failed.
    const RWWString name = printerName ? RWWString(printerName) : GetPrinterName();
    HANDLE printer = name.Length() ? OpenPrinterWithAccess(name, PRINTER_ACCESS_USE) : nullptr;
    if (!printer)
        failed = true;
    callerHandle_ = printer;

    // A default is made afresh and stored only for a printer read and found to hold
    // none of this driver's. One whose record could not be read keeps its own, and the
    // conversion answers from the driver's defaults.
    const bool loaded = devMode->LoadPrinterDevMode(printer) != 0;
    // The printer's default as stored may predate what is installed now, or carry fields
    // another tool wrote: what is handed out passes the print-time check.
    if (loaded) {
        OfferAssignedPaper();
        devMode->FollowInstalledState();
    }
    if (!printer) {
        failed = true;
    } else if (!loaded && !devMode->PrinterRecordUnread()) {
        std::unique_ptr<GObjectBase> tree(LoadStoredSettings());
        HANDLE writer = printer ? OpenPrinterWithAccess(name, kFullAccess) : nullptr;
        if (writer)
            callerHandle_ = writer;
        if (tree)
            RefreshStaleDefaults(tree.get());
        if (tree && CommitSettings(tree.get(), 0))
            WritePrinterDefaultDevMode();
        else
            failed = true;
        callerHandle_ = printer;
        if (writer)
            ClosePrinter(writer);
    }
    if (input && (mode == CDM_CONVERT || mode == CDM_CONVERT351) && !MergeIntoCurrent(input)) {
        failed = true;
        error = ERROR_INVALID_PARAMETER;
    }
    if (!failed && output) {
        if (devMode->CopyOut(output))
            *needed = LONG(report);
        else
            failed = true;
    }

    if (printer)
        ClosePrinter(printer);
    callerHandle_ = caller;
    if (failed && error)
        SetLastError(error);
    return failed ? FALSE : TRUE;
}

HANDLE GDriverUI::OpenPrinterWithAccess(const RWWString& name, DWORD access)
{
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, access};
    if (!OpenPrinterW(const_cast<wchar_t*>(name.Data()), &printer, &defaults))
        return nullptr;
    return printer;
}

// ---- The print-time query ----

uint16_t GDriverUI::MismatchMessageId(uint32_t mismatch)
{
    for (const auto& row : kMismatchMessages)
        if (row.mismatch == mismatch)
            return row.message;
    return kInvalidDevModeMessage;
}

RWWString GDriverUI::LoadResourceString(uint32_t id)
{
    DriverResourceLibrary library(*this);
    wchar_t text[kQueryTextChars] = {};
    library.Load(id, text, int(kQueryTextChars));
    return RWWString(text);
}

BOOL GDriverUI::DevQueryPrintEx(PDEVQUERYPRINT_INFO info)
{
    CallScope scope(*this);
    if (!info || info->cbSize != sizeof(DEVQUERYPRINT_INFO) || info->Level != 1 || !info->hPrinter)
        return FALSE;
    if (!info->pDevMode)
        return TRUE;
    // A printer whose record could not be read is judged by the driver's defaults and the
    // device settings it stores. A job that cannot be judged at all is held as invalid:
    // never without a message.
    const bool judged = MergeForReading(nullptr) && CurrentSettings();
    if (judged)
        ApplyStoredMaps(nullptr);
    uint32_t mismatch = 0;
    // A DEVMODE whose header does not hold together is never read: it is invalid.
    if (judged && IsHeaderSound(info->pDevMode)) {
        std::vector<uint8_t> local(GDevModeBase::kTotalSize + 0x10000, 0);
        const uint32_t claimed = uint32_t(info->pDevMode->dmSize) + info->pDevMode->dmDriverExtra;
        std::memcpy(local.data(), info->pDevMode, claimed);
        if (GetDevModeObject()->CheckDevMode(nullptr, reinterpret_cast<DEVMODEW*>(local.data()), 1, mismatch) == 1)
            return TRUE;
    }
    // The message goes through a fixed work buffer, then into the caller's, cut to fit
    // and always terminated.
    wchar_t text[kQueryTextChars] = {};
    DriverResourceLibrary library(*this);
    const int length = library.Load(MismatchMessageId(mismatch), text, int(kQueryTextChars));
    info->cchNeeded = length > 0 ? DWORD(length) + 1 : 2;
    const DWORD room = info->cchErrorStr & 0x7FFFFFFF;
    if (info->pszErrorStr && room) {
        const size_t copied = std::min<size_t>(size_t(std::max(length, 0)), room - 1);
        std::memcpy(info->pszErrorStr, text, copied * sizeof(wchar_t));
        info->pszErrorStr[copied] = 0;
    }
    return FALSE;
}

GObjectBase* GDriverUI::CurrentSettings(bool reload)
{
    if (reload || !GetSettings() || (GetStateWord() & kSettingsStale))
        SetSettings(LoadStoredSettings());
    return GetSettings();
}


// ---- The UI context and the rest ----

UIContextRecord* GDriverUI::CreateUIContext()
{
    auto* record = new (std::nothrow) UIContextRecord();
    GOSFactory* services = GOSFactory::Instance();
    if (!record || !services) {
        delete record;
        return nullptr;
    }
    record->size = sizeof(UIContextRecord);
    record->driverUI = static_cast<GDriverObjectImp*>(this);
    record->osVersion = new (std::nothrow) uint32_t[3];
    if (record->osVersion)
        services->GetOSVersion(record->osVersion[0], record->osVersion[1], record->osVersion[2]);
    record->settings = LoadStoredSettings();
    NoteAgentAvailability(record->settings);
    record->printer = GetPrinter();
    record->moduleHandle = services->GetModuleHandle();
    record->applied = 2;
    if (!record->settings || !record->osVersion) {
        DestroyUIContext(record);
        return nullptr;
    }
    return record;
}

void GDriverUI::DestroyUIContext(UIContextRecord* record)
{
    if (!record)
        return;
    delete[] record->osVersion;
    delete record->settings;
    delete record;
}

int GDriverUI::CheckMediaNames()
{
    DriverResourceLibrary library(*this);
    if (!library.Get())
        return 0;
    GResourceMappingList* pool = GetIdPool();
    if (!pool)
        return 0;
    std::unique_ptr<GObjectIterator> it(pool->CreateIterator());
    while (it && it->Next()) {
        auto* mapping = dynamic_cast<GResourceMapping*>(it->Current());
        wchar_t text[kQueryTextChars];
        if (mapping && !library.Load(mapping->GetResource(), text, int(kQueryTextChars)))
            return 0;
    }
    return 1;
}

RWWString GDriverUI::GetResourceModuleName()
{
    wchar_t path[MAX_PATH] = {};
    GOSFactory* services = GOSFactory::Instance();
    const DWORD length = services ? GetModuleFileNameW(reinterpret_cast<HMODULE>(uintptr_t(services->GetModuleHandle())),
                                                       path, MAX_PATH)
                                  : 0;
    if (!length || length >= MAX_PATH)
        return RWWString();
    const wchar_t* slash = std::wcsrchr(path, L'\\');
    return RWWString(slash ? slash + 1 : path);
}

UIContextRecord* GDriverUI::OpenSheet()
{
    ReleaseSheet();
    uiContext_ = CreateUIContext();
    if (uiContext_)
        sheetGlue_ = new GCPSOSUI();
    return uiContext_;
}

void GDriverUI::ReleaseSheet()
{
    if (sheetGlue_) {
        sheetGlue_->FreePage(uiContext_);
        delete sheetGlue_;
        sheetGlue_ = nullptr;
    }
    DestroyUIContext(uiContext_);
    uiContext_ = nullptr;
}

bool GDriverUI::HostIsExplorer() const
{
    wchar_t upper[MAX_PATH] = {};
    for (size_t i = 0; i + 1 < MAX_PATH && hostPath_[i]; ++i)
        upper[i] = wchar_t(towupper(hostPath_[i]));
    return std::wcsstr(upper, L"EXPLORER.EXE") != nullptr;
}

// ---- What the object keeps with the printer ----

int GDriverUI::RefreshStaleDefaults(GObjectBase* tree)
{
    int32_t inUse = 0;
    if (!tree || !GDriverObject::NumberOf(tree, kDeviceModelConfig, inUse) || inUse != 1)
        return 0;
    GValueAttribute* target = Feature<GValueAttribute>(tree, kWatermarkList);
    GValueAttribute* source = Feature<GValueAttribute>(tree, kPrinterLists);
    if (target && source)
        target->SetValue(source->GetValue());
    if (GOSFactory* services = GOSFactory::Instance())
        services->SetPrinterDataString(this, kStaleValue, L"FALSE");
    GDriverDMCConfig update(tree, this);
    update.Update(GetPrinterName(), 0);
    return 1;
}

uint32_t GDriverUI::PluginConfigToSettings(uint32_t argument)
{
    const uint32_t answer = QueryTwo(argument, 0);
    if (answer != 0 || argument != 0)
        return answer;
    GDriverObject* driver = static_cast<GDriverObjectImp*>(this);
    GOSFactory* services = GOSFactory::Instance();
    GUIData data = {};
    data.size = sizeof(GUIData);
    data.driverUI = driver;
    data.settings = driver->GetSettings();
    data.printer = GetPrinter();
    data.moduleHandle = services ? services->GetModuleHandle() : 0;
    data.printerName = GCPSOSUI::CopyName(GetPrinterName().Data());
    data.driverName = GCPSOSUI::CopyName(GetSecondName().Data());
    data.portName = GCPSOSUI::CopyName(GetThirdName().Data());
    int16_t result = 0;
    {
        GCPSOSUI glue;
        result = glue.ConfigToSettings(&data);
    }
    std::free(data.printerName);
    std::free(data.driverName);
    std::free(data.portName);
    return result != 0 ? 1 : 0;
}

// ---- The entry points ----

LONG GDriverUI::DocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                   PDEVMODEW input, DWORD mode)
{
    CallScope scope(*this);
    return documentSheet_->DocumentProperties(window, printer, deviceName, output, input, mode);
}

LONG GDriverUI::AdvancedDocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                           PDEVMODEW input)
{
    CallScope scope(*this);
    return documentSheet_->AdvancedDocumentProperties(window, printer, deviceName, output, input);
}

LONG GDriverUI::DocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter)
{
    CallScope scope(*this);
    return documentSheet_->DocumentPropertySheets(info, parameter);
}

LONG GDriverUI::DevicePropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter)
{
    CallScope scope(*this);
    return deviceSheet_->DevicePropertySheets(info, parameter);
}

BOOL GDriverUI::PrinterProperties(HWND window, HANDLE printer)
{
    return deviceSheet_->PrinterProperties(window, printer);
}

DWORD GDriverUI::DeviceCapabilities(HANDLE, LPWSTR, WORD capability, PVOID output, PDEVMODEW devMode)
{
    CallScope scope(*this);
    return capabilities_->DeviceCapabilities(capability, output, devMode);
}

BOOL GDriverUI::UpgradePrinter(DWORD level, LPBYTE info)
{
    CallScope scope(*this);
    return upgrade_->UpgradePrinter(level, info);
}

BOOL GDriverUI::PrinterEvent(LPWSTR printerName, INT event, DWORD flags, LPARAM)
{
    CallScope scope(*this);
    return printerEvents_->PrinterEvent(printerName, event, flags);
}

INT GDriverUI::DocumentEvent(HANDLE, HDC dc, INT escape, ULONG inputSize, PVOID input, ULONG outputSize, PVOID output)
{
    return documentEvents_->DocumentEvent(dc, escape, inputSize, input, outputSize, output);
}

// Registers (flags 0) or unregisters an extension module with the printer: the core's
// registration works on fresh settings made from the defaults, and what it changed is
// committed (printer data and DEVMODE) and made the printer's default DEVMODE, so that the
// extension's default settings and paper handling outlive this process.
uint32_t GDriverUI::RegisterExtension(const char* moduleName, uint32_t flags)
{
    CallScope scope(*this);
    if (!GetCurrentSettings())
        EnsurePrinterDataWritable();
    const RWWString name(moduleName ? moduleName : "", RWWString::multiByte);
    // The registration reads the printer's stores and commits them again as one change:
    // a registration made meanwhile by another process is read, never written over. One
    // that cannot have the stores' lock does not happen, and says why.
    std::unique_ptr<GPrinterStores::Change> change(name.Length() != 0 ? ChangeStores() : nullptr);
    int status = kExtensionBusy;
    if (name.Length() != 0 && !change) {
        status = StoresRefused() ? kExtensionRefused : kExtensionBusy;
    } else {
        MergeDevModeIntoSettings(nullptr);
        SetSettings(CreateSettings());
        status = GDriverObject::RegisterExtension(name, flags);
        // A registration that the printer's stores did not take did not happen.
        if (name.Length() != 0 && status == 0) {
            if (CommitSettings(GetSettings(), 1))
                WritePrinterDefaultDevMode();
            else
                status = kExtensionUnavailable;
        }
    }
    change.reset();
    if (ownHandle_) {
        UseOwnPrinter(0);
        CloseOwnPrinter();
    }
    return uint32_t(status) & 0xFFFF;
}
