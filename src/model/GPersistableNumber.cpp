#include "model/GPersistableLong.h"
#include "model/GPersistableULong.h"

// Nothing in the module makes these numbers; they are made only from stored data, so
// their registrations are anchored here.
template class GPersistent<GPersistableLong, GObjectBase, 777>;
template class GPersistent<GPersistableULong, GObjectBase, 778>;
