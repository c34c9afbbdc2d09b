#include "model/GCoreServices.h"

#include <atomic>

namespace {

std::atomic<GCoreServices*> g_services{nullptr};

} // namespace

GCoreServices* GCoreServices::Instance() { return g_services.load(); }

void GCoreServices::Install(GCoreServices* services) { g_services.store(services); }
