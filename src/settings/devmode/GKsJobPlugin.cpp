#include "settings/devmode/GKsJobPlugin.h"

#include "printer/GOSFactory.h"

GKsJobPlugin::GKsJobPlugin()
    : job_(0), path_(kDefaultName), beginJob_(nullptr), beginJobEx_(nullptr), endPage_(nullptr), endJob_(nullptr)
{
}

GKsJobPlugin::GKsJobPlugin(const RWWString& path)
    : job_(0), path_(path), beginJob_(nullptr), beginJobEx_(nullptr), endPage_(nullptr), endJob_(nullptr)
{
}

GKsJobPlugin::GKsJobPlugin(const GKsJobPlugin& other) : GKsJobPlugin(other.path_) {}

GKsJobPlugin& GKsJobPlugin::operator=(const GKsJobPlugin& other)
{
    if (this != &other) {
        Unload();
        job_ = 0;
        path_ = other.path_;
    }
    return *this;
}

GKsJobPlugin::~GKsJobPlugin() { Unload(); }

uint32_t GKsJobPlugin::CurrentOSVersion()
{
    uint32_t kind = 0, version = 0, build = 0;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetOSVersion(kind, version, build);
    return version;
}

RWWString GKsJobPlugin::ResolvePath() const
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services || path_.IsNull())
        return RWWString();
    bool hasFolder = false;
    for (size_t i = 0; i < path_.Length(); ++i)
        hasFolder = hasFolder || path_[i] == L'\\' || path_[i] == L'/' || path_[i] == L':';
    if (hasFolder)
        return services->FileExists(path_) == 1 ? path_ : RWWString();

    RWWString folders[2];
    services->GetModuleDirectory(folders[0]);
    services->GetSystemFolder(folders[1]);
    for (const RWWString& folder : folders) {
        // No folder would make the name one at the root of the current drive.
        if (folder.IsNull() || folder.Length() == 0)
            continue;
        const RWWString candidate = folder + L"\\" + path_;
        if (services->FileExists(candidate) == 1)
            return candidate;
    }
    return RWWString();
}

int GKsJobPlugin::Load()
{
    Unload();
    const RWWString file = ResolvePath();
    if (file.IsNull())
        return 0;
    library_ = GDynamicLibrary(file);
    if (!library_.Load())
        return 0;
    beginJob_ = reinterpret_cast<KsBeginJobProc>(library_.GetExport("ksBeginJob"));
    beginJobEx_ = reinterpret_cast<KsBeginJobExProc>(library_.GetExport("ksBeginJobEx"));
    endPage_ = reinterpret_cast<KsEndPageProc>(library_.GetExport("ksEndPage"));
    endJob_ = reinterpret_cast<KsEndJobProc>(library_.GetExport("ksEndJob"));
    if ((beginJob_ || beginJobEx_) && endPage_ && endJob_)
        return 1;
    Unload();
    return 0;
}

int GKsJobPlugin::BeginJob(const uint32_t& osVersion, const uint32_t& copies, const uint32_t& option434,
                           const wchar_t* const& output, const wchar_t* const& document, const wchar_t* marker)
{
    job_ = 0;
    if (!Load())
        return 0;
    if (beginJobEx_ && marker)
        job_ = beginJobEx_(osVersion, copies, option434, output, document, marker);
    else if (beginJob_ && marker)
        job_ = beginJob_(copies, output, document, marker);
    if (job_)
        return 1;
    Unload();
    return 0;
}

int GKsJobPlugin::EndPage()
{
    if (!job_ || !endPage_)
        return 0;
    const KsPageRecord page = {sizeof(KsPageRecord), 0, {0, 0, 0}};
    endPage_(job_, &page);
    return 1;
}

int GKsJobPlugin::EndJob(uint32_t flag)
{
    int result = 0;
    if (job_ && endJob_) {
        endJob_(job_, flag == 1 ? 1 : 0);
        job_ = 0;
        result = 1;
    }
    Unload();
    return result;
}

int GKsJobPlugin::Unload()
{
    library_.Unload();
    beginJob_ = nullptr;
    beginJobEx_ = nullptr;
    endPage_ = nullptr;
    endJob_ = nullptr;
    return 1;
}

bool GKsJobPlugin::SamePath(const GKsJobPlugin& other) const
{
    if (path_.Length() != other.path_.Length())
        return false;
    for (size_t i = 0; i < path_.Length(); ++i)
        if (path_[i] != other.path_[i])
            return false;
    return true;
}
