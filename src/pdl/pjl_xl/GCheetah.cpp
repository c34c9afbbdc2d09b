#include "pdl/pjl_xl/GCheetah.h"

// A writer is also made from stored data alone: its registration and its copier are
// anchored here.
template class GPersistent<GCheetah, GPdlWriter, 767>;
template class GWriterShell<GCheetah, GPdlWriter, 767>;
