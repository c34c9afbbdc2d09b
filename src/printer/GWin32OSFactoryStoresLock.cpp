// The writers' lock of a printer's stores as the system services make it: a named mutex
// in the global name space, which every process of every session that may change the
// printer finds under the same name. Its access list is the printer's own: whom the
// printer lets administer it (what a write of its data asks) may take the lock, whom it
// does not is refused, and the system always may. The printer's descriptor is taken
// from the spooler's record only when each of its parts lies within the record; else the
// list is the fall-back one, of the system and the administrators.
//
// No private name space: one bounded by a group shuts out every user the printer admits
// who is not of that group, and a writer that fell back to the global name whenever the
// space could not be entered would take another mutex than the writers inside it, so
// two commits could run at once. Any process may make the mutex first, under an access
// list of its own. Whether a caller may change the printer is therefore asked of the
// printer, never of the lock: when the lock does not admit a caller, an access check of
// the caller's token against the printer's own descriptor (or, where the spooler gives
// none, whether the printer opens for its administer right) decides. A caller the
// printer refuses is refused; one it admits, or of whom it cannot tell, finds the lock
// another program's, and busy, as when it is held past the wait: it stores nothing and
// keeps its edits. Readers never take the lock, so such a process holds no read up.
//
// A thread that holds a printer's lock takes it again at no cost to the platform: the
// locks each thread holds are kept here with a count, and the printer's security is read
// once for the outermost take. A thread that ended holding a lock leaves its entry until
// the lock is given back; writers give back what they take in the same scope. The guard
// of that table is held for a look at it alone, never while a lock is waited on.
#include "printer/GWin32OSFactory.h"

#include "printer/GDriverObject.h"
#include "printer/GPlatformCalls.h"

#include <sddl.h>
#include <winspool.h>
#include <zlib.h>

#include <cstdio>
#include <cstring>
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
// OWNER RIGHTS (S-1-3-4): in a printer's list, its owner.
const uint8_t kOwnerRights[] = {SID_REVISION, 1, 0, 0, 0, 0, 0, 3, 4, 0, 0, 0};

// The stores locks this process's threads hold: each by its name and thread, with how
// many takes it has not given back.
class HeldStoresLocks {
public:
    // The lock of the name this thread holds, taken once more; null when it holds none.
    static HANDLE TakeAgain(const RWWString& name)
    {
        const DWORD thread = GetCurrentThreadId();
        GPlatformCalls::LockGuard guard(lock_, false);
        for (Entry& entry : Entries())
            if (entry.thread == thread && entry.name == std::wstring(name.Data(), name.Length())) {
                ++entry.count;
                return entry.mutex;
            }
        return nullptr;
    }
    // A lock this thread has just had.
    static void Add(const RWWString& name, HANDLE mutex)
    {
        GPlatformCalls::LockGuard guard(lock_, false);
        Entries().push_back({GetCurrentThreadId(), std::wstring(name.Data(), name.Length()), mutex, 1});
    }
    // One take of the lock given back: true when it was the last, and the mutex is to be
    // released; a mutex not kept here is.
    static bool GiveBack(HANDLE mutex)
    {
        GPlatformCalls::LockGuard guard(lock_, false);
        std::vector<Entry>& entries = Entries();
        for (size_t i = 0; i < entries.size(); ++i)
            if (entries[i].mutex == mutex) {
                if (--entries[i].count > 0)
                    return false;
                entries.erase(entries.begin() + i);
                return true;
            }
        return true;
    }

private:
    struct Entry {
        DWORD thread;
        std::wstring name;
        HANDLE mutex;
        uint32_t count;
    };
    static std::vector<Entry>& Entries()
    {
        static std::vector<Entry> entries;
        return entries;
    }
    static SRWLOCK lock_;
};

