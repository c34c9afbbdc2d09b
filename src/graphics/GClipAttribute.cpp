#include "graphics/GClipAttribute.h"

GClipAttribute::GClipAttribute() {}
GClipAttribute::GClipAttribute(const long& id) : GStoredLevel(id) {}
GClipAttribute::~GClipAttribute() {}
