#include "model/GChromafitOption.h"

GChromafitOption::GChromafitOption(uint32_t option, const long& id) : GStoredLevel(id), option_(int32_t(option)) {}
GChromafitOption::~GChromafitOption() {}

uint16_t GChromafitOption::GetValue() const { return uint16_t(option_); }

bool GChromafitOption::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GChromafitOption* option = GSameClass<GChromafitOption>(this, other);
    return option && option->option_ == option_;
}
