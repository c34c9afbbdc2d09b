// The document events: the stamped DEVMODE copies of CREATEDCPRE and RESETDCPRE, the
// private escapes that tell the rendering module about the host and the job at STARTDOC,
// the watermark drawn at the end of each page, the job name and notice of a stored job at
// STARTDOCPOST, the manual-duplex escape and instructions at the end of the document, and
// what the keystroke job plug-in is told while a document prints.
#include "entry/driverui/GDriverUIDocumentEvents.h"

#include "entry/driverui/GDriverUI.h"
#include "entry/module/DocumentEventRecord.h"
#include "entry/sheet/GCPSOSUI.h"
#include "graphics/GDeviceFontListComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GRangeAttribute.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GOSFactory.h"
#include "settings/devmode/GKsJobPlugin.h"

#include <rpc.h>
#include <time.h>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <string>

namespace {

using namespace FeatureId;

const DWORD kLargestPrinterInfo = 1u << 20;
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


GDriverUIDocumentEvents::GDriverUIDocumentEvents(GDriverUI& ui)
    : ui_(ui), ksHolder_(new (std::nothrow) GKsJobPluginHolder())
{
}

GDriverUIDocumentEvents::~GDriverUIDocumentEvents()
{
    JoinJobNotice();
    delete ksHolder_;
    FreeOwnCopies();
    delete watermark_;
}

uint32_t GDriverUIDocumentEvents::PagesEnded() const { return pagesEnded_.load(std::memory_order_relaxed); }

uint32_t GDriverUIDocumentEvents::ExpectedPages() const { return expectedPages_.load(std::memory_order_relaxed); }

void GDriverUIDocumentEvents::SetExpectedPages(uint32_t pages)
{
    expectedPages_.store(pages, std::memory_order_relaxed);
}

void GDriverUIDocumentEvents::ClearDocumentCounters()
{
    pagesEnded_.store(0, std::memory_order_relaxed);
    expectedPages_.store(0, std::memory_order_relaxed);
}

int GDriverUIDocumentEvents::SendEscape(HDC dc, int code, int inputSize, const void* input, int outputSize,
                                        void* output)
{
    return ExtEscape(dc, code, inputSize, static_cast<LPCSTR>(input), outputSize, static_cast<LPSTR>(output));
}

std::vector<char> GDriverUIDocumentEvents::NarrowText(const wchar_t* text, size_t limit)
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

void GDriverUIDocumentEvents::CleanJobText(RWWString& text, bool useDefault, const RWWString& defaultName,
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

void GDriverUIDocumentEvents::ReadUserName(RWWString& name)
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

void GDriverUIDocumentEvents::ReadPrinterLocation(RWWString& location)
{
    location = RWWString(L"");
    HANDLE printer = ui_.GetPrinterHandle();
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

void GDriverUIDocumentEvents::CheckJobText(RWWString& text, const RWWString& defaultName,
                                           const RWWString& fallback)
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

int GDriverUIDocumentEvents::SendHostFileName(HDC dc, const wchar_t* path)
{
    if (!path)
        return 0;
    const wchar_t* slash = wcsrchr(path, L'\\');
    const std::vector<char> name = NarrowText(slash ? slash + 1 : path, MAX_PATH);
    return SendEscape(dc, kEscapeHostFile, int(name.size()), name.data(), 0, nullptr);
}

int GDriverUIDocumentEvents::QueryRenderJobName(HDC dc, RWWString& name)
{
    char answer[kRenderJobNameBytes] = {};
    if (SendEscape(dc, kEscapeRenderJobName, 0, nullptr, int(sizeof(answer)), answer) <= 0)
        return 0;
    answer[kRenderJobNameBytes - 1] = 0;
    name = RWWString(answer, RWWString::multiByte);
    return 1;
}

void GDriverUIDocumentEvents::SendHostInformation(HDC dc)
{
    // Job user: the thread's user, cut to the job-name rules.
    wchar_t user[257] = {};
    DWORD chars = DWORD(sizeof(user) / sizeof(user[0]));
    if (!GetUserNameW(user, &chars))
        user[0] = 0;
    user[256] = 0;
    RWWString userName(user);
    CleanJobText(userName, true, ui_.LoadResourceString(11029), RWWString(L"UNTITLED"));
    CheckJobText(userName, ui_.LoadResourceString(11029), RWWString(L"UNTITLED"));
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
    const std::vector<BYTE> block = VersionBlock(ui_.HostPath());
    std::wstring product = VersionText(block, L"ProductName");
    if (product.empty()) {
        const wchar_t* slash = wcsrchr(ui_.HostPath(), L'\\');
        product = slash ? slash + 1 : ui_.HostPath();
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

void GDriverUIDocumentEvents::BeginPluginJob(const DOCINFOW* document)
{
    if (ksHolder_)
        ksHolder_->Begin(KsJobPluginPath(), KsJobDescription(ui_.GetSettings(), ui_.GetPrinterConfiguration(), document,
                                                             ui_.GetThirdName()));
}

void GDriverUIDocumentEvents::EndPluginJob(uint32_t aborted)
{
    if (ksHolder_)
        aborted == 1 ? ksHolder_->Abort() : ksHolder_->End();
}

int GDriverUIDocumentEvents::ManualDuplexEscape(HDC dc, uint32_t flag)
{
    GObjectBase* settings = ui_.GetSettings();
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

int GDriverUIDocumentEvents::ManualDuplexWanted(uint32_t pagesEnded, uint32_t expectedPages)
{
    GObjectBase* settings = ui_.GetSettings();
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
            if (!ui_.IsNameUnused(name->GetString().Data()))
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

DWORD WINAPI GDriverUIDocumentEvents::JobNoticeThread(void* self)
{
    static_cast<GDriverUIDocumentEvents*>(self)->ShowJobNotice();
    return 0;
}

int GDriverUIDocumentEvents::StartJobNotice()
{
    JoinJobNotice();
    noticeThread_ = CreateThread(nullptr, 0, &GDriverUIDocumentEvents::JobNoticeThread, this, 0, nullptr);
    return noticeThread_ ? 1 : 0;
}

void GDriverUIDocumentEvents::JoinJobNotice()
{
    if (!noticeThread_)
        return;
    WaitForSingleObject(noticeThread_, INFINITE);
    CloseHandle(noticeThread_);
    noticeThread_ = nullptr;
}

int GDriverUIDocumentEvents::WatermarkAngle(int mode, int customAngle, int horz, int vert)
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

COLORREF GDriverUIDocumentEvents::WatermarkColor(int level, bool grey, bool red, bool green, bool blue)
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

// The watermark of the name in the printer's lists; null when none is.
GObjectBase* FindWatermark(GObjectBase* lists, const RWCString& name)
{
    GObjectBase* list = lists ? lists->FindById(kWatermarkList) : nullptr;
    std::unique_ptr<GObjectIterator> it(list ? list->CreateIterator() : nullptr);
    while (it && it->Next()) {
        const RWCString* candidate = TextOf(it->Current(), kWatermarkName);
        if (candidate && candidate->Length() == name.Length() && memcmp(candidate->Data(), name.Data(), name.Length()) == 0)
            return it->Current();
    }
    return nullptr;
}

} // namespace

int GDriverUIDocumentEvents::PrepareWatermark()
{
    watermarkMode_ = 0;
    GObjectBase* settings = ui_.GetSettings();
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
    GObjectBase* found = FindWatermark(lists, *name);
    // A caller that may not change the printer keeps its own watermarks in its per-user
    // store: a name the printer's list lacks is looked for there, by this caller's rights.
    if (!found && lists && ui_.UserWatermarksFor(ui_.MayChangePrinter() ? 0 : 1)) {
        ui_.MergeUserWatermarks(lists);
        found = FindWatermark(lists, *name);
    }
    // A name the list does not hold prints nothing, rather than the last job's watermark.
    if (!found) {
        watermarkMode_ = 0;
        return 1;
    }
    BuildWatermarkRecord(found);
    return 1;
}

void GDriverUIDocumentEvents::BuildWatermarkRecord(GObjectBase* watermark)
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

void GDriverUIDocumentEvents::UseWatermark(const WatermarkRecord& record, uint32_t mode)
{
    if (!watermark_)
        watermark_ = new WatermarkRecord();
    *watermark_ = record;
    watermarkMode_ = mode;
    watermarkSkip_ = 0;
}

int GDriverUIDocumentEvents::DrawWatermark(HDC dc)
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

int GDriverUIDocumentEvents::DrawWatermarkText(HDC dc)
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

INT GDriverUIDocumentEvents::DevModeCopy(const DEVMODEW* devMode, bool stamp, PVOID output)
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
        const uint32_t flags = ui_.GetAppFlags();
        const int16_t bias = TimeZoneBias();
        memcpy(copy + DocumentEventRecord::kStampFlagsOffset, &flags, sizeof(flags));
        memcpy(copy + DocumentEventRecord::kStampBiasOffset, &bias, sizeof(bias));
    }
    ownCopies_.push_back(reinterpret_cast<DEVMODEW*>(copy));
    *answer = reinterpret_cast<DEVMODEW*>(copy);
    return 1;
}

INT GDriverUIDocumentEvents::DevModeMerge(const DEVMODEW* copy)
{
    const auto own = std::find(ownCopies_.begin(), ownCopies_.end(), copy);
    // Only a copy this object made and still lists is read and freed; anything else is
    // the application's own memory.
    if (own == ownCopies_.end())
        return -1;
    INT result = -1;
    // The DC reads its settings and stores none: a printer record that could not be read
    // leaves the driver's defaults with the copy merged to answer from.
    if (ui_.MergeForReading(copy)) {
        // GetSettings makes the settings object when the core has none.
        if (ui_.GetStateWord() & GDriverUIBase::kSettingsStale)
            ui_.SetSettings(ui_.CreateSettings());
        result = ui_.GetSettings() ? 1 : -1;
    }
    free(*own);
    ownCopies_.erase(own);
    return result;
}

void GDriverUIDocumentEvents::FreeOwnCopies()
{
    for (DEVMODEW* copy : ownCopies_)
        free(copy);
    ownCopies_.clear();
}

INT GDriverUIDocumentEvents::DocumentEvent(HDC dc, INT escape, ULONG inputSize, PVOID input, ULONG outputSize,
                                           PVOID output)
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
        if (!ui_.GetCurrentSettings())
            ui_.EnsurePrinterDataWritable();
        // The mass-storage fonts are brought up to date; the list itself is not kept.
        delete ui_.LoadAddedFonts();
        SendHostInformation(dc);
        SendHostFileName(dc, ui_.HostPath());
        const std::vector<char> port = NarrowText(ui_.GetThirdName().Data(), MAX_PATH);
        SendEscape(dc, kEscapePort, int(port.size()), port.data(), 0, nullptr);
        if (ui_.GetOwnHandle()) {
            ui_.UseOwnPrinter(0);
            ui_.CloseOwnPrinter();
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
            ui_.SetLocalJobStorage(1);
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

// ---- The manual-duplex instructions ----

namespace {

constexpr uint16_t kDuplexPrinting = 253;
constexpr uint16_t kManualDuplex = 245;

// 1 when the feature exists with a non-zero value (a value or a range).
bool IsOn(GObjectBase* settings, uint16_t id)
{
    if (GValueAttribute* value = GDriverObject::Feature<GValueAttribute>(settings, id))
        return value->GetValue() != 0;
    if (GRangeAttribute* range = GDriverObject::Feature<GRangeAttribute>(settings, id))
        return range->GetValue() != 0;
    return false;
}

}  // namespace

// The exported stand-in for the common property sheet's callback when the module's pages
// are shown in a dialog of its own: every call answers its first argument and does
// nothing else.
extern "C" LONG_PTR CALLBACK NonPropPageSheet(HANDLE, UINT, LPARAM first, LPARAM) { return first; }

void GDriverUIDocumentEvents::UseNonPropPageSheet(UIContextRecord* record)
{
    if (!record)
        return;
    record->pfnComPropSheet = reinterpret_cast<void*>(&::NonPropPageSheet);
    record->hComPropSheet = reinterpret_cast<HANDLE>(uintptr_t(record->moduleHandle));
    record->pageSet = 3;
}

int GDriverUIDocumentEvents::ShowManualDuplexDialog()
{
    if (UIContextRecord* record = ui_.CreateUIContext()) {
        if (IsOn(record->settings, kDuplexPrinting) && IsOn(record->settings, kManualDuplex)) {
            UseNonPropPageSheet(record);
            GCPSOSUI glue;
            glue.AddPage(record, GCPSOSUI::kModalMode);
            glue.FreePage(record);
        }
        ui_.DestroyUIContext(record);
    }
    if (ui_.GetOwnHandle()) {
        ui_.UseOwnPrinter(0);
        ui_.CloseOwnPrinter();
    }
    return 1;
}

// ---- Job storage, the job notice and the keystroke job ----

namespace {

const wchar_t kLocalJobStorage[] = L"LocalJobStorage";
const wchar_t kDontShowJobName[] = L"DontShowJobName";
const wchar_t kNumberedSuffix[] = L"(01-99)";

std::atomic<GDriverUIDocumentEvents::JobNoticeShower> g_shower{nullptr};

RWWString WideText(GObjectBase* holder, long id)
{
    GStringAttribute* text = GDriverObject::Feature<GStringAttribute>(holder, id);
    return text ? RWWString(text->GetString().Data(), RWWString::multiByte) : RWWString(L"");
}

} // namespace

GDriverUIDocumentEvents::JobNoticeShower GDriverUIDocumentEvents::SetJobNoticeShower(JobNoticeShower shower)
{
    return g_shower.exchange(shower);
}

GDriverUIDocumentEvents::JobNoticeShower GDriverUIDocumentEvents::GetJobNoticeShower() { return g_shower.load(); }

bool GDriverUIDocumentEvents::LocalJobStorageExists()
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return false;
    RWWString key;
    ui_.GetJobStorageKey(key);
    // Two reads with different defaults agree only when the value is there.
    return services->GetUserDword(key, kLocalJobStorage, 0) == services->GetUserDword(key, kLocalJobStorage, 1);
}

bool GDriverUIDocumentEvents::JobNoticeDismissed()
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return false;
    RWWString key;
    ui_.GetJobStorageKey(key);
    return services->GetUserDword(key, kDontShowJobName, 0) == 1;
}

void GDriverUIDocumentEvents::PrepareJobNotice()
{
    GObjectBase* settings = ui_.GetSettings();
    notice_.userName = WideText(settings ? settings->FindById(kJobSettings) : nullptr, kJobUserNameText);
    if (notice_.userName.Length() == 0)
        ReadUserName(notice_.userName);
    notice_.jobName = jobName_;
    notice_.printerName = ui_.GetPrinterName();
    ReadPrinterLocation(notice_.location);
    ui_.GetResourceLibraryPath(notice_.resourceLibrary);
    // The thread writes the user's answer under this key: read now, while the printer
    // handle belongs to this thread.
    ui_.GetJobStorageKey(noticeKey_);
}

void GDriverUIDocumentEvents::ShowJobNotice()
{
    const JobNoticeShower shower = GetJobNoticeShower();
    bool dontShowAgain = false;
    if (!shower || !shower(notice_, dontShowAgain) || !dontShowAgain)
        return;
    if (GOSFactory* services = GOSFactory::Instance())
        services->SetUserDword(noticeKey_, kDontShowJobName, 1);
}

int GDriverUIDocumentEvents::StartDocPost(HDC dc)
{
    PrepareWatermark();
    if (!LocalJobStorageExists()) {
        ui_.SetSettings(ui_.CreateSettings());
        GObjectBase* settings = ui_.GetSettings();
        GObjectBase* job = settings ? settings->FindById(kJobSettings) : nullptr;
        int32_t stored = 0;
        int32_t fromRenderer = 0;
        // A stored job: its name is the rendering module's or the settings' own text, and
        // the user is told under which name and where it is kept.
        if (job && GDriverObject::NumberOf(job, kJobNameChoice, stored) && stored && GDriverObject::NumberOf(job, kJobNameFromRenderer, fromRenderer)) {
            RWWString name(L"");
            if (fromRenderer == 0)
                QueryRenderJobName(dc, name);
            else
                name = WideText(job, kJobNameText);
            int32_t numbered = 0;
            if (GDriverObject::NumberOf(job, kJobNameNumbered, numbered) && numbered == 1)
                name = name + kNumberedSuffix;
            jobName_ = name;
            if (!JobNoticeDismissed()) {
                // An earlier notice still reads the record: it ends before the record changes.
                JoinJobNotice();
                PrepareJobNotice();
                StartJobNotice();
            }
        }
    }
    pageCount_ = 0;
    watermarkPage_ = 0;
    int32_t expected = 0;
    GObjectBase* settings = ui_.GetSettings();
    GDriverObject::NumberOf(settings ? settings->FindById(kPageCountGroup) : nullptr, kExpectedPageCount, expected);
    SetExpectedPages(uint32_t(std::max(expected, int32_t(0))));
    return 0;
}

GKsJobPluginHolder::JobDescription GDriverUIDocumentEvents::KsJobDescription(GObjectBase* settings,
                                                                             GObjectBase* configuration,
                                                                             const DOCINFOW* document,
                                                                             const RWWString& port)
{
    GKsJobPluginHolder::JobDescription job;
    job.osVersion = GKsJobPlugin::CurrentOSVersion();
    int32_t value = 0;
    if (GDriverObject::NumberOf(settings ? settings->FindById(kDocumentSettings) : nullptr, kCopies, value))
        job.copies = uint32_t(value);
    value = 0;
    if (GDriverObject::NumberOf(configuration, kJobNotification, value) || GDriverObject::NumberOf(settings, kJobNotification, value))
        job.option434 = uint32_t(value);
    job.output = document && document->lpszOutput ? RWWString(document->lpszOutput) : port;
    job.document = RWWString(document && document->lpszDocName ? document->lpszDocName : L"");
    return job;
}
