#include "model/GResourceMapping.h"

GResourceMapping::GResourceMapping() : resource_(kNoResource), firstCode_(0), secondCode_(0) {}

GResourceMapping::GResourceMapping(uint32_t resource, uint16_t firstCode, int16_t secondCode, const long& id)
    : GPersistent(id), resource_(resource), firstCode_(firstCode), secondCode_(secondCode)
{
}

GResourceMapping::~GResourceMapping() {}
