#include "settings/translators/BundlesTranslator.h"

#include "foundation/RWWString.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kBundlesPath[] = L"physical/Bundles";

// The text as wide characters, byte for byte: the model names are plain ASCII.
std::wstring Widened(const char* text, size_t length)
{
    std::wstring wide;
    wide.reserve(length);
    for (size_t i = 0; i < length; ++i)
        wide.push_back(wchar_t(static_cast<unsigned char>(text[i])));
    return wide;
}

// The direct member of the composite with the id, or null.
GObjectBase* DirectMember(GAttributeComposite* composite, long id)
{
    GObjectBase* found = nullptr;
    if (GObjectIterator* it = composite->CreateIterator()) {
        while (!found && it->Next())
            if (it->Current() && it->Current()->GetId() == id)
                found = it->Current();
        delete it;
    }
    return found;
}

} // namespace

const BundleName BundlesTranslator::kBundles[kBundleCount] = {
    {"QZColourLaser", L"QZColourLaser"},
    {"QZColourLaser n", L"QZColourLaser n"},
    {"QZColourLaser dn", L"QZColourLaser dn"},
    {"QZColourLaser dtn", L"QZColourLaser dtn"},
    {"QZColourLaser hdn", L"QZColourLaser hdn"},
    {"QZColourLaser dtns", L"QZColourLaser dtns"},
    {"QZColourLaser dxt", L"QZColourLaser dxt"},
    {"QZColourLaser hdt", L"QZColourLaser hdt"},
    {"QZColourLaser gn", L"QZColourLaser gn"},
    {"QZColourLaser ln", L"QZColourLaser ln"},
    {"QZColourLaser mfp", L"QZColourLaser mfp"},
    {"QZColourLaser dn2", L"QZColourLaser dn2"},
    {"QZColourLaser pro", L"QZColourLaser pro"},
    {"QZColourLaser plus", L"QZColourLaser plus"},
    {"QZColourLaser se", L"QZColourLaser se"},
    {"QZColourLaser x", L"QZColourLaser x"},
    {"QZColourLaser xd", L"QZColourLaser xd"},
    {"QZColourLaser xt", L"QZColourLaser xt"},
    {"QZColourLaser 3700", L"QZColourLaser 3700"},
    {"QZColourLaser 3700 n", L"QZColourLaser 3700 n"},
    {"QZColourLaser 3700 dn", L"QZColourLaser 3700 dn"},
    {"QZColourLaser 3700 dtn", L"QZColourLaser 3700 dtn"},
    {"QZColourLaser 3700 hdn", L"QZColourLaser 3700 hdn"},
    {"QZColourLaser 3700 dtns", L"QZColourLaser 3700 dtns"},
    {"QZColourLaser 3700 dxt", L"QZColourLaser 3700 dxt"},
    {"QZColourLaser 3700 hdt", L"QZColourLaser 3700 hdt"},
    {"QZColourLaser 3700 gn", L"QZColourLaser 3700 gn"},
    {"QZColourLaser 3700 ln", L"QZColourLaser 3700 ln"},
    {"QZColourLaser 3700 mfp", L"QZColourLaser 3700 mfp"},
    {"QZColourLaser 3700 dn2", L"QZColourLaser 3700 dn2"},
    {"QZColourLaser 3700 pro", L"QZColourLaser 3700 pro"},
    {"QZColourLaser 3700 plus", L"QZColourLaser 3700 plus"},
    {"QZColourLaser 3700 se", L"QZColourLaser 3700 se"},
    {"QZColourLaser 3700 x", L"QZColourLaser 3700 x"},
    {"QZColourLaser 3700 xd", L"QZColourLaser 3700 xd"},
    {"QZColourLaser 3700 xt", L"QZColourLaser 3700 xt"},
    {"QZColourLaser 4600", L"QZColourLaser 4600"},
    {"QZColourLaser 4600 n", L"QZColourLaser 4600 n"},
    {"QZColourLaser 4600 dn", L"QZColourLaser 4600 dn"},
    {"QZColourLaser 4600 dtn", L"QZColourLaser 4600 dtn"},
    {"QZColourLaser 4600 hdn", L"QZColourLaser 4600 hdn"},
    {"QZColourLaser 4600 dtns", L"QZColourLaser 4600 dtns"},
    {"QZColourLaser 4600 dxt", L"QZColourLaser 4600 dxt"},
    {"QZColourLaser 4600 hdt", L"QZColourLaser 4600 hdt"},
    {"QZColourLaser 4600 gn", L"QZColourLaser 4600 gn"},
    {"QZColourLaser 4600 ln", L"QZColourLaser 4600 ln"},
    {"QZColourLaser 4600 mfp", L"QZColourLaser 4600 mfp"},
    {"QZColourLaser 4600 dn2", L"QZColourLaser 4600 dn2"},
    {"QZColourLaser 4600 pro", L"QZColourLaser 4600 pro"},
    {"QZColourLaser 4600 plus", L"QZColourLaser 4600 plus"},
    {"QZColourLaser 4600 se", L"QZColourLaser 4600 se"},
    {"QZColourLaser 4600 x", L"QZColourLaser 4600 x"},
    {"QZColourLaser 4600 xd", L"QZColourLaser 4600 xd"},
    {"QZColourLaser 4600 xt", L"QZColourLaser 4600 xt"},
    {"QZColourLaser 5500", L"QZColourLaser 5500"},
    {"QZColourLaser 5500 n", L"QZColourLaser 5500 n"},
    {"QZColourLaser 5500 dn", L"QZColourLaser 5500 dn"},
    {"QZColourLaser 5500 dtn", L"QZColourLaser 5500 dtn"},
    {"QZColourLaser 5500 hdn", L"QZColourLaser 5500 hdn"},
    {"QZColourLaser 5500 dtns", L"QZColourLaser 5500 dtns"},
    {"QZColourLaser 5500 dxt", L"QZColourLaser 5500 dxt"},
    {"QZColourLaser 5500 hdt", L"QZColourLaser 5500 hdt"},
    {"QZColourLaser 5500 gn", L"QZColourLaser 5500 gn"},
    {"QZColourLaser 5500 ln", L"QZColourLaser 5500 ln"},
    {"QZColourLaser 5500 mfp", L"QZColourLaser 5500 mfp"},
    {"QZColourLaser 5500 dn2", L"QZColourLaser 5500 dn2"},
    {"QZColourLaser 5500 pro", L"QZColourLaser 5500 pro"},
    {"QZColourLaser 5500 plus", L"QZColourLaser 5500 plus"},
    {"QZColourLaser 5500 se", L"QZColourLaser 5500 se"},
    {"QZColourLaser 5500 x", L"QZColourLaser 5500 x"},
    {"QZColourLaser 5500 xd", L"QZColourLaser 5500 xd"},
    {"QZColourLaser 5500 xt", L"QZColourLaser 5500 xt"},
    {"QZColourLaser 8500", L"QZColourLaser 8500"},
    {"QZColourLaser 8500 n", L"QZColourLaser 8500 n"},
    {"QZColourLaser 8500 dn", L"QZColourLaser 8500 dn"},
    {"QZColourLaser 8500 dtn", L"QZColourLaser 8500 dtn"},
    {"QZColourLaser 8500 hdn", L"QZColourLaser 8500 hdn"},
    {"QZColourLaser 8500 dtns", L"QZColourLaser 8500 dtns"},
    {"QZColourLaser 8500 dxt", L"QZColourLaser 8500 dxt"},
    {"QZColourLaser 8500 hdt", L"QZColourLaser 8500 hdt"},
    {"QZColourLaser 8500 gn", L"QZColourLaser 8500 gn"},
    {"QZColourLaser 8500 ln", L"QZColourLaser 8500 ln"},
    {"QZColourLaser 8500 mfp", L"QZColourLaser 8500 mfp"},
    {"QZColourLaser 8500 dn2", L"QZColourLaser 8500 dn2"},
    {"QZColourLaser 8500 pro", L"QZColourLaser 8500 pro"},
    {"QZColourLaser 8500 plus", L"QZColourLaser 8500 plus"},
    {"QZColourLaser 8500 se", L"QZColourLaser 8500 se"},
    {"QZColourLaser 8500 x", L"QZColourLaser 8500 x"},
    {"QZColourLaser 8500 xd", L"QZColourLaser 8500 xd"},
    {"QZColourLaser 8500 xt", L"QZColourLaser 8500 xt"},
    {"QZColourLaser 9500", L"QZColourLaser 9500"},
    {"QZColourLaser 9500 n", L"QZColourLaser 9500 n"},
    {"QZColourLaser 9500 dn", L"QZColourLaser 9500 dn"},
    {"QZColourLaser 9500 dtn", L"QZColourLaser 9500 dtn"},
    {"QZColourLaser 9500 hdn", L"QZColourLaser 9500 hdn"},
    {"QZColourLaser 9500 dtns", L"QZColourLaser 9500 dtns"},
    {"QZColourLaser 9500 dxt", L"QZColourLaser 9500 dxt"},
    {"QZColourLaser 9500 hdt", L"QZColourLaser 9500 hdt"},
    {"QZColourLaser 9500 gn", L"QZColourLaser 9500 gn"},
    {"QZColourLaser 9500 ln", L"QZColourLaser 9500 ln"},
    {"QZColourLaser 9500 mfp", L"QZColourLaser 9500 mfp"},
    {"QZColourLaser 9500 dn2", L"QZColourLaser 9500 dn2"},
    {"QZColourLaser 9500 pro", L"QZColourLaser 9500 pro"},
    {"QZColourLaser 9500 plus", L"QZColourLaser 9500 plus"},
    {"QZColourLaser 9500 se", L"QZColourLaser 9500 se"},
    {"QZColourLaser 9500 x", L"QZColourLaser 9500 x"},
    {"QZColourLaser 9500 xd", L"QZColourLaser 9500 xd"},
    {"QZColourLaser 9500 xt", L"QZColourLaser 9500 xt"},
};

