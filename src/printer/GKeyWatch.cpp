#include "printer/GKeyWatch.h"

#include "printer/GPlatformCalls.h"

#include <atomic>

namespace {

// Windows 8 and later keep the notification when the thread that armed it ends; earlier
// ones refuse the flag, and end the notification with the thread by firing it, which
// costs one more reading of the stamps.
LONG ArmOnPlatform(HKEY key, HANDLE event)
{
    const DWORD filter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;
    LONG status = RegNotifyChangeKeyValue(key, TRUE, filter | REG_NOTIFY_THREAD_AGNOSTIC, event, TRUE);
    if (status == ERROR_INVALID_PARAMETER)
        status = RegNotifyChangeKeyValue(key, TRUE, filter, event, TRUE);
    return status;
}

std::atomic<GKeyWatch::Armer> g_armer{ArmOnPlatform};

} // namespace

GKeyWatch::Armer GKeyWatch::SetArmerForTesting(Armer armer) { return g_armer.exchange(armer ? armer : ArmOnPlatform); }

GKeyWatch::GKeyWatch(const std::wstring& path) : path_(path) { InitializeSRWLock(&lock_); }

GKeyWatch::~GKeyWatch()
{
    if (key_)
        RegCloseKey(key_);
    if (event_)
        CloseHandle(event_);
}

bool GKeyWatch::Arm()
{
    if (!event_)
        event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!key_) {
        GPlatformCalls::Count(GPlatformCalls::kKeyOpen);
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, KEY_NOTIFY, &key_) != ERROR_SUCCESS)
            key_ = nullptr;
    }
    // The event is set back before arming: a change between the two is one the reads
    // after this generation see.
    return event_ && key_ && ResetEvent(event_) && g_armer.load()(key_, event_) == ERROR_SUCCESS;
}

uint64_t GKeyWatch::Generation()
{
    uint64_t seen = 0;
    {
        GPlatformCalls::LockGuard guard(lock_, true);
        if (broken_)
            return 0;
        if (event_) {
            GPlatformCalls::Count(GPlatformCalls::kEventWait);
            if (WaitForSingleObject(event_, 0) == WAIT_TIMEOUT)
                return generation_;
        }
        seen = generation_;
    }
    GPlatformCalls::LockGuard guard(lock_, false);
    // Armed again by another thread since this one saw it fire: that arming came after
    // the firing, so its generation covers the change.
    if (broken_ || generation_ != seen)
        return broken_ ? 0 : generation_;
    if (!Arm()) {
        broken_ = true;
        return 0;
    }
    return ++generation_;
}
