// The stored forms of the attributes' own fields on a binary file and on the typed
// streams.
#include "foundation/RWErrorHandler.h"
#include "model/GDisplayStringAttribute.h"
#include "model/GGraphicAttribute.h"
#include "model/GValue32Attribute.h"
#include "ModelTestObjects.h"
#include "StoredForms.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// One object of every class with fields of its own, with values unlike the defaults.
std::vector<std::unique_ptr<GObjectBase>> Samples()
{
    std::vector<std::unique_ptr<GObjectBase>> samples;
    samples.emplace_back(new GObjectBase(11));
    samples.emplace_back(new GValueAttribute(0xBEEF, 12));
    samples.emplace_back(new GValue32Attribute(0xDEADBEEF, 13));
    samples.emplace_back(new GRangeAttribute(-7, 90, 3, 45, 14));
    samples.emplace_back(new GStringAttribute("a string", 15));
    samples.emplace_back(new GDisplayString(300, "text", "alternative"));
    samples.emplace_back(new TestGraphic(17));
    for (auto& sample : samples)
        if (GAttribute* attribute = dynamic_cast<GAttribute*>(sample.get()))
            attribute->SetStateWord(0);
    return samples;
}

void ExpectSameObject(const GObjectBase& expected, const GObjectBase& actual)
{
    EXPECT_TRUE(actual.IsSame(&expected)) << expected.ClassId();
    EXPECT_EQ(expected.GetSerial(), actual.GetSerial()) << expected.ClassId();
    const GAttribute* a = dynamic_cast<const GAttribute*>(&expected);
    const GAttribute* b = dynamic_cast<const GAttribute*>(&actual);
    if (a && b) {
        EXPECT_EQ(a->GetStateWord(), b->GetStateWord()) << expected.ClassId();
    }
}

} // namespace

TEST(GValueAttributeStore, WritesTwentySixBytes)
{
    GValueAttribute value(0x0102, 0x1234);
    value.SetSerial(0x55);
    const std::vector<uint8_t> expected = {
        0x01, 0x00, 0x00, 0x00, 0x34, 0x12, 0x00, 0x00, 0x55, 0x00, 0x00, 0x00, // root: version, id, serial
        0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,                         // attribute: version, state
        0x01, 0x00, 0x00, 0x00, 0x02, 0x01,                                     // value: version, value
    };
    EXPECT_EQ(expected, GutsBytes(value));
    EXPECT_EQ(26u, value.BinaryStoreSize());
}

TEST(GDisplayStringStore, WritesTheAlternativeTextFirst)
{
    GDisplayString display(0x0203, "T", "AB");
    display.SetSerial(1);
    const std::vector<uint8_t> expected = {
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, //
        0x01, 0x00, 0x00, 0x00,                                                 // version
        0x02, 0x00, 0x00, 0x00, 'A',  'B',                                      // alternative text
        0x01, 0x00, 0x00, 0x00, 'T',                                            // text
        0x03, 0x02,                                                             // string id
    };
    EXPECT_EQ(expected, GutsBytes(display));
    GDisplayString back;
    RestoreGutsFrom(back, expected);
    EXPECT_EQ("T", std::string(back.GetText().Data()));
    EXPECT_EQ("AB", std::string(back.GetAltText().Data()));
    EXPECT_EQ(0x0203, back.GetStringId());
}

TEST(GAttributeStore, SizesMatchTheBytesWritten)
{
    for (const auto& sample : Samples())
        EXPECT_EQ(sample->BinaryStoreSize(), GutsBytes(*sample).size()) << sample->ClassId();
    EXPECT_EQ(20u + 12, GRangeAttribute().BinaryStoreSize());
    EXPECT_EQ(20u + 8 + 3, GStringAttribute("abc", 1).BinaryStoreSize());
    EXPECT_EQ(12u + 14 + 3, GDisplayString(1, "ab", "c").BinaryStoreSize());
    EXPECT_EQ(20u + 4, TestGraphic().BinaryStoreSize());
    EXPECT_EQ(20u + 8, GValue32Attribute().BinaryStoreSize());
}

TEST(GAttributeStore, RoundTripsOnABinaryFile)
{
    for (const auto& sample : Samples()) {
        std::unique_ptr<GObjectBase> back(sample->CreateNew());
        RestoreGutsFrom(*back, GutsBytes(*sample));
        ExpectSameObject(*sample, *back);
    }
}

