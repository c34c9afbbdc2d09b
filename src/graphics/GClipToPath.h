// Clipping to a path.
// It is applied through the peripheral's ApplyClipToPath.
#pragma once

#include "graphics/GClipAttribute.h"

class GClipToPath : public GStoredLevel<GClipToPath, GClipAttribute, 502> {
public:
    GClipToPath();
    explicit GClipToPath(const long& id);
    GClipToPath(const GClipToPath& other) = default;
    GClipToPath& operator=(const GClipToPath& other) = default;
    ~GClipToPath() override;

    GClipToPath* CreateNew() const override { return new GClipToPath; }
    GClipToPath* Copy() const override { return new GClipToPath(*this); }
    RWClassID ClassId() const override { return kClassId; }
    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 756; }
    int16_t ApplyTo(GAttributeVisitor& visitor) override;
};
