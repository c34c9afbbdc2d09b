#include "pdl/postscript/GPostScript.h"

// A writer is also made from stored data alone: its registration and its copier are
// anchored here.
template class GPersistent<GPostScript, GPdlWriter, 768>;
template class GWriterShell<GPostScript, GPdlWriter, 768>;
