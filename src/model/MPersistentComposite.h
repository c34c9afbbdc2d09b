// The general container of the model: an ordered list of shared model objects that is
// itself a model object, so that trees of any depth are built, searched, copied and
// stored as one object.
#pragma once

#include "model/GCompositeOf.h"

class MPersistentComposite
    : public GPersistent<MPersistentComposite, GCompositeOf<GObjectBase, MPersistentComposite>, 752> {
public:
    static constexpr const char* kClassName = "MPersistentComposite";
    auto StoredForm() { return GNoFields(); }
    MPersistentComposite* CreateNew() const override { return new MPersistentComposite; }
    MPersistentComposite* Copy() const override { return new MPersistentComposite(*this); }
    // Add appends only below this count.
    static constexpr uint32_t kMaxMembers = 0x1FFFFFBF;

    MPersistentComposite();
    explicit MPersistentComposite(const long& id);
    // Shares the source's members.
    MPersistentComposite(const MPersistentComposite& other);
    MPersistentComposite& operator=(const MPersistentComposite& other);
    ~MPersistentComposite() override;

    // Takes ownership: a null object is ignored; one that cannot become a member is
    // dropped.
    void Add(GObjectBase* object) override;
    // Inserts before the first member; otherwise as Add.
    void Prepend(GObjectBase* object) override;
};

extern template class GCompositeOf<GObjectBase, MPersistentComposite>;
