// The first generation of the colour-adjustment attribute: two option numbers (first
// and second) for each of the three object kinds of a page. The page (object 3) has no
// values of its own here.
#pragma once

#include "model/GChromafitBase.h"

class GChromafitAttribute : public GPersistent<GChromafitAttribute, GChromafitBase, 792> {
public:
    static constexpr const char* kClassName = "GChromafitAttribute";
    auto StoredForm() { return GNoFields(); }
    GChromafitAttribute* CreateNew() const override { return new GChromafitAttribute; }
    GChromafitAttribute* Copy() const override { return new GChromafitAttribute(*this); }

    // Every value 0: the object a restore reads into.
    GChromafitAttribute();
    // The default options; feature 227 starts its first values one higher.
    explicit GChromafitAttribute(const long& id);
    GChromafitAttribute(const long& id, uint8_t first0, uint8_t second0, uint8_t first1, uint8_t second1,
                        uint8_t first2, uint8_t second2);
    GChromafitAttribute(const GChromafitAttribute& other) = default;
    GChromafitAttribute& operator=(const GChromafitAttribute& other) = default;
    ~GChromafitAttribute() override;

protected:
    const Layout& GetLayout() const override;
    size_t ValueCount() const override { return 6; }
};
