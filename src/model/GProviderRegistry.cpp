#include "model/GProviderRegistry.h"

#include "model/GProvider.h"
#include "model/GTextConverter.h"

#include <cctype>
#include <cstring>

GProviderRegistry::GProviderRegistry() {}
GProviderRegistry::~GProviderRegistry() { Clear(); }

GProviderRegistry& GProviderRegistry::Instance()
{
    static GProviderRegistry registry;
    return registry;
}

// Names are compared exactly: same length, same bytes.
GProviderRegistry::Entry* GProviderRegistry::Find(const RWSlistBase& list, const RWCString& name)
{
    for (RWSlistLink* link = list.FirstLink(); link && link != list.Tail(); link = link->next) {
        Entry* entry = static_cast<Entry*>(link);
        if (entry->name.Length() == name.Length() && std::memcmp(entry->name.Data(), name.Data(), name.Length()) == 0)
            return entry;
    }
    return nullptr;
}

void GProviderRegistry::Remove(RWSlistBase& list, const RWCString& name)
{
    if (Entry* entry = Find(list, name)) {
        list.Remove(entry);
        delete entry;
    }
}

void GProviderRegistry::Free(RWSlistBase& list)
{
    while (RWSlistLink* link = list.FirstLink())
        delete static_cast<Entry*>(list.Remove(link));
}

int GProviderRegistry::Register(GProvider* provider, const RWCString& name, void*)
{
    if (!provider || Find(channels_, name) || Find(services_, name))
        return 1;
    const uint32_t capabilities = provider->GetCapabilities();
    RWSlistBase* lists[] = {(capabilities & kChannelMask) ? &channels_ : nullptr,
                            capabilities >= kFirstServiceBit ? &services_ : nullptr};
    for (RWSlistBase* list : lists) {
        if (!list)
            continue;
        Entry* entry = new Entry;
        entry->name = name;
        entry->provider = provider;
        list->Append(entry);
    }
    return 0;
}

int GProviderRegistry::Unregister(const RWCString& name)
{
    Remove(channels_, name);
    Remove(services_, name);
    return 0;
}

GOutputChannel* GProviderRegistry::Open(const RWWString& name, void* context, uint32_t mask)
{
    for (RWSlistLink* link = channels_.FirstLink(); link && link != channels_.Tail(); link = link->next) {
        Entry* entry = static_cast<Entry*>(link);
        if (entry->provider->Supports(mask))
            if (GOutputChannel* channel = entry->provider->Open(name, entry->name, mask, context))
                return channel;
    }
    return nullptr;
}

void* GProviderRegistry::OpenSecondary(const RWWString& name, void* context, uint32_t mask)
{
    for (RWSlistLink* link = services_.FirstLink(); link && link != services_.Tail(); link = link->next) {
        Entry* entry = static_cast<Entry*>(link);
        if (entry->provider->Supports(mask))
            if (void* service = entry->provider->OpenSecondary(name, entry->name, mask, context))
                return service;
    }
    return nullptr;
}

uint32_t GProviderRegistry::Count(uint32_t mask) const
{
    uint32_t count = 0;
    const RWSlistBase* lists[] = {(mask & kChannelMask) ? &channels_ : nullptr,
                                  mask >= kFirstServiceBit ? &services_ : nullptr};
    for (const RWSlistBase* list : lists)
        if (list)
            for (RWSlistLink* link = list->FirstLink(); link && link != list->Tail(); link = link->next)
                count += static_cast<Entry*>(link)->provider->Supports(mask) ? 1 : 0;
    return count;
}

GProvider* GProviderRegistry::FindByName(const RWCString& name) const
{
    const Entry* channel = Find(channels_, name);
    if (channel && channel->provider)
        return channel->provider;
    const Entry* service = Find(services_, name);
    return service ? service->provider : nullptr;
}

void GProviderRegistry::Clear()
{
    Free(channels_);
    Free(services_);
}

namespace {

bool StartsWithNoCase(const RWCString& text, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    if (text.Length() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text.Data()[i])) != prefix[i])
            return false;
    return true;
}

// "lpt1", "LPT2:", "com3" and the like: the prefix, one digit, and an optional colon.
bool IsDevicePort(const RWCString& text, const char* prefix)
{
    const size_t length = text.Length();
    if (!StartsWithNoCase(text, prefix) || (length != 4 && !(length == 5 && text.Data()[4] == ':')))
        return false;
    return std::isdigit(static_cast<unsigned char>(text.Data()[3])) != 0;
}

} // namespace

PortKind ClassifyPortName(const RWWString& name)
{
    RWCString text;
    ToNarrowString(name, text);
    const char* data = text.Data();
    const size_t length = text.Length();
    if (length >= 2 && data[0] == '\\' && data[1] == '\\')
        return kPortNetworkShare;
    if (IsDevicePort(text, "lpt"))
        return kPortParallel;
    if (IsDevicePort(text, "com"))
        return kPortSerial;
    if (length == 5 && StartsWithNoCase(text, "file:"))
        return kPortFile;
    return length != 0 && data[length - 1] == ':' ? kPortNamed : kPortOther;
}
