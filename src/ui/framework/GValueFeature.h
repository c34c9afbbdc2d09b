// A binding over one 16-bit setting: reads and writes its feature through the sheet
// context's settings view, so that a change inside an open dialog can be taken back.
#pragma once

#include "ui/framework/GFeature.h"

class GValueFeature : public GFeature {
public:
    GValueFeature(GSheetContext* context, uint16_t featureId) : GFeature(context, featureId) { }

    // 1 with the value; 0 (value 0) when the feature is absent or there is no context.
    int Read(uint16_t& value) const;
    // 1 when the feature exists and now holds the value.
    virtual int Write(uint16_t value);
};
