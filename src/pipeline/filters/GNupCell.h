// One cell of the N-up grid: where on the sheet a logical page goes, and the same place
// seen after a second turn of the page inside the cell.
#pragma once

#include "printer/GMedia.h"

#include <cstdint>

class GNupCell {
public:
    GNupCell();
    // The turned origin and extent follow from the second rotation.
    GNupCell(int32_t rotation, GMediaPair origin, GMediaPair extent, int32_t secondRotation);
    virtual ~GNupCell();
    GNupCell(const GNupCell&) = default;
    GNupCell& operator=(const GNupCell&) = default;

    // Equal rotation, origin and extent.
    virtual bool IsEqual(const GNupCell& other) const;

    int32_t GetRotation() const { return rotation_; }
    GMediaPair GetOrigin() const { return origin_; }
    GMediaPair GetExtent() const { return extent_; }
    int32_t GetSecondRotation() const { return secondRotation_; }
    GMediaPair GetTurnedOrigin() const { return turnedOrigin_; }
    GMediaPair GetTurnedExtent() const { return turnedExtent_; }

    // Degrees into 0..359.
    static int32_t Normalise(int32_t degrees);

private:
    int32_t rotation_ = 0;
    GMediaPair origin_{0, 0};
    GMediaPair extent_{0, 0};
    int32_t secondRotation_ = 0;
    GMediaPair turnedOrigin_{0, 0};
    GMediaPair turnedExtent_{0, 0};
};
