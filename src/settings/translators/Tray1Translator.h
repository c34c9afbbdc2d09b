// Whether tray 1 is installed ("physical/Tray1"). Once the configuration was asked, the
// device's tray-1 source (365 / 274) follows what 974 holds: 8 installed, 7 not.
#pragma once

#include "settings/dmc/FeatureTranslator.h"

class Tray1Translator : public DescribedTranslator {
public:
    static const TranslatorDescription kDescription;
    static constexpr uint16_t kSourceInstalled = 8;
    static constexpr uint16_t kSourceMissing = 7;

    explicit Tray1Translator(GDMCLibrary& library) : DescribedTranslator(library, kDescription) {}
    int32_t ToAttributes(GObjectBase* settings, GAttributeComposite* changes) override;
};
