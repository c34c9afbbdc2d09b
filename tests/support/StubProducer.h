// A command producer with the page-drawing module's operations answered plainly: the
// job may always go on, painting a path does nothing, no nested path closes its figure.
#pragma once

#include "pipeline/GCommandProducer.h"

struct StubProducer : GCommandProducer {
    uint16_t CheckContinue() override { return 0; }
    uint16_t PaintPath(uint32_t) override { return 0; }
    int ClosesFigure(uint32_t) override { return 0; }
};
