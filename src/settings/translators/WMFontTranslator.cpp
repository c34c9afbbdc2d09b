#include "settings/translators/WMFontTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

#include <cstring>
#include <vector>

namespace {

const uint32_t kIdPath[] = {364, 379, 386};
const char kDefaultFace[] = "Arial";

} // namespace

const TranslatorDescription WMFontTranslator::kDescription = {
    L"printing/Watermarks/WMFont", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, nullptr, 0, false};

const WatermarkDefault WMFontTranslator::kDefaults[] = {{387, 0}};

const WatermarkFace WMFontTranslator::kFaces[] = {
    {"Times New Roman", L"Times New Roman"},
    {"Courier New", L"Courier New"},
    {"Helvetica", L"Helvetica"},
    {"Arial", L"Arial"},
};
const uint16_t WMFontTranslator::kFaceCount = CountOf(kFaces);

WMFontTranslator::WMFontTranslator(GDMCLibrary& library)
    : WatermarkLeafTranslator(library, kDescription, kDefaults, CountOf(kDefaults), false)
{
}

int32_t WMFontTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    GAttributeComposite* definition = FindDefinition(settings);
    if (definition && !definition->FindById(FeatureId::kWatermarkFont))
        definition->Add(new GStringAttribute(kDefaultFace, FeatureId::kWatermarkFont));
    CreateDefaults(settings);
    GStringAttribute* face = GDriverObject::Feature<GStringAttribute>(definition, FeatureId::kWatermarkFont);
    if (!face)
        return 0;
    std::vector<wchar_t> buffer(kDescription.bufferChars, wchar_t(0x2020));
    buffer.back() = 0;
    if (!Library().SetContext(kDescription.featurePath))
        return 0;
    Library().Get(nullptr, buffer.data(), buffer.size());
    for (const WatermarkFace& row : kFaces) {
        if (GDMCLibrary::KeywordEquals(row.keyword, buffer.data())) {
            face->SetString(row.face);
            if (changes)
                changes->Add(face->Copy());
            return 1;
        }
    }
    return 0;
}

int32_t WMFontTranslator::FromAttributes(GObjectBase* definition)
{
    GStringAttribute* face = GDriverObject::Feature<GStringAttribute>(definition, FeatureId::kWatermarkFont);
    if (!face)
        return 0;
    const RWCString& text = face->GetString();
    if (text.Length() >= kFaceBytes)
        return 0;
    char name[kFaceBytes] = {};
    std::memcpy(name, text.Data(), text.Length());
    for (const WatermarkFace& row : kFaces) {
        if (std::strlen(row.face) == text.Length() && std::memcmp(row.face, name, text.Length()) == 0) {
            Library().SetExport(kDescription.featurePath, row.keyword);
            return 1;
        }
    }
    return 0;
}
