// A user of the job-storage notice on a thread of their own: waits for the notice, reads
// its texts, ticks the check box when asked and presses OK. A notice that does not show
// in time is not waited for: whatever the showing thread has open is closed until its
// Show returns, so that the test fails instead of hanging; and a Show that returns
// without showing ends the wait at once. What the thread reads and writes is shared with
// it, so a thread that outlives a failed join never touches the test's dead locals.
#pragma once

#include "ui/framework/GTimedDialog.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

class NoticeUser {
public:
    // What the user saw, written by the user's thread before it ends.
    struct Seen {
        bool tick = false;
        std::wstring user, job, storedAt;
        bool found = false;
        DWORD shower = 0;
        std::atomic<bool> returned{false};
    };

    explicit NoticeUser(bool tick = false) : seen_(std::make_shared<Seen>())
    {
        seen_->tick = tick;
        seen_->shower = GetCurrentThreadId();
        auto* handed = new std::shared_ptr<Seen>(seen_);
        thread_ = CreateThread(nullptr, 0, &Run, handed, 0, nullptr);
        if (!thread_)
            delete handed;
    }
    NoticeUser(const NoticeUser&) = delete;
    NoticeUser& operator=(const NoticeUser&) = delete;
    ~NoticeUser() { Join(); }

    bool Started() const { return thread_ != nullptr; }
    // Marks the showing as over and waits a bounded time for the user's thread: true when
    // it ended. Only then may the texts be read.
    bool Join()
    {
        if (!thread_)
            return ended_;
        seen_->returned = true;
        ended_ = WaitForSingleObject(thread_, kJoinMilliseconds) == WAIT_OBJECT_0;
        CloseHandle(thread_);
        thread_ = nullptr;
        return ended_;
    }
    const Seen& Saw() const { return *seen_; }

private:
    static constexpr int kTries = 600;
    static constexpr DWORD kJoinMilliseconds = 10000;

    static BOOL CALLBACK Close(HWND window, LPARAM)
    {
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
    }
    static DWORD WINAPI Run(void* parameter)
    {
        const std::unique_ptr<std::shared_ptr<Seen>> held(static_cast<std::shared_ptr<Seen>*>(parameter));
        Seen& self = **held;
        for (int tries = 0; !self.returned; ++tries) {
            HWND window = tries < kTries ? FindWindowW(nullptr, L"Job Storage Identification") : nullptr;
            if (window && IsWindowVisible(window)) {
                wchar_t text[256];
                GetDlgItemTextW(window, GTimedDialog::kUserNameItem, text, 256);
                self.user = text;
                GetDlgItemTextW(window, GTimedDialog::kJobNameItem, text, 256);
                self.job = text;
                GetDlgItemTextW(window, GTimedDialog::kStoredAtItem, text, 256);
                self.storedAt = text;
                if (self.tick)
                    SendMessageW(GetDlgItem(window, GTimedDialog::kDontShowItem), BM_CLICK, 0, 0);
                PostMessageW(window, WM_COMMAND, IDOK, 0);
                self.found = true;
                return 0;
            }
            if (tries >= kTries)
                EnumThreadWindows(self.shower, &Close, 0);
            Sleep(50);
        }
        return 0;
    }

    std::shared_ptr<Seen> seen_;
    HANDLE thread_ = nullptr;
    bool ended_ = false;
};
