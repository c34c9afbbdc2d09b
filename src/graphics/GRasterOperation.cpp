#include "graphics/GRasterOperation.h"

#include "model/GAttributeVisitor.h"

GRasterOperation::GRasterOperation() {}
GRasterOperation::GRasterOperation(const long& id) : GStoredLevel(id) {}
GRasterOperation::~GRasterOperation() {}

int16_t GRasterOperation::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyRasterOperation(*this); }
