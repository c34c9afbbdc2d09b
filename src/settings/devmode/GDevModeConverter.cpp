#include "settings/devmode/GDevModeConverter.h"

#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"

#include <cstring>

namespace {

const size_t kDeviceNameAt = offsetof(DEVMODEW, dmDeviceName);
const size_t kDeviceNameChars = CCHDEVICENAME;
const size_t kSpecVersionAt = offsetof(DEVMODEW, dmSpecVersion);
const size_t kDriverVersionAt = offsetof(DEVMODEW, dmDriverVersion);
const size_t kSizeAt = offsetof(DEVMODEW, dmSize);
const size_t kDriverExtraAt = offsetof(DEVMODEW, dmDriverExtra);
const size_t kFieldsAt = offsetof(DEVMODEW, dmFields);
const size_t kColorAt = offsetof(DEVMODEW, dmColor);
const size_t kCollateAt = offsetof(DEVMODEW, dmCollate);
const uint16_t kDriverVersion = 24;
// Application flag: print this application's documents in monochrome.
const uint32_t kMonochromeApplication = 0x80;

} // namespace

GDevModeConverter::GDevModeConverter(GDriverObject* driver) : GDevModeBase(driver) {}
GDevModeConverter::~GDevModeConverter() {}

void GDevModeConverter::WriteDeviceName(uint8_t* devMode)
{
    wchar_t name[kDeviceNameChars] = {};
    if (driver_) {
        const RWWString& printer = driver_->GetPrinterName();
        const size_t length = printer.Length() < kDeviceNameChars - 1 ? printer.Length() : kDeviceNameChars - 1;
        std::memcpy(name, printer.Data(), length * sizeof(wchar_t));
    }
    if (std::memcmp(devMode + kDeviceNameAt, name, sizeof name) != 0)
        std::memcpy(devMode + kDeviceNameAt, name, sizeof name);
}

void GDevModeConverter::BindDriver(GDriverObject* driver)
{
    GDevModeBase::BindDriver(driver);
    WriteDeviceName(buffer_);
}

int GDevModeConverter::ToDevMode(GObjectBase*, DEVMODEW*) { return 1; }
int GDevModeConverter::FromDevMode(const DEVMODEW*, GObjectBase*) { return 1; }

RWWString GDevModeConverter::GetDeviceName()
{
    wchar_t name[kDeviceNameChars + 1] = {};
    std::memcpy(name, buffer_ + kDeviceNameAt, kDeviceNameChars * sizeof(wchar_t));
    return RWWString(name);
}

RWCString GDevModeConverter::GetDriverName()
{
    const char* name = reinterpret_cast<const char*>(buffer_ + kDriverNameAt);
    return RWCString(name, strnlen(name, kDriverNameLength));
}

void GDevModeConverter::ForceMonochromeForApplication()
{
    if (!driver_ || !(driver_->GetAppFlags() & kMonochromeApplication) || Word(buffer_, kColorAt) != DMCOLOR_COLOR)
        return;
    const int32_t mode = driver_->GetCachedFeature339();
    if (mode == 0 || mode == 2) {
        PutWord(buffer_, kColorAt, DMCOLOR_MONOCHROME);
        PutDoubleWord(buffer_, kFieldsAt, DoubleWord(buffer_, kFieldsAt) | DM_COLOR);
    }
}

void GDevModeConverter::NormalizeCollate(DEVMODEW* devMode)
{
    uint8_t* bytes = reinterpret_cast<uint8_t*>(devMode);
    const uint16_t spec = devMode ? Word(bytes, kSpecVersionAt) : 0;
    if (!devMode || (spec != 0x400 && spec != 0x401) || Word(bytes, kSizeAt) <= 219)
        return;
    GObjectBase* configuration = driver_ ? driver_->GetPrinterConfiguration() : nullptr;
    GObjectBase* collation = configuration ? configuration->FindById(FeatureId::kCollationAvailable) : nullptr;
    const bool offered = collation && collation->IsKindOf(GValueAttribute::kClassId) &&
                         static_cast<GValueAttribute*>(collation)->GetValue() != 0;
    uint32_t fields = DoubleWord(bytes, kFieldsAt);
    if (!offered) {
        PutDoubleWord(bytes, kFieldsAt, fields & ~uint32_t(DM_COLLATE));
        PutWord(bytes, kCollateAt, 0);
        return;
    }
    if (!(fields & DM_COLLATE))
        PutDoubleWord(bytes, kFieldsAt, fields | DM_COLLATE), PutWord(bytes, kCollateAt, 1);
    else if (Word(bytes, kCollateAt) > 1)
        PutWord(bytes, kCollateAt, 1);
}

uint16_t GDevModeConverter::GetDriverVersion() { return kDriverVersion; }

int GDevModeConverter::CheckDevMode(void*, const DEVMODEW*, int, uint32_t& mask)
{
    mask = 0;
    return 1;
}

int GDevModeConverter::PublicEquals(const DEVMODEW* devMode)
{
    if (!devMode || Word(devMode, kSizeAt) != Word(buffer_, kSizeAt) ||
        Word(devMode, kDriverExtraAt) != Word(buffer_, kDriverExtraAt))
        return 0;
    const uint32_t size = uint32_t(Word(buffer_, kSizeAt)) + Word(buffer_, kDriverExtraAt);
    return size <= bufferSize_ && std::memcmp(devMode, buffer_, size) == 0;
}

int GDevModeConverter::IsEmfDatatype() { return int(emf_); }

void GDevModeConverter::SetDefaults()
{
    WriteDeviceName(buffer_);
    PutWord(buffer_, kSpecVersionAt, GetSpecVersion());
    PutWord(buffer_, kDriverVersionAt, GetDriverVersion());
    PutWord(buffer_, kSizeAt, uint16_t(kPublicSize));
    PutWord(buffer_, kDriverExtraAt, uint16_t(kDriverExtra));
    PutDoubleWord(buffer_, kFieldsAt, 0);
    WriteFreshHeader();
}

int GDevModeConverter::MapPrintQuality(int16_t, uint16_t&, uint16_t&, uint16_t&, GObjectBase*) { return 0; }
int GDevModeConverter::ResolutionToQuality(GObjectBase*, uint16_t, uint16_t, int16_t&) { return 0; }
int GDevModeConverter::IsFormSupported(const wchar_t*, uint32_t&, uint16_t, uint16_t, uint32_t) { return 0; }
int GDevModeConverter::CheckPair(uint32_t, uint32_t) { return 0; }
int GDevModeConverter::SourceName(int16_t, RWCString&) { return 0; }
int GDevModeConverter::SourceFromName(GObjectBase*, const RWCString&, int16_t&) { return 0; }
