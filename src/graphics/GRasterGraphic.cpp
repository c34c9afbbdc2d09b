#include "graphics/GRasterGraphic.h"

#include "graphics/GRasterScale.h"
#include "model/GCommandHandler.h"

GRasterGraphic::GRasterGraphic() {}

GRasterGraphic::GRasterGraphic(GBitmap image, GState* state, GRect source, GRect destination, GBitmap second)
    : GRasterGraphic(image, source, destination, second, state, 0)
{
}

GRasterGraphic::GRasterGraphic(GBitmap image, GRect source, GRect destination, GBitmap second, GState* state,
                               const long& id)
    : GPersistent(state, id), image_(image), source_(source), destination_(destination), second_(second)
{
}

GRasterGraphic::~GRasterGraphic() {}

bool GRasterGraphic::IsSame(const GObjectBase* other) const
{
    if (other == this)
        return true;
    if (!other || other->ClassId() != ClassId())
        return false;
    const GRasterGraphic* raster = dynamic_cast<const GRasterGraphic*>(other);
    return raster && LikeCommandPart(*raster) && image_.IsSame(&raster->image_) && source_ == raster->source_ &&
           destination_ == raster->destination_ && second_.IsSame(&raster->second_);
}

void GRasterGraphic::Prepare() { image_.MakeOwnCopy(); }

int16_t GRasterGraphic::Execute(GCommandHandler& target) { return target.DrawRaster(*this); }

uint32_t GRasterGraphic::Scale(const GClipAttribute* clip, GRect& outSource, GRect& outDestination) const
{
    return GScaleToClip(clip, source_, destination_, outSource, outDestination);
}
