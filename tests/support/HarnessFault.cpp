// Deliberate faults that prove the test harness: a test executable that crashes, exits
// in the middle of its run or hangs must be reported as a failure within seconds, never
// as a pass and never after the default timeout. scripts/test.sh runs these first with
// QZ_HARNESS_CHECK=1; without it they print a skip line, so a plain ctest run stays green.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

TEST(HarnessFault, AccessViolation)
{
    volatile uintptr_t nowhere = 16;
    *reinterpret_cast<volatile int*>(nowhere) = 1;
}

TEST(HarnessFault, ExitsWithSuccessMidRun)
{
    std::fflush(stdout);
    std::exit(0);
}

TEST(HarnessFault, Hangs)
{
    for (;;)
        Sleep(1000);
}

// Runs after the faulting test, so a harness that kept going would see a pass here.
TEST(HarnessFault, ZLaterTestPasses) { SUCCEED(); }

int main(int argc, char** argv)
{
    const char* check = std::getenv("QZ_HARNESS_CHECK");
    if (!check || std::strcmp(check, "1") != 0) {
        std::printf("harness check skipped\n");
        return 0;
    }
    // The faulting test takes its own name as the only argument.
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
