// The device capabilities: each index answered from the current DEVMODE object, the
// printer's configuration and the settings; the paper lists are built from the spooler's
// forms that fit the device and kept until the state word marks them stale.
#include "entry/driverui/GDriverUICapabilities.h"

#include "entry/driverui/DriverResourceLibrary.h"
#include "entry/driverui/GDriverUI.h"
#include "model/GConfiguration.h"
#include "model/GDisplayString.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GRangeAttribute.h"
#include "model/GResourceMapping.h"
#include "model/GValueAttribute.h"
#include "printer/GFormToTrayDatabase.h"
#include "printer/GTray.h"
#include "settings/devmode/GDriverDevMode.h"

#include <cstring>
#include <cwchar>
#include <memory>

namespace {

using namespace FeatureId;

const uint32_t kPublicOnlyApplications = 0x40100;
// The private capability index and its record.
const WORD kHelpRecordIndex = 0x5A51;
const uint32_t kHelpRecordSize = 1538;
const size_t kHelpTextSize = 512;
const size_t kPaperNameChars = 64;
const size_t kBinNameChars = 24;
const uint32_t kCustomSizeString = 10120;

} // namespace

int16_t GDriverUICapabilities::SignedOf(GObjectBase* holder, long id, int16_t fallback)
{
    if (GValueAttribute* value = GDriverObject::Feature<GValueAttribute>(holder, id))
        return int16_t(value->GetValue());
    if (GRangeAttribute* range = GDriverObject::Feature<GRangeAttribute>(holder, id))
        return range->GetValue();
    return fallback;
}

DWORD GDriverUICapabilities::DeviceCapabilities(WORD capability, PVOID output, PDEVMODEW devMode)
{
    if (!ui_.MergeForReading(devMode) || !ui_.GetDevModeObject())
        return GDI_ERROR;
    return Capability(capability, output);
}

DWORD GDriverUICapabilities::Capability(WORD capability, PVOID output)
{
    const DEVMODEW* held = ui_.GetDevModeObject()->GetDevMode();
    GConfiguration* configuration = ui_.GetPrinterConfiguration();
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
        return ui_.GetAppFlags() & kPublicOnlyApplications ? 0 : held->dmDriverExtra;
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
        GObjectBase* tree = ui_.GetDevModeObject()->GetSettingsTree();
        GObjectBase* node = tree ? tree->FindById(kOrientationDegrees) : nullptr;
        const uint16_t value = node ? uint16_t(SignedOf(tree, kOrientationDegrees, 0)) : 0;
        return OrientationAnswer(node ? &value : nullptr);
    }
    case DC_COPIES: {
        GRangeAttribute* copies = GDriverObject::Feature<GRangeAttribute>(configuration, kCopiesRange);
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

DWORD GDriverUICapabilities::OrientationAnswer(const uint16_t* value)
{
    if (!value)
        return 0;
    return *value == 270 || *value == 180 ? 270 : 90;
}

DWORD GDriverUICapabilities::PackExtent(int32_t width, int32_t length)
{
    if (width < 0 || length < 0 || width >= 65535 || length >= 65535)
        return 0;
    return DWORD(uint16_t(width)) | DWORD(uint16_t(length)) << 16;
}

DWORD GDriverUICapabilities::Extent(uint16_t mediaId)
{
    GDriverDevMode* devMode = ui_.GetDevModeObject();
    int32_t size[2] = {};
    if (!ui_.CustomSizeLimit(mediaId, devMode->GetXResolution(), devMode->GetYResolution(), size))
        return GDI_ERROR;
    return PackExtent(size[0], size[1]);
}

DWORD GDriverUICapabilities::Duplex() { return ui_.BothSidesPossible() ? 1 : 0; }

DWORD GDriverUICapabilities::Resolutions(LONG* pairs)
{
    GConfiguration* configuration = ui_.GetPrinterConfiguration();
    if (!configuration)
        return GDI_ERROR;
    const bool alternate = SignedOf(ui_.CurrentSettings(), kResolutionChoice, 0) == 2;
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
            if (ui_.GetAppFlags() & 0x20000000)
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
    const DriverResourceLibrary* library;
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

DWORD GDriverUICapabilities::Bins(WORD* numbers, wchar_t* names)
{
    GObjectBase* settings = ui_.CurrentSettings();
    if (ui_.FormTableCustomized()) {
        if (numbers)
            numbers[0] = DMBIN_FORMSOURCE;
        if (names) {
            std::memset(names, 0, kBinNameChars * sizeof(wchar_t));
            std::wcsncpy(names, GDriverObject::kFormSourceName, kBinNameChars - 1);
        }
        return 1;
    }
    DriverResourceLibrary library(ui_);
    if (names && !library.Get())
        return GDI_ERROR;
    BinWalk walk = {numbers, names, 0, &library};
    // A device that asks for it gets its pool rebuilt from the state instead.
    if (SignedOf(settings ? settings->FindById(kDeviceSettings) : nullptr, kRebuildBinPool, 0) == 1) {
        ui_.ApplyStoredMaps(nullptr);
        int32_t counter = 0;
        ui_.BuildPool(&WriteMappedBin, &walk, 1, counter);
    } else {
        ui_.ForEachInstalledBin(&WriteBin, &walk, nullptr);
    }
    return walk.count ? walk.count : GDI_ERROR;
}

void GDriverUICapabilities::FreePaperCache()
{
    paperCount_ = 0;
    paperNames_.clear();
    paperCodes_.clear();
    paperSizes_.clear();
}

DWORD GDriverUICapabilities::EnumPapers(wchar_t* names, WORD* codes, POINT* sizes)
{
    if (ui_.GetStateWord() & GDriverUIBase::kPaperCacheStale) {
        ui_.SetStateWord(ui_.GetStateWord() & ~GDriverUIBase::kPaperCacheStale);
        FreePaperCache();
        GDriverDevMode* devMode = ui_.GetDevModeObject();
        const uint16_t x = devMode->GetXResolution(), y = devMode->GetYResolution();
        const uint32_t angle = devMode->GetDevMode()->dmOrientation == DMORIENT_PORTRAIT ? 0 : 90;
        uint32_t formCount = 0;
        FORM_INFO_1W* forms = ui_.EnumForms(formCount);
        GObjectBase* settings = ui_.CurrentSettings();
        const int check = SignedOf(settings, kLooseFormFit, 0) == 0 ? 1 : 0;
        GFormToTrayDatabase* table = ui_.CustomizedFormTable();
        const bool customized = table != nullptr;
        if (forms) {
            paperNames_.assign((formCount + 1) * kPaperNameChars, 0);
            paperCodes_.assign(formCount + 1, 0);
            paperSizes_.assign(formCount + 1, POINT{0, 0});
        }
        for (uint32_t i = 0; forms && i < formCount; ++i) {
            const FORM_INFO_1W& form = forms[i];
            if (!ui_.SizeFitsDevice(angle, x, y, check, uint32_t(form.Size.cx), uint32_t(form.Size.cy)))
                continue;
            if (form.Flags == FORM_BUILTIN) {
                uint16_t code = 0;
                if (!ui_.GetPoolKey(uint16_t(i + 1), code) || (customized && !table->ContainsFirstValue(code)))
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
        ui_.FreeForms(forms);
        if (paperCodes_.empty()) {
            // No forms: only the custom size, which is counted but not listed.
            ++paperCount_;
        } else {
            if (!customSizeNameRead_) {
                customSizeName_ = ui_.LoadResourceString(kCustomSizeString);
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

