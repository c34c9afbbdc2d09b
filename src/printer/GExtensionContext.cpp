#include "printer/GExtensionContext.h"

#include <atomic>

namespace {

// Constant-initialised, so a maker registered by another file's static initialiser is
// never overwritten afterwards.
std::atomic<GExtensionContext::Maker> registeredMaker{nullptr};

} // namespace

GExtensionContext::~GExtensionContext() = default;

void GExtensionContext::RegisterMaker(Maker maker) { registeredMaker.store(maker); }

GExtensionContext* GExtensionContext::Make(GDriverObject* owner)
{
    const Maker maker = registeredMaker.load();
    return maker ? maker(owner) : nullptr;
}
