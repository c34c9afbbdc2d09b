// A binding over a 16-bit setting that the device bounds by a range: what it writes is
// kept within the range's minimum and maximum. The range is the printer configuration's
// (what the device accepts), else the setting's own range; without either the value goes
// through as it is.
#pragma once

#include "ui/framework/GValueFeature.h"

class GRangeFeature : public GValueFeature {
public:
    GRangeFeature(GSheetContext* context, uint16_t featureId, uint16_t rangeId)
        : GValueFeature(context, featureId), rangeId_(rangeId)
    {
    }

    uint16_t GetRangeId() const { return rangeId_; }
    // 1 with the device's bounds, else those of the setting's own range; 0 without either.
    int GetBounds(int32_t& minimum, int32_t& maximum) const override;
    // The value within the bounds (unchanged without a range).
    uint16_t Clamp(uint16_t value) const;
    // Writes the value within the bounds.
    int Write(uint16_t value) override;

private:
    uint16_t rangeId_;
};
