// The job-storage notice as the user sees it: shown through the shower the user
// interface registers with the driver UI object, its texts in place, its check box kept
// as the user's "DontShowJobName".
#include "NoticeUser.h"
#include "TestPrinter.h"
#include "entry/driverui/GDriverUI.h"
#include "entry/driverui/GDriverUIDocumentEvents.h"
#include "entry/module/ModuleLifetime.h"
#include "printer/GDriverServer.h"
#include "printer/PrinterIdentity.h"
#include "ui/framework/GJobNoticeDialog.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring LibraryPath() { return TestPrinter::ProgramFolder() + L"\\qzres32.dll"; }

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
        NoticeUser user(tick);
        ASSERT_TRUE(user.Started());
        bool dontShowAgain = !tick;
        EXPECT_EQ(1, GJobNoticeDialog::Show(Notice(), dontShowAgain));
        ASSERT_TRUE(user.Join());
        ASSERT_TRUE(user.Saw().found);
        EXPECT_EQ(L"TESTER", user.Saw().user);
        EXPECT_EQ(L"QUARTERLY(01-99)", user.Saw().job);
        EXPECT_EQ(L"Colour Laser\r\nSecond floor", user.Saw().storedAt);
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
    NoticeUser user(true);
    ASSERT_TRUE(user.Started());
    ui->DocumentEvents().ShowJobNotice();
    EXPECT_TRUE(user.Join());
    EXPECT_TRUE(user.Saw().found);
    EXPECT_TRUE(ui->DocumentEvents().JobNoticeDismissed());
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key.Data(), L"DontShowJobName");
    EXPECT_FALSE(ui->DocumentEvents().JobNoticeDismissed());
    ModuleLifetime::DriverServer()->Release(ticket);
    ModuleLifetime::Detach(false);
}

} // namespace