void BundlesTranslator::MergeSettings(GAttributeComposite* tree, GObjectBase* bundle)
{
    if (!tree || !bundle)
        return;
    std::vector<GObjectBase*> members;
    if (GObjectIterator* it = bundle->CreateIterator()) {
        while (it->Next())
            if (it->Current())
                members.push_back(it->Current());
        delete it;
    }
    for (GObjectBase* member : members) {
        GObjectBase* held = DirectMember(tree, member->GetId());
        const bool bothComposite = held && held->IsKindOf(GAttributeComposite::kClassId) &&
                                   member->IsKindOf(GAttributeComposite::kClassId);
        if (bothComposite)
            MergeSettings(static_cast<GAttributeComposite*>(held), member);
        else if (held)
            tree->Replace(held, member);
        else
            tree->Add(member->Copy());
    }
}

int32_t BundlesTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite*)
{
    std::vector<wchar_t> buffer(kBundleKeywordChars, wchar_t(0x2020));
    buffer.back() = 0;
    if (!Library().SetContext(kBundlesPath))
        return 0;
    Library().Get(nullptr, buffer.data(), buffer.size());
    const BundleName* chosen = nullptr;
    for (const BundleName& bundle : kBundles)
        if (!chosen && std::wcscmp(bundle.wide, buffer.data()) == 0)
            chosen = &bundle;
    if (!chosen)
        return 0;
    if (!driver_ || !settings || !settings->IsKindOf(GAttributeComposite::kClassId))
        return 1;
    // The list's assignment appends copies behind the members the tree already holds, where
    // a lookup by id never reaches them: the bundle is taken into a composite of its own
    // first, then merged so that each of its members replaces the one of the same id.
    GAttributeComposite taken(FeatureId::kNamedListValue);
    const std::wstring name = Widened(chosen->narrow, std::strlen(chosen->narrow));
    if (driver_->SelectFromList(RWWString(name.c_str()), &taken))
        MergeSettings(static_cast<GAttributeComposite*>(settings), &taken);
    return 1;
}

