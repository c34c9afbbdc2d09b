// Inserts and then finds 100,000 keys in a disk B-tree file shaped as the records store
// shapes it (16-byte text keys, nodes of 10 to 20 keys), with several page-cache sizes,
// and does the same work on std::map. Prints operations per second and how many times
// slower the disk tree is than the map.
//
//   disk_btree_bench.exe [keys]
#include "foundation/RWCString.h"
#include "foundation/RWDiskBTree.h"
#include "foundation/RWErrorHandler.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Timing {
    double insertSeconds = 0;
    double findSeconds = 0;
    // Nodes read from the file per find (the root stays in memory), and the tree's levels.
    double readsPerFind = 0;
    uint32_t height = 0;
};

void PrintAndExit(const RWException* error)
{
    std::fprintf(stderr, "error: %s\n", error && error->Why() ? error->Why() : "(none)");
    std::exit(2);
}

void Fail(const char* what)
{
    std::fprintf(stderr, "failed: %s\n", what);
    std::exit(2);
}

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string TempFile(const char* leaf)
{
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + leaf;
}

Timing RunTree(const std::vector<std::string>& inserts, const std::vector<std::string>& finds, uint32_t pages)
{
    const std::string path = TempFile("disk_btree_bench.dbt");
    std::remove(path.c_str());
    Timing timing;
    {
        RWDiskFileManager file(path.c_str());
        RWDiskBTree tree(file, pages, 0, 16, 0, RWDiskBTree::kNone, 0, 10, 10);
        Clock::time_point start = Clock::now();
        for (size_t i = 0; i < inserts.size(); ++i)
            if (!tree.InsertKeyAndValue(inserts[i].c_str(), static_cast<uint32_t>(i)))
                Fail("insert");
        timing.insertSeconds = Since(start);
        RWCString key;
        uint32_t value = 0;
        const uint64_t readsBefore = tree.NodeFileReads();
        start = Clock::now();
        for (const std::string& k : finds)
            if (!tree.FindKeyAndValue(k.c_str(), key, value))
                Fail("find");
        timing.findSeconds = Since(start);
        timing.readsPerFind = double(tree.NodeFileReads() - readsBefore) / double(finds.size());
        timing.height = tree.Height();
    }
    std::remove(path.c_str());
    return timing;
}

Timing RunMap(const std::vector<std::string>& inserts, const std::vector<std::string>& finds)
{
    Timing timing;
    std::map<std::string, uint32_t> map;
    Clock::time_point start = Clock::now();
    for (size_t i = 0; i < inserts.size(); ++i)
        map.emplace(inserts[i], static_cast<uint32_t>(i));
    timing.insertSeconds = Since(start);
    start = Clock::now();
    for (const std::string& k : finds)
        if (map.find(k) == map.end())
            Fail("map find");
    timing.findSeconds = Since(start);
    return timing;
}

void Report(const char* label, const Timing& t, const Timing& map, const Timing& uncached, size_t n)
{
    std::printf("%-22s insert %10.0f/s (x%6.1f)   find %10.0f/s (x%6.1f)  %.2f reads/find, %.2f x faster than no cache\n",
                label, n / t.insertSeconds, t.insertSeconds / map.insertSeconds, n / t.findSeconds,
                t.findSeconds / map.findSeconds, t.readsPerFind, uncached.findSeconds / t.findSeconds);
}

} // namespace

int main(int argc, char** argv)
{
    RWSetErrorHandler(PrintAndExit);
    const size_t n = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    std::vector<std::string> inserts;
    char text[32];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(text, sizeof text, "rec%012zu", i * 7919 % 1000000007);
        inserts.emplace_back(text);
    }
    std::mt19937 random(2024);
    std::shuffle(inserts.begin(), inserts.end(), random);
    std::vector<std::string> finds(inserts);
    std::shuffle(finds.begin(), finds.end(), random);

    const Timing map = RunMap(inserts, finds);
    std::printf("%zu keys; ratios are times slower than std::map doing the same work\n", n);
    std::printf("%-22s insert %10.0f/s             find %10.0f/s\n", "std::map", n / map.insertSeconds,
                n / map.findSeconds);
    const struct {
        const char* label;
        uint32_t pages;
    } runs[] = {{"disk tree, no cache", 0}, {"disk tree, 10 pages", 10}, {"disk tree, 100 pages", 100}, {"disk tree, every node", 100000}};
    Timing uncached;
    for (const auto& run : runs) {
        const Timing t = RunTree(inserts, finds, run.pages);
        if (run.pages == 0)
            uncached = t;
        Report(run.label, t, map, uncached, n);
    }
    std::printf("tree of %u levels\n", uncached.height);
    return 0;
}
