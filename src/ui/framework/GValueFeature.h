// A binding over one 16-bit setting: reads and writes its feature through the sheet
// context's settings view, so that a change inside an open dialog can be taken back. A
// binding of a list names the choices its feature can take (value and label); one of a
// number names the bounds the value stays within.
#pragma once

#include "foundation/RWWString.h"
#include "ui/framework/GFeature.h"

#include <vector>

struct FeatureChoice {
    uint16_t value;
    RWWString label;
};

class GValueFeature : public GFeature {
public:
    GValueFeature(GSheetContext* context, uint16_t featureId) : GFeature(context, featureId) { }

    // 1 with the value; 0 (value 0) when the feature is absent or there is no context.
    virtual int Read(uint16_t& value) const;
    // 1 when the feature exists and now holds the value.
    virtual int Write(uint16_t value);
    // The choices of the feature in the order a list shows them; none by default.
    virtual void GetChoices(std::vector<FeatureChoice>& choices) const { choices.clear(); }
    // 1 with the bounds of the value: those of a range setting; 0 when the feature has
    // none (any 16-bit value goes).
    virtual int GetBounds(int32_t& minimum, int32_t& maximum) const;
};
