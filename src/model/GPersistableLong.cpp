#include "model/GPersistableLong.h"

GPersistableLong* GPersistableLong::CreateNew() const { return new GPersistableLong; }
GPersistableLong* GPersistableLong::Copy() const { return new GPersistableLong(*this); }
