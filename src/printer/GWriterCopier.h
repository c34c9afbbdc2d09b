// How the printer installs a copy of a writer it is handed without naming the writers,
// which live above it: each writer's source registers its copier here at start-up.
#pragma once

#include "foundation/RWCollectable.h"

class GPeripheral;

template <class Writer>
struct GWriterCopier {
    static inline GPeripheral* (*copy)(const Writer& writer) = nullptr;
};

// Called once from the writer's own source, where the writer is a complete class.
template <class Writer>
bool RegisterWriterCopier()
{
    GWriterCopier<Writer>::copy = [](const Writer& writer) -> GPeripheral* { return new Writer(writer); };
    return true;
}

// The class id of the page-description writer base (GPdlWriter), by which the printer
// tells a writer among its members.
constexpr RWClassID kPdlWriterClassId = 765;
