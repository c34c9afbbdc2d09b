#include "settings/translators/WatermarksTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"
#include "settings/translators/WMColorTranslator.h"
#include "settings/translators/WMFirstPageOnlyTranslator.h"
#include "settings/translators/WMFontEscapementTranslator.h"
#include "settings/translators/WMFontStyleTranslator.h"
#include "settings/translators/WMFontTranslator.h"
#include "settings/translators/WMShadeLevelTranslator.h"

#include <cstring>
#include <vector>

namespace {

const uint32_t kIdPath[] = {364, 379, 1112};
const TranslatorOption kOptions[] = {
    {0, L"None"},
    {1, L"Confidential"},
    {2, L"Draft"},
    {3, L"Sample"},
};

bool SameText(const RWCString& a, const RWCString& b)
{
    return a.Length() == b.Length() && std::memcmp(a.Data(), b.Data(), a.Length()) == 0;
}

// The first definition of the list (composites only) for which the test holds.
template <class Test>
GAttributeComposite* FindDefinition(GAttributeComposite* list, Test test)
{
    GObjectIterator* it = list->CreateIterator();
    if (!it)
        return nullptr;
    GAttributeComposite* found = nullptr;
    while (!found && it->Next()) {
        GObjectBase* member = it->Current();
        if (member && member->IsKindOf(GAttributeComposite::kClassId) && test(static_cast<GAttributeComposite*>(member)))
            found = static_cast<GAttributeComposite*>(member);
    }
    delete it;
    return found;
}

} // namespace

const TranslatorDescription WatermarksTranslator::kDescription = {
    L"printing/Watermarks", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 128,
    TranslatorLock::kNone, 0, true, kOptions, CountOf(kOptions), false};

const uint16_t WatermarksTranslator::kLookValues[11] = {390, 1112, 403, 388, 382, 393, 394, 398, 399, 400, 387};
const uint16_t WatermarksTranslator::kLookText = 386;

WatermarksTranslator::WatermarksTranslator(GDMCLibrary& library)
    : FeatureTranslator(library), optionCount_(kDescription.optionCount)
{
}

int32_t WatermarksTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    GAttributeComposite* job = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDocumentSettings);
    GAttributeComposite* current = GDriverObject::Feature<GAttributeComposite>(job, FeatureId::kWatermarkDefinition);
    GStringAttribute* text = GDriverObject::Feature<GStringAttribute>(current, FeatureId::kWatermarkSelected);
    GValueAttribute* index = GDriverObject::Feature<GValueAttribute>(current, FeatureId::kWatermarkIndex);
    if (!text || !index)
        return 0;
    std::vector<wchar_t> keyword(kDescription.bufferChars, wchar_t(0x2020));
    keyword.back() = 0;
    if (!Library().SetContext(kDescription.featurePath))
        return 0;
    Library().Get(nullptr, keyword.data(), keyword.size());
    const TranslatorOption* row = FindKeyword(kDescription, keyword.data());
    if (!row)
        return 0;
    GAttributeComposite* list = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kWatermarkList);
    if (!list)
        return 1;
    const uint16_t wanted = row->value;
    GAttributeComposite* definition = FindDefinition(list, [wanted](GAttributeComposite* candidate) {
        GValueAttribute* its = GDriverObject::Feature<GValueAttribute>(candidate, FeatureId::kWatermarkIndex);
        return its && its->GetValue() == wanted;
    });
    if (definition)
        if (GStringAttribute* name = GDriverObject::Feature<GStringAttribute>(definition, FeatureId::kWatermarkName)) {
            text->SetString(name->GetString());
            index->SetValue(wanted);
            if (changes) {
                changes->Add(text->Copy());
                changes->Add(index->Copy());
            }
        }
    WMShadeLevelTranslator(Library()).ToAttributes(settings, changes);
    WMFontStyleTranslator(Library()).ToAttributes(settings, changes);
    WMFirstPageOnlyTranslator(Library()).ToAttributes(settings, changes);
    WMFontEscapementTranslator(Library()).ToAttributes(settings, changes);
    WMFontTranslator(Library()).ToAttributes(settings, changes);
    WMColorTranslator(Library()).ToAttributes(settings, changes);
    if (definition) {
        for (uint16_t id : kLookValues) {
            GValueAttribute* from = GDriverObject::Feature<GValueAttribute>(current, id);
            GValueAttribute* to = GDriverObject::Feature<GValueAttribute>(definition, id);
            if (from && to)
                to->SetValue(from->GetValue());
        }
        GStringAttribute* from = GDriverObject::Feature<GStringAttribute>(current, kLookText);
        GStringAttribute* to = GDriverObject::Feature<GStringAttribute>(definition, kLookText);
        if (from && to)
            to->SetString(from->GetString());
    }
    return 1;
}

int32_t WatermarksTranslator::FromAttributes(GObjectBase* settings)
{
    const TranslatorOption* exported = nullptr;
    const int32_t result = ExportEnumerated(kDescription, settings, &exported);
    if (result != 1 || exported->value == 0)
        return result;
    GAttributeComposite* job = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDocumentSettings);
    GAttributeComposite* current = GDriverObject::Feature<GAttributeComposite>(job, FeatureId::kWatermarkDefinition);
    GStringAttribute* text = GDriverObject::Feature<GStringAttribute>(current, FeatureId::kWatermarkSelected);
    GAttributeComposite* list = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kWatermarkList);
    if (!text || !list)
        return 0;
    const RWCString wanted = text->GetString();
    GAttributeComposite* definition = FindDefinition(list, [&wanted](GAttributeComposite* candidate) {
        GStringAttribute* its = GDriverObject::Feature<GStringAttribute>(candidate, FeatureId::kWatermarkName);
        return its && SameText(its->GetString(), wanted);
    });
    if (!definition)
        return 1;
    WMFontTranslator(Library()).FromAttributes(definition);
    WMShadeLevelTranslator(Library()).FromAttributes(definition);
    WMColorTranslator(Library()).FromAttributes(definition);
    WMFirstPageOnlyTranslator(Library()).FromAttributes(settings);
    WMFontStyleTranslator(Library()).FromAttributes(definition);
    WMFontEscapementTranslator(Library()).FromAttributes(definition);
    return 1;
}
