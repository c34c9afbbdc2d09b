// Test entry: installs a recording error handler, so that an error raised where a test
// did not expect one fails that test instead of opening a message box and ending the
// run. Tests that expect errors hold a TestErrorCapture.
#include "TestMain.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

namespace {

std::mutex g_mutex;
RWErrorHandler g_handlerBefore = nullptr;
std::vector<std::string> g_unexpected;

void RecordingHandler(const RWException* error)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_unexpected.emplace_back(error && error->Why() ? error->Why() : "(no text)");
}

class UnexpectedErrorListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_unexpected.clear();
    }
    void OnTestEnd(const testing::TestInfo&) override
    {
        std::vector<std::string> errors;
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            errors.swap(g_unexpected);
        }
        for (const std::string& e : errors)
            ADD_FAILURE() << "unexpected error raised to the handler: " << e;
    }
};

} // namespace

RWErrorHandler HandlerBeforeTestMain() { return g_handlerBefore; }

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    g_handlerBefore = RWSetErrorHandler(RecordingHandler);
    testing::UnitTest::GetInstance()->listeners().Append(new UnexpectedErrorListener);
    return RUN_ALL_TESTS();
}
