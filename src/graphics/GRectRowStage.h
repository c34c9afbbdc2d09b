// The base of the stages that carry a rectangle of their own: the chain behind them
// sees that rectangle as the image's bounds instead of the source's.
#pragma once

#include "graphics/GRowCompressor.h"

class GRectRowStage : public GRowCompressor {
public:
    explicit GRectRowStage(const GRowBounds& rectangle);

    void GetBounds(GRowBounds& bounds) override;

protected:
    GRowBounds rect_;
};
