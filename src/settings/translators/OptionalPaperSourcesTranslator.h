// The installed optional paper source ("physical/OptionalPaperSources", 365 / 315, text):
// its model code, or empty for "None".
#pragma once

#include "settings/translators/ModelCodeTranslator.h"

class OptionalPaperSourcesTranslator : public ModelCodeTranslator {
public:
    OptionalPaperSourcesTranslator(GDMCLibrary& library, GDriverObject* driver);
};
