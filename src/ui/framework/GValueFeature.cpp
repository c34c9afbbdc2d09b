#include "ui/framework/GValueFeature.h"

#include "ui/framework/GSheetContext.h"

int GValueFeature::Read(uint16_t& value) const
{
    value = 0;
    return context_ && featureId_ ? context_->GetSettings().GetValue(featureId_, value) : 0;
}

int GValueFeature::Write(uint16_t value)
{
    return context_ && featureId_ ? context_->GetSettings().SetValue(featureId_, value) : 0;
}

int GValueFeature::GetBounds(int32_t& minimum, int32_t& maximum) const
{
    return context_ && featureId_ ? context_->GetSettings().GetBounds(featureId_, minimum, maximum) : 0;
}
