#include "printer/GDriverObject.h"

#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GProviderRegistry.h"
#include "model/GLocaleInfo.h"
#include "graphics/GDeviceFontList.h"
#include "graphics/GDeviceFontListComposite.h"
#include "printer/GMassStorageFontSource.h"
#include "printer/GMassStorageFonts.h"
#include "model/GAttributeComposite.h"
#include "model/ForEachMember.h"
#include "model/GObjectIterator.h"
#include "model/GRangeAttribute.h"
#include "model/GResourceMapping.h"
#include "model/GResourceMappingList.h"
#include "model/GStreamHolder.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GDriverServicesAdapter.h"
#include "printer/GExtensionContext.h"
#include "printer/GFormToTrayDatabase.h"
#include "printer/GForwardTarget.h"
#include "printer/GProviderService.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GTray.h"
#include "model/GFeatureIds.h"
#include "printer/GOSFactory.h"
#include "printer/GPeripheral.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

template <class T>
void Replace(T*& field, T* object)
{
    if (field == object)
        return;
    T* old = field;
    field = object;
    delete old;
}

template <class T>
void Replace(std::unique_ptr<T>& field, T* object)
{
    if (field.get() != object)
        field.reset(object);
}

const uint16_t kFirstCustomId = 16385;
const uint16_t kLastCustomId = 17383;
const uint16_t kFirstUserForm = 16384;

} // namespace

GDriverObject::GDriverObject() : extensionContext_(GExtensionContext::Make(*this)) {}

GDriverObject::GDriverObject(const RWWString& printerName, const RWWString& secondName, const RWWString& thirdName,
                             const RWWString& fourthName, uint32_t appFlags)
    : printerName_(printerName), secondName_(secondName), thirdName_(thirdName), fourthName_(fourthName),
      appFlags_(appFlags), extensionContext_(GExtensionContext::Make(*this))
{
}

GDriverObject::~GDriverObject()
{
    delete adjustedPool_;
    delete settings_;
    delete installed_;
    {
        // The model goes before the extension context, as the object was made.
        GDriverModel gone;
        model_.Swap(gone);
    }
    delete extensionContext_;
    delete builtMedia_;
}

uint32_t GDriverObject::QueryProvider()
{
    const uint32_t kNoService = 603;
    std::unique_ptr<GProviderService> service(static_cast<GProviderService*>(
        GProviderRegistry::Instance().OpenSecondary(thirdName_, this, GProviderRegistry::kFirstServiceBit)));
    if (!service)
        return kNoService;
    GConfiguration* configuration = GetPrinterConfiguration();
    return configuration ? service->AnswerFor(*configuration) : kNoService;
}

int GDriverObject::RegisterExtension(const RWWString& name, uint32_t enable)
{
    const uint16_t kDisabled = 5;
    GValueAttribute* feature = Feature<GValueAttribute>(GetPrinterConfiguration(), FeatureId::kExtensionEnable);
    const uint16_t enabled = feature ? feature->GetValue() : 0;
    if (name.Length() == 0)
        return enabled;
    if (!enabled)
        return kDisabled;
    if (!extensionContext_)
        return 0;
    return enable == 0 ? extensionContext_->Register(name) : extensionContext_->Unregister(name);
}

void GDriverObject::SetPrinter(GObjectBase* printer) { Replace(model_.printer, printer); }
void GDriverObject::SetIdPool(GResourceMappingList* pool) { Replace(model_.idPool, pool); }
void GDriverObject::SetSubObject3(GResourceMappingList* map) { Replace(model_.osTrayMap, map); }
void GDriverObject::SetIdMap(GResourceMappingList* map) { Replace(model_.idMap, map); }

GConfiguration* GDriverObject::GetPrinterConfiguration() const
{
    GObjectBase* holder = model_.printer ? model_.printer->FindById(FeatureId::kPrinterHolder) : nullptr;
    return holder && holder->IsKindOf(GPeripheral::kClassId) ? static_cast<GPeripheral*>(holder)->GetConfiguration()
                                                              : nullptr;
}

uint16_t GDriverObject::GetStoredFormChoice(bool* found)
{
    static const long kPath[] = {FeatureId::kPrinterSettingsGroup, FeatureId::kPrinterLists,
                                 FeatureId::kStoredFormChoice};
    GObjectBase* member = GetPrinterConfiguration();
    for (long id : kPath)
        member = member ? member->FindById(id) : nullptr;
    const bool present = member && member->IsKindOf(GValueAttribute::kClassId);
    if (found)
        *found = present;
    return present ? static_cast<GValueAttribute*>(member)->GetValue() : 0;
}

GObjectBase* GDriverObject::GetSettings()
{
    if (!settings_ && !makingSettings_) {
        makingSettings_ = true;
        settings_ = CreateSettings();
        makingSettings_ = false;
    }
    return settings_;
}

bool GDriverObject::CustomSizeLimit(uint16_t mediaId, int32_t xResolution, int32_t yResolution, int32_t size[2])
{
    const int32_t kTenthsPerInch = 254;
    GMediaPool* pool = xResolution > 0 && yResolution > 0 ? GetMediaAttribute() : nullptr;
    GMedia* media = pool ? pool->FindMedia(mediaId, 0, uint16_t(xResolution), uint16_t(yResolution)) : nullptr;
    if (!media)
        return false;
    const auto tenths = [&](uint16_t dots, int32_t dpi) { return (int32_t(dots) * kTenthsPerInch + dpi / 2) / dpi; };
    size[0] = tenths(media->GetPaperSize().x, xResolution);
    size[1] = tenths(media->GetPaperSize().y, yResolution);
    return true;
}

GObjectBase* GDriverObject::GetInstalledState()
{
    if (installed_)
        return installed_;
    GObjectBase* settings = GetSettings();
    return settings ? settings->FindById(FeatureId::kDeviceSettings) : nullptr;
}

void GDriverObject::SetInstalledState(GObjectBase* deviceSettings)
{
    if (deviceSettings != installed_)
        delete installed_;
    installed_ = deviceSettings;
}

GFormToTrayDatabase* GDriverObject::CustomizedFormTable()
{
    GFormToTrayDatabase* table = Feature<GFormToTrayDatabase>(GetInstalledState(), FeatureId::kFormToTrayTable);
    return table && table->IsCustomized() ? table : nullptr;
}

