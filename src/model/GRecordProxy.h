// The record of a stored store-backed composite (a records store, or a command list
// on disk): it keeps an in-memory copy of the store object, and a search that the
// proxy itself does not answer is forwarded to that store, which searches its own file.
#pragma once

#include "model/GRecord.h"

class GRecordProxy : public GRecord {
public:
    static constexpr RWClassID kClassId = 784;

    GRecordProxy();
    // Holds a copy of the object.
    explicit GRecordProxy(const GObjectBase& object);
    // Copies share the held store object.
    GRecordProxy(const GRecordProxy& other) = default;
    GRecordProxy& operator=(const GRecordProxy& other) = default;

    GRecordProxy* CreateNew() const override { return new GRecordProxy; }
    GRecordProxy* Copy() const override { return new GRecordProxy(*this); }
    RWClassID ClassId() const override;
    uint32_t BinaryStoreSize() const override;
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;

    int Replace(const GRecordKey& key, const GObjectBase* newObject, MPersistentCompositeOnDiskImp& store) override;
    GCountedRef SearchBelow(const GRecordKey& key, bool take, MPersistentCompositeOnDiskImp& store) override;

    GObjectBase* GetHeld() const { return held_.Get(); }

private:
    template <class In>
    void ReadFields(In& in);

    GCountedRef held_;
};
