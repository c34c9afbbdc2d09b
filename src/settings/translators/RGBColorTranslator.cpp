#include "settings/translators/RGBColorTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GChromafitEnhancedAttributeVer2.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

#include <vector>

namespace {

const int kKindRGB = 3;
const int kPhoto = 2;

} // namespace

// The last row answers any keyword the others do not hold.
const RGBColorRow RGBColorTranslator::kRows[5] = {
    {L"ImagesRGB", {0x6D, 0x6E, 0x6F}},
    {L"AdobeRGB", {0x70, 0x71, 0x72}},
    {L"None", {0x66, 0x69, 0x6C}},
    {L"CustomProfile", {0x73, 0x74, 0x75}},
    {L"Default-sRGB", {0x64, 0x67, 0x6A}},
};

GChromafitBase* RGBColorTranslator::FindColourMember(GObjectBase* settings, uint16_t classId)
{
    GAttributeComposite* job = GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDocumentSettings);
    GObjectIterator* it = job ? job->CreateIterator() : nullptr;
    if (!it)
        return nullptr;
    GChromafitBase* found = nullptr;
    while (!found && it->Next()) {
        GObjectBase* member = it->Current();
        // The kind is decided by the class id; only a colour-adjustment class is taken.
        if (member && member->ClassId() == classId && GChromafitBase::IsChromafit(member))
            found = static_cast<GChromafitBase*>(member);
    }
    delete it;
    return found;
}

int32_t RGBColorTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    if (!GDriverObject::Feature<GAttributeComposite>(settings, FeatureId::kDocumentSettings))
        return 0;
    std::vector<wchar_t> keyword(kKeywordChars, wchar_t(0x2020));
    keyword.back() = 0;
    if (!Library().SetContext(kPath))
        return 0;
    Library().Get(nullptr, keyword.data(), keyword.size());
    const RGBColorRow* row = &kRows[4];
    for (const RGBColorRow& candidate : kRows)
        if (GDMCLibrary::KeywordEquals(keyword.data(), candidate.keyword)) {
            row = &candidate;
            break;
        }
    GChromafitBase* colour = FindColourMember(settings, GChromafitEnhancedAttributeVer2::kClassId);
    if (!colour)
        return 0;
    for (int object = 0; object < 3; ++object)
        if (!colour->SetSetting(object, kKindRGB, row->bytes[object]))
            return 0;
    if (changes)
        changes->Add(colour->Copy());
    return 1;
}

int32_t RGBColorTranslator::FromAttributes(GObjectBase* settings)
{
    GChromafitBase* colour = FindColourMember(settings, GChromafitEnhancedAttributeVer2::kClassId);
    uint8_t photo = 0;
    if (!colour || !colour->GetSetting(kPhoto, kKindRGB, photo))
        return 0;
    const wchar_t* keyword = kRows[4].keyword;
    for (const RGBColorRow& row : kRows)
        if (row.bytes[kPhoto] == photo) {
            keyword = row.keyword;
            break;
        }
    Library().SetExport(kPath, keyword);
    return 1;
}
