// Random public parts through the DEVMODE converter: random bytes, every dmSize from 0 to
// 220, random dmFields and dmSpecVersion values, each DEVMODE ending at a page that cannot be
// touched, so a read past what dmSize vouches for crashes the run. FromDevMode,
// CheckDevMode (both ways) and NormalizeCollate must come back every time.
//
// Same switches as the other fuzz cases (FuzzMutation.h); CI runs seed 1 for 2000 cases.
#include "GuardedBytes.h"
#include "../settings/ConverterTestModel.h"
#include "FuzzMutation.h"

#include "foundation/RWErrorCapture.h"
#include "settings/devmode/GDriverDevMode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace ConverterModel;

TEST(DevModeConverterFuzz, RandomPublicPartsNeverReadPastTheirSize)
{
    const uint32_t seed = Setting("QZ_FUZZ_SEED", 1);
    const uint32_t first = Setting("QZ_FUZZ_FIRST", 0);
    const uint32_t cases = Setting("QZ_FUZZ_CASES", 2000);
    const bool verbose = Setting("QZ_FUZZ_VERBOSE", 0) != 0;
    const uint16_t specs[] = {0x0300, 0x030A, 0x0320, 0x0400, 0x0401};
    // dmSize itself must be there to be read: a shorter claim still has its first 70 bytes.
    const size_t kSizeWordEnd = offsetof(DEVMODEW, dmDriverExtra);

    Driver driver(0);
    GDriverDevMode devMode(&driver, nullptr);
    for (uint32_t n = first; n < first + cases; ++n) {
        std::mt19937 random(seed * 2654435761u + n);
        const uint16_t size = uint16_t(n % 221);
        const uint16_t specVersion = random() % 4 ? specs[random() % 5] : uint16_t(random());
        if (verbose)
            std::printf("seed %u case %u size %u specVersion %04x\n", seed, n, unsigned(size), unsigned(specVersion)),
                std::fflush(stdout);
        const size_t length = size < kSizeWordEnd ? kSizeWordEnd : size;
        GuardedBytes block(length);
        ASSERT_TRUE(block.Data());
        for (size_t i = 0; i < length; ++i)
            block.Data()[i] = uint8_t(random());
        // Often small values, so the maps and lists are reached and not only refused.
        if (random() % 2)
            for (size_t at = 76; at + 2 <= length && at < 102; at += 2) {
                const int16_t small = int16_t(int(random() % 8) - 4);
                std::memcpy(block.Data() + at, &small, 2);
            }
        std::memcpy(block.Data() + 64, &specVersion, 2);
        std::memcpy(block.Data() + 68, &size, 2);
        if (length >= 76) {
            const uint32_t fields = random() % 2 ? uint32_t(random()) : 0xFFFFFFFFu;
            std::memcpy(block.Data() + 72, &fields, 4);
        }

        std::unique_ptr<GObjectBase> tree(Document());
        RWErrorCapture capture;
        EXPECT_EQ(1, devMode.FromDevMode(block.DevMode(), tree.get())) << n;
        uint32_t mask = 0;
        const int all = devMode.CheckDevMode(nullptr, block.DevMode(), 1, mask);
        if (all) {
            EXPECT_EQ(0u, mask) << n;
        }
        uint32_t firstMask = 0;
        devMode.CheckDevMode(nullptr, block.DevMode(), 0, firstMask);
        EXPECT_EQ(0u, firstMask & ~mask) << n << ": the first fault is among all faults";
        devMode.NormalizeCollate(block.DevMode());
    }
}
