#include "model/GEdgeControl.h"

GEdgeControl::GEdgeControl() {}
GEdgeControl::GEdgeControl(uint32_t option, const long& id) : GChromafitOptionOf(option, id) {}
GEdgeControl::~GEdgeControl() {}
