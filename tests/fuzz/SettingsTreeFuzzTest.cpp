// Mutation fuzzing of the compact settings-tree form: the default tree packed in both
// modes, the three top-level lists, and a tree nested past the reader's limit are
// damaged, loaded against the defaults, used as a caller would use them (searched,
// copied, compared, packed again) and destroyed. Any crash fails the run.
//
// Same switches as the other fuzz cases (FuzzMutation.h); CI runs seed 1 for 2000 cases.
#include "../settings/SettingsTestDriver.h"
#include "FuzzMutation.h"

#include "foundation/RWErrorCapture.h"
#include "graphics/GDeviceFontListComposite.h"
#include "model/GResourceMappingList.h"
#include "model/GSelectionString.h"
#include "model/MAssociationList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

using namespace SettingsTest;

namespace {

std::string AsString(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// Containers 2001 to 2040 nested inside each other, one level past what the reader takes.
std::string NestedPastTheLimit()
{
    const int levels = GSettingsTreeSerializer::kMaxDepth + 1;
    std::vector<uint8_t> body;
    for (int level = 1; level <= levels; ++level)
        body.insert(body.end(), {0x01, 0x01, 0x00, uint8_t(2000 + level), uint8_t((2000 + level) >> 8), 0, 0});
    body.insert(body.end(), {0x77, 0xCF, 0x07});
    body.insert(body.end(), size_t(levels), 0);
    for (int level = 1; level <= levels; ++level) {
        const size_t at = size_t(level - 1) * 7 + 5;
        const size_t length = body.size() - size_t(level) - at + 2;
        body[at] = uint8_t(length), body[at + 1] = uint8_t(length >> 8);
    }
    return AsString(WithLeadIn(body));
}

struct FuzzDriver : TestDriver {
    GObjectBase* CreateDefaultSettings() override
    {
        GObjectBase* root = DefaultDocument();
        GObjectBase* inner = Composite(2040, {Value(0, 1999)});
        for (int level = 39; level >= 1; --level)
            inner = Composite(2000 + level, {inner, Value(0, 1999)});
        root->Add(inner);
        return root;
    }
};

} // namespace

TEST(SettingsTreeFuzz, DamagedSettingsStreamsNeverCrash)
{
    const uint32_t seed = Setting("QZ_FUZZ_SEED", 1);
    const uint32_t first = Setting("QZ_FUZZ_FIRST", 0);
    const uint32_t cases = Setting("QZ_FUZZ_CASES", 2000);
    const bool verbose = Setting("QZ_FUZZ_VERBOSE", 0) != 0;

    FuzzDriver driver;
    std::unique_ptr<GObjectBase> tree(driver.CreateDefaultSettings());
    MAssociationList associations(900);
    associations.Add(new MPersistentAssociation(Value(1, 0), new GStringAttribute("a", 0)));
    associations.Add(new MPersistentAssociation(Value(2, 0), new GSelectionString("s", 2)));
    associations.Add(new MPersistentAssociation(Value(3, 0), new GRangeAttribute(0, 9, 1, 4, 0)));
    GResourceMappingList mappings(85);
    mappings.AppendStored(new GResourceMapping(5, 16690, 50, 1));
    GDeviceFontListComposite fonts;
    fonts.Add(new GDeviceFontList(3));

    struct Sample {
        std::string bytes;
        uint32_t mode;
    };
    std::vector<Sample> samples;
    for (uint32_t mode : {kPortable, kNative}) {
        samples.push_back({AsString(Pack(tree.get(), mode)), mode});
        for (const GObjectBase* list : {static_cast<const GObjectBase*>(&associations),
                                        static_cast<const GObjectBase*>(&mappings),
                                        static_cast<const GObjectBase*>(&fonts)})
            samples.push_back({AsString(Pack(list, mode)), mode});
    }
    samples.push_back({NestedPastTheLimit(), kPortable});

    GSettingsTreeSerializer serializer;
    for (uint32_t n = first; n < first + cases; ++n) {
        const Sample& sample = samples[n % samples.size()];
        if (verbose)
            std::printf("seed %u case %u sample %u\n", seed, n, unsigned(n % samples.size())), std::fflush(stdout);
        std::mt19937 random(seed * 2654435761u + n);
        const std::string bytes = Mutated(sample.bytes, random);
        const std::vector<uint8_t> data(bytes.begin(), bytes.end());
        RWErrorCapture capture;
        std::unique_ptr<GObjectBase> loaded(Unpack(serializer, data, &driver, sample.mode));
        if (!loaded)
            continue;
        (void)loaded->FindById(260);
        (void)loaded->IsEqual(tree.get());
        std::unique_ptr<GObjectBase> copy(loaded->DeepCopy());
        std::unique_ptr<GObjectBase> again(Unpack(serializer, Pack(loaded.get(), sample.mode), &driver, sample.mode));
    }
}
