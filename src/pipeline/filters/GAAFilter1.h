// The early extension hook filter (GExtensionHookFilter).
#pragma once

#include "pipeline/filters/GExtensionHookFilter.h"

class GAAFilter1 : public GExtensionHookFilter<GAAFilter1, 1115, GExtensionHookLink::kEarly> {
public:
    static constexpr const char* kClassName = "GAAFilter1";
    GAAFilter1* CreateNew() const override { return new GAAFilter1; }
    GAAFilter1* Copy() const override { return new GAAFilter1(*this); }

    using GExtensionHookFilter::GExtensionHookFilter;
};
