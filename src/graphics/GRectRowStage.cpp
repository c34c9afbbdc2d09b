#include "graphics/GRectRowStage.h"

GRectRowStage::GRectRowStage(const GRowBounds& rectangle) : rect_(rectangle) {}

void GRectRowStage::GetBounds(GRowBounds& bounds) { bounds = rect_; }
