#include "settings/dmc/GDMCConfig.h"

#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GDynamicLibrary.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GOSFactory.h"
#include "settings/dmc/FeatureTranslator.h"
#include "settings/dmc/GDMCLibrary.h"
#include "settings/dmc/GlossyPapers.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace {

const wchar_t kPhysical[] = L"physical";
const wchar_t kPrinting[] = L"printing";
const wchar_t kFactoryPhysical[] = L"factory/physical";
const wchar_t kConnections[] = L"Printers\\Connections\\";
// The machine's printer keys, and its connections, live under the print registry root.
const wchar_t kMachinePrintRoot[] = L"System\\CurrentControlSet\\Control\\Print\\Printers\\";
const wchar_t kMachineConnections[] = L"System\\CurrentControlSet\\Control\\Print\\Printers\\Connections\\";
const wchar_t kDriverData[] = L"\\PrinterDriverData";
const wchar_t kStale[] = L"Stale";

// The media adjustment's pairs where 901 is absent: (source, target), the first group
// from the job (362) into the document (364), the second back.
struct IdPair {
    uint16_t source;
    uint16_t target;
};
const IdPair kJobToDocument[] = {
    {250, 218}, {277, 221}, {442, 443}, {251, 219}, {245, 402}, {405, 409},
    {703, 705}, {323, 223}, {324, 224}, {325, 225}, {911, 912},
};
const IdPair kDocumentToJob[] = {
    {255, 242}, {293, 220}, {585, 589}, {582, 586}, {583, 587}, {584, 588}, {900, 404}, {910, 913},
};

// The resolution the media adjustment gives the job: (901's value, media is "Plain").
const uint16_t kPlainResolution = 300;
const uint16_t kFullResolution = 600;

// A buffer of blanks with a 0 in the last place, as the library is handed it.
std::vector<wchar_t> BlankBuffer(size_t chars)
{
    std::vector<wchar_t> buffer(chars, wchar_t(0x2020));
    buffer.back() = 0;
    return buffer;
}

template <class T>
T* Find(GObjectBase* holder, long id)
{
    return GDriverObject::Feature<T>(holder, id);
}

void CopyPairs(GObjectBase* from, GObjectBase* to, const IdPair* pairs, size_t count, GAttributeComposite* changes)
{
    for (size_t i = 0; i < count; ++i) {
        GValueAttribute* source = Find<GValueAttribute>(from, pairs[i].source);
        GValueAttribute* target = Find<GValueAttribute>(to, pairs[i].target);
        if (!source || !target)
            continue;
        target->SetValue(source->GetValue());
        if (changes)
            changes->Add(target->Copy());
    }
}

bool IsTrueText(const RWWString& text) { return GDMCLibrary::KeywordEquals(text.Data(), L"TRUE") != 0; }

} // namespace

GDMCConfig::GDMCConfig(GObjectBase* settings, GDriverObject* driver)
    : settings_(settings), library_(new GDMCLibrary), contextName_(L"DMC_DRIVER"), driver_(driver),
      changes_(new GAttributeComposite(FeatureId::kChangeList))
{
    if (library_->IsLoaded())
        LoadHelper();
}

GDMCConfig::~GDMCConfig()
{
    if (printingChanged_)
        SaveQuicksets(changes_);
    // The binding goes first: it holds the helper's callback.
    delete library_;
    delete helper_;
    delete changes_;
}

bool GDMCConfig::HasHelper() const { return helper_ && helper_->IsLoaded(); }

void GDMCConfig::LoadHelper()
{
    if (!driver_)
        return;
    const RWWString path = driver_->GetResourceLibraryPath();
    if (path.IsNull())
        return;
    helper_ = new GDynamicLibrary(path);
    if (!helper_->Load()) {
        delete helper_;
        helper_ = nullptr;
        return;
    }
    library_->SetHelper(reinterpret_cast<DMCHelperProc>(helper_->GetExport("DMCHELPER")), this);
}


