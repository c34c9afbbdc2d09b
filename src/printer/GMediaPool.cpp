#include "printer/GMediaPool.h"

#include <memory>
#include <new>

GMediaIterator::GMediaIterator(GMediaPool* pool, GCountedPtrVector& members, uint32_t orientation,
                               uint16_t xResolution, uint16_t yResolution, GMediaPair smallest, GMediaPair largest)
    : GCountedPtrVectorIterator(pool, members), xResolution_(xResolution), yResolution_(yResolution),
      orientation_(orientation), smallest_(smallest), largest_(largest)
{
}

GMediaIterator::~GMediaIterator() {}

int GMediaIterator::Next()
{
    while (GCountedPtrVectorIterator::Next())
        if (Accepts(Current()))
            return 1;
    return 0;
}

GMedia* GMediaIterator::CurrentMedia()
{
    GObjectBase* member = Index() >= 0 ? Current() : nullptr;
    return member && member->ClassId() == GMedia::kClassId ? static_cast<GMedia*>(member) : nullptr;
}

// A restored pool may hold members of any class: only media are looked at.
bool GMediaIterator::Accepts(GObjectBase* member) const
{
    if (!member || member->ClassId() != GMedia::kClassId)
        return false;
    const GMedia* media = static_cast<const GMedia*>(member);
    const GMediaPair size = media->GetPaperSize();
    return media->GetOrientation() == orientation_ && media->GetUnitsX() == xResolution_ &&
           media->GetUnitsY() == yResolution_ && int16_t(smallest_.x) <= int16_t(size.x) &&
           int16_t(size.x) <= int16_t(largest_.x) && int16_t(smallest_.y) <= int16_t(size.y) &&
           int16_t(size.y) <= int16_t(largest_.y);
}

GMediaPool::GMediaPool() {}
GMediaPool::GMediaPool(const long& id) : GPersistent(id) {}
GMediaPool::~GMediaPool() {}

GMediaIterator* GMediaPool::CreateMediaIterator(uint32_t orientation, uint16_t xResolution, uint16_t yResolution,
                                                GMediaPair smallest, GMediaPair largest)
{
    return new (std::nothrow)
        GMediaIterator(this, members_, orientation, xResolution, yResolution, smallest, largest);
}

GMediaIterator* GMediaPool::CreateMediaIterator(uint32_t orientation, uint16_t resolution, GMediaPair smallest,
                                                GMediaPair largest)
{
    return CreateMediaIterator(orientation, resolution, resolution, smallest, largest);
}

GMedia* GMediaPool::FindMedia(uint16_t mediaId, uint32_t orientation, uint16_t xResolution, uint16_t yResolution)
{
    std::unique_ptr<GMediaIterator> it(
        CreateMediaIterator(orientation, xResolution, yResolution, {0, 0}, {32767, 32767}));
    if (!it)
        return nullptr;
    while (it->Next())
        if (GMedia* media = it->CurrentMedia(); media->GetMediaId() == mediaId)
            return media;
    return nullptr;
}

GMedia* GMediaPool::FindMediaById(uint16_t mediaId, uint32_t orientation, uint16_t resolution)
{
    return FindMedia(mediaId, orientation, resolution, resolution);
}
