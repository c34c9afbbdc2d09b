#include "ui/framework/GSettingsView.h"

#include "model/GRangeAttribute.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"

namespace {

// The setting of the feature when it holds a 16-bit value: a value or a range.
GAttribute* Setting(GObjectBase* settings, uint16_t featureId, uint16_t& value)
{
    if (GValueAttribute* attribute = GDriverObject::Feature<GValueAttribute>(settings, featureId)) {
        value = attribute->GetValue();
        return attribute;
    }
    if (GRangeAttribute* range = GDriverObject::Feature<GRangeAttribute>(settings, featureId)) {
        value = uint16_t(range->GetValue());
        return range;
    }
    value = 0;
    return nullptr;
}

}  // namespace

void GSettingsView::Put(GAttribute* attribute, uint16_t value)
{
    if (auto* range = dynamic_cast<GRangeAttribute*>(attribute))
        range->SetValue(int16_t(value));
    else if (auto* plain = dynamic_cast<GValueAttribute*>(attribute))
        plain->SetValue(value);
}

int GSettingsView::GetValue(uint16_t featureId, uint16_t& value) const
{
    return Setting(settings_, featureId, value) != nullptr;
}

int GSettingsView::SetValue(uint16_t featureId, uint16_t value)
{
    uint16_t before = 0;
    GAttribute* attribute = Setting(settings_, featureId, before);
    if (!attribute)
        return 0;
    if (open_ && before != value)
        journal_.push_back({attribute, before});
    Put(attribute, value);
    return 1;
}

int GSettingsView::GetStringW(uint16_t featureId, RWWString& text) const
{
    const GStringAttribute* attribute = GDriverObject::Feature<GStringAttribute>(settings_, featureId);
    text = attribute ? RWWString(attribute->GetString()) : RWWString();
    return attribute != nullptr;
}

void GSettingsView::BeginTransaction()
{
    journal_.clear();
    open_ = true;
}

void GSettingsView::Commit()
{
    journal_.clear();
    open_ = false;
}

void GSettingsView::Rollback()
{
    // Newest first, so a value changed twice gets its first old value back.
    for (auto it = journal_.rbegin(); it != journal_.rend(); ++it)
        Put(it->attribute, it->before);
    journal_.clear();
    open_ = false;
}
