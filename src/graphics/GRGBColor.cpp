#include "graphics/GRGBColor.h"

#include <new>

namespace {

uint8_t Plus(uint8_t a, uint8_t b) { return uint8_t(a + b); }
uint8_t Minus(uint8_t a, uint8_t b) { return uint8_t(a - b); }
uint8_t Times(uint8_t a, uint8_t b) { return uint8_t(a * b); }
uint8_t Over(uint8_t a, uint8_t b) { return b ? uint8_t(a / b) : a; }

const uint8_t kOpaque = 255;

} // namespace

GRGBColor::GRGBColor() : red_(0), green_(0), blue_(0), fourth_(0) {}

GRGBColor::GRGBColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t fourth)
    : red_(red), green_(green), blue_(blue), fourth_(fourth)
{
}

GRGBColor::GRGBColor(const GColorTriple& triple, uint8_t fourth)
    : red_(triple.GetRed()), green_(triple.GetGreen()), blue_(triple.GetBlue()), fourth_(fourth)
{
}

GRGBColor::~GRGBColor() {}

bool GRGBColor::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    const GRGBColor* color = GSameClass<GRGBColor>(this, other);
    return color && color->red_ == red_ && color->green_ == green_ && color->blue_ == blue_ &&
           color->fourth_ == fourth_;
}

uint8_t GRGBColor::SetFourthByte(uint8_t value) { return fourth_ = value; }

void GRGBColor::CopyAsRGB(GRGBColor* storage) const { new (storage) GRGBColor(*this); }

void GRGBColor::Set(uint8_t red, uint8_t green, uint8_t blue, uint8_t fourth)
{
    red_ = red;
    green_ = green;
    blue_ = blue;
    SetFourthByte(fourth);
}

GRGBColor& GRGBColor::Combine(const GRGBColor& other, Operation op)
{
    red_ = op(red_, other.red_);
    green_ = op(green_, other.green_);
    blue_ = op(blue_, other.blue_);
    SetFourthByte(kOpaque);
    return *this;
}

GRGBColor& GRGBColor::Combine(uint8_t n, Operation op, bool nFirst)
{
    for (uint8_t* component : {&red_, &green_, &blue_})
        *component = nFirst ? op(n, *component) : op(*component, n);
    SetFourthByte(kOpaque);
    return *this;
}

GRGBColor& GRGBColor::operator+=(const GRGBColor& other) { return Combine(other, Plus); }
GRGBColor& GRGBColor::operator-=(const GRGBColor& other) { return Combine(other, Minus); }
GRGBColor& GRGBColor::operator*=(const GRGBColor& other) { return Combine(other, Times); }
GRGBColor& GRGBColor::operator/=(const GRGBColor& other) { return Combine(other, Over); }
GRGBColor& GRGBColor::operator+=(uint8_t n) { return Combine(n, Plus); }
GRGBColor& GRGBColor::operator-=(uint8_t n) { return Combine(n, Minus); }
GRGBColor& GRGBColor::operator*=(uint8_t n) { return Combine(n, Times); }
GRGBColor& GRGBColor::operator/=(uint8_t n) { return Combine(n, Over); }

// The results are new colours: the left operand's id and serial do not carry over.
namespace {

GRGBColor Fresh(const GRGBColor& color)
{
    return GRGBColor(color.GetRed(), color.GetGreen(), color.GetBlue(), color.GetFourthByte());
}

} // namespace

GRGBColor operator+(const GRGBColor& left, const GRGBColor& right) { return Fresh(left) += right; }
GRGBColor operator-(const GRGBColor& left, const GRGBColor& right) { return Fresh(left) -= right; }
GRGBColor operator*(const GRGBColor& left, const GRGBColor& right) { return Fresh(left) *= right; }
GRGBColor operator/(const GRGBColor& left, const GRGBColor& right) { return Fresh(left) /= right; }
GRGBColor operator+(const GRGBColor& color, uint8_t n) { return Fresh(color) += n; }
GRGBColor operator-(const GRGBColor& color, uint8_t n) { return Fresh(color) -= n; }
GRGBColor operator*(const GRGBColor& color, uint8_t n) { return Fresh(color) *= n; }
GRGBColor operator/(const GRGBColor& color, uint8_t n) { return Fresh(color) /= n; }
GRGBColor operator+(uint8_t n, const GRGBColor& color) { return Fresh(color).Combine(n, Plus, true); }
GRGBColor operator-(uint8_t n, const GRGBColor& color) { return Fresh(color).Combine(n, Minus, true); }
GRGBColor operator*(uint8_t n, const GRGBColor& color) { return Fresh(color).Combine(n, Times, true); }
GRGBColor operator/(uint8_t n, const GRGBColor& color) { return Fresh(color).Combine(n, Over, true); }
