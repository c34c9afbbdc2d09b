#include "model/GAttribute.h"

GAttribute::GAttribute() : state_(1) {}
GAttribute::GAttribute(const long& id) : GStoredLevel(id), state_(1) {}
GAttribute::~GAttribute() {}

int32_t GAttribute::Assign(const GAttribute* other)
{
    if (!other || !Differs(other))
        return 0;
    SetId(other->GetId());
    SetSerial(other->GetSerial());
    state_ = other->state_;
    return state_;
}
