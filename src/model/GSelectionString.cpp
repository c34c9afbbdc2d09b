#include "model/GSelectionString.h"

GSelectionString::GSelectionString() : index_(0) {}

GSelectionString::GSelectionString(const char* text, int16_t index, const long& id)
    : GPersistent(id), index_(index), text_(text ? text : "")
{
}

GSelectionString::~GSelectionString() {}

bool GSelectionString::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GSelectionString* selection = GSameClass<GSelectionString>(this, other);
    return selection && GObjectBase::IsSame(selection) && selection->index_ == index_ && selection->text_ == text_;
}
