#include "settings/translators/OptionalPaperSourcesTranslator.h"

#include "model/GFeatureIds.h"

OptionalPaperSourcesTranslator::OptionalPaperSourcesTranslator(GDMCLibrary& library, GDriverObject* driver)
    : ModelCodeTranslator(library, driver, L"physical/OptionalPaperSources", FeatureId::kOptionalSourcesModel,
                          L"None")
{
}
