// A page-description writer that takes a value handed on by the driver object
// (GDriverObjectImp::ForwardToWriter). The driver object finds the writer in the printer
// by kind and reaches it only through this interface.
#pragma once

#include <cstdint>

class GForwardTarget {
public:
    virtual ~GForwardTarget() = default;
    // What the writer makes of the value.
    virtual uint32_t TakeForwarded(uint32_t value) = 0;
};