TEST(GAttributeStore, RoundTripsOnEveryStreamKind)
{
    for (StreamKind kind : kAllStreamKinds) {
        for (const auto& sample : Samples()) {
            std::unique_ptr<GObjectBase> back(sample->CreateNew());
            EXPECT_TRUE(StreamGutsInto(kind, *sample, *back)) << kind;
            ExpectSameObject(*sample, *back);
        }
    }
}

TEST(GAttributeStore, AStoredSerialOfZeroKeepsTheConstructedOne)
{
    GValueAttribute value(3, 4);
    value.SetSerial(0);
    GValueAttribute back;
    const long constructed = back.GetSerial();
    RestoreGutsFrom(back, GutsBytes(value));
    EXPECT_EQ(constructed, back.GetSerial());
    EXPECT_EQ(4, back.GetId());
    EXPECT_EQ(3, back.GetValue());
}

TEST(GAttributeStore, AnotherVersionKeepsTheFields)
{
    GValueAttribute value(3, 4);
    std::vector<uint8_t> bytes = GutsBytes(value);
    bytes[20] = 2; // the value part's version
    GValueAttribute back(9, 9);
    RestoreGutsFrom(back, bytes);
    EXPECT_EQ(4, back.GetId());
    EXPECT_EQ(9, back.GetValue());
    bytes[20] = 1;
    bytes[0] = 2; // the root part's version
    GValueAttribute other(9, 9);
    RestoreGutsFrom(other, bytes);
    EXPECT_EQ(9, other.GetId());
}

TEST(GAttributeStore, TruncatedFieldsAreLeftAsTheyWere)
{
    for (const auto& sample : Samples()) {
        const std::vector<uint8_t> bytes = GutsBytes(*sample);
        // A graphic attribute's last word is a version read for nothing.
        const size_t ignored = dynamic_cast<GGraphicAttribute*>(sample.get()) ? 4 : 0;
        for (size_t n = 0; n + ignored < bytes.size(); ++n) {
            std::unique_ptr<GObjectBase> back(sample->CreateNew());
            RestoreGutsFrom(*back, std::vector<uint8_t>(bytes.begin(), bytes.begin() + n));
            // Only whole parts arrive: the object is never what was stored.
            EXPECT_NE(bytes, GutsBytes(*back)) << sample->ClassId() << " with " << n << " bytes";
        }
    }
}

TEST(GAttributeStore, TruncatedStreamsFailCleanly)
{
    // A stream too short for its own header reports [STREAM].
    TestErrorCapture capture;
    for (StreamKind kind : kAllStreamKinds) {
        GStringAttribute sample("some text", 3);
        const std::string text = StreamTextOf(kind, [&](RWDataOutStream& s) { sample.SaveGuts(s); });
        for (size_t n = 0; n + 1 < text.size(); n += 3) {
            GStringAttribute back("kept", 1);
            ReadStreamText(kind, text.substr(0, n), [&](RWDataInStream& s) { back.RestoreGuts(s); });
            EXPECT_EQ("kept", std::string(back.GetString().Data())) << kind << " " << n;
        }
    }
}

TEST(GAttributeStore, AHugeStoredLengthKeepsTheString)
{
    GStringAttribute sample("abc", 3);
    std::vector<uint8_t> bytes = GutsBytes(sample);
    bytes[24] = 0xFF;
    bytes[25] = 0xFF;
    bytes[26] = 0xFF;
    bytes[27] = 0x7F;
    GStringAttribute back("kept", 1);
    RestoreGutsFrom(back, bytes);
    EXPECT_EQ("kept", std::string(back.GetString().Data()));
}

TEST(GRangeAttributeStore, StoredBoundsOutOfOrderAreRepaired)
{
    GRangeAttribute range(0, 10, 1, 5, 1);
    std::vector<uint8_t> bytes = GutsBytes(range);
    // minimum 20, maximum 10, value -4
    bytes[24] = 20;
    bytes[26] = 10;
    bytes[30] = 0xFC;
    bytes[31] = 0xFF;
    GRangeAttribute back;
    RestoreGutsFrom(back, bytes);
    EXPECT_EQ(20, back.GetMinimum());
    EXPECT_EQ(20, back.GetMaximum());
    EXPECT_EQ(20, back.GetValue());
}