SRWLOCK HeldStoresLocks::lock_ = SRWLOCK_INIT;

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
DWORD ReadSecurityRecord(HANDLE printer, std::vector<uint8_t>& record)
{
    if (!printer)
        return ERROR_INVALID_HANDLE;
    DWORD needed = 0;
    GPlatformCalls::Count(GPlatformCalls::kPrinterSecurity);
    if (!GetPrinterW(printer, 3, nullptr, 0, &needed) && GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return GetLastError();
    // The size is the spooler's: bounded before it sizes the buffer.
    if (needed < sizeof(PRINTER_INFO_3) || needed > kLargestPrinterSecurity)
        return ERROR_INVALID_DATA;
    record.assign(needed, 0);
    GPlatformCalls::Count(GPlatformCalls::kPrinterSecurity);
    if (!GetPrinterW(printer, 3, record.data(), needed, &needed))
        return GetLastError();
    return needed > record.size() ? ERROR_INVALID_DATA : ERROR_SUCCESS;
}

// A stored field at a place the caller checked lies within the bytes.
template <typename T>
T FieldAt(const uint8_t* at)
{
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// An identity (SID) at offset within size bytes: its header, a sub-authority count the
// platform allows, and every sub-authority, inside them.
bool SidFits(const uint8_t* bytes, size_t size, size_t offset)
{
    const size_t header = 8;
    if (offset > size || size - offset < header)
        return false;
    const uint8_t revision = bytes[offset], count = bytes[offset + 1];
    return revision == SID_REVISION && count <= SID_MAX_SUB_AUTHORITIES && size - offset - header >= 4u * count;
}

// An access list at offset within size bytes: its header and its size inside them, and
// each entry's header and size inside the list; the identity of an entry of the plain
// kinds (allow, deny, audit, alarm, label) inside its entry.
bool AclFits(const uint8_t* bytes, size_t size, size_t offset)
{
    if (offset > size || size - offset < sizeof(ACL))
        return false;
    const uint8_t* list = bytes + offset;
    const uint16_t listSize = FieldAt<uint16_t>(list + offsetof(ACL, AclSize));
    const uint16_t count = FieldAt<uint16_t>(list + offsetof(ACL, AceCount));
    if (list[0] < ACL_REVISION2 || list[0] > ACL_REVISION4 || listSize < sizeof(ACL) || listSize > size - offset)
        return false;
    size_t at = sizeof(ACL);
    for (uint16_t i = 0; i < count; ++i) {
        if (listSize - at < sizeof(ACE_HEADER))
            return false;
        const uint8_t kind = list[at];
        const uint16_t entrySize = FieldAt<uint16_t>(list + at + offsetof(ACE_HEADER, AceSize));
        if (entrySize < sizeof(ACE_HEADER) || entrySize > listSize - at)
            return false;
        const bool plain = kind == ACCESS_ALLOWED_ACE_TYPE || kind == ACCESS_DENIED_ACE_TYPE ||
                           kind == SYSTEM_AUDIT_ACE_TYPE || kind == SYSTEM_ALARM_ACE_TYPE ||
                           kind == SYSTEM_MANDATORY_LABEL_ACE_TYPE;
        if (plain && !SidFits(list + at, entrySize, offsetof(ACCESS_ALLOWED_ACE, SidStart)))
            return false;
        at += entrySize;
    }
    return true;
}

// A token of whom this thread runs as that an access check takes: its own impersonation
// token, else one made from the process's. Null when there is none; closed by the caller.
HANDLE CheckingToken()
{
    HANDLE token = nullptr;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token))
        return token;
    HANDLE process = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &process))
        return nullptr;
    if (!DuplicateToken(process, SecurityIdentification, &token))
        token = nullptr;
    CloseHandle(process);
    return token;
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
// itself commits a printer's initialization. An entry for the owner's rights names the
// printer's owner: copied as it is, it would stand for whoever made the mutex.
RWWString GWin32OSFactory::StoresLockAccess(PSECURITY_DESCRIPTOR printerSecurity)
{
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = nullptr;
    PSID owner = nullptr;
    if (!printerSecurity || !IsValidSecurityDescriptor(printerSecurity) ||
        !GetSecurityDescriptorDacl(printerSecurity, &present, &list, &defaulted) ||
        !GetSecurityDescriptorOwner(printerSecurity, &owner, &defaulted))
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
        if (!IsValidSid(identity))
            return RWWString();
        if (EqualSid(identity, const_cast<uint8_t*>(kOwnerRights))) {
            if (!owner || !IsValidSid(owner))
                return RWWString();
            identity = owner;
        }
        wchar_t* text = nullptr;
        if (!ConvertSidToStringSidW(identity, &text))
            return RWWString();
        access += LockEntry(header->AceType == ACCESS_ALLOWED_ACE_TYPE ? L'A' : L'D', text);
        LocalFree(text);
    }
    return RWWString(access.c_str());
}

// The record is the spooler's: the descriptor's own offsets and sizes are checked against
// it before the platform reads the descriptor, which follows them without a bound.
PSECURITY_DESCRIPTOR GWin32OSFactory::SecurityInRecord(void* record, size_t size)
{
    if (!record || size < sizeof(PRINTER_INFO_3))
        return nullptr;
    const uintptr_t begin = reinterpret_cast<uintptr_t>(record);
    const uintptr_t at = reinterpret_cast<uintptr_t>(FieldAt<void*>(static_cast<const uint8_t*>(record)));
    if (at < begin || at - begin >= size)
        return nullptr;
    const auto* descriptor = static_cast<const uint8_t*>(record) + (at - begin);
    const size_t available = size - (at - begin);
    if (available < sizeof(SECURITY_DESCRIPTOR_RELATIVE))
        return nullptr;
    const auto header = FieldAt<SECURITY_DESCRIPTOR_RELATIVE>(descriptor);
    if (header.Revision != SECURITY_DESCRIPTOR_REVISION || !(header.Control & SE_SELF_RELATIVE))
        return nullptr;
    // Each part lies past the header, within the record; an offset of 0 names none.
    const DWORD parts[] = {header.Owner, header.Group, header.Sacl, header.Dacl};
    for (int i = 0; i < 4; ++i) {
        if (!parts[i])
            continue;
        if (parts[i] < sizeof header)
            return nullptr;
        if (!(i < 2 ? SidFits(descriptor, available, parts[i]) : AclFits(descriptor, available, parts[i])))
            return nullptr;
    }
    auto* checked = const_cast<uint8_t*>(descriptor);
    if (!IsValidSecurityDescriptor(checked) || GetSecurityDescriptorLength(checked) > available)
        return nullptr;
    return checked;
}

