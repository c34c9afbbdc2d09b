#include "settings/translators/AccessoryOutputBinsTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

const wchar_t* const AccessoryOutputBinsTranslator::kStaplers[6] = {L"K5931", L"W1905", L"W1908",
                                                                    L"K6375A", L"K6375", L"K2817"};

AccessoryOutputBinsTranslator::AccessoryOutputBinsTranslator(GDMCLibrary& library, GDriverObject* driver)
    : ModelCodeTranslator(library, driver, L"physical/AccessoryOutputBins", FeatureId::kAccessoryModel,
                          L"NotInstalled")
{
}

void AccessoryOutputBinsTranslator::AfterImport(GObjectBase* settings, const wchar_t* keyword)
{
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    for (const wchar_t* stapler : kStaplers) {
        if (!GDMCLibrary::KeywordEquals(keyword, stapler))
            continue;
        if (GValueAttribute* present = GDriverObject::Feature<GValueAttribute>(device, FeatureId::kStaplerPresent))
            present->SetValue(1);
        break;
    }
    if (GDMCLibrary::KeywordEquals(keyword, kFinisher))
        if (GValueAttribute* finisher = GDriverObject::Feature<GValueAttribute>(device, FeatureId::kStaplerFinisher))
            finisher->SetValue(1);
}
