#include "model/GPersistableULong.h"

GPersistableULong* GPersistableULong::CreateNew() const { return new GPersistableULong; }
GPersistableULong* GPersistableULong::Copy() const { return new GPersistableULong(*this); }
