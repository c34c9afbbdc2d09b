// The colour-adjustment attributes (their pairs, stored form, settings-tree records and
// accessors) and the colour option values (sameness, factory, stored form, dispatch).
#include "model/GAttributeComposite.h"
#include "model/GChromafitAttribute.h"
#include "model/GChromafitEnhancedAttribute.h"
#include "model/GChromafitEnhancedAttributeVer2.h"
#include "model/GChromafitRecords.h"
#include "model/GConfiguration.h"
#include "model/GColorMap.h"
#include "model/GEdgeControl.h"
#include "model/GHalftone.h"
#include "model/GHalftoneEnhanced.h"
#include "model/GNeutralGrays.h"
#include "model/GSRGBColor.h"
#include "model/GSRGBExtension.h"
#include "model/MAssociationList.h"
#include "ModelTestObjects.h"
#include "Registered.h"
#include "StoredForms.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::unique_ptr<GChromafitBase> Sample(RWClassID classId)
{
    if (classId == 792)
        return std::make_unique<GChromafitAttribute>(21, 1, 2, 3, 4, 5, 6);
    if (classId == 797)
        return std::make_unique<GChromafitEnhancedAttribute>(22, 1, 2, 3, 4, 5, 6, 7, 8);
    return std::make_unique<GChromafitEnhancedAttributeVer2>(23, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10);
}

std::string RecordOf(const GObjectBase& attribute, bool portable, int* written)
{
    std::stringbuf buffer;
    RWBinaryOutStream stream(&buffer);
    *written = WriteChromafitRecord(&attribute, stream, portable);
    return buffer.str();
}

// Reads a record whose tag byte has been taken already.
std::unique_ptr<GChromafitBase> ReadRecord(const std::string& record, bool portable)
{
    std::stringbuf buffer(record.substr(1));
    RWBinaryInStream stream(&buffer);
    return std::unique_ptr<GChromafitBase>(ReadChromafitRecord(uint8_t(record[0]), stream, portable));
}

} // namespace

TEST(ChromafitAttribute, ADefaultFirstGenerationStoresSixWords)
{
    GChromafitAttribute attribute(5);
    attribute.SetSerial(9);
    const std::vector<uint8_t> expected =
        StoredBytes().Root(5, 9).U32(1).U32(1).U32(1).U16(15).U16(40).U16(21).U16(50).U16(31).U16(62);
    EXPECT_EQ(expected, GutsBytes(attribute));
    uint8_t first = 0;
    EXPECT_EQ(1, GChromafitAttribute(227).GetSetting(2, 0, first));
    EXPECT_EQ(32, first);
}

TEST(ChromafitAttribute, PairsFollowEachGenerationsLayout)
{
    struct Row {
        RWClassID classId;
        int object, kind, answer, value; // value -1: nothing is read
    };
    const Row rows[] = {
        {792, 0, 0, 1, 1},  {792, 2, 1, 1, 6},  {792, 1, 2, 1, -1}, {792, 3, 0, 0, -1}, {792, 0, 3, 0, -1},
        {797, 2, 0, 1, 5},  {797, 0, 2, 1, 7},  {797, 3, 3, 1, 8},  {797, 1, 4, 1, -1}, {797, 4, 0, 0, -1},
        {1201, 1, 3, 1, 6}, {1201, 3, 2, 1, 10}, {1201, 2, 1, 1, 8}, {1201, 0, 5, 0, -1}, {1201, -1, 0, 0, -1},
    };
    for (const Row& row : rows) {
        uint8_t value = 0xAB;
        EXPECT_EQ(row.answer, Sample(row.classId)->GetSetting(row.object, row.kind, value))
            << row.classId << " (" << row.object << ", " << row.kind << ")";
        EXPECT_EQ(row.value < 0 ? 0xAB : row.value, value)
            << row.classId << " (" << row.object << ", " << row.kind << ")";
    }
    GChromafitEnhancedAttributeVer2 ver2(1);
    EXPECT_EQ(1, ver2.SetSetting(3, 3, 7));
    for (int object = 0; object < 3; ++object) {
        uint8_t third = 0;
        ver2.GetSetting(object, 3, third);
        EXPECT_EQ(7, third) << object;
    }
    // The page with a per-object kind is a scratch value: no object's value changes.
    GChromafitEnhancedAttribute enhanced(1);
    EXPECT_EQ(1, enhanced.SetSetting(3, 0, 44));
    EXPECT_EQ(1, enhanced.SetSetting(3, 1, 45));
    EXPECT_TRUE(enhanced.IsSameContent(std::make_unique<GChromafitEnhancedAttribute>(2).get()));
    uint8_t page = 0;
    enhanced.GetSetting(3, 0, page);
    EXPECT_EQ(44, page);
}

