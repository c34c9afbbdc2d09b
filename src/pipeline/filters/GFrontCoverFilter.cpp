#include "pipeline/filters/GFrontCoverFilter.h"

#include "model/GCommandClassIds.h"
#include "model/GCommandComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GState.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "pipeline/SettingValues.h"
#include "pipeline/filters/GManualDuplexFilter.h"
#include "printer/GDriverObject.h"
#include "printer/GMedia.h"

#include <memory>

namespace {

using namespace FeatureId;
using namespace SettingValues;

constexpr uint16_t kFirstUserForm = 16384;

} // namespace

int GFrontCoverFilter::LetterheadHandling(GState* state)
{
    GObjectBase* layout = state ? state->FindById(kPageLayout) : nullptr;
    const GValueAttribute* perSheet = Value(layout, kPagesPerSheet);
    return int16_t(ValueOr(state, kLetterheadRule, 0)) == 1 && perSheet && perSheet->GetValue() == 1 &&
           ValueOr(state, kDuplexMode, 0) == 0 && ValueOr(state, kFaceUpOutput, 0) == 0;
}

int GFrontCoverFilter::DuplexTakesPaper(GState* state, GDriverObject* driver)
{
    const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
    if (!media || !driver)
        return 0;
    const uint16_t mediaId = media->GetMediaId();
    if (mediaId >= kFirstUserForm)
        return driver->FindMediaForPaper(mediaId, state) != nullptr;
    GConfiguration* configuration = driver->GetPrinterConfiguration();
    GObjectBase* list = configuration ? configuration->FindById(kDuplexMediaIds) : nullptr;
    std::unique_ptr<GObjectIterator> it(list ? list->CreateIterator() : nullptr);
    while (it && it->Next()) {
        const GValueAttribute* id = dynamic_cast<const GValueAttribute*>(it->Current());
        if (id && id->GetValue() == mediaId)
            return 1;
    }
    return 0;
}

int GFrontCoverFilter::IsPrintedPaper(const RWCString& mediaType)
{
    return mediaType == "Preprinted" || mediaType == "Letterhead";
}

GState* GFrontCoverFilter::CoverState(const GState* model, const GMedia* jobMedia, const RWCString& mediaType,
                                      uint16_t tray, bool addTray)
{
    GState* state = model ? dynamic_cast<GState*>(model->DeepCopy()) : nullptr;
    if (!state)
        state = new GState(0);
    GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
    if (!media && jobMedia) {
        delete state->RemoveById(kDocumentMedia);
        media = new GMedia(*jobMedia);
        media->SetId(kDocumentMedia);
        state->Add(media);
    }
    if (media)
        media->SetSecondString(mediaType);
    if (addTray) {
        delete state->RemoveById(kPageTray);
        state->Add(new GValueAttribute(tray, kPageTray));
    } else {
        SetValue(state, kPageTray, tray);
    }
    return state;
}

int16_t GFrontCoverFilter::OnDocumentStart(GDocumentStart& command)
{
    GState* state = command.GetState();
    jobMedia_.Set(nullptr);
    if (!state) {
        Deactivate();
        return 0;
    }
    producer_ = command.GetProducer();
    coverOn_ = ValueOr(state, kFrontCover, 0);
    const GValueAttribute* tray = Value(state, kFrontCoverTray);
    if (!tray)
        coverOn_ = 0;
    coverTray_ = tray ? tray->GetValue() : 0;
    if (const GStringAttribute* type = GDriverObject::Feature<GStringAttribute>(state, kFrontCoverMediaType))
        coverMediaType_ = type->GetString();
    // A cover needs the job's media to take the cover's media type.
    const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
    if (!coverOn_ || !media) {
        Deactivate();
        return 0;
    }
    jobMedia_.Set(new GMedia(*media));
    pageCount_ = 0;
    twoSided_ = ValueOr(state, kDuplexMode, 0);
    const GValueAttribute* booklet = Value(state, kBookletJob);
    if (booklet && int16_t(booklet->GetValue()) > 0 && producer_ && producer_->GetFlagE() == 0 &&
        GManualDuplexFilter::WouldTakeOver(state, producer_)) {
        Deactivate();
        return 0;
    }
    Activate();
    letterheadMode_ = int16_t(ValueOr(state, kLetterheadRule, 0));
    letterheadHandling_ = LetterheadHandling(state);
    return 0;
}

GCountedRef GFrontCoverFilter::CoverPages(GCommand& pageStart)
{
    const GMedia* jobMedia = static_cast<const GMedia*>(jobMedia_.Get());
    GState* page = pageStart.GetState();
    GCommandComposite* composite = new GCommandComposite(0);
    GCountedRef held(composite);
    GState* cover = CoverState(page, jobMedia, coverMediaType_, coverTray_, false);
    if (letterheadHandling_) {
        if (DuplexTakesPaper(cover, producer_) && IsPrintedPaper(coverMediaType_)) {
            SetValue(cover, kDuplexMode, 2);
            GState* back = static_cast<GState*>(cover->DeepCopy());
            composite->Add(new GPageStart(cover, 0));
            composite->Add(new GPageEnd(0));
            composite->Add(new GPageStart(back, 0));
            composite->Add(new GPageEnd(0));
        } else {
            SetValue(cover, kDuplexMode, 0);
            composite->Add(new GPageStart(cover, 0));
            composite->Add(new GPageEnd(0));
        }
    } else {
        composite->Add(new GPageStart(cover, 0));
        composite->Add(new GPageEnd(0));
        // On both sides the document begins on a sheet of its own.
        if (twoSided_ != 0) {
            composite->Add(new GPageStart(CoverState(page, jobMedia, coverMediaType_, coverTray_, false), 0));
            composite->Add(new GPageEnd(0));
        }
    }
    composite->Add(&pageStart);
    return held;
}

// Only the first page gets a cover: any page start after it ends the filter's work.
GCountedRef GFrontCoverFilter::Work(GCommand& pageStart, const GCountedRef& held)
{
    ++pageCount_;
    if (pageCount_ > 1 || !coverOn_) {
        Deactivate();
        return held;
    }
    return CoverPages(pageStart);
}

void GFrontCoverFilter::See(GCommand& command)
{
    if (command.ClassId() == kDocumentEndClassId)
        Deactivate();
}
