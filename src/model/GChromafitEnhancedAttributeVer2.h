// The third generation of the colour-adjustment attribute: three option numbers for each
// object kind (first, second, third) and one for the whole page.
#pragma once

#include "model/GChromafitBase.h"

class GChromafitEnhancedAttributeVer2
    : public GPersistent<GChromafitEnhancedAttributeVer2, GChromafitBase, 1201> {
public:
    static constexpr const char* kClassName = "GChromafitEnhancedAttributeVer2";
    auto StoredForm() { return GNoFields(); }
    GChromafitEnhancedAttributeVer2* CreateNew() const override { return new GChromafitEnhancedAttributeVer2; }
    GChromafitEnhancedAttributeVer2* Copy() const override { return new GChromafitEnhancedAttributeVer2(*this); }

    GChromafitEnhancedAttributeVer2();
    explicit GChromafitEnhancedAttributeVer2(const long& id);
    // Object 0's first, second and third value, then object 1's, object 2's, the page's.
    GChromafitEnhancedAttributeVer2(const long& id, uint8_t p0, uint8_t q0, uint8_t r0, uint8_t p1, uint8_t q1,
                                    uint8_t r1, uint8_t p2, uint8_t q2, uint8_t r2, uint8_t page);
    GChromafitEnhancedAttributeVer2(const GChromafitEnhancedAttributeVer2& other) = default;
    GChromafitEnhancedAttributeVer2& operator=(const GChromafitEnhancedAttributeVer2& other) = default;
    ~GChromafitEnhancedAttributeVer2() override;

    // Setting the third value of the page (3, 3) sets it for every object as well.
    int SetSetting(int object, int kind, uint8_t value) override;

protected:
    const Layout& GetLayout() const override;
    size_t ValueCount() const override { return 10; }
};
