// The producer of a job's commands, as the commands see it: the document start names
// the producer that issued the job, and stores it by the key the producer gives for
// itself. The producer owns the job's fonts (GFontOwner): a spooled page reloads them
// from its font database before it is replayed. The producer's job operations live
// with the concrete producer.
#pragma once

#include "graphics/GFontOwner.h"

#include <cstdint>

class GCommandProducer : public GFontOwner {
public:
    ~GCommandProducer() override;
};
