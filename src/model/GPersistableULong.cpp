#include "model/GPersistableULong.h"

#include "foundation/RWFactory.h"

namespace {

const RWClassRegistration<GPersistableULong> g_registration("GPersistableULong");

} // namespace

GPersistableULong* GPersistableULong::CreateNew() const { return new GPersistableULong; }
GPersistableULong* GPersistableULong::Copy() const { return new GPersistableULong(*this); }
