#include "pipeline/filters/GLetterheadFilter.h"

#include "model/GCommandClassIds.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GState.h"
#include "model/GValueAttribute.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/SettingValues.h"
#include "printer/GDriverObject.h"
#include "printer/GMedia.h"

namespace {

using namespace FeatureId;
using namespace SettingValues;


} // namespace

void GLetterheadFilter::Decide(GState* state)
{
    acting_ = 0;
    GConfiguration* configuration = producer_ ? producer_->GetPrinterConfiguration() : nullptr;
    const GValueAttribute* capable = Value(configuration, kLetterheadDuplexCapable);
    if (!capable || capable->GetValue() == 0) {
        Deactivate();
        return;
    }
    const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
    const GValueAttribute* duplex = Value(state, kDuplexMode);
    const GValueAttribute* forbidden = Value(state, kLetterheadOverride);
    GValueAttribute* mark = Value(state, kReverseOrder);
    if (media && media->GetSecondString() == "Letterhead" && duplex && duplex->GetValue() != 0 &&
        (!forbidden || forbidden->GetValue() == 0) && mark && mark->GetValue() != 1) {
        mark->SetValue(1);
        acting_ = 1;
        Activate();
        return;
    }
    Deactivate();
}

int16_t GLetterheadFilter::OnDocumentStart(GDocumentStart& command)
{
    GState* state = command.DetachState();
    producer_ = command.GetProducer();
    Decide(state);
    command.AdoptState(state);
    return 0;
}

GCountedRef GLetterheadFilter::Work(GCommand& pageStart, const GCountedRef& held)
{
    GState* state = pageStart.DetachState();
    TurnOrientationHalfRound(state);
    pageStart.AdoptState(state);
    return held;
}
