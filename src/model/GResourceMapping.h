// One row of a mapping between numbering schemes: a 32-bit resource value and two
// 16-bit codes (the second signed).
#pragma once

#include "model/GObjectBase.h"

#include <cstdint>

class GResourceMapping : public GObjectBase {
public:
    static constexpr RWClassID kClassId = 1004;
    // The resource value of a mapping made without one.
    static constexpr uint32_t kNoResource = 0x0FFFFFFF;

    GResourceMapping();
    GResourceMapping(uint32_t resource, uint16_t firstCode, int16_t secondCode, const long& id = 0);
    GResourceMapping(const GResourceMapping& other) = default;
    GResourceMapping& operator=(const GResourceMapping& other) = default;
    ~GResourceMapping() override;

    GResourceMapping* CreateNew() const override;
    GResourceMapping* Copy() const override;
    RWClassID ClassId() const override;
    uint32_t BinaryStoreSize() const override;
    // Resource, first code, second code.
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;
    bool IsKindOf(RWClassID classId) const override;
    // The same class and id and all three fields equal.
    bool IsSame(const GObjectBase* other) const override;

    uint32_t GetResource() const { return resource_; }
    uint16_t GetFirstCode() const { return firstCode_; }
    int16_t GetSecondCode() const { return secondCode_; }

private:
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;

    uint32_t resource_;
    uint16_t firstCode_;
    int16_t secondCode_;
};
