// The model side of a group of dialog items: reads and writes settings by feature id
// through the sheet context.
#pragma once

#include <cstdint>

class GSheetContext;

class GFeature {
public:
    explicit GFeature(GSheetContext* context, uint16_t featureId = 0) : context_(context), featureId_(featureId) {}
    virtual ~GFeature() = default;

    GSheetContext* GetContext() const { return context_; }
    uint16_t GetFeatureId() const { return featureId_; }

protected:
    GSheetContext* context_;
    uint16_t featureId_;
};
