#include "entry/driverui/GDriverUI.h"
#include "printer/PrinterRecordScope.h"

#include "entry/module/DocumentEventRecord.h"
#include "entry/module/GUIOSFactory.h"
#include "printer/PrinterIdentity.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GDisplayString.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GProviderRegistry.h"
#include "model/GRangeAttribute.h"
#include "model/GResourceMapping.h"
#include "model/GResourceMappingList.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GFormToTrayDatabase.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"
#include "printer/GOSFactory.h"
#include "printer/GTray.h"
#include "graphics/GDeviceFontListComposite.h"
#include "settings/devmode/GDriverDevMode.h"

#include <rpc.h>
#include <time.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <vector>

namespace {

using namespace FeatureId;

const LONG kRefused = -1;
const uint32_t kExtensionUnsupported = 5;
const uint32_t kPublicOnlyApplications = 0x40100;
const DWORD kFullAccess = 0xF000C;  // PRINTER_ALL_ACCESS
const DWORD kLargestPrinterInfo = 1u << 20;
// The private mode of the no-sheet road that leaves a marked area after the public part.
const DWORD kMarkedCopyMode = 0x100A;
const uint32_t kMarkedAreaSize = 152;
const uint32_t kMarker = 0x515A515A;
// The private capability index and its record.
const WORD kHelpRecordIndex = 0x5A51;
const uint32_t kHelpRecordSize = 1538;
const size_t kHelpTextSize = 512;
const uint16_t kFormSourceBin = 15;
const wchar_t kFormSelect[] = L"Form Select";
const size_t kPaperNameChars = 64;
const size_t kBinNameChars = 24;
const uint32_t kCustomSizeString = 10120;
const size_t kQueryTextChars = 256;

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

int16_t SignedOf(GObjectBase* holder, long id, int16_t fallback)
{
    if (GValueAttribute* value = GDriverObject::Feature<GValueAttribute>(holder, id))
        return int16_t(value->GetValue());
    if (GRangeAttribute* range = GDriverObject::Feature<GRangeAttribute>(holder, id))
        return range->GetValue();
    return fallback;
}

// The resource library, loaded as data for the length of one answer.
class ResourceLibrary {
public:
    explicit ResourceLibrary(GDriverUIBase& ui)
    {
        RWWString path;
        ui.GetResourceLibraryPath(path);
        module_ = path.Length() ? LoadLibraryExW(path.Data(), nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr;
    }
    ~ResourceLibrary()
    {
        if (module_)
            FreeLibrary(module_);
    }
    ResourceLibrary(const ResourceLibrary&) = delete;
    ResourceLibrary& operator=(const ResourceLibrary&) = delete;
    HMODULE Get() const { return module_; }
    // The string into the room, at most room - 1 characters and terminated: its length,
    // 0 when it cannot be loaded (the room then empty).
    int Load(uint32_t id, wchar_t* room, int chars) const
    {
        if (!room || chars <= 0)
            return 0;
        room[0] = 0;
        return module_ ? LoadStringW(module_, id, room, chars) : 0;
    }

private:
    HMODULE module_;
};

} // namespace

GDriverUI::GDriverUI(const PrinterIdentity& identity)
    : GDriverObject(identity.GetPrinterName(), identity.GetDriverName(), identity.GetPortName()), GDriverUIBase(),
      GDriverObjectImp(), callerHandle_(identity.GetPrinterHandle()), ownHandle_(nullptr), useOwn_(0),
      onDemandHandle_(nullptr), paperCount_(0), hostPath_(), uiContext_(nullptr), sheetGlue_(nullptr),
      pageCount_(0), drawMode_(0), drawSuppressed_(0), ownedString_(nullptr), ticket_(0)
{
    GetModuleFileNameW(nullptr, hostPath_, MAX_PATH);
    ksHolder_ = new (std::nothrow) GKsJobPluginHolder();
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
    JoinJobNotice();
    delete ksHolder_;
    FreeOwnCopies();
    delete watermark_;
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
        ownHandleOpens_ = -1;
        customSizeNameRead_ = false;
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
    const uint16_t index = MatchPaperSize(papers, size, uint32_t(SignedOf(tree, kOrientationDegrees, 0)));
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
    ResourceLibrary library(*this);
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
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, kFullAccess};
    const RWWString& name = GetPrinterName();
    if (!name.Length() || !OpenPrinterW(const_cast<wchar_t*>(name.Data()), &ownHandle_, &defaults)) {
        ownHandle_ = nullptr;
        return 0;
    }
    return 1;
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

int GDriverUI::WritePrinterDefaultDevMode()
{
    GDriverDevMode* devMode = GetDevModeObject();
    HANDLE printer = GetPrinterHandle();
    if (!devMode || !printer)
        return 0;
    DWORD needed = 0;
    ::GetPrinterW(printer, 2, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_2W) || needed > kLargestPrinterInfo)
        return 0;
    std::vector<uint8_t> record(needed);
    if (!::GetPrinterW(printer, 2, record.data(), needed, &needed))
        return 0;
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

// ---- Document properties without a sheet ----

LONG GDriverUI::DocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                   PDEVMODEW input, DWORD mode)
{
    CallScope scope(*this);
    if (mode && output) {
        const LONG result = DocumentPropertiesCore(window, printer, deviceName, output, input, mode);
        return result > 0 ? IDOK : result == 0 ? IDCANCEL : result;
    }
    return LONG(GetDevModeSize(1));
}

LONG GDriverUI::AdvancedDocumentProperties(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                           PDEVMODEW input)
{
    CallScope scope(*this);
    if (!output)
        return LONG(GetDevModeSize(1));
    return DocumentPropertiesCore(window, printer, deviceName, output, input, DM_COPY | DM_PROMPT | DM_ADVANCED) > 0
               ? 1
               : 0;
}

LONG GDriverUI::DocumentPropertiesCore(HWND window, HANDLE printer, LPWSTR deviceName, PDEVMODEW output,
                                       PDEVMODEW input, DWORD mode)
{
    DOCUMENTPROPERTYHEADER header = {};
    header.cbSize = sizeof header;
    header.hPrinter = printer;
    header.pszPrinterName = deviceName;
    header.pdmIn = input;
    header.pdmOut = output;
    header.fMode = mode;
    if (mode & DM_PROMPT)
        return RunDocumentSheet(window, header);
    return DocumentPropertiesNoUI(header);
}

