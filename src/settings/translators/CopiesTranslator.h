// The copy count (numeric "printing/Copies"): any number whose low 16 bits are not 0; a
// negative one is kept as its 16-bit two's complement.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class CopiesTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit CopiesTranslator(GDMCLibrary& library) : FeatureTranslator(library) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override { return ExportNumeric(kDescription, settings); }
};
