#include "model/GPersistableLong.h"

#include "foundation/RWFactory.h"

namespace {

const RWClassRegistration<GPersistableLong> g_registration("GPersistableLong");

} // namespace

GPersistableLong* GPersistableLong::CreateNew() const { return new GPersistableLong; }
GPersistableLong* GPersistableLong::Copy() const { return new GPersistableLong(*this); }
