// The job-storage notice as the user sees it: shown through the shower the user
// interface registers with the driver UI object, its texts in place, its check box kept
// as the user's "DontShowJobName".
#include "TestPrinter.h"
#include "entry/driverui/GDriverUI.h"
#include "entry/driverui/GDriverUIDocumentEvents.h"
#include "entry/module/ModuleLifetime.h"
#include "printer/GDriverServer.h"
#include "printer/PrinterIdentity.h"
#include "ui/framework/GJobNoticeDialog.h"
#include "ui/framework/GTimedDialog.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace {

std::wstring LibraryPath() { return TestPrinter::ProgramFolder() + L"\\qzres32.dll"; }

// Waits for the notice on another thread, reads its texts, ticks the check box when
// asked and presses OK. A notice that does not show in time is not waited for: whatever
// the showing thread has open is closed until its Show returns, so that the test fails
// instead of hanging; and a Show that returns without showing ends the wait at once.
struct NoticeUser {
    bool tick = false;
    std::wstring user, job, storedAt;
    bool found = false;
    const DWORD shower = GetCurrentThreadId();
    std::atomic<bool> returned{false};

    static BOOL CALLBACK Close(HWND window, LPARAM)
    {
        PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
        PostMessageW(window, WM_CLOSE, 0, 0);
        return TRUE;
    }
    static DWORD WINAPI Run(void* parameter)
    {
        auto* self = static_cast<NoticeUser*>(parameter);
        for (int tries = 0; !self->returned; ++tries) {
            HWND window = tries < kTries ? FindWindowW(nullptr, L"Job Storage Identification") : nullptr;
            if (window && IsWindowVisible(window)) {
                wchar_t text[256];
                GetDlgItemTextW(window, GTimedDialog::kUserNameItem, text, 256);
                self->user = text;
                GetDlgItemTextW(window, GTimedDialog::kJobNameItem, text, 256);
                self->job = text;
                GetDlgItemTextW(window, GTimedDialog::kStoredAtItem, text, 256);
                self->storedAt = text;
                if (self->tick)
                    SendMessageW(GetDlgItem(window, GTimedDialog::kDontShowItem), BM_CLICK, 0, 0);
                PostMessageW(window, WM_COMMAND, IDOK, 0);
                self->found = true;
                return 0;
            }
            if (tries >= kTries)
                EnumThreadWindows(self->shower, &Close, 0);
            Sleep(50);
        }
        return 0;
    }
    // Marks the showing as over and waits for the user's thread: true when it ended.
    bool Join(HANDLE thread)
    {
        returned = true;
        const bool ended = WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0;
        CloseHandle(thread);
        return ended;
    }
    static constexpr int kTries = 600;
};

GDriverUIDocumentEvents::JobNotice Notice()
{
    GDriverUIDocumentEvents::JobNotice notice;
    notice.userName = RWWString(L"TESTER");
    notice.jobName = RWWString(L"QUARTERLY(01-99)");
    notice.printerName = RWWString(L"Colour Laser");
    notice.location = RWWString(L"Second floor");
    notice.resourceLibrary = RWWString(LibraryPath().c_str());
    return notice;
}

TEST(JobNotice, TheUserInterfaceRegistersItsDialog)
{
    EXPECT_EQ(&GJobNoticeDialog::Show, GDriverUIDocumentEvents::GetJobNoticeShower());
}

TEST(JobNotice, TheDialogShowsTheUserTheJobAndWhereItIsKept)
{
    for (bool tick : {false, true}) {
        NoticeUser user;
        user.tick = tick;
        HANDLE thread = CreateThread(nullptr, 0, &NoticeUser::Run, &user, 0, nullptr);
        ASSERT_NE(nullptr, thread);
        bool dontShowAgain = !tick;
        EXPECT_EQ(1, GJobNoticeDialog::Show(Notice(), dontShowAgain));
        ASSERT_TRUE(user.Join(thread));
        ASSERT_TRUE(user.found);
        EXPECT_EQ(L"TESTER", user.user);
        EXPECT_EQ(L"QUARTERLY(01-99)", user.job);
        EXPECT_EQ(L"Colour Laser\r\nSecond floor", user.storedAt);
        EXPECT_EQ(tick, dontShowAgain);
    }
}

TEST(JobNotice, WithoutItsLibraryNothingIsShown)
{
    GDriverUIDocumentEvents::JobNotice notice = Notice();
    notice.resourceLibrary = RWWString(L"C:\\no\\such\\qzres32.dll");
    bool dontShowAgain = true;
    EXPECT_EQ(0, GJobNoticeDialog::Show(notice, dontShowAgain));
    EXPECT_FALSE(dontShowAgain);
    notice.resourceLibrary = RWWString(L"");
    EXPECT_EQ(0, GJobNoticeDialog::Show(notice, dontShowAgain));
}

TEST(JobNotice, StoredAtNamesThePrinterAndItsLocation)
{
    GDriverUIDocumentEvents::JobNotice notice = Notice();
    EXPECT_STREQ(L"Colour Laser\r\nSecond floor", GJobNoticeDialog::StoredAt(notice).Data());
    notice.location = RWWString(L"");
    EXPECT_STREQ(L"Colour Laser", GJobNoticeDialog::StoredAt(notice).Data());
}

// The driver UI object's notice: a tick in the check box is kept for the user, and the
// next document's notice is then not started.
TEST(JobNotice, ATickIsKeptAsDontShowJobName)
{
    const TestPrinter& printer = TestPrinter::Shared();
    ASSERT_TRUE(printer.Installed()) << printer.Failure();
    ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
    const std::wstring name = printer.Name();
    uint32_t ticket = 0;
    GDriverUI* ui = dynamic_cast<GDriverUI*>(
        ModuleLifetime::DriverServer()->Acquire(new PrinterIdentity(nullptr, name.c_str(), 1), ticket));
    ASSERT_NE(nullptr, ui);
    RWWString key;
    ui->GetJobStorageKey(key);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key.Data(), L"DontShowJobName");
    EXPECT_FALSE(ui->DocumentEvents().JobNoticeDismissed());
    ui->DocumentEvents().PrepareJobNotice();
    EXPECT_EQ(name, std::wstring(ui->DocumentEvents().GetJobNotice().printerName.Data()));
    EXPECT_NE(0u, ui->DocumentEvents().GetJobNotice().resourceLibrary.Length());
    NoticeUser user;
    user.tick = true;
    HANDLE thread = CreateThread(nullptr, 0, &NoticeUser::Run, &user, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    ui->DocumentEvents().ShowJobNotice();
    EXPECT_TRUE(user.Join(thread));
    EXPECT_TRUE(user.found);
    EXPECT_TRUE(ui->DocumentEvents().JobNoticeDismissed());
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key.Data(), L"DontShowJobName");
    EXPECT_FALSE(ui->DocumentEvents().JobNoticeDismissed());
    ModuleLifetime::DriverServer()->Release(ticket);
    ModuleLifetime::Detach(false);
}

} // namespace
