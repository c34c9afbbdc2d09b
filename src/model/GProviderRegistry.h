// The module-wide registry of providers, and the classification of port names.
//
// Two lists keep registration order: the first holds the providers of channels (any of
// the low 16 capability bits set), the second the providers of services (capabilities
// 0x10000 or more); a provider may stand in both. Entries own their names, never their
// providers. The registry has no lock: providers are registered and removed while the
// module loads and unloads.
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWSlistBase.h"
#include "foundation/RWWString.h"

#include <cstdint>

class GOutputChannel;
class GProvider;

class GProviderRegistry {
public:
    static constexpr uint32_t kChannelMask = 0xFFFF;
    static constexpr uint32_t kFirstServiceBit = 0x10000;

    GProviderRegistry();
    GProviderRegistry(const GProviderRegistry&) = delete;
    GProviderRegistry& operator=(const GProviderRegistry&) = delete;
    // Frees every entry.
    ~GProviderRegistry();

    // The registry of the module.
    static GProviderRegistry& Instance();

    // 1, with nothing changed, when either list already has the name; else the provider
    // joins the lists its capabilities call for, and 0.
    int Register(GProvider* provider, const RWCString& name, void* unused = nullptr);
    // Removes the name from both lists; the provider stays. 0.
    int Unregister(const RWCString& name);
    // The first channel that a provider of the first list supporting every bit of the
    // mask opens, in order; null when none does.
    GOutputChannel* Open(const RWWString& name, void* context, uint32_t mask);
    // The same over the second list.
    void* OpenSecondary(const RWWString& name, void* context, uint32_t mask);
    // The providers supporting the mask, in the first list when the mask has channel bits
    // and in the second when it has service bits.
    uint32_t Count(uint32_t mask) const;
    // The provider of the name: the first list's, else the second's, else null.
    GProvider* FindByName(const RWCString& name) const;
    // Empties both lists.
    void Clear();

private:
    struct Entry : RWSlistLink {
        RWCString name;
        GProvider* provider;
    };

    static Entry* Find(const RWSlistBase& list, const RWCString& name);
    static void Remove(RWSlistBase& list, const RWCString& name);
    static void Free(RWSlistBase& list);

    RWSlistBase channels_;
    RWSlistBase services_;
};

// The kinds of port names.
enum PortKind : int32_t {
    kPortOther = 0,
    kPortNamed = 1,
    kPortFile = 2,
    kPortParallel = 3,
    kPortSerial = 4,
    kPortNetworkShare = 5,
};

PortKind ClassifyPortName(const RWWString& name);
