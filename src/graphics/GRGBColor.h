// A colour of three 8-bit components and a fourth byte. The arithmetic works per
// component, modulo 256, on red, green and blue; every result is opaque (fourth byte
// 255). A zero divisor leaves the dividend as it was instead of trapping.
#pragma once

#include "graphics/GColorBase.h"
#include "graphics/GColorTriple.h"

#include <cstdint>

class GRGBColor : public GPersistent<GRGBColor, GColorBase, 53> {
public:
    static constexpr const char* kClassName = "GRGBColor";
    GRGBColor* CreateNew() const override { return new GRGBColor; }
    GRGBColor* Copy() const override { return new GRGBColor(*this); }

    GRGBColor();
    GRGBColor(uint8_t red, uint8_t green, uint8_t blue, uint8_t fourth);
    GRGBColor(const GColorTriple& triple, uint8_t fourth);
    GRGBColor(const GRGBColor& other) = default;
    GRGBColor& operator=(const GRGBColor& other) = default;
    ~GRGBColor() override;

    // The very same object, or the same class and all four bytes; ids are not compared.
    bool IsSame(const GObjectBase* other) const override;

    uint8_t SetFourthByte(uint8_t value) override;
    uint8_t GetFourthByte() const override { return fourth_; }
    void CopyAsRGB(GRGBColor* storage) const override;

    uint8_t GetRed() const { return red_; }
    uint8_t GetGreen() const { return green_; }
    uint8_t GetBlue() const { return blue_; }
    void SetRed(uint8_t red) { red_ = red; }
    void SetGreen(uint8_t green) { green_ = green; }
    void SetBlue(uint8_t blue) { blue_ = blue; }
    // The fourth byte goes through SetFourthByte.
    void Set(uint8_t red, uint8_t green, uint8_t blue, uint8_t fourth);
    GColorTriple AsTriple() const { return GColorTriple(red_, green_, blue_); }

    GRGBColor& operator+=(const GRGBColor& other);
    GRGBColor& operator-=(const GRGBColor& other);
    GRGBColor& operator*=(const GRGBColor& other);
    GRGBColor& operator/=(const GRGBColor& other);
    GRGBColor& operator+=(uint8_t n);
    GRGBColor& operator-=(uint8_t n);
    GRGBColor& operator*=(uint8_t n);
    GRGBColor& operator/=(uint8_t n);

    // One component operation; the operations below are made of it.
    typedef uint8_t (*Operation)(uint8_t left, uint8_t right);
    // Each component of this op the other's, then the fourth byte 255.
    GRGBColor& Combine(const GRGBColor& other, Operation op);
    // Each component of this op n, or n op each component when nFirst.
    GRGBColor& Combine(uint8_t n, Operation op, bool nFirst = false);

    // The version word, then red, green, blue and the fourth byte.
    auto StoredForm() { return GFields(red_, green_, blue_, fourth_); }

private:
    uint8_t red_;
    uint8_t green_;
    uint8_t blue_;
    uint8_t fourth_;
};

GRGBColor operator+(const GRGBColor& left, const GRGBColor& right);
GRGBColor operator-(const GRGBColor& left, const GRGBColor& right);
GRGBColor operator*(const GRGBColor& left, const GRGBColor& right);
GRGBColor operator/(const GRGBColor& left, const GRGBColor& right);
GRGBColor operator+(const GRGBColor& color, uint8_t n);
GRGBColor operator-(const GRGBColor& color, uint8_t n);
GRGBColor operator*(const GRGBColor& color, uint8_t n);
GRGBColor operator/(const GRGBColor& color, uint8_t n);
GRGBColor operator+(uint8_t n, const GRGBColor& color);
GRGBColor operator-(uint8_t n, const GRGBColor& color);
GRGBColor operator*(uint8_t n, const GRGBColor& color);
GRGBColor operator/(uint8_t n, const GRGBColor& color);
