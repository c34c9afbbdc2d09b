// One row of a mapping between numbering schemes: a 32-bit resource value and two
// 16-bit codes (the second signed).
#pragma once

#include "model/GPersistent.h"

#include <cstdint>

class GResourceMapping : public GPersistent<GResourceMapping, GObjectBase, 1004> {
public:
    static constexpr const char* kClassName = "GResourceMapping";
    GResourceMapping* CreateNew() const override { return new GResourceMapping; }
    GResourceMapping* Copy() const override { return new GResourceMapping(*this); }
    // The resource value of a mapping made without one.
    static constexpr uint32_t kNoResource = 0x0FFFFFFF;

    GResourceMapping();
    GResourceMapping(uint32_t resource, uint16_t firstCode, int16_t secondCode, const long& id = 0);
    GResourceMapping(const GResourceMapping& other) = default;
    GResourceMapping& operator=(const GResourceMapping& other) = default;
    ~GResourceMapping() override;

    // Resource, first code, second code.
    // The same class and id and all three fields equal.
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }

    uint32_t GetResource() const { return resource_; }
    uint16_t GetFirstCode() const { return firstCode_; }
    int16_t GetSecondCode() const { return secondCode_; }

    auto StoredForm() { return GFields(resource_, firstCode_, secondCode_); }

private:
    uint32_t resource_;
    uint16_t firstCode_;
    int16_t secondCode_;
};
