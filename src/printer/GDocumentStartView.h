// How the printer reads a document start, whose class lives above it in the pipeline: its
// document part (names and channel) and its producer, as the provider registry's context.
// The pipeline registers both at start-up.
#pragma once

class GDocumentCommand;
class GDocumentStart;

struct GDocumentStartView {
    static inline GDocumentCommand* (*document)(GDocumentStart& command) = nullptr;
    static inline void* (*producer)(GDocumentStart& command) = nullptr;
};
