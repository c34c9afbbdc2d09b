#include "settings/translators/MediaTypeTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"

#include <cstring>
#include <vector>

namespace {

const uint32_t kMainLeaf[] = {261};
const uint32_t kRestLeaf[] = {262};
const uint32_t kBackCoverLeaf[] = {973};

// The media the main media also sets while every page uses it (beside 262).
const uint16_t kFollowers[] = {973, 1213, 1215};

// The helper's direction word.
const uint32_t kImport = 0;
const uint32_t kExport = 1;

GStringAttribute* Name(GObjectBase* holder, long id) { return GDriverObject::Feature<GStringAttribute>(holder, id); }

} // namespace

// Keywords as the configuration spells them, with the device's media names. The QZ rows
// are the papers of our own brand.
const MediaRow MediaTypeTranslator::kMedia[] = {
    /*  1 */ {"", L"AUTO"},
    /*  2 */ {"Plain", L"PLAIN"},
    /*  3 */ {"QZ Office Paper", L"QZ_OFFICE_PAPER"},
    /*  4 */ {"QZ Multipurpose", L"QZ_MULTIPURPOSE"},
    /*  5 */ {"QZ Premium Choice", L"QZ_PREMIUM_CHOICE"},
    /*  6 */ {"QZ Bright White", L"QZ_BRIGHT_WHITE"},
    /*  7 */ {"QZ Recycled Office", L"QZ_RECYCLED_OFFICE"},
    /*  8 */ {"QZ Laser Paper 90g", L"QZ_LASER_PAPER_90G"},
    /*  9 */ {"QZ Laser Paper 105g", L"QZ_LASER_PAPER_105G"},
    /* 10 */ {"QZ Colour Laser Paper", L"QZ_COLOR_LASER"},
    /* 11 */ {"QZ Colour Laser Premium", L"QZ_COLOR_LASER_PREMIUM"},
    /* 12 */ {"Preprinted", L"PREPRINTED"},
    /* 13 */ {"Letterhead", L"LETTERHEAD"},
    /* 14 */ {"Transparency", L"TRANSPARENCY"},
    /* 15 */ {"Prepunched", L"PREPUNCHED"},
    /* 16 */ {"Labels", L"LABELS"},
    /* 17 */ {"Bond", L"BOND"},
    /* 18 */ {"Recycled", L"RECYCLED"},
    /* 19 */ {"Color", L"COLOR"},
    /* 20 */ {"Card Stock", L"CARDSTOCK_GP"},
    /* 21 */ {"Card Stock", L"CARDSTOCK"},
    /* 22 */ {"Rough", L"ROUGH"},
    /* 23 */ {"Heavy", L"HEAVY_GP"},
    /* 24 */ {"Light", L"LIGHT_GP"},
    /* 25 */ {"Gloss", L"GLOSS"},
    /* 26 */ {"Heavy", L"HEAVY"},
    /* 27 */ {"Light", L"LIGHT"},
    /* 28 */ {"Heavy Gloss", L"HEAVY_GLOSSY"},
    /* 29 */ {"NQZ Heavy Gloss", L"NON_QZ_HEAVY_GLOSSY"},
    /* 30 */ {"Heavy Gloss", L"HEAVY_GLOSSY_GP"},
    /* 31 */ {"Gloss Film", L"GLOSSY_FILM"},
    /* 32 */ {"Type28lb1", L"28_LB_TYPE1"},
    /* 33 */ {"Type28lb2", L"28_LB_TYPE2"},
    /* 34 */ {"Envelope", L"ENVELOPE"},
    /* 35 */ {"Gloss", L"GLOSSY(75_105GM2)"},
    /* 36 */ {"Light", L"LIGHT"},
    /* 37 */ {"Heavy Gloss", L"HEAVY_GLOSSY"},
    /* 38 */ {"PhotoGloss", L"QZ_PHOTO_GLOSS"},
    /* 39 */ {"QZ Laser Gloss 120g", L"QZ_LASER_GLOSS_120G"},
    /* 40 */ {"QZ Laser Gloss 160g", L"QZ_LASER_GLOSS_160G"},
    /* 41 */ {"QZ Photo Gloss 200g", L"QZ_PHOTO_GLOSS_200G"},
    /* 42 */ {"QZ Cover Gloss 250g", L"QZ_COVER_GLOSS_250G"},
    /* 43 */ {"QZ Laser Satin 120g", L"QZ_LASER_SATIN_120G"},
    /* 44 */ {"QZ Laser Satin 160g", L"QZ_LASER_SATIN_160G"},
    /* 45 */ {"QZ Laser Matte 120g", L"QZ_LASER_MATTE_120G"},
    /* 46 */ {"QZ Laser Matte 160g", L"QZ_LASER_MATTE_160G"},
    /* 47 */ {"QZ Cover Matte 200g", L"QZ_COVER_MATTE_200G"},
    /* 48 */ {"Extra Heavy", L"EXTRA_HEAVY"},
    /* 49 */ {"Intermediate", L"INTERMEDIATE"},
    /* 50 */ {"High Gloss Images", L"HIGH_GLOSS"},
    /* 51 */ {"Vellum", L"VELLUM"},
    /* 52 */ {"Tab", L"TAB"},
    /* 53 */ {"Extra Heavy Gloss", L"EXTRA_HEAVY_GLOSSY"},
    /* 54 */ {"Custom", L"CUSTOM"},
};
const uint16_t MediaTypeTranslator::kMediaCount = CountOf(kMedia);

