// Text printed in black ("printing/TextAsBlack"). Its attribute (585) may sit anywhere in the
// tree: it is looked for from the root once the job settings (362) were found.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class TextAsBlackTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit TextAsBlackTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
