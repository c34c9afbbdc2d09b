#include "ui/framework/GSettingsView.h"

#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"

int GSettingsView::GetValue(uint16_t featureId, uint16_t& value) const
{
    const GValueAttribute* attribute = GDriverObject::Feature<GValueAttribute>(settings_, featureId);
    value = attribute ? attribute->GetValue() : 0;
    return attribute != nullptr;
}

int GSettingsView::SetValue(uint16_t featureId, uint16_t value)
{
    GValueAttribute* attribute = GDriverObject::Feature<GValueAttribute>(settings_, featureId);
    if (!attribute)
        return 0;
    if (open_ && attribute->GetValue() != value)
        journal_.push_back({attribute, attribute->GetValue()});
    attribute->SetValue(value);
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
        it->attribute->SetValue(it->before);
    journal_.clear();
    open_ = false;
}
