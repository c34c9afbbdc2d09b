// What the driver UI object keeps with the printer outside the settings tree: the
// configuration's feature string, the stale mark of a default rebuilt from the device
// model, and the list of driver files a printer connection caches from its server.
#include "entry/driverui/GDriverUI.h"

#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GRangeAttribute.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GOSFactory.h"
#include "settings/dmc/GDriverDMCConfig.h"

#include <cwchar>
#include <cwctype>
#include <vector>

namespace {

using namespace FeatureId;

const wchar_t kFeatureStringValue[] = L"FeatureString";
const wchar_t kFontCardsValue[] = L"FontCards";
const wchar_t kStaleValue[] = L"Stale";
const size_t kLargestFeatureString = 1024;
const DWORD kLargestDriverInfo = 1u << 20;

bool SameText(const wchar_t* a, const wchar_t* b)
{
    for (; *a && *b; ++a, ++b)
        if (std::towupper(*a) != std::towupper(*b))
            return false;
    return *a == *b;
}

} // namespace

int GDriverUI::StoreFeatureString()
{
    GOSFactory* services = GOSFactory::Instance();
    GConfiguration* configuration = GetPrinterConfiguration();
    GStringAttribute* text = Feature<GStringAttribute>(configuration, kFeatureString);
    if (!services || !text || text->GetString().Length() > kLargestFeatureString)
        return 0;
    const int stored =
        services->SetPrinterDataString(this, kFeatureStringValue, RWWString(text->GetString().Data(), RWWString::multiByte));
    int32_t cards = 0;
    if (GDriverObject::NumberOf(configuration, kFontCards, cards) && cards != 0)
        services->SetPrinterDataDword(this, kFontCardsValue, 1);
    return stored == 1 ? 1 : 0;
}

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

std::vector<RWWString> GDriverUI::CachedFileList(const std::vector<const wchar_t*>& paths, const wchar_t* folder)
{
    std::vector<RWWString> list;
    const size_t folderLength = folder ? std::wcslen(folder) : 0;
    if (!folderLength)
        return list;
    for (const wchar_t* path : paths) {
        if (list.size() == kCachedFileSlots)
            break;
        if (!path || std::wcslen(path) <= folderLength + 1 || path[folderLength] != L'\\')
            continue;
        // Only a file under the driver folder: the prefix compared without case.
        const std::wstring prefix(path, folderLength);
        if (!SameText(prefix.c_str(), folder))
            continue;
        const wchar_t* slash = std::wcsrchr(path, L'\\');
        if (!IsPlainFileName(slash + 1) || std::wcsstr(path + folderLength, L".."))
            continue;
        bool repeated = false;
        for (const RWWString& kept : list)
            repeated = repeated || SameText(kept.Data(), path);
        if (!repeated)
            list.push_back(RWWString(path));
    }
    return list;
}

RWWString GDriverUI::CachedFilePath(int slot)
{
    // Only a printer connection ("\\server\printer") caches its server's files; a local
    // printer's driver files are its own and never listed.
    const RWWString& name = GetPrinterName();
    if (slot < 0 || size_t(slot) >= kCachedFileSlots || name.Length() < 3 || name.Data()[0] != L'\\' ||
        name.Data()[1] != L'\\')
        return RWWString();
    HANDLE printer = GetPrinterHandle();
    DWORD needed = 0;
    if (!printer || ::GetPrinterDriverW(printer, nullptr, 3, nullptr, 0, &needed) || needed < sizeof(DRIVER_INFO_3W) ||
        needed > kLargestDriverInfo)
        return RWWString();
    std::vector<BYTE> buffer(needed);
    if (!::GetPrinterDriverW(printer, nullptr, 3, buffer.data(), needed, &needed))
        return RWWString();
    wchar_t folder[MAX_PATH + 1] = {};
    DWORD folderBytes = 0;
    if (!::GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof(folder) - sizeof(wchar_t),
                                      &folderBytes))
        return RWWString();
    const DRIVER_INFO_3W* info = reinterpret_cast<const DRIVER_INFO_3W*>(buffer.data());
    std::vector<const wchar_t*> paths = {info->pDriverPath, info->pDataFile, info->pConfigFile, info->pHelpFile};
    // The dependent files: a list of strings ended by an empty one, inside the buffer.
    const wchar_t* end = reinterpret_cast<const wchar_t*>(buffer.data() + buffer.size());
    for (const wchar_t* file = info->pDependentFiles; file && file >= reinterpret_cast<const wchar_t*>(buffer.data()) &&
                                                       file < end && *file;) {
        const size_t length = wcsnlen(file, size_t(end - file));
        if (file + length >= end)
            break;
        paths.push_back(file);
        file += length + 1;
    }
    const std::vector<RWWString> list = CachedFileList(paths, folder);
    return size_t(slot) < list.size() ? list[size_t(slot)] : RWWString();
}
