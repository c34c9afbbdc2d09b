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

GLetterheadFilter::GLetterheadFilter() {}
GLetterheadFilter::GLetterheadFilter(const long& id) : GPersistent(id) {}
GLetterheadFilter::GLetterheadFilter(const GLetterheadFilter& other) : GPersistent(other) {}
GLetterheadFilter::~GLetterheadFilter() {}

bool GLetterheadFilter::IsSame(const GObjectBase* other) const
{
    return other && other->ClassId() == ClassId() && GPeripheral::IsSame(other);
}

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

GCountedRef GLetterheadFilter::ProcessCommand(const GCountedRef& command)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return command;
    const RWClassID classId = target->ClassId();
    if (classId == kDocumentStartClassId) {
        GState* state = target->DetachState();
        producer_ = static_cast<GDocumentStart*>(target)->GetProducer();
        Decide(state);
        target->AdoptState(state);
    } else if (classId == kPageStartClassId) {
        GState* state = target->DetachState();
        TurnOrientationHalfRound(state);
        target->AdoptState(state);
    }
    return command;
}
