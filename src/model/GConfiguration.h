// The printer's configuration: a persistent composite of the printer's option objects
// (attributes, nested configurations, other model objects), each named by its id and
// found with the composite's recursive searches. Adding keeps it free of duplicates.
#pragma once

#include "model/MPersistentComposite.h"

class GConfiguration : public MPersistentComposite {
public:
    static constexpr RWClassID kClassId = 759;

    GConfiguration();
    explicit GConfiguration(const long& id);
    // Shares the source's members.
    GConfiguration(const GConfiguration& other);
    GConfiguration& operator=(const GConfiguration& other);
    ~GConfiguration() override;

    GConfiguration* CreateNew() const override;
    GConfiguration* Copy() const override;
    RWClassID ClassId() const override;
    uint32_t BinaryStoreSize() const override;
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;
    bool IsKindOf(RWClassID classId) const override;

    // Takes ownership. A nested configuration is always appended; any other object is
    // dropped when a member already is the same (its IsSame with the member), else
    // appended.
    void Add(GObjectBase* object) override;
};
