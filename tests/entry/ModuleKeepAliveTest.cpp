#include "entry/module/ModuleKeepAlive.h"

#include "ModuleCopy.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

// The keep-alive holds a module of its own: a copy of the small sibling library, whose
// attach does nothing, so only the keep-alive decides when it goes. Bounds are loose:
// they tell "stays for a while" from "goes", never time anything.
class ModuleKeepAliveTest : public testing::Test {
protected:
    void TearDown() override
    {
        // The worker must be gone before its keep-alive object is.
        for (int i = 0; i < 1000 && keepAlive && keepAlive->WorkerRunning(); ++i)
            Sleep(10);
        ASSERT_TRUE(!keepAlive || !keepAlive->WorkerRunning());
        delete keepAlive;
    }
    // Loads the copy on a thread of its own, starts the keep-alive there (so that thread
    // is the watched one), frees the host's reference and runs the rest on that thread.
    void StartOnThread(std::function<void()> beforeEnd)
    {
        std::thread([&] {
            HMODULE module = LoadLibraryW(path.c_str());
            ASSERT_NE(nullptr, module);
            EXPECT_EQ(1, keepAlive->Start(module));
            FreeLibrary(module);
            beforeEnd();
        }).join();
    }
    ModuleCopy copy{L"qzwolm32.dll"};
    const std::wstring path = copy.Path(L"qzwolm32.dll");
    ModuleKeepAlive* keepAlive = nullptr;
};

TEST_F(ModuleKeepAliveTest, ModuleFreedByItsHostStaysMappedThenGoes)
{
    ASSERT_TRUE(copy.Ok());
    keepAlive = new ModuleKeepAlive(300);
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(nullptr, module);
    EXPECT_EQ(1, keepAlive->Start(module));
    EXPECT_EQ(0, keepAlive->Start(module)) << "one worker at a time";
    // Busy now: two period boundaries pass before the module may go.
    keepAlive->MarkActivity();
    FreeLibrary(module);
    EXPECT_NE(nullptr, GetModuleHandleW(path.c_str())) << "the keep-alive's own reference holds it";
    EXPECT_TRUE(ModuleCopy::WaitUntilUnmapped(path, 3000));
}

TEST_F(ModuleKeepAliveTest, ActivityKeepsTheModuleUntilItStops)
{
    ASSERT_TRUE(copy.Ok());
    keepAlive = new ModuleKeepAlive(200);
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(nullptr, module);
    ASSERT_EQ(1, keepAlive->Start(module));
    keepAlive->MarkActivity();
    FreeLibrary(module);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(1, keepAlive->MarkActivity());
        Sleep(20);
    }
    EXPECT_NE(nullptr, GetModuleHandleW(path.c_str())) << "busy for a second, five periods";
    EXPECT_TRUE(ModuleCopy::WaitUntilUnmapped(path, 3000));
}

TEST_F(ModuleKeepAliveTest, LoadingThreadThatEndsTakesTheModuleWithItAtOnce)
{
    ASSERT_TRUE(copy.Ok());
    // A period far longer than the bound: only the ended thread can explain the unload.
    keepAlive = new ModuleKeepAlive(20000);
    StartOnThread([&] { keepAlive->MarkActivity(); });
    EXPECT_TRUE(ModuleCopy::WaitUntilUnmapped(path, 3000));
}

// Sound behaviour: an open document keeps the module although its loading thread ended.
TEST_F(ModuleKeepAliveTest, LoadingThreadThatEndsWithADocumentOpenLeavesTheModuleCounting)
{
    ASSERT_TRUE(copy.Ok());
    keepAlive = new ModuleKeepAlive(100);
    StartOnThread([&] { EXPECT_EQ(1, keepAlive->SetDocumentOpen(1)); });
    Sleep(800);
    EXPECT_NE(nullptr, GetModuleHandleW(path.c_str())) << "eight periods with the document open";
    EXPECT_TRUE(keepAlive->WorkerRunning());
    // Closing the last document marks activity too, as the document event does.
    EXPECT_EQ(1, keepAlive->SetDocumentOpen(0));
    EXPECT_EQ(1, keepAlive->MarkActivity());
    EXPECT_TRUE(ModuleCopy::WaitUntilUnmapped(path, 3000));
}

TEST_F(ModuleKeepAliveTest, DocumentOpenedAfterTheWorkerEndedStartsANewOne)
{
    ASSERT_TRUE(copy.Ok());
    keepAlive = new ModuleKeepAlive(50);
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(nullptr, module);
    ASSERT_EQ(1, keepAlive->Start(module));
    FreeLibrary(module);
    ASSERT_TRUE(ModuleCopy::WaitUntilUnmapped(path, 3000));
    for (int i = 0; i < 300 && keepAlive->WorkerRunning(); ++i)
        Sleep(10);

    module = LoadLibraryW(path.c_str());
    ASSERT_NE(nullptr, module);
    EXPECT_EQ(1, keepAlive->SetDocumentOpen(1));
    EXPECT_TRUE(keepAlive->WorkerRunning());
    FreeLibrary(module);
    Sleep(300);
    EXPECT_NE(nullptr, GetModuleHandleW(path.c_str())) << "the open document holds it";
    // Closing the last document marks activity too, as the document event does.
    EXPECT_EQ(1, keepAlive->SetDocumentOpen(0));
    EXPECT_EQ(1, keepAlive->MarkActivity());
    EXPECT_TRUE(ModuleCopy::WaitUntilUnmapped(path, 3000));
}

TEST(ModuleKeepAlivePeriod, ZeroMeansTheStandardPeriod)
{
    EXPECT_EQ(500u, ModuleKeepAlive(0).Period());
    EXPECT_EQ(50u, ModuleKeepAlive(50).Period());
    EXPECT_EQ(500u, ModuleKeepAlive::Module().Period());
}

TEST(ModuleKeepAlivePeriod, NoWorkerWithoutAModuleFile)
{
    ModuleKeepAlive keepAlive(50);
    EXPECT_EQ(0, keepAlive.SetDocumentOpen(1)) << "no module file known yet";
    EXPECT_FALSE(keepAlive.WorkerRunning());
    EXPECT_EQ(1, keepAlive.SetDocumentOpen(0));
}

} // namespace
