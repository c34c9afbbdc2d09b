#include "model/GSelectionString.h"

GSelectionString::GSelectionString() : index_(0) {}

GSelectionString::GSelectionString(const char* text, int16_t index, const long& id)
    : GPersistent(id), index_(index), text_(text ? text : "")
{
}

GSelectionString::~GSelectionString() {}
