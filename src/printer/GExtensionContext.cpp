#include "printer/GExtensionContext.h"

#include <atomic>

namespace {

std::atomic<GExtensionContext::Maker> g_maker{nullptr};

} // namespace

GExtensionContext::~GExtensionContext() = default;

GExtensionContext::Maker GExtensionContext::SetMaker(Maker maker) { return g_maker.exchange(maker); }

GExtensionContext* GExtensionContext::Make(GDriverObject& owner)
{
    const Maker maker = g_maker.load();
    return maker ? maker(owner) : nullptr;
}
