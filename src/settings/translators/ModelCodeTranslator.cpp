#include "settings/translators/ModelCodeTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GPaperHandlingDevice.h"
#include "settings/dmc/GDMCLibrary.h"

#include <cstring>
#include <vector>

ModelCodeTranslator::ModelCodeTranslator(GDMCLibrary& library, GDriverObject* driver, const wchar_t* path,
                                         uint16_t textId, const wchar_t* notInstalled)
    : FeatureTranslator(library), driver_(driver), path_(path), textId_(textId), notInstalled_(notInstalled)
{
}

GStringAttribute* ModelCodeTranslator::FindModelText(GObjectBase* settings) const
{
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    return GDriverObject::Feature<GStringAttribute>(device, textId_);
}

int32_t ModelCodeTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite*)
{
    GStringAttribute* text = FindModelText(settings);
    if (!text)
        return 0;
    std::vector<wchar_t> keyword(kTextBytes, wchar_t(0x2020));
    keyword.back() = 0;
    if (!Library().SetContext(path_))
        return 0;
    Library().Get(nullptr, keyword.data(), keyword.size());
    char narrow[kTextBytes];
    std::memset(narrow, ' ', sizeof narrow);
    narrow[kTextBytes - 1] = 0;
    Library().WideToChar(narrow, sizeof narrow, keyword.data());
    narrow[kTextBytes - 1] = 0;
    if (GDMCLibrary::KeywordEquals(keyword.data(), notInstalled_))
        text->SetString("");
    else
        text->SetString(RWCString(narrow, strnlen(narrow, kTextBytes - 1)));
    AfterImport(settings, keyword.data());
    MarkInstalled(text->GetString().Data(), text->GetString().Length());
    return 1;
}

void ModelCodeTranslator::MarkInstalled(const char* text, size_t length)
{
    GConfiguration* configuration = driver_ ? driver_->GetPrinterConfiguration() : nullptr;
    GObjectBase* devices = configuration ? configuration->FindById(FeatureId::kInputDevices) : nullptr;
    GObjectIterator* it = devices ? devices->CreateIterator() : nullptr;
    if (!it)
        return;
    while (it->Next()) {
        GObjectBase* member = it->Current();
        if (!member || !member->IsKindOf(GPaperHandlingDevice::kClassId))
            continue;
        GPaperHandlingDevice* device = static_cast<GPaperHandlingDevice*>(member);
        const RWCString name = device->GetName();
        if (name.Length() == length && std::memcmp(name.Data(), text, length) == 0) {
            device->SetCount(1);
            break;
        }
    }
    delete it;
}

int32_t ModelCodeTranslator::FromAttributes(GObjectBase* settings)
{
    GStringAttribute* text = FindModelText(settings);
    if (!text)
        return 0;
    char narrow[kTextBytes] = {};
    const RWCString& stored = text->GetString();
    const size_t length = stored.Length() < kTextBytes - 1 ? stored.Length() : kTextBytes - 1;
    std::memcpy(narrow, stored.Data(), length);
    wchar_t wide[kTextBytes] = {};
    Library().CharToWide(wide, kTextBytes, narrow);
    wide[kTextBytes - 1] = 0;
    Library().SetExport(path_, narrow[0] ? wide : notInstalled_);
    return 1;
}
