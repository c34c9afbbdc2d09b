#include "printer/PrinterRecordScope.h"

#include "foundation/RWThreadContext.h"

#include <windows.h>
#include <winspool.h>

#include <cwchar>
#include <string>
#include <new>
#include <type_traits>

struct PrinterRecordScope::Kept {
    struct Entry {
        HANDLE printer;
        std::vector<uint8_t> record;
    };
    std::vector<Entry> entries;
    struct Opened {
        std::wstring name;
        HANDLE printer;
    };
    std::vector<Opened> opened;
    struct Key {
        std::wstring path;
        HKEY key;
    };
    std::vector<Key> keys;
};

namespace {

// The open scope of this thread: owned by the outermost PrinterRecordScope. Threads
// without a context of their own keep nothing: they never share printer handles.
RWThreadSlot<PrinterRecordScope::Kept> t_kept(true);

// One call reads the records of one or two handles.
const size_t kMostKept = 4;

// A first buffer large enough for the records of nearly every printer: one call.
const size_t kFirstRecord = 8192;

bool ReadRecord(HANDLE printer, std::vector<uint8_t>& record)
{
    record.assign(kFirstRecord, 0);
    DWORD needed = 0;
    if (!GetPrinterW(printer, 2, record.data(), DWORD(record.size()), &needed)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= record.size() ||
            needed > PrinterRecordScope::kLargestRecord) {
            record.clear();
            return false;
        }
        record.assign(needed, 0);
        if (!GetPrinterW(printer, 2, record.data(), needed, &needed)) {
            record.clear();
            return false;
        }
    }
    if (needed < sizeof(PRINTER_INFO_2W) || needed > record.size()) {
        record.clear();
        return false;
    }
    record.resize(needed);
    return true;
}

// The record's own printer name equals the expected one (both non-empty).
bool NamesRecord(const std::vector<uint8_t>& record, const wchar_t* expected)
{
    if (!expected || !*expected || record.size() < sizeof(PRINTER_INFO_2W))
        return false;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(record.data());
    const auto* begin = reinterpret_cast<const uint8_t*>(record.data());
    const auto* name = reinterpret_cast<const uint8_t*>(info->pPrinterName);
    if (!name || name < begin || name >= begin + record.size())
        return false;
    const size_t room = (begin + record.size() - name) / sizeof(wchar_t);
    const size_t length = wcsnlen(info->pPrinterName, room);
    return length < room && std::wcscmp(info->pPrinterName, expected) == 0;
}

// A copy of the record whose pointers point into the copy.
void Rebase(const std::vector<uint8_t>& from, std::vector<uint8_t>& to)
{
    to = from;
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(to.data());
    const uintptr_t oldBegin = reinterpret_cast<uintptr_t>(from.data());
    const uintptr_t oldEnd = oldBegin + from.size();
    const uintptr_t newBegin = reinterpret_cast<uintptr_t>(to.data());
    auto move = [&](auto*& pointer) {
        const uintptr_t at = reinterpret_cast<uintptr_t>(pointer);
        if (pointer && at >= oldBegin && at < oldEnd)
            pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(newBegin + (at - oldBegin));
    };
    move(info->pServerName), move(info->pPrinterName), move(info->pShareName), move(info->pPortName);
    move(info->pDriverName), move(info->pComment), move(info->pLocation), move(info->pDevMode);
    move(info->pSepFile), move(info->pPrintProcessor), move(info->pDatatype), move(info->pParameters);
    move(info->pSecurityDescriptor);
}

} // namespace

PrinterRecordScope::PrinterRecordScope() : kept_(nullptr)
{
    if (!t_kept) {
        kept_ = new (std::nothrow) Kept;
        t_kept = kept_;
    }
}

PrinterRecordScope::~PrinterRecordScope()
{
    if (kept_) {
        t_kept = nullptr;
        for (const Kept::Opened& opened : kept_->opened)
            ClosePrinter(opened.printer);
        for (const Kept::Key& key : kept_->keys)
            RegCloseKey(key.key);
        delete kept_;
    }
}

bool PrinterRecordScope::Read(void* printer, const wchar_t* expectedName, std::vector<uint8_t>& record)
{
    record.clear();
    if (!printer)
        return false;
    if (Kept* kept = t_kept) {
        for (const Kept::Entry& entry : kept->entries)
            if (entry.printer == printer && NamesRecord(entry.record, expectedName)) {
                Rebase(entry.record, record);
                return true;
            }
    }
    if (!ReadRecord(static_cast<HANDLE>(printer), record))
        return false;
    if (Kept* kept = t_kept) {
        for (Kept::Entry& entry : kept->entries)
            if (entry.printer == printer) {
                Rebase(record, entry.record);
                return true;
            }
        if (kept->entries.size() < kMostKept) {
            kept->entries.push_back(Kept::Entry{static_cast<HANDLE>(printer), {}});
            Rebase(record, kept->entries.back().record);
        }
    }
    return true;
}

void PrinterRecordScope::Forget()
{
    if (t_kept)
        t_kept->entries.clear();
}

void* PrinterRecordScope::SharedHandle(const wchar_t* printerName)
{
    Kept* kept = t_kept;
    if (!kept || !printerName || !*printerName)
        return nullptr;
    for (const Kept::Opened& opened : kept->opened)
        if (opened.name == printerName)
            return opened.printer;
    if (kept->opened.size() >= kMostKept)
        return nullptr;
    HANDLE printer = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t*>(printerName), &printer, nullptr) || !printer)
        return nullptr;
    kept->opened.push_back(Kept::Opened{printerName, printer});
    return printer;
}

void* PrinterRecordScope::SharedReadKey(const wchar_t* path)
{
    Kept* kept = t_kept;
    if (!kept || !path || !*path)
        return nullptr;
    for (const Kept::Key& key : kept->keys)
        if (key.path == path)
            return key.key;
    if (kept->keys.size() >= kMostKept)
        return nullptr;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS || !key)
        return nullptr;
    kept->keys.push_back(Kept::Key{path, key});
    return key;
}

bool PrinterRecordScope::IsSharedKey(void* key)
{
    if (Kept* kept = t_kept)
        for (const Kept::Key& shared : kept->keys)
            if (shared.key == key)
                return true;
    return false;
}
