#include "settings/translators/NamedFeatureTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

const wchar_t kNone[] = L"None";
const wchar_t kNoneExport[] = L"none";

} // namespace

const NamedFeature NamedFeatureTranslator::kFeatures[2] = {
    {1205, L"QZPostInsertionKit", L"physical/QZPostInsertionKit"},
    {1203, L"QZPunchUnitType", L"physical/QZPunchUnitType"},
};

NamedFeatureTranslator::NamedFeatureTranslator(GDMCLibrary& library, const wchar_t* key, GDriverObject* driver)
    : FeatureTranslator(library), driver_(driver)
{
    for (const NamedFeature& feature : kFeatures) {
        if (key && GDMCLibrary::KeywordEquals(key, feature.key)) {
            attributeId_ = feature.attributeId;
            featurePath_ = feature.featurePath;
            break;
        }
    }
}

int32_t NamedFeatureTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    if (!device || !featurePath_)
        return 0;
    std::vector<wchar_t> keyword(kKeywordChars, wchar_t(0x2020));
    keyword.back() = 0;
    if (!Library().SetContext(featurePath_))
        return 0;
    Library().Get(nullptr, keyword.data(), keyword.size());
    GObjectBase* attribute = device->FindById(long(attributeId_));
    if (!attribute)
        return 0;
    const bool none = GDMCLibrary::KeywordEquals(keyword.data(), kNone) != 0;
    if (attribute->IsKindOf(GValueAttribute::kClassId)) {
        static_cast<GValueAttribute*>(attribute)->SetValue(none ? 0 : 1);
    } else if (attribute->IsKindOf(GStringAttribute::kClassId)) {
        // The binding writes at most the buffer's size less one and terminates it: the
        // name is cut at 127 bytes, never written past the buffer.
        char narrow[kNarrowBytes];
        std::memset(narrow, ' ', sizeof narrow);
        narrow[kNarrowBytes - 1] = 0;
        Library().WideToChar(narrow, kNarrowBytes, keyword.data());
        narrow[kNarrowBytes - 1] = 0;
        static_cast<GStringAttribute*>(attribute)->SetString(none ? "" : narrow);
    } else {
        return 0;
    }
    if (changes)
        changes->Add(attribute->Copy());
    return 1;
}

int32_t NamedFeatureTranslator::ExportNarrow(const char* text, size_t length, bool noneWhenEmpty)
{
    // A bounded copy: a longer name is cut at 127 bytes rather than overrunning the buffer.
    char narrow[kNarrowBytes] = {};
    std::memcpy(narrow, text, std::min(length, kNarrowBytes - 1));
    wchar_t wide[kWideChars] = {};
    Library().CharToWide(wide, kWideChars, narrow);
    wide[kWideChars - 1] = 0;
    Library().SetExport(featurePath_, noneWhenEmpty && wide[0] == 0 ? kNoneExport : wide);
    return 1;
}

int32_t NamedFeatureTranslator::FromAttributes(GObjectBase* settings)
{
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    GObjectBase* attribute = device && featurePath_ ? device->FindById(long(attributeId_)) : nullptr;
    if (!attribute)
        return 0;
    if (attribute->IsKindOf(GStringAttribute::kClassId)) {
        const RWCString& text = static_cast<GStringAttribute*>(attribute)->GetString();
        return ExportNarrow(text.Data(), text.Length(), true);
    }
    if (!attribute->IsKindOf(GValueAttribute::kClassId))
        return 0;
    if (static_cast<GValueAttribute*>(attribute)->GetValue() == 0) {
        Library().SetExport(featurePath_, kNoneExport);
        return 1;
    }
    GConfiguration* configuration = driver_ ? driver_->GetPrinterConfiguration() : nullptr;
    GObjectBase* root = configuration ? configuration->FindById(FeatureId::kDeviceQueryRoot) : nullptr;
    GObjectBase* options = GDriverObject::Feature<GAttributeComposite>(root, FeatureId::kDeviceOptions);
    if (!options)
        return 0;
    // Every member naming this feature is exported; the answer is 1 only when one was.
    int32_t result = 0;
    if (GObjectIterator* it = options->CreateIterator()) {
        while (it->Next()) {
            GObjectBase* member = it->Current();
            GValueAttribute* target = GDriverObject::Feature<GValueAttribute>(member, FeatureId::kOptionTarget);
            GStringAttribute* name = GDriverObject::Feature<GStringAttribute>(member, FeatureId::kOptionModel);
            if (!target || static_cast<int16_t>(target->GetValue()) != static_cast<int32_t>(attributeId_) || !name)
                continue;
            result = ExportNarrow(name->GetString().Data(), name->GetString().Length(), false);
        }
        delete it;
    }
    return result;
}