int GDriverObject::BothSidesPossible()
{
    // Without device settings nothing is known to be missing.
    GObjectBase* installed = GetInstalledState();
    if (!installed)
        return 1;
    return NumberOr(installed, FeatureId::kDuplexUnit, 0) != 0 || NumberOr(installed, FeatureId::kDuplexFallback, 0) != 0
               ? 1
               : 0;
}

int32_t GDriverObject::GetCachedFeature339()
{
    if (reload_) {
        GObjectBase* model = model_.printer.get();
        GPeripheral* printer =
            model && model->IsKindOf(GPeripheral::kClassId) ? static_cast<GPeripheral*>(model) : nullptr;
        GConfiguration* own = printer ? printer->GetConfiguration() : nullptr;
        if (GValueAttribute* value = Feature<GValueAttribute>(own, FeatureId::kCachedValue))
            cached339_ = int16_t(value->GetValue());
        reload_ = 0;
    }
    return cached339_;
}

int GDriverObject::GetPoolKey(uint16_t firstCode, uint16_t& secondCode)
{
    GResourceMapping* mapping = model_.idPool ? model_.idPool->FindByFirstCode(firstCode) : nullptr;
    if (!mapping)
        return 0;
    secondCode = uint16_t(mapping->GetSecondCode());
    return 1;
}

int GDriverObject::GetPoolValue(uint16_t secondCode, uint16_t& firstCode)
{
    GResourceMapping* mapping = model_.idPool ? model_.idPool->FindBySecondCode(secondCode) : nullptr;
    if (!mapping)
        return 0;
    firstCode = mapping->GetFirstCode();
    return 1;
}

uint16_t GDriverObject::DefaultPaperCode()
{
    if (defaultPaper_)
        return defaultPaper_;
    defaultPaper_ = 1;
    GOSFactory* services = GOSFactory::Instance();
    std::unique_ptr<GLocaleInfo> locale(services ? services->CreateLocaleInfo() : nullptr);
    if (locale) {
        const int32_t country = locale->GetNumber(GLocaleInfo::kICountry);
        const bool metric = (country >= 0 && country <= 2) || (country >= 50 && country <= 59) ||
                            (country >= 500 && country <= 599);
        defaultPaper_ = metric ? 1 : 23;
    }
    return defaultPaper_;
}

int GDriverObject::AddCustomEntry(GCustomMediaSize* size, GObjectBase* list, uint32_t)
{
    if (!size || !list)
        return 0;
    uint16_t id = kFirstCustomId;
    for (; id <= kLastCustomId; ++id) {
        bool used = false;
        ForEachMember(list, [&](GObjectBase* member) {
            used = member->IsKindOf(GCustomMediaSize::kClassId) && static_cast<GCustomMediaSize*>(member)->GetId() == id;
            return !used;
        });
        if (!used)
            break;
    }
    if (id > kLastCustomId)
        return 0;
    size->SetId(id);
    size->SetStateWord(1);
    GObjectBase* sameName = nullptr;
    ForEachMember(list, [&](GObjectBase* member) {
        if (member->IsKindOf(GCustomMediaSize::kClassId) &&
            static_cast<GCustomMediaSize*>(member)->GetName() == size->GetName())
            sameName = member;
        return sameName == nullptr;
    });
    if (sameName)
        delete list->Remove(sameName);
    list->Add(size);
    return 1;
}

int GDriverObject::RemoveMember(GObjectBase* member, GObjectBase* composite)
{
    GObjectBase* removed = composite && member ? composite->Remove(member) : nullptr;
    if (!removed)
        return 0;
    delete removed;
    return 1;
}

int GDriverObject::CheckId(GObjectBase* settings, uint16_t id, uint32_t, uint16_t, uint16_t)
{
    (void)settings;
    if (id >= 16384)
        return 2;
    GConfiguration* configuration = GetPrinterConfiguration();
    GObjectBase* found = configuration ? configuration->FindById(FeatureId::kKnownPapers) : nullptr;
    if (!found)
        return 1;
    MAssociationList* known = found->IsKindOf(MAssociationList::kClassId) ? static_cast<MAssociationList*>(found)
                                                                         : nullptr;
    GValueAttribute key(id, 0);
    return known && known->Find(&key) ? 1 : 2;
}

GObjectBase* GDriverObject::FillIdMap(GResourceMappingList& map)
{
    GObjectBase* members = GetSettings() ? GetSettings()->FindById(701) : nullptr;
    uint16_t i = 0;
    ForEachMember(members, [&](GObjectBase*) {
        GResourceMapping* mapping = new GResourceMapping(0, uint16_t(16690 + i), int16_t(50 + i));
        // What the list refuses stays with this caller.
        if (!map.FindBySecondCode(uint16_t(50 + i)) && map.AddIfSecondCodeFree(mapping))
            mapping = nullptr;
        delete mapping;
        ++i;
        return true;
    });
    return members;
}

int GDriverObject::HasIdInMap(uint16_t id)
{
    if (model_.idMap && model_.idMap->FindByFirstCode(id))
        return 1;
    GResourceMappingList filled;
    FillIdMap(filled);
    return filled.FindByFirstCode(id) ? 1 : 0;
}

uint16_t GDriverObject::GetAttributeValue()
{
    GValueAttribute* value = Feature<GValueAttribute>(GetPrinterConfiguration(), FeatureId::kAttributeValue);
    return value ? value->GetValue() : 0;
}

int GDriverObject::IsNameUnused(const char* name)
{
    GConfiguration* configuration = GetPrinterConfiguration();
    GObjectBase* list = configuration ? configuration->FindById(FeatureId::kUsedNames) : nullptr;
    const size_t length = name ? std::strlen(name) : 0;
    int unused = 1;
    ForEachMember(list, [&](GObjectBase* member) {
        if (member->IsKindOf(GStringAttribute::kClassId)) {
            const RWCString& text = static_cast<GStringAttribute*>(member)->GetString();
            if (text.Length() == length && std::memcmp(text.Data(), name, length) == 0)
                unused = 0;
        }
        return unused == 1;
    });
    return unused;
}

void GDriverObject::ResetForReuse(const GCacheKey&)
{
    reload_ = 1;
    Replace(adjustedPool_, static_cast<GMediaPool*>(nullptr));
}

