// The installed output accessory ("physical/AccessoryOutputBins", 365 / 316, text): its
// model code, or empty for "NotInstalled". Stapling accessories set the stapler flag
// (311); the "W1908" finisher also sets 981.
#pragma once

#include "settings/translators/ModelCodeTranslator.h"

class AccessoryOutputBinsTranslator : public ModelCodeTranslator {
public:
    // The accessories that carry a stapler.
    static const wchar_t* const kStaplers[6];
    static constexpr const wchar_t* kFinisher = L"W1908";

    AccessoryOutputBinsTranslator(GDMCLibrary& library, GDriverObject* driver);

protected:
    void AfterImport(GObjectBase* settings, const wchar_t* keyword) override;
};
