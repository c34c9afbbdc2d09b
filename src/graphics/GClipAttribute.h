// The base of the clip attributes: what is drawn is cut to the page, a path or
// rectangles. Mode and operation are codes 0 or 1 that the writers translate; 2 leaves
// them unspecified.
#pragma once

#include "graphics/GGeometry.h"
#include "model/GGraphicAttribute.h"

#include <cstdint>

class GClipAttribute : public GStoredLevel<GClipAttribute, GGraphicAttribute, 756> {
public:
    static constexpr uint32_t kUnspecified = 2;

    // Mode and operation unspecified.
    GClipAttribute();
    explicit GClipAttribute(const long& id);
    GClipAttribute(uint32_t operation, uint32_t mode, const long& id);
    GClipAttribute(const GClipAttribute& other) = default;
    GClipAttribute& operator=(const GClipAttribute& other) = default;
    ~GClipAttribute() override;

    // The settings serializer stores the family under its head's id.
    RWClassID StorageClassId() const override { return 756; }
    // Same class and id, equal mode and operation; subclasses add their fields.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }

    // The rectangle that bounds what the clip lets through; false when it has none.
    virtual bool GetBounds(GRect& bounds) const = 0;

    uint32_t GetClipMode() const { return mode_; }
    uint32_t GetClipOperation() const { return operation_; }
    void SetClipMode(uint32_t mode) { mode_ = mode; }
    void SetClipOperation(uint32_t operation) { operation_ = operation; }

    auto StoredForm() { return GFields(mode_, operation_); }

private:
    uint32_t mode_;
    uint32_t operation_;
};
