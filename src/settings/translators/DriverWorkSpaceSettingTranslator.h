// The driver's work space ("physical/DriverWorkSpaceSetting"), a number whose low 16 bits
// are not 0. The import walks 365 / 202; the export looks 202 up anywhere in the tree once
// 365 exists.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class DriverWorkSpaceSettingTranslator : public FeatureTranslator {
public:
    static const TranslatorDescription kImport;
    static const TranslatorDescription kExport;

    explicit DriverWorkSpaceSettingTranslator(GDMCLibrary& library) : FeatureTranslator(library) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
    int32_t FromAttributes(GObjectBase* settings) override;
};
