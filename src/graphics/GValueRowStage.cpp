#include "graphics/GValueRowStage.h"

GValueRowStage::GValueRowStage(uint32_t value) : value_(value) {}
