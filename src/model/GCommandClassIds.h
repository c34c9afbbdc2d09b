// The class ids of the job commands, for the code that tells commands apart by class: below
// the pipeline (the extension values, the printer) and the page filters. The command classes
// carry the same ids; the pipeline's tests hold them to these.
#pragma once

#include "foundation/RWCollectable.h"

constexpr RWClassID kDocumentStartClassId = 705;
constexpr RWClassID kDocumentEndClassId = 706;
constexpr RWClassID kPageStartClassId = 709;
constexpr RWClassID kPageEndClassId = 710;
constexpr RWClassID kJobAbortClassId = 713;
