// The factory's table of feature keys and the makers of the translator classes. The
// table is defined here, beside the classes it makes; the configuration reader only
// declares it.
#pragma once

#include "settings/dmc/GDMCConfig.h"

namespace FeatureKeys {

constexpr size_t kCount = 62;

// Which class serves "Stapling": none without the job settings (362), the stapling
// position's translator when they hold 1200, else the stapler's sub-feature.
enum class StaplingClass { kNone, kStapling, kStaplingPosition };
StaplingClass ChooseStaplingClass(GObjectBase* settings);

} // namespace FeatureKeys
