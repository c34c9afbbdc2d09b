#include "pipeline/filters/GFitToSizeFilter.h"

#include "model/GCommandClassIds.h"
#include "model/GFeatureIds.h"
#include "model/GState.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentStart.h"
#include "printer/GDriverObject.h"

namespace {

using namespace FeatureId;

} // namespace

GFitToSizeFilter::GFitToSizeFilter() {}
GFitToSizeFilter::GFitToSizeFilter(const long& id) : GPersistent(id) {}
GFitToSizeFilter::GFitToSizeFilter(const GFitToSizeFilter& other) : GPersistent(other) {}
GFitToSizeFilter::~GFitToSizeFilter() {}

GTransformAttribute GFitToSizeFilter::FitTransform(const GMedia& source, const GMedia& target, uint32_t scaleToFit)
{
    const int64_t sPw = source.GetPaperSize().x, sPh = source.GetPaperSize().y;
    const int64_t sOx = source.GetImageableOrigin().x, sOy = source.GetImageableOrigin().y;
    const int64_t sEw = source.GetImageableExtent().x, sEh = source.GetImageableExtent().y;
    const int64_t tPw = target.GetPaperSize().x, tPh = target.GetPaperSize().y;
    const int64_t tOx = target.GetImageableOrigin().x, tOy = target.GetImageableOrigin().y;
    const int64_t tEw = target.GetImageableExtent().x, tEh = target.GetImageableExtent().y;
    if (!scaleToFit) {
        const int64_t x = (tPw - sPw) / 2 - tOx + sOx;
        const int64_t y = (tPh - sPh) / 2 - tOy + sOy;
        return GTransformAttribute(0, Clamped16(x), Clamped16(y), 1.0f, 1.0f);
    }
    // A page or a target without a printable area has nothing to fit.
    return FitArea({sPw, sPh, sOx, sOy, sEw, sEh}, {tPw, tPh, tOx, tOy, tEw, tEh});
}

GCountedRef GFitToSizeFilter::ProcessCommand(const GCountedRef& command)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return command;
    switch (target->ClassId()) {
    case kDocumentStartClassId: {
        filterTransform_ = GTransformAttribute();
        pageMedia_ = targetMedia_ = GMedia();
        producer_ = static_cast<GDocumentStart*>(target)->GetProducer();
        GState* state = target->GetState();
        const GMedia* wanted = GDriverObject::Feature<GMedia>(state, kFitTargetMedia);
        const GMedia* job = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
        jobMedia_ = job ? *job : GMedia();
        hasJobMedia_ = job != nullptr;
        if (SettingOr(state, kFitToPaper, 0) == 1 && wanted) {
            targetMedia_ = *wanted;
            targetMedia_.SetId(kDocumentMedia);
            scaleToFit_ = uint32_t(SettingOr(state, kFitScaleToFit, 0));
            GObjectBase::Drop(state->RemoveById(kDocumentMedia));
            state->Add(new GMedia(targetMedia_));
            Activate();
        } else {
            scaleToFit_ = 0;
            Deactivate();
        }
        return command;
    }
    case kPageStartClassId: {
        // A page that names no media of its own is on the document's.
        const GMedia* media = GDriverObject::Feature<GMedia>(target->GetState(), kDocumentMedia);
        if (!media && hasJobMedia_)
            media = &jobMedia_;
        if (!media)
            return command;
        pageMedia_ = *media;
        if (pageMedia_.IsSame(&targetMedia_))
            return command;
        GState* state = OwnState(*target);
        GMedia* turned = new GMedia(targetMedia_);
        GCommandProducer::TurnMedia(*turned, uint32_t(SettingOr(state, kOrientation, 0)));
        turned->SetSecondString(pageMedia_.GetSecondString());
        filterTransform_ = FitTransform(pageMedia_, *turned, scaleToFit_);
        GObjectBase::Drop(state->RemoveById(kDocumentMedia));
        state->Add(turned);
        const GTransformAttribute* own = dynamic_cast<const GTransformAttribute*>(state->FindByClassId(103));
        const GTransformAttribute page = own ? GTransformAttribute(*own) : DefaultPageTransform(&pageMedia_);
        return WithPageTransform(command, PutComposed(state, filterTransform_, page));
    }
    default:
        return ComposeIntoCommand(command);
    }
}

std::pair<float, float> GFitToSizeFilter::GetScale(void* context, void* device, void*, uint32_t* mode)
{
    if (mode && *mode == 3)
        return {0.0f, 0.0f};
    GObjectBase* state = static_cast<GObjectBase*>(context);
    GObjectBase* job = static_cast<GObjectBase*>(device);
    const GMedia* wanted = GDriverObject::Feature<GMedia>(state, kFitTargetMedia);
    const GMedia* media = GDriverObject::Feature<GMedia>(job, kDocumentMedia);
    if (SettingOr(state, kFitToPaper, 0) != 1 || !wanted || !media)
        return {1.0f, 1.0f};
    GMedia turned(*wanted);
    turned.SetId(kDocumentMedia);
    if (media->IsSame(&turned))
        return {1.0f, 1.0f};
    GCommandProducer::TurnMedia(turned, uint32_t(SettingOr(job, kOrientation, 0)));
    const GTransformAttribute fit = FitTransform(*media, turned, uint32_t(SettingOr(state, kFitScaleToFit, 0)));
    return {fit.GetScaleX(), fit.GetScaleY()};
}
