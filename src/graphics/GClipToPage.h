// Clipping back to the whole page.
// It is applied through the peripheral's ApplyClipToPage.
#pragma once

#include "graphics/GClipAttribute.h"

class GClipToPage : public GStoredLevel<GClipToPage, GClipAttribute, 503> {
public:
    GClipToPage();
    explicit GClipToPage(const long& id);
    GClipToPage(const GClipToPage& other) = default;
    GClipToPage& operator=(const GClipToPage& other) = default;
    ~GClipToPage() override;

    GClipToPage* CreateNew() const override { return new GClipToPage; }
    GClipToPage* Copy() const override { return new GClipToPage(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 756; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
