#include "entry/module/ModuleKeepAlive.h"

namespace {
const uint32_t kStandardPeriod = 500;
const DWORD kWorkerStack = 4096;
} // namespace

ModuleKeepAlive::ModuleKeepAlive(uint32_t periodMs)
    : selfReference_(nullptr), activity_(0), documentOpen_(0), watchedThread_(nullptr),
      workerId_(0), period_(periodMs ? periodMs : kStandardPeriod)
{
    path_[0] = L'\0';
}

ModuleKeepAlive::~ModuleKeepAlive() = default;

namespace {
// Built by the runtime's static initialisation, before the loader's first call.
ModuleKeepAlive g_module(kStandardPeriod);
} // namespace

ModuleKeepAlive& ModuleKeepAlive::Module() { return g_module; }

bool ModuleKeepAlive::Lock() { return lock_.Acquire() == 0; }

void ModuleKeepAlive::Unlock() { lock_.Release(); }

int ModuleKeepAlive::Start(HMODULE module)
{
    if (!Lock())
        return 0;
    int started = 0;
    if (!selfReference_) {
        const DWORD length = GetModuleFileNameW(module, path_, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            started = StartWorker();
        else
            path_[0] = L'\0';
    }
    Unlock();
    return started;
}

int ModuleKeepAlive::MarkActivity()
{
    if (!Lock())
        return 0;
    activity_ = 1;
    Unlock();
    return 1;
}

int ModuleKeepAlive::SetDocumentOpen(uint32_t open)
{
    if (!Lock())
        return 0;
    documentOpen_ = open;
    const int result = open && !selfReference_ ? StartWorker() : 1;
    Unlock();
    return result;
}

bool ModuleKeepAlive::WorkerRunning()
{
    if (!Lock())
        return false;
    const bool running = workerId_ != 0;
    Unlock();
    return running;
}

int ModuleKeepAlive::StartWorker()
{
    if (selfReference_ || !path_[0])
        return 0;
    selfReference_ = LoadLibraryW(path_);
    if (!selfReference_)
        return 0;
    if (watchedThread_)
        CloseHandle(watchedThread_);
    watchedThread_ = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &watchedThread_, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    HANDLE thread = CreateThread(nullptr, kWorkerStack, &ModuleKeepAlive::Worker, this, 0, &workerId_);
    if (thread) {
        CloseHandle(thread);
        return 1;
    }
    workerId_ = 0;
    FreeLibrary(selfReference_);
    selfReference_ = nullptr;
    return 0;
}

// The worker holds the lock only while it reads or writes the fields, never while it
// waits. Its last act frees the module reference and ends the thread in one call, so no
// code of the module runs after the module may have gone.
DWORD WINAPI ModuleKeepAlive::Worker(void* argument)
{
    ModuleKeepAlive* self = static_cast<ModuleKeepAlive*>(argument);
    bool held = self->Lock();
    while (held) {
        HANDLE watched = self->watchedThread_;
        const DWORD period = self->period_;
        self->Unlock();
        if (watched) {
            if (WaitForSingleObject(watched, period) != WAIT_TIMEOUT) {
                held = self->Lock();
                // The watched thread has ended: it is watched no more. With a document
                // open the module stays and counts on; without one it goes at once.
                if (self->watchedThread_ == watched) {
                    CloseHandle(watched);
                    self->watchedThread_ = nullptr;
                }
                if (held && self->documentOpen_)
                    continue;
                break;
            }
        } else {
            Sleep(period);
        }
        held = self->Lock();
        if (!held)
            break;
        const int32_t activity = self->activity_--;
        if (activity != 0 || self->documentOpen_)
            continue;
        break;
    }
    HMODULE reference = self->selfReference_;
    self->selfReference_ = nullptr;
    self->workerId_ = 0;
    HANDLE watched = self->watchedThread_;
    self->watchedThread_ = nullptr;
    if (held)
        self->Unlock();
    if (watched)
        CloseHandle(watched);
    FreeLibraryAndExitThread(reference, 0);
    return 0;
}