TEST(ChromafitRecords, RoundTripInBothWidths)
{
    for (RWClassID classId : {797, 1201}) {
        for (bool portable : {true, false}) {
            int written = 0;
            const std::string record = RecordOf(*Sample(classId), portable, &written);
            EXPECT_EQ(1, written);
            EXPECT_EQ((portable ? 5u : 9u) + (classId == 797 ? 8 : 10), record.size());
            std::unique_ptr<GChromafitBase> back = ReadRecord(record, portable);
            ASSERT_TRUE(back) << classId;
            EXPECT_TRUE(back->IsSameContent(Sample(classId).get())) << classId;
            EXPECT_EQ(Sample(classId)->GetId(), back->GetId());
            for (size_t cut = 1; cut < record.size(); ++cut)
                EXPECT_FALSE(ReadRecord(record.substr(0, cut), portable)) << classId << " cut to " << cut;
        }
    }
    int written = 0;
    const std::string ver2 = RecordOf(*Sample(1201), true, &written);
    EXPECT_EQ(std::string("\x14\x01\x00\x17\x00\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A", 15), ver2);
    std::string badVersion = ver2;
    badVersion[1] = 2;
    EXPECT_FALSE(ReadRecord(badVersion, true));
    EXPECT_TRUE(RecordOf(*Sample(792), true, &written).empty());
    EXPECT_EQ(0, written);
}

TEST(ChromafitAccessors, ReadFeature295ByClassAndMode)
{
    GAttributeComposite ver2Settings(1);
    ver2Settings.Add(new GChromafitEnhancedAttributeVer2(295));
    EXPECT_EQ(70, GetEnhancedFirst(&ver2Settings, 0, 4));
    EXPECT_EQ(0xFFFF, GetEnhancedFirst(&ver2Settings, 0, 3));
    EXPECT_EQ(61, GetSecondSetting(&ver2Settings, 2));
    EXPECT_EQ(106, GetThirdSetting(&ver2Settings, 2));
    EXPECT_EQ(95, GetPageSetting(&ver2Settings, 4));
    EXPECT_EQ(0xFFFF, GetSecondPageSetting(&ver2Settings));
    EXPECT_EQ(0xFFFF, GetFirstSetting(&ver2Settings, 3));

    GAttributeComposite enhancedSettings(1);
    enhancedSettings.Add(new GChromafitEnhancedAttribute(295));
    EXPECT_EQ(98, GetSecondPageSetting(&enhancedSettings));
    EXPECT_EQ(51, GetEnhancedSecond(&enhancedSettings, 1, 3));
    EXPECT_EQ(0xFFFF, GetThirdSetting(&enhancedSettings, 0));

    GAttributeComposite wrongClass(1);
    wrongClass.Add(new GValueAttribute(7, 295));
    GAttributeComposite empty(1);
    for (GObjectBase* settings : {static_cast<GObjectBase*>(&wrongClass), static_cast<GObjectBase*>(&empty)}) {
        EXPECT_EQ(0xFFFF, GetFirstSetting(settings, 0));
        EXPECT_EQ(0xFFFF, GetPageSetting(settings, 4));
    }
}

