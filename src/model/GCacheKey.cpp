#include "model/GCacheKey.h"

GCacheKey::~GCacheKey() = default;
int GCacheKey::Equals(const GCacheKey&) const { return 0; }
int GCacheKey::SamePrinter(const GCacheKey& other) const { return Equals(other); }

GIdKey::~GIdKey() = default;
