// Whether the stapler staples ("printing/StaplerChoice", 362 / 278), read only when the
// device has a stapler (365 / 311). "Stitching" as the stapling option leaves the choice
// alone. The stapling option follows in both directions, whatever this feature gave.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class StaplerChoiceTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit StaplerChoiceTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}

protected:
    // An import only with a stapler.
    int32_t Ahead(GObjectBase* settings, Direction direction) override;
    // No row while the stapling option is "Stitching".
    const TranslatorOption* ChooseRow(const TranslatorDescription& description, const wchar_t* keyword) override;
    // The stapling option, whose result does not count.
    int32_t AfterScan(const TranslatorDescription& description, GObjectBase* settings, GAttributeComposite* changes,
                      FeatureSetting choice, const wchar_t* keyword) override;
    int32_t AfterExport(GObjectBase* settings, int32_t exported) override;
};
