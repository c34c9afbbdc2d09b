// A provider of output channels or services: it states what it can open as a bit mask
// and opens channels for the masks it supports. Providers are made known through the
// provider registry (GProviderRegistry).
//
// The low 16 bits of a mask name channel kinds; 0x10000 and above name services.
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWWString.h"
#include "model/GPersistent.h"

#include <cstdint>

class GOutputChannel;

class GProvider : public GStoredLevel<GProvider, GObjectBase, 0> {
public:
    GProvider();
    explicit GProvider(const long& id);
    GProvider(const GProvider& other) = default;
    GProvider& operator=(const GProvider& other) = default;
    ~GProvider() override;

    // Never the same as another object: each provider stands for itself.
    bool IsSame(const GObjectBase* other) const override;

    // Opens a service object for the name; key is the name the provider is registered
    // under. None here.
    virtual void* OpenSecondary(const RWWString& name, const RWCString& key, uint32_t mask, void* context);
    // Opens an output channel for the name. None here.
    virtual GOutputChannel* Open(const RWWString& name, const RWCString& key, uint32_t mask, void* context);
    virtual uint32_t GetCapabilities() const = 0;
    // True when every bit of the mask is among the capabilities.
    virtual bool Supports(uint32_t mask) const;

    // Only the version word.
    auto StoredForm() { return GFields(); }
};
