#include "model/GProvider.h"

GProvider::GProvider() {}
GProvider::GProvider(const long& id) : GStoredLevel(id) {}
GProvider::~GProvider() {}

bool GProvider::IsSame(const GObjectBase*) const { return false; }

void* GProvider::OpenSecondary(const RWWString&, const RWCString&, uint32_t, void*) { return nullptr; }
GOutputChannel* GProvider::Open(const RWWString&, const RWCString&, uint32_t, void*) { return nullptr; }

bool GProvider::Supports(uint32_t mask) const
{
    const uint32_t capabilities = GetCapabilities();
    return (capabilities | mask) == capabilities;
}
