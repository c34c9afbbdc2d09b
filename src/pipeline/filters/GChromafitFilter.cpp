#include "pipeline/filters/GChromafitFilter.h"

#include "graphics/GGraphicBundle.h"
#include "model/GChromafitBase.h"
#include "model/GChromafitEnhancedAttribute.h"
#include "model/GChromafitEnhancedAttributeVer2.h"
#include "model/GColorMap.h"
#include "model/GCommandClassIds.h"
#include "model/GErrorCommand.h"
#include "model/GFeatureIds.h"
#include "model/GHalftone.h"
#include "model/GState.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"

namespace {

constexpr RWClassID kDocumentBreakClass = 718;
constexpr RWClassID kRasterClass = 604;
constexpr RWClassID kTextClasses[] = {801, 804};

// The vector drawing classes.
bool IsVector(RWClassID id) { return id == 603 || id == 607 || (id >= 651 && id <= 663) || id == 702; }

bool IsText(RWClassID id)
{
    for (RWClassID text : kTextClasses)
        if (id == text)
            return true;
    return false;
}

// The value of (object, kind) of the job's attribute; absent when the attribute has none.
int32_t Setting(const GChromafitBase* choices, int object, int kind)
{
    if (!choices)
        return GChromafitFilter::kAbsent;
    // The attribute writes the value only when it holds one: two reads from different
    // starting values tell a value from none.
    uint8_t a = 0, b = 1;
    if (!choices->GetSetting(object, kind, a) || !choices->GetSetting(object, kind, b) || a != b)
        return GChromafitFilter::kAbsent;
    return a;
}

} // namespace

GChromafitFilter::GChromafitFilter() {}
GChromafitFilter::GChromafitFilter(const long& id) : GPersistent(id) {}
GChromafitFilter::GChromafitFilter(const RWCString& name, GState* initialState, GConfiguration* configuration,
                                   const long& id, uint16_t mode)
    : GPersistent(name, initialState, configuration, id), mode_(mode)
{
}
GChromafitFilter::GChromafitFilter(const GChromafitFilter& other) : GPersistent(other), mode_(other.mode_) {}
GChromafitFilter::~GChromafitFilter() {}

bool GChromafitFilter::IsSame(const GObjectBase* other) const
{
    return other && other->ClassId() == ClassId() && GPeripheral::IsSame(other);
}

void GChromafitFilter::ReadSettings(GState* state)
{
    if (!producer_ || !state || read_)
        return;
    read_ = 1;
    const int32_t cached = producer_->GetCachedFeature339();
    if (cached != 0 && cached != 1)
        return;
    GObjectBase* found = state->FindById(FeatureId::kChromafitChoices);
    const GChromafitBase* choices =
        GChromafitBase::IsChromafit(found) ? static_cast<const GChromafitBase*>(found) : nullptr;
    if (mode_ == 1) {
        for (int object = 0; object < 3; ++object) {
            first_[object] = Setting(choices, object, 1);
            second_[object] = Setting(choices, object, 0);
        }
    } else if (mode_ == 3 || mode_ == 4) {
        for (int object = 0; object < 3; ++object) {
            enhanced_[2 * object] = Setting(choices, object, 0);
            enhanced_[2 * object + 1] = Setting(choices, object, 1);
        }
        enhanced_[6] = Setting(choices, 0, 2);
        if (mode_ == 3)
            mode3Value_ = Setting(choices, 0, 3);
        else
            for (int object = 0; object < 3; ++object)
                mode4Values_[object] = Setting(choices, object, 3);
    }
}

int16_t GChromafitFilter::ResetSettings()
{
    read_ = 0;
    return 0;
}

int16_t GChromafitFilter::OnDocumentStart(GDocumentStart& command)
{
    read_ = 0;
    producer_ = command.GetProducer();
    ReadSettings(command.GetState());
    if (mode_ == 0)
        Deactivate();
    return 0;
}

int16_t GChromafitFilter::OnDocumentEnd(GDocumentEnd&) { return ResetSettings(); }
int16_t GChromafitFilter::OnDocumentEvent(GCommand&) { return ResetSettings(); }
int16_t GChromafitFilter::OnJobAbort(GJobAbort&) { return ResetSettings(); }

void GChromafitFilter::AddObjectOptions(GCommand& command, int object)
{
    GState* state = command.DetachState();
    // A drawing without a state gets a graphic state of its own.
    if (!state)
        state = new GGraphicBundle(0);
    state->Add(new GHalftone(uint32_t(first_[object]), 0));
    state->Add(new GColorMap(uint32_t(second_[object]), 0));
    command.AdoptState(state);
}

GCountedRef GChromafitFilter::ProcessCommand(const GCountedRef& command)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return command;
    const RWClassID classId = target->ClassId();
    if (classId == kDocumentStartClassId || classId == kDocumentEndClassId) {
        const int16_t status = target->Execute(*this);
        if (status != 0)
            return GCountedRef(new GErrorCommand(uint16_t(status), target, 0));
        return command;
    }
    if (classId == kDocumentBreakClass || classId == kJobAbortClassId)
        ResetSettings();
    if (mode_ == 1) {
        if (IsVector(classId))
            AddObjectOptions(*target, 1);
        else if (classId == kRasterClass)
            AddObjectOptions(*target, 2);
        else if (IsText(classId))
            AddObjectOptions(*target, 0);
    }
    if (classId == kPageStartClassId && (mode_ == 3 || mode_ == 4)) {
        GState* state = target->DetachState();
        if (!state)
            state = new GState(256);
        const auto b = [](int32_t value) { return uint8_t(value); };
        const int32_t* e = enhanced_;
        if (mode_ == 3)
            state->Add(new GChromafitEnhancedAttribute(FeatureId::kChromafitChoices, b(e[0]), b(e[1]), b(e[2]), b(e[3]),
                                                       b(e[4]), b(e[5]), b(e[6]), b(mode3Value_)));
        else
            state->Add(new GChromafitEnhancedAttributeVer2(FeatureId::kChromafitChoices, b(e[0]), b(e[1]),
                                                           b(mode4Values_[0]), b(e[2]), b(e[3]), b(mode4Values_[1]),
                                                           b(e[4]), b(e[5]), b(mode4Values_[2]), b(e[6])));
        target->AdoptState(state);
    }
    return command;
}
