#include "graphics/GRasterOperation.h"

#include "model/GAttributeVisitor.h"

GRasterOperation::GRasterOperation() : code_(0), value_(2) {}
GRasterOperation::GRasterOperation(uint16_t code, uint32_t value, const long& id)
    : GPersistent(id), code_(code), value_(value)
{
}
GRasterOperation::~GRasterOperation() {}

int16_t GRasterOperation::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyRasterOperation(*this); }
