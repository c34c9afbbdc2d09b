// An angle in degrees, as the text and font code uses it: always held in 0 (inclusive)
// to 360 (exclusive).
#pragma once

class GAngle {
public:
    // NaN and infinities, which have no place on the circle, become 0.
    explicit GAngle(float degrees = 0.0f);

    float Value() const { return degrees_; }
    double Sin() const;
    double Cos() const;

private:
    float degrees_;
};
