// The binding to the optional keystroke job plug-in library: loaded only for the length
// of one print job, told that the job began, that a page ended and that the job ended or
// was aborted, then unloaded. Without the library printing goes on without it.
//
// A bare library name is looked for in the module's folder, then in the system folder,
// never in the current folder or along the search path: a library planted beside a
// document must not load into every printing application. A path with a folder is
// taken as given.
#pragma once

#include "foundation/RWWString.h"
#include "model/GDynamicLibrary.h"
#include "settings/devmode/KsJobPluginAbi.h"

#include <cstdint>

class GKsJobPlugin {
public:
    static constexpr const wchar_t* kDefaultName = L"qzplom32.dll";

    GKsJobPlugin();
    explicit GKsJobPlugin(const RWWString& path);
    // The copy takes the path only and is not loaded.
    GKsJobPlugin(const GKsJobPlugin& other);
    // Unloads this object and takes the other's path.
    GKsJobPlugin& operator=(const GKsJobPlugin& other);
    ~GKsJobPlugin();

    // Loads the library (unloading it first when loaded): 1 when it has a begin call,
    // ksEndPage and ksEndJob; else 0 and nothing stays loaded.
    int Load();
    // Loads the library and opens the job: ksBeginJobEx when the library has it, else
    // ksBeginJob, each only with a marker. 0 (and unloaded) without a job handle.
    int BeginJob(const uint32_t& osVersion, const uint32_t& copies, const uint32_t& option434,
                 const wchar_t* const& output, const wchar_t* const& document, const wchar_t* marker);
    // Passes a page record to the open job: 1 when passed.
    int EndPage();
    // Ends the open job (aborted only when the flag is 1) and unloads: 1 when a job
    // was ended.
    int EndJob(uint32_t flag);
    int Unload();
    // The same path, character by character.
    bool SamePath(const GKsJobPlugin& other) const;

    const RWWString& GetPath() const { return path_; }
    bool IsLoaded() const { return library_.IsLoaded() != 0; }
    uint32_t GetJob() const { return job_; }

    // The middle word of the system's version record, as ksBeginJobEx takes it.
    static uint32_t CurrentOSVersion();

private:
    // The file to load: the path itself when it names a folder, else the first of the
    // module's folder and the system folder that holds it; empty when none does.
    RWWString ResolvePath() const;

    GDynamicLibrary library_;
    uint32_t job_;
    RWWString path_;
    KsBeginJobProc beginJob_;
    KsBeginJobExProc beginJobEx_;
    KsEndPageProc endPage_;
    KsEndJobProc endJob_;
};