const TranslatorDescription MediaTypeTranslator::kModes[3] = {
    {L"printing/MediaType", nullptr, kMainLeaf, 1, TranslatorRecord::kCopy, 255, TranslatorLock::kExactlyOne, 261,
     true, nullptr, 0, true},
    {L"printing/UseDiffFirstPageChoice/MediaTypeRest", nullptr, kRestLeaf, 1, TranslatorRecord::kCopy, 255,
     TranslatorLock::kExactlyOne, 261, true, nullptr, 0, true},
    {L"printing/UseDiffFirstPageChoice/BackCoverChoice/BackCoverMediaTypeSetting", nullptr, kBackCoverLeaf, 1,
     TranslatorRecord::kCopy, 255, TranslatorLock::kExactlyOne, 261, true, nullptr, 0, true},
};

MediaTypeTranslator::MediaTypeTranslator(GDMCLibrary& library, uint32_t mode)
    : FeatureTranslator(library), description_(kModes[mode <= 2 ? mode : 0]), optionCount_(kMediaCount)
{
}

int32_t MediaTypeTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    int32_t result = 0;
    if (Library().CallHelper(LeafId(), this, kImport, 0) != 0) {
        result = 1;
    } else {
        GStringAttribute* leaf = Name(settings, LeafId());
        if (!leaf)
            return 0;
        std::vector<wchar_t> buffer(kKeywordChars, wchar_t(0x2020));
        buffer.back() = 0;
        if (!Library().SetContext(description_.featurePath))
            return 0;
        Library().Get(nullptr, buffer.data(), buffer.size());
        GValueAttribute* differentFirst =
            GDriverObject::Feature<GValueAttribute>(settings, FeatureId::kDifferentFirstPage);
        GStringAttribute* rest = Name(settings, FeatureId::kMediaRest);
        for (const MediaRow& row : kMedia) {
            if (!GDMCLibrary::KeywordEquals(row.keyword, buffer.data()))
                continue;
            leaf->SetString(row.name);
            // A record already in the change list is brought up to date, not doubled.
            if (GStringAttribute* recorded = Name(changes, LeafId()))
                recorded->SetString(row.name);
            else if (changes)
                changes->Add(leaf->Copy());
            if (differentFirst && rest && differentFirst->GetValue() == 0 && LeafId() == FeatureId::kMediaName) {
                rest->SetString(row.name);
                if (changes)
                    changes->Add(rest->Copy());
                for (uint16_t id : kFollowers) {
                    if (GStringAttribute* follower = Name(settings, id)) {
                        follower->SetString(row.name);
                        if (changes)
                            changes->Add(follower->Copy());
                    }
                }
            }
            result = 1;
            break;
        }
    }
    ApplyLock(description_, settings);
    return result;
}

int32_t MediaTypeTranslator::FromAttributes(GObjectBase* settings)
{
    if (Library().CallHelper(LeafId(), this, kExport, 0) != 0)
        return 1;
    GStringAttribute* leaf = Name(settings, LeafId());
    if (!leaf)
        return 0;
    const RWCString& name = leaf->GetString();
    for (const MediaRow& row : kMedia) {
        if (std::strlen(row.name) != name.Length() || std::memcmp(row.name, name.Data(), name.Length()) != 0)
            continue;
        if (Library().SetExport(description_.featurePath, row.keyword))
            return 1;
    }
    return 0;
}
