#include "graphics/GAngle.h"

#include <cmath>

namespace {

const double kRadiansPerDegree = 0.017453292;

// One division instead of a loop of additions, so that huge values return at once.
float Normalized(float degrees)
{
    if (!std::isfinite(degrees))
        return 0.0f;
    float folded = std::fmod(degrees, 360.0f);
    if (folded < 0.0f)
        folded += 360.0f;
    // A tiny negative value folds to 360 by rounding.
    return folded >= 360.0f ? 0.0f : folded;
}

} // namespace

GAngle::GAngle(float degrees) : degrees_(Normalized(degrees)) {}

double GAngle::Sin() const { return std::sin(degrees_ * kRadiansPerDegree); }
double GAngle::Cos() const { return std::cos(degrees_ * kRadiansPerDegree); }
