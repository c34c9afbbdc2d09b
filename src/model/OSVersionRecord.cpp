#include "model/OSVersionRecord.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace {

const uint32_t kWin32s = 0;
const uint32_t kWindows = 1;
const uint32_t kNT = 2;

// The kind before the registry refines NT 4 and Windows 2000; 0 when the table has none.
uint32_t BaseKind(const OSVersionFacts& f)
{
    if (f.query == 2) {
        if (f.platform == kNT)
            return f.major == 4 ? 9 : 13;
        return f.major == 3 ? 4 : 5;
    }
    if (f.query == 1 && f.platform == kWindows)
        return 5;
    switch (f.platform) {
    case kWin32s:
        return 4;
    case kWindows:
        if (f.major < 4)
            return 0;
        if (f.minor >= 1 && f.minor <= 19)
            return 7;
        if (f.minor > 20)
            return 8;
        return 6;
    case kNT:
        if (f.major == 4)
            return 9;
        if (f.major == 5)
            return (f.build & 0xFFFF) == 2195 ? 13 : 14;
        return 0;
    default:
        return 0;
    }
}

// The product options of NT, read into a 128-byte buffer.
struct ProductOptions {
    bool typeRead = false;
    char type[128] = {};
    uint32_t typeSize = 0;
    bool suiteRead = false;
};

ProductOptions ReadProductOptions()
{
    ProductOptions options;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\ProductOptions", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return options;
    char buffer[128];
    DWORD size = sizeof buffer;
    DWORD type = 0;
    if (RegQueryValueExA(key, "ProductType", nullptr, &type, reinterpret_cast<BYTE*>(options.type), &size) ==
        ERROR_SUCCESS) {
        options.typeRead = true;
        options.typeSize = size;
        DWORD suiteSize = size;
        options.suiteRead = RegQueryValueExA(key, "ProductSuite", nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                                             &suiteSize) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    return options;
}

} // namespace

int ClassifyOSVersion(const OSVersionFacts& facts, OSVersionRecord& record)
{
    uint32_t kind = BaseKind(facts);
    if (kind == 0)
        return 0;
    if (kind == 9 || kind == 13) {
        // A value that fills the buffer without a terminator is no text: a failed read.
        if (!facts.productTypeRead || !facts.productType ||
            !std::memchr(facts.productType, 0, std::min<uint32_t>(facts.productTypeSize, 128)))
            return 0;
        if (lstrcmpiA(facts.productType, "Winnt") != 0)
            kind = 10;
        else if (!facts.productSuiteRead)
            kind = 9;
        else
            kind = 13;
    }
    record.kind = kind;
    record.version = (facts.major & 0xFFFF) << 16 | (facts.minor & 0xFFFF);
    record.build = facts.build & 0xFFFF;
    return 1;
}

int DetectOSVersion(OSVersionRecord& record)
{
    OSVersionFacts facts = {};
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
    OSVERSIONINFOEXW extended = {};
    extended.dwOSVersionInfoSize = sizeof extended;
    if (GetVersionExW(&info)) {
        facts = {0,     info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber,
                 false, nullptr,           0,                   false};
    } else if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&extended))) {
        facts = {1, extended.dwPlatformId, extended.dwMajorVersion, extended.dwMinorVersion, extended.dwBuildNumber,
                 false, nullptr, 0, false};
    } else {
        const DWORD version = GetVersion();
        const bool nt = (version & 0x80000000u) == 0;
        facts = {2, nt ? kNT : kWindows, version & 0xFF, (version >> 8) & 0xFF, 0, false, nullptr, 0, false};
    }
    const uint32_t kind = BaseKind(facts);
    ProductOptions options;
    if (kind == 9 || kind == 13) {
        options = ReadProductOptions();
        facts.productTypeRead = options.typeRead;
        facts.productType = options.type;
        facts.productTypeSize = options.typeSize;
        facts.productSuiteRead = options.suiteRead;
    }
    return ClassifyOSVersion(facts, record);
}

uint32_t GetOSFamily(const OSVersionRecord& record)
{
    static const struct {
        uint32_t kind;
        uint32_t family;
    } kFamilies[] = {{1, 1}, {2, 2}, {3, 2}, {4, 2}, {5, 3}, {9, 4}, {10, 4}, {11, 4}, {13, 4}, {14, 4}, {12, 6}};
    for (const auto& row : kFamilies)
        if (row.kind == record.kind)
            return row.family;
    return 0;
}