LONG GDriverUI::DocumentPropertiesNoUI(const DOCUMENTPROPERTYHEADER& header)
{
    const DWORD mode = header.fMode;
    DEVMODEW* output = header.pdmOut;
    if (mode == 0 || !output)
        return LONG(GetDevModeSize(1));
    // A DEVMODE whose header does not hold together is refused, not read.
    if (!MergeDevModeIntoSettings((mode & (DM_PROMPT | DM_MODIFY)) ? header.pdmIn : nullptr))
        return kRefused;
    LONG result = 1;
    if (mode & (DM_UPDATE | DM_COPY))
        if (!GetDevModeObject() || !GetDevModeObject()->CopyOut(output))
            result = 0;
    // The marked area: only after a good copy, never for a public-only copy (the buffer
    // may hold 220 bytes), and only inside a DEVMODE of this driver's size.
    if (mode == kMarkedCopyMode && result == 1 && !(GetAppFlags() & kPublicOnlyApplications) &&
        uint32_t(output->dmSize) + kMarkedAreaSize <= GDevModeBase::kTotalSize) {
        uint8_t* bytes = reinterpret_cast<uint8_t*>(output);
        const uint32_t size = output->dmSize;
        output->dmDriverExtra = WORD(std::max(GDevModeBase::kTotalSize - size, kMarkedAreaSize));
        std::memset(bytes + size, 0, kMarkedAreaSize);
        const uint16_t length = uint16_t(kMarkedAreaSize);
        std::memcpy(bytes + size, &kMarker, sizeof kMarker);
        std::memcpy(bytes + size + sizeof kMarker, &length, sizeof length);
    }
    return result;
}

