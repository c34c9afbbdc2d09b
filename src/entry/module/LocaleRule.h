// Which C runtime locale categories the module sets to the system code page (".ACP"):
// all of them for Chinese, Japanese and Korean system languages, the character types
// only for every other language. A pure function of the language id, so the module can
// make a private locale with it: the process-wide locale belongs to the host, and the C
// runtime is shared with it.
#pragma once

#include <cstdint>

// LC_ALL or LC_CTYPE for the language id (its primary language is the low 8 bits).
int LocaleCategoryFor(uint16_t languageId);
