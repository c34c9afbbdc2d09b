#include "printer/GSettingsClasses.h"

#include "graphics/GDeviceFontList.h"
#include "graphics/GDeviceFontListComposite.h"
#include "model/GAttribute.h"
#include "model/GAttributeComposite.h"
#include "model/GBinaryData.h"
#include "model/GBookletComposite.h"
#include "model/GCapabilities.h"
#include "model/GChromafitAttribute.h"
#include "model/GChromafitEnhancedAttribute.h"
#include "model/GChromafitEnhancedAttributeVer2.h"
#include "model/GColorMap.h"
#include "model/GConfiguration.h"
#include "model/GDisplayString.h"
#include "model/GDisplayStringAttribute.h"
#include "model/GEdgeControl.h"
#include "model/GEnumAttribute.h"
#include "model/GHalftone.h"
#include "model/GNeutralGrays.h"
#include "model/GOptMediaComposite.h"
#include "model/GPMDVersionInfo.h"
#include "model/GPMLDescriptor.h"
#include "model/GPersistableLong.h"
#include "model/GPersistableULong.h"
#include "model/GRangeAttribute.h"
#include "model/GResourceMapping.h"
#include "model/GResourceMappingList.h"
#include "model/GSRGBColor.h"
#include "model/GSRGBExtension.h"
#include "model/GSelectionString.h"
#include "model/GState.h"
#include "model/GStringAttribute.h"
#include "model/GValue32Attribute.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "model/MPersistentAssociation.h"
#include "model/MPersistentComposite.h"
#include "printer/GBin.h"
#include "printer/GCustomMediaSize.h"
#include "printer/GFormToTrayAssociation.h"
#include "printer/GFormToTrayDatabase.h"
#include "printer/GMarginPool.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GTray.h"

const RWClassList& GSettingsClasses::List()
{
    static const RWClassList list = {
        // Composites and lists.
        MPersistentComposite::kClassId,
        GAttributeComposite::kClassId,
        GState::kClassId,
        GEnumAttribute::kClassId,
        MAssociationList::kClassId,
        GResourceMappingList::kClassId,
        GDeviceFontListComposite::kClassId,
        GConfiguration::kClassId,
        GMediaPool::kClassId,
        GOptMediaComposite::kClassId,
        GBookletComposite::kClassId,
        // Attributes.
        GAttribute::kClassId,
        GRangeAttribute::kClassId,
        GValueAttribute::kClassId,
        GValue32Attribute::kClassId,
        GStringAttribute::kClassId,
        GDisplayStringAttribute::kClassId,
        GCustomMediaSize::kClassId,
        GFormToTrayDatabase::kClassId,
        GFormToTrayAssociation::kClassId,
        // The paper handling of the installed options.
        GPaperHandlingDevice::kClassId,
        GTray::kClassId,
        GBin::kClassId,
        GMedia::kClassId,
        GChromafitAttribute::kClassId,
        GChromafitEnhancedAttribute::kClassId,
        GChromafitEnhancedAttributeVer2::kClassId,
        // The colour options the colour attributes hold.
        GHalftone::kClassId,
        GColorMap::kClassId,
        GNeutralGrays::kClassId,
        GEdgeControl::kClassId,
        GSRGBColor::kClassId,
        GSRGBExtension::kClassId,
        // Associations, values and mappings.
        MPersistentAssociation::kClassId,
        GSelectionString::kClassId,
        GDisplayString::kClassId,
        GPersistableLong::kClassId,
        GPersistableULong::kClassId,
        GResourceMapping::kClassId,
        GDeviceFontList::kClassId,
        // The records of the printer's configuration.
        GCapabilities::kClassId,
        GMarginPool::kClassId,
        GBinaryData::kClassId,
        GPMDVersionInfo::kClassId,
        GPMLDescriptor::kClassId,
    };
    return list;
}
