#include "pipeline/filters/GEmulateMarginsFilter.h"

#include "model/GCommandClassIds.h"
#include "model/GFeatureIds.h"
#include "model/GState.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentStart.h"
#include "printer/GDriverObject.h"
#include "printer/GMediaPool.h"

#include <algorithm>

namespace {

using namespace FeatureId;

} // namespace

GEmulateMarginsFilter::GEmulateMarginsFilter() {}
GEmulateMarginsFilter::GEmulateMarginsFilter(const long& id) : GPersistent(id) {}
GEmulateMarginsFilter::GEmulateMarginsFilter(const GEmulateMarginsFilter& other) : GPersistent(other) {}
GEmulateMarginsFilter::~GEmulateMarginsFilter() {}

GTransformAttribute GEmulateMarginsFilter::EmulationTransform(const GMedia& page, const GMedia& device,
                                                              uint32_t symmetric)
{
    const int64_t Pw = page.GetPaperSize().x, Ph = page.GetPaperSize().y;
    const int64_t Ox = page.GetImageableOrigin().x, Oy = page.GetImageableOrigin().y;
    const int64_t Sw = page.GetImageableExtent().x, Sh = page.GetImageableExtent().y;
    int64_t Dl = device.GetImageableOrigin().x, Dt = device.GetImageableOrigin().y;
    int64_t Dr = int64_t(device.GetPaperSize().x) - Dl - device.GetImageableExtent().x;
    int64_t Db = int64_t(device.GetPaperSize().y) - Dt - device.GetImageableExtent().y;
    if (symmetric) {
        Dl = Dr = std::max(Dl, Dr);
        Dt = Db = std::max(Dt, Db);
    }
    const int64_t Aw = Pw - Dl - Dr, Ah = Ph - Dt - Db;
    // Margins that leave no printable area, or a page that used none, give nothing to fit.
    return FitArea({Pw, Ph, Ox, Oy, Sw, Sh}, {Pw, Ph, Dl, Dt, Aw, Ah});
}

void GEmulateMarginsFilter::ComputeDeviceMedia(const GMedia& media)
{
    if (computed_ && !lastPageMedia_.Differs(&media))
        return;
    computed_ = 1;
    lastPageMedia_ = media;
    GMediaPool* pool = producer_ ? producer_->GetAttribute189() : nullptr;
    const uint16_t id = media.GetMediaId();
    const bool custom = id >= kCustomPaperCode;
    GMedia* found = pool ? pool->FindMedia(custom ? kCustomTemplateId : id, media.GetOrientation(), media.GetUnitsX(),
                                           media.GetUnitsY())
                         : nullptr;
    if (!found) {
        deviceMedia_ = media;
        filterTransform_ = GTransformAttribute();
        return;
    }
    if (!custom) {
        deviceMedia_ = *found;
        deviceMedia_.SetSecondString(media.GetSecondString());
    } else {
        deviceMedia_ = *found;
        const GMediaPair paper = media.GetPaperSize(), templatePaper = found->GetPaperSize();
        const GMediaPair templateExtent = found->GetImageableExtent();
        deviceMedia_.SetPaperSize(paper);
        deviceMedia_.SetImageableArea(found->GetImageableOrigin(),
                                      {uint16_t(paper.x - templatePaper.x + templateExtent.x),
                                       uint16_t(paper.y - templatePaper.y + templateExtent.y)});
        deviceMedia_.SetMediaId(id);
        deviceMedia_.SetSecondString(media.GetSecondString());
    }
    if (mode_ == 0)
        filterTransform_ = EmulationTransform(media, deviceMedia_, symmetric_);
}

GCountedRef GEmulateMarginsFilter::ProcessCommand(const GCountedRef& command)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return command;
    switch (target->ClassId()) {
    case kDocumentStartClassId: {
        producer_ = static_cast<GDocumentStart*>(target)->GetProducer();
        mode_ = 0, symmetric_ = 0, computed_ = 0;
        filterTransform_ = GTransformAttribute();
        lastPageMedia_ = deviceMedia_ = GMedia();
        GState* state = target->GetState();
        const GMedia* job = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
        jobMedia_ = job ? *job : GMedia();
        hasJobMedia_ = job != nullptr;
        // 711 alone makes the margins symmetric; 712 is not consulted.
        if (SettingOr(state, kEmulateMargins, 0) == 1) {
            flags_ = 42, mode_ = 0, symmetric_ = 1;
            Activate();
        } else if (SettingOr(state, kDeviceMediaOnly, 0) == 1) {
            flags_ = 42, mode_ = 1;
            Activate();
        } else {
            flags_ = 0;
            Deactivate();
        }
        return command;
    }
    case kPageStartClassId: {
        const GMedia* named = GDriverObject::Feature<GMedia>(target->GetState(), kDocumentMedia);
        if (!named && !hasJobMedia_)
            return command;
        const GMedia media = named ? *named : jobMedia_;
        GState* state = OwnState(*target);
        GObjectBase::Drop(state->RemoveById(kDocumentMedia));
        ComputeDeviceMedia(media);
        GMedia* device = new GMedia(deviceMedia_);
        device->SetId(kDocumentMedia);
        state->Add(device);
        const GTransformAttribute* own = dynamic_cast<const GTransformAttribute*>(state->FindByClassId(103));
        const GTransformAttribute page = own ? GTransformAttribute(*own) : DefaultPageTransform(&media);
        if (mode_ == 0) {
            PutComposed(state, filterTransform_, page);
        } else if (!own) {
            state->Add(new GTransformAttribute(page));
        }
        return command;
    }
    case kDocumentEndClassId:
        flags_ = kIdleFlags;
        return command;
    default:
        return mode_ == 0 ? ComposeIntoCommand(command) : command;
    }
}

std::pair<float, float> GEmulateMarginsFilter::GetScale(void* context, void* device, void*, uint32_t* mode)
{
    if (mode && *mode == 3)
        return {0.0f, 0.0f};
    GObjectBase* state = static_cast<GObjectBase*>(context);
    const GMedia* media = GDriverObject::Feature<GMedia>(static_cast<GObjectBase*>(device), kDocumentMedia);
    if (SettingOr(state, kEmulateMargins, 0) != 1 || !media)
        return {1.0f, 1.0f};
    symmetric_ = 1;
    mode_ = 0;
    ComputeDeviceMedia(*media);
    return {filterTransform_.GetScaleX(), filterTransform_.GetScaleY()};
}
