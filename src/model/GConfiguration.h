// The printer's configuration: a persistent composite of the printer's option objects
// (attributes, nested configurations, other model objects), each named by its id and
// found with the composite's recursive searches. Adding keeps it free of duplicates.
#pragma once

#include "model/MPersistentComposite.h"

class GConfiguration : public GPersistent<GConfiguration, MPersistentComposite, 759> {
public:
    static constexpr const char* kClassName = "GConfiguration";
    GConfiguration* CreateNew() const override { return new GConfiguration; }
    GConfiguration* Copy() const override { return new GConfiguration(*this); }

    GConfiguration();
    explicit GConfiguration(const long& id);
    // Shares the source's members.
    GConfiguration(const GConfiguration& other);
    GConfiguration& operator=(const GConfiguration& other);
    ~GConfiguration() override;


    // Takes ownership. A nested configuration is always appended; any other object is
    // dropped when a member already is the same (its IsSame with the member), else
    // appended.
    void Add(GObjectBase* object) override;
    auto StoredForm() { return GFields(); }

};
