#include "model/GChromafitSettings.h"

#include "model/GChromafitBase.h"
#include "model/GChromafitEnhancedAttribute.h"
#include "model/GChromafitEnhancedAttributeVer2.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"

namespace {

// Any class of the family when classId is 0.
uint16_t ReadSetting(GObjectBase* settings, RWClassID classId, int object, int kind)
{
    GObjectBase* found = settings ? settings->FindById(kChromafitFeatureId) : nullptr;
    if (!GChromafitBase::IsChromafit(found) || (classId != 0 && found->ClassId() != classId))
        return kNoChromafitSetting;
    uint8_t value = 0;
    if (!static_cast<GChromafitBase*>(found)->GetSetting(object, kind, value))
        return kNoChromafitSetting;
    return value;
}

uint16_t ReadObjectSetting(GObjectBase* settings, RWClassID classId, int object, int kind)
{
    if (object < 0 || object > 2)
        return kNoChromafitSetting;
    return ReadSetting(settings, classId, object, kind);
}

RWClassID ClassOfMode(int mode)
{
    return mode == 3 ? GChromafitEnhancedAttribute::kClassId : GChromafitEnhancedAttributeVer2::kClassId;
}

// The value of the association keyed by the option number, borrowed; null when none.
GObjectBase* AssociatedObject(long mapId, GObjectBase* target, uint16_t option)
{
    GObjectBase* found = target ? target->FindById(mapId) : nullptr;
    MAssociationList* map = found && found->ClassId() == MAssociationList::kClassId
                                ? dynamic_cast<MAssociationList*>(found)
                                : nullptr;
    if (!map)
        return nullptr;
    const GValueAttribute key(option, 0);
    const MPersistentAssociation* association = map->Find(&key);
    return association ? association->GetValue() : nullptr;
}

} // namespace

uint16_t GetFirstSetting(GObjectBase* settings, int object) { return ReadObjectSetting(settings, 0, object, 0); }

uint16_t GetSecondSetting(GObjectBase* settings, int object) { return ReadObjectSetting(settings, 0, object, 1); }

uint16_t GetEnhancedFirst(GObjectBase* settings, int object, int mode)
{
    return ReadSetting(settings, ClassOfMode(mode), object, 0);
}

uint16_t GetEnhancedSecond(GObjectBase* settings, int object, int mode)
{
    return ReadSetting(settings, ClassOfMode(mode), object, 1);
}

uint16_t GetPageSetting(GObjectBase* settings, int mode) { return ReadSetting(settings, ClassOfMode(mode), 3, 2); }

uint16_t GetSecondPageSetting(GObjectBase* settings)
{
    return ReadSetting(settings, GChromafitEnhancedAttribute::kClassId, 3, 3);
}

uint16_t GetThirdSetting(GObjectBase* settings, int object)
{
    return ReadObjectSetting(settings, GChromafitEnhancedAttributeVer2::kClassId, object, 3);
}

uint16_t GetAssociatedValue(long mapId, GObjectBase* target, uint16_t option)
{
    GObjectBase* value = AssociatedObject(mapId, target, option);
    const GValueAttribute* held =
        value && value->ClassId() == GValueAttribute::kClassId ? dynamic_cast<GValueAttribute*>(value) : nullptr;
    return held ? held->GetValue() : 0;
}

RWCString GetAssociatedString(long mapId, GObjectBase* target, uint16_t option)
{
    GObjectBase* value = AssociatedObject(mapId, target, option);
    const GStringAttribute* held =
        value && value->ClassId() == GStringAttribute::kClassId ? dynamic_cast<GStringAttribute*>(value) : nullptr;
    return held ? held->GetString() : RWCString();
}
