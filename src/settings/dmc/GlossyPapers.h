// The glossy photo papers: with one of them as the job's media the job is marked glossy
// (1029) when the configuration's defaults are imported. The branded rows of the media
// table carry the same names.
#pragma once

#include <cstddef>

namespace GlossyPapers {

constexpr size_t kCount = 5;
extern const char* const kNames[kCount];

// Exactly one of the names (case counts).
bool Contains(const char* name);

} // namespace GlossyPapers
