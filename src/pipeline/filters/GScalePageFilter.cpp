#include "pipeline/filters/GScalePageFilter.h"

#include "model/GCommand.h"
#include "model/GCommandClassIds.h"
#include "model/GFeatureIds.h"
#include "model/GState.h"

GScalePageFilter::GScalePageFilter() {}
GScalePageFilter::GScalePageFilter(const long& id) : GPersistent(id) {}
GScalePageFilter::GScalePageFilter(const GScalePageFilter& other) : GPersistent(other) {}
GScalePageFilter::~GScalePageFilter() {}

// A percentage of 0 or below would draw nothing or mirror the page: it does not act.
float GScalePageFilter::FactorOf(GObjectBase* state)
{
    const int32_t raw = SettingOr(state, FeatureId::kScalePercent, 100);
    const int16_t percent = int16_t(raw);
    if (percent <= 0)
        return 1.0f;
    return float(double(percent) * double(0.01f));
}

GCountedRef GScalePageFilter::ProcessCommand(const GCountedRef& command)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return command;
    switch (target->ClassId()) {
    case kDocumentStartClassId:
        filterTransform_ = GTransformAttribute();
        factor_ = FactorOf(target->GetState());
        active_ = factor_ != 1.0f;
        if (active_)
            Activate();
        else
            Deactivate();
        return command;
    case kPageStartClassId: {
        filterTransform_.SetScale(factor_, factor_);
        GState* state = OwnState(*target);
        const GTransformAttribute* own = dynamic_cast<const GTransformAttribute*>(state->FindByClassId(103));
        GTransformAttribute page = filterTransform_;
        if (own)
            page = PutComposed(state, GTransformAttribute(*own), filterTransform_);
        else
            state->Add(new GTransformAttribute(filterTransform_));
        return WithPageTransform(command, page);
    }
    default:
        return ComposeIntoCommand(command);
    }
}

std::pair<float, float> GScalePageFilter::GetScale(void* context, void*, void*, uint32_t* mode)
{
    if (mode && *mode == 3)
        return {0.0f, 0.0f};
    const float factor = FactorOf(static_cast<GObjectBase*>(context));
    return {factor, factor};
}
