// Reaches the process-wide serial counter of model objects, so that tests can start
// numbering from a known value.
#pragma once

#include "model/GObjectBase.h"

class GSerialCounterProbe {
public:
    static uint32_t Peek() { return GObjectBase::PeekNextSerial(); }
    static void Set(uint32_t next) { GObjectBase::SetNextSerial(next); }
};
