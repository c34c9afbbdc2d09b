#include "entry/driverui/GKsJobPluginHolder.h"

#include "settings/devmode/GKsJobPlugin.h"

#include <new>

namespace {
const wchar_t kApplicationMarker[] = L"Application";
}

GKsJobPluginHolder::~GKsJobPluginHolder() { delete plugin_; }

int GKsJobPluginHolder::Begin(const RWWString& path, const JobDescription& job)
{
    delete plugin_;
    plugin_ = new (std::nothrow) GKsJobPlugin(path);
    if (!plugin_)
        return 0;
    const wchar_t* output = job.output.Data();
    const wchar_t* document = job.document.Data();
    if (plugin_->BeginJob(job.osVersion, job.copies, job.option434, output, document, kApplicationMarker))
        return 1;
    delete plugin_;
    plugin_ = nullptr;
    return 0;
}

int GKsJobPluginHolder::Page() { return plugin_ ? plugin_->EndPage() : 0; }

int GKsJobPluginHolder::Finish(uint32_t aborted)
{
    if (!plugin_)
        return 0;
    const int ended = plugin_->EndJob(aborted);
    delete plugin_;
    plugin_ = nullptr;
    return ended;
}
