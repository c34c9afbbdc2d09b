// The process-wide text converter: made once, from the system services when they
// supply one, else the default converter, so that callers never get null.
#include "model/GTextConverter.h"
#include "model/GCriticalError.h"
#include "model/GLock.h"
#include "printer/GOSFactory.h"

#include <atomic>

namespace {

std::atomic<GTextConverter*> g_converter{nullptr};
GLock* g_lock = nullptr;

// Deletes the converter and its lock once, at process exit.
struct ConverterOwner {
    ~ConverterOwner()
    {
        DiscardTextConverter();
        delete g_lock;
        g_lock = nullptr;
    }
} g_owner;

GTextConverter* MakeConverter(GOSFactory* services)
{
    GTextConverter* converter = services ? services->CreateTextConverter() : nullptr;
    return converter ? converter : CreateDefaultTextConverter();
}

} // namespace

GTextConverter* GetTextConverter()
{
    if (GTextConverter* converter = g_converter.load())
        return converter;
    GOSFactory* services = GOSFactory::Instance();
    if (!g_lock && services)
        services->EnsureLock(&g_lock);
    GLock* lock = g_lock;
    if (!lock) {
        // No system services and so no lock: a converter of this call's own, kept for
        // good by whichever thread stores first.
        GTextConverter* made = MakeConverter(nullptr);
        GTextConverter* expected = nullptr;
        if (!g_converter.compare_exchange_strong(expected, made)) {
            delete made;
            return expected;
        }
        return made;
    }
    if (lock->Acquire() != 0)
        ReportCriticalError(2, 301, "unicode", 138, "");
    GTextConverter* converter = g_converter.load();
    if (!converter) {
        converter = MakeConverter(services);
        g_converter = converter;
    }
    if (lock->Release() == -2)
        ReportCriticalError(2, 302, "unicode", 153, "");
    return converter;
}

void DiscardTextConverter() { delete g_converter.exchange(nullptr); }