TEST(ChromafitAccessors, ValueMapsAnswerByOptionNumber)
{
    GConfiguration settings;
    MAssociationList* map = new MAssociationList(kColorMapMapId);
    map->Add(new MPersistentAssociation(new GValueAttribute(15, 0), new GValueAttribute(3, 0)));
    map->Add(new MPersistentAssociation(new GValueAttribute(16, 0), new GStringAttribute("vivid", 0)));
    settings.Add(map);
    settings.Add(new GValueAttribute(4, kHalftoneMapId));
    EXPECT_EQ(3, GetAssociatedValue(kColorMapMapId, &settings, 15));
    EXPECT_EQ(3, GColorMap(15, 0).GetDeviceValue(&settings));
    EXPECT_EQ(0, GetAssociatedValue(kColorMapMapId, &settings, 16));
    EXPECT_EQ(0, GetAssociatedValue(kColorMapMapId, &settings, 17));
    EXPECT_EQ("vivid", std::string(GetAssociatedString(kColorMapMapId, &settings, 16).Data()));
    EXPECT_EQ("", std::string(GetAssociatedString(kColorMapMapId, &settings, 15).Data()));
    EXPECT_EQ(0, GHalftone().GetDeviceValue(&settings));
    EXPECT_EQ(0, GEdgeControl().GetDeviceValue(&settings));
}

namespace {

class NamingVisitor : public GAttributeVisitor {
public:
    int16_t ApplyColorMap(GColorMap&) override { return Name("ColorMap"); }
    int16_t ApplyHalftone(GHalftone&) override { return Name("Halftone"); }
    int16_t ApplyHalftoneEnhanced(GHalftoneEnhanced&) override { return Name("HalftoneEnhanced"); }
    int16_t ApplyNeutralGrays(GNeutralGrays&) override { return Name("NeutralGrays"); }
    int16_t ApplyEdgeControl(GEdgeControl&) override { return Name("EdgeControl"); }
    int16_t ApplySRGBColor(GSRGBColor&) override { return Name("SRGBColor"); }
    int16_t ApplySRGBExtension(GSRGBExtension&) override { return Name("SRGBExtension"); }
    std::string last;

private:
    int16_t Name(const char* name)
    {
        last = name;
        return 5;
    }
};

} // namespace

TEST(ChromafitOption, EachClassAppliesAndStoresItself)
{
    struct Row {
        std::unique_ptr<GChromafitOption> option;
        const char* name;
        uint16_t defaultOption;
    };
    Row rows[] = {
        {std::make_unique<GColorMap>(), "ColorMap", 15},
        {std::make_unique<GHalftone>(), "Halftone", 40},
        {std::make_unique<GHalftoneEnhanced>(), "HalftoneEnhanced", 40},
        {std::make_unique<GNeutralGrays>(), "NeutralGrays", 70},
        {std::make_unique<GEdgeControl>(), "EdgeControl", 93},
        {std::make_unique<GSRGBColor>(), "SRGBColor", 98},
        {std::make_unique<GSRGBExtension>(), "SRGBExtension", 100},
    };
    for (Row& row : rows) {
        NamingVisitor visitor;
        EXPECT_EQ(5, row.option->ApplyTo(visitor));
        EXPECT_EQ(row.name, visitor.last);
        EXPECT_EQ(row.defaultOption, row.option->GetValue()) << row.name;
        EXPECT_TRUE(row.option->IsKindOf(754) && !row.option->IsKindOf(763)) << row.name;
    }
    std::unique_ptr<RWCollectable> byId(RWFactoryCreate(790));
    EXPECT_TRUE(dynamic_cast<GHalftoneEnhanced*>(byId.get()));
    std::unique_ptr<RWCollectable> byName(RWFactoryCreate(RWStringID("GHalftone")));
    EXPECT_FALSE(dynamic_cast<GHalftoneEnhanced*>(byName.get()));

    GSRGBExtension extension(0x1234, 9);
    const std::vector<uint8_t> bytes = GutsBytes(extension);
    EXPECT_EQ(TestGraphic().BinaryStoreSize() + 8, bytes.size());
    EXPECT_EQ(std::vector<uint8_t>({1, 0, 0, 0, 0x34, 0x12, 0, 0}), std::vector<uint8_t>(bytes.end() - 8, bytes.end()));
}

TEST(ChromafitOption, SamenessIsClassIdAndOptionNumber)
{
    EXPECT_TRUE(GColorMap(5, 1).IsSame(std::make_unique<GColorMap>(5, 2).get()));
    EXPECT_FALSE(GColorMap(5, 1).IsSame(std::make_unique<GColorMap>(6, 1).get()));
    EXPECT_TRUE(GHalftone(7, 1).IsSame(std::make_unique<GHalftoneEnhanced>(7, 2).get()));
    EXPECT_FALSE(GSRGBColor(7, 1).IsSame(std::make_unique<GSRGBExtension>(7, 1).get()));
}
