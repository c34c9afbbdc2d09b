// The late extension hook filter (GExtensionHookFilter).
#pragma once

#include "pipeline/filters/GExtensionHookFilter.h"

class GAAFilter2 : public GExtensionHookFilter<GAAFilter2, 1116, GExtensionHookLink::kLate> {
public:
    static constexpr const char* kClassName = "GAAFilter2";
    GAAFilter2* CreateNew() const override { return new GAAFilter2; }
    GAAFilter2* Copy() const override { return new GAAFilter2(*this); }

    using GExtensionHookFilter::GExtensionHookFilter;
};
