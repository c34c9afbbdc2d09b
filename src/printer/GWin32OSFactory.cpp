#include "printer/GWin32OSFactory.h"

#include "printer/GSemaphoreLock.h"
#include "model/GLocaleInfo.h"
#include "model/GStreamHolder.h"
#include "model/GTextConverter.h"
#include "model/MPersistentCompositeOnDisk.h"
#include "printer/GDriverObject.h"
#include "printer/GDriverServicesAdapter.h"
#include "printer/GPlatformCalls.h"
#include "printer/GPrinterDataCache.h"
#include "printer/PrinterRecordScope.h"

#include <sddl.h>
#include <winspool.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

// The registry and printer-data calls of these services, each counted as what it asks the
// platform.
LONG CountedOpenKeyExW(HKEY root, LPCWSTR path, DWORD options, REGSAM access, PHKEY key)
{
    GPlatformCalls::Count(GPlatformCalls::kKeyOpen);
    return RegOpenKeyExW(root, path, options, access, key);
}

LONG CountedOpenKeyW(HKEY root, LPCWSTR path, PHKEY key)
{
    GPlatformCalls::Count(GPlatformCalls::kKeyOpen);
    return RegOpenKeyW(root, path, key);
}

LONG CountedOpenKeyA(HKEY root, LPCSTR path, PHKEY key)
{
    GPlatformCalls::Count(GPlatformCalls::kKeyOpen);
    return RegOpenKeyA(root, path, key);
}

LONG CountedCreateKeyExW(HKEY root, LPCWSTR path, DWORD reserved, LPWSTR kind, DWORD options, REGSAM access,
                         LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition)
{
    GPlatformCalls::Count(GPlatformCalls::kKeyOpen);
    return RegCreateKeyExW(root, path, reserved, kind, options, access, security, key, disposition);
}

LONG CountedQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size)
{
    GPlatformCalls::Count(GPlatformCalls::kValueRead);
    return RegQueryValueExW(key, name, reserved, type, data, size);
}

LONG CountedQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size)
{
    GPlatformCalls::Count(GPlatformCalls::kValueRead);
    return RegQueryValueExA(key, name, reserved, type, data, size);
}

DWORD CountedGetPrinterDataW(HANDLE printer, LPWSTR name, LPDWORD type, LPBYTE data, DWORD size, LPDWORD needed)
{
    GPlatformCalls::Count(GPlatformCalls::kValueRead);
    return GetPrinterDataW(printer, name, type, data, size, needed);
}

const wchar_t kPrintersKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\";
const wchar_t kDriverDataKey[] = L"\\PrinterDriverData";
const wchar_t kMarker[] = L"???";
const uint32_t kFirstRoot = 0x80000000u;
const uint32_t kLastRoot = 0x80000006u;
// The largest binary value whose check is looked at on its own: as large as a stored
// object is read.
const uint32_t kLargestInspected = 16u << 20;

struct LocaleNumber {
    GLocaleInfo::Number field;
    const char* value;
    int32_t fallback;
};

struct LocaleText {
    GLocaleInfo::Text field;
    const char* value;
    const char* fallback;
};

// The user's international settings and what a missing one stands for.
const LocaleNumber kLocaleNumbers[] = {
    {GLocaleInfo::kICountry, "iCountry", 1}, {GLocaleInfo::kICurrDigits, "iCurrDigits", 2},
    {GLocaleInfo::kICurrency, "iCurrency", 0}, {GLocaleInfo::kIDate, "iDate", 0},
    {GLocaleInfo::kIDigits, "iDigits", 2}, {GLocaleInfo::kILZero, "iLZero", 1},
    {GLocaleInfo::kIMeasure, "iMeasure", 1}, {GLocaleInfo::kINegCurr, "iNegCurr", 1},
    {GLocaleInfo::kITime, "iTime", 0}, {GLocaleInfo::kITLZero, "iTLZero", 0},
    {GLocaleInfo::kLocale, "Locale", 409},
};

const LocaleText kLocaleTexts[] = {
    {GLocaleInfo::kS1159, "s1159", "AM"}, {GLocaleInfo::kS2359, "s2359", "PM"},
    {GLocaleInfo::kSCountry, "sCountry", "United States"}, {GLocaleInfo::kSCurrency, "sCurrency", "$"},
    {GLocaleInfo::kSDate, "sDate", "/"}, {GLocaleInfo::kSDecimal, "sDecimal", "."},
    {GLocaleInfo::kSLanguage, "sLanguage", "ENU"}, {GLocaleInfo::kSList, "sList", ","},
    {GLocaleInfo::kSLongDate, "sLongDate", "dddd, MMMM dd, yyyy"},
    {GLocaleInfo::kSShortDate, "sShortDate", "M/d/yy"}, {GLocaleInfo::kSThousand, "sThousand", ","},
    {GLocaleInfo::kSTime, "sTime", ":"},
};

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// The system root's name, which only the kernel's name space knows, in front of a folder.
const wchar_t kSystemRoot[] = L"\\SystemRoot";
// The verbatim prefix, and the one of a verbatim share.
const wchar_t kVerbatim[] = L"\\\\?\\";
const wchar_t kVerbatimShare[] = L"UNC\\";
// The longest name the file system takes, in characters.
const DWORD kLongestPath = 32767;

