// Drives one job through a producer in the page-drawing module's order: configure, name
// the document and the output, begin, each page (begin, its drawings, end), the document
// end through Send, and the font pool closed at the end of the job.
#pragma once

#include "foundation/RWWString.h"

#include <cstdint>
#include <functional>
#include <vector>

class GCommandProducer;

struct PageDrawJob {
    RWWString document = L"Report";
    RWWString output = L"FILE:";
    uint32_t pages = 1;
    // Draws page n (1-based); by default one rectangle whose left edge is n.
    std::function<uint16_t(GCommandProducer&, uint32_t)> draw;
    // Leaves the font pool open after the document end.
    bool keepFontPool = false;
    // Sends a document break (718) before the document end.
    bool breakBeforeEnd = false;

    // The statuses of each call, in order; the job's result is the document end's.
    std::vector<uint16_t> statuses;
    uint16_t Run(GCommandProducer& producer);

    // Sends one rectangle whose left edge is the number.
    static uint16_t MarkPage(GCommandProducer& producer, uint32_t number);
};
