#include "PageDrawJob.h"

#include "graphics/GRectangleGraphic.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentBreak.h"
#include "pipeline/GDocumentEnd.h"
#include "graphics/GGraphicBundle.h"

uint16_t PageDrawJob::MarkPage(GCommandProducer& producer, uint32_t number)
{
    const GRect bounds{int16_t(number), 10, int16_t(number + 100), 110};
    return producer.Send(new GRectangleGraphic(bounds, new GGraphicBundle(0), 0));
}

uint16_t PageDrawJob::Run(GCommandProducer& producer)
{
    producer.ConfigureFromSettings();
    producer.SetDocument(document, output);
    statuses.push_back(producer.BeginDocument());
    for (uint32_t page = 1; page <= pages; ++page) {
        producer.BeginPage();
        statuses.push_back(draw ? draw(producer, page) : MarkPage(producer, page));
        statuses.push_back(producer.FinishPage());
    }
    if (breakBeforeEnd)
        statuses.push_back(producer.Send(new GDocumentBreak(0)));
    const uint16_t status = producer.Send(producer.MakeDocumentEnd());
    statuses.push_back(status);
    if (!keepFontPool)
        producer.CloseFontPool();
    return status;
}