LONG GDriverUI::DocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter)
{
    CallScope scope(*this);
    const DOCUMENTPROPERTYHEADER* header = reinterpret_cast<const DOCUMENTPROPERTYHEADER*>(
        info ? info->lParamInit : parameter);
    if (!header || header->cbSize < sizeof(DOCUMENTPROPERTYHEADER))
        return kRefused;

    int readOnly = 1;
    if (!GetCurrentSettings()) {
        if (EnsurePrinterDataWritable())
            readOnly = 0;
    } else if (!ownHandle_) {
        if (ownHandleOpens_ < 0) {
            ownHandleOpens_ = OpenOwnPrinter() ? 1 : 0;
            CloseOwnPrinter();
        }
        if (ownHandleOpens_ == 1)
            readOnly = 0;
    } else {
        readOnly = 0;
    }
    uint32_t kind = 0, version = 0, build = 0;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetOSVersion(kind, version, build);
    SetUserWatermarkSwitch(readOnly == 1 && (version >> 16) >= 5 ? 1 : 0);
    if (info)
        return DocumentSheet(info, parameter, *header, readOnly, version >> 16);

    const LONG result = DocumentPropertiesNoUI(*header);
    if (ownHandle_) {
        UseOwnPrinter(0);
        CloseOwnPrinter();
    }
    return result;
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

    if (!devMode->LoadPrinterDevMode(printer)) {
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
    ResourceLibrary library(*this);
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
    if (!MergeDevModeIntoSettings(nullptr) || !CurrentSettings())
        return FALSE;
    ApplyStoredMaps(nullptr);
    uint32_t mismatch = 0;
    // A DEVMODE whose header does not hold together is never read: it is invalid.
    if (IsHeaderSound(info->pDevMode)) {
        std::vector<uint8_t> local(GDevModeBase::kTotalSize + 0x10000, 0);
        const uint32_t claimed = uint32_t(info->pDevMode->dmSize) + info->pDevMode->dmDriverExtra;
        std::memcpy(local.data(), info->pDevMode, claimed);
        if (GetDevModeObject()->CheckDevMode(nullptr, reinterpret_cast<DEVMODEW*>(local.data()), 1, mismatch) == 1)
            return TRUE;
    }
    // The message goes through a fixed work buffer, then into the caller's, cut to fit
    // and always terminated.
    wchar_t text[kQueryTextChars] = {};
    ResourceLibrary library(*this);
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

// ---- Device capabilities ----

DWORD GDriverUI::DeviceCapabilities(HANDLE, LPWSTR, WORD capability, PVOID output, PDEVMODEW devMode)
{
    CallScope scope(*this);
    if (!MergeDevModeIntoSettings(devMode) || !GetDevModeObject())
        return GDI_ERROR;
    return Capability(capability, output);
}

DWORD GDriverUI::Capability(WORD capability, PVOID output)
{
    const DEVMODEW* held = GetDevModeObject()->GetDevMode();
    GConfiguration* configuration = GetPrinterConfiguration();
    switch (capability) {
    case DC_FIELDS:
        return held->dmFields;
    case DC_PAPERS:
        return EnumPapers(nullptr, static_cast<WORD*>(output), nullptr);
    case DC_PAPERSIZE:
        return EnumPapers(nullptr, nullptr, static_cast<POINT*>(output));
    case DC_PAPERNAMES:
        return EnumPapers(static_cast<wchar_t*>(output), nullptr, nullptr);
    case DC_MINEXTENT:
        return Extent(kSmallestMedia);
    case DC_MAXEXTENT:
        return Extent(kLargestMedia);
    case DC_BINS:
        return Bins(static_cast<WORD*>(output), nullptr);
    case DC_BINNAMES:
        return Bins(nullptr, static_cast<wchar_t*>(output));
    case DC_DUPLEX:
        return Duplex();
    case DC_SIZE:
        return held->dmSize;
    case DC_EXTRA:
        return GetAppFlags() & kPublicOnlyApplications ? 0 : held->dmDriverExtra;
    case DC_VERSION:
        return held->dmSpecVersion;
    case DC_DRIVER:
        return held->dmDriverVersion;
    case DC_ENUMRESOLUTIONS:
        return Resolutions(static_cast<LONG*>(output));
    case DC_FILEDEPENDENCIES:
        if (output)
            static_cast<wchar_t*>(output)[0] = 0;
        return 0;
    case DC_TRUETYPE:
        return 0;
    case DC_ORIENTATION: {
        GObjectBase* tree = GetDevModeObject()->GetSettingsTree();
        GObjectBase* node = tree ? tree->FindById(kOrientationDegrees) : nullptr;
        const uint16_t value = node ? uint16_t(SignedOf(tree, kOrientationDegrees, 0)) : 0;
        return OrientationAnswer(node ? &value : nullptr);
    }
    case DC_COPIES: {
        GRangeAttribute* copies = Feature<GRangeAttribute>(configuration, kCopiesRange);
        return copies ? DWORD(int32_t(copies->GetMaximum())) : 0;
    }
    case DC_COLLATE:
        return SignedOf(configuration, kCollationSwitch, 0) == 1 ? 1 : 0;
    case DC_COLORDEVICE:
        return SignedOf(configuration, kColorDevice, 0) == 1 ? 1 : 0;
    case kHelpRecordIndex:
        if (output) {
            uint8_t* record = static_cast<uint8_t*>(output);
            std::memset(record, 0, kHelpRecordSize);
            const uint16_t tag = kHelpRecordIndex + 1;
            std::memcpy(record, &tag, sizeof tag);
            std::strncpy(reinterpret_cast<char*>(record + 2), "QZGDI6", kHelpTextSize - 1);
            std::strncpy(reinterpret_cast<char*>(record + 2 + kHelpTextSize), "syshnts.hlp", kHelpTextSize - 1);
            std::strncpy(reinterpret_cast<char*>(record + 2 + 2 * kHelpTextSize), "hints_system", kHelpTextSize - 1);
        }
        return kHelpRecordSize;
    default:
        return GDI_ERROR;
    }
}

GObjectBase* GDriverUI::CurrentSettings(bool reload)
{
    if (reload || !GetSettings() || (GetStateWord() & kSettingsStale))
        SetSettings(LoadStoredSettings());
    return GetSettings();
}

DWORD GDriverUI::OrientationAnswer(const uint16_t* value)
{
    if (!value)
        return 0;
    return *value == 270 || *value == 180 ? 270 : 90;
}

DWORD GDriverUI::PackExtent(uint16_t width, uint16_t length, uint16_t xUnits, uint16_t yUnits)
{
    if (!xUnits || !yUnits)
        return GDI_ERROR;
    const int x = MulDiv(width, 254, xUnits), y = MulDiv(length, 254, yUnits);
    if (x < 0 || y < 0 || x >= 65535 || y >= 65535)
        return 0;
    return DWORD(uint16_t(x)) | DWORD(uint16_t(y)) << 16;
}

DWORD GDriverUI::Extent(uint16_t mediaId)
{
    GMediaPool* pool = GetMediaAttribute();
    GDriverDevMode* devMode = GetDevModeObject();
    GMedia* media = pool ? pool->FindMedia(mediaId, 0, devMode->GetXResolution(), devMode->GetYResolution()) : nullptr;
    if (!media)
        return GDI_ERROR;
    return PackExtent(media->GetPaperSize().x, media->GetPaperSize().y, media->GetUnitsX(), media->GetUnitsY());
}

DWORD GDriverUI::Duplex()
{
    GObjectBase* tree = CurrentSettings(true);
    GObjectBase* device = tree ? tree->FindById(kDeviceSettings) : nullptr;
    if (!device)
        return 0;
    if (SignedOf(device, kDuplexUnit, 0))
        return 1;
    return SignedOf(device, kDuplexFallback, 0) ? 1 : 0;
}

DWORD GDriverUI::Resolutions(LONG* pairs)
{
    GConfiguration* configuration = GetPrinterConfiguration();
    if (!configuration)
        return GDI_ERROR;
    const bool alternate = SignedOf(CurrentSettings(), kResolutionChoice, 0) == 2;
    GObjectBase* list = configuration->FindById(alternate ? kAlternateResolutionList : kResolutionList);
    if (!list)
        return GDI_ERROR;
    std::unique_ptr<GObjectIterator> it(list->CreateIterator());
    LONG lastX = 0, lastY = 0;
    DWORD count = 0;
    while (it && it->Next()) {
        GObjectBase* entry = it->Current();
        if (!entry)
            continue;
        LONG x, y;
        if (entry->FindById(kSingleResolution)) {
            if (GetAppFlags() & 0x20000000)
                return GDI_ERROR;
            x = y = SignedOf(entry, kSingleResolution, 0);
        } else {
            x = SignedOf(entry, kResolutionX, 0);
            y = SignedOf(entry, kResolutionY, 0);
        }
        if (x == lastX && y == lastY)
            continue;
        lastX = x, lastY = y;
        if (pairs)
            pairs[2 * count] = x, pairs[2 * count + 1] = y;
        ++count;
    }
    return count;
}

namespace {

struct BinWalk {
    WORD* numbers;
    wchar_t* names;
    DWORD count;
    const ResourceLibrary* library;
};

int WriteBin(GObjectBase* entry, GResourceMapping* mapping, int32_t, void* context, int32_t* matched)
{
    auto* walk = static_cast<BinWalk*>(context);
    if (!entry || !entry->IsKindOf(GTray::kClassId))
        return 1;
    GTray* tray = static_cast<GTray*>(entry);
    if (walk->numbers)
        walk->numbers[walk->count] = mapping ? WORD(mapping->GetFirstCode()) : WORD(tray->GetTrayId());
    if (walk->names) {
        // A blank, then the name cut to fill the 24-character slot.
        wchar_t* slot = walk->names + walk->count * kBinNameChars;
        std::memset(slot, 0, kBinNameChars * sizeof(wchar_t));
        slot[0] = L' ';
        const GDisplayString& display = tray->GetDisplayString();
        if (display.GetText().Length()) {
            const RWWString name(display.GetText());
            std::wcsncpy(slot + 1, name.Data(), kBinNameChars - 1);
        } else if (walk->library) {
            // The name from the resource library, terminated only when shorter.
            wchar_t text[kBinNameChars + 1] = {};
            walk->library->Load(display.GetStringId(), text, int(kBinNameChars));
            std::wcsncpy(slot + 1, text, kBinNameChars - 1);
        }
    }
    ++walk->count;
    *matched = 1;
    return 1;
}

// The rebuilt pool's entries: the mapping's first code, and its resource string (or the
// entry's own name) from the slot's first character.
int WriteMappedBin(GResourceMapping* mapping, int32_t, void* context, int32_t* matched, const RWWString* text)
{
    auto* walk = static_cast<BinWalk*>(context);
    if (walk->numbers)
        walk->numbers[walk->count] = mapping ? WORD(mapping->GetFirstCode()) : 0;
    if (walk->names) {
        wchar_t* slot = walk->names + walk->count * kBinNameChars;
        std::memset(slot, 0, kBinNameChars * sizeof(wchar_t));
        if (mapping && mapping->GetResource()) {
            wchar_t loaded[kBinNameChars] = {};
            walk->library->Load(mapping->GetResource(), loaded, int(kBinNameChars));
            std::wcsncpy(slot, loaded, kBinNameChars - 1);
        } else if (text && text->Data()) {
            std::wcsncpy(slot, text->Data(), kBinNameChars);
        }
    }
    ++walk->count;
    *matched = 1;
    return 1;
}

} // namespace

DWORD GDriverUI::Bins(WORD* numbers, wchar_t* names)
{
    GObjectBase* settings = CurrentSettings();
    GFormToTrayDatabase* table = Feature<GFormToTrayDatabase>(settings, kFormToTrayTable);
    if (table && table->IsCustomized()) {
        if (numbers)
            numbers[0] = kFormSourceBin;
        if (names) {
            std::memset(names, 0, kBinNameChars * sizeof(wchar_t));
            std::wcsncpy(names, kFormSelect, kBinNameChars - 1);
        }
        return 1;
    }
    ApplyStoredMaps(nullptr);
    ResourceLibrary library(*this);
    if (names && !library.Get())
        return GDI_ERROR;
    BinWalk walk = {numbers, names, 0, &library};
    int32_t counter = 0;
    // A device that asks for it gets its pool rebuilt from the state instead.
    if (SignedOf(settings ? settings->FindById(kDeviceSettings) : nullptr, kRebuildBinPool, 0) == 1)
        BuildPool(&WriteMappedBin, &walk, 1, counter);
    else
        ForEachPoolEntry(&WriteBin, &walk, 1, counter);
    return walk.count ? walk.count : GDI_ERROR;
}

void GDriverUI::FreePaperCache()
{
    paperCount_ = 0;
    paperNames_.clear();
    paperCodes_.clear();
    paperSizes_.clear();
}

DWORD GDriverUI::EnumPapers(wchar_t* names, WORD* codes, POINT* sizes)
{
    if (GetStateWord() & kPaperCacheStale) {
        SetStateWord(GetStateWord() & ~kPaperCacheStale);
        FreePaperCache();
        GDriverDevMode* devMode = GetDevModeObject();
        const uint16_t x = devMode->GetXResolution(), y = devMode->GetYResolution();
        const uint32_t angle = devMode->GetDevMode()->dmOrientation == DMORIENT_PORTRAIT ? 0 : 90;
        uint32_t formCount = 0;
        FORM_INFO_1W* forms = EnumForms(formCount);
        GObjectBase* settings = CurrentSettings();
        const int check = SignedOf(settings, kLooseFormFit, 0) == 0 ? 1 : 0;
        GFormToTrayDatabase* table = Feature<GFormToTrayDatabase>(settings, kFormToTrayTable);
        const bool customized = table && table->IsCustomized();
        if (forms) {
            paperNames_.assign((formCount + 1) * kPaperNameChars, 0);
            paperCodes_.assign(formCount + 1, 0);
            paperSizes_.assign(formCount + 1, POINT{0, 0});
        }
        for (uint32_t i = 0; forms && i < formCount; ++i) {
            const FORM_INFO_1W& form = forms[i];
            if (!SizeFitsDevice(angle, x, y, check, uint32_t(form.Size.cx), uint32_t(form.Size.cy)))
                continue;
            if (form.Flags == FORM_BUILTIN) {
                uint16_t code = 0;
                if (!GetPoolKey(uint16_t(i + 1), code) || (customized && !table->ContainsFirstValue(code)))
                    continue;
            } else if (customized && !table->ContainsFirstValue(uint16_t(kCustomPaperCode + i))) {
                continue;
            }
            if (form.pName)
                std::wcsncpy(&paperNames_[paperCount_ * kPaperNameChars], form.pName, kPaperNameChars);
            paperCodes_[paperCount_] = WORD(i + 1);
            paperSizes_[paperCount_] = POINT{form.Size.cx / 100, form.Size.cy / 100};
            ++paperCount_;
        }
        FreeForms(forms);
        if (paperCodes_.empty()) {
            // No forms: only the custom size, which is counted but not listed.
            ++paperCount_;
        } else {
            if (!customSizeNameRead_) {
                customSizeName_ = LoadResourceString(kCustomSizeString);
                customSizeNameRead_ = true;
            }
            const RWWString& custom = customSizeName_;
            if (custom.Data())
                std::wcsncpy(&paperNames_[paperCount_ * kPaperNameChars], custom.Data(), kPaperNameChars);
            paperCodes_[paperCount_] = DMPAPER_USER;
            const int16_t width = SignedOf(settings, kCustomWidth, -1), length = SignedOf(settings, kCustomLength, -1);
            paperSizes_[paperCount_] =
                width >= 0 && length >= 0 ? POINT{width, length} : POINT{0, 0};
            ++paperCount_;
        }
    }
    if (!paperCodes_.empty()) {
        if (names)
            std::memcpy(names, paperNames_.data(), paperCount_ * kPaperNameChars * sizeof(wchar_t));
        if (codes)
            std::memcpy(codes, paperCodes_.data(), paperCount_ * sizeof(WORD));
        if (sizes)
            std::memcpy(sizes, paperSizes_.data(), paperCount_ * sizeof(POINT));
    }
    return paperCount_ ? paperCount_ : GDI_ERROR;
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
    if (GValueAttribute* agent = Feature<GValueAttribute>(record->settings, kAgentAvailable))
        agent->SetValue(0);  // no registered provider answers the agent's capability yet
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
    ResourceLibrary library(*this);
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

// ---- Cached files ----

bool GDriverUI::IsPlainFileName(const wchar_t* name)
{
    if (!name || !*name || std::wcsstr(name, L".."))
        return false;
    return !std::wcspbrk(name, L"\\/:");
}

int GDriverUI::CopyFilesFromServer()
{
    // A handle of its own: the caller's handle field is left as it is.
    const RWWString& printerName = GetPrinterName();
    HANDLE printer = nullptr;
    if (!printerName.Length() || !OpenPrinterW(const_cast<wchar_t*>(printerName.Data()), &printer, nullptr))
        return 0;
    const wchar_t* name = printerName.Data();
    const wchar_t* lastSlash = std::wcsrchr(name, L'\\');
    int copied = 0;
    if (lastSlash && lastSlash != name) {
        const std::wstring server(name, size_t(lastSlash - name));
        for (int slot = 0; slot < 10; ++slot) {
            const RWWString local = CachedFilePath(slot);
            if (!local.Length())
                continue;
            const wchar_t* slash = std::wcsrchr(local.Data(), L'\\');
            const wchar_t* file = slash ? slash + 1 : local.Data();
            if (!IsPlainFileName(file))
                continue;
            const std::wstring second = server + L"\\print$\\w32x86\\2\\" + file;
            const std::wstring third = server + L"\\print$\\w32x86\\3\\" + file;
            if (CopyFileW(second.c_str(), local.Data(), FALSE) || CopyFileW(third.c_str(), local.Data(), FALSE))
                ++copied;
        }
    }
    ClosePrinter(printer);
    return copied;
}

int GDriverUI::DeleteCachedFiles()
{
    int deleted = 0;
    for (int slot = 0; slot < 10; ++slot) {
        const RWWString path = CachedFilePath(slot);
        if (path.Length() && DeleteFileW(path.Data()))
            ++deleted;
    }
    return deleted;
}

namespace {

const int kEscapeManualDuplex = 0x303EB8EE;
const int kEscapeHostFile = 0x303EB8F9;
const int kEscapePort = 0x303EB8E8;
const int kEscapeRenderJobName = 0x303EB8E7;
const int kEscapeJobUser = 0x303EB8EF;
const int kEscapeJobId = 0x303EB8F1;
const int kEscapeOSInfo = 0x303EB8F0;
const int kEscapeComputer = 0x303EB8EC;
const int kEscapeDomain = 0x303EB8EB;
const int kEscapeApplication = 0x303EB8E9;
const size_t kRegistryTextChars = 256;

// A string value under HKLM, bounded and terminated; empty when missing or not a string.
std::wstring MachineText(const wchar_t* path, const wchar_t* value)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::wstring();
    // Room for one character more than is kept: a value of exactly the kept length
    // fits whether or not it was stored with its terminator.
    wchar_t text[kRegistryTextChars + 2] = {};
    DWORD type = 0;
    DWORD bytes = DWORD((kRegistryTextChars + 1) * sizeof(wchar_t));
    const LONG status = RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return std::wstring();
    text[std::min<size_t>(bytes / sizeof(wchar_t), kRegistryTextChars)] = 0;
    return text;
}

// One string of the first translation of a file's version resource; empty when none.
std::wstring VersionText(const std::vector<BYTE>& block, const wchar_t* field)
{
    struct Translation {
        WORD language, codePage;
    }* translation = nullptr;
    UINT size = 0;
    if (block.empty() || !VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                                         reinterpret_cast<void**>(&translation), &size) ||
        size < sizeof(Translation))
        return std::wstring();
    wchar_t path[96];
    swprintf(path, 96, L"\\StringFileInfo\\%04x%04x\\%ls", translation->language, translation->codePage, field);
    wchar_t* text = nullptr;
    if (!VerQueryValueW(block.data(), path, reinterpret_cast<void**>(&text), &size) || !text || !size)
        return std::wstring();
    return std::wstring(text, wcsnlen(text, size));
}

std::vector<BYTE> VersionBlock(const wchar_t* file)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
    std::vector<BYTE> block;
    if (size == 0 || size > (1u << 20))
        return block;
    block.resize(size);
    if (!GetFileVersionInfoW(file, 0, size, block.data()))
        block.clear();
    return block;
}
const uint32_t kManualDuplexMark = 0xCFC14711;
const size_t kJobTextChars = 16;
const size_t kRenderJobNameBytes = 512;
// The media of feature 260 whose manual duplex needs no instructions.
const uint16_t kSelfTurningMedia[] = {0x15, 0x16, 0x27, 0x2C};
// The configuration names that rule the manual-duplex instructions out.
const uint16_t kManualDuplexNames[] = {kMediaName, kManualDuplexName5, kManualDuplexName3, kManualDuplexName4,
                                       kMediaRest};

int16_t TimeZoneBias()
{
    TIME_ZONE_INFORMATION zone;
    if (GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID)
        return int16_t(zone.Bias);
    _tzset();
    return int16_t(_timezone / 60);
}

// Absent counts as non-zero, as the decision reads it.
bool AbsentOrNonZero(GObjectBase* holder, long id)
{
    int32_t value = 0;
    return !GDriverObject::NumberOf(holder, id, value) || value != 0;
}

} // namespace

