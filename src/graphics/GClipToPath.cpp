#include "graphics/GClipToPath.h"

#include "model/GAttributeVisitor.h"

GClipToPath::GClipToPath() {}
GClipToPath::GClipToPath(const long& id) : GStoredLevel(id) {}
GClipToPath::~GClipToPath() {}

int16_t GClipToPath::ApplyTo(GAttributeVisitor& visitor) { return visitor.ApplyClipToPath(*this); }
