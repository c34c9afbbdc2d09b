// The test executable's own operator new and delete count what they hand out: how many
// blocks are live, and the largest block asked for since the last reset. Only an
// executable that links AllocationWatch.cpp has them.
#pragma once

#include <cstddef>

namespace AllocationWatch {
long Live();
size_t Largest();
void ResetLargest();
// Called with every block freed while set; null stops it.
void OnFree(void (*hook)(void*));
// Makes one allocation of the calling thread fail, the one after `after` more have been
// handed out: the failed request goes to the new handler and is then retried. A negative
// count, or a call from another thread, stops it.
void FailOnThisThread(long after);
} // namespace AllocationWatch
