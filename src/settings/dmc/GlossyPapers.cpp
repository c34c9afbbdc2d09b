#include "settings/dmc/GlossyPapers.h"

#include <cstring>

namespace GlossyPapers {

const char* const kNames[kCount] = {
    "PhotoGloss",
    "QZ Laser Gloss 120g",
    "QZ Laser Gloss 160g",
    "QZ Photo Gloss 200g",
    "QZ Cover Gloss 250g",
};

bool Contains(const char* name)
{
    if (!name)
        return false;
    for (const char* glossy : kNames)
        if (std::strcmp(glossy, name) == 0)
            return true;
    return false;
}

} // namespace GlossyPapers
