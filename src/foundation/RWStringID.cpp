#include "foundation/RWStringID.h"

const char RWStringID::kNoId[] = "NoID";
const char RWStringID::kUnnamed[] = "No_RWStringID";
