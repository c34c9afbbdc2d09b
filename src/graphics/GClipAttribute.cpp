#include "graphics/GClipAttribute.h"

GClipAttribute::GClipAttribute() : mode_(kUnspecified), operation_(kUnspecified) {}
GClipAttribute::GClipAttribute(const long& id) : GStoredLevel(id), mode_(kUnspecified), operation_(kUnspecified) {}
GClipAttribute::GClipAttribute(uint32_t operation, uint32_t mode, const long& id)
    : GStoredLevel(id), mode_(mode), operation_(operation)
{
}
GClipAttribute::~GClipAttribute() {}
