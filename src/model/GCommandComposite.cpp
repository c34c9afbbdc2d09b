#include "model/GCommandComposite.h"

// The class is wholly inline; its registration is anchored here, so the module knows it
// even where nothing in it makes one.
template class GPersistent<GCommandComposite, GCommand, 605>;
