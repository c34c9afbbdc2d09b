#include "graphics/GFontOwner.h"

#include <atomic>

namespace {

std::atomic<GFontOwner::Finder> g_finder{nullptr};

} // namespace

GFontOwner::~GFontOwner() {}

GFontDatabase* GFontOwner::GetFontPool() { return nullptr; }

void GFontOwner::SetFinder(Finder finder) { g_finder.store(finder); }

GFontOwner* GFontOwner::Find(uint32_t key)
{
    Finder finder = g_finder.load();
    return finder ? finder(key) : nullptr;
}
