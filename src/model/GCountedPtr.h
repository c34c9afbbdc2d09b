// The counted pointer of the model as a collectable: the slot type of every member
// vector, and a holder that can itself be stored. It holds one reference on its
// object while it points to it.
#pragma once

#include "foundation/RWCollectable.h"
#include "model/GCountedRef.h"

class GObjectBase;

class GCountedPtr : public RWCollectable {
public:
    static constexpr RWClassID kClassId = 773;
    // A kind of model object as well, as IsKindOf answers.
    static bool KindOfClass(RWClassID kind);

    GCountedPtr() = default;
    // Takes a reference on the object (null allowed).
    explicit GCountedPtr(GObjectBase* object) : ref_(object) {}
    GCountedPtr(const GCountedPtr& other) = default;
    // No effect for the same object; otherwise takes the new reference, then releases
    // the old one.
    GCountedPtr& operator=(const GCountedPtr& other);
    GCountedPtr& operator=(GObjectBase* object);
    ~GCountedPtr() override;

    // A counted pointer is never made on its own: both answer null.
    RWCollectable* CreateNew() const override;
    RWCollectable* Copy() const override;
    RWClassID ClassId() const override;
    // The held object as an object reference (null as the nil object). A restore
    // holds what it reads (null allowed) when the read went through, and keeps the
    // object it held when it did not.
    uint32_t BinaryStoreSize() const override;
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;

    // True for its own id and for the model root's.
    virtual bool IsKindOf(RWClassID classId) const;
    // A deep copy of the held object, owned by the caller; null when none is held.
    virtual GObjectBase* CopyObject() const;

    GObjectBase* Get() const { return ref_.Get(); }
    GObjectBase* operator->() const { return ref_.Get(); }
    bool IsNull() const { return ref_.IsNull(); }
    // Hands the held reference to the caller and becomes null.
    GObjectBase* Detach() { return ref_.Detach(); }
    // Exchanges the objects of two pointers; no count changes.
    void Swap(GCountedPtr& other) noexcept { ref_.Swap(other.ref_); }

private:
    template <class In>
    void RestoreObject(In& in);

    GCountedRef ref_;
};