uint32_t GDriverUI::PagesEnded() const { return pagesEnded_.load(std::memory_order_relaxed); }
uint32_t GDriverUI::ExpectedPages() const { return expectedPages_.load(std::memory_order_relaxed); }
void GDriverUI::SetExpectedPages(uint32_t pages) { expectedPages_.store(pages, std::memory_order_relaxed); }

void GDriverUI::ClearDocumentCounters()
{
    pagesEnded_.store(0, std::memory_order_relaxed);
    expectedPages_.store(0, std::memory_order_relaxed);
}

int GDriverUI::SendEscape(HDC dc, int code, int inputSize, const void* input, int outputSize, void* output)
{
    return ExtEscape(dc, code, inputSize, static_cast<LPCSTR>(input), outputSize, static_cast<LPSTR>(output));
}

std::vector<char> GDriverUI::NarrowText(const wchar_t* text, size_t limit)
{
    std::vector<char> narrow(1, 0);
    if (!text || limit < 2)
        return narrow;
    const int chars = int(std::min(wcslen(text), limit - 1));
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text, chars, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return narrow;
    narrow.assign(size_t(bytes) + 1, 0);
    WideCharToMultiByte(CP_ACP, 0, text, chars, narrow.data(), bytes, nullptr, nullptr);
    // A multi-byte code page may need more bytes than characters: cut at the limit.
    if (narrow.size() > limit) {
        narrow.resize(limit);
        narrow.back() = 0;
    }
    return narrow;
}

