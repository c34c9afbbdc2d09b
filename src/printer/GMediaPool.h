// The papers the printer offers: a choice attribute whose members are media, searched
// by media id, orientation, resolution and size.
#pragma once

#include "model/GCountedPtrVectorIterator.h"
#include "model/GEnumAttribute.h"
#include "printer/GMedia.h"

class GMediaPool;

// Walks the members of a pool that are media of one orientation and resolution whose
// size, read as signed 16-bit values, lies between a smallest and a largest size. Any
// other member is skipped. The pool must outlive it.
class GMediaIterator : public GCountedPtrVectorIterator {
public:
    GMediaIterator(GMediaPool* pool, GCountedPtrVector& members, uint32_t orientation, uint16_t xResolution,
                   uint16_t yResolution, GMediaPair smallest, GMediaPair largest);
    ~GMediaIterator() override;

    // Advances to the next member that passes: 0 after the last.
    int Next() override;
    // The current member as a media (null when it stands on none).
    GMedia* CurrentMedia();

private:
    bool Accepts(GObjectBase* member) const;

    uint16_t xResolution_;
    uint16_t yResolution_;
    uint32_t orientation_;
    GMediaPair smallest_;
    GMediaPair largest_;
};

class GMediaPool : public GPersistent<GMediaPool, GEnumAttribute, 1006> {
public:
    static constexpr const char* kClassName = "GMediaPool";
    GMediaPool* CreateNew() const override { return new GMediaPool; }
    GMediaPool* Copy() const override { return new GMediaPool(*this); }

    GMediaPool();
    explicit GMediaPool(const long& id);
    GMediaPool(const GMediaPool& other) = default;
    GMediaPool& operator=(const GMediaPool& other) = default;
    ~GMediaPool() override;

    // A new iterator owned by the caller; null when memory runs out.
    GMediaIterator* CreateMediaIterator(uint32_t orientation, uint16_t xResolution, uint16_t yResolution,
                                        GMediaPair smallest, GMediaPair largest);
    GMediaIterator* CreateMediaIterator(uint32_t orientation, uint16_t resolution, GMediaPair smallest,
                                        GMediaPair largest);
    // The first member in pool order of that media id, orientation and resolution, of
    // any size from 0 to 32767 dots; borrowed, null when none.
    GMedia* FindMedia(uint16_t mediaId, uint32_t orientation, uint16_t xResolution, uint16_t yResolution);
    GMedia* FindMediaById(uint16_t mediaId, uint32_t orientation, uint16_t resolution);

    // The enumeration's form, then a version word that is read and not used.
    auto StoredForm() { return GFields(); }
};
