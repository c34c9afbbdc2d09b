#include "PageDrawProducer.h"

#include "graphics/GBrush.h"
#include "graphics/GColorPaint.h"
#include "graphics/GGraphicBundle.h"
#include "graphics/GPathGraphic.h"
#include "graphics/GRGBColor.h"
#include "graphics/GRectangleGraphic.h"
#include "printer/GMedia.h"
#include "printer/GDriverServer.h"
#include "model/GState.h"

GObjectBase* PageDrawProducer::CreateSettings()
{
    GState* settings = new GState(0);
    for (long id : {329L, 362L, 363L, 364L, 365L})
        settings->Add(new GState(id));
    return settings;
}

uint32_t PageDrawProducer::GetProducerKey() const
{
    if (fixedKey)
        return key;
    if (key_ == 0)
        if (GDriverServer* server = GDriverServer::Instance()) {
            uint32_t ticket = 0;
            if (server->FindSecondaryTicket(ticket, this))
                key_ = ticket;
        }
    return key_;
}

uint16_t PageDrawProducer::PaintPath(uint32_t)
{
    ++paints;
    GPathGraphic* path = GetOpenPath();
    return path ? Send(path->Copy()) : 0;
}

uint32_t PageDrawProducer::RequestWatermarkFont(uint32_t, uint32_t, uint32_t extentWord)
{
    ++fontRequests;
    if (extentWord)
        *reinterpret_cast<uint32_t*>(uintptr_t(extentWord)) = 0x00640032;
    return watermarkHandle;
}

void PageDrawProducer::ReleaseWatermarkFont(uint32_t handle)
{
    ++fontReleases;
    if (handle)
        *reinterpret_cast<uint32_t*>(uintptr_t(handle)) = 0;
}

GCommand* PageDrawProducer::MakeWatermarkGraphic(const RWWString& message, uint32_t handle, uint32_t, uint32_t color,
                                                 uint32_t media, uint32_t)
{
    if (!handle)
        return nullptr;
    lastWatermark = message;
    const GRGBColor* colour = reinterpret_cast<const GRGBColor*>(uintptr_t(color));
    const GMedia* paper = reinterpret_cast<const GMedia*>(uintptr_t(media));
    GGraphicBundle* bundle = new GGraphicBundle;
    bundle->SetBrush(new GBrush(new GColorPaint(colour ? new GRGBColor(*colour) : new GRGBColor), 0));
    const GMediaPair size = paper ? paper->GetPaperSize() : GMediaPair{0, 0};
    return new GRectangleGraphic(GRect{0, 0, int16_t(size.x), int16_t(size.y)}, bundle, 0);
}