void GDriverUI::CleanJobText(RWWString& text, bool useDefault, const RWWString& defaultName,
                             const RWWString& fallback)
{
    auto clean = [](const RWWString& from, bool& removed) {
        std::wstring kept;
        removed = false;
        for (size_t i = 0; i < from.Length(); ++i) {
            wchar_t c = from.Data()[i];
            if (!CheckJobCharacter(c)) {
                removed = true;
                continue;
            }
            if (c >= L'a' && c <= L'z')
                c = wchar_t(c - L'a' + L'A');
            if (kept.size() < kJobTextChars)
                kept.push_back(c);
        }
        return kept;
    };
    bool removed = false;
    std::wstring result = clean(text, removed);
    if (result.empty() && useDefault) {
        result = clean(defaultName, removed);
        if (removed || result.empty())
            result = clean(fallback, removed);
    }
    text = RWWString(result.c_str());
}

void GDriverUI::ReadUserName(RWWString& name)
{
    DWORD chars = 0;
    GetUserNameW(nullptr, &chars);
    if (chars == 0 || chars > 1024) {
        name = RWWString(L"");
        return;
    }
    std::vector<wchar_t> buffer(size_t(chars) + 1, 0);
    if (!GetUserNameW(buffer.data(), &chars))
        buffer[0] = 0;
    buffer.back() = 0;
    if (wcslen(buffer.data()) > kJobTextChars)
        buffer[kJobTextChars] = 0;
    name = RWWString(buffer.data());
}

void GDriverUI::ReadPrinterLocation(RWWString& location)
{
    location = RWWString(L"");
    HANDLE printer = GetPrinterHandle();
    DWORD needed = 0;
    if (!printer || ::GetPrinterW(printer, 2, nullptr, 0, &needed) || needed == 0 || needed > kLargestPrinterInfo)
        return;
    std::vector<BYTE> buffer(needed);
    if (!::GetPrinterW(printer, 2, buffer.data(), needed, &needed))
        return;
    const PRINTER_INFO_2W* info = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    if (info->pLocation)
        location = RWWString(info->pLocation);
}

void GDriverUI::CheckJobText(RWWString& text, const RWWString& defaultName, const RWWString& fallback)
{
    if (text.Length() == 0)
        text = defaultName;
    bool any = false;
    for (size_t i = 0; i < text.Length(); ++i)
        any = any || CheckJobCharacter(text.Data()[i]);
    if (!any)
        text = fallback;
    if (text.Length() > kJobTextChars)
        text = RWWString(std::wstring(text.Data(), kJobTextChars).c_str());
}

int GDriverUI::SendHostFileName(HDC dc, const wchar_t* path)
{
    if (!path)
        return 0;
    const wchar_t* slash = wcsrchr(path, L'\\');
    const std::vector<char> name = NarrowText(slash ? slash + 1 : path, MAX_PATH);
    return SendEscape(dc, kEscapeHostFile, int(name.size()), name.data(), 0, nullptr);
}

int GDriverUI::QueryRenderJobName(HDC dc, RWWString& name)
{
    char answer[kRenderJobNameBytes] = {};
    if (SendEscape(dc, kEscapeRenderJobName, 0, nullptr, int(sizeof(answer)), answer) <= 0)
        return 0;
    answer[kRenderJobNameBytes - 1] = 0;
    name = RWWString(answer, RWWString::multiByte);
    return 1;
}

