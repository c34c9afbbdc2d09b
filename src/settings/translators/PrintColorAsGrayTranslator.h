// Printing colour as grey ("printing/PrintColorAsGray", 364 / 296). When grey printing is
// on, its options follow. The export names 0 "Disable" and falls back to "FALSE" only when
// the configuration refuses that word; the feature carries the lock.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class PrintColorAsGrayTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit PrintColorAsGrayTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}

protected:
    // The grey options, in when grey printing is on, out always.
    int32_t AfterScan(const TranslatorDescription& description, GObjectBase* settings, GAttributeComposite* changes,
                      FeatureSetting grey, const wchar_t* keyword) override;
    int32_t AfterExport(GObjectBase* settings, int32_t exported) override;
};
