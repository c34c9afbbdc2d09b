#include "entry/driverui/GDriverUI.h"

#include "entry/module/GUIOSFactory.h"
#include "entry/module/PrinterIdentity.h"

#include <cwchar>
#include <new>

namespace {

// The public DEVMODE of spec version 0x401 the object hands out, and the capability
// answers that describe it.
const WORD kDevModeSize = sizeof(DEVMODEW);
const WORD kDevModeExtra = 0;
const DWORD kSpecVersion = 0x401;

// Capability index -> answer, until the printer model answers them.
const struct {
    WORD capability;
    DWORD answer;
} kCapabilityAnswers[] = {
    {DC_SIZE, kDevModeSize},
    {DC_EXTRA, kDevModeExtra},
    {DC_VERSION, kSpecVersion},
};

const LONG kRefused = -1;
const uint32_t kExtensionUnsupported = 5;

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
      GDriverObjectImp(), callerHandle_(identity.GetPrinterHandle()), ticket_(0)
{
}

GDriverUI::~GDriverUI() = default;

GCacheKey* GDriverUI::GetIdentity() const
{
    return new (std::nothrow) PrinterIdentity(callerHandle_, GetPrinterName(), GetSecondName(), GetThirdName(), 0);
}

void GDriverUI::ResetForReuse(const GCacheKey& identity)
{
    GDriverObject::ResetForReuse(identity);
    if (const PrinterIdentity* printer = dynamic_cast<const PrinterIdentity*>(&identity))
        callerHandle_ = printer->GetPrinterHandle();
    ticket_ = 0;
}

DWORD GDriverUI::DeviceCapabilities(HANDLE, LPWSTR, WORD capability, PVOID, PDEVMODEW)
{
    for (const auto& row : kCapabilityAnswers)
        if (row.capability == capability)
            return row.answer;
    return GDI_ERROR;
}

// Without sheet info: the size query gives the DEVMODE's size; DM_OUT_BUFFER fills the
// caller's DEVMODE with the printer's public defaults, named after the printer.
LONG GDriverUI::DocumentPropertySheets(PPROPSHEETUI_INFO info, LPARAM parameter)
{
    if (info)
        return kRefused;
    DOCUMENTPROPERTYHEADER* header = reinterpret_cast<DOCUMENTPROPERTYHEADER*>(parameter);
    if (!header)
        return kRefused;
    if (!(header->fMode & DM_OUT_BUFFER) || !header->pdmOut)
        return kDevModeSize;
    DEVMODEW& out = *header->pdmOut;
    ZeroMemory(&out, sizeof out);
    const RWWString& name = GetPrinterName();
    const wchar_t* source = header->pszPrinterName ? header->pszPrinterName : name.Data();
    if (source)
        wcsncpy(out.dmDeviceName, source, CCHDEVICENAME - 1);
    out.dmSpecVersion = static_cast<WORD>(kSpecVersion);
    out.dmSize = kDevModeSize;
    out.dmDriverExtra = kDevModeExtra;
    out.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES;
    out.dmOrientation = DMORIENT_PORTRAIT;
    out.dmPaperSize = DMPAPER_LETTER;
    out.dmCopies = 1;
    return IDOK;
}

LONG GDriverUI::DocumentProperties(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW, DWORD) { return kRefused; }
LONG GDriverUI::AdvancedDocumentProperties(HWND, HANDLE, LPWSTR, PDEVMODEW, PDEVMODEW) { return 0; }
BOOL GDriverUI::ConvertDevMode(LPWSTR, PDEVMODEW, PDEVMODEW, PLONG, DWORD) { return FALSE; }
LONG GDriverUI::DevicePropertySheets(PPROPSHEETUI_INFO, LPARAM) { return kRefused; }
BOOL GDriverUI::PrinterProperties(HWND, HANDLE) { return FALSE; }
BOOL GDriverUI::DevQueryPrintEx(PDEVQUERYPRINT_INFO) { return FALSE; }
BOOL GDriverUI::UpgradePrinter(DWORD, LPBYTE) { return FALSE; }
BOOL GDriverUI::PrinterEvent(LPWSTR, INT, DWORD, LPARAM) { return FALSE; }
INT GDriverUI::DocumentEvent(HANDLE, HDC, INT, ULONG, PVOID, ULONG, PVOID) { return DOCUMENTEVENT_UNSUPPORTED; }
uint32_t GDriverUI::RegisterExtension(const char*, uint32_t) { return kExtensionUnsupported; }
