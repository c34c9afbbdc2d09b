// The document steps of the driver UI object around a stored job: the job name and the
// job-storage notice at STARTDOCPOST, the per-user values that rule the notice, and what
// the keystroke job plug-in is told when a document begins.
#include "entry/driverui/GDriverUI.h"

#include "model/GFeatureIds.h"
#include "model/GRangeAttribute.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GOSFactory.h"
#include "settings/devmode/GKsJobPlugin.h"

#include <algorithm>
#include <atomic>

namespace {

using namespace FeatureId;

const wchar_t kLocalJobStorage[] = L"LocalJobStorage";
const wchar_t kDontShowJobName[] = L"DontShowJobName";
const wchar_t kNumberedSuffix[] = L"(01-99)";

std::atomic<GDriverUI::JobNoticeShower> g_shower{nullptr};

RWWString WideText(GObjectBase* holder, long id)
{
    GStringAttribute* text = GDriverObject::Feature<GStringAttribute>(holder, id);
    return text ? RWWString(text->GetString().Data(), RWWString::multiByte) : RWWString(L"");
}

} // namespace

GDriverUI::JobNoticeShower GDriverUI::SetJobNoticeShower(JobNoticeShower shower) { return g_shower.exchange(shower); }

GDriverUI::JobNoticeShower GDriverUI::GetJobNoticeShower() { return g_shower.load(); }

bool GDriverUI::LocalJobStorageExists()
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return false;
    RWWString key;
    GetJobStorageKey(key);
    // Two reads with different defaults agree only when the value is there.
    return services->GetUserDword(key, kLocalJobStorage, 0) == services->GetUserDword(key, kLocalJobStorage, 1);
}

bool GDriverUI::JobNoticeDismissed()
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return false;
    RWWString key;
    GetJobStorageKey(key);
    return services->GetUserDword(key, kDontShowJobName, 0) == 1;
}

void GDriverUI::PrepareJobNotice()
{
    GObjectBase* settings = GetSettings();
    notice_.userName = WideText(settings ? settings->FindById(kJobSettings) : nullptr, kJobUserNameText);
    if (notice_.userName.Length() == 0)
        ReadUserName(notice_.userName);
    notice_.jobName = jobName_;
    notice_.printerName = GetPrinterName();
    ReadPrinterLocation(notice_.location);
    GetResourceLibraryPath(notice_.resourceLibrary);
    // The thread writes the user's answer under this key: read now, while the printer
    // handle belongs to this thread.
    GetJobStorageKey(noticeKey_);
}

void GDriverUI::ShowJobNotice()
{
    const JobNoticeShower shower = GetJobNoticeShower();
    bool dontShowAgain = false;
    if (!shower || !shower(notice_, dontShowAgain) || !dontShowAgain)
        return;
    if (GOSFactory* services = GOSFactory::Instance())
        services->SetUserDword(noticeKey_, kDontShowJobName, 1);
}

int GDriverUI::StartDocPost(HDC dc)
{
    PrepareWatermark();
    if (!LocalJobStorageExists()) {
        SetSettings(CreateSettings());
        GObjectBase* settings = GetSettings();
        GObjectBase* job = settings ? settings->FindById(kJobSettings) : nullptr;
        int32_t stored = 0;
        int32_t fromRenderer = 0;
        // A stored job: its name is the rendering module's or the settings' own text, and
        // the user is told under which name and where it is kept.
        if (job && GDriverObject::NumberOf(job, kJobNameChoice, stored) && stored && GDriverObject::NumberOf(job, kJobNameFromRenderer, fromRenderer)) {
            RWWString name(L"");
            if (fromRenderer == 0)
                QueryRenderJobName(dc, name);
            else
                name = WideText(job, kJobNameText);
            int32_t numbered = 0;
            if (GDriverObject::NumberOf(job, kJobNameNumbered, numbered) && numbered == 1)
                name = name + kNumberedSuffix;
            jobName_ = name;
            if (!JobNoticeDismissed()) {
                // An earlier notice still reads the record: it ends before the record changes.
                JoinJobNotice();
                PrepareJobNotice();
                StartJobNotice();
            }
        }
    }
    pageCount_ = 0;
    watermarkPage_ = 0;
    int32_t expected = 0;
    GObjectBase* settings = GetSettings();
    GDriverObject::NumberOf(settings ? settings->FindById(kPageCountGroup) : nullptr, kExpectedPageCount, expected);
    SetExpectedPages(uint32_t(std::max(expected, int32_t(0))));
    return 0;
}

GKsJobPluginHolder::JobDescription GDriverUI::KsJobDescription(GObjectBase* settings, GObjectBase* configuration,
                                                               const DOCINFOW* document, const RWWString& port)
{
    GKsJobPluginHolder::JobDescription job;
    job.osVersion = GKsJobPlugin::CurrentOSVersion();
    int32_t value = 0;
    if (GDriverObject::NumberOf(settings ? settings->FindById(kDocumentSettings) : nullptr, kCopies, value))
        job.copies = uint32_t(value);
    value = 0;
    if (GDriverObject::NumberOf(configuration, kJobNotification, value) || GDriverObject::NumberOf(settings, kJobNotification, value))
        job.option434 = uint32_t(value);
    job.output = document && document->lpszOutput ? RWWString(document->lpszOutput) : port;
    job.document = RWWString(document && document->lpszDocName ? document->lpszDocName : L"");
    return job;
}
