// The printer's level-2 record (PRINTER_INFO_2) as one entry call sees it. Building the
// printer's identity and loading the printer's DEVMODE both read that record, and on
// Wine each read is a score of server requests. While a scope is open on the thread
// (the entry prologue opens one around each call), a record read through Read is kept
// and a second read for the same handle and printer name gets the kept bytes. Nothing
// outlives the call: the next call reads the spooler again. Writing the record
// (SetPrinter) within the call must be followed by Forget. A printer opened by name for
// the call (default access) is opened once: every part of the call that asks for such a
// handle gets the same one, closed when the scope ends; so is the registry key the
// printer's data is read from. The scope also keeps what the call found of the sources
// it keeps things from (a file's stamp, the spooler's answer about a driver's files), so
// that each is asked once a call.
#pragma once

#include "foundation/RWWString.h"
#include "printer/GSourceStamp.h"

#include <cstdint>
#include <string>
#include <vector>

class PrinterRecordScope {
public:
    // Opens a scope on this thread; a scope opened inside another one shares it.
    PrinterRecordScope();
    ~PrinterRecordScope();
    PrinterRecordScope(const PrinterRecordScope&) = delete;
    PrinterRecordScope& operator=(const PrinterRecordScope&) = delete;

    // The record of the printer, whole: the spooler may put its strings and DEVMODE
    // anywhere in the buffer it was given, so the record is the whole buffer, and every
    // pointer of it points inside it, every text ends inside it and the DEVMODE
    // (dmSize + dmDriverExtra) lies inside it. A kept record serves only a read for the
    // same handle whose expected printer name (non-empty) is the record's own. False when
    // the spooler gives no record or one that breaks those rules; record is then empty.
    static bool Read(void* printer, const wchar_t* expectedName, std::vector<uint8_t>& record);
    // Drops the records this thread's scope keeps.
    static void Forget();
    // The printer opened by name with default access for the rest of this thread's
    // scope, the same handle for every ask; the caller never closes it. Null without a
    // scope, or when the printer does not open (the caller then opens its own).
    static void* SharedHandle(const wchar_t* printerName);
    // The registry key below HKEY_LOCAL_MACHINE opened for reading for the rest of this
    // thread's scope, the same key for every ask; null without a scope or when it does
    // not open. IsSharedKey tells a caller not to close it.
    static void* SharedReadKey(const wchar_t* path);
    static bool IsSharedKey(void* key);
    // A number the reader of a shared key keeps with it for the rest of the scope (the
    // version of the values read through it): 0 until set, and for a key not shared.
    static uint64_t KeyTag(void* key);
    static void SetKeyTag(void* key, uint64_t tag);
    // Sets the tag of the shared key of the path back to 0, when the scope has one: the
    // next reader asks again.
    static void ClearKeyTag(const wchar_t* path);
    // What this thread's scope found of a source under a name its asker chooses (a file's
    // stamp, a text the spooler answered), for the rest of the scope. Find is false
    // without a scope or a note of the name; a scope keeps a bounded number of notes.
    static bool FindStamp(const std::wstring& name, GSourceStamp& stamp);
    static void KeepStamp(const std::wstring& name, const GSourceStamp& stamp);
    static bool FindAnswer(const std::wstring& name, RWWString& text);
    static void KeepAnswer(const std::wstring& name, const RWWString& text);
    // A number that names this thread's open scope, the same for every part of one entry
    // call and different for every call; 0 without a scope. What a call may keep about the
    // printer (its stored settings) is kept under this number.
    static uint32_t CurrentCall();

    // The bound of a record taken at all.
    static constexpr uint32_t kLargestRecord = 1u << 20;

    // The spooler's level-2 read, as GetPrinterW answers: true when the record was
    // written into the buffer; else false with the last error set and, for a buffer too
    // small, the size needed.
    using Reader = bool (*)(void* printer, uint8_t* buffer, uint32_t size, uint32_t* needed);
    // Puts a stand-in spooler in place of GetPrinterW (null: GetPrinterW again); the
    // reader it replaces comes back.
    static Reader SetReaderForTesting(Reader reader);

    // What a scope keeps (defined with the scope's code).
    struct Kept;

private:
    Kept* kept_;
};