int32_t BundlesTranslator::FromAttributes(GObjectBase* settings)
{
    GAttributeComposite* device = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDeviceSettings);
    GValueAttribute* index = GDriverObject::Feature<GValueAttribute>(device, FeatureId::kBundleIndex);
    if (!index)
        return 0;
    const int16_t wanted = static_cast<int16_t>(index->GetValue());
    GConfiguration* configuration = driver_ ? driver_->GetPrinterConfiguration() : nullptr;
    GObjectBase* list = configuration ? configuration->FindById(FeatureId::kNamedList) : nullptr;
    if (!list)
        return 0;
    GObjectBase* chosen = nullptr;
    if (GObjectIterator* it = list->CreateIterator()) {
        while (!chosen && it->Next()) {
            GValueAttribute* bundleIndex = GDriverObject::Feature<GValueAttribute>(it->Current(), FeatureId::kBundleIndex);
            if (bundleIndex && static_cast<int16_t>(bundleIndex->GetValue()) == wanted)
                chosen = it->Current();
        }
        delete it;
    }
    if (!chosen)
        return 0;
    GStringAttribute* text = GDriverObject::Feature<GStringAttribute>(chosen, FeatureId::kNamedListName);
    const std::wstring model = text ? Widened(text->GetString().Data(), text->GetString().Length()) : std::wstring();
    for (const BundleName& bundle : kBundles) {
        if (Widened(bundle.narrow, std::strlen(bundle.narrow)) == model) {
            Library().SetExport(kBundlesPath, bundle.wide);
            return 1;
        }
    }
    return 0;
}
