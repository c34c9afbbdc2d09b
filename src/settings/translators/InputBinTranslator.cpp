#include "settings/translators/InputBinTranslator.h"

#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GTray.h"
#include "settings/dmc/GDMCLibrary.h"

#include <cstring>
#include <vector>

namespace {

const uint32_t kMainLeaf[] = {258};
const uint32_t kRestLeaf[] = {263};
const uint32_t kBackCoverLeaf[] = {921};

// The trays the main tray also sets while every page uses it (beside 263).
const uint16_t kFollowers[] = {921, 1212, 1214, 1216, 1217};

// Calls f for each tray of the installed input devices, in device order, until it
// answers true.
template <class F>
void ForEachInstalledTray(GDriverObject* driver, F f)
{
    GConfiguration* configuration = driver ? driver->GetPrinterConfiguration() : nullptr;
    GObjectBase* devices = configuration ? configuration->FindById(FeatureId::kInputDevices) : nullptr;
    GObjectIterator* it = devices ? devices->CreateIterator() : nullptr;
    bool done = false;
    while (it && !done && it->Next()) {
        GObjectBase* member = it->Current();
        if (!member || !member->IsKindOf(GPaperHandlingDevice::kClassId))
            continue;
        auto* device = static_cast<GPaperHandlingDevice*>(member);
        if (device->GetCount() == 0 || device->GetType() != 0)
            continue;
        GObjectIterator* trays = device->CreateIterator();
        while (trays && !done && trays->Next()) {
            GObjectBase* tray = trays->Current();
            if (tray && tray->IsKindOf(GTray::kClassId))
                done = f(*static_cast<GTray*>(tray));
        }
        delete trays;
    }
    delete it;
}

} // namespace

const TrayRow InputBinTranslator::kTrays[] = {
    /*  1 */ {"Auto Select", L"PrinterSelect"},
    /*  2 */ {"Envelope Feeder", L"EnvFeed"},
    /*  3 */ {"Manual Feed", L"ManualFeed"},
    /*  4 */ {"Tray 1", L"Tray1"},
    /*  5 */ {"Tray 2", L"Tray2"},
    /*  6 */ {"Tray2_500", L"Tray2_500"},
    /*  7 */ {"Tray 3", L"Tray3"},
    /*  8 */ {"Tray3_500", L"Tray3_500"},
    /*  9 */ {"Tray3_250", L"Tray3_250"},
    /* 10 */ {"Tray3_1500", L"Tray3_1500"},
    /* 11 */ {"Tray4_500", L"Tray4_500"},
    /* 12 */ {"Tray4_1500", L"Tray4_1500"},
    /* 13 */ {"Tray4_2000", L"Tray4_2000"},
    /* 14 */ {"Tray 4", L"Tray4"},
    /* 15 */ {"Tray 5", L"Tray5"},
    /* 16 */ {"Tray 6", L"Tray6"},
    /* 17 */ {"Tray 7", L"Tray7"},
    /* 18 */ {"Tray 8", L"Tray8"},
    /* 19 */ {"Tray 9", L"Tray9"},
    /* 20 */ {"Tray 10", L"Tray10"},
    /* 21 */ {"Tray 11", L"Tray11"},
    /* 22 */ {"Tray 12", L"Tray12"},
};
const uint16_t InputBinTranslator::kTrayCount = CountOf(kTrays);

const TranslatorDescription InputBinTranslator::kModes[3] = {
    {L"printing/InputBin", nullptr, kMainLeaf, 1, TranslatorRecord::kCopy, 255, TranslatorLock::kExactlyOne, 258,
     false, nullptr, 0, true},
    {L"printing/UseDiffFirstPageChoice/InputBinRest", nullptr, kRestLeaf, 1, TranslatorRecord::kCopy, 255,
     TranslatorLock::kExactlyOne, 258, false, nullptr, 0, true},
    {L"printing/UseDiffFirstPageChoice/BackCoverChoice/BackCoverTrayChoice", nullptr, kBackCoverLeaf, 1,
     TranslatorRecord::kCopy, 255, TranslatorLock::kExactlyOne, 258, false, nullptr, 0, true},
};

