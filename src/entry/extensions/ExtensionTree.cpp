#include "entry/extensions/ExtensionTree.h"

#include "model/GAttributeComposite.h"
#include "model/GFeatureIds.h"
#include "model/ForEachMember.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"

#include <cstring>
#include <memory>

namespace {

// The index no registered extension carries.
const uint16_t kPlaceholderIndex = 100;

template <class T>
T* Member(GObjectBase* holder, long id)
{
    GObjectBase* found = holder ? holder->FindById(id) : nullptr;
    return found && found->IsKindOf(T::kClassId) ? static_cast<T*>(found) : nullptr;
}

void CopyText(GObjectBase* entry, long id, char* field, size_t size)
{
    std::memset(field, 0, size);
    const RWCString value = ExtensionTree::TextOf(entry, id);
    const size_t n = value.Length() < size - 1 ? value.Length() : size - 1;
    std::memcpy(field, value.Data(), n);
}

// A field's text up to its NUL, never past the field.
RWCString FieldText(const char* field, size_t size) { return RWCString(field, strnlen(field, size)); }

// The descriptor's fields in the order an entry holds them.
struct TextField {
    long id;
    size_t offset;
    size_t size;
};
const TextField kTextFields[] = {
    {FeatureId::kExtensionText1, offsetof(ExtensionDescriptor, text1), 40},
    {FeatureId::kExtensionName, offsetof(ExtensionDescriptor, name), 40},
    {FeatureId::kExtensionText2, offsetof(ExtensionDescriptor, text2), 32},
    {FeatureId::kExtensionUIModule, offsetof(ExtensionDescriptor, uiModule), 30},
    {FeatureId::kExtensionRenderModule, offsetof(ExtensionDescriptor, renderModule), 30},
    {FeatureId::kExtensionText3, offsetof(ExtensionDescriptor, text3), 40},
    {FeatureId::kExtensionText4, offsetof(ExtensionDescriptor, text4), 60},
};

} // namespace

namespace ExtensionTree {

GObjectBase* FindComposite(GObjectBase* holder, long id) { return Member<GAttributeComposite>(holder, id); }

uint16_t ValueOf(GObjectBase* entry, long id, uint16_t fallback)
{
    GValueAttribute* value = Member<GValueAttribute>(entry, id);
    return value ? value->GetValue() : fallback;
}

RWCString TextOf(GObjectBase* entry, long id)
{
    GStringAttribute* text = Member<GStringAttribute>(entry, id);
    return text ? text->GetString() : RWCString();
}

GObjectBase* FindList(GObjectBase* root, long nodeId, long listId)
{
    return FindComposite(FindComposite(root, nodeId), listId);
}

bool IsPlaceholder(GObjectBase* list)
{
    if (!list || list->Entries() != 1)
        return false;
    bool placeholder = false;
    ForEachMember(list, [&](GObjectBase* entry) {
        placeholder = ValueOf(entry, FeatureId::kExtensionIndex, 0) == kPlaceholderIndex;
    });
    return placeholder;
}

void DescriptorFromEntry(GObjectBase* entry, ExtensionDescriptor& descriptor)
{
    std::memset(&descriptor, 0, sizeof descriptor);
    char* base = reinterpret_cast<char*>(&descriptor);
    for (const TextField& field : kTextFields)
        CopyText(entry, field.id, base + field.offset, field.size);
    descriptor.flags = ValueOf(entry, FeatureId::kExtensionFlags, 0);
}

GAttributeComposite* EntryFromDescriptor(const ExtensionDescriptor& d, uint16_t index)
{
    GAttributeComposite* entry = new GAttributeComposite(0);
    entry->Add(new GStringAttribute(FieldText(d.text1, sizeof d.text1), FeatureId::kExtensionText1));
    entry->Add(new GStringAttribute(FieldText(d.name, sizeof d.name), FeatureId::kExtensionName));
    entry->Add(new GStringAttribute(FieldText(d.text2, sizeof d.text2), FeatureId::kExtensionText2));
    entry->Add(new GValueAttribute(uint16_t(d.flags), FeatureId::kExtensionFlags));
    entry->Add(new GStringAttribute(FieldText(d.uiModule, sizeof d.uiModule), FeatureId::kExtensionUIModule));
    entry->Add(
        new GStringAttribute(FieldText(d.renderModule, sizeof d.renderModule), FeatureId::kExtensionRenderModule));
    entry->Add(new GStringAttribute(FieldText(d.text3, sizeof d.text3), FeatureId::kExtensionText3));
    entry->Add(new GStringAttribute(FieldText(d.text4, sizeof d.text4), FeatureId::kExtensionText4));
    entry->Add(new GValueAttribute(index, FeatureId::kExtensionIndex));
    return entry;
}

uint16_t ReadRegistered(GObjectBase* root, ExtensionDescriptor* descriptors[kExtensionSlots],
                        RWCString settings[kExtensionSlots])
{
    ForEachMember(FindList(root, FeatureId::kExtensionContainer, FeatureId::kExtensionDescriptorList),
                  [&](GObjectBase* entry) {
                      const uint16_t slot = ValueOf(entry, FeatureId::kExtensionIndex, kPlaceholderIndex);
                      if (slot >= kExtensionSlots)
                          return;
                      if (!descriptors[slot])
                          descriptors[slot] = new ExtensionDescriptor;
                      DescriptorFromEntry(entry, *descriptors[slot]);
                  });
    // The count is the number of slots filled, so that no walk below it meets an empty
    // slot.
    uint16_t count = 0;
    for (int slot = 0; slot < kExtensionSlots; ++slot)
        count += descriptors[slot] ? 1 : 0;
    ForEachMember(FindList(root, FeatureId::kExtensionSettingsNode, FeatureId::kExtensionSettingsList),
                  [&](GObjectBase* entry) {
                      const uint16_t slot = ValueOf(entry, FeatureId::kExtensionIndex, kPlaceholderIndex);
                      if (slot < kExtensionSlots)
                          settings[slot] = TextOf(entry, FeatureId::kExtensionSettingsBytes);
                  });
    return count;
}

int SlotOfName(const ExtensionDescriptor* const descriptors[kExtensionSlots], uint16_t count, const char* name)
{
    int found = -1;
    for (int slot = 0; name && slot < count && slot < kExtensionSlots; ++slot)
        if (descriptors[slot] && std::strncmp(descriptors[slot]->name, name, sizeof descriptors[slot]->name) == 0)
            found = slot;
    return found;
}

uint16_t ReadSettings(const ExtensionDescriptor* const descriptors[kExtensionSlots],
                      const RWCString settings[kExtensionSlots], uint16_t count, uint8_t* buffer, uint16_t size,
                      const char* name)
{
    if (!name || (!buffer && size != 0))
        return kExtensionUnavailable;
    const int slot = SlotOfName(descriptors, count, name);
    const RWCString candidate = slot >= 0 ? settings[slot] : RWCString();
    const size_t copied = candidate.Length() < size ? candidate.Length() : size;
    if (copied)
        std::memcpy(buffer, candidate.Data(), copied);
    if (candidate.Length() == 0)
        return kExtensionNotStored;
    if (candidate.Length() > size)
        return kExtensionBufferShort;
    return candidate.Length() == size ? kExtensionOk : kExtensionBufferLonger;
}

bool IsPlainModuleName(const char* name)
{
    if (!name || !*name)
        return false;
    return !std::strpbrk(name, "\\/:") && !std::strstr(name, "..");
}

} // namespace ExtensionTree
