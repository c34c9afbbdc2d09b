// Mutation fuzzing of DEVMODEs handed to the DEVMODE classes: every dmSize from 0 to 220
// and dmDriverExtra near 0, 46, 50 and 952, with damaged length words, packed bytes and
// garbage. Each DEVMODE ends at a page that cannot be touched, so a read past the bytes
// its sizes claim crashes the run. A DEVMODE that is refused leaves the object as it was.
//
// Same switches as the other fuzz cases (FuzzMutation.h); CI runs seed 1 for 2000 cases.
#include "GuardedBytes.h"
#include "../settings/SettingsTestDriver.h"
#include "FuzzMutation.h"

#include "foundation/RWErrorCapture.h"
#include "settings/devmode/GDriverDevMode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>

using namespace SettingsTest;

namespace {

typedef std::vector<uint8_t> Bytes;

Bytes Own(GDevModeBase& devMode)
{
    const uint8_t* begin = reinterpret_cast<const uint8_t*>(devMode.GetDevMode());
    return Bytes(begin, begin + GDevModeBase::kTotalSize);
}

} // namespace

TEST(DevModeFuzz, DamagedDevModesNeverReadPastTheirSizes)
{
    const uint32_t seed = Setting("QZ_FUZZ_SEED", 1);
    const uint32_t first = Setting("QZ_FUZZ_FIRST", 0);
    const uint32_t cases = Setting("QZ_FUZZ_CASES", 2000);
    const bool verbose = Setting("QZ_FUZZ_VERBOSE", 0) != 0;

    TestDriver driver(1);
    GDriverDevMode packed(&driver, nullptr);
    std::unique_ptr<GObjectBase> tree(DefaultDocument());
    for (long id : {365, 366, 368, 283})
        delete tree->RemoveById(id);
    ASSERT_EQ(1, packed.Pack(tree.get()));
    const Bytes good = Own(packed);
    const uint16_t extras[] = {0, 1, 45, 46, 47, 49, 50, 51, 100, 951, 952, 953};

    for (uint32_t n = first; n < first + cases; ++n) {
        std::mt19937 random(seed * 2654435761u + n);
        const uint16_t size = uint16_t(n % 221);
        const uint16_t extra = random() % 8 ? extras[random() % (sizeof extras / sizeof extras[0])] : uint16_t(random());
        if (verbose)
            std::printf("seed %u case %u size %u extra %u\n", seed, n, unsigned(size), unsigned(extra)), std::fflush(stdout);
        // The bytes through dmDriverExtra are always there; past them, what the sizes claim.
        Bytes bytes = good;
        switch (random() % 4) {
        case 0: bytes[266 + random() % 2] = uint8_t(random()); break;
        case 1: {
            const std::string damaged = Mutated(std::string(bytes.begin() + 270, bytes.end()), random);
            bytes.resize(270);
            bytes.insert(bytes.end(), damaged.begin(), damaged.end());
            break;
        }
        case 2:
            for (size_t i = 220; i < bytes.size(); ++i)
                bytes[i] = uint8_t(random());
            break;
        default: break;
        }
        bytes.resize(GDevModeBase::kTotalSize, 0);
        bytes[68] = uint8_t(size), bytes[69] = uint8_t(size >> 8);
        bytes[70] = uint8_t(extra), bytes[71] = uint8_t(extra >> 8);
        const size_t claimed = size_t(size) + extra;
        bytes.resize(claimed < 72 ? 72 : claimed, 0);
        GuardedBytes block(bytes.data(), bytes.size());
        ASSERT_TRUE(block.DevMode());

        GDriverDevMode devMode(packed);
        const Bytes before = Own(devMode);
        RWErrorCapture capture;
        (void)devMode.IsValidDevMode(block.DevMode());
        const bool compatible = devMode.IsCompatible(block.DevMode()) != 0;
        ASSERT_EQ(1, devMode.MergeDevMode(block.DevMode()));
        if (!compatible) {
            EXPECT_EQ(before, Own(devMode)) << n;
            EXPECT_TRUE(devMode.GetSettingsTree() && devMode.GetSettingsTree()->IsEqual(tree.get())) << n;
        }
        Bytes out(GDevModeBase::kTotalSize);
        devMode.CopyOut(reinterpret_cast<DEVMODEW*>(out.data()));
    }
}