InputBinTranslator::InputBinTranslator(GDMCLibrary& library, GDriverObject* driver, uint32_t mode)
    : FeatureTranslator(library), driver_(driver), description_(kModes[mode <= 2 ? mode : 0]),
      optionCount_(kTrayCount)
{
}

uint16_t InputBinTranslator::MapTrayKeywordToId(const wchar_t* keyword) const
{
    if (GDMCLibrary::KeywordEquals(keyword, kAutomaticKeyword))
        return kAutomatic;
    const char* name = nullptr;
    for (const TrayRow& row : kTrays) {
        if (GDMCLibrary::KeywordEquals(row.keyword, keyword)) {
            name = row.name;
            break;
        }
    }
    // A keyword the table lacks names no tray: an empty name would be held by every
    // tray and pick the first one.
    if (!name)
        return kAutomatic;
    uint16_t id = kAutomatic;
    ForEachInstalledTray(driver_, [&](GTray& tray) {
        const RWCString* trayName = tray.GetName();
        if (!trayName || !trayName->Data() || !std::strstr(trayName->Data(), name))
            return false;
        id = tray.GetTrayId();
        return true;
    });
    return id;
}

RWWString InputBinTranslator::MapTrayIdToKeyword(uint16_t id) const
{
    if (id == kAutomatic)
        return RWWString(kAutomaticKeyword);
    RWCString name;
    bool found = false;
    ForEachInstalledTray(driver_, [&](GTray& tray) {
        if (tray.GetTrayId() != id)
            return false;
        name = *tray.GetName();
        return found = true;
    });
    if (found)
        for (const TrayRow& row : kTrays)
            if (name.Data() && std::strcmp(row.name, name.Data()) == 0)
                return RWWString(row.keyword);
    return RWWString(kAutomaticKeyword);
}

int32_t InputBinTranslator::ToAttributes(GObjectBase* settings, GAttributeComposite* changes)
{
    GValueAttribute* leaf = GDriverObject::Feature<GValueAttribute>(settings, LeafId());
    if (!leaf)
        return 0;
    std::vector<wchar_t> buffer(kKeywordChars, wchar_t(0x2020));
    buffer.back() = 0;
    if (!Library().SetContext(description_.featurePath))
        return 0;
    Library().Get(nullptr, buffer.data(), buffer.size());
    const uint16_t id = MapTrayKeywordToId(buffer.data());
    leaf->SetValue(id);
    if (changes)
        changes->Add(leaf->Copy());
    GValueAttribute* differentFirst =
        GDriverObject::Feature<GValueAttribute>(settings, FeatureId::kDifferentFirstPage);
    GValueAttribute* rest = GDriverObject::Feature<GValueAttribute>(settings, FeatureId::kInputBinRest);
    if (differentFirst && rest && differentFirst->GetValue() == 0 && LeafId() == FeatureId::kInputBin) {
        rest->SetValue(id);
        if (changes)
            changes->Add(rest->Copy());
        for (uint16_t follower : kFollowers) {
            if (GValueAttribute* tray = GDriverObject::Feature<GValueAttribute>(settings, follower)) {
                tray->SetValue(id);
                if (changes)
                    changes->Add(tray->Copy());
            }
        }
    }
    ApplyLock(description_, settings);
    return 1;
}

int32_t InputBinTranslator::FromAttributes(GObjectBase* settings)
{
    GValueAttribute* leaf = GDriverObject::Feature<GValueAttribute>(settings, LeafId());
    if (!leaf)
        return 0;
    Library().SetExport(description_.featurePath, MapTrayIdToKeyword(leaf->GetValue()).Data());
    return 1;
}
