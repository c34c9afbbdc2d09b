#include "settings/translators/PaperSizeTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "settings/dmc/GDMCLibrary.h"
#include "settings/translators/GPaperCodeSource.h"

#include <vector>

namespace {

const uint32_t kPaperPath[] = {362, 260};
const uint32_t kTargetPath[] = {362, 272};

} // namespace

const TranslatorOption PaperSizeTranslator::kPapers[] = {
    /*  1 */ {0, L"UNDEFINED"},
    /*  2 */ {1, L"LETTER"},
    /*  3 */ {2, L"LETTER_EXTRA"},
    /*  4 */ {3, L"LETTER_EXTRA_TRANSVERSE"},
    /*  5 */ {4, L"LETTER_TRANSVERSE"},
    /*  6 */ {5, L"LETTER_SMALL"},
    /*  7 */ {6, L"LEGAL"},
    /*  8 */ {7, L"LEGAL_EXTRA"},
    /*  9 */ {8, L"ENV_10"},
    /* 10 */ {9, L"ENV_11"},
    /* 11 */ {10, L"ENV_12"},
    /* 12 */ {11, L"ENV_14"},
    /* 13 */ {12, L"ENV_9"},
    /* 14 */ {13, L"ENV_C5"},
    /* 15 */ {14, L"ENV_B5"},
    /* 16 */ {15, L"ENV_DL"},
    /* 17 */ {16, L"ENV_MONARCH"},
    /* 18 */ {17, L"EXECUTIVE"},
    /* 19 */ {18, L"FOLIO"},
    /* 20 */ {19, L"LEDGER"},
    /* 21 */ {20, L"10X14"},
    /* 22 */ {21, L"11X17"},
    /* 23 */ {22, L"A3"},
    /* 24 */ {23, L"A4"},
    /* 25 */ {24, L"A4_EXTRA"},
    /* 26 */ {25, L"A4_TRANSVERSE"},
    /* 27 */ {26, L"A4_SMALL"},
    /* 28 */ {27, L"A5"},
    /* 29 */ {28, L"B4"},
    /* 30 */ {56, L"B5"},
    /* 31 */ {30, L"BSHEET"},
    /* 32 */ {31, L"CSHEET"},
    /* 33 */ {32, L"DSHEET"},
    /* 34 */ {33, L"ESHEET"},
    /* 35 */ {34, L"NOTE"},
    /* 36 */ {35, L"QUARTO"},
    /* 37 */ {36, L"STATEMENT"},
    /* 38 */ {37, L"TABLOID"},
    /* 39 */ {38, L"TABLOID_EXTRA"},
    /* 40 */ {39, L"B4_JIS"},
    /* 41 */ {40, L"B5_JIS"},
    /* 42 */ {71, L"DBL_JAPANESE_POSTCARD"},
    /* 43 */ {42, L"EXECUTIVE_JIS"},
    /* 44 */ {43, L"16K"},
    /* 45 */ {44, L"8K"},
    /* 46 */ {45, L"11X17_MAX"},
    /* 47 */ {46, L"A3_OVERSIZE"},
    /* 48 */ {47, L"INDEX_CARD_3X5"},
    /* 49 */ {48, L"INDEX_CARD_4X6"},
    /* 50 */ {49, L"INDEX_CARD_5X8"},
    /* 51 */ {50, L"ENV_A2"},
    /* 52 */ {51, L"A6_CARD"},
    /* 53 */ {52, L"ENV_C6"},
    /* 54 */ {53, L"JISB6"},
    /* 55 */ {54, L"JIS_POSTCARD"},
    /* 56 */ {55, L"POSTCARD"},
    /* 57 */ {56, L"B5ISO"},
    /* 58 */ {57, L"A6"},
    /* 59 */ {58, L"8_5X13"},
    /* 60 */ {59, L"JENV_CHOU3"},
    /* 61 */ {60, L"JENV_CHOU4"},
    /* 62 */ {61, L"HAGAKI_CARD"},
    /* 63 */ {62, L"SUPERB"},
    /* 64 */ {63, L"425_X_6"},
    /* 65 */ {69, L"JAPANESE_POSTCARD"},
    /* 66 */ {70, L"DBL_JAPANESE_POSTCARD_ROTATED"},
    /* 67 */ {68, L"12X18"},
    /* 68 */ {73, L"QZ_GREETING_CARD_ENV"},
    /* 69 */ {72, L"OfukuHagaki"},
    /* 70 */ {76, L"11X17_PLUS_WIDE"},
    /* 71 */ {77, L"A5_PLUS_WIDE"},
    /* 72 */ {78, L"A4_PLUS_WIDE"},
    /* 73 */ {79, L"A3_PLUS_WIDE"},
    /* 74 */ {80, L"B4_JIS_PLUS_WIDE"},
    /* 75 */ {81, L"B5_JIS_PLUS_WIDE"},
    /* 76 */ {83, L"RA3"},
    /* 77 */ {53, L"B6_JIS"},
    /* 78 */ {85, L"4X6_IN_WT"},
    /* 79 */ {66, L"A3_NOBI"},
    /* 80 */ {84, L"JENV_KAKU2"},};
