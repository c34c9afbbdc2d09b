// Scales every page by the job's "% of Normal Size" setting.
#pragma once

#include "pipeline/filters/GPageTransformFilter.h"

class GScalePageFilter : public GPersistent<GScalePageFilter, GPageTransformFilter, 1104> {
public:
    static constexpr const char* kClassName = "GScalePageFilter";
    GScalePageFilter* CreateNew() const override { return new GScalePageFilter; }
    GScalePageFilter* Copy() const override { return new GScalePageFilter(*this); }

    GScalePageFilter();
    explicit GScalePageFilter(const long& id);
    GScalePageFilter(const GScalePageFilter& other);
    ~GScalePageFilter() override;

    GCountedRef ProcessCommand(const GCountedRef& command) override;
    std::pair<float, float> GetScale(void* context, void* device, void* page, uint32_t* mode) override;
    uint32_t QueryFlags() override { return active_ ? 10 : 0; }

    // The factor of a percentage; 1.0 for none and for one that is not above 0.
    static float FactorOf(GObjectBase* state);
    float GetFactor() const { return factor_; }

    auto StoredForm() { return GFields(); }

private:
    float factor_ = 1.0f;
    uint32_t active_ = 0;
};
