// The printer's hard disk is installed ("physical/PrinterHardDisk").
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class PrinterHardDiskTranslator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;

    explicit PrinterHardDiskTranslator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
};
