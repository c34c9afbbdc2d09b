#include "pipeline/filters/GSymetricalDuplexFilter.h"

#include "model/GCommandClassIds.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GState.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentStart.h"
#include "printer/GDriverObject.h"
#include "printer/GMedia.h"

#include <cmath>

namespace {

using namespace FeatureId;

int16_t Trunc16(double value) { return int16_t(int32_t(value)); }

} // namespace

GSymetricalDuplexFilter::GSymetricalDuplexFilter() {}
GSymetricalDuplexFilter::GSymetricalDuplexFilter(const long& id) : GPersistent(id) {}
GSymetricalDuplexFilter::GSymetricalDuplexFilter(const GSymetricalDuplexFilter& other) : GPersistent(other) {}
GSymetricalDuplexFilter::~GSymetricalDuplexFilter() {}

GTransformAttribute GSymetricalDuplexFilter::CentringTransform(const GMedia& media, uint16_t noScaling)
{
    const int32_t W = media.GetPaperSize().x, H = media.GetPaperSize().y;
    const int32_t ew = media.GetImageableExtent().x, eh = media.GetImageableExtent().y;
    const int32_t ox = media.GetImageableOrigin().x, oy = media.GetImageableOrigin().y;
    // A media without printable area cannot be centred.
    if (ew <= 0 || eh <= 0)
        return GTransformAttribute();
    if (noScaling != 0)
        return GTransformAttribute();
    const int32_t dx = W - 2 * ox - ew;
    const int32_t dy = H - 2 * oy - eh;
    const float sx = dx != 0 ? 1.0f - float(std::abs(dx)) / float(ew) : 1.0f;
    const float sy = dy != 0 ? 1.0f - float(std::abs(dy)) / float(eh) : 1.0f;
    const float s = sx < sy ? sx : sy;
    // A margin difference wider than the printable area leaves nothing to print into.
    if (s <= 0)
        return GTransformAttribute();
    const int16_t x = int16_t(Trunc16((W - ew * double(s)) * 0.5) - Trunc16(ox * double(s)));
    const int16_t y = int16_t(Trunc16((H - eh * double(s)) * 0.5) - Trunc16(oy * double(s)));
    return GTransformAttribute(0, x, y, s, s);
}

GCountedRef GSymetricalDuplexFilter::ProcessCommand(const GCountedRef& command)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return command;
    switch (target->ClassId()) {
    case kDocumentStartClassId: {
        GCommandProducer* producer = static_cast<GDocumentStart*>(target)->GetProducer();
        GConfiguration* configuration = producer ? producer->GetPrinterConfiguration() : nullptr;
        GState* state = target->GetState();
        duplex_ = 0, noScaling_ = 0, toggle_ = 0;
        filterTransform_ = GTransformAttribute();
        const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
        jobMedia_ = media ? *media : GMedia();
        hasJobMedia_ = media != nullptr;
        if (SettingOr(configuration, kSymmetricalDuplexCapable, 0) != 0 && state) {
            duplex_ = uint16_t(SettingOr(state, kDuplexMode, 0));
            const int32_t noScaling = SettingOr(state, kSymmetricalNoScaling, -1);
            if (noScaling >= 0) {
                noScaling_ = uint16_t(noScaling);
                Activate();
                return command;
            }
        }
        Deactivate();
        return command;
    }
    case kPageStartClassId: {
        filterTransform_ = GTransformAttribute();
        GState* state = target->GetState();
        const GMedia* named = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
        const GMedia* media = named ? named : hasJobMedia_ ? &jobMedia_ : nullptr;
        const int32_t pageDuplex = SettingOr(state, kDuplexMode, -1);
        if (pageDuplex >= 0 && (pageDuplex == 0 || toggle_ == 0))
            duplex_ = uint16_t(pageDuplex);
        if (duplex_ == 0) {
            toggle_ = 0;
            return command;
        }
        // A page on no known media keeps its place.
        if (!media)
            return command;
        filterTransform_ = CentringTransform(*media, noScaling_);
        toggle_ ^= 1;
        GState* own = OwnState(*target);
        const GTransformAttribute* pageTransform = dynamic_cast<const GTransformAttribute*>(own->FindByClassId(103));
        GTransformAttribute composed = filterTransform_;
        if (pageTransform)
            composed = PutComposed(own, filterTransform_, GTransformAttribute(*pageTransform));
        else
            own->Add(new GTransformAttribute(filterTransform_));
        return WithPageTransform(command, composed);
    }
    default: {
        const GTransformAttribute identity;
        if (duplex_ != 0 && !filterTransform_.IsSame(&identity))
            return ComposeIntoCommand(command);
        return command;
    }
    }
}

std::pair<float, float> GSymetricalDuplexFilter::GetScale(void*, void* device, void*, uint32_t* mode)
{
    if (mode && *mode == 3)
        return {0.0f, 0.0f};
    GObjectBase* job = static_cast<GObjectBase*>(device);
    if (!job || noScaling_ != 0)
        return {1.0f, 1.0f};
    const GMedia* media = GDriverObject::Feature<GMedia>(job, kDocumentMedia);
    if (SettingOr(job, kDuplexMode, 0) == 0 || !media)
        return {1.0f, 1.0f};
    const GTransformAttribute t = CentringTransform(*media, 0);
    return {t.GetScaleX(), t.GetScaleY()};
}
