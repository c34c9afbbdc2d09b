// A persistent composite whose stored form ends with a version word of its own: the
// form of the association and resource-mapping lists. The word is written as 1 and read
// without a test; nothing follows it.
#pragma once

#include "model/MPersistentComposite.h"

class MVersionedComposite : public MPersistentComposite {
public:
    uint32_t BinaryStoreSize() const override;
    void RestoreGuts(RWDataInStream& stream) override;
    void RestoreGuts(RWBinaryFile& file) override;
    void SaveGuts(RWDataOutStream& stream) const override;
    void SaveGuts(RWBinaryFile& file) const override;

protected:
    MVersionedComposite() {}
    explicit MVersionedComposite(const long& id) : MPersistentComposite(id) {}
    MVersionedComposite(const MVersionedComposite& other) = default;
    MVersionedComposite& operator=(const MVersionedComposite& other) = default;
};