GWin32OSFactory::Admission GWin32OSFactory::AdmitsToAdminister(PSECURITY_DESCRIPTOR printerSecurity)
{
    if (!printerSecurity)
        return Admission::kUnknown;
    HANDLE token = CheckingToken();
    if (!token)
        return Admission::kUnknown;
    GENERIC_MAPPING mapping = {PRINTER_READ, PRINTER_WRITE, PRINTER_EXECUTE, PRINTER_ALL_ACCESS};
    DWORD privileges[64] = {};
    DWORD privilegesSize = sizeof privileges;
    DWORD granted = 0;
    BOOL admitted = FALSE;
    GPlatformCalls::Count(GPlatformCalls::kPrinterSecurity);
    const BOOL checked =
        AccessCheck(printerSecurity, token, PRINTER_ACCESS_ADMINISTER, &mapping,
                    reinterpret_cast<PPRIVILEGE_SET>(privileges), &privilegesSize, &granted, &admitted);
    CloseHandle(token);
    if (!checked)
        return Admission::kUnknown;
    return admitted && (granted & PRINTER_ACCESS_ADMINISTER) ? Admission::kAdmitted : Admission::kRefused;
}

// Where the spooler gives no descriptor, or the check cannot be made, the rights a handle
// on the printer gets tell: a refusal of the administer right is the printer's.
GWin32OSFactory::Admission GWin32OSFactory::PrinterAdmitsCaller(GDriverObject* driver,
                                                                PSECURITY_DESCRIPTOR printerSecurity)
{
    const Admission checked = AdmitsToAdminister(printerSecurity);
    if (checked != Admission::kUnknown || !driver || driver->GetPrinterName().IsNull())
        return checked;
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ACCESS_ADMINISTER};
    HANDLE printer = nullptr;
    GPlatformCalls::Count(GPlatformCalls::kPrinterSecurity);
    if (OpenPrinterW(const_cast<wchar_t*>(driver->GetPrinterName().Data()), &printer, &defaults)) {
        ClosePrinter(printer);
        return Admission::kAdmitted;
    }
    return GetLastError() == ERROR_ACCESS_DENIED ? Admission::kRefused : Admission::kUnknown;
}

PSECURITY_DESCRIPTOR GWin32OSFactory::ReadPrinterSecurity(GDriverObject* driver, std::vector<uint8_t>& record)
{
    // The driver's own handle first; where there is none, or it may not read the
    // printer's security, a handle opened for that alone, which every user that may print
    // can have.
    DWORD read = ReadSecurityRecord(static_cast<HANDLE>(GetPrinterHandle(driver)), record);
    if (read == ERROR_INVALID_HANDLE || read == ERROR_ACCESS_DENIED) {
        const RWWString& name = driver->GetPrinterName();
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, READ_CONTROL};
        HANDLE printer = nullptr;
        GPlatformCalls::Count(GPlatformCalls::kPrinterSecurity);
        if (!name.IsNull() && OpenPrinterW(const_cast<wchar_t*>(name.Data()), &printer, &defaults)) {
            read = ReadSecurityRecord(printer, record);
            ClosePrinter(printer);
        }
    }
    return read == ERROR_SUCCESS ? SecurityInRecord(record.data(), record.size()) : nullptr;
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
    const RWWString name = StoresLockName(driver->GetPrinterName());
    if ((held = HeldStoresLocks::TakeAgain(name)) != nullptr)
        return kStoresLockOwned;
    std::vector<uint8_t> record;
    const PSECURITY_DESCRIPTOR security = ReadPrinterSecurity(driver, record);
    const RWWString access = StoresLockAccess(security);
    const int answer = TakeStoresLock(name, access.Length() ? access : RWWString(kFallbackLockAccess), wait, held);
    if (answer == kStoresLockOwned)
        HeldStoresLocks::Add(name, static_cast<HANDLE>(held));
    // The lock refused: whether the caller may change the printer is the printer's to say.
    if (answer == kStoresLockRefused && PrinterAdmitsCaller(driver, security) != Admission::kRefused)
        return kStoresLockBusy;
    return answer;
}

void GWin32OSFactory::UnlockPrinterStores(void* held)
{
    if (!held || !HeldStoresLocks::GiveBack(static_cast<HANDLE>(held)))
        return;
    ReleaseMutex(static_cast<HANDLE>(held));
    CloseHandle(static_cast<HANDLE>(held));
}
