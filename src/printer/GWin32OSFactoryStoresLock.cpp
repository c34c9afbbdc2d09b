// The writers' lock of a printer's stores as the system services make it: a named mutex
// in the global name space, which every process of every session that may change the
// printer finds under the same name. Its access list is the printer's own: whom the
// printer lets administer it (what a write of its data asks) may take the lock, whom it
// does not is refused, and the system always may.
//
// No private name space: one bounded by a group shuts out every user the printer admits
// who is not of that group, and a writer that fell back to the global name whenever the
// space could not be entered would take another mutex than the writers inside it, so
// two commits could run at once. A known limit of the global name: any process may make
// the mutex first, under an access list of its own; while it lives, writers it does not
// admit are refused and writers it admits wait on whoever holds it. Readers never take
// the lock, so such a process holds no read up.
#include "printer/GWin32OSFactory.h"

#include "printer/GDriverObject.h"
#include "printer/GPlatformCalls.h"

#include <sddl.h>
#include <winspool.h>
#include <zlib.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

const wchar_t GWin32OSFactory::kFallbackLockAccess[] = L"D:(A;;0x100001;;;SY)(A;;0x100001;;;BA)";

namespace {

// What a writer asks of the lock: to wait on it and to release it.
const DWORD kLockRights = SYNCHRONIZE | MUTEX_MODIFY_STATE;
// The printer's rights that let a process change the printer's data.
const DWORD kAdministerRights = PRINTER_ACCESS_ADMINISTER | GENERIC_ALL;
// The label lets processes of low integrity that the list admits in.
const wchar_t kLowIntegrityLabel[] = L"S:(ML;;NW;;;LW)";
// A printer's security descriptor is at most its two access lists at their largest,
// two identities and a header.
const DWORD kLargestPrinterSecurity = 3 * 65536;

// One entry of the lock's list: allowed ('A') or denied ('D') to the identity, in SDDL.
std::wstring LockEntry(wchar_t kind, const wchar_t* identity)
{
    wchar_t rights[16];
    std::swprintf(rights, 16, L"0x%lx", static_cast<unsigned long>(kLockRights));
    return std::wstring(L"(") + kind + L";;" + rights + L";;;" + identity + L")";
}

// The descriptor of the lock's list, with the low-integrity label where the system takes
// one; null when the list does not convert. Freed with LocalFree.
PSECURITY_DESCRIPTOR LockDescriptor(const RWWString& access)
{
    if (access.Length() == 0)
        return nullptr;
    std::wstring labelled(access.Data(), access.Length());
    labelled += kLowIntegrityLabel;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(labelled.c_str(), SDDL_REVISION_1, &descriptor,
                                                             nullptr) ||
        ConvertStringSecurityDescriptorToSecurityDescriptorW(access.Data(), SDDL_REVISION_1, &descriptor, nullptr))
        return descriptor;
    return nullptr;
}

// The printer's security record (PRINTER_INFO_3) through the handle, whole in record:
// ERROR_SUCCESS, else why the handle did not give it.
DWORD ReadPrinterSecurity(HANDLE printer, std::vector<uint8_t>& record)
{
    if (!printer)
        return ERROR_INVALID_HANDLE;
    DWORD needed = 0;
    if (!GetPrinterW(printer, 3, nullptr, 0, &needed) && GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return GetLastError();
    // The size is the spooler's: bounded before it sizes the buffer.
    if (needed < sizeof(PRINTER_INFO_3) || needed > kLargestPrinterSecurity)
        return ERROR_INVALID_DATA;
    record.assign(needed, 0);
    if (!GetPrinterW(printer, 3, record.data(), needed, &needed))
        return GetLastError();
    return needed > record.size() ? ERROR_INVALID_DATA : ERROR_SUCCESS;
}

// The descriptor a security record points to, when it lies whole within the record.
PSECURITY_DESCRIPTOR DescriptorIn(std::vector<uint8_t>& record)
{
    if (record.size() < sizeof(PRINTER_INFO_3))
        return nullptr;
    auto* descriptor = static_cast<uint8_t*>(reinterpret_cast<PRINTER_INFO_3*>(record.data())->pSecurityDescriptor);
    uint8_t* const end = record.data() + record.size();
    if (!descriptor || descriptor < record.data() || descriptor >= end ||
        size_t(end - descriptor) < sizeof(SECURITY_DESCRIPTOR_RELATIVE) || !IsValidSecurityDescriptor(descriptor) ||
        GetSecurityDescriptorLength(descriptor) > size_t(end - descriptor))
        return nullptr;
    return descriptor;
}

} // namespace

RWWString GWin32OSFactory::StoresLockName(const RWWString& printer)
{
    std::wstring part(printer.IsNull() ? L"" : printer.Data(), printer.Length());
    if (!part.empty())
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, part.data(), int(part.size()), &part[0], int(part.size()));
    for (wchar_t& c : part)
        if (c == L'\\')
            c = L'/';
    if (part.size() > kLongestLockPart) {
        const uint32_t whole = uint32_t(crc32(0, reinterpret_cast<const Bytef*>(part.data()),
                                              uInt(part.size() * sizeof(wchar_t))));
        wchar_t tail[10];
        std::swprintf(tail, 10, L"#%08lX", static_cast<unsigned long>(whole));
        part.resize(kLongestLockPart - 9);
        part.append(tail);
    }
    RWWString name(L"Global\\QZ printer stores ");
    name.Append(part.c_str(), part.size());
    return name;
}

