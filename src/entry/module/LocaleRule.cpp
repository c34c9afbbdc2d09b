#include "entry/module/LocaleRule.h"

#include <clocale>

namespace {

// Primary languages whose text needs every category in the system code page.
const uint8_t kWholeLocaleLanguages[] = {
    0x04, // Chinese
    0x11, // Japanese
    0x12, // Korean
};

} // namespace

int LocaleCategoryFor(uint16_t languageId)
{
    const uint8_t primary = static_cast<uint8_t>(languageId & 0xFF);
    for (uint8_t language : kWholeLocaleLanguages)
        if (language == primary)
            return LC_ALL;
    return LC_CTYPE;
}