namespace {

int16_t FlagValue(GObjectBase* holder, long id)
{
    GValueAttribute* value = GDriverObject::Feature<GValueAttribute>(holder, id);
    return value ? int16_t(value->GetValue()) : 0;
}

// The media with both margins of each axis set to the larger one, the printable extent
// shrunk to match and never below 0.
GMedia* SymmetricCopy(const GMedia& media)
{
    GMedia* copy = media.Copy();
    const GMediaPair paper = media.GetPaperSize(), origin = media.GetImageableOrigin(), farEdge = media.GetFarMargins();
    const int marginX = std::max<int>(int16_t(origin.x), int16_t(farEdge.x));
    const int marginY = std::max<int>(int16_t(origin.y), int16_t(farEdge.y));
    const int width = std::max(0, int16_t(paper.x) - 2 * marginX);
    const int height = std::max(0, int16_t(paper.y) - 2 * marginY);
    copy->SetImageableArea({uint16_t(marginX), uint16_t(marginY)}, {uint16_t(width), uint16_t(height)});
    return copy;
}

} // namespace

GMediaPool* GDriverObject::GetMediaAttribute()
{
    GConfiguration* configuration = GetPrinterConfiguration();
    if (FlagValue(GetSettings(), 711))
        return Feature<GMediaPool>(configuration, FeatureId::kAlternateMediaPool);
    GMediaPool* pool = Feature<GMediaPool>(configuration, FeatureId::kMediaPool);
    if (!pool || !FlagValue(GetSettings(), 713))
        return pool;
    if (!adjustedPool_) {
        adjustedPool_ = new GMediaPool(pool->GetId());
        ForEachMember(pool, [&](GObjectBase* member) {
            if (member->IsKindOf(GMedia::kClassId))
                adjustedPool_->Add(SymmetricCopy(*static_cast<GMedia*>(member)));
            return true;
        });
    }
    return adjustedPool_;
}

GMedia* GDriverObject::FindMediaForPaper(uint16_t paperId, GObjectBase* tree)
{
    GMediaPool* pool = GetMediaAttribute();
    if (!pool)
        return nullptr;
    GObjectBase* resolution = tree ? tree->FindById(FeatureId::kResolutionNode) : nullptr;
    const uint16_t orientation = uint16_t(FlagValue(tree, FeatureId::kOrientation));
    const uint16_t xResolution = uint16_t(FlagValue(resolution, FeatureId::kXResolution));
    const uint16_t yResolution = uint16_t(FlagValue(resolution, FeatureId::kYResolution));
    if (GMedia* media = pool->FindMedia(paperId, orientation, xResolution, yResolution))
        return media;
    return MediaForUserForm(paperId, tree, pool, orientation, xResolution, yResolution);
}

// A user form of the tree's custom sizes (276) becomes a media on the pool's custom-size
// template: its margins, the form's size. The driver object keeps the last one built.
GMedia* GDriverObject::MediaForUserForm(uint16_t paperId, GObjectBase* tree, GMediaPool* pool, uint16_t orientation,
                                        uint16_t xResolution, uint16_t yResolution)
{
    if (paperId < kFirstUserForm || paperId > kLastCustomId || !tree)
        return nullptr;
    GCustomMediaSize* size = nullptr;
    ForEachMember(tree->FindById(FeatureId::kCustomSizeList), [&](GObjectBase* member) {
        if (member->IsKindOf(GCustomMediaSize::kClassId) && static_cast<GCustomMediaSize*>(member)->GetId() == paperId)
            size = static_cast<GCustomMediaSize*>(member);
        return size == nullptr;
    });
    if (!size)
        return nullptr;
    const GMedia* model = pool->FindMedia(FeatureId::kLargestCustomMedia, orientation, xResolution, yResolution);
    GMedia* built = model ? new GMedia(*model) : new GMedia;
    built->SetMediaId(paperId);
    const uint16_t unitsX = built->GetUnitsX() ? built->GetUnitsX() : 600;
    const uint16_t unitsY = built->GetUnitsY() ? built->GetUnitsY() : 600;
    const GSizePair pixels = size->GetSizeInPixels(unitsX, unitsY);
    const auto fit = [](uint32_t value) { return uint16_t(value > 32767 ? 32767 : value); };
    const GMediaPair paper{fit(pixels.width), fit(pixels.height)};
    const GMediaPair origin = model ? model->GetImageableOrigin() : GMediaPair{0, 0};
    const GMediaPair farMargins = model ? model->GetFarMargins() : GMediaPair{0, 0};
    const auto inside = [](int32_t length, int32_t a, int32_t b) { return uint16_t(length > a + b ? length - a - b : 0); };
    built->SetPaperSize(paper);
    built->SetImageableArea(origin, GMediaPair{inside(paper.x, origin.x, farMargins.x), inside(paper.y, origin.y, farMargins.y)});
    delete builtMedia_;
    builtMedia_ = built;
    return built;
}

int GDriverObject::ForEachPoolEntry(GEntryCallback callback, void* context, int mapCheck, int32_t& counter)
{
    GConfiguration* configuration = GetPrinterConfiguration();
    GObjectBase* devices = configuration ? configuration->FindById(FeatureId::kInputDevices) : nullptr;
    if (!devices)
        return -1;
    int result = -1;
    // One walk over the trays of the installed input devices; a filter keeps one tray id.
    auto walk = [&](const uint16_t* only) {
        bool goOn = true;
        ForEachMember(devices, [&](GObjectBase* member) {
            if (!member->IsKindOf(GPaperHandlingDevice::kClassId))
                return true;
            auto* device = static_cast<GPaperHandlingDevice*>(member);
            if (device->GetCount() == 0 || device->GetType() != 0)
                return true;
            ForEachMember(device, [&](GObjectBase* entry) {
                if (!entry->IsKindOf(GTray::kClassId))
                    return true;
                GTray* tray = static_cast<GTray*>(entry);
                if (only && tray->GetTrayId() != *only)
                    return true;
                GResourceMapping* mapping = nullptr;
                if (mapCheck &&
                    !(mapping = model_.osTrayMap ? model_.osTrayMap->FindBySecondCode(tray->GetTrayId()) : nullptr))
                    return true;
                int32_t matched = context ? 0 : 1;
                if (context)
                    goOn = callback(tray, mapping, counter, context, &matched) == 1;
                if (matched == 1)
                    result = 1;
                ++counter;
                return goOn;
            });
            return goOn;
        });
    };
    if (GObjectBase* filter = configuration->FindById(FeatureId::kTrayFilter)) {
        ForEachMember(filter, [&](GObjectBase* member) {
            if (member->IsKindOf(GValueAttribute::kClassId)) {
                const uint16_t trayId = static_cast<GValueAttribute*>(member)->GetValue();
                walk(&trayId);
            }
            return true;
        });
    } else {
        walk(nullptr);
    }
    return result;
}

