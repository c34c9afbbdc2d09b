// The harness itself: each way a case can go wrong ends the run with the case named.
// The faults run in a child process of this program (disabled tests run on purpose).
#include "ChildProcess.h"
#include "FuzzHarness.h"

#include "foundation/RWErrorHandler.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <new>

namespace {

class FuzzHarnessFault : public testing::Test {
protected:
    static void SetUpTestSuite() { AttachFuzzModule(); }
    static void TearDownTestSuite() { DetachFuzzModule(); }
};

struct FaultRow {
    const char* test;
    const char* named;
};

} // namespace

TEST_F(FuzzHarnessFault, DISABLED_RaisesOutsideACapture)
{
    FuzzCase guard("raise", 5, 6, false);
    RWRaiseInternal(RWMessageBadReference());
}

TEST_F(FuzzHarnessFault, DISABLED_Hangs)
{
    FuzzCase guard("hang", 5, 7, false);
    for (;;)
        Sleep(100);
}

TEST_F(FuzzHarnessFault, DISABLED_Faults)
{
    FuzzCase guard("fault", 5, 8, false);
    volatile uintptr_t nowhere = 16;
    *reinterpret_cast<volatile int*>(nowhere) = 1;
}

TEST_F(FuzzHarnessFault, DISABLED_RunsOutOfMemory)
{
    FuzzCase guard("memory", 5, 9, false);
    // A request no process can have: the module's new handler gives up its reserve,
    // finds nothing more to free, and ends the process.
    volatile size_t huge = 0xFFFFFFF0u;
    char* volatile block = new char[huge];
    delete[] block;
}

TEST(FuzzHarness, EachFaultEndsTheRunNamingTargetSeedAndCase)
{
    const FaultRow rows[] = {
        {"FuzzHarnessFault.DISABLED_RaisesOutsideACapture", "target raise seed 5 case 6: an error reached the process's handler"},
        {"FuzzHarnessFault.DISABLED_Hangs", "target hang seed 5 case 7: no answer after"},
        {"FuzzHarnessFault.DISABLED_Faults", "target fault seed 5 case 8: exception 0xc0000005"},
        {"FuzzHarnessFault.DISABLED_RunsOutOfMemory", "target memory seed 5 case 9: the module is ending the process"},
    };
    SetEnvironmentVariableA("QZ_FUZZ_CASE_MS", "1500");
    for (const FaultRow& row : rows) {
        const ChildResult result = RunChildTest(row.test);
        EXPECT_NE(0u, result.exitCode) << row.test;
        EXPECT_NE(std::string::npos, result.output.find(row.named)) << row.test << "\n" << result.output;
    }
    SetEnvironmentVariableA("QZ_FUZZ_CASE_MS", nullptr);
}
