// What every persistent value class must do with its stored form, checked on a filled
// sample of each: it comes back the same from a binary file and from every kind of typed
// stream, its stored size is what it writes, a cut form changes none of its fields, and
// another version reads nothing past the version word.
#include "StoredForms.h"

#include "model/GBinaryData.h"
#include "model/GLocaleInfo.h"
#include "model/GPMDVersionInfo.h"
#include "model/GPMLDescriptor.h"
#include "model/GPersistableLong.h"
#include "model/GPersistableULong.h"
#include "model/GResourceMapping.h"
#include "model/GSelectionString.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <tuple>

namespace {

struct Sample {
    const char* name;
    std::function<GObjectBase*()> make;
};

GObjectBase* BinarySample()
{
    uint8_t* bytes = new uint8_t[5]{0, 1, 0x7B, 0x7D, 0xFF};
    return new GBinaryData(bytes, 5, 1, 10);
}

GObjectBase* VersionSample()
{
    GPMDVersionInfo* info = new GPMDVersionInfo(0x00010002, 0x00030004, 5, 12);
    info->SetFirstExtra(0xDEADBEEF);
    info->SetSecondExtra(7);
    info->AddString("first");
    info->AddString("");
    info->AddString("with \"quotes\" and {braces}");
    return info;
}

GObjectBase* DescriptorSample()
{
    GPMLDescriptor* descriptor = new GPMLDescriptor(L"Tray \u00e9", -5, 13);
    descriptor->SetText("text");
    return descriptor;
}

GObjectBase* LocaleSample()
{
    GLocaleInfo* info = new GLocaleInfo(16);
    info->SetLocale(0x407);
    info->SetINegCurr(-1);
    info->SetSCountry("Germany");
    info->SetSThousand("");
    return info;
}

const Sample kSamples[] = {
    {"GBinaryData", BinarySample},
    {"GSelectionString", [] { return new GSelectionString("Letter", -3, 11); }},
    {"GPMDVersionInfo", VersionSample},
    {"GPMLDescriptor", DescriptorSample},
    {"GPersistableLong", [] { return new GPersistableLong(-7, 14); }},
    {"GPersistableULong", [] { return new GPersistableULong(0xFFFFFFFEu, 15); }},
    {"GLocaleInfo", LocaleSample},
    {"GResourceMapping", [] { return new GResourceMapping(0x12345678, 16690, -3, 17); }},
};

std::unique_ptr<GObjectBase> Make(size_t sample)
{
    std::unique_ptr<GObjectBase> object(kSamples[sample].make());
    object->SetSerial(0x5150);
    return object;
}

// A new default object of the sample's class with the given id: what a restore that
// read the root part but none of the own fields leaves.
bool HasDefaultFields(GObjectBase& object)
{
    std::unique_ptr<GObjectBase> fresh(object.CreateNew());
    fresh->SetId(object.GetId());
    return fresh->IsSame(&object);
}

class PersistentValuesFile : public testing::TestWithParam<size_t> {};

} // namespace

TEST_P(PersistentValuesFile, RoundTripGivesTheSameObject)
{
    std::unique_ptr<GObjectBase> object = Make(GetParam());
    std::unique_ptr<GObjectBase> restored(object->CreateNew());
    const FileEnd rest = RestoreGutsAndMeasure(*restored, GutsBytes(*object));
    EXPECT_TRUE(restored->IsSame(object.get()));
    EXPECT_TRUE(restored->IsEqual(object.get()));
    EXPECT_EQ(0x5150, restored->GetSerial());
    EXPECT_EQ(0, rest.left);
}

TEST_P(PersistentValuesFile, StoredSizeIsWhatIsWritten)
{
    std::unique_ptr<GObjectBase> object = Make(GetParam());
    EXPECT_EQ(GutsBytes(*object).size(), object->BinaryStoreSize());
    std::unique_ptr<GObjectBase> fresh(object->CreateNew());
    EXPECT_EQ(GutsBytes(*fresh).size(), fresh->BinaryStoreSize());
}