int GDriverObject::ForEachInstalledBin(GEntryCallback callback, void* context, GObjectBase* settings)
{
    ApplyStoredMaps(settings ? settings : GetInstalledState());
    int32_t counter = 0;
    return ForEachPoolEntry(callback, context, 1, counter);
}

int GDriverObject::MapEntries(GEntryCallback callback, void* context, uint32_t orientation, int16_t xResolution,
                              int16_t yResolution, int poolCheck, int limit, int32_t& counter)
{
    counter = 0;
    GMediaPool* pool = GetMediaAttribute();
    if (!pool)
        return -1;
    GMediaPair smallest{0, 0}, largest{32767, 32767};
    if (limit) {
        if (GMedia* media = pool->FindMedia(17385, orientation, uint16_t(xResolution), uint16_t(yResolution)))
            smallest = media->GetPaperSize();
        if (GMedia* media = pool->FindMedia(17384, orientation, uint16_t(xResolution), uint16_t(yResolution)))
            largest = media->GetPaperSize();
    }
    std::unique_ptr<GMediaIterator> it(
        pool->CreateMediaIterator(orientation, uint16_t(xResolution), uint16_t(yResolution), smallest, largest));
    int result = -1;
    while (it && it->Next()) {
        GMedia* media = it->CurrentMedia();
        if (!media)
            continue;
        GResourceMapping* mapping = nullptr;
        if (poolCheck && !(mapping = model_.idPool ? model_.idPool->FindBySecondCode(media->GetMediaId()) : nullptr))
            continue;
        int32_t matched = context ? 0 : 1;
        const bool goOn = !context || callback(media, mapping, counter, context, &matched) == 1;
        if (matched == 1)
            result = 1;
        ++counter;
        if (!goOn)
            break;
    }
    return result;
}

int GDriverObject::BuildPool(GMappingCallback callback, void* context, int flag, int32_t& counter)
{
    int result = -1;
    ForEachMember(model_.idMap.get(), [&](GObjectBase* member) {
        if (!member->IsKindOf(GResourceMapping::kClassId))
            return true;
        int32_t matched = context ? 0 : 1;
        GResourceMapping* mapping = flag ? static_cast<GResourceMapping*>(member) : nullptr;
        const bool goOn = !context || callback(mapping, counter, context, &matched, nullptr) == 1;
        if (matched == 1)
            result = 1;
        ++counter;
        return goOn;
    });
    GResourceMappingList extra;
    GObjectBase* members = FillIdMap(extra);
    if (!members)
        return result;
    std::unique_ptr<GObjectIterator> mappings(extra.CreateIterator()), names(members->CreateIterator());
    while (mappings && names && mappings->Next() && names->Next()) {
        GObjectBase *mapping = mappings->Current(), *name = names->Current();
        RWWString text;
        if (flag && name && name->IsKindOf(GStringAttribute::kClassId))
            text = RWWString(static_cast<GStringAttribute*>(name)->GetString());
        int32_t matched = context ? 0 : 1;
        if (context)
            callback(flag ? static_cast<GResourceMapping*>(mapping) : nullptr, counter, context, &matched,
                     flag ? &text : nullptr);
        if (matched == 1)
            result = 1;
        ++counter;
    }
    return result;
}

namespace {

// Reports a match and stops when the mapping's first code is the context's code.
int MatchFirstCode(GObjectBase*, GResourceMapping* mapping, int32_t, void* context, int32_t* matched)
{
    if (mapping && mapping->GetFirstCode() == *static_cast<uint16_t*>(context))
        return *matched = 1, 0;
    return 1;
}

bool Within(GSizePair size, GMediaPair smallest, GMediaPair largest)
{
    const int16_t w = int16_t(size.width), h = int16_t(size.height);
    return w >= int16_t(smallest.x) && w <= int16_t(largest.x) && h >= int16_t(smallest.y) && h <= int16_t(largest.y);
}

} // namespace

int GDriverObject::FindMedia(uint32_t orientation, int16_t xResolution, int16_t yResolution, int limit, uint16_t code)
{
    int32_t counter = 0;
    if (MapEntries(MatchFirstCode, &code, orientation, xResolution, yResolution, 1, limit, counter) == 1)
        return 1;
    GObjectBase* settings = GetSettings();
    if (!settings)
        return 1;
    GObjectBase* sizes = settings->FindById(FeatureId::kCustomSizeList);
    if (!sizes)
        return 0;
    GMediaPair smallest{0, 0}, largest{32767, 32767};
    GMediaPool* pool = limit ? GetMediaAttribute() : nullptr;
    if (pool) {
        if (GMedia* media = pool->FindMedia(17385, 0, uint16_t(xResolution), uint16_t(yResolution)))
            smallest = media->GetPaperSize();
        if (GMedia* media = pool->FindMedia(17384, 0, uint16_t(xResolution), uint16_t(yResolution)))
            largest = media->GetPaperSize();
    }
    int found = 0;
    ForEachMember(sizes, [&](GObjectBase* member) {
        if (!member->IsKindOf(GCustomMediaSize::kClassId))
            return true;
        auto* size = static_cast<GCustomMediaSize*>(member);
        uint16_t first = 0;
        found = GetPoolValue(size->GetId(), first) && first == code &&
                Within(size->GetSizeInPixels(uint16_t(xResolution), uint16_t(yResolution)), smallest, largest);
        return !found;
    });
    return found;
}

int GDriverObject::ContainsPoolCode(uint16_t code)
{
    int32_t counter = 0;
    return ForEachPoolEntry(MatchFirstCode, &code, 1, counter) == 1 ? 1 : 0;
}

