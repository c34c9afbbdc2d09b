#include "settings/devmode/GDriverDevMode.h"

#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/PrinterRecordScope.h"

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <vector>

namespace {

const size_t kSpecVersionAt = offsetof(DEVMODEW, dmSpecVersion);
const size_t kSizeAt = offsetof(DEVMODEW, dmSize);
const size_t kDriverExtraAt = offsetof(DEVMODEW, dmDriverExtra);
const size_t kFieldsAt = offsetof(DEVMODEW, dmFields);
const size_t kOrientationAt = offsetof(DEVMODEW, dmOrientation);
const size_t kDefaultSourceAt = offsetof(DEVMODEW, dmDefaultSource);
const size_t kFormNameAt = offsetof(DEVMODEW, dmFormName);
const size_t kFormNameChars = CCHFORMNAME;
// A DEVMODE must reach past the form name before its form fields are read.
const size_t kFormFieldsEnd = kFormNameAt + kFormNameChars * sizeof(wchar_t);
// Application flags that hand out only the public part.
const uint32_t kPublicOnlyApplications = 0x40100;
// A printer record larger than this is not a printer record.
const DWORD kLargestPrinterInfo = 1u << 20;
const wchar_t kEmfDatatype[] = L"NT EMF 1.003";

GValueAttribute* ValueIn(GObjectBase* holder, long id)
{
    GObjectBase* found = holder ? holder->FindById(id) : nullptr;
    return found && found->IsKindOf(GValueAttribute::kClassId) ? static_cast<GValueAttribute*>(found) : nullptr;
}

// A text of the spooler's record: inside the record and ended inside it.
bool TextInside(const wchar_t* text, const uint8_t* begin, const uint8_t* end)
{
    const uint8_t* at = reinterpret_cast<const uint8_t*>(text);
    if (!text || at < begin || at >= end)
        return false;
    return wcsnlen(text, size_t(end - at) / sizeof(wchar_t)) < size_t(end - at) / sizeof(wchar_t);
}

} // namespace

GDriverDevMode::GDriverDevMode(GDriverObject* owner, HANDLE printer) : GDevModeConverter(owner), owner_(owner)
{
    if (printer)
        LoadPrinterDevMode(printer);
    if (!loaded_) {
        SetDefaults();
        SetTree(driver_ ? driver_->CreateDefaultSettings() : nullptr);
        return;
    }
    ReadStartingTree();
}

GDriverDevMode::~GDriverDevMode() {}

void GDriverDevMode::ReadStartingTree()
{
    GObjectBase* tree = UnpackSettings(GetDevMode(), 0);
    if (!tree) {
        ForceMonochromeForApplication();
        for (uint32_t flags : {kNativeCoding, kNativeCoding | kLzwCodec})
            if (!tree && (tree = UnpackSettings(GetDevMode(), flags)) != nullptr)
                tree = ToCurrentForm(tree);
    }
    if (!tree && driver_)
        tree = driver_->CreateDefaultSettings();
    SetTree(tree);
}

int GDriverDevMode::CopyOut(DEVMODEW* devMode)
{
    if (!devMode)
        return 0;
    if (!driver_ || !(driver_->GetAppFlags() & kPublicOnlyApplications))
        return GDevModeConverter::CopyOut(devMode);
    CopyPublicOut(devMode);
    PutWord(devMode, kSizeAt, uint16_t(kPublicSize));
    PutWord(devMode, kDriverExtraAt, 0);
    return 1;
}

int GDriverDevMode::ToDevMode(GObjectBase* tree, DEVMODEW* devMode)
{
    const int result = GDevModeConverter::ToDevMode(tree, devMode);
    if (!devMode || Word(devMode, kSizeAt) < kFormFieldsEnd)
        return result;
    // The form name always names the paper the DEVMODE gives, the form source's paper
    // included: the spooler's form of the paper when it has one, else no name at all, so
    // that the DEVMODE never contradicts itself.
    uint8_t* bytes = reinterpret_cast<uint8_t*>(devMode);
    wchar_t name[kFormNameChars] = {};
    bool named = false;
    uint32_t index = 0;
    GValueAttribute* paper = ValueIn(tree, FeatureId::kPaperSize);
    if (paper && owner_ && owner_->PaperCodeToFormIndex(paper->GetValue(), index) && index >= 1) {
        uint32_t count = 0;
        FORM_INFO_1W* forms = owner_->EnumForms(count);
        if (forms && index <= count && forms[index - 1].pName) {
            wcsncpy(name, forms[index - 1].pName, kFormNameChars - 1);
            named = true;
        }
        owner_->FreeForms(forms);
    }
    std::memcpy(bytes + kFormNameAt, name, sizeof name);
    const uint32_t fields = DoubleWord(bytes, kFieldsAt);
    PutDoubleWord(bytes, kFieldsAt, named ? fields | DM_FORMNAME : fields & ~uint32_t(DM_FORMNAME));
    return result;
}

