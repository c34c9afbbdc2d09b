// A pair of model objects, a key and a value, each owned by the pair: the member of an
// association list.
//
// The pair holds one counted reference on each, so the key and the value are destroyed
// with the pair unless another counted holder shares them (as a stored graph that names
// one object twice makes them).
#pragma once

#include "model/GCountedRef.h"
#include "model/GObjectBase.h"

class MPersistentAssociation : public GObjectBase {
public:
    static constexpr RWClassID kClassId = 771;

    MPersistentAssociation();
    // Takes ownership of both (null allowed).
    MPersistentAssociation(GObjectBase* key, GObjectBase* value, const long& id = 0);
    // A fresh root part (id 0, a new serial) and copies of key and value.
    MPersistentAssociation(const MPersistentAssociation& other);
    // Drops its own key and value and takes copies of the other's; the root part is not
    // touched. Assigning an association to itself changes nothing.
    MPersistentAssociation& operator=(const MPersistentAssociation& other);
    ~MPersistentAssociation() override;

    MPersistentAssociation* CreateNew() const override;
    MPersistentAssociation* Copy() const override;
    RWClassID ClassId() const override;
    uint32_t BinaryStoreSize() const override;
    // Key, then value, each as an object reference (null as the nil object). A restore
    // takes only model objects that may be held, and replaces the pair only when both
    // references were read.
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;
    bool IsKindOf(RWClassID classId) const override;
    // The same class and id, and neither the other's key nor its value differs from
    // this one's (two null keys or values are alike).
    bool IsSame(const GObjectBase* other) const override;

    // Borrowed: the pair keeps them.
    GObjectBase* GetKey() const { return key_.Get(); }
    GObjectBase* GetValue() const { return value_.Get(); }

private:
    template <class In>
    void ReadFields(In& in);
    template <class Out>
    void WriteFields(Out& out) const;

    GCountedRef key_;
    GCountedRef value_;
};