int GDriverObject::IsResolutionListed(uint16_t xResolution, uint16_t yResolution)
{
    GConfiguration* configuration = GetPrinterConfiguration();
    const long listId =
        FlagValue(GetSettings(), 1302) == 2 ? FeatureId::kAlternateResolutionList : FeatureId::kResolutionList;
    int listed = 0;
    ForEachMember(configuration ? configuration->FindById(listId) : nullptr, [&](GObjectBase* member) {
        GValueAttribute *x = Feature<GValueAttribute>(member, FeatureId::kResolutionX),
                        *y = Feature<GValueAttribute>(member, FeatureId::kResolutionY);
        listed = x && y && x->GetValue() == xResolution && y->GetValue() == yResolution;
        return !listed;
    });
    return listed;
}

int GDriverObject::CheckSizeEntry(GObjectBase* settings, uint16_t id)
{
    GObjectBase* resolution = settings ? settings->FindById(249) : nullptr;
    return CheckId(settings, id, uint16_t(FlagValue(settings, 265)), uint16_t(FlagValue(resolution, 323)),
                   uint16_t(FlagValue(resolution, 324)));
}

RWWString GDriverObject::GetDisplayName()
{
    GStringAttribute* text = Feature<GStringAttribute>(GetPrinterConfiguration(), FeatureId::kDisplayName);
    return text ? RWWString(text->GetString()) : RWWString();
}

RWWString GDriverObject::GetResourceLibraryPath()
{
    // The configuration's own text, whatever a derived object displays.
    GStringAttribute* text = Feature<GStringAttribute>(GetPrinterConfiguration(), FeatureId::kDisplayName);
    const RWWString name = text ? RWWString(text->GetString()) : RWWString();
    GOSFactory* services = GOSFactory::Instance();
    if (name.IsNull() || !services)
        return RWWString();
    for (size_t i = 0; i < name.Length(); ++i)
        if (name.Data()[i] == L'\\' || name.Data()[i] == L'/' || name.Data()[i] == L':')
            return RWWString();
    RWWString folder;
    services->GetModuleDirectory(folder);
    if (folder.IsNull())
        return RWWString();
    return RWWString((std::wstring(folder.Data()) + L"\\" + name.Data()).c_str());
}

int GDriverObject::SelectFromList(const RWWString& name, GAttribute* target)
{
    const RWWString wanted = ToUpper(name);
    GObjectBase* chosen = nullptr;
    ForEachMember(GetPrinterConfiguration() ? GetPrinterConfiguration()->FindById(FeatureId::kNamedList) : nullptr,
                  [&](GObjectBase* member) {
                      GStringAttribute* text = Feature<GStringAttribute>(member, FeatureId::kNamedListName);
                      if (text && ToUpper(RWWString(text->GetString())) == wanted)
                          chosen = member;
                      return chosen == nullptr;
                  });
    if (!chosen)
        return 0;
    GObjectBase* value = chosen->FindById(FeatureId::kNamedListValue);
    if (value && target && value->IsKindOf(GAttribute::kClassId))
        target->Assign(static_cast<GAttribute*>(value));
    return 1;
}

int GDriverObject::IsCustomSizeInRange(uint16_t paperId, GObjectBase* settings)
{
    GObjectBase* own = GetSettings();
    if (!settings)
        settings = own;
    if (!settings || !own)
        return 0;
    GObjectBase* resolution = settings->FindById(249);
    const uint16_t x = uint16_t(FlagValue(resolution, 323)), y = uint16_t(FlagValue(resolution, 324));
    const uint32_t orientation = uint16_t(FlagValue(settings, 265));
    GCustomMediaSize* size = nullptr;
    ForEachMember(own->FindById(FeatureId::kCustomSizeList), [&](GObjectBase* member) {
        if (member->IsKindOf(GCustomMediaSize::kClassId) && static_cast<GCustomMediaSize*>(member)->GetId() == paperId)
            size = static_cast<GCustomMediaSize*>(member);
        return size == nullptr;
    });
    GMediaPool* pool = Feature<GMediaPool>(GetPrinterConfiguration(), FeatureId::kMediaPool);
    if (!size || !pool)
        return 0;
    GMedia* largest = pool->FindMedia(17388, orientation, x, y);
    GMedia* smallest = pool->FindMedia(17389, orientation, x, y);
    if (!largest || !smallest)
        return 0;
    std::unique_ptr<GMedia> built(BuildCustomMediaFromSettings(*size, settings, GetPrinterConfiguration()));
    if (!built)
        return 0;
    const GMediaPair paper = built->GetPaperSize();
    return Within({paper.x, paper.y}, smallest->GetPaperSize(), largest->GetPaperSize()) ? 1 : 0;
}

uint32_t GDriverObjectImp::ForwardToWriter(uint32_t value)
{
    GForwardTarget* writer = dynamic_cast<GForwardTarget*>(GetAttribute765());
    return writer ? writer->TakeForwarded(value) : 0;
}

// Only a found value is kept: a first caller without a configuration must not decide
// for the life of the process.
int GDriverObjectImp::IsFeature1025Set()
{
    static std::atomic<int> cached(-1);
    const int known = cached.load();
    if (known >= 0)
        return known;
    GValueAttribute* value = Feature<GValueAttribute>(GetPrinterConfiguration(), FeatureId::kProcessFlag);
    if (!value)
        return 0;
    const int set = value->GetValue() == 1;
    cached.store(set);
    return set;
}

GObjectBase* GDriverObject::LoadObject(const RWWString& name)
{
    GOSFactory* services = GOSFactory::Instance();
    return services ? services->LoadObjectFromPrinterData(this, name, 0) : nullptr;
}

int GDriverObject::SaveObject(const RWWString& name, const GObjectBase* object)
{
    GOSFactory* services = GOSFactory::Instance();
    return services ? services->SaveObjectToPrinterData(this, name, object) : 0;
}

bool GDriverObject::NumberOf(GObjectBase* holder, long id, int32_t& number)
{
    if (GValueAttribute* value = Feature<GValueAttribute>(holder, id))
        return number = value->GetValue(), true;
    if (GRangeAttribute* range = Feature<GRangeAttribute>(holder, id))
        return number = range->GetValue(), true;
    return false;
}

int32_t GDriverObject::NumberOr(GObjectBase* holder, long id, int32_t fallback)
{
    int32_t number = 0;
    return NumberOf(holder, id, number) ? number : fallback;
}

