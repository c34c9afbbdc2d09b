#include "ui/framework/GDialogControl.h"

GDialogControl::GDialogControl(GFeature* binding, const DialogItem* items) : binding_(binding)
{
    for (const DialogItem* item = items; item && (item->itemId != 0 || item->helpId != 0); ++item)
        items_.push_back(*item);
}
