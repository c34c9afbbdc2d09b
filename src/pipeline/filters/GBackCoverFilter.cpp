#include "pipeline/filters/GBackCoverFilter.h"

#include "model/GCommandClassIds.h"
#include "model/GCommandComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GState.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "pipeline/SettingValues.h"
#include "pipeline/filters/GFrontCoverFilter.h"
#include "printer/GDriverObject.h"
#include "printer/GMedia.h"

namespace {

using namespace FeatureId;
using namespace SettingValues;


} // namespace

int16_t GBackCoverFilter::OnDocumentStart(GDocumentStart& command)
{
    producer_ = command.GetProducer();
    GConfiguration* configuration = producer_ ? producer_->GetPrinterConfiguration() : nullptr;
    manualDuplexPossible_ = ValueOr(configuration, kManualDuplexPrinter, 0) != 0 && configuration &&
                            configuration->FindById(kManualDuplexMarker) != nullptr;
    lastPageState_.Set(nullptr);
    jobMedia_.Set(nullptr);
    GState* state = command.GetState();
    if (!state) {
        Deactivate();
        return 0;
    }
    coverMode_ = ValueOr(state, kBackCoverMode, 0);
    if (coverMode_ == 2) {
        const GValueAttribute* tray = Value(state, kBackCoverTray);
        if (!tray)
            coverMode_ = 0;
        coverTray_ = tray ? tray->GetValue() : 0;
        const GStringAttribute* type = GDriverObject::Feature<GStringAttribute>(state, kBackCoverMediaType);
        coverMediaType_ = type ? type->GetString() : RWCString();
    }
    // A cover needs the job's media to take the cover's media type.
    const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
    if (coverMode_ == 0 || !media) {
        Deactivate();
        return 0;
    }
    jobMedia_.Set(new GMedia(*media));
    twoSided_ = ValueOr(state, kDuplexMode, 0);
    pageCount_ = pagesSeen_ = 0;
    lastMediaId_ = lastTray_ = 0;
    lastMediaType_ = RWCString();
    Activate();
    letterheadMode_ = int16_t(ValueOr(state, kLetterheadRule, 0));
    letterheadHandling_ = GFrontCoverFilter::LetterheadHandling(state);
    return 0;
}

// Counts sheet sides: a change of paper starts a new sheet.
void GBackCoverFilter::SeePage(GState* state)
{
    ++pageCount_;
    ++pagesSeen_;
    lastPageState_.Set(state);
    const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
    if (!media)
        media = static_cast<const GMedia*>(jobMedia_.Get());
    const uint16_t mediaId = media ? media->GetMediaId() : 0;
    const RWCString mediaType = media ? media->GetSecondString() : RWCString();
    const uint16_t tray = ValueOr(state, kPageTray, 0);
    if (pagesSeen_ == 1 && coverMode_ == 1) {
        coverTray_ = tray;
        coverMediaType_ = mediaType;
    }
    if (pagesSeen_ > 1 && (mediaId != lastMediaId_ || !(mediaType == lastMediaType_) || tray != lastTray_))
        pageCount_ |= 1;
    lastMediaId_ = mediaId;
    lastMediaType_ = mediaType;
    lastTray_ = tray;
}

void GBackCoverFilter::AddCoverPage(GCommand* composite, uint16_t twoSided, bool setTwoSided)
{
    GState* cover = GFrontCoverFilter::CoverState(static_cast<GState*>(lastPageState_.Get()),
                                                  static_cast<const GMedia*>(jobMedia_.Get()), coverMediaType_,
                                                  coverTray_, true);
    if (setTwoSided)
        SetValue(cover, kDuplexMode, twoSided);
    composite->Add(new GPageStart(cover, 0));
    composite->Add(new GPageEnd(0));
}

GCountedRef GBackCoverFilter::CoverPages(GCommand& documentEnd)
{
    GCommandComposite* composite = new GCommandComposite(0);
    GCountedRef held(composite);
    GState* last = static_cast<GState*>(lastPageState_.Get());
    if ((pageCount_ & 1) && twoSided_ != 0 && !manualDuplexPossible_) {
        GState* filler = last ? static_cast<GState*>(last->DeepCopy()) : new GState(0);
        composite->Add(new GPageStart(filler, 0));
        composite->Add(new GPageEnd(0));
    }
    if (letterheadHandling_) {
        GState* probe = GFrontCoverFilter::CoverState(last, static_cast<const GMedia*>(jobMedia_.Get()),
                                                      coverMediaType_, coverTray_, true);
        GCountedRef probeHeld(probe);
        if (GFrontCoverFilter::IsPrintedPaper(coverMediaType_) &&
            GFrontCoverFilter::DuplexTakesPaper(probe, producer_)) {
            AddCoverPage(composite, 2, true);
            AddCoverPage(composite, 2, true);
        } else {
            AddCoverPage(composite, 0, true);
        }
    } else {
        AddCoverPage(composite, 0, false);
    }
    composite->Add(&documentEnd);
    lastPageState_.Set(nullptr);
    return held;
}

// A document without pages gets no cover.
GCountedRef GBackCoverFilter::Work(GCommand& documentEnd, const GCountedRef& held)
{
    return pagesSeen_ == 0 ? held : CoverPages(documentEnd);
}

void GBackCoverFilter::See(GCommand& command)
{
    if (command.ClassId() == kPageStartClassId)
        SeePage(command.GetState());
    else if (command.ClassId() == kJobAbortClassId)
        lastPageState_.Set(nullptr);
}