namespace {

// The 16-bit value of a value or range attribute of the holder.
bool ReadWord(GObjectBase* holder, long id, uint16_t& word)
{
    int32_t number = 0;
    if (!GDriverObject::NumberOf(holder, id, number))
        return false;
    word = uint16_t(number);
    return true;
}

// Sets a value attribute, or a range attribute within its bounds.
void WriteWord(GObjectBase* holder, long id, uint16_t word)
{
    if (GValueAttribute* value = GDriverObject::Feature<GValueAttribute>(holder, id))
        value->SetValue(word);
    else if (GRangeAttribute* range = GDriverObject::Feature<GRangeAttribute>(holder, id))
        range->SetValue(int16_t(word));
}

GConfiguration* ComponentConfiguration(GObjectBase* printer, long id)
{
    GObjectBase* holder = printer ? printer->FindById(FeatureId::kPrinterHolder) : nullptr;
    GPeripheral* component = GDriverObject::Feature<GPeripheral>(holder, id);
    return component ? component->GetConfiguration() : nullptr;
}

// A stored devices' list: an attribute composite holding only paper-handling devices.
bool IsDeviceList(GObjectBase* object)
{
    if (!object->IsKindOf(GAttributeComposite::kClassId))
        return false;
    bool devices = true;
    ForEachMember(object, [&](GObjectBase* member) {
        return devices = member->IsKindOf(GPaperHandlingDevice::kClassId);
    });
    return devices;
}

uint16_t FirstTrayId(GPaperHandlingDevice* device)
{
    uint16_t id = 0;
    ForEachMember(device, [&](GObjectBase* member) {
        if (member->IsKindOf(GTray::kClassId))
            id = static_cast<GTray*>(member)->GetTrayId();
        return false;
    });
    return id;
}

} // namespace

int GDriverObject::ApplyStoredMaps(GObjectBase* settings)
{
    if (!settings)
        settings = GetSettings();
    if (!settings)
        return 0;
    GObjectBase* s =
        settings->GetId() == FeatureId::kDeviceSettings ? settings : settings->FindById(FeatureId::kDeviceSettings);
    GConfiguration* c = GetPrinterConfiguration();
    GObjectBase* x = c ? c->FindById(FeatureId::kPaperPath) : nullptr;
    GConfiguration* p1 = ComponentConfiguration(model_.printer.get(), FeatureId::kPdlWriter);
    GConfiguration* p2 = ComponentConfiguration(model_.printer.get(), FeatureId::kPjlWriter);

    // The shared range: the component takes the paper-path holder's own object.
    GObjectBase* shared = x ? x->FindById(FeatureId::kSharedRange) : nullptr;
    if (p1 && shared && !p1->FindById(FeatureId::kSharedRange))
        p1->Add(shared);
    const struct { long from; GObjectBase* target; long to; } copies[] = {
        {307, p1, 202}, {925, x, 201}, {918, x, 1011}, {308, x, 204}, {245, c, 245},
        {310, x, 231},  {311, c, 311}, {239, x, 226},  {317, p1, 317}};
    for (const auto& copy : copies) {
        uint16_t word = 0;
        if (copy.target && ReadWord(s, copy.from, word))
            WriteWord(copy.target, copy.to, copy.from == 239 ? uint16_t(word == 1) : word);
    }

    // Each stored list of the wrong kind is dropped; the others are installed as copies,
    // except the OS tray map, which this object keeps. The writers' maps hold
    // associations (slot to code, bin to name); the OS tray map pairs codes.
    auto install = [&](const wchar_t* name, GObjectBase* holder, long id) {
        std::unique_ptr<GObjectBase> loaded(LoadObject(name));
        bool rightKind = false;
        if (loaded && id == FeatureId::kInputDevices)
            rightKind = IsDeviceList(loaded.get());
        else if (loaded && id == FeatureId::kOsTrayMap)
            rightKind = loaded->IsKindOf(GResourceMappingList::kClassId);
        else if (loaded)
            rightKind = loaded->IsKindOf(MAssociationList::kClassId);
        if (!rightKind)
            return;
        if (id == FeatureId::kOsTrayMap)
            SetSubObject3(static_cast<GResourceMappingList*>(loaded.release()));
        else if (holder)
            holder->ReplaceById(id, loaded.get());
    };
    install(L"DEKBinPool", x, FeatureId::kInputDevices);
    install(L"DEKOSTrayMap", nullptr, FeatureId::kOsTrayMap);
    install(L"DEKPDLTrayMap", p1 ? p1->FindById(FeatureId::kWriterMaps) : nullptr, FeatureId::kPdlTrayMap);
    install(L"DEKPJLBinMap", p2 ? p2->FindById(FeatureId::kWriterMaps) : nullptr, FeatureId::kPjlBinMap);

    GStringAttribute* outputName = Feature<GStringAttribute>(s, 316);
    GStringAttribute* inputName = Feature<GStringAttribute>(s, 315);
    uint16_t outputOption = 0, fixedOption = 0, tray5 = 0, inputOption = 0;
    const bool hasOutputOption = ReadWord(s, 213, outputOption), hasFixed = ReadWord(s, 274, fixedOption);
    bool useTray5 = ReadWord(s, 275, tray5), useInputOption = ReadWord(s, 318, inputOption);
    ForEachMember(x ? x->FindById(FeatureId::kInputDevices) : nullptr, [&](GObjectBase* member) {
        if (!member->IsKindOf(GPaperHandlingDevice::kClassId))
            return true;
        auto* device = static_cast<GPaperHandlingDevice*>(member);
        if (device->GetMode() == 0) {
            if (hasFixed && device->GetOptionCount() > 1 && device->HasOption(fixedOption))
                device->SelectOption(fixedOption);
        } else if (device->GetType() == 1) {
            const bool named = outputName && device->GetName() == outputName->GetString();
            device->SetCount(named ? 1 : 0);
            if (named && hasOutputOption)
                device->SelectOption(outputOption);
        } else if (device->GetType() == 0) {
            device->SetCount(0);
            if (inputName && device->GetName() == inputName->GetString()) {
                device->SetCount(1);
                if (useInputOption && device->GetOptionCount() > 1 && device->HasOption(inputOption))
                    device->SelectOption(inputOption);
                inputName = nullptr, useInputOption = false;
            }
            if (useTray5 && tray5 == 1 && FirstTrayId(device) == kEnvelopeFeederTray) {
                device->SetCount(1);
                useTray5 = false;
            }
        }
        return true;
    });

    const struct { long id; GObjectBase* target; } members[] = {{441, x}, {915, c}, {976, x}};
    for (const auto& member : members)
        if (GObjectBase* source = s ? s->FindById(member.id) : nullptr)
            if (member.target && member.target->FindById(member.id))
                member.target->ReplaceById(member.id, source);
    return 1;
}

