// The spooler's printer events for the driver UI object: connections made and removed,
// the cache refreshed, and the initialize event that gives a new printer its first
// stored settings, its identity and its update stamps; with the driver files a printer
// connection caches from its server and the feature string kept with the printer.
#pragma once

#include "entry/module/GDriverUIOperations.h"
#include "foundation/RWWString.h"

#include <cstddef>
#include <vector>

class GDriverUI;

class GDriverUIPrinterEvents {
public:
    explicit GDriverUIPrinterEvents(GDriverUI& ui) : ui_(ui) {}
    virtual ~GDriverUIPrinterEvents() = default;
    GDriverUIPrinterEvents(const GDriverUIPrinterEvents&) = delete;
    GDriverUIPrinterEvents& operator=(const GDriverUIPrinterEvents&) = delete;

    BOOL PrinterEvent(LPWSTR printerName, INT event, DWORD flags);
    // One handler per event, each taking the printer name and the flags and giving the
    // event's result.
    int OnAddConnection(const wchar_t* printerName, DWORD flags);
    int OnDeleteConnection(const wchar_t* printerName, DWORD flags);
    int OnPrinterInitialize(const wchar_t* printerName, DWORD flags);
    int OnPrinterDelete(const wchar_t* printerName, DWORD flags);
    int OnCacheRefresh(const wchar_t* printerName, DWORD flags);
    int OnCacheDelete(const wchar_t* printerName, DWORD flags);
    int OnOtherPrinterEvent(const wchar_t* printerName, DWORD flags);
    // The update stamps' date text, "MM/ DD/ YYYY"; the text of the services' local date,
    // empty when they give none.
    static RWWString FormatUpdateDate(int year, int month, int day);
    static RWWString UpdateDateText();
    // The pause between closing and reopening the printer at initialization.
    static constexpr DWORD kInitializePause = 3000;
    static void SetInitializePauseForTesting(DWORD milliseconds);
    static DWORD InitializePause();

    // Writes the configuration's text (445) with the printer as "FeatureString" and, when
    // font cards are installed (317 non-zero), "FontCards" = 1: 1 when the text was written.
    int StoreFeatureString();

    // Copies the driver object's cached files from the print server's driver folders
    // ("\print$\w32x86\2\", else "\3\") over the local copies: the count copied. A
    // printer without a server part copies nothing; a cached name that is a path
    // (with "\", "/", ":" or "..") is skipped.
    int CopyFilesFromServer();
    // Deletes the driver object's cached files: the count deleted.
    int DeleteCachedFiles();
    // The cached file of slot 0 to 9, a full local path; empty when the slot is unused.
    virtual RWWString CachedFilePath(int slot);
    // The cached files of a printer connection: the driver's files as the spooler names
    // them (driver, data, configuration, help, then the dependent files), each a full path
    // of a plain file under the driver folder, without repeats, at most 10.
    static std::vector<RWWString> CachedFileList(const std::vector<const wchar_t*>& paths, const wchar_t* folder);
    static constexpr size_t kCachedFileSlots = 10;
    // 1 when the name is a plain file name that may be joined to a folder.
    static bool IsPlainFileName(const wchar_t* name);

private:
    GDriverUI& ui_;
};
