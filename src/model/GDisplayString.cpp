#include "model/GDisplayString.h"

GDisplayString::GDisplayString() : stringId_(0) {}

GDisplayString::GDisplayString(uint16_t stringId, const char* text, const char* altText)
    : stringId_(stringId), text_(text), altText_(altText)
{
}

GDisplayString::~GDisplayString() {}