int GDriverObject::UpgradeStoredObject(const uint32_t& number)
{
    GOSFactory* services = GOSFactory::Instance();
    std::unique_ptr<GDriverServicesAdapter> adapter(services ? services->CreateServicesAdapter(this) : nullptr);
    return adapter ? UpgradeObject(adapter->LoadObjectNumbered(number, 3), nullptr) : 0;
}

int GDriverObject::UpgradeStoredObject(const char* name)
{
    GOSFactory* services = GOSFactory::Instance();
    const RWWString wide(name ? name : "");
    return services ? UpgradeObject(services->LoadObjectFromPrinterData(this, wide, 3), &wide) : 0;
}

namespace {

const long kStoredListId = 0x4000005C;
// Members nested deeper than this are beyond any settings tree: such an object is not
// taken as brought up whole.
const int kDeepestMember = 64;
// Nor is one whose stored form would be larger than this.
const uint32_t kLargestStoredForm = 1u << 22;

// The holder's members, in order.
std::vector<GObjectBase*> MembersOf(GObjectBase* holder)
{
    std::vector<GObjectBase*> members;
    ForEachMember(holder, [&](GObjectBase* member) { members.push_back(member); });
    return members;
}

// The members of the id among the given ones: how many, and the first.
int CountOfId(const std::vector<GObjectBase*>& members, long id, GObjectBase** first)
{
    int count = 0;
    *first = nullptr;
    for (GObjectBase* member : members)
        if (member->GetId() == id && count++ == 0)
            *first = member;
    return count;
}

// Adds to the node a copy of each member of its counterpart in the defaults that it
// lacks, at every depth. Members are matched by id; members of id 0 and ids the
// counterpart holds more than once are entries of a list, which are the user's to keep
// or remove. Members both hold once, as settings containers of one class, are completed
// in turn.
void CompleteFromDefaults(GObjectBase* node, GObjectBase* defaults, int depth)
{
    if (!node || !defaults || depth > kDeepestMember)
        return;
    const std::vector<GObjectBase*> offered = MembersOf(defaults);
    for (GObjectBase* member : offered) {
        const long id = member->GetId();
        GObjectBase* own = nullptr;
        if (id == 0 || CountOfId(offered, id, &own) != 1)
            continue;
        const int owned = CountOfId(MembersOf(node), id, &own);
        if (owned == 0) {
            if (GObjectBase* copy = member->DeepCopy())
                node->Add(copy);
        } else if (owned == 1 && own->ClassId() == member->ClassId() &&
                   own->IsKindOf(GAttributeComposite::kClassId)) {
            CompleteFromDefaults(own, member, depth + 1);
        }
    }
}

// True when the copy holds each member of the original at every depth: one of the same
// id and class in the same holder, each member of the copy matched once.
bool HoldsEveryMember(GObjectBase* copy, GObjectBase* original, int depth)
{
    if (!copy || !original || copy->GetId() != original->GetId() || copy->ClassId() != original->ClassId())
        return false;
    const std::vector<GObjectBase*> members = MembersOf(original);
    if (members.empty())
        return true;
    if (depth > kDeepestMember)
        return false;
    std::vector<GObjectBase*> unmatched = MembersOf(copy);
    for (GObjectBase* member : members) {
        auto match = std::find_if(unmatched.begin(), unmatched.end(), [&](GObjectBase* candidate) {
            return candidate && candidate->GetId() == member->GetId() && candidate->ClassId() == member->ClassId();
        });
        if (match == unmatched.end() || !HoldsEveryMember(*match, member, depth + 1))
            return false;
        *match = nullptr;
    }
    return true;
}

} // namespace

int GDriverObject::UpgradeObject(GObjectBase* object, const RWWString* name)
{
    const RWWString numbered =
        name || !object ? RWWString() : GDriverServicesAdapter::NumberedName(uint32_t(object->GetId()));
    std::unique_ptr<GObjectBase> back(ToCurrentStoredForm(object, name ? *name : numbered));
    if (!back)
        return 0;
    if (back->GetId() == kStoredListId) {
        std::unique_ptr<GObjectBase> converted(new GAttributeComposite(kStoredListId));
        if (!ConvertStoredList(back.get(), converted.get()))
            return 0;
        back = std::move(converted);
    }
    return SaveObject(name ? *name : numbered, back.get()) ? 1 : 0;
}

GObjectBase* GDriverObject::ToCurrentStoredForm(GObjectBase* object, const RWWString& name)
{
    std::unique_ptr<GObjectBase> owned(object);
    GOSFactory* services = GOSFactory::Instance();
    if (!object || !services || object->BinaryStoreSize() > kLargestStoredForm)
        return nullptr;
    // What the factory's settings node of the same id and class holds and the stored one
    // lacks (a setting a later version added) is completed from it.
    std::unique_ptr<GObjectBase> defaults(CreateDefaultSettings());
    GObjectBase* counterpart = nullptr;
    ForEachMember(defaults.get(), [&](GObjectBase* member) {
        if (member->GetId() == object->GetId() && member->ClassId() == object->ClassId())
            counterpart = member;
        return counterpart == nullptr;
    });
    CompleteFromDefaults(object, counterpart, 1);
    // Everything stored comes through, or nothing is: the object must read back whole
    // from the form its value is stored in now, or it is not brought up at all.
    std::unique_ptr<GObjectBase> back(services->StoredAndReadBack(this, name, object));
    if (!HoldsEveryMember(back.get(), object, 1))
        return nullptr;
    return owned.release();
}