const uint16_t PaperSizeTranslator::kPaperCount = CountOf(kPapers);

const TranslatorDescription PaperSizeTranslator::kPaperSize = {
    L"printing/PaperSize", nullptr, kPaperPath, CountOf(kPaperPath), TranslatorRecord::kCopy, 255,
    TranslatorLock::kNone, 0, false, kPapers, CountOf(kPapers), false};
const TranslatorDescription PaperSizeTranslator::kTargetSize = {
    L"printing/FitToOtherSizeChoice/TargetSizeChoice", nullptr, kTargetPath, CountOf(kTargetPath),
    TranslatorRecord::kCopy, 255, TranslatorLock::kNone, 0, false, kPapers, CountOf(kPapers), false};

PaperSizeTranslator::PaperSizeTranslator(GDMCLibrary& library, GDriverObject* driver, uint32_t mode)
    : FeatureTranslator(library), driver_(driver), description_(mode == 1 ? kTargetSize : kPaperSize),
      optionCount_(kPaperCount)
{
}

int32_t PaperSizeTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    FeatureSetting attribute = FindAttribute(description_, settings);
    if (!attribute)
        return 0;
    std::vector<wchar_t> buffer(kKeywordChars, wchar_t(0x2020));
    buffer.back() = 0;
    if (!Library().SetContext(description_.featurePath))
        return 0;
    Library().Get(nullptr, buffer.data(), buffer.size());
    const TranslatorOption* row = FindKeyword(description_, buffer.data());
    if (!row)
        return 0;
    uint16_t code = row->value;
    if (GPaperCodeSource* source = dynamic_cast<GPaperCodeSource*>(driver_)) {
        uint16_t index = 0;
        source->QueryFeatureValue(row->value, index);
        driver_->FormIndexToPaperCode(index, code);
    }
    attribute->SetValue(code);
    if (changes) {
        changes->Add(attribute->Copy());
        changes->Add(new GValueAttribute(0, FeatureId::kPaperChangeMarker));
    }
    return 1;
}

int32_t PaperSizeTranslator::FromAttributes(GObjectBase* settings)
{
    FeatureSetting attribute = FindAttribute(description_, settings);
    if (!attribute)
        return 0;
    uint16_t code = attribute->GetValue();
    if (code > kLastPlainCode) {
        if (GPaperCodeSource* source = dynamic_cast<GPaperCodeSource*>(driver_))
            code = source->NormalizePaperCode(settings, code);
    }
    for (const TranslatorOption& row : kPapers) {
        if (row.value == code) {
            Library().SetExport(description_.featurePath, row.keyword);
            return 1;
        }
    }
    return 0;
}
