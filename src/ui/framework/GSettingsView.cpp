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
        journal_.push_back({attribute, before, false, RWCString()});
    Put(attribute, value);
    uint16_t after = 0;
    Setting(settings_, featureId, after);
    if (after != before)
        ++revision_;
    return 1;
}

int GSettingsView::SetStringW(uint16_t featureId, const RWWString& text)
{
    GStringAttribute* attribute = GDriverObject::Feature<GStringAttribute>(settings_, featureId);
    if (!attribute)
        return 0;
    const RWCString narrow = text.ToAscii();
    const RWCString before = attribute->GetString();
    if (before == narrow)
        return 1;
    if (open_)
        journal_.push_back({attribute, 0, true, before});
    attribute->SetString(narrow);
    ++revision_;
    return 1;
}

int GSettingsView::GetBounds(uint16_t featureId, int32_t& minimum, int32_t& maximum) const
{
    const GRangeAttribute* range = GDriverObject::Feature<GRangeAttribute>(settings_, featureId);
    if (!range)
        return 0;
    minimum = range->GetMinimum();
    maximum = range->GetMaximum();
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
    revisionAtBegin_ = revision_;
}

void GSettingsView::Commit()
{
    journal_.clear();
    open_ = false;
}

void GSettingsView::Rollback()
{
    // Newest first, so a value changed twice gets its first old value back.
    for (auto it = journal_.rbegin(); it != journal_.rend(); ++it) {
        if (it->text)
            static_cast<GStringAttribute*>(it->attribute)->SetString(it->textBefore);
        else
            Put(it->attribute, it->before);
    }
    journal_.clear();
    open_ = false;
    // What the transaction changed is undone: the view counts as it was before it.
    revision_ = revisionAtBegin_;
}
