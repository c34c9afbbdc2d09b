// The driver UI object's hold on the keystroke job plug-in: at most one binding, made
// afresh for each document's job and dropped when the job ends, is aborted, or cannot
// begin. Without the library every call does nothing and printing goes on.
#pragma once

#include "foundation/RWWString.h"

#include <cstdint>

class GKsJobPlugin;

class GKsJobPluginHolder {
public:
    // What a job's begin call is told: the system's version word, the copies of the
    // document (291 under 364), the job-notification option (434), where the job goes
    // and the document's name.
    struct JobDescription {
        uint32_t osVersion = 0;
        uint32_t copies = 0;
        uint32_t option434 = 0;
        RWWString output;
        RWWString document;
    };

    GKsJobPluginHolder() = default;
    ~GKsJobPluginHolder();
    GKsJobPluginHolder(const GKsJobPluginHolder&) = delete;
    GKsJobPluginHolder& operator=(const GKsJobPluginHolder&) = delete;

    // Drops any earlier binding, binds the library at the path and begins the job with
    // the marker "Application": 1 when the job began; otherwise the binding is dropped.
    int Begin(const RWWString& path, const JobDescription& job);
    // A page ended: 1 when the plug-in was told.
    int Page();
    // Ends the job normally (End) or as aborted (Abort) and drops the binding: 1 when a
    // job was ended.
    int End() { return Finish(0); }
    int Abort() { return Finish(1); }
    bool HasJob() const { return plugin_ != nullptr; }

private:
    int Finish(uint32_t aborted);

    GKsJobPlugin* plugin_ = nullptr;
};
