#include "pdl/pcl5e/GPcl5e.h"

// A writer is also made from stored data alone: its registration and its copier are
// anchored here.
template class GPersistent<GPcl5e, GPdlWriter, 788>;
template class GWriterShell<GPcl5e, GPdlWriter, 788>;
