// A plain colour record: the red, green and blue bytes in this order.
#pragma once

#include <cstdint>

class GColorTriple {
public:
    GColorTriple(uint8_t red, uint8_t green, uint8_t blue) : red_(red), green_(green), blue_(blue) {}

    uint8_t GetRed() const { return red_; }
    uint8_t GetGreen() const { return green_; }
    uint8_t GetBlue() const { return blue_; }

private:
    uint8_t red_;
    uint8_t green_;
    uint8_t blue_;
};

static_assert(sizeof(GColorTriple) == 3, "three bytes, red first");
