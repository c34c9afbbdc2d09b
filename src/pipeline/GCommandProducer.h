// The producer of a job's commands, as the commands see it: the document start names
// the producer that issued the job, and stores it by the key the producer gives for
// itself. The producer's job operations live with the concrete producer.
#pragma once

#include <cstdint>

class GFontPool;

class GCommandProducer {
public:
    virtual ~GCommandProducer();

    // The number under which the driver server finds this producer again.
    virtual uint32_t GetProducerKey() const = 0;
    // The job's font database, which spooled pages reload before they are replayed;
    // null for a producer that keeps none.
    virtual GFontPool* GetFontPool();
};
