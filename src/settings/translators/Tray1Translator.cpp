#include "settings/translators/Tray1Translator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

#include <vector>

namespace {

const uint32_t kIdPath[] = {365, 974};
const TranslatorOption kOptions[] = {{0, L"NotInstalled"}, {1, L"Installed"}};

} // namespace

const TranslatorDescription Tray1Translator::kDescription = {
    L"physical/Tray1", nullptr, kIdPath, CountOf(kIdPath), TranslatorRecord::kNone, 255,
    TranslatorLock::kNone, 0, false, kOptions, CountOf(kOptions), false};

int32_t Tray1Translator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    FeatureSetting installed = FindAttribute(kDescription, settings);
    if (!installed)
        return 0;
    std::vector<wchar_t> buffer(kDescription.bufferChars, wchar_t(0x2020));
    buffer.back() = 0;
    if (!Library().SetContext(kDescription.featurePath))
        return 0;
    Library().Get(nullptr, buffer.data(), buffer.size());
    int32_t result = 0;
    if (const TranslatorOption* row = FindKeyword(kDescription, buffer.data())) {
        TakeValue(kDescription, installed, row->value, changes);
        result = 1;
    }
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    if (GValueAttribute* source = GDriverObject::Feature<GValueAttribute>(device, FeatureId::kTray1Source))
        source->SetValue(installed->GetValue() == 1 ? kSourceInstalled : kSourceMissing);
    return result;
}