void GDriverUI::SendHostInformation(HDC dc)
{
    // Job user: the thread's user, cut to the job-name rules.
    wchar_t user[257] = {};
    DWORD chars = DWORD(sizeof(user) / sizeof(user[0]));
    if (!GetUserNameW(user, &chars))
        user[0] = 0;
    user[256] = 0;
    RWWString userName(user);
    CleanJobText(userName, true, LoadResourceString(11029), RWWString(L"UNTITLED"));
    CheckJobText(userName, LoadResourceString(11029), RWWString(L"UNTITLED"));
    const std::vector<char> narrowUser = NarrowText(userName.Data(), kJobTextChars + 1);
    SendEscape(dc, kEscapeJobUser, int(narrowUser.size()), narrowUser.data(), 0, nullptr);

    const std::vector<char> computer = NarrowText(
        MachineText(L"System\\CurrentControlSet\\Control\\ComputerName\\ComputerName", L"ComputerName").c_str());
    SendEscape(dc, kEscapeComputer, int(computer.size()), computer.data(), 0, nullptr);
    const wchar_t* const winlogon = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Winlogon";
    std::wstring domain = MachineText(winlogon, L"CachePrimaryDomain");
    if (domain.empty())
        domain = MachineText(winlogon, L"DefaultDomainName");
    const std::vector<char> narrowDomain = NarrowText(domain.c_str());
    SendEscape(dc, kEscapeDomain, int(narrowDomain.size()), narrowDomain.data(), 0, nullptr);

    // Job identifier: a new UUID as its 36-character text.
    UUID id;
    RPC_CSTR text = nullptr;
    if (UuidCreate(&id) == RPC_S_OK && UuidToStringA(&id, &text) == RPC_S_OK && text) {
        char record[37] = {};
        strncpy(record, reinterpret_cast<const char*>(text), 36);
        RpcStringFreeA(&text);
        SendEscape(dc, kEscapeJobId, int(sizeof(record)), record, 0, nullptr);
    }

    // Operating system: kernel family and version numbers.
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (GetVersionExW(&version)) {
        char os[96];
        snprintf(os, sizeof(os), "OS Info: WinNT Kernel;%lu;%lu;%lu", static_cast<unsigned long>(version.dwMajorVersion),
                 static_cast<unsigned long>(version.dwMinorVersion), static_cast<unsigned long>(version.dwBuildNumber));
        SendEscape(dc, kEscapeOSInfo, int(strlen(os) + 1), os, 0, nullptr);
    }

    // Application: its product name (else the file name) and its version texts.
    const std::vector<BYTE> block = VersionBlock(hostPath_);
    std::wstring product = VersionText(block, L"ProductName");
    if (product.empty()) {
        const wchar_t* slash = wcsrchr(hostPath_, L'\\');
        product = slash ? slash + 1 : hostPath_;
    }
    const std::vector<char> narrowProduct = NarrowText(product.c_str());
    SendEscape(dc, kEscapeRenderJobName, int(narrowProduct.size()), narrowProduct.data(), 0, nullptr);
    std::wstring application = L"Application Context not Available";
    if (!block.empty())
        application = L"Application Info: " + VersionText(block, L"ProductName") + L";" +
                      VersionText(block, L"ProductVersion") + L";" + VersionText(block, L"FileDescription");
    const std::vector<char> narrowApplication = NarrowText(application.c_str());
    SendEscape(dc, kEscapeApplication, int(narrowApplication.size()), narrowApplication.data(), 0, nullptr);
}

void GDriverUI::BeginPluginJob(const DOCINFOW* document)
{
    if (ksHolder_)
        ksHolder_->Begin(KsJobPluginPath(),
                         KsJobDescription(GetSettings(), GetPrinterConfiguration(), document, GetThirdName()));
}

void GDriverUI::EndPluginJob(uint32_t aborted)
{
    if (ksHolder_)
        aborted == 1 ? ksHolder_->Abort() : ksHolder_->End();
}

int GDriverUI::ManualDuplexEscape(HDC dc, uint32_t flag)
{
    GObjectBase* settings = GetSettings();
    int32_t duplex = 0;
    int32_t fallback = 0;
    if (GDriverObject::NumberOf(settings, kDuplex, duplex) && GDriverObject::NumberOf(settings, kDuplexFallback, fallback) && duplex && fallback) {
        const uint32_t record[3] = {kManualDuplexMark, flag, 0};
        const int answer = SendEscape(dc, kEscapeManualDuplex, int(sizeof(record)), record, 0, nullptr);
        if (flag == 1 && answer == 1 && !(settings && settings->FindById(kManualDuplexMarker)))
            ShowManualDuplexDialog();
    }
    return 1;
}

int GDriverUI::ManualDuplexWanted(uint32_t pagesEnded, uint32_t expectedPages)
{
    GObjectBase* settings = GetSettings();
    if (!settings || !settings->FindById(kManualDuplexMarker))
        return 0;
    int32_t booklet = 0;
    GDriverObject::NumberOf(settings, kBookletPrinting, booklet);
    // Without an expected page count the pages decide nothing.
    const bool morePages = expectedPages != 0 && pagesEnded != 1 && pagesEnded > expectedPages;
    if (!morePages && booklet == 0)
        return 0;
    for (uint16_t id : kManualDuplexNames)
        if (GStringAttribute* name = GDriverObject::Feature<GStringAttribute>(settings, id))
            if (!IsNameUnused(name->GetString().Data()))
                return 0;
    if (AbsentOrNonZero(settings, kManualDuplexCheckA) && AbsentOrNonZero(settings, kManualDuplexCheckB))
        return 1;
    int32_t media = 0;
    if (GDriverObject::NumberOf(settings, kPaperSize, media))
        for (uint16_t selfTurning : kSelfTurningMedia)
            if (media == selfTurning)
                return 0;
    return 1;
}

DWORD WINAPI GDriverUI::JobNoticeThread(void* self)
{
    static_cast<GDriverUI*>(self)->ShowJobNotice();
    return 0;
}

int GDriverUI::StartJobNotice()
{
    JoinJobNotice();
    noticeThread_ = CreateThread(nullptr, 0, &GDriverUI::JobNoticeThread, this, 0, nullptr);
    return noticeThread_ ? 1 : 0;
}

void GDriverUI::JoinJobNotice()
{
    if (!noticeThread_)
        return;
    WaitForSingleObject(noticeThread_, INFINITE);
    CloseHandle(noticeThread_);
    noticeThread_ = nullptr;
}

int GDriverUI::WatermarkAngle(int mode, int customAngle, int horz, int vert)
{
    switch (mode) {
    case 1:
    case 3: {
        if (horz <= 0 || vert <= 0)
            return 0;
        double degrees = atan2(double(vert), double(horz)) * 180.0 / 3.14159265358979323846;
        if (mode == 3)
            degrees = -degrees;
        if (degrees < 0)
            degrees += 360.0;
        return int(degrees);
    }
    case 2:
        return 90;
    case 4:
        return customAngle;
    default:
        return 0;
    }
}