TEST_P(PersistentValuesFile, EveryCutLeavesTheOwnFieldsAlone)
{
    std::unique_ptr<GObjectBase> object = Make(GetParam());
    const std::vector<uint8_t> whole = GutsBytes(*object);
    for (size_t n = 0; n < whole.size(); ++n) {
        std::unique_ptr<GObjectBase> restored(object->CreateNew());
        RestoreGutsAndMeasure(*restored, Prefix(whole, n));
        EXPECT_TRUE(HasDefaultFields(*restored)) << n;
    }
}

TEST_P(PersistentValuesFile, OtherVersionReadsNothingFurther)
{
    std::unique_ptr<GObjectBase> object = Make(GetParam());
    std::unique_ptr<GObjectBase> restored(object->CreateNew());
    const FileEnd rest = RestoreGutsAndMeasure(*restored, StoredBytes().Root(3, 3).U32(2).U32(1).U32(1));
    EXPECT_TRUE(HasDefaultFields(*restored));
    EXPECT_EQ(3, restored->GetId());
    EXPECT_EQ(8, rest.left);
}

TEST_P(PersistentValuesFile, CopyIsTheSameUnlessItTakesAFreshRoot)
{
    std::unique_ptr<GObjectBase> object = Make(GetParam());
    std::unique_ptr<GObjectBase> copy(object->Copy());
    ASSERT_TRUE(copy);
    EXPECT_EQ(object->ClassId(), copy->ClassId());
    if (copy->GetId() == object->GetId())
        EXPECT_TRUE(copy->IsSame(object.get()));
    else
        EXPECT_EQ(0, copy->GetId());
    copy->SetId(object->GetId());
    EXPECT_TRUE(copy->IsSame(object.get()));
}

TEST_P(PersistentValuesFile, KindOfItsOwnClassAndTheRootOnly)
{
    std::unique_ptr<GObjectBase> object = Make(GetParam());
    EXPECT_TRUE(object->IsKindOf(object->ClassId()));
    EXPECT_TRUE(object->IsKindOf(751));
    EXPECT_FALSE(object->IsKindOf(752));
    EXPECT_FALSE(object->IsKindOf(RWCollectable::kClassId));
}

INSTANTIATE_TEST_SUITE_P(AllClasses, PersistentValuesFile, testing::Range<size_t>(0, std::size(kSamples)),
                         [](const testing::TestParamInfo<size_t>& info) { return kSamples[info.param].name; });

namespace {

class PersistentValuesStream : public testing::TestWithParam<std::tuple<size_t, StreamKind>> {
protected:
    std::unique_ptr<GObjectBase> Object() const { return Make(std::get<0>(GetParam())); }
    StreamKind Kind() const { return std::get<1>(GetParam()); }
};

} // namespace

TEST_P(PersistentValuesStream, RoundTripGivesTheSameObject)
{
    std::unique_ptr<GObjectBase> object = Object();
    std::unique_ptr<GObjectBase> restored(object->CreateNew());
    EXPECT_TRUE(RestoreStreamForm(Kind(), *restored, StreamFormOf(Kind(), *object)));
    EXPECT_TRUE(restored->IsSame(object.get()));
    EXPECT_EQ(0x5150, restored->GetSerial());
}

TEST_P(PersistentValuesStream, EveryCutFailsAndLeavesTheOwnFieldsAlone)
{
    std::unique_ptr<GObjectBase> object = Object();
    const std::string whole = StreamFormOf(Kind(), *object);
    for (size_t n = 0; n < whole.size(); ++n) {
        std::unique_ptr<GObjectBase> restored(object->CreateNew());
        EXPECT_FALSE(RestoreCutStreamForm(Kind(), *restored, whole.substr(0, n))) << n;
        EXPECT_TRUE(HasDefaultFields(*restored)) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(
    AllClasses, PersistentValuesStream,
    testing::Combine(testing::Range<size_t>(0, std::size(kSamples)), testing::ValuesIn(kAllStreamKinds)),
    [](const testing::TestParamInfo<std::tuple<size_t, StreamKind>>& info) {
        return std::string(kSamples[std::get<0>(info.param)].name) + "_" +
               testing::PrintToString(std::get<1>(info.param));
    });
