#include "settings/translators/WatermarkLeafTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"

GAttributeComposite* WatermarkLeafTranslator::FindDefinition(GObjectBase* settings)
{
    GAttributeComposite* document =
        GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDocumentSettings);
    return GDriverObject::Feature<GAttributeComposite>(document, FeatureId::kWatermarkDefinition);
}

void WatermarkLeafTranslator::CreateDefaults(GObjectBase* settings) const
{
    GAttributeComposite* definition = FindDefinition(settings);
    if (!definition)
        return;
    for (size_t i = 0; i < defaultCount_; ++i)
        if (!definition->FindById(defaults_[i].id))
            definition->Add(new GValueAttribute(defaults_[i].value, defaults_[i].id));
}

TranslatorDescription WatermarkLeafTranslator::LeafOnly() const
{
    TranslatorDescription leafOnly = Description();
    leafOnly.idPath += leafOnly.idCount - 1;
    leafOnly.idCount = 1;
    return leafOnly;
}

int32_t WatermarkLeafTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    CreateDefaults(settings);
    return ImportEnumerated(Description(), settings, changes);
}

int32_t WatermarkLeafTranslator::FromAttributes(GObjectBase* tree)
{
    if (exportFromRoot_)
        return ExportEnumerated(Description(), tree);
    const TranslatorDescription leafOnly = LeafOnly();
    return ExportEnumerated(leafOnly, tree);
}
