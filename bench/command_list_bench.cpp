// Spools pages of commands into page files and replays them, as a page-reordering
// filter does (every page held until the job ends, then replayed in reverse), and does
// the same with the same command bytes written one after another into plain files.
// Prints pages per second of both and how many times slower the page files are.
//
//   command_list_bench.exe [pages] [commands per page]
#include "foundation/RWBinaryFile.h"
#include "model/GObjectIterator.h"
#include "model/MPersistentCompositeOnDisk.h"
#include "pipeline/GCommandCompositeOnDisk.h"
#include "pipeline/GNullCommand.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void Fail(const char* what)
{
    std::fprintf(stderr, "failed: %s\n", what);
    std::exit(2);
}

std::string TempFile(int page, const char* kind)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "command_list_bench_" + std::to_string(page) + kind;
}

// A page's commands: page start, the null command the filters put behind it, drawing
// stand-ins, page end.
GCommand* MakeCommand(int index, int count)
{
    if (index == 0)
        return new GPageStart(1);
    if (index == count - 1)
        return new GPageEnd(2);
    return new GNullCommand(index);
}

double RunPageFiles(int pages, int commands)
{
    std::vector<std::unique_ptr<GCommandCompositeOnDisk>> held;
    const Clock::time_point start = Clock::now();
    for (int p = 0; p < pages; ++p) {
        const std::string name = TempFile(p, ".pg");
        std::remove(name.c_str());
        held.emplace_back(new GCommandCompositeOnDisk(RWWString(std::wstring(name.begin(), name.end()).c_str()), 1, 0));
        for (int c = 0; c < commands; ++c)
            held.back()->AddRecord(MakeCommand(c, commands));
        held.back()->Close();
        if (held.back()->HasFailed())
            Fail("spooling a page");
    }
    long read = 0;
    for (int p = pages - 1; p >= 0; --p) {
        std::unique_ptr<GObjectIterator> it(held[p]->CreateIterator());
        while (it && it->Next())
            read += it->CurrentRef() ? 1 : 0;
    }
    held.clear();
    const double seconds = Since(start);
    if (read != long(pages) * commands)
        Fail("replaying the page files");
    return seconds;
}

double RunPlainFiles(int pages, int commands)
{
    const Clock::time_point start = Clock::now();
    for (int p = 0; p < pages; ++p) {
        const std::string name = TempFile(p, ".plain");
        RWBinaryFile file(name.c_str(), "wb+");
        for (int c = 0; c < commands; ++c) {
            std::unique_ptr<GCommand> command(MakeCommand(c, commands));
            file << static_cast<const RWCollectable*>(command.get());
        }
        if (!file.IsValid() || file.Error())
            Fail("writing a plain file");
    }
    long read = 0;
    for (int p = pages - 1; p >= 0; --p) {
        const std::string name = TempFile(p, ".plain");
        {
            RWBinaryFile file(name.c_str(), "rb");
            for (int c = 0; c < commands; ++c) {
                GCommand* command = nullptr;
                file >> command;
                read += command ? 1 : 0;
                delete command;
            }
        }
        std::remove(name.c_str());
    }
    const double seconds = Since(start);
    if (read != long(pages) * commands)
        Fail("reading the plain files");
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    const int pages = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int commands = argc > 2 ? std::atoi(argv[2]) : 50;
    if (pages <= 0 || commands < 2)
        Fail("arguments");
    // The page files go straight into the temporary folder: the records store takes
    // names only inside a folder named to it as a spool folder.
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    if (!MPersistentCompositeOnDisk::AddSpoolFolder(RWWString(folder)))
        Fail("the temporary folder");
    // Three trials taken in turn; the fastest of each counts, as file work on a shared
    // machine is slowed by whatever else runs.
    const int trials = 3;
    double spooled = 1e9, plain = 1e9;
    for (int trial = 0; trial < trials; ++trial) {
        spooled = std::min(spooled, RunPageFiles(pages, commands));
        plain = std::min(plain, RunPlainFiles(pages, commands));
    }
    std::printf("%d pages of %d commands, spooled and replayed, best of %d trials\n", pages, commands, trials);
    std::printf("page files:  %.3f s (%.0f pages/s)\n", spooled, pages / spooled);
    std::printf("plain files: %.3f s (%.0f pages/s)\n", plain, pages / plain);
    std::printf("page files are %.2f times slower than plain files\n", spooled / plain);
    return 0;
}