int32_t GDMCConfig::RunSection(const wchar_t* section, bool import, bool exactlyOne, bool bundles, uint32_t& changed)
{
    if (!library_->IsLoaded())
        return 0;
    std::vector<wchar_t> list = BlankBuffer(kListChars);
    const int32_t listed = library_->EnumFeatures(section, list.data(), list.size());
    if (exactlyOne ? listed != 1 : listed == 0)
        return 0;
    if (bundles) {
        if (import)
            ImportBundles();
        else
            ExportFactoryBundles();
    }
    std::vector<wchar_t> key = BlankBuffer(kKeyChars);
    while (library_->EnumListToken(key.data(), key.size(), list.data(), list.size())) {
        std::unique_ptr<FeatureTranslator> translator(MapFeatureKeys(key.data()));
        if (translator) {
            if (import) {
                if (translator->ToAttributes(settings_, changes_))
                    changed = 1;
            } else {
                translator->FromAttributes(settings_);
            }
        }
        key = BlankBuffer(kKeyChars);
    }
    return 1;
}

void GDMCConfig::ImportBundles()
{
    std::unique_ptr<FeatureTranslator> bundles(bundlesMaker ? bundlesMaker(*this, L"Bundles") : nullptr);
    if (bundles && bundles->ToAttributes(settings_, changes_))
        physicalChanged_ = 1;
}

void GDMCConfig::ExportFactoryBundles()
{
    std::unique_ptr<FeatureTranslator> bundles(bundlesMaker ? bundlesMaker(*this, L"Bundles") : nullptr);
    if (bundles)
        bundles->FromAttributes(settings_);
}

int32_t GDMCConfig::ImportPhysical()
{
    if (!RunSection(kPhysical, true, true, true, physicalChanged_))
        return 0;
    if (physicalChanged_) {
        if (driver_)
            driver_->ApplyStoredMaps(settings_);
        if (GOSFactory* services = GOSFactory::Instance())
            services->SetPrinterDataString(driver_, L"LastUpdateType", L"Admin");
    }
    return 1;
}

int32_t GDMCConfig::ImportPrinting()
{
    if (!RunSection(kPrinting, true, false, false, printingChanged_))
        return 0;
    if (printingChanged_)
        AdjustForMedia();
    return 1;
}

int32_t GDMCConfig::ExportSection(const wchar_t* section)
{
    uint32_t unused = 0;
    const bool factory = section && GDMCLibrary::KeywordEquals(section, kFactoryPhysical);
    return RunSection(section, false, true, factory, unused);
}

void GDMCConfig::AdjustForMedia()
{
    GObjectBase* job = Find<GAttributeComposite>(settings_, FeatureId::kJobSettings);
    GValueAttribute* adjust = Find<GValueAttribute>(job, FeatureId::kMediaAdjust);
    GAttributeComposite* resolution = Find<GAttributeComposite>(job, FeatureId::kResolutionGroup);
    if (!adjust) {
        if (!Find<GObjectBase>(settings_, FeatureId::kMediaAdjustSource))
            return;
        GObjectBase* document = Find<GAttributeComposite>(settings_, FeatureId::kDocumentSettings);
        CopyPairs(job, document, kJobToDocument, sizeof kJobToDocument / sizeof *kJobToDocument, changes_);
        CopyPairs(document, job, kDocumentToJob, sizeof kDocumentToJob / sizeof *kDocumentToJob, changes_);
        return;
    }
    GObjectBase* document = Find<GAttributeComposite>(settings_, FeatureId::kDocumentSettings);
    GStringAttribute* media = Find<GStringAttribute>(document, FeatureId::kMediaName);
    if (!media)
        return;
    GValueAttribute* fixed = Find<GValueAttribute>(document, FeatureId::kDifferentFirstPage);
    GValueAttribute* x = Find<GValueAttribute>(resolution, FeatureId::kXResolution);
    GValueAttribute* y = Find<GValueAttribute>(resolution, FeatureId::kYResolution);
    if (!x || !y)
        return;
    const char* name = media->GetString().Data();
    const bool plain = std::string(name ? name : "") == "Plain";
    uint16_t r;
    if (fixed && fixed->GetValue() == 1)
        r = kFullResolution;
    else if (adjust->GetValue() == 1)
        r = kFullResolution;
    else if (adjust->GetValue() == 65535)
        r = kPlainResolution;
    else // 0 and every other value
        r = plain ? kPlainResolution : kFullResolution;
    if (GlossyPapers::Contains(name)) {
        if (GValueAttribute* glossy = Find<GValueAttribute>(job, FeatureId::kGlossyMedia)) {
            glossy->SetValue(1);
            changes_->Add(glossy->Copy());
        }
    }
    x->SetValue(r);
    y->SetValue(r);
    changes_->Add(x->Copy());
    changes_->Add(y->Copy());
}

