#include "printer/GDriverObject.h"

#include "model/GConfiguration.h"
#include "model/GLocaleInfo.h"
#include "model/GObjectIterator.h"
#include "model/GResourceMapping.h"
#include "model/GResourceMappingList.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GOSFactory.h"
#include "printer/GPeripheral.h"

#include <cstring>
#include <memory>

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

// Calls f for each member of the holder, in order, until f answers false.
template <class F>
void ForEachMember(GObjectBase* holder, F f)
{
    std::unique_ptr<GObjectIterator> it(holder ? holder->CreateIterator() : nullptr);
    while (it && it->Next())
        if (GObjectBase* member = it->Current())
            if (!f(member))
                return;
}

const uint16_t kFirstCustomId = 16385;
const uint16_t kLastCustomId = 17383;

} // namespace

GDriverObject::~GDriverObject()
{
    delete settings_;
    delete printer_;
    delete idPool_;
    delete subObject3_;
    delete idMap_;
}

void GDriverObject::SetPrinter(GObjectBase* printer) { Replace(printer_, printer); }
void GDriverObject::SetIdPool(GResourceMappingList* pool) { Replace(idPool_, pool); }
void GDriverObject::SetSubObject3(GResourceMappingList* map) { Replace(subObject3_, map); }
void GDriverObject::SetIdMap(GResourceMappingList* map) { Replace(idMap_, map); }

GConfiguration* GDriverObject::GetPrinterConfiguration() const
{
    GObjectBase* holder = printer_ ? printer_->FindById(76) : nullptr;
    return holder && holder->IsKindOf(GPeripheral::kClassId) ? static_cast<GPeripheral*>(holder)->GetConfiguration()
                                                              : nullptr;
}

GObjectBase* GDriverObject::GetSettings()
{
    if (!settings_)
        settings_ = CreateSettings();
    return settings_;
}

int32_t GDriverObject::GetCachedFeature339()
{
    if (reload_) {
        GPeripheral* printer =
            printer_ && printer_->IsKindOf(GPeripheral::kClassId) ? static_cast<GPeripheral*>(printer_) : nullptr;
        if (GValueAttribute* value = Feature<GValueAttribute>(printer ? printer->GetConfiguration() : nullptr, 339))
            cached339_ = int16_t(value->GetValue());
        reload_ = 0;
    }
    return cached339_;
}

int GDriverObject::GetPoolKey(uint16_t firstCode, uint16_t& secondCode)
{
    GResourceMapping* mapping = idPool_ ? idPool_->FindByFirstCode(firstCode) : nullptr;
    if (!mapping)
        return 0;
    secondCode = uint16_t(mapping->GetSecondCode());
    return 1;
}

int GDriverObject::GetPoolValue(uint16_t secondCode, uint16_t& firstCode)
{
    GResourceMapping* mapping = idPool_ ? idPool_->FindBySecondCode(secondCode) : nullptr;
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
    GObjectBase* found = GetPrinterConfiguration() ? GetPrinterConfiguration()->FindById(192) : nullptr;
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
    if (idMap_ && idMap_->FindByFirstCode(id))
        return 1;
    GResourceMappingList filled;
    FillIdMap(filled);
    return filled.FindByFirstCode(id) ? 1 : 0;
}

uint16_t GDriverObject::GetAttributeValue()
{
    GValueAttribute* value = Feature<GValueAttribute>(GetPrinterConfiguration(), 958);
    return value ? value->GetValue() : 0;
}

int GDriverObject::IsNameUnused(const char* name)
{
    GObjectBase* list = GetPrinterConfiguration() ? GetPrinterConfiguration()->FindById(1132) : nullptr;
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
