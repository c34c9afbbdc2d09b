#include "ui/framework/GRangeFeature.h"

#include "entry/sheet/GUIData.h"
#include "model/GConfiguration.h"
#include "model/GRangeAttribute.h"
#include "printer/GDriverObject.h"
#include "ui/framework/GSheetContext.h"

int GRangeFeature::GetBounds(int32_t& minimum, int32_t& maximum) const
{
    const GUIData* data = context_ ? context_->GetGUIData() : nullptr;
    GObjectBase* configuration = data && data->driverUI ? data->driverUI->GetPrinterConfiguration() : nullptr;
    GRangeAttribute* range = rangeId_ ? GDriverObject::Feature<GRangeAttribute>(configuration, rangeId_) : nullptr;
    if (!range)
        return GValueFeature::GetBounds(minimum, maximum);
    minimum = range->GetMinimum();
    maximum = range->GetMaximum();
    return 1;
}

uint16_t GRangeFeature::Clamp(uint16_t value) const
{
    int32_t minimum = 0, maximum = 0;
    if (!GetBounds(minimum, maximum))
        return value;
    // A range that reaches below zero holds signed values.
    maximum = maximum < minimum ? minimum : maximum;
    const int32_t v = minimum < 0 ? int32_t(int16_t(value)) : int32_t(value);
    return uint16_t(v < minimum ? minimum : v > maximum ? maximum : v);
}

int GRangeFeature::Write(uint16_t value) { return GValueFeature::Write(Clamp(value)); }
