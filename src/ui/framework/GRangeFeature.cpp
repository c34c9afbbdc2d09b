#include "ui/framework/GRangeFeature.h"

#include "entry/sheet/GUIData.h"
#include "model/GConfiguration.h"
#include "model/GRangeAttribute.h"
#include "printer/GDriverObject.h"
#include "ui/framework/GSheetContext.h"

bool GRangeFeature::GetBounds(int32_t& minimum, int32_t& maximum) const
{
    if (!context_ || !rangeId_)
        return false;
    const GUIData* data = context_->GetGUIData();
    GObjectBase* configuration = data && data->driverUI ? data->driverUI->GetPrinterConfiguration() : nullptr;
    GRangeAttribute* range = GDriverObject::Feature<GRangeAttribute>(configuration, rangeId_);
    if (!range)
        range = GDriverObject::Feature<GRangeAttribute>(context_->GetSettings().GetTree(), rangeId_);
    if (!range)
        return false;
    minimum = range->GetMinimum();
    maximum = range->GetMaximum();
    return true;
}

uint16_t GRangeFeature::Clamp(uint16_t value) const
{
    int32_t minimum = 0, maximum = 0;
    if (!GetBounds(minimum, maximum))
        return value;
    // A range below zero still leaves no negative value to a 16-bit setting.
    minimum = minimum < 0 ? 0 : minimum;
    maximum = maximum < minimum ? minimum : maximum;
    const int32_t v = value;
    return uint16_t(v < minimum ? minimum : v > maximum ? maximum : v);
}

int GRangeFeature::Write(uint16_t value) { return GValueFeature::Write(Clamp(value)); }
