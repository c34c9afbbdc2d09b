#include "PageDrawProducer.h"

#include "graphics/GPathGraphic.h"
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