// A folder name in the form the spool folder's check takes: the system root's name as
// the Windows folder, a name rooted in a drive ("C:/Temp") or a share in its full form
// with no "." or ".." step, and a verbatim name ("\\?\C:\Temp") as the plain name it
// stands for when resolving leaves it as it is. A relative or drive-relative name, or any
// other form, stays as named, so that the check refuses it: resolved against whatever the
// current directory is, the spool files would land among the application's own.
RWWString FullFolderName(const RWWString& named)
{
    std::wstring name(named.Data(), named.Length());
    const size_t rootLength = std::wcslen(kSystemRoot);
    if (name.size() >= rootLength && _wcsnicmp(name.c_str(), kSystemRoot, rootLength) == 0 &&
        (name.size() == rootLength || IsSeparator(name[rootLength]))) {
        wchar_t windows[MAX_PATH] = {};
        const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return named;
        name.replace(0, rootLength, windows, length);
    }
    bool verbatim = false;
    if (name.compare(0, 4, kVerbatim) == 0) {
        verbatim = true;
        name.erase(0, 4);
        if (name.size() >= 4 && _wcsnicmp(name.c_str(), kVerbatimShare, 4) == 0)
            name.replace(0, 4, L"\\\\");
    }
    const bool onDrive = name.size() >= 3 && IsDriveLetter(name[0]) && name[1] == L':' && IsSeparator(name[2]);
    const bool onShare = name.size() >= 3 && IsSeparator(name[0]) && IsSeparator(name[1]) && !IsSeparator(name[2]) &&
                         name[2] != L'?' && name[2] != L'.';
    if (!onDrive && !onShare)
        return named;
    const DWORD needed = GetFullPathNameW(name.c_str(), 0, nullptr, nullptr);
    if (needed == 0 || needed > kLongestPath + 1)
        return named;
    std::vector<wchar_t> full(needed + 1, 0);
    const DWORD length = GetFullPathNameW(name.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return named;
    // A verbatim name means exactly its characters: one that resolving would change
    // names another folder than the plain form does.
    if (verbatim && name.compare(0, std::wstring::npos, full.data(), length) != 0)
        return named;
    return RWWString(full.data(), length);
}

// Whether the name comes back whole from the narrow form the spool files are opened by
// (the code page's): a character outside it would name no folder there.
bool SurvivesNarrowing(const RWWString& name)
{
    if (name.Length() == 0)
        return true;
    RWCString narrow;
    ToNarrowString(name, narrow);
    return narrow.Length() > 0 && RWWString(narrow, RWWString::multiByte) == name;
}

// The folder by its wide name when the spool files can use that, else by its short name
// when that serves; false when neither does, and the next candidate is asked.
bool UsableFolderName(RWWString& path)
{
    if (SurvivesNarrowing(path))
        return true;
    const DWORD needed = GetShortPathNameW(path.Data(), nullptr, 0);
    if (needed == 0 || needed > kLongestPath + 1)
        return false;
    std::vector<wchar_t> shortName(needed + 1, 0);
    const DWORD length = GetShortPathNameW(path.Data(), shortName.data(), needed);
    if (length == 0 || length >= needed)
        return false;
    const RWWString candidate(shortName.data(), length);
    if (!SurvivesNarrowing(candidate))
        return false;
    path = candidate;
    return true;
}

RWWString ChunkName(const RWWString& name, uint32_t index)
{
    std::vector<wchar_t> text(name.Length() + 16);
    std::swprintf(text.data(), text.size(), L"%ls:%lu", name.Data(), static_cast<unsigned long>(index));
    return RWWString(text.data());
}

RWWString PrinterKeyPath(GDriverObject* driver, const wchar_t* below)
{
    RWWString path(kPrintersKey);
    if (driver)
        path.Append(driver->GetPrinterName());
    path.Append(below);
    return path;
}

// The printer's driver-data key, opened for reading: where the local spooler keeps the
// values its printer-data calls answer from. Read directly, a value is one registry
// request instead of opening the printer and its keys again for each (one stored object
// is many chunk values). Null for a name that is no local printer's key (a connection
// to another machine holds backslashes), which then goes the spooler's way. Taken only
// with a printer handle already held: without one, a read opens the printer (asking for
// use only) as the spooler's way always did.
//
// Within an entry call the key stays open for the whole call, and the values read
// through it are kept between calls: the key's stamp, asked once a call, tells whether
// the kept ones are still the printer's (version 0: nothing is kept, every value is read).
struct DriverDataKey {
    HKEY key = nullptr;
    std::wstring path;
    uint64_t version = 0;

    DriverDataKey(GDriverObject* driver, void* printer, GPrinterDataCache& cache)
    {
        if (!driver || !printer)
            return;
        const RWWString& name = driver->GetPrinterName();
        if (name.IsNull() || name.Length() == 0 || std::wcschr(name.Data(), L'\\'))
            return;
        const RWWString full = PrinterKeyPath(driver, kDriverDataKey);
        path.assign(full.Data(), full.Length());
        if (void* shared = PrinterRecordScope::SharedReadKey(path.c_str())) {
            key = static_cast<HKEY>(shared);
            version = PrinterRecordScope::KeyTag(shared);
            if (version == 0) {
                GPrinterDataCache::Stamp stamp;
                if (ReadStamp(stamp)) {
                    version = cache.Validate(path, stamp);
                    PrinterRecordScope::SetKeyTag(shared, version);
                }
            }
            return;
        }
        if (CountedOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            key = nullptr;
    }
    // Closes a key this opened; the entry call's shared key stays open.
    ~DriverDataKey()
    {
        if (key && !PrinterRecordScope::IsSharedKey(key))
            RegCloseKey(key);
    }
    DriverDataKey(const DriverDataKey&) = delete;
    DriverDataKey& operator=(const DriverDataKey&) = delete;

    // The key's last write time and number of values: any write to the printer's data
    // changes one of them.
    bool ReadStamp(GPrinterDataCache::Stamp& stamp) const { return GWin32OSFactory::KeyStamp(key, stamp); }
};

// A value whole, as one read of the registry answers it: a value larger than a first
// buffer is asked for again at its size, within the bound; a larger one, or one that
// grew again meanwhile, reads as not fitting (ERROR_MORE_DATA).
void ReadWholeValue(HKEY key, const wchar_t* name, GPrinterDataCache::Value& value)
{
    const DWORD kFirstRead = 512;
    value.bytes.assign(kFirstRead, 0);
    DWORD type = 0, size = kFirstRead;
    LONG status = CountedQueryValueExW(key, name, nullptr, &type, value.bytes.data(), &size);
    if (status == ERROR_MORE_DATA && size > kFirstRead && size <= GPrinterDataCache::kLargestValue) {
        value.bytes.assign(size, 0);
        status = CountedQueryValueExW(key, name, nullptr, &type, value.bytes.data(), &size);
    }
    value.status = status;
    value.type = status == ERROR_SUCCESS ? type : 0;
    value.bytes.resize(status == ERROR_SUCCESS && size <= value.bytes.size() ? size : 0);
}

// A value of the printer's data through its key: the one kept for this version when
// there is one, else read and kept.
const GPrinterDataCache::Value& ReadDriverValue(GPrinterDataCache& cache, const DriverDataKey& data,
                                                const wchar_t* name, GPrinterDataCache::Value& value)
{
    if (cache.Find(data.path, data.version, name, value))
        return value;
    ReadWholeValue(data.key, name, value);
    cache.Keep(data.path, data.version, name, value);
    return value;
}

// The DWORD a value holds: exactly four bytes of REG_DWORD.
bool DwordOf(const GPrinterDataCache::Value& value, uint32_t& result)
{
    if (value.status != ERROR_SUCCESS || value.type != REG_DWORD || value.bytes.size() != sizeof(DWORD))
        return false;
    std::memcpy(&result, value.bytes.data(), sizeof(DWORD));
    return true;
}

// Text of a REG_SZ value of the given size read into a buffer with room to spare, so
// a stored text without its terminator, or of an odd size, still ends.
RWWString TerminatedText(const std::vector<BYTE>& bytes, DWORD size)
{
    const wchar_t* text = reinterpret_cast<const wchar_t*>(bytes.data());
    return RWWString(text, wcsnlen(text, (size + 1) / 2));
}

bool ReadRegistryString(HKEY root, const RWWString& path, const RWWString& name, RWWString& result)
{
    HKEY key = nullptr;
    if (CountedOpenKeyExW(root, path.Data(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    bool found = false;
    if (CountedQueryValueExW(key, name.Data(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_SZ &&
        size > 0) {
        std::vector<BYTE> bytes(size + 6, 0);
        if (CountedQueryValueExW(key, name.Data(), nullptr, &type, bytes.data(), &size) == ERROR_SUCCESS &&
            type == REG_SZ) {
            result = TerminatedText(bytes, size);
            found = true;
        }
    }
    RegCloseKey(key);
    return found;
}

bool ReadKeyDword(HKEY key, const wchar_t* name, uint32_t& value)
{
    DWORD type = 0, data = 0, size = sizeof data;
    if (CountedQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof data)
        return false;
    value = data;
    return true;
}

uint32_t ReadRegistryDword(HKEY root, const RWWString& path, const RWWString& name, uint32_t fallback)
{
    HKEY key = nullptr;
    if (CountedOpenKeyExW(root, path.Data(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return fallback;
    uint32_t value = fallback;
    ReadKeyDword(key, name.Data(), value);
    RegCloseKey(key);
    return value;
}

bool KeyExists(HKEY root, const RWWString& path)
{
    HKEY key = nullptr;
    if (CountedOpenKeyExW(root, path.Data(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// "???\<root>\<key path>\<value>": the root must be one of the predefined keys, the
// key path and the value name are split at the last backslash.
bool SplitMarkedName(const RWWString& marked, HKEY& root, RWWString& path, RWWString& value)
{
    const wchar_t* text = marked.Data();
    const size_t length = marked.Length();
    if (length < 5 || std::wcsncmp(text, kMarker, 3) != 0 || text[3] != L'\\')
        return false;
    size_t at = 4;
    uint64_t number = 0;
    for (; at < length && text[at] >= L'0' && text[at] <= L'9'; ++at) {
        number = number * 10 + (text[at] - L'0');
        if (number > kLastRoot)
            return false;
    }
    if (at == 4 || at >= length || text[at] != L'\\' || number < kFirstRoot)
        return false;
    size_t last = length;
    while (last > at + 1 && text[last - 1] != L'\\')
        --last;
    if (last <= at + 1)
        return false;
    root = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(number));
    path = RWWString(text + at + 1, last - 1 - (at + 1));
    value = RWWString(text + last, length - last);
    return !path.IsNull();
}

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 400 == 0 || year % 100 != 0); }

int DaysInMonth(int month, int year)
{
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

} // namespace

// The driver's own printer handle, or one opened by name for the call. A handle opened
// to read asks only for use, which every user that can print has; only writes ask for
// full access.
class GWin32OSFactory::PrinterHandle {
public:
    enum Access : ACCESS_MASK { kRead = PRINTER_ACCESS_USE, kWrite = PRINTER_ALL_ACCESS };

    PrinterHandle(GWin32OSFactory& services, GDriverObject* driver, Access access)
        : handle_(services.GetPrinterHandle(driver)), opened_(false)
    {
        if (handle_ || !driver)
            return;
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, access};
        RWWString name = driver->GetPrinterName();
        HANDLE handle = nullptr;
        if (!name.IsNull() && OpenPrinterW(const_cast<wchar_t*>(name.Data()), &handle, &defaults)) {
            handle_ = handle;
            opened_ = true;
        }
    }
    ~PrinterHandle()
    {
        if (opened_)
            ClosePrinter(handle_);
    }
    PrinterHandle(const PrinterHandle&) = delete;
    PrinterHandle& operator=(const PrinterHandle&) = delete;

    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
    bool opened_;
};

namespace {

uint32_t ReadPrinterDword(HANDLE printer, const RWWString& name, uint32_t fallback)
{
    DWORD type = 0, data = 0, needed = 0;
    if (!printer ||
        CountedGetPrinterDataW(printer, const_cast<wchar_t*>(name.Data()), &type, reinterpret_cast<BYTE*>(&data),
                        sizeof data, &needed) != ERROR_SUCCESS ||
        type != REG_DWORD || needed != sizeof data)
        return fallback;
    return data;
}

// A value through the spooler, as ReadWholeValue reads one of a key: no value of a
// binary write is larger than its first buffer.
void ReadPrinterValue(HANDLE printer, const RWWString& name, GPrinterDataCache::Value& value)
{
    const DWORD kRoom = 512;
    value.bytes.assign(kRoom, 0);
    DWORD type = 0, got = 0;
    const DWORD status = printer ? CountedGetPrinterDataW(printer, const_cast<wchar_t*>(name.Data()), &type,
                                                          value.bytes.data(), kRoom, &got)
                                 : DWORD(ERROR_INVALID_HANDLE);
    value.status = LONG(status);
    value.type = status == ERROR_SUCCESS ? type : 0;
    value.bytes.resize(status == ERROR_SUCCESS && got <= kRoom ? got : 0);
}

} // namespace

GWin32OSFactory::GWin32OSFactory() : timeBias_(0) { SetGlobalLock(CreateLock()); }
GWin32OSFactory::~GWin32OSFactory() = default;

GDriverObject* GWin32OSFactory::CreateDriverObject(const PrinterIdentity&) { return nullptr; }
GDriverObject* GWin32OSFactory::CreateSecondaryDriverObject(const PrinterIdentity&) { return nullptr; }
uint32_t GWin32OSFactory::GetCommandContext(void*) { return 0; }
uint32_t GWin32OSFactory::Reserved1(uint32_t, uint32_t, uint32_t) { return 0; }
uint32_t GWin32OSFactory::Reserved2() { return 0; }
GTextConverter* GWin32OSFactory::CreateTextConverter() { return nullptr; }
void GWin32OSFactory::SetTimeBias(int16_t minutes) { timeBias_ = minutes; }

int GWin32OSFactory::GetLocalAndShiftedTime(std::tm& local, std::tm& shifted, int16_t& bias)
{
    local = std::tm();
    shifted = std::tm();
    bias = timeBias_;
    const std::time_t now = std::time(nullptr);
    const std::tm* converted = now == std::time_t(-1) ? nullptr : std::localtime(&now);
    if (!converted)
        return 0;
    local = *converted;
    shifted = ShiftTime(local, bias);
    return 1;
}

std::tm GWin32OSFactory::ShiftTime(const std::tm& local, int bias)
{
    std::tm shifted = local;
    int hour = local.tm_hour + bias / 60;
    int minute = local.tm_min + bias % 60;
    if (minute < 0) {
        minute += 60;
        --hour;
    } else if (minute >= 60) {
        minute -= 60;
        ++hour;
    }
    int year = local.tm_year + 1900, month = local.tm_mon + 1, day = local.tm_mday;
    for (; hour < 0; hour += 24) {
        if (--day >= 1)
            continue;
        if (--month < 1) {
            month = 12;
            --year;
        }
        day = DaysInMonth(month, year);
    }
    for (; hour >= 24; hour -= 24) {
        if (++day <= DaysInMonth(month, year))
            continue;
        day = 1;
        if (++month > 12) {
            month = 1;
            ++year;
        }
    }
    shifted.tm_year = year - 1900;
    shifted.tm_mon = month - 1;
    shifted.tm_mday = day;
    shifted.tm_hour = hour;
    shifted.tm_min = minute;
    return shifted;
}

GInStreamHolder* GWin32OSFactory::OpenMemoryInputStream(const void* data, uint32_t length, int kind)
{
    return new (std::nothrow) GInStreamHolder(data, length, kind);
}

GInStreamHolder* GWin32OSFactory::OpenFileInputStream(const RWWString& path, int kind)
{
    GPlatformCalls::Count(GPlatformCalls::kFileOpen);
    return new (std::nothrow) GInStreamHolder(path, kind);
}

GOutStreamHolder* GWin32OSFactory::OpenMemoryOutputStream(void* buffer, uint32_t size, int kind)
{
    return new (std::nothrow) GOutStreamHolder(buffer, size, kind);
}

GOutStreamHolder* GWin32OSFactory::OpenFileOutputStream(const RWWString& path, int kind)
{
    GPlatformCalls::Count(GPlatformCalls::kFileOpen);
    return new (std::nothrow) GOutStreamHolder(path, kind);
}

void GWin32OSFactory::GetDriverDataFile(RWWString& path, GDriverObject*) { path = RWWString(); }

GInStreamHolder* GWin32OSFactory::OpenDriverDataStream(const RWWString& path, std::shared_ptr<const void>& keep)
{
    const GKeptFiles::Bytes bytes = keptFiles_.Read(path);
    keep = bytes;
    if (!bytes)
        return OpenFileInputStream(path, 1);
    return OpenMemoryInputStream(bytes->data(), uint32_t(bytes->size()), 1);
}

GLocaleInfo* GWin32OSFactory::CreateLocaleInfo()
{
    GLocaleInfo* info = new (std::nothrow) GLocaleInfo;
    HKEY key = nullptr;
    if (!info || CountedOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\International", &key) != ERROR_SUCCESS)
        return info;
    // Each value as text of at most 127 characters; a longer or non-text value counts
    // as missing.
    auto read = [key](const char* name, char (&text)[129]) {
        DWORD type = 0, size = 128;
        std::memset(text, 0, sizeof text);
        return CountedQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) ==
                   ERROR_SUCCESS &&
               type == REG_SZ;
    };
    char text[129];
    for (const LocaleNumber& number : kLocaleNumbers)
        info->SetNumber(number.field, read(number.value, text) ? std::strtol(text, nullptr, 10) : number.fallback);
    for (const LocaleText& entry : kLocaleTexts)
        info->SetText(entry.field, read(entry.value, text) ? text : entry.fallback);
    RegCloseKey(key);
    return info;
}

void GWin32OSFactory::GetTempDirectory(RWWString& path, GDriverObject* driver)
{
    // The candidates in order: the printer's setting, TMP, TEMP and the spool folder. One
    // whose name the spool files cannot use gives way to the next, and so does one that
    // is not a whole folder name (relative or blank): it would name a folder under
    // whatever the current directory is, or none, and the job would fail with it.
    auto usable = [](RWWString& candidate) {
        return UsableFolderName(candidate) && MPersistentCompositeOnDisk::IsAbsoluteFolder(candidate);
    };
    GetPrinterDataString(path, driver, L"TempDirectoryLocation", L"");
    if (!path.IsNull()) {
        path = FullFolderName(path);
        if (usable(path))
            return;
    }
    for (const wchar_t* variable : {L"TMP", L"TEMP"}) {
        const DWORD needed = GetEnvironmentVariableW(variable, nullptr, 0);
        if (needed <= 1)
            continue;
        std::vector<wchar_t> text(needed + 1, 0);
        if (GetEnvironmentVariableW(variable, text.data(), needed) > 0) {
            path = FullFolderName(RWWString(text.data()));
            if (usable(path))
                return;
        }
    }
    path = FullFolderName(RWWString(L"\\SystemRoot\\System32\\Spool\\Printers"));
}

void GWin32OSFactory::GetModuleDirectory(RWWString& path)
{
    // Once found, the folder never changes: every later ask reads it without the lock.
    if (moduleFolderKnown_.load(std::memory_order_acquire)) {
        path = moduleFolder_;
        return;
    }
    GLock* lock = GlobalLock();
    const bool locked = lock && lock->Acquire() == 0;
    if (moduleFolder_.IsNull()) {
        wchar_t name[MAX_PATH] = {};
        const DWORD length = GetModuleFileNameW(reinterpret_cast<HMODULE>(static_cast<ULONG_PTR>(GetModuleHandle())),
                                                name, MAX_PATH);
        size_t cut = length < MAX_PATH ? length : 0;
        while (cut > 0 && name[cut - 1] != PathSeparator())
            --cut;
        moduleFolder_ = cut > 0 ? RWWString(name, cut - 1) : RWWString();
        moduleFolderKnown_.store(!moduleFolder_.IsNull(), std::memory_order_release);
    }
    path = moduleFolder_;
    if (locked)
        lock->Release();
}

void GWin32OSFactory::GetDriverDirectory(RWWString& path)
{
    wchar_t folder[MAX_PATH] = {};
    DWORD needed = 0;
    if (GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(folder), sizeof folder - sizeof *folder,
                                   &needed))
        path = RWWString(folder);
    else
        path = RWWString();
}

void GWin32OSFactory::SeedRandom() { std::srand(ThreadSeed(static_cast<uint32_t>(std::time(nullptr)))); }
int GWin32OSFactory::Random() { return std::rand(); }

// A file held open without sharing still exists: the open fails with a sharing
// violation then.
int GWin32OSFactory::FileExists(const RWWString& path)
{
    GPlatformCalls::Count(GPlatformCalls::kFileOpen);
    HANDLE file = CreateFileW(path.Data(), 0, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_SHARING_VIOLATION;
    CloseHandle(file);
    return 1;
}

int GWin32OSFactory::CreateNewFile(const RWWString& path)
{
    GPlatformCalls::Count(GPlatformCalls::kFileOpen);
    HANDLE file = CreateFileW(path.Data(), 0, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    CloseHandle(file);
    return 1;
}

GDriverServicesAdapter* GWin32OSFactory::CreateServicesAdapter(GDriverObject* client)
{
    return new (std::nothrow) GDriverServicesAdapter(client, this);
}

int GWin32OSFactory::SetPrinterDataDword(GDriverObject* driver, const RWWString& name, uint32_t value)
{
    GPlatformCalls::Count(GPlatformCalls::kValueWrite);
    PrinterHandle printer(*this, driver, PrinterHandle::kWrite);
    DWORD data = value;
    const bool written = printer.Get() && SetPrinterDataW(printer.Get(), const_cast<wchar_t*>(name.Data()), REG_DWORD,
                                                          reinterpret_cast<BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
    ForgetPrinterData(driver);
    return written;
}

// The text is stored without its terminator, as the readers expect.
int GWin32OSFactory::SetPrinterDataString(GDriverObject* driver, const RWWString& name, const RWWString& text)
{
    GPlatformCalls::Count(GPlatformCalls::kValueWrite);
    PrinterHandle printer(*this, driver, PrinterHandle::kWrite);
    const bool written = printer.Get() &&
                         SetPrinterDataW(printer.Get(), const_cast<wchar_t*>(name.Data()), REG_SZ,
                                         reinterpret_cast<BYTE*>(const_cast<wchar_t*>(text.Data())),
                                         static_cast<DWORD>(2 * text.Length())) == ERROR_SUCCESS;
    ForgetPrinterData(driver);
    return written;
}

int GWin32OSFactory::WritePart(const ChunkTarget& target, const RWWString& name, uint32_t type, const void* data,
                               uint32_t length)
{
    GPlatformCalls::Count(GPlatformCalls::kValueWrite);
    BYTE* bytes = static_cast<BYTE*>(const_cast<void*>(data));
    if (target.key)
        return RegSetValueExW(target.key, name.Data(), 0, type, bytes, length) == ERROR_SUCCESS;
    return SetPrinterDataW(target.printer, const_cast<wchar_t*>(name.Data()), type, bytes, length) == ERROR_SUCCESS;
}

int GWin32OSFactory::RemovePart(const ChunkTarget& target, const RWWString& name)
{
    if (!target.key)
        return DeletePrinterDriverDataValue(target.driver, name) == 1;
    GPlatformCalls::Count(GPlatformCalls::kValueWrite);
    return RegDeleteValueW(target.key, name.Data()) == ERROR_SUCCESS;
}

RWWString GWin32OSFactory::CheckName(const RWWString& value)
{
    RWWString name = value;
    name.Append(L":check");
    return name;
}

RWWString GWin32OSFactory::WholeName(const RWWString& value)
{
    RWWString name = value;
    name.Append(L":whole");
    return name;
}

namespace {

// What a part's place held before a write: a part of at most a chunk's size, nothing, or
// a value longer than any chunk.
struct FormerChunk {
    enum Kind { kKept, kNone, kForeign } kind = kNone;
    DWORD type = 0;
    std::vector<uint8_t> bytes;
};

// The part's place read: false when the read failed, and nothing may be written.
bool ReadFormerChunk(HKEY key, HANDLE printer, const RWWString& chunk, FormerChunk& former)
{
    former.bytes.assign(GWin32OSFactory::kChunkSize, 0);
    DWORD type = 0, size = GWin32OSFactory::kChunkSize;
    const LONG status =
        key ? CountedQueryValueExW(key, chunk.Data(), nullptr, &type, former.bytes.data(), &size)
            : LONG(CountedGetPrinterDataW(printer, const_cast<wchar_t*>(chunk.Data()), &type, former.bytes.data(),
                                          size, &size));
    if (status == ERROR_FILE_NOT_FOUND) {
        former.kind = FormerChunk::kNone;
    } else if (status == ERROR_MORE_DATA) {
        former.kind = FormerChunk::kForeign;
    } else if (status == ERROR_SUCCESS && size <= GWin32OSFactory::kChunkSize) {
        former.kind = FormerChunk::kKept;
        former.type = type;
        former.bytes.resize(size);
        return true;
    } else {
        return false;
    }
    former.bytes.clear();
    return true;
}

} // namespace

namespace {

const uint32_t kCurrentUserRoot = 0x80000001u;

} // namespace

uint32_t GWin32OSFactory::ValueLockKey(const RWWString& name)
{
    std::wstring upper(name.IsNull() ? L"" : name.Data(), name.Length());
    if (!upper.empty())
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, upper.data(), int(upper.size()), &upper[0],
                     int(upper.size()));
    return uint32_t(crc32(0, reinterpret_cast<const Bytef*>(upper.data()), uInt(upper.size() * sizeof(wchar_t))));
}

// Writers of one binary value take turns: a value of the printer's data under the
// printer's stores lock (its owner takes it again at no cost), a registry location under
// a mutex of its name, and a location of the current user's under the user's own lock,
// which no other user can make or hold (GWin32OSFactoryUserLock.cpp).
class GWin32OSFactory::ValueLock {
public:
    ValueLock(GWin32OSFactory& services, GDriverObject* driver, const RWWString& name) : services_(services)
    {
        if (!services.IsMarkedValueName(name)) {
            owned_ = services.LockPrinterStores(driver, LockWait(), stores_) == 1;
            storesLock_ = owned_;
            return;
        }
        const uint32_t key = ValueLockKey(name);
        HKEY root = nullptr;
        RWWString path, value;
        if (SplitMarkedName(name, root, path, value) && uintptr_t(root) == kCurrentUserRoot) {
            userLock_ = TakeUserLock(UserLockPath(key), LockWait());
            owned_ = userLock_ != nullptr;
            return;
        }
        wchar_t lockName[32];
        std::swprintf(lockName, 32, L"Global\\QZ value %08lX", static_cast<unsigned long>(key));
        mutex_ = CreateMutexW(nullptr, FALSE, lockName);
        if (!mutex_)
            return;
        GPlatformCalls::Count(GPlatformCalls::kLockWait);
        const DWORD waited = WaitForSingleObject(mutex_, LockWait());
        owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    }
    ~ValueLock()
    {
        if (storesLock_)
            services_.UnlockPrinterStores(stores_);
        ReleaseUserLock(userLock_);
        if (mutex_) {
            if (owned_)
                ReleaseMutex(mutex_);
            CloseHandle(mutex_);
        }
    }
    ValueLock(const ValueLock&) = delete;
    ValueLock& operator=(const ValueLock&) = delete;
    bool Owned() const { return owned_; }

private:
    GWin32OSFactory& services_;
    void* stores_ = nullptr;
    bool storesLock_ = false;
    void* userLock_ = nullptr;
    HANDLE mutex_ = nullptr;
    bool owned_ = false;
};

int GWin32OSFactory::SetPrinterDataBinary(GDriverObject* driver, const RWWString& name, const void* data,
                                          uint32_t length)
{
    return WriteChunks(driver, name, data, length, true);
}

int GWin32OSFactory::MarkPrinterDataWriting(GDriverObject* driver, const RWWString& name, const void* data,
                                            uint32_t length, bool formerNewest, std::vector<uint8_t>& former)
{
    former.clear();
    if ((!data && length) || IsMarkedValueName(name))
        return 0;
    ValueLock lock(*this, driver, name);
    PrinterHandle printer(*this, driver, PrinterHandle::kWrite);
    if (!lock.Owned() || !printer.Get())
        return 0;
    const RWWString checkName = CheckName(name);
    FormerChunk was;
    if (!ReadFormerChunk(nullptr, printer.Get(), checkName, was) || was.kind == FormerChunk::kForeign)
        return 0;
    // What the chunks hold now, as one look afresh finds them.
    ChunkedValue present;
    ReadChunkedValue(driver, name, kLargestInspected, present, true);
    static const uint8_t kNothing = 0;
    StoredMark mark = {{kCheckWriting, length, length / kChunkSize + 1,
                        uint32_t(crc32(0, data ? static_cast<const Bytef*>(data) : &kNothing, length))},
                       0, 0, 0, kFormerNone};
    if (present.whole) {
        mark.formerLength = uint32_t(present.bytes.size());
        mark.formerCount = mark.formerLength / kChunkSize + 1;
        mark.formerCrc = uint32_t(crc32(0, present.bytes.data(), uInt(present.bytes.size())));
        mark.formerKind = formerNewest ? kFormerNewest : kFormerOwn;
    }
    const ChunkTarget target = {nullptr, printer.Get(), driver};
    const int marked = WritePart(target, checkName, REG_BINARY, &mark, sizeof mark);
    ForgetPrinterData(driver);
    if (marked && was.kind == FormerChunk::kKept)
        former = was.bytes.empty() ? std::vector<uint8_t>(1, 0) : was.bytes;
    return marked;
}

int GWin32OSFactory::RestorePrinterDataCheck(GDriverObject* driver, const RWWString& name,
                                             const std::vector<uint8_t>& former)
{
    if (IsMarkedValueName(name))
        return 0;
    ValueLock lock(*this, driver, name);
    PrinterHandle printer(*this, driver, PrinterHandle::kWrite);
    if (!lock.Owned() || !printer.Get())
        return 0;
    const ChunkTarget target = {nullptr, printer.Get(), driver};
    const int restored = former.empty() ? RemovePart(target, CheckName(name))
                                        : WritePart(target, CheckName(name), REG_BINARY, former.data(),
                                                    uint32_t(former.size()));
    ForgetPrinterData(driver);
    return restored;
}

int GWin32OSFactory::SetPrinterDataChunks(GDriverObject* driver, const RWWString& name, const void* data,
                                          uint32_t length)
{
    return WriteChunks(driver, name, data, length, false);
}

// Writers of one value take turns under its lock. A write that keeps the value whole
// first reads it as a reader would, afresh, and writes what reads as "N:whole" by one
// write before anything else; then the check in progress, the chunks, the count and the
// check done; only then the old value's surplus chunks and the whole copy go. A step that
// fails leaves what it wrote: the check stays in progress, the chunks match neither value,
// and readers take the whole copy, so that no reader meets a mix and no failure loses the
// value that read before. Nothing is put back.
int GWin32OSFactory::WriteChunks(GDriverObject* driver, const RWWString& name, const void* data, uint32_t length,
                                 bool keepWhole)
{
    if (!data && length)
        return 0;
    const uint32_t count = length / kChunkSize + 1;
    static const uint8_t kNothing = 0;
    const uint8_t* bytes = data ? static_cast<const uint8_t*>(data) : &kNothing;
    // No other writer of this machine writes the value's parts between these.
    ValueLock lock(*this, driver, name);
    if (!lock.Owned())
        return 0;

    // The value as it reads now, before a part of it is touched.
    std::vector<uint8_t> present;
    bool current = false;
    const bool reads = keepWhole && ReadValueWhole(driver, name, true, present, current);

    HKEY key = nullptr;
    RWWString value = name;
    std::unique_ptr<PrinterHandle> printer;
    if (IsMarkedValueName(name)) {
        if (!CreateRegistryKeyPath(name, key, value))
            return 0;
    } else {
        printer.reset(new PrinterHandle(*this, driver, PrinterHandle::kWrite));
        if (!printer->Get())
            return 0;
    }
    const ChunkTarget target = {key, printer ? printer->Get() : nullptr, driver};
    const RWWString checkName = CheckName(value);
    FormerChunk formerCount, formerCheck;
    bool readable = ReadFormerChunk(key, target.printer, value, formerCount) &&
                    ReadFormerChunk(key, target.printer, checkName, formerCheck);
    // The chunked form of a value whose whole copy its writer keeps is what older
    // versions read: the places of its chunks are read first, so that a write that fails
    // puts them and the count back for them (the check stays in progress, and this
    // version reads the copy). A part that cannot go back leaves them a mix.
    std::vector<FormerChunk> former(keepWhole ? 0 : count);
    for (uint32_t i = 0; i < former.size() && readable; ++i)
        readable = ReadFormerChunk(key, target.printer, ChunkName(value, i), former[i]);
    const StoredCheck writing = {kCheckWriting, length, count, uint32_t(crc32(0, bytes, length))};
    // A mark for these bytes, made before the value's copy was published, stays: it says
    // what the chunks held before.
    StoredMark mark = {};
    const bool marked = formerCheck.kind == FormerChunk::kKept && formerCheck.bytes.size() == sizeof mark &&
                        (std::memcpy(&mark, formerCheck.bytes.data(), sizeof mark), true) &&
                        std::memcmp(&mark.check, &writing, sizeof writing) == 0;
    int result = readable ? 1 : 0;
    if (result && reads)
        result = WritePart(target, WholeName(value), REG_BINARY, present.data(), uint32_t(present.size()));
    if (result && !marked)
        result = WritePart(target, checkName, REG_BINARY, &writing, sizeof writing);
    const bool checkWritten = result != 0;
    uint32_t written = 0;
    for (; written < count && result; ++written) {
        const uint32_t offset = written * kChunkSize;
        const uint32_t piece = length - offset < kChunkSize ? length - offset : kChunkSize;
        result = WritePart(target, ChunkName(value, written), REG_BINARY, bytes + (piece ? offset : 0), piece);
    }
    const bool countTouched = result != 0;
    if (result) {
        DWORD stored = count;
        result = WritePart(target, value, REG_DWORD, &stored, sizeof stored);
    }
    if (!result && checkWritten && !keepWhole) {
        // A refused part may still have been written: it goes back as well.
        auto putBack = [&](const RWWString& part, const FormerChunk& was) {
            if (was.kind == FormerChunk::kKept)
                WritePart(target, part, was.type, was.bytes.data(), uint32_t(was.bytes.size()));
            else if (was.kind == FormerChunk::kNone)
                RemovePart(target, part);
        };
        for (uint32_t i = 0; i < written; ++i)
            putBack(ChunkName(value, i), former[i]);
        if (countTouched)
            putBack(value, formerCount);
    }
    if (result) {
        StoredCheck done = writing;
        done.layout = kCheckDone;
        result = WritePart(target, checkName, REG_BINARY, &done, sizeof done);
    }
    if (result) {
        // Chunks are contiguous: the first one missing ends the surplus, whatever a
        // damaged old count claims or a write that failed after its chunks left.
        for (uint32_t i = count; RemovePart(target, ChunkName(value, i)); ++i) {
        }
        if (keepWhole)
            RemovePart(target, WholeName(value));
    }
    if (key)
        RegCloseKey(key);
    else
        ForgetPrinterData(driver);
    return result;
}

uint32_t GWin32OSFactory::GetPrinterDataDword(GDriverObject* driver, const RWWString& name, uint32_t fallback)
{
    DriverDataKey data(driver, GetPrinterHandle(driver), dataCache_);
    if (data.key) {
        GPrinterDataCache::Value read;
        uint32_t value = fallback;
        return DwordOf(ReadDriverValue(dataCache_, data, name.Data(), read), value) ? value : fallback;
    }
    PrinterHandle printer(*this, driver, PrinterHandle::kRead);
    return ReadPrinterDword(printer.Get(), name, fallback);
}

void GWin32OSFactory::GetPrinterDataStringNow(RWWString& result, GDriverObject* driver, const RWWString& name,
                                              const RWWString& fallback)
{
    ReadPrinterDataString(result, driver, name, fallback, true);
}

void GWin32OSFactory::GetPrinterDataString(RWWString& result, GDriverObject* driver, const RWWString& name,
                                           const RWWString& fallback)
{
    ReadPrinterDataString(result, driver, name, fallback, false);
}

void GWin32OSFactory::ReadPrinterDataString(RWWString& result, GDriverObject* driver, const RWWString& name,
                                            const RWWString& fallback, bool now)
{
    DriverDataKey data(driver, GetPrinterHandle(driver), dataCache_);
    if (data.key) {
        GPrinterDataCache::Value read;
        if (now)
            ReadWholeValue(data.key, name.Data(), read);
        else
            ReadDriverValue(dataCache_, data, name.Data(), read);
        if (read.status != ERROR_SUCCESS || read.type != REG_SZ || read.bytes.empty()) {
            result = fallback;
            return;
        }
        const DWORD size = DWORD(read.bytes.size());
        read.bytes.resize(size + 6, 0);
        result = TerminatedText(read.bytes, size);
        return;
    }
    PrinterHandle printer(*this, driver, PrinterHandle::kRead);
    DWORD type = 0, needed = 0;
    wchar_t* valueName = const_cast<wchar_t*>(name.Data());
    const DWORD query = printer.Get() ? CountedGetPrinterDataW(printer.Get(), valueName, &type, nullptr, 0, &needed)
                                      : DWORD(ERROR_INVALID_HANDLE);
    if ((query != ERROR_MORE_DATA && query != ERROR_SUCCESS) || type != REG_SZ || needed == 0) {
        result = fallback;
        return;
    }
    std::vector<BYTE> bytes(needed + 6, 0);
    DWORD size = needed + 2;
    const DWORD status = CountedGetPrinterDataW(printer.Get(), valueName, &type, bytes.data(), needed + 2, &size);
    if (status != ERROR_SUCCESS || type != REG_SZ || size > needed + 2) {
        result = fallback;
        return;
    }
    result = TerminatedText(bytes, size);
}

int GWin32OSFactory::GetPrinterDataBinary(GDriverObject* driver, const RWWString& name, void* buffer,
                                          uint32_t size, uint32_t& length)
{
    bool current = false;
    return ReadBinary(driver, name, buffer, size, length, current);
}

void GWin32OSFactory::ReadPart(const ChunkTarget& target, const RWWString& name, GPrinterDataCache::Value& value)
{
    if (target.key)
        ReadWholeValue(target.key, name.Data(), value);
    else
        ReadPrinterValue(target.printer, name, value);
}

bool GWin32OSFactory::HasCurrentCheck(GDriverObject* driver, const RWWString& name)
{
    std::vector<uint8_t> bytes;
    bool current = false;
    return ReadValueWhole(driver, name, false, bytes, current) && current;
}

bool GWin32OSFactory::ReadValueWhole(GDriverObject* driver, const RWWString& name, bool afresh,
                                     std::vector<uint8_t>& bytes, bool& current)
{
    uint32_t bound = 0, length = 0;
    bytes.clear();
    if (ReadBinary(driver, name, nullptr, 0, bound, current, afresh) != 1 || bound == 0 || bound > kLargestInspected)
        return false;
    bytes.assign(bound, 0);
    if (ReadBinary(driver, name, bytes.data(), bound, length, current, afresh) != 1) {
        bytes.clear();
        return false;
    }
    bytes.resize(length);
    return true;
}

// The parts of one binary value as a read reaches them: through the printer's key, kept
// for the call's version, or a marked name's key, or the spooler.
class GWin32OSFactory::ValueReader {
public:
    ValueReader(GWin32OSFactory& services, GDriverObject* driver, const RWWString& name)
        : services_(services), value_(name)
    {
        if (services.IsMarkedValueName(name)) {
            HKEY root = nullptr;
            RWWString path;
            if (!SplitMarkedName(name, root, path, value_) ||
                CountedOpenKeyExW(root, path.Data(), 0, KEY_READ, &marked_) != ERROR_SUCCESS)
                marked_ = nullptr;
            opened_ = marked_ != nullptr;
        } else {
            data_.reset(new DriverDataKey(driver, services.GetPrinterHandle(driver), services.dataCache_));
            if (!data_->key)
                printer_.reset(new PrinterHandle(services, driver, PrinterHandle::kRead));
            opened_ = true;
        }
        target_ = {marked_ ? marked_ : data_ ? data_->key : nullptr, printer_ ? printer_->Get() : nullptr, driver};
    }
    ~ValueReader()
    {
        if (marked_)
            RegCloseKey(marked_);
    }
    ValueReader(const ValueReader&) = delete;
    ValueReader& operator=(const ValueReader&) = delete;

    bool Opened() const { return opened_; }
    const RWWString& Value() const { return value_; }
    // Whether the platform was asked anything since this was last cleared.
    bool asked = false;

    // One value of the binary value: as kept for the call's version, or afresh. What is
    // read from the platform is kept only once the look it belongs to is settled (Keep):
    // a look that met a writer keeps none of its parts for another to take.
    void Part(const RWWString& part, bool afresh, GPrinterDataCache::Value& read)
    {
        const bool kept = data_ && data_->key && !afresh;
        if (kept && services_.dataCache_.Find(data_->path, data_->version, part.Data(), read))
            return;
        asked = true;
        services_.ReadPart(target_, part, read);
        if (kept)
            pending_.emplace_back(std::wstring(part.Data(), part.Length()), read);
    }
    void Keep()
    {
        for (const auto& part : pending_)
            services_.dataCache_.Keep(data_->path, data_->version, part.first.c_str(), part.second);
        pending_.clear();
    }
    void Drop() { pending_.clear(); }
    // Whether the check reads now as it did in the look: asks the platform again only when
    // the look asked it anything.
    bool Settled(const GPrinterDataCache::Value& checkRead)
    {
        if (!asked)
            return true;
        GPrinterDataCache::Value again;
        Part(CheckName(value_), true, again);
        return again.status == checkRead.status && again.type == checkRead.type && again.bytes == checkRead.bytes;
    }
    // The count, 0 when there is none that reads; present tells one is there at all.
    uint32_t Count(bool afresh, bool& present)
    {
        GPrinterDataCache::Value read;
        Part(value_, afresh, read);
        present = read.status != ERROR_FILE_NOT_FOUND;
        uint32_t count = 0;
        return DwordOf(read, count) ? count : 0;
    }
    // One look at the value, as kept for the call's version or afresh: its count (0 when
    // there is none that reads), and what the check and the count's chunks hold when the
    // count fits the bound. A look that asked the platform is taken only once settled: its
    // check read the same after its chunks (else a writer began: moving, and nothing of it
    // is whole), and, for whole chunks no check vouches for (none, or a done one they do
    // not match) or a count the check disagrees with, a second look afresh found the same
    // (else a third decides, and chunks it does not confirm are not whole). Only a settled
    // look's parts are kept, so that a look made of kept parts alone is one settled before.
    uint32_t Settle(uint32_t bound, bool afresh, ChunkedValue& found, bool& moving)
    {
        moving = false;
        // A writer was found on the value: nothing of the look is whole.
        auto unsettled = [&] {
            moving = true;
            found.whole = found.matches = found.matchesFormer = false;
            found.bytes.clear();
        };
        ChunkedValue previous;
        GPrinterDataCache::Value previousCheck;
        uint32_t previousCount = 0;
        for (int look = 0;; ++look) {
            asked = false;
            found = ChunkedValue();
            const uint32_t count = Count(afresh || look > 0, found.present);
            if (count == 0 || uint64_t(count) * kChunkSize > bound) {
                Keep();
                return count;
            }
            GPrinterDataCache::Value checkRead;
            const bool agrees = Look(count, afresh || look > 0, found, checkRead);
            if (!Settled(checkRead)) {
                Drop();
                unsettled();
                return count;
            }
            // Chunks taken by their layout alone, or (under a mark) for another writer's,
            // are the ones no check vouches for.
            const bool byLayout = found.check == ChunkedValue::Check::kNone ||
                                  found.check == ChunkedValue::Check::kDone || found.marked;
            const bool vouched = found.matches || found.matchesFormer || !found.whole || !byLayout;
            const bool same = look > 0 && count == previousCount && found.whole == previous.whole &&
                              found.bytes == previous.bytes && checkRead.status == previousCheck.status &&
                              checkRead.bytes == previousCheck.bytes;
            if (!asked || (vouched && agrees) || same) {
                Keep();
                return count;
            }
            Drop();
            if (look == 2) {
                unsettled();
                return count;
            }
            previous = found;
            previousCheck = checkRead;
            previousCount = count;
        }
    }
    // The whole copy a write keeps of the value until it is done, afresh: kRead with its
    // bytes, kAbsent, or kUnreadable (not binary, longer than bound, or not answered).
    StoredRead Whole(uint32_t bound, std::vector<uint8_t>& bytes)
    {
        asked = true;
        GPrinterDataCache::Value read;
        services_.ReadAtSize(target_, WholeName(value_), bound, read);
        bytes.clear();
        if (read.status == ERROR_FILE_NOT_FOUND)
            return StoredRead::kAbsent;
        if (read.status != ERROR_SUCCESS || read.type != REG_BINARY)
            return StoredRead::kUnreadable;
        bytes.swap(read.bytes);
        return StoredRead::kRead;
    }
private:
    // The check and the count's chunks, as they read now: what a look found, and the check
    // as read (for a look at it again). False when the count is not the one the check
    // tells (a check of this version's in progress tells the new count, which the chunks
    // reach only at its end; a mark tells the former one too).
    bool Look(uint32_t count, bool afresh, ChunkedValue& found, GPrinterDataCache::Value& checkRead)
    {
        using Check = ChunkedValue::Check;
        Part(CheckName(value_), afresh, checkRead);
        StoredMark mark = {};
        const StoredCheck& check = mark.check;
        found.check = Check::kNone;
        if (checkRead.status != ERROR_FILE_NOT_FOUND) {
            found.check = Check::kDamaged;
            const size_t size = checkRead.bytes.size();
            if (checkRead.status == ERROR_SUCCESS && checkRead.type == REG_BINARY &&
                (size == sizeof(StoredCheck) || size == sizeof(StoredMark))) {
                std::memcpy(&mark, checkRead.bytes.data(), size);
                found.marked = size == sizeof(StoredMark);
                found.check = found.marked ? (check.layout == kCheckWriting && mark.formerKind <= kFormerNewest
                                                  ? Check::kWriting
                                                  : Check::kDamaged)
                              : check.layout == kCheckEarlier ? Check::kEarlier
                              : check.layout == kCheckWriting ? Check::kWriting
                              : check.layout == kCheckDone    ? Check::kDone
                                                              : Check::kDamaged;
                found.marked = found.marked && found.check == Check::kWriting;
            }
        }
        found.checkCrc = check.crc;
        found.bytes.assign(size_t(count) * kChunkSize, 0);
        uint32_t filled = 0;
        found.whole = true;
        GPrinterDataCache::Value read;
        for (uint32_t i = 0; i < count && found.whole; ++i) {
            Part(ChunkName(value_, i), afresh, read);
            const DWORD got = DWORD(read.bytes.size());
            const bool last = i + 1 == count;
            found.whole = read.status == ERROR_SUCCESS && read.type == REG_BINARY &&
                          (last ? got < kChunkSize : got == kChunkSize);
            if (found.whole) {
                std::memcpy(found.bytes.data() + filled, read.bytes.data(), got);
                filled += got;
            }
        }
        found.bytes.resize(found.whole ? filled : 0);
        const uint32_t crc = found.whole ? uint32_t(crc32(0, found.bytes.data(), filled)) : 0;
        const bool checked = found.check == Check::kEarlier || found.check == Check::kWriting || found.check == Check::kDone;
        found.matches = found.whole && checked && check.count == count && check.length == filled && check.crc == crc;
        found.matchesFormer = found.whole && found.marked && mark.formerKind != kFormerNone &&
                              mark.formerCount == count && mark.formerLength == filled && mark.formerCrc == crc;
        found.formerNewest = found.marked && mark.formerKind == kFormerNewest;
        return !checked || check.count == count || (check.layout == kCheckWriting && !found.marked) ||
               (found.marked && mark.formerCount == count);
    }

public:

private:
    GWin32OSFactory& services_;
    RWWString value_;
    HKEY marked_ = nullptr;
    std::unique_ptr<DriverDataKey> data_;
    std::unique_ptr<PrinterHandle> printer_;
    ChunkTarget target_ = {};
    bool opened_ = false;
    std::vector<std::pair<std::wstring, GPrinterDataCache::Value>> pending_;
};

// Only the writer's layout reads back: count x 248 must not overflow and must fit,
// every chunk but the last holds 248 bytes, the last fewer; and where the value has a
// check, the count, the length and the CRC-32 of the bytes must be the check's, but for a
// done check, which only an older version's whole rewrite leaves unmatched. The bytes
// reach the caller's buffer only once every chunk was read and the look settled. Chunks
// that do not match a check in progress or of the earlier form give the whole copy a
// write of this version keeps until it is done; without one, they are read again from
// the registry (never from what is kept of them), at most twice, after a pause for a
// writer that may be in the middle of them, as is a value a writer was found on.
int GWin32OSFactory::ReadBinary(GDriverObject* driver, const RWWString& name, void* buffer, uint32_t size,
                                uint32_t& length, bool& current, bool afresh)
{
    using Check = ChunkedValue::Check;
    length = 0;
    current = false;
    ValueReader reader(*this, driver, name);
    if (!reader.Opened())
        return 0;
    if (!buffer || size == 0) {
        bool present = false;
        const uint64_t bound = uint64_t(reader.Count(afresh, present)) * kChunkSize;
        reader.Keep();
        if (bound == 0 || bound > 0xFFFFFFFFu)
            return 0;
        length = static_cast<uint32_t>(bound);
        return 1;
    }
    static const DWORD kPauses[] = {2, 20};
    for (size_t attempt = 0;; ++attempt) {
        ChunkedValue found;
        bool moving = false;
        const uint64_t bound = uint64_t(reader.Settle(size, afresh || attempt > 0, found, moving)) * kChunkSize;
        if (bound == 0 || bound > 0xFFFFFFFFu)
            return 0;
        if (bound > size) {
            length = static_cast<uint32_t>(bound);
            return 0;
        }
        if (found.check == Check::kDamaged)
            return 0;
        // Without a check, or under a done one the bytes do not match (a rewrite by a
        // version that never writes the check), the chunks' layout alone decides. Under a
        // check in progress the value as it read before that write answers while the
        // write keeps it, whatever the chunks hold by now: a write that stopped or failed
        // leaves the value that read before it.
        const bool layoutAlone = found.check == Check::kNone || found.check == Check::kDone;
        std::vector<uint8_t> whole;
        const bool kept = !layoutAlone && (found.check == Check::kWriting || !found.matches) &&
                          reader.Whole(size, whole) == StoredRead::kRead;
        if (kept) {
            std::memcpy(buffer, whole.data(), whole.size());
            length = uint32_t(whole.size());
            return 1;
        }
        if (found.matches || (layoutAlone && found.whole)) {
            std::memcpy(buffer, found.bytes.data(), found.bytes.size());
            length = uint32_t(found.bytes.size());
            current = found.matches && found.check == Check::kDone;
            return 1;
        }
        if ((layoutAlone && !moving) || attempt >= sizeof kPauses / sizeof *kPauses)
            return 0;
        Sleep(kPauses[attempt]);
    }
}

void GWin32OSFactory::ReadChunkedValue(GDriverObject* driver, const RWWString& name, uint32_t bound,
                                       ChunkedValue& value, bool afresh)
{
    value = ChunkedValue();
    ValueReader reader(*this, driver, name);
    if (!reader.Opened()) {
        value.present = true;
        value.check = ChunkedValue::Check::kDamaged;
        return;
    }
    bool moving = false;
    const uint32_t count = reader.Settle(bound, afresh, value, moving);
    if (count == 0 || uint64_t(count) * kChunkSize > bound) {
        if (value.present || count != 0)
            value.check = ChunkedValue::Check::kDamaged;
        return;
    }
    // A writer of this version marks the check before it touches a chunk: chunks a writer
    // was found on are taken for its write in progress.
    if (moving) {
        value.check = ChunkedValue::Check::kWriting;
        value.marked = false;
    }
}

void GWin32OSFactory::ReadLargeValue(GDriverObject* driver, const RWWString& name, uint32_t bound,
                                     GPrinterDataCache::Value& value)
{
    DriverDataKey data(driver, GetPrinterHandle(driver), dataCache_);
    PrinterHandle printer(*this, driver, PrinterHandle::kRead);
    ReadAtSize({data.key, data.key ? nullptr : printer.Get(), driver}, name, bound, value);
}

void GWin32OSFactory::ReadAtSize(const ChunkTarget& target, const RWWString& name, uint32_t bound,
                                 GPrinterDataCache::Value& value)
{
    value = GPrinterDataCache::Value();
    value.status = ERROR_MORE_DATA;
    DWORD type = 0, size = 0;
    wchar_t* valueName = const_cast<wchar_t*>(name.Data());
    // The size first; one that grew past it meanwhile reads as not fitting.
    LONG status = target.key       ? CountedQueryValueExW(target.key, name.Data(), nullptr, &type, nullptr, &size)
                  : target.printer ? LONG(CountedGetPrinterDataW(target.printer, valueName, &type, nullptr, 0, &size))
                                   : LONG(ERROR_INVALID_HANDLE);
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) {
        value.status = status;
        return;
    }
    if (size > bound)
        return;
    value.bytes.assign(size ? size : 1, 0);
    DWORD got = size;
    status = target.key ? CountedQueryValueExW(target.key, name.Data(), nullptr, &type, value.bytes.data(), &got)
                        : LONG(CountedGetPrinterDataW(target.printer, valueName, &type, value.bytes.data(), size, &got));
    value.status = status;
    value.type = status == ERROR_SUCCESS ? type : 0;
    value.bytes.resize(status == ERROR_SUCCESS && got <= size ? got : 0);
}

int GWin32OSFactory::SetPrinterDataWhole(GDriverObject* driver, const RWWString& name, const void* data,
                                         uint32_t length)
{
    if ((!data && length) || IsMarkedValueName(name))
        return 0;
    PrinterHandle printer(*this, driver, PrinterHandle::kWrite);
    if (!printer.Get())
        return 0;
    const ChunkTarget target = {nullptr, printer.Get(), driver};
    static const uint8_t kNothing = 0;
    const int written = WritePart(target, name, REG_BINARY, data ? data : &kNothing, length);
    ForgetPrinterData(driver);
    return written;
}

GOSFactory::StoredRead GWin32OSFactory::GetPrinterDataWhole(GDriverObject* driver, const RWWString& name,
                                                            uint32_t bound, std::vector<uint8_t>& bytes, bool afresh)
{
    bytes.clear();
    if (IsMarkedValueName(name))
        return StoredRead::kUnreadable;
    ValueReader reader(*this, driver, name);
    GPrinterDataCache::Value read;
    reader.Part(name, afresh, read);
    reader.Keep();
    if (read.status == ERROR_FILE_NOT_FOUND)
        return StoredRead::kAbsent;
    if (read.status == ERROR_MORE_DATA) {
        // Larger than what is kept of a value: read at its size, within the bound, past
        // what the call keeps.
        ReadLargeValue(driver, name, bound, read);
    }
    if (read.status != ERROR_SUCCESS || read.type != REG_BINARY || read.bytes.size() > bound)
        return StoredRead::kUnreadable;
    bytes.swap(read.bytes);
    return StoredRead::kRead;
}

uint64_t GWin32OSFactory::PrinterDataVersion(GDriverObject* driver)
{
    DriverDataKey data(driver, GetPrinterHandle(driver), dataCache_);
    return data.key ? data.version : 0;
}

void GWin32OSFactory::ForgetPrinterData(GDriverObject* driver)
{
    if (!driver)
        return;
    // The rest of the call asks the key's stamp again and reads under the version it
    // tells. A write that changed anything changed the stamp: the last one was validated
    // at least two ticks after its own write time (an earlier stamp begins a new version
    // at every validation), so this write's time differs from it.
    const RWWString path = PrinterKeyPath(driver, kDriverDataKey);
    PrinterRecordScope::ClearKeyTag(path.Data());
}

bool GWin32OSFactory::IsPrinterDataAbsent(GDriverObject* driver, const RWWString& name)
{
    if (IsMarkedValueName(name)) {
        HKEY root = nullptr, key = nullptr;
        RWWString path, value;
        if (!SplitMarkedName(name, root, path, value))
            return false;
        const LONG opened = CountedOpenKeyExW(root, path.Data(), 0, KEY_READ, &key);
        if (opened != ERROR_SUCCESS)
            return opened == ERROR_FILE_NOT_FOUND;
        DWORD size = 0;
        const LONG status = CountedQueryValueExW(key, value.Data(), nullptr, nullptr, nullptr, &size);
        RegCloseKey(key);
        return status == ERROR_FILE_NOT_FOUND && size == 0;
    }
    DriverDataKey data(driver, GetPrinterHandle(driver), dataCache_);
    if (data.key) {
        GPrinterDataCache::Value read;
        return ReadDriverValue(dataCache_, data, name.Data(), read).status == ERROR_FILE_NOT_FOUND;
    }
    // The size query: a length reported is a value there, whatever the answer says
    // besides.
    PrinterHandle printer(*this, driver, PrinterHandle::kRead);
    DWORD type = 0, needed = 0;
    return printer.Get() &&
           CountedGetPrinterDataW(printer.Get(), const_cast<wchar_t*>(name.Data()), &type, nullptr, 0, &needed) ==
               ERROR_FILE_NOT_FOUND &&
           needed == 0;
}

int GWin32OSFactory::SetPrinterKeyString(GDriverObject* driver, const RWWString& subkey, const RWWString& name,
                                         const RWWString& text)
{
    RWWString path = PrinterKeyPath(driver, L"\\");
    path.Append(subkey);
    HKEY key = nullptr;
    if (CountedCreateKeyExW(HKEY_LOCAL_MACHINE, path.Data(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return 0;
    const bool written = text.IsNull() ||
                         RegSetValueExW(key, name.Data(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.Data()),
                                        static_cast<DWORD>(2 * (text.Length() + 1))) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

void GWin32OSFactory::GetPrinterKeyString(RWWString& result, GDriverObject* driver, const RWWString& subkey,
                                          const RWWString& name, const RWWString& fallback)
{
    RWWString path = PrinterKeyPath(driver, L"\\");
    path.Append(subkey);
    if (!ReadRegistryString(HKEY_LOCAL_MACHINE, path, name, result))
        result = fallback;
}

bool GWin32OSFactory::SpoolerRemovesValues()
{
    // Wine's spooler ends the process that asks it to remove a value of a printer's data;
    // it tells itself by an export of its own system library.
    static const bool wine = GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    return !wine;
}

int GWin32OSFactory::DeleteThroughSpooler(HANDLE printer, const RWWString& name)
{
    return DeletePrinterDataW(printer, const_cast<wchar_t*>(name.Data())) == ERROR_SUCCESS;
}

LONG GWin32OSFactory::OpenDriverDataToRemove(GDriverObject* driver, HKEY& key)
{
    return CountedOpenKeyExW(HKEY_LOCAL_MACHINE, PrinterKeyPath(driver, kDriverDataKey).Data(), 0,
                             KEY_QUERY_VALUE | KEY_SET_VALUE, &key);
}

// Through the spooler, which removes the value wherever it keeps the printer's data (a
// printer shared from a server included) for whoever may change the printer; through the
// printer's key only where the spooler cannot.
int GWin32OSFactory::DeletePrinterDriverDataValue(GDriverObject* driver, const RWWString& name)
{
    if (!driver || driver->GetPrinterName().IsNull())
        return 0;
    GPlatformCalls::Count(GPlatformCalls::kValueWrite);
    int deleted = 0;
    if (SpoolerRemovesValues()) {
        PrinterHandle printer(*this, driver, PrinterHandle::kWrite);
        deleted = printer.Get() && DeleteThroughSpooler(printer.Get(), name);
    } else {
        HKEY key = nullptr;
        if (OpenDriverDataToRemove(driver, key) != ERROR_SUCCESS)
            return 0;
        deleted = RegDeleteValueW(key, name.Data()) == ERROR_SUCCESS;
        RegCloseKey(key);
    }
    ForgetPrinterData(driver);
    return deleted;
}

// The count first, so that the value reads as absent at once, then its check, the chunks
// up to the first one missing, and the whole copy a write left.
int GWin32OSFactory::RemovePrinterDataBinary(GDriverObject* driver, const RWWString& name)
{
    const bool marked = IsMarkedValueName(name) != 0;
    if (!marked) {
        if (!driver || driver->GetPrinterName().IsNull())
            return 0;
        if (!DeletePrinterDriverDataValue(driver, name) && !IsPrinterDataAbsent(driver, name))
            return 0;
        DeletePrinterDriverDataValue(driver, CheckName(name));
        for (uint32_t i = 0; DeletePrinterDriverDataValue(driver, ChunkName(name, i)); ++i) {
        }
        DeletePrinterDriverDataValue(driver, WholeName(name));
        return 1;
    }
    HKEY root = nullptr, key = nullptr;
    RWWString path, value;
    if (!SplitMarkedName(name, root, path, value))
        return 0;
    const LONG opened = CountedOpenKeyExW(root, path.Data(), 0, KEY_ALL_ACCESS, &key);
    if (opened != ERROR_SUCCESS)
        return opened == ERROR_FILE_NOT_FOUND;
    const LONG status = RegDeleteValueW(key, value.Data());
    const bool gone = status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    if (gone) {
        RegDeleteValueW(key, CheckName(value).Data());
        for (uint32_t i = 0; RegDeleteValueW(key, ChunkName(value, i).Data()) == ERROR_SUCCESS; ++i) {
        }
        RegDeleteValueW(key, WholeName(value).Data());
    }
    RegCloseKey(key);
    return gone ? 1 : 0;
}

bool GWin32OSFactory::ListPrinterDataNames(GDriverObject* driver, std::vector<RWWString>& names)
{
    names.clear();
    PrinterHandle printer(*this, driver, PrinterHandle::kRead);
    if (!printer.Get())
        return false;
    wchar_t* key = const_cast<wchar_t*>(L"PrinterDriverData");
    DWORD needed = 0, returned = 0;
    DWORD status = EnumPrinterDataExW(printer.Get(), key, nullptr, 0, &needed, &returned);
    if (status == ERROR_SUCCESS && needed == 0)
        return true;
    // The size is the spooler's: bounded before it sizes the buffer.
    if (status != ERROR_MORE_DATA || needed == 0 || needed > kLargestValueList)
        return false;
    std::vector<uint8_t> buffer(needed);
    status = EnumPrinterDataExW(printer.Get(), key, buffer.data(), needed, &needed, &returned);
    if (status != ERROR_SUCCESS || needed > buffer.size() ||
        uint64_t(returned) * sizeof(PRINTER_ENUM_VALUESW) > buffer.size())
        return false;
    // The names lie anywhere in the buffer, as the spooler packed them: each must lie
    // whole within it, terminated.
    const auto* values = reinterpret_cast<const PRINTER_ENUM_VALUESW*>(buffer.data());
    const uint8_t* const begin = buffer.data();
    const uint8_t* const end = begin + buffer.size();
    for (DWORD i = 0; i < returned; ++i) {
        const auto* text = reinterpret_cast<const uint8_t*>(values[i].pValueName);
        const DWORD bytes = values[i].cbValueName;
        if (!text || text < begin || text > end || bytes < sizeof(wchar_t) || bytes % sizeof(wchar_t) ||
            bytes > size_t(end - text))
            return false;
        const std::wstring name(reinterpret_cast<const wchar_t*>(text), bytes / sizeof(wchar_t));
        if (name.back() != L'\0')
            return false;
        names.emplace_back(name.c_str());
    }
    return true;
}

bool GWin32OSFactory::IsPrinterDataKept(GDriverObject* driver, const RWWString& name)
{
    if (IsMarkedValueName(name))
        return false;
    DriverDataKey data(driver, GetPrinterHandle(driver), dataCache_);
    GPrinterDataCache::Value kept;
    if (!data.key || !dataCache_.Find(data.path, data.version, name.Data(), kept))
        return false;
    // A value with no count that reads is read no further.
    uint32_t count = 0;
    if (!DwordOf(kept, count) || count == 0)
        return true;
    if (!dataCache_.Find(data.path, data.version, CheckName(name).Data(), kept))
        return false;
    for (uint32_t i = 0; i < count; ++i)
        if (!dataCache_.Find(data.path, data.version, ChunkName(name, i).Data(), kept))
            return false;
    return true;
}

void GWin32OSFactory::ForgetKeptPrinterData(GDriverObject* driver) { ForgetPrinterData(driver); }

void GWin32OSFactory::GetMachineString(RWWString& result, const RWWString& keyPath, const RWWString& name,
                                       const RWWString& fallback)
{
    if (!ReadRegistryString(HKEY_LOCAL_MACHINE, keyPath, name, result))
        result = fallback;
}

uint32_t GWin32OSFactory::GetMachineDword(const RWWString& keyPath, const RWWString& name, uint32_t fallback)
{
    return ReadRegistryDword(HKEY_LOCAL_MACHINE, keyPath, name, fallback);
}

uint32_t GWin32OSFactory::SetMachineDwordIfMissing(const RWWString& keyPath, const RWWString& name, uint32_t value)
{
    HKEY key = nullptr;
    LONG status = CountedOpenKeyW(HKEY_LOCAL_MACHINE, keyPath.Data(), &key);
    if (status != ERROR_SUCCESS)
        return static_cast<uint32_t>(status);
    status = CountedQueryValueExW(key, name.Data(), nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_FILE_NOT_FOUND) {
        DWORD data = value;
        status = RegSetValueExW(key, name.Data(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&data), sizeof data);
    }
    RegCloseKey(key);
    return static_cast<uint32_t>(status);
}

int GWin32OSFactory::MachineKeyExists(const RWWString& keyPath) { return KeyExists(HKEY_LOCAL_MACHINE, keyPath); }

void GWin32OSFactory::GetUserString(RWWString& result, const RWWString& keyPath, const RWWString& name,
                                    const RWWString& fallback)
{
    if (!ReadRegistryString(HKEY_CURRENT_USER, keyPath, name, result))
        result = fallback;
}

uint32_t GWin32OSFactory::GetUserDword(const RWWString& keyPath, const RWWString& name, uint32_t fallback)
{
    return ReadRegistryDword(HKEY_CURRENT_USER, keyPath, name, fallback);
}

int GWin32OSFactory::UserKeyExists(const RWWString& keyPath) { return KeyExists(HKEY_CURRENT_USER, keyPath); }

int GWin32OSFactory::SetUserDword(const RWWString& keyPath, const RWWString& name, uint32_t value)
{
    HKEY key = nullptr;
    if (CountedCreateKeyExW(HKEY_CURRENT_USER, keyPath.Data(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return 0;
    DWORD data = value;
    const bool written =
        RegSetValueExW(key, name.Data(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&data), sizeof data) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

GLock* GWin32OSFactory::CreateLock() { return new (std::nothrow) GSemaphoreLock; }

int GWin32OSFactory::CreateRegistryKeyPath(const RWWString& markedName, HKEY& key, RWWString& valueName)
{
    key = nullptr;
    HKEY root = nullptr;
    RWWString path, value;
    if (!SplitMarkedName(markedName, root, path, value))
        return 0;
    HKEY created = nullptr;
    if (CountedCreateKeyExW(root, path.Data(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr) !=
        ERROR_SUCCESS)
        return 0;
    key = created;
    valueName = value;
    return 1;
}

int GWin32OSFactory::IsMarkedValueName(const RWWString& name)
{
    return name.Length() >= 3 && std::wcsncmp(name.Data(), kMarker, 3) == 0;
}

bool GWin32OSFactory::KeyStamp(HKEY key, GPrinterDataCache::Stamp& stamp)
{
    FILETIME written = {};
    DWORD values = 0;
    GPlatformCalls::Count(GPlatformCalls::kValueRead);
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                         &written) != ERROR_SUCCESS)
        return false;
    stamp.lastWrite = (uint64_t(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    stamp.values = values;
    return true;
}
