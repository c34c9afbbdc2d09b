// Every registered class, by its sample, on the binary file and the three typed-stream
// kinds: the size it predicts is what it writes and it reads back the same; every cut
// of its stored form leaves nothing behind; every number of its stored form made huge,
// or one more than the bytes that follow, allocates nothing large and leaves nothing.
#include "AllocationWatch.h"
#include "RegisteredClasses.h"
#include "StoredForms.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

// Far above what any sample's restore needs, far below what a count of 2^32 - 1 asks.
constexpr size_t kLargeBlock = 1 << 20;

std::string Saved(Medium medium, const RWCollectable* object)
{
    if (medium != Medium::File)
        return StreamSaved(KindOf(medium), object);
    const std::vector<uint8_t> bytes = SavedBytes(object);
    return std::string(bytes.begin(), bytes.end());
}

RWCollectable* Restored(Medium medium, const std::string& data)
{
    if (medium != Medium::File)
        return StreamRestored(KindOf(medium), data);
    return RestoredFromBytes(std::vector<uint8_t>(data.begin(), data.end()));
}

// Model objects by IsSame; others (the foundation's empty collections) by their bytes.
bool SameObject(Medium medium, const RWCollectable& a, const RWCollectable& b)
{
    const GObjectBase* modelA = dynamic_cast<const GObjectBase*>(&a);
    const GObjectBase* modelB = dynamic_cast<const GObjectBase*>(&b);
    return modelA && modelB ? modelA->IsSame(modelB) : Saved(medium, &a) == Saved(medium, &b);
}

// What a restore of the data did: whether an object came back, how many blocks stayed
// allocated once it was deleted, and the largest block asked for.
struct Watched {
    bool made;
    long kept;
    size_t largest;
};

Watched RestoreWatched(Medium medium, const std::string& data)
{
    const long live = AllocationWatch::Live();
    AllocationWatch::ResetLargest();
    bool made = false;
    {
        TestErrorCapture capture;
        std::unique_ptr<RWCollectable> back(Restored(medium, data));
        made = back != nullptr;
    }
    return {made, AllocationWatch::Live() - live, AllocationWatch::Largest()};
}

// The data with each stored number in turn replaced by 2^32 - 1 and by one more than
// the bytes after it: every 4-byte window of binary data, every digit run of portable
// text.
std::vector<std::string> PatchedNumbers(Medium medium, const std::string& data)
{
    std::vector<std::string> patched;
    for (size_t at = 0; at < data.size(); ++at) {
        size_t end = at + 4;
        if (medium == Medium::Portable) {
            if (!std::isdigit(uint8_t(data[at])) || (at > 0 && std::isdigit(uint8_t(data[at - 1]))))
                continue;
            for (end = at; end < data.size() && std::isdigit(uint8_t(data[end]));)
                ++end;
        } else if (end > data.size()) {
            break;
        }
        for (uint32_t value : {0xFFFFFFFFu, uint32_t(data.size() - end + 1)}) {
            std::string number(4, '\0');
            for (int i = 0; i < 4; ++i)
                number[i] = char(value >> (8 * i));
            if (medium == Medium::Portable)
                number = std::to_string(value);
            patched.push_back(data.substr(0, at) + number + data.substr(end));
        }
    }
    return patched;
}

class RegisteredClassSweep : public testing::TestWithParam<RegisteredSample> {
protected:
    void SetUp() override
    {
        if (!GetParam().make)
            GTEST_SKIP() << "the factory makes none";
        sample_.reset(GetParam().make());
        ASSERT_TRUE(sample_);
        ASSERT_EQ(GetParam().classId, sample_->ClassId());
    }

    std::unique_ptr<RWCollectable> sample_;
};

} // namespace

TEST(RegisteredClasses, EveryRegisteredClassHasARowAndEveryRowARegisteredClass)
{
    std::set<std::string> rows;
    for (const RegisteredSample& row : RegisteredSamples()) {
        rows.insert(row.name);
        EXPECT_EQ(row.classId, RWFactoryClassId(RWStringID(row.name))) << row.name;
        if (!row.make) {
            EXPECT_EQ(nullptr, RWFactoryCreate(RWStringID(row.name))) << row.name;
        }
    }
    for (const RWFactoryClass& c : RWFactoryClasses())
        EXPECT_EQ(1u, rows.count(c.name.Data())) << "no row in RegisteredClasses.cpp for " << c.name.Data();
}

TEST_P(RegisteredClassSweep, RoundTripsAtThePredictedSize)
{
    EXPECT_EQ(sample_->BinaryStoreSize(), GutsBytes(*sample_).size());
    for (Medium medium : kAllMedia) {
        SCOPED_TRACE(medium);
        const std::string data = Saved(medium, sample_.get());
        if (medium == Medium::File) {
            EXPECT_EQ(sample_->RecursiveStoreSize(), data.size());
        }
        std::unique_ptr<RWCollectable> back(Restored(medium, data));
        ASSERT_TRUE(back);
        EXPECT_EQ(sample_->ClassId(), back->ClassId());
        EXPECT_TRUE(SameObject(medium, *sample_, *back));
        EXPECT_EQ(data.size(), Saved(medium, back.get()).size());
    }
}

// A cut before the object's own fields fails the read; a cut inside a member fails the
// outermost read (the crafted-tree tests pin that). Whatever a cut gives back, deleting
// it leaves nothing behind.
TEST_P(RegisteredClassSweep, EveryShorterPrefixLeavesNothingBehind)
{
    for (Medium medium : kAllMedia) {
        SCOPED_TRACE(medium);
        const std::string data = Saved(medium, sample_.get());
        RestoreWatched(medium, data.substr(0, data.size() / 2)); // makes what restores make once
        const size_t header = medium == Medium::File ? 6 : medium == Medium::Endian ? RWEndianHeader::kSize : 1;
        for (size_t n = 0; n < data.size(); ++n) {
            const Watched watched = RestoreWatched(medium, data.substr(0, n));
            EXPECT_EQ(0, watched.kept) << n << " of " << data.size() << " bytes";
            if (n < header) {
                EXPECT_FALSE(watched.made) << n << " of " << data.size() << " bytes";
            }
        }
    }
}

TEST_P(RegisteredClassSweep, HugeOrOverlongNumbersAllocateNothingLarge)
{
    for (Medium medium : kAllMedia) {
        SCOPED_TRACE(medium);
        const std::string data = Saved(medium, sample_.get());
        RestoreWatched(medium, data);
        for (const std::string& patched : PatchedNumbers(medium, data)) {
            const Watched watched = RestoreWatched(medium, patched);
            EXPECT_EQ(0, watched.kept) << testing::PrintToString(patched);
            EXPECT_LT(watched.largest, kLargeBlock) << testing::PrintToString(patched);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(, RegisteredClassSweep, testing::ValuesIn(RegisteredSamples()),
                         [](const testing::TestParamInfo<RegisteredSample>& info) { return std::string(info.param.name); });