void GDMCConfig::SetPrinterName(const RWWString& name)
{
    std::wstring full(name.Data(), name.Length());
    const size_t comma = full.rfind(L',');
    if (comma != std::wstring::npos)
        full.erase(comma);
    const size_t slash = full.rfind(L'\\');
    const std::wstring shortName = slash == std::wstring::npos ? full : full.substr(slash + 1);
    std::wstring commaForm = full;
    for (wchar_t& c : commaForm)
        if (c == L'\\')
            c = L',';
    fullName_ = full.c_str();
    shortName_ = shortName.c_str();
    shortName2_ = shortName.c_str();
    commaForm_ = commaForm.c_str();
    printerName_ = slash == std::wstring::npos ? fullName_ : commaForm_;
}

int32_t GDMCConfig::IsConnectionStale()
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return 0;
    const std::wstring connections(kConnections);
    RWWString text;
    switch (updateMode_) {
    case 0:
    case 1:
        if (services->MachineKeyExists((kMachineConnections + std::wstring(shortName_.Data())).c_str())) {
            services->GetMachineString(text, (kMachinePrintRoot + std::wstring(shortName_.Data()) + kDriverData).c_str(),
                                       kStale, L"FALSE");
        } else if (services->MachineKeyExists((kMachineConnections + std::wstring(commaForm_.Data())).c_str())) {
            services->GetMachineString(text, (kMachinePrintRoot + std::wstring(fullName_.Data()) + kDriverData).c_str(),
                                       kStale, L"FALSE");
        } else {
            // A local printer: its own printer data says whether its configuration is
            // stale; the printer-event code writes "FALSE" there before it updates.
            services->GetPrinterDataString(text, driver_, kStale, L"FALSE");
        }
        return IsTrueText(text) ? 1 : 0;
    case 2: {
        const std::wstring key = connections + commaForm_.Data();
        if (!services->UserKeyExists(key.c_str()))
            return 1;
        services->GetUserString(text, key.c_str(), kStale, L"FALSE");
        return IsTrueText(text) ? 1 : 0;
    }
    default:
        return 0;
    }
}

int32_t GDMCConfig::CheckConfigurationValue()
{
    GConfiguration* configuration = driver_ ? driver_->GetPrinterConfiguration() : nullptr;
    GObjectBase* paperPath = Find<GObjectBase>(configuration, FeatureId::kPaperPath);
    GValueAttribute* value = Find<GValueAttribute>(paperPath, FeatureId::kConfigurationMode);
    return value && value->GetValue() == 2 ? 1 : 0;
}

int32_t GDMCConfig::SaveQuicksets(GObjectBase* list)
{
    GOSFactory* services = GOSFactory::Instance();
    return services && list && services->SaveObjectToPrinterData(driver_, L"DMCQuickset", list) ? 1 : 0;
}

void GDMCConfig::StampLastUpdate(int32_t flag)
{
    GOSFactory* services = GOSFactory::Instance();
    if (!flag || !services)
        return;
    if (!physicalChanged_ && !printingChanged_) {
        services->SetPrinterDataString(driver_, L"DMCLastUpdate", L"ERROR");
        return;
    }
    std::tm local{}, shifted{};
    int16_t bias = 0;
    services->GetLocalAndShiftedTime(local, shifted, bias);
    char date[64];
    std::snprintf(date, sizeof date, "%2.2d%s%2.2d%s%4.4d", local.tm_mon + 1, "/ ", local.tm_mday, "/ ",
                  local.tm_year + 1900);
    services->SetPrinterDataString(driver_, L"DMCLastUpdate", RWWString(date));
}