// The printer's entries are taken in their own order, so that the lock allows and denies
// as the printer does for its administer right; entries that only pass to the printer's
// jobs (inherit only) do not apply to the printer. The system comes first: the spooler
// itself commits a printer's initialization.
RWWString GWin32OSFactory::StoresLockAccess(PSECURITY_DESCRIPTOR printerSecurity)
{
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = nullptr;
    if (!printerSecurity || !IsValidSecurityDescriptor(printerSecurity) ||
        !GetSecurityDescriptorDacl(printerSecurity, &present, &list, &defaulted))
        return RWWString();
    std::wstring access = L"D:" + LockEntry(L'A', L"SY");
    // Without a list the printer lets everyone do everything.
    if (!present || !list)
        return RWWString((access + LockEntry(L'A', L"WD")).c_str());
    ACL_SIZE_INFORMATION sizes = {};
    if (!IsValidAcl(list) || !GetAclInformation(list, &sizes, sizeof sizes, AclSizeInformation))
        return RWWString();
    for (DWORD i = 0; i < sizes.AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(list, i, &entry))
            return RWWString();
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceFlags & INHERIT_ONLY_ACE)
            continue;
        // Only the plain kinds are read; an entry of another kind (object, callback) may
        // allow or deny what cannot be told here, and the list does not read.
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE)
            return RWWString();
        // Both kinds have the same layout: the mask, then the identity.
        const auto* plain = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        if (!(plain->Mask & kAdministerRights))
            continue;
        PSID identity = const_cast<DWORD*>(&plain->SidStart);
        wchar_t* text = nullptr;
        if (!IsValidSid(identity) || !ConvertSidToStringSidW(identity, &text))
            return RWWString();
        access += LockEntry(header->AceType == ACCESS_ALLOWED_ACE_TYPE ? L'A' : L'D', text);
        LocalFree(text);
    }
    return RWWString(access.c_str());
}

RWWString GWin32OSFactory::PrinterStoresLockAccess(GDriverObject* driver)
{
    // The driver's own handle first; where there is none, or it may not read the
    // printer's security, a handle opened for that alone, which every user that may print
    // can have.
    std::vector<uint8_t> record;
    DWORD read = ReadPrinterSecurity(static_cast<HANDLE>(GetPrinterHandle(driver)), record);
    if (read == ERROR_INVALID_HANDLE || read == ERROR_ACCESS_DENIED) {
        const RWWString& name = driver->GetPrinterName();
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, READ_CONTROL};
        HANDLE printer = nullptr;
        if (!name.IsNull() && OpenPrinterW(const_cast<wchar_t*>(name.Data()), &printer, &defaults)) {
            read = ReadPrinterSecurity(printer, record);
            ClosePrinter(printer);
        }
    }
    const RWWString access = read == ERROR_SUCCESS ? StoresLockAccess(DescriptorIn(record)) : RWWString();
    return access.Length() ? access : RWWString(kFallbackLockAccess);
}

int GWin32OSFactory::TakeStoresLock(const RWWString& name, const RWWString& access, uint32_t wait, void*& held)
{
    held = nullptr;
    PSECURITY_DESCRIPTOR descriptor = LockDescriptor(access);
    if (!descriptor || name.Length() == 0) {
        LocalFree(descriptor);
        return kStoresLockBusy;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    HANDLE mutex = CreateMutexExW(&attributes, name.Data(), 0, kLockRights);
    DWORD error = GetLastError();
    LocalFree(descriptor);
    if (mutex && error != ERROR_ALREADY_EXISTS) {
        // Its maker is given the handle without a look at the list: the list is asked
        // now, so that whom it does not admit is refused whether or not the lock was
        // there before.
        HANDLE admitted = OpenMutexW(kLockRights, FALSE, name.Data());
        error = GetLastError();
        CloseHandle(mutex);
        mutex = admitted;
    }
    if (!mutex)
        return error == ERROR_ACCESS_DENIED ? kStoresLockRefused : kStoresLockBusy;
    GPlatformCalls::Count(GPlatformCalls::kLockWait);
    // An owner that ended holding it left the stores as it left them: each reads whole
    // or not at all.
    const DWORD waited = WaitForSingleObject(mutex, wait);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return kStoresLockBusy;
    }
    held = mutex;
    return kStoresLockOwned;
}

int GWin32OSFactory::LockPrinterStores(GDriverObject* driver, uint32_t wait, void*& held)
{
    held = nullptr;
    if (!driver || driver->GetPrinterName().IsNull())
        return kStoresLockBusy;
    return TakeStoresLock(StoresLockName(driver->GetPrinterName()), PrinterStoresLockAccess(driver), wait, held);
}

void GWin32OSFactory::UnlockPrinterStores(void* held)
{
    if (!held)
        return;
    ReleaseMutex(static_cast<HANDLE>(held));
    CloseHandle(static_cast<HANDLE>(held));
}
