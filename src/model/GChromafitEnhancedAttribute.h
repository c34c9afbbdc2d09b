// The second generation of the colour-adjustment attribute: two option numbers for each
// object kind and two for the whole page.
#pragma once

#include "model/GChromafitBase.h"

class GChromafitEnhancedAttribute : public GPersistent<GChromafitEnhancedAttribute, GChromafitBase, 797> {
public:
    static constexpr const char* kClassName = "GChromafitEnhancedAttribute";
    auto StoredForm() { return GNoFields(); }
    GChromafitEnhancedAttribute* CreateNew() const override { return new GChromafitEnhancedAttribute; }
    GChromafitEnhancedAttribute* Copy() const override { return new GChromafitEnhancedAttribute(*this); }

    GChromafitEnhancedAttribute();
    explicit GChromafitEnhancedAttribute(const long& id);
    GChromafitEnhancedAttribute(const long& id, uint8_t first0, uint8_t second0, uint8_t first1, uint8_t second1,
                                uint8_t first2, uint8_t second2, uint8_t page1, uint8_t page2);
    GChromafitEnhancedAttribute(const GChromafitEnhancedAttribute& other) = default;
    GChromafitEnhancedAttribute& operator=(const GChromafitEnhancedAttribute& other) = default;
    ~GChromafitEnhancedAttribute() override;

protected:
    const Layout& GetLayout() const override;
    size_t ValueCount() const override { return 8; }
};
