// The DEVMODE copies and merge, measured in one run: CopyOut and CopyIn (field by field,
// then the data room) against a plain memcpy of the 1172 bytes, and MergeDevMode of a
// packed DEVMODE (unpack, merge with the defaults, pack again) against the same memcpy.
// Prints each time and its ratio to the memcpy.
//
//   devmode_bench.exe [rounds]
#include "../tests/settings/SettingsTestDriver.h"

#include "settings/devmode/GDriverDevMode.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace SettingsTest;

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

template <class F>
double Timed(int rounds, F f)
{
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < rounds; ++i)
        f(i);
    return Since(start);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 200000;
    const int merges = rounds / 100 > 0 ? rounds / 100 : 1;
    TestDriver driver(1);
    GDriverDevMode source(&driver, nullptr);
    std::unique_ptr<GObjectBase> tree(DefaultDocument());
    for (long id : {365, 366, 368, 283})
        delete tree->RemoveById(id);
    if (!source.Pack(tree.get())) {
        std::fprintf(stderr, "error: packing failed\n");
        return 2;
    }
    GDriverDevMode target(source);
    std::vector<uint8_t> out(GDevModeBase::kTotalSize);
    volatile uint8_t sink = 0;

    const double copy = Timed(rounds, [&](int i) {
        std::memcpy(out.data(), source.GetDevMode(), GDevModeBase::kTotalSize);
        sink = sink + out[size_t(i) % out.size()];
    });
    const double copyOut = Timed(rounds, [&](int i) {
        source.CopyOut(reinterpret_cast<DEVMODEW*>(out.data()));
        sink = sink + out[size_t(i) % out.size()];
    });
    const double copyIn = Timed(rounds, [&](int) { target.CopyIn(source); });
    source.CopyOut(reinterpret_cast<DEVMODEW*>(out.data()));
    const double merge = Timed(merges, [&](int) {
        if (!target.MergeDevMode(reinterpret_cast<const DEVMODEW*>(out.data())))
            std::exit(2);
    });
    const double copyPerRound = copy / rounds;

    std::printf("rounds %d, merges %d\n", rounds, merges);
    std::printf("memcpy of 1172 bytes: %.3f us\n", 1e6 * copyPerRound);
    std::printf("CopyOut:              %.3f us, ratio %.2f\n", 1e6 * copyOut / rounds, copyOut / copy);
    std::printf("CopyIn:               %.3f us, ratio %.2f\n", 1e6 * copyIn / rounds, copyIn / copy);
    std::printf("MergeDevMode:         %.3f us, ratio %.2f\n", 1e6 * merge / merges, (merge / merges) / copyPerRound);
    (void)sink;
    return 0;
}
