#include "printer/PrinterRecordScope.h"

#include "foundation/RWThreadContext.h"
#include "printer/GPlatformCalls.h"

#include <windows.h>
#include <winspool.h>

#include <atomic>
#include <cstddef>
#include <cstring>
#include <cwchar>
#include <string>
#include <new>
#include <type_traits>
#include <utility>

struct PrinterRecordScope::Kept {
    uint32_t call = 0;
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
        uint64_t tag;
    };
    std::vector<Key> keys;
    std::vector<std::pair<std::wstring, GSourceStamp>> stamps;
    std::vector<std::pair<std::wstring, RWWString>> texts;
};

namespace {

// The open scope of this thread: owned by the outermost PrinterRecordScope. Threads
// without a context of their own keep nothing: they never share printer handles.
RWThreadSlot<PrinterRecordScope::Kept> t_kept(true);

// One call reads the records of one or two handles.
const size_t kMostKept = 4;
// One call asks of a few files and drivers.
const size_t kMostNotes = 16;

template <class T>
bool FindNote(const std::vector<std::pair<std::wstring, T>>& notes, const std::wstring& name, T& found)
{
    for (const auto& note : notes)
        if (note.first == name) {
            found = note.second;
            return true;
        }
    return false;
}

template <class T>
void KeepNote(std::vector<std::pair<std::wstring, T>>& notes, const std::wstring& name, const T& value)
{
    for (auto& note : notes)
        if (note.first == name) {
            note.second = value;
            return;
        }
    if (notes.size() < kMostNotes)
        notes.emplace_back(name, value);
}

// A first buffer large enough for the records of nearly every printer: one call.
const size_t kFirstRecord = 8192;

bool SpoolerRead(void* printer, uint8_t* buffer, uint32_t size, uint32_t* needed)
{
    DWORD asked = 0;
    const bool read = GetPrinterW(static_cast<HANDLE>(printer), 2, buffer, size, &asked) != 0;
    *needed = asked;
    return read;
}

PrinterRecordScope::Reader g_reader = SpoolerRead;

// The number of the last scope opened in the process; 0 is never a scope's.
std::atomic<uint32_t> g_lastCall{0};

// The texts of the level-2 record.
LPWSTR PRINTER_INFO_2W::*const kTexts[] = {
    &PRINTER_INFO_2W::pServerName,  &PRINTER_INFO_2W::pPrinterName,    &PRINTER_INFO_2W::pShareName,
    &PRINTER_INFO_2W::pPortName,    &PRINTER_INFO_2W::pDriverName,     &PRINTER_INFO_2W::pComment,
    &PRINTER_INFO_2W::pLocation,    &PRINTER_INFO_2W::pSepFile,        &PRINTER_INFO_2W::pPrintProcessor,
    &PRINTER_INFO_2W::pDatatype,    &PRINTER_INFO_2W::pParameters,
};

// The offset of what a member points to within the record, or false when it points
// outside it. The spooler aligns nothing it promises, so everything is read as bytes.
bool OffsetInside(const std::vector<uint8_t>& record, const void* pointer, size_t& offset)
{
    const uintptr_t at = reinterpret_cast<uintptr_t>(pointer);
    const uintptr_t begin = reinterpret_cast<uintptr_t>(record.data());
    if (at < begin || at - begin >= record.size())
        return false;
    offset = at - begin;
    return true;
}

bool TextInside(const std::vector<uint8_t>& record, const wchar_t* text)
{
    size_t at = 0;
    if (!OffsetInside(record, text, at))
        return false;
    for (; at + 1 < record.size(); at += sizeof(wchar_t))
        if (record[at] == 0 && record[at + 1] == 0)
            return true;
    return false;
}

// The DEVMODE's header and the dmSize + dmDriverExtra bytes it claims lie inside.
bool DevModeInside(const std::vector<uint8_t>& record, const DEVMODEW* devMode)
{
    size_t at = 0;
    if (!OffsetInside(record, devMode, at))
        return false;
    const size_t room = record.size() - at;
    if (room < offsetof(DEVMODEW, dmDriverExtra) + sizeof(WORD))
        return false;
    WORD size = 0, extra = 0;
    std::memcpy(&size, &record[at + offsetof(DEVMODEW, dmSize)], sizeof size);
    std::memcpy(&extra, &record[at + offsetof(DEVMODEW, dmDriverExtra)], sizeof extra);
    return size_t(size) + extra <= room;
}

// Every pointer of the record points inside it: texts end inside it, the DEVMODE fits
// inside it, and the security descriptor's fixed part does.
bool HoldsTogether(const std::vector<uint8_t>& record)
{
    if (record.size() < sizeof(PRINTER_INFO_2W))
        return false;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(record.data());
    for (LPWSTR PRINTER_INFO_2W::*text : kTexts)
        if (info->*text && !TextInside(record, info->*text))
            return false;
    if (info->pDevMode && !DevModeInside(record, info->pDevMode))
        return false;
    size_t at = 0;
    return !info->pSecurityDescriptor || (OffsetInside(record, info->pSecurityDescriptor, at) &&
                                          record.size() - at >= SECURITY_DESCRIPTOR_MIN_LENGTH);
}

bool ReadRecord(HANDLE printer, std::vector<uint8_t>& record)
{
    record.clear();
    std::vector<uint8_t> buffer(kFirstRecord, 0);
    uint32_t needed = 0;
    // A record that grew between the size the spooler gave and the read (another caller
    // changed the printer) is asked for once more, at its new size.
    const int kLastTry = 2;
    for (int tried = 0; !g_reader(printer, buffer.data(), uint32_t(buffer.size()), &needed); ++tried) {
        if (tried == kLastTry || GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed <= buffer.size() ||
            needed > PrinterRecordScope::kLargestRecord)
            return false;
        buffer.assign(needed, 0);
    }
    // The record is the whole buffer the spooler was given, wherever in it the spooler
    // put the strings and the DEVMODE; moving the buffer keeps its pointers good.
    if (needed < sizeof(PRINTER_INFO_2W) || needed > buffer.size() || !HoldsTogether(buffer))
        return false;
    record.swap(buffer);
    return true;
}

// The record's own printer name equals the expected one (both non-empty).
bool NamesRecord(const std::vector<uint8_t>& record, const wchar_t* expected)
{
    if (!expected || !*expected || record.size() < sizeof(PRINTER_INFO_2W))
        return false;
    const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(record.data());
    return TextInside(record, info->pPrinterName) && std::wcscmp(info->pPrinterName, expected) == 0;
}

// A copy of the record whose pointers point into the copy; false, and nothing copied,
// for a record whose pointers do not all point inside it.
bool Rebase(const std::vector<uint8_t>& from, std::vector<uint8_t>& to)
{
    to.clear();
    if (!HoldsTogether(from))
        return false;
    to = from;
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(to.data());
    const uintptr_t shift = reinterpret_cast<uintptr_t>(to.data()) - reinterpret_cast<uintptr_t>(from.data());
    auto move = [shift](auto*& pointer) {
        if (pointer)
            pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(
                reinterpret_cast<uintptr_t>(pointer) + shift);
    };
    for (LPWSTR PRINTER_INFO_2W::*text : kTexts)
        move(info->*text);
    move(info->pDevMode);
    move(info->pSecurityDescriptor);
    return true;
}

} // namespace

