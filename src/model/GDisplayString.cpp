#include "model/GDisplayString.h"

GDisplayString::GDisplayString() : stringId_(0) {}

GDisplayString::GDisplayString(uint16_t stringId, const char* text, const char* altText)
    : stringId_(stringId), text_(text), altText_(altText)
{
}

GDisplayString::~GDisplayString() {}

bool GDisplayString::IsSame(const GObjectBase* other) const
{
    const GDisplayString* display = GSameClass<GDisplayString>(this, other);
    return display && display->GetId() == GetId() && display->stringId_ == stringId_ && display->text_ == text_ &&
           display->altText_ == altText_;
}