COLORREF GDriverUI::WatermarkColor(int level, bool grey, bool red, bool green, bool blue)
{
    const int l = level == 255 ? 232 : level;
    const BYTE low = BYTE(std::min(std::max(l, 0), 255));
    if (grey || (red && green && blue))
        return RGB(low, low, low);
    return RGB(red ? 255 : low, green ? 255 : low, blue ? 255 : low);
}

namespace {

int32_t ValueOr(GObjectBase* holder, long id, int32_t fallback)
{
    int32_t value = fallback;
    GDriverObject::NumberOf(holder, id, value);
    return value;
}

const RWCString* TextOf(GObjectBase* holder, long id)
{
    GStringAttribute* text = GDriverObject::Feature<GStringAttribute>(holder, id);
    return text ? &text->GetString() : nullptr;
}

const uint32_t kWatermarkMark = 0xCFC14712;
const int kEscapeWatermark = 0x303EB8ED;

} // namespace

int GDriverUI::PrepareWatermark()
{
    watermarkMode_ = 0;
    GObjectBase* settings = GetSettings();
    GObjectBase* options = settings ? settings->FindById(kDocumentSettings) : nullptr;
    GObjectBase* selection = options ? options->FindById(kWatermarkDefinition) : nullptr;
    if (!selection)
        return 1;
    int32_t rule = 0;
    if (GDriverObject::NumberOf(selection, kWatermarkPageRule, rule)) {
        watermarkMode_ = rule == 0 ? 2 : rule == 1 ? 1 : 0;
        watermarkGrey_ = ValueOr(settings, kWatermarkGrey, 0) == 1 ? 1 : 0;
    }
    if (!watermarkMode_)
        return 1;
    int32_t gate = 1;
    if (GDriverObject::NumberOf(selection, kWatermarkGate, gate) && gate == 0)
        watermarkSkip_ = 0;
    else
        watermarkMode_ = 0;
    const RWCString* name = TextOf(selection, kWatermarkSelected);
    if (!name || name->Length() == 0)
        watermarkMode_ = 0;
    if (!watermarkMode_)
        return 1;
    GObjectBase* lists = settings->FindById(kPrinterLists);
    GObjectBase* list = lists ? lists->FindById(kWatermarkList) : nullptr;
    GObjectBase* found = nullptr;
    std::unique_ptr<GObjectIterator> it(list ? list->CreateIterator() : nullptr);
    while (!found && it && it->Next()) {
        const RWCString* candidate = TextOf(it->Current(), kWatermarkName);
        if (candidate && candidate->Length() == name->Length() &&
            memcmp(candidate->Data(), name->Data(), name->Length()) == 0)
            found = it->Current();
    }
    // A name the list does not hold prints nothing, rather than the last job's watermark.
    if (!found) {
        watermarkMode_ = 0;
        return 1;
    }
    BuildWatermarkRecord(found);
    return 1;
}

void GDriverUI::BuildWatermarkRecord(GObjectBase* watermark)
{
    if (!watermark_)
        watermark_ = new WatermarkRecord();
    WatermarkRecord& r = *watermark_;
    r.positioned = 0;
    r.font = LOGFONTW();
    r.font.lfCharSet = 1;
    r.font.lfOutPrecision = OUT_TT_PRECIS;
    const RWCString* text = TextOf(watermark, kWatermarkText);
    r.text = text ? RWWString(text->Data(), RWWString::multiByte) : RWWString();
    r.length = uint32_t(r.text.Length());
    if (const RWCString* face = TextOf(watermark, kWatermarkFont)) {
        const RWWString wide(face->Data(), RWWString::multiByte);
        wcsncpy(r.font.lfFaceName, wide.Data(), LF_FACESIZE - 1);
    }
    r.font.lfCharSet = BYTE(ValueOr(watermark, kWatermarkCharacterSet, 1));
    const int32_t style = ValueOr(watermark, kWatermarkStyle, 0);
    r.font.lfWeight = (style & 1) ? FW_BOLD : 0;
    r.font.lfItalic = BYTE((style >> 1) & 1);
    r.font.lfUnderline = BYTE((style >> 2) & 1);
    r.font.lfStrikeOut = BYTE((style >> 3) & 1);
    r.font.lfWidth = ValueOr(watermark, kWatermarkWidth, 0);
    r.size = ValueOr(watermark, kWatermarkSize, 0);
    r.value1 = ValueOr(watermark, kWatermarkValue1, 0);
    r.value2 = ValueOr(watermark, kWatermarkValue2, 0);
    r.level = ValueOr(watermark, kWatermarkLevel, 0);
    r.color = WatermarkColor(r.level, watermarkGrey_ != 0, ValueOr(watermark, kWatermarkRed, 0) != 0,
                             ValueOr(watermark, kWatermarkGreen, 0) != 0, ValueOr(watermark, kWatermarkBlue, 0) != 0);
    r.angleMode = ValueOr(watermark, kWatermarkEscapement, 0);
    r.customAngle = int16_t(ValueOr(watermark, kWatermarkAngle, 0));
}

void GDriverUI::UseWatermark(const WatermarkRecord& record, uint32_t mode)
{
    if (!watermark_)
        watermark_ = new WatermarkRecord();
    *watermark_ = record;
    watermarkMode_ = mode;
    watermarkSkip_ = 0;
}

int GDriverUI::DrawWatermark(HDC dc)
{
    const bool due = watermarkMode_ == 2 || (watermarkMode_ == 1 && watermarkPage_ == 1);
    if (!due || !watermark_)
        return 1;
    const int saved = SaveDC(dc);
    SetGraphicsMode(dc, GM_COMPATIBLE);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetTextAlign(dc, 0);
    int result = 1;
    if (!watermarkSkip_)
        result = DrawWatermarkText(dc);
    RestoreDC(dc, saved);
    return result;
}

