#include "foundation/RWForeignRead.h"

#include <atomic>

namespace {

std::atomic<uint32_t> g_reads{0};

} // namespace

void RWForeignRead::Begin() { g_reads.fetch_add(1, std::memory_order_relaxed); }

uint32_t RWForeignRead::Count() { return g_reads.load(std::memory_order_relaxed); }
