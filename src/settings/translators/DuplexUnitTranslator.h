// The duplex unit is installed: read from "physical/DuplexUnit", written back under the
// lower-case "physical/duplexunit" the export section expects.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class DuplexUnitTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit DuplexUnitTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