int GDriverObject::ConvertStoredList(GObjectBase* oldList, GObjectBase* newList)
{
    GConfiguration* configuration = GetPrinterConfiguration();
    GObjectBase* entryTemplate = configuration ? configuration->FindById(FeatureId::kListTemplate) : nullptr;
    if (!entryTemplate || !oldList || !newList)
        return 0;
    auto blankEntry = [&]() {
        GObjectBase* entry = entryTemplate->DeepCopy();
        if (entry)
            entry->SetId(0);
        return entry;
    };
    ForEachMember(oldList, [&](GObjectBase* old) {
        std::unique_ptr<GObjectBase> entry(blankEntry());
        if (!entry)
            return true;
        std::vector<GObjectBase*> members;
        ForEachMember(entry.get(), [&](GObjectBase* member) { return members.push_back(member), true; });
        for (GObjectBase* member : members)
            if (GObjectBase* stored = old->FindById(member->GetId()))
                entry->Replace(member, stored);
        std::unique_ptr<GObjectBase> taken(old->RemoveById(FeatureId::kStoredEntryName));
        if (old->GetId() != 375) {
            if (taken)
                entry->Add(taken.release());
            newList->Add(entry.release());
            return true;
        }
        // The current entry keeps the template's shape with four of its own members.
        entry.reset(blankEntry());
        if (!entry)
            return true;
        for (long id : {376, 379, 328, 260}) {
            delete entry->RemoveById(id);
            GObjectBase* own = id == 376 ? taken.get() : old->FindById(id);
            if (own)
                entry->Add(own->DeepCopy());
        }
        newList->Add(entry.release());
        return true;
    });
    return 1;
}

namespace {

GDeviceFontList* DeviceList(GObjectBase* list, long code)
{
    return GDriverObject::Feature<GDeviceFontList>(list, code);
}

} // namespace

GDeviceFontListComposite* GDriverObject::LoadAddedFonts()
{
    std::unique_ptr<GObjectBase> loaded(LoadObject(L"AddedFonts"));
    GDeviceFontListComposite* list = loaded && loaded->IsKindOf(GDeviceFontListComposite::kClassId)
                                         ? static_cast<GDeviceFontListComposite*>(loaded.release())
                                         : nullptr;
    UpdateMassStorageFontsFlag(this);
    if (!HasMassStorageFonts(this) && (!list || list->Entries() == 0))
        return list;
    bool changed = false;
    for (int device = 0; device < kMassStorageDeviceCount; ++device) {
        std::unique_ptr<GMassStorageFontSource> source(new (std::nothrow) GMassStorageFontSource(device, this));
        if (!source)
            continue;
        const uint32_t state = GetMassStorageDeviceState(this, device);
        uint16_t code = GetMassStorageDevice(device)->code;
        const bool opened = source->Open(&code) != nullptr;
        if (opened && (state == 1 || (state == 0 && device < 6))) {
            SetMassStorageDeviceState(this, device, 1);
            if (!list)
                list = new GDeviceFontListComposite;
            if (!source->ReadDirectory(&code))
                continue;
            GDeviceFontList* current = DeviceList(list, code);
            if (!current || source->GetStamp() > current->GetStamp()) {
                if (current)
                    delete list->RemoveById(code);
                list->Add(source->CreateFontList());
                changed = true;
            }
            continue;
        }
        if (!opened)
            SetMassStorageDeviceState(this, device, 0);
        // A print server's printer keeps what its absent devices once held.
        if (list && !IsRemotePrinter())
            if (GObjectBase* gone = list->RemoveById(code)) {
                delete gone;
                changed = true;
            }
    }
    if (changed) {
        SetMassStorageFonts(list->Entries() ? 1 : 0, this);
        SaveObject(L"AddedFonts", list);
    }
    return list;
}

void GDriverObject::ApplyAddedFonts(const GDeviceFontListComposite* added)
{
    GDeviceFontListComposite* fonts =
        Feature<GDeviceFontListComposite>(GetPrinterConfiguration(), FeatureId::kDeviceFonts);
    if (!fonts)
        return;
    GObjectBase* given = const_cast<GDeviceFontListComposite*>(added);
    const bool any = added && added->Entries() > 0;
    for (int device = 0; device < kMassStorageDeviceCount; ++device) {
        const uint16_t code = GetMassStorageDevice(device)->code;
        if (!any || !given->FindById(code))
            delete fonts->RemoveById(code);
    }
    if (!any)
        return;
    ForEachMember(given, [&](GObjectBase* member) {
        if (fonts->FindById(member->GetId()))
            fonts->ReplaceById(member->GetId(), member);
        else if (GObjectBase* copy = member->DeepCopy())
            fonts->Prepend(copy);
        return true;
    });
}

GMediaPool* GDriverObject::GetAttribute189()
{
    return Feature<GMediaPool>(GetPrinterConfiguration(), FeatureId::kMediaPool);
}

// The writer classes share the kind 765 and each answer a class id of their own.
GObjectBase* GDriverObject::GetAttribute765() { return model_.printer ? model_.printer->FindKindOf(765) : nullptr; }

GObjectBase* GDriverObject::CopyAttributeTable(GObjectBase* source, GObjectBase* target)
{
    GObjectBase* from = source ? source->FindById(FeatureId::kJobSettings) : nullptr;
    GObjectBase* to = target ? target->FindById(329) : nullptr;
    for (long id : {266, 267, 268}) {
        GValueAttribute *value = Feature<GValueAttribute>(from, id), *into = Feature<GValueAttribute>(to, id);
        if (value && into)
            into->SetValue(value->GetValue());
    }
    return target;
}

int GDriverObject::IsPhysicalSettingCurrent(GObjectBase* tree)
{
    std::unique_ptr<GObjectBase> stored(LoadObject(L"PhySetting"));
    GOSFactory* services = GOSFactory::Instance();
    if (!stored || !tree || !services)
        return 1;
    int result = 1;
    RWWString type;
    services->GetPrinterDataString(type, this, L"LastUpdateType", L"FAILED");
    GValueAttribute* confirmed = Feature<GValueAttribute>(tree, 927);
    if (confirmed && confirmed->GetValue() != 14113 && confirmed->GetValue() != 14119 &&
        (type == RWWString(L"Admin") || type == RWWString(L"Auto")))
        result = 0;
    for (long id : {307, 925, 451, 918, 308, 245, 310, 311, 239, 275, 520, 915, 197, 1205, 1203}) {
        uint16_t a = 0, b = 0;
        if (ReadWord(stored.get(), id, a) && ReadWord(tree, id, b) && a != b)
            return 0;
    }
    for (long id : {316, 315}) {
        GStringAttribute *a = Feature<GStringAttribute>(stored.get(), id), *b = Feature<GStringAttribute>(tree, id);
        if (a && b && !(a->GetString() == b->GetString()))
            return 0;
    }
    return result;
}
