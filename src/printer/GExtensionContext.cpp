#include "printer/GExtensionContext.h"

#include <atomic>

namespace {

std::atomic<GExtensionContext::Maker> g_maker{nullptr};

} // namespace

GExtensionContext::~GExtensionContext() = default;

void GExtensionContext::LoadForDocument(GDocumentStart&) {}
void GExtensionContext::EndDocument(GDocumentEnd&) {}
GCommand* GExtensionContext::StartHook(GCommand* pageStart, uint16_t) { return pageStart; }
GCommand* GExtensionContext::EndHook(GCommand* pageEnd, uint16_t) { return pageEnd; }

GExtensionContext::Maker GExtensionContext::SetMaker(Maker maker) { return g_maker.exchange(maker); }

GExtensionContext* GExtensionContext::Make(GDriverObject& owner)
{
    const Maker maker = g_maker.load();
    return maker ? maker(owner) : nullptr;
}
