// A pair of model objects, a key and a value, each owned by the pair: the member of an
// association list.
//
// The pair holds one counted reference on each, so the key and the value are destroyed
// with the pair unless another counted holder shares them (as a stored graph that names
// one object twice makes them).
#pragma once

#include "model/GCountedRef.h"
#include "model/GPersistent.h"

class MPersistentAssociation : public GPersistent<MPersistentAssociation, GObjectBase, 771> {
public:
    static constexpr const char* kClassName = "MPersistentAssociation";
    MPersistentAssociation* CreateNew() const override { return new MPersistentAssociation; }
    MPersistentAssociation* Copy() const override { return new MPersistentAssociation(*this); }

    MPersistentAssociation();
    // Takes ownership of both (null allowed).
    MPersistentAssociation(GObjectBase* key, GObjectBase* value, const long& id = 0);
    // A fresh root part (id 0, a new serial) and copies of key and value.
    MPersistentAssociation(const MPersistentAssociation& other);
    // Drops its own key and value and takes copies of the other's; the root part is not
    // touched. Assigning an association to itself changes nothing.
    MPersistentAssociation& operator=(const MPersistentAssociation& other);
    ~MPersistentAssociation() override;

    // Key, then value, each as an object reference (null as the nil object). A restore
    // takes only model objects that may be held, and replaces the pair only when both
    // references were read.
    // The same class and id, and neither the other's key nor its value differs from
    // this one's (two null keys or values are alike).
    bool IsSame(const GObjectBase* other) const override;

    // Borrowed: the pair keeps them.
    GObjectBase* GetKey() const { return key_.Get(); }
    GObjectBase* GetValue() const { return value_.Get(); }

    // The key and the value as object references.
    auto StoredForm() { return GFields(key_, value_); }

private:
    GCountedRef key_;
    GCountedRef value_;
};
