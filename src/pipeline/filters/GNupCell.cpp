#include "pipeline/filters/GNupCell.h"

int32_t GNupCell::Normalise(int32_t degrees)
{
    const int32_t turned = degrees % 360;
    return turned < 0 ? turned + 360 : turned;
}

GNupCell::GNupCell() {}

GNupCell::GNupCell(int32_t rotation, GMediaPair origin, GMediaPair extent, int32_t secondRotation)
    : rotation_(Normalise(rotation)), origin_(origin), extent_(extent), secondRotation_(Normalise(secondRotation))
{
    const uint16_t x = origin.x, y = origin.y, w = extent.x, h = extent.y;
    switch (secondRotation_) {
    case 0:
        turnedOrigin_ = origin, turnedExtent_ = extent;
        break;
    case 90:
        turnedOrigin_ = {x, uint16_t(y + h)}, turnedExtent_ = {h, w};
        break;
    case 180:
        turnedOrigin_ = {uint16_t(x + w), uint16_t(y + h)}, turnedExtent_ = extent;
        break;
    case 270:
        turnedOrigin_ = {uint16_t(x + w), y}, turnedExtent_ = {h, w};
        break;
    default:
        break;
    }
}

GNupCell::~GNupCell() {}

bool GNupCell::IsEqual(const GNupCell& other) const
{
    return rotation_ == other.rotation_ && origin_.x == other.origin_.x && origin_.y == other.origin_.y &&
           extent_.x == other.extent_.x && extent_.y == other.extent_.y;
}
