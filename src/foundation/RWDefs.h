// Definitions shared by the whole foundation library.
#pragma once

#include <cstddef>

// No position: the answer of every search that finds nothing, the start of a null
// span, and the index that is never a position.
const size_t RW_NPOS = static_cast<size_t>(-1);
