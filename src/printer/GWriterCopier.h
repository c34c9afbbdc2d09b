// How the printer installs a copy of a writer it is handed without naming the writers,
// which live above it: each writer's source registers its copier here at start-up.
#pragma once

#include "foundation/RWCollectable.h"

class GPeripheral;

template <class Writer>
struct GWriterCopier {
    static inline GPeripheral* (*copy)(const Writer& writer) = nullptr;
};

// The class id of the page-description writer base (GPdlWriter), by which the printer
// tells a writer among its members.
constexpr RWClassID kPdlWriterClassId = 765;