int GDriverUI::DrawWatermarkText(HDC dc)
{
    if (!watermark_)
        return 0;
    WatermarkRecord& r = *watermark_;
    // Empty text draws nothing.
    if (r.length == 0)
        return 1;
    const int horz = GetDeviceCaps(dc, HORZRES);
    const int vert = GetDeviceCaps(dc, VERTRES);
    const int angle = WatermarkAngle(r.angleMode, r.customAngle, horz, vert);
    if (!r.positioned) {
        r.font.lfEscapement = angle * 10;
        r.font.lfOrientation = angle;
        r.font.lfHeight = -MulDiv(r.size, GetDeviceCaps(dc, LOGPIXELSY), 72);
    }
    HFONT font = CreateWatermarkFont(r.font);
    // A font that cannot be made skips the drawing; the DC is restored by the caller.
    if (!font)
        return 1;
    const int extra = GetTextCharacterExtra(dc);
    const int mapMode = GetMapMode(dc);
    const COLORREF textColor = GetTextColor(dc);
    const int background = GetBkMode(dc);
    SetMapMode(dc, MM_TEXT);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, r.color);
    SetBkMode(dc, TRANSPARENT);
    SetTextCharacterExtra(dc, 0);
    SIZE extent = {};
    GetTextExtentPoint32W(dc, r.text.Data(), int(r.length), &extent);
    const double a = angle * 3.14159265358979323846 / 180.0;
    const double w = extent.cx / 2.0;
    const double h = extent.cy / 2.0;
    r.x = int32_t(horz / 2 - h * sin(a) - w * cos(a));
    r.y = int32_t(vert / 2 + w * sin(a) - h * cos(a));
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, 0, 0, horz, vert);
    uint32_t record[3] = {kWatermarkMark, 1, r.color};
    SendEscape(dc, kEscapeWatermark, int(sizeof(record)), record, 0, nullptr);
    ExtTextOutW(dc, r.x, r.y, 0, nullptr, r.text.Data(), UINT(r.length), nullptr);
    SelectObject(dc, oldFont);
    SetTextColor(dc, textColor);
    SetMapMode(dc, mapMode);
    SetTextCharacterExtra(dc, extra);
    SetBkMode(dc, background);
    record[1] = 0;
    SendEscape(dc, kEscapeWatermark, int(sizeof(record)), record, 0, nullptr);
    RestoreDC(dc, saved);
    DeleteObject(font);
    r.positioned = 0;
    return 1;
}

INT GDriverUI::DevModeCopy(const DEVMODEW* devMode, bool stamp, PVOID output)
{
    DEVMODEW** answer = static_cast<DEVMODEW**>(output);
    if (!DocumentEventRecord::DevModeAcceptable(devMode))
        return -1;
    if (!devMode) {
        *answer = nullptr;
        return 1;
    }
    const uint32_t total = uint32_t(devMode->dmSize) + devMode->dmDriverExtra;
    const uint32_t size = DocumentEventRecord::CopySize(devMode);
    // Zero-filled, so that nothing past the copied bytes is left undefined.
    uint8_t* copy = static_cast<uint8_t*>(calloc(size, 1));
    if (!copy)
        return -1;
    memcpy(copy, devMode, total);
    if (stamp) {
        const uint32_t flags = GetAppFlags();
        const int16_t bias = TimeZoneBias();
        memcpy(copy + DocumentEventRecord::kStampFlagsOffset, &flags, sizeof(flags));
        memcpy(copy + DocumentEventRecord::kStampBiasOffset, &bias, sizeof(bias));
    }
    ownCopies_.push_back(reinterpret_cast<DEVMODEW*>(copy));
    *answer = reinterpret_cast<DEVMODEW*>(copy);
    return 1;
}

INT GDriverUI::DevModeMerge(const DEVMODEW* copy)
{
    const auto own = std::find(ownCopies_.begin(), ownCopies_.end(), copy);
    // Only a copy this object made and still lists is read and freed; anything else is
    // the application's own memory.
    if (own == ownCopies_.end())
        return -1;
    INT result = -1;
    if (MergeDevModeIntoSettings(copy)) {
        // GetSettings makes the settings object when the core has none.
        if (GetStateWord() & kSettingsStale)
            SetSettings(CreateSettings());
        result = GetSettings() ? 1 : -1;
    }
    free(*own);
    ownCopies_.erase(own);
    return result;
}

void GDriverUI::FreeOwnCopies()
{
    for (DEVMODEW* copy : ownCopies_)
        free(copy);
    ownCopies_.clear();
}

INT GDriverUI::DocumentEvent(HANDLE, HDC dc, INT escape, ULONG inputSize, PVOID input, ULONG outputSize, PVOID output)
{
    const int event = escape & 0xFFFF;
    if (!DocumentEventRecord::ArgumentsValid(event, inputSize, input, outputSize, output))
        return -1;
    switch (event) {
    case DOCUMENTEVENT_CREATEDCPRE: {
        const DOCEVENT_CREATEDCPRE* record = static_cast<const DOCEVENT_CREATEDCPRE*>(input);
        return DevModeCopy(record->pdm, record->bIC == 0, output);
    }
    case DOCUMENTEVENT_RESETDCPRE:
        return DevModeCopy(*static_cast<DEVMODEW* const*>(input), true, output);
    case DOCUMENTEVENT_CREATEDCPOST:
    case DOCUMENTEVENT_RESETDCPOST:
        return DevModeMerge(*static_cast<DEVMODEW* const*>(input));
    case DOCUMENTEVENT_STARTDOC: {
        ClearDocumentCounters();
        if (!GetCurrentSettings())
            EnsurePrinterDataWritable();
        // The mass-storage fonts are brought up to date; the list itself is not kept.
        delete LoadAddedFonts();
        SendHostInformation(dc);
        SendHostFileName(dc, hostPath_);
        const std::vector<char> port = NarrowText(GetThirdName().Data(), MAX_PATH);
        SendEscape(dc, kEscapePort, int(port.size()), port.data(), 0, nullptr);
        if (ownHandle_) {
            UseOwnPrinter(0);
            CloseOwnPrinter();
        }
        const DOCINFOW* document = nullptr;
        // The document information only when the input really holds it.
        if (input && inputSize >= sizeof(DOCINFOW *) && *static_cast<DOCINFOW* const*>(input) &&
            !IsBadReadPtr(*static_cast<DOCINFOW* const*>(input), sizeof(DOCINFOW)))
            document = *static_cast<DOCINFOW* const*>(input);
        BeginPluginJob(document);
        return 1;
    }
    case DOCUMENTEVENT_STARTPAGE:
        ++pageCount_;
        ++watermarkPage_;
        return 1;
    case DOCUMENTEVENT_ENDPAGE: {
        pagesEnded_.fetch_add(1, std::memory_order_relaxed);
        const int drawn = DrawWatermark(dc);
        if (ksHolder_)
            ksHolder_->Page();
        return drawn ? 1 : -1;
    }
    case DOCUMENTEVENT_ENDDOC:
        ManualDuplexEscape(dc, 1);
        return 0;
    case DOCUMENTEVENT_ABORTDOC:
        JoinJobNotice();
        EndPluginJob(1);
        return 0;
    case DOCUMENTEVENT_ENDDOCPOST:
        JoinJobNotice();
        if (jobStorageMode_ == 1)
            SetLocalJobStorage(1);
        EndPluginJob(0);
        if (ManualDuplexWanted(PagesEnded(), ExpectedPages()))
            ShowManualDuplexDialog();
        ClearDocumentCounters();
        return 0;
    case DOCUMENTEVENT_STARTDOCPOST:
        return StartDocPost(dc);
    case DOCUMENTEVENT_DELETEDC:
        JoinJobNotice();
        EndPluginJob(1);
        FreeOwnCopies();
        return 0;
    default:
        return 0;
    }
}
uint32_t GDriverUI::RegisterExtension(const char*, uint32_t) { return kExtensionUnsupported; }
