// Many applications calling the module at once through the spooler, each round with a
// printer handle of its own (so each round makes and drops driver objects and their
// settings trees): every answer is the one a single application
// gets alone.
#include "TestPrinter.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

// What one application is told in one round.
struct Answers {
    LONG size = 0;
    std::vector<uint8_t> defaults, merged;
    std::vector<WORD> papers, bins;
    std::vector<wchar_t> paperNames;
    bool complete = false;

    // Whole DEVMODEs, private parts included: equal settings pack to equal bytes.
    bool operator==(const Answers& other) const
    {
        return complete == other.complete && size == other.size && defaults == other.defaults &&
               merged == other.merged && papers == other.papers && bins == other.bins &&
               paperNames == other.paperNames;
    }
};

// A capability's answer as a vector of items of slot characters each; empty on failure.
template <class T>
std::vector<T> Capability(const std::wstring& name, WORD index, size_t slot)
{
    const DWORD count = DeviceCapabilitiesW(name.c_str(), L"FILE:", index, nullptr, nullptr);
    if (count == DWORD(-1) || count > 1024)
        return {};
    std::vector<T> items(count * slot + slot);
    if (DeviceCapabilitiesW(name.c_str(), L"FILE:", index, reinterpret_cast<wchar_t*>(items.data()), nullptr) !=
        int(count))
        return {};
    items.resize(count * slot);
    return items;
}

// One round of a new application: open, the size query, DM_OUT_BUFFER, a merge of the
// given DEVMODE, DC_PAPERS, DC_BINS, DC_PAPERNAMES, close.
Answers AskAsANewApplication(const std::wstring& printerName, const std::vector<uint8_t>& given)
{
    Answers answers;
    std::wstring name = printerName;
    HANDLE handle = nullptr;
    if (!OpenPrinterW(&name[0], &handle, nullptr))
        return answers;
    answers.size = DocumentPropertiesW(nullptr, handle, &name[0], nullptr, nullptr, 0);
    bool good = answers.size > 0 && answers.size <= 65536;
    if (good) {
        answers.defaults.assign(size_t(answers.size), 0);
        answers.merged.assign(size_t(answers.size), 0);
        std::vector<uint8_t> in = given;
        good = DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(answers.defaults.data()),
                                   nullptr, DM_OUT_BUFFER) == IDOK &&
               DocumentPropertiesW(nullptr, handle, &name[0], reinterpret_cast<DEVMODEW*>(answers.merged.data()),
                                   reinterpret_cast<DEVMODEW*>(in.data()), DM_IN_BUFFER | DM_OUT_BUFFER) == IDOK;
    }
    answers.papers = Capability<WORD>(name, DC_PAPERS, 1);
    answers.bins = Capability<WORD>(name, DC_BINS, 1);
    answers.paperNames = Capability<wchar_t>(name, DC_PAPERNAMES, 64);
    ClosePrinter(handle);
    answers.complete = good && !answers.papers.empty() && !answers.bins.empty() && !answers.paperNames.empty();
    return answers;
}

class ConcurrentApplications : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        // The DEVMODE to merge: the printer's own, turned to landscape with three copies.
        const Answers first = AskAsANewApplication(printer.Name(), {});
        ASSERT_GT(first.size, LONG(sizeof(DEVMODEW)));
        ASSERT_EQ(size_t(first.size), first.defaults.size());
        given = first.defaults;
        DEVMODEW* devMode = reinterpret_cast<DEVMODEW*>(given.data());
        devMode->dmOrientation = DMORIENT_LANDSCAPE;
        devMode->dmCopies = 3;
        devMode->dmFields |= DM_ORIENTATION | DM_COPIES;
        alone = AskAsANewApplication(printer.Name(), given);
        ASSERT_TRUE(alone.complete);
    }
    const TestPrinter& printer = TestPrinter::Shared();
    std::vector<uint8_t> given;
    Answers alone;
};

TEST_F(ConcurrentApplications, TheMergeTakesTheGivenDevModesChoices)
{
    const DEVMODEW* merged = reinterpret_cast<const DEVMODEW*>(alone.merged.data());
    EXPECT_EQ(DMORIENT_LANDSCAPE, merged->dmOrientation);
    EXPECT_EQ(3, merged->dmCopies);
}

// Rounds per thread for each number of threads at once. The last row runs warm: after
// its first rounds each round finds the printer's data, data file and resource library
// as the module kept them.
TEST_F(ConcurrentApplications, EveryThreadIsToldWhatOneApplicationAloneIsTold)
{
    const struct {
        int threads;
        int rounds;
    } rows[] = {{1, 2}, {4, 3}, {16, 3}, {16, 16}};
    for (const auto& row : rows) {
        std::atomic<int> differing{0}, ready{0};
        std::vector<std::thread> workers;
        for (int t = 0; t < row.threads; ++t)
            workers.emplace_back([&] {
                ++ready;
                while (ready < row.threads)
                    std::this_thread::yield();
                for (int round = 0; round < row.rounds; ++round)
                    if (!(AskAsANewApplication(printer.Name(), given) == alone))
                        ++differing;
            });
        for (std::thread& worker : workers)
            worker.join();
        EXPECT_EQ(0, differing.load()) << row.threads << " threads";
    }
    // And one application alone afterwards is told the same again.
    EXPECT_TRUE(AskAsANewApplication(printer.Name(), given) == alone);
}

} // namespace