PrinterRecordScope::PrinterRecordScope() : kept_(nullptr)
{
    if (!t_kept) {
        kept_ = new (std::nothrow) Kept;
        if (kept_) {
            uint32_t call = ++g_lastCall;
            if (call == 0)
                call = ++g_lastCall;
            kept_->call = call;
        }
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
            if (entry.printer == printer && NamesRecord(entry.record, expectedName))
                return Rebase(entry.record, record);
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

PrinterRecordScope::Reader PrinterRecordScope::SetReaderForTesting(Reader reader)
{
    const Reader previous = g_reader;
    g_reader = reader ? reader : SpoolerRead;
    return previous;
}

void PrinterRecordScope::Forget()
{
    if (t_kept)
        t_kept->entries.clear();
}

uint32_t PrinterRecordScope::CurrentCall()
{
    const Kept* kept = t_kept;
    return kept ? kept->call : 0;
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
    GPlatformCalls::Count(GPlatformCalls::kKeyOpen);
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS || !key)
        return nullptr;
    kept->keys.push_back(Kept::Key{path, key, 0});
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

uint64_t PrinterRecordScope::KeyTag(void* key)
{
    if (Kept* kept = t_kept)
        for (const Kept::Key& shared : kept->keys)
            if (shared.key == key)
                return shared.tag;
    return 0;
}

void PrinterRecordScope::SetKeyTag(void* key, uint64_t tag)
{
    if (Kept* kept = t_kept)
        for (Kept::Key& shared : kept->keys)
            if (shared.key == key)
                shared.tag = tag;
}

void PrinterRecordScope::ClearKeyTag(const wchar_t* path)
{
    if (Kept* kept = t_kept)
        for (Kept::Key& shared : kept->keys)
            if (path && shared.path == path)
                shared.tag = 0;
}

bool PrinterRecordScope::FindStamp(const std::wstring& name, GSourceStamp& stamp)
{
    const Kept* kept = t_kept;
    return kept && FindNote(kept->stamps, name, stamp);
}

void PrinterRecordScope::KeepStamp(const std::wstring& name, const GSourceStamp& stamp)
{
    if (Kept* kept = t_kept)
        KeepNote(kept->stamps, name, stamp);
}

bool PrinterRecordScope::FindAnswer(const std::wstring& name, RWWString& text)
{
    const Kept* kept = t_kept;
    return kept && FindNote(kept->texts, name, text);
}

void PrinterRecordScope::KeepAnswer(const std::wstring& name, const RWWString& text)
{
    if (Kept* kept = t_kept)
        KeepNote(kept->texts, name, text);
}
