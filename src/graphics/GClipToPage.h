// Clipping to the page: mode 1, operation 0, and no bounds of its own.
// It is applied through the peripheral's ApplyClipToPage.
#pragma once

#include "graphics/GClipAttribute.h"

class GClipToPage : public GPersistent<GClipToPage, GClipAttribute, 503> {
public:
    static constexpr const char* kClassName = "GClipToPage";
    GClipToPage* CreateNew() const override { return new GClipToPage; }
    GClipToPage* Copy() const override { return new GClipToPage(*this); }

    explicit GClipToPage(const long& id = 0);
    GClipToPage(const GClipToPage& other) = default;
    GClipToPage& operator=(const GClipToPage& other) = default;
    ~GClipToPage() override;

    int16_t ApplyTo(GAttributeVisitor& visitor) override;
    bool GetBounds(GRect& bounds) const override;

    // Its own version word only.
    auto StoredForm() { return GFields(); }
};
