#include "model/GCacheKey.h"

GCacheKey::~GCacheKey() = default;
int GCacheKey::Equals(const GCacheKey&) const { return 0; }

GIdKey::~GIdKey() = default;