int GDriverDevMode::FromDevMode(const DEVMODEW* devMode, GObjectBase* tree)
{
    const int result = GDevModeConverter::FromDevMode(devMode, tree);
    if (!devMode || !tree || Word(devMode, kSizeAt) < kFormFieldsEnd || !(PresentFields(devMode) & DM_FORMNAME))
        return result;
    // The form name chooses the paper for the form source, and whenever the DEVMODE
    // names a form without a paper size or a custom size's width and length.
    const bool formSource = int16_t(Word(devMode, kDefaultSourceAt)) == DMBIN_FORMSOURCE;
    if (!formSource && ((PresentFields(devMode) & DM_PAPERSIZE) || AsksSizeByDimensions(devMode)))
        return result;
    GValueAttribute* paper = ValueIn(tree, FeatureId::kPaperSize);
    if (!paper || !driver_)
        return result;
    // At most 32 characters, whether or not the DEVMODE ends its name.
    wchar_t name[kFormNameChars + 1] = {};
    std::memcpy(name, reinterpret_cast<const uint8_t*>(devMode) + kFormNameAt, kFormNameChars * sizeof(wchar_t));
    GValueAttribute* loose = ValueIn(driver_->GetPrinterConfiguration(), FeatureId::kLooseFormFit);
    const int strict = loose && loose->GetValue() ? 0 : 1;
    uint32_t index = 0;
    uint16_t code = 0;
    if (FindFormIndex(name, index, strict) && owner_ && owner_->FormIndexToPaperCode(index, code))
        paper->SetValue(code);
    else if (formSource)
        paper->SetValue(driver_->DefaultPaperCode());
    return result;
}

int GDriverDevMode::LoadPrinterDevMode(HANDLE printer)
{
    std::vector<uint8_t> record;
    const RWWString* printerName = owner_ ? &owner_->GetPrinterName() : nullptr;
    recordUnread_ = printer != nullptr;
    if (!PrinterRecordScope::Read(printer, printerName && !printerName->IsNull() ? printerName->Data() : nullptr,
                                  record) ||
        record.size() > kLargestPrinterInfo)
        return 0;
    recordUnread_ = false;
    const uint8_t* begin = record.data();
    const uint8_t* end = begin + record.size();
    const PRINTER_INFO_2W* info = reinterpret_cast<const PRINTER_INFO_2W*>(begin);
    if (TextInside(info->pDatatype, begin, end))
        emf_ = std::wcscmp(info->pDatatype, kEmfDatatype) == 0 ? 1 : 0;
    // The DEVMODE may sit anywhere in the record, unaligned: it is taken as bytes, whole
    // inside the record, and checked before it replaces the buffer.
    const uint8_t* devMode = reinterpret_cast<const uint8_t*>(info->pDevMode);
    if (!devMode || devMode < begin || devMode > end || size_t(end - devMode) < kTotalSize)
        return 0;
    std::vector<uint8_t> copy(devMode, devMode + kTotalSize);
    if (!IsValidDevMode(reinterpret_cast<const DEVMODEW*>(copy.data())) ||
        Word(copy.data(), kPackedLengthAt) > kPackedCapacity)
        return 0;
    // The spooler writes the printer's name into the device name and may leave whatever
    // its buffer held after the terminator: those bytes are nobody's and must not travel
    // on in the DEVMODEs this driver hands out.
    auto* name = reinterpret_cast<wchar_t*>(copy.data() + offsetof(DEVMODEW, dmDeviceName));
    for (size_t i = wcsnlen(name, CCHDEVICENAME); i < CCHDEVICENAME; ++i)
        name[i] = 0;
    std::memcpy(buffer_, copy.data(), kTotalSize);
    loaded_ = 1;
    ForceMonochromeForApplication();
    return 1;
}

int GDriverDevMode::IsValidDevMode(const DEVMODEW* devMode)
{
    // In order: the words after the public part are read only once the sizes vouch for them.
    return devMode && Word(devMode, kSpecVersionAt) == kSpecVersion && Word(devMode, kSizeAt) == kPublicSize &&
           Word(devMode, kDriverExtraAt) == kDriverExtra && Word(devMode, kTotalSizeAt) == kTotalSize &&
           Word(devMode, kHeaderSizeAt) == kPrivateHeaderSize && Word(devMode, kVersionAt) == kPrivateVersion &&
           kPrivateDataSize - Word(devMode, kCapacityAt) == 4;
}

int GDriverDevMode::LookupForm(const wchar_t* formName, uint32_t& index, uint16_t xResolution, uint16_t yResolution,
                               uint32_t angle, int strict)
{
    if (!formName || !owner_)
        return 0;
    uint32_t count = 0;
    FORM_INFO_1W* forms = owner_->EnumForms(count);
    int found = 0;
    for (uint32_t i = 0; forms && i < count; ++i) {
        if (!forms[i].pName || _wcsicmp(forms[i].pName, formName) != 0)
            continue;
        if (owner_->FormFitsDevice(angle, xResolution, yResolution, strict, i + 1))
            index = i + 1, found = 1;
        break;
    }
    owner_->FreeForms(forms);
    return found;
}

int GDriverDevMode::IsFormSupported(const wchar_t* formName, uint32_t& index, uint16_t xResolution,
                                    uint16_t yResolution, uint32_t angle)
{
    GValueAttribute* loose = ValueIn(driver_ ? driver_->GetPrinterConfiguration() : nullptr, FeatureId::kLooseFormFit);
    const int strict = loose && loose->GetValue() ? 0 : 1;
    return LookupForm(formName, index, xResolution, yResolution, angle, strict);
}

int GDriverDevMode::FindFormIndex(const wchar_t* formName, uint32_t& index, int strict)
{
    const uint32_t angle = int16_t(Word(buffer_, kOrientationAt)) == DMORIENT_LANDSCAPE ? 90 : 0;
    return LookupForm(formName, index, GetXResolution(), GetYResolution(), angle, strict);
}
