#include "model/GAttribute.h"

#include "model/GDisplayStringAttribute.h"
#include "model/GGraphicAttribute.h"
#include "model/GValue32Attribute.h"
#include "ModelTestObjects.h"
#include "StoredForms.h"

#include <gtest/gtest.h>

namespace {

// A peripheral that keeps every visitor of the base.
class SilentPeripheral : public GPeripheral {
public:
    SilentPeripheral* CreateNew() const override { return new SilentPeripheral; }
    SilentPeripheral* Copy() const override { return new SilentPeripheral(*this); }
    uint32_t QueryFlags() override { return 0; }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
};

} // namespace

TEST(GRangeAttribute, ConstructorRepairsItsArguments)
{
    GRangeAttribute range(10, 5, 0, 7, 1);
    EXPECT_EQ(10, range.GetMinimum());
    EXPECT_EQ(10, range.GetMaximum());
    EXPECT_EQ(1, range.GetStep());
    EXPECT_EQ(10, range.GetValue());
    GRangeAttribute high(0, 5, 2, 9, 1);
    EXPECT_EQ(5, high.GetValue());
}

TEST(GRangeAttribute, SetValueClampsToTheBounds)
{
    GRangeAttribute range(1, 999, 1, 5, 1);
    range.SetValue(-3);
    EXPECT_EQ(1, range.GetValue());
    range.SetValue(1000);
    EXPECT_EQ(999, range.GetValue());
    EXPECT_TRUE(range.IsInRange(1));
    EXPECT_TRUE(range.IsInRange(999));
    EXPECT_FALSE(range.IsInRange(0));
    EXPECT_FALSE(range.IsInRange(1000));
}

TEST(GRangeAttribute, BoundsStayOrderedAndLeaveTheValue)
{
    GRangeAttribute range(0, 10, 1, 8, 1);
    range.SetMinimum(20);
    EXPECT_EQ(10, range.GetMinimum());
    EXPECT_EQ(8, range.GetValue());
    range.SetMinimum(0);
    range.SetMaximum(-5);
    EXPECT_EQ(0, range.GetMaximum());
    EXPECT_EQ(8, range.GetValue());
}

TEST(GRangeAttribute, StepsStopAtTheBoundsWithoutWrapping)
{
    GRangeAttribute range(0, 10, 3, 9, 1);
    range.Increment();
    EXPECT_EQ(10, range.GetValue());
    range.Increment();
    EXPECT_EQ(10, range.GetValue());
    range.SetValue(2);
    range.Decrement();
    EXPECT_EQ(0, range.GetValue());
    GRangeAttribute top(-10, 32767, 100, 32760, 1);
    top.Increment();
    EXPECT_EQ(32767, top.GetValue());
    top.Increment();
    EXPECT_EQ(32767, top.GetValue());
    GRangeAttribute bottom(-32768, 0, 65535, -32760, 1);
    bottom.Decrement();
    EXPECT_EQ(-32768, bottom.GetValue());
    // A step of 0 is kept and changes nothing.
    range.SetValue(4);
    range.SetStep(0);
    EXPECT_EQ(0, range.GetStep());
    range.Increment();
    EXPECT_EQ(4, range.GetValue());
}

TEST(GRangeAttribute, SameNeedsEveryValue)
{
    GRangeAttribute a(0, 10, 1, 4, 1);
    GRangeAttribute b(0, 10, 1, 4, 1);
    EXPECT_TRUE(a.IsSame(&b));
    b.SetStep(2);
    EXPECT_TRUE(a.Differs(&b));
    GRangeAttribute c(0, 11, 1, 4, 1);
    EXPECT_TRUE(a.Differs(&c));
}

TEST(GValueAttribute, BoolsAreStoredAsOneOrZero)
{
    GValueAttribute value(0, 4);
    value.SetBool(5);
    EXPECT_EQ(1, value.GetValue());
    EXPECT_TRUE(value.IsTrue());
    value.SetBool(0);
    EXPECT_TRUE(value.IsFalse());
}

TEST(GValueAttribute, SameMeansSameClassIdAndValue)
{
    GValueAttribute a(3, 4);
    GValueAttribute b(3, 4);
    EXPECT_NE(a.GetSerial(), b.GetSerial());
    EXPECT_TRUE(a.IsSame(&b));
    b.SetValue(2);
    EXPECT_TRUE(a.Differs(&b));
    GValue32Attribute wide(3, 4);
    EXPECT_TRUE(a.Differs(&wide));
    EXPECT_FALSE(a.IsSame(nullptr));
    EXPECT_TRUE(a.IsSame(&a));
}

TEST(GAttributeAssign, CopiesIdSerialAndStateButNotTheValue)
{
    GValueAttribute target(1, 10);
    GValueAttribute source(2, 20);
    source.SetStateWord(1);
    target.SetStateWord(0);
    EXPECT_EQ(1, target.Assign(&source));
    EXPECT_EQ(20, target.GetId());
    EXPECT_EQ(source.GetSerial(), target.GetSerial());
    EXPECT_EQ(1, target.GetStateWord());
    EXPECT_EQ(1, target.GetValue());
}

TEST(GAttributeAssign, ChangesNothingForTheSameSetting)
{
    GValueAttribute target(1, 10);
    GValueAttribute source(1, 10);
    source.SetStateWord(7);
    EXPECT_EQ(0, target.Assign(&source));
    EXPECT_EQ(1, target.GetStateWord());
    EXPECT_EQ(0, target.Assign(nullptr));
}

TEST(GAttributeApply, LeavesCallTheirVisitorButWideValuesAndDisplayStringsTouchNone)
{
    RecordingPeripheral peripheral;
    peripheral.Answer(3, 42);
    GValueAttribute value(1, 1);
    GStringAttribute string("x", 2);
    GRangeAttribute range(0, 5, 1, 2, 3);
    GValue32Attribute wide(7, 4);
    GDisplayStringAttribute display(5, 100, "a", "b");
    EXPECT_EQ(0, value.ApplyTo(peripheral));
    EXPECT_EQ(0, string.ApplyTo(peripheral));
    EXPECT_EQ(42, range.ApplyTo(peripheral));
    EXPECT_EQ(0, wide.ApplyTo(peripheral));
    EXPECT_EQ(0, display.ApplyTo(peripheral));
    EXPECT_EQ((std::vector<std::string>{"ApplyValue 1", "ApplyString 2", "ApplyRange 3"}), peripheral.visits);
    EXPECT_EQ(1, value.GetStateWord());
}

TEST(GAttributeApply, TheBasePeripheralIgnoresEveryAttribute)
{
    SilentPeripheral peripheral;
    GValueAttribute value(1, 1);
    GStringAttribute string("x", 2);
    GRangeAttribute range(0, 5, 1, 2, 3);
    GEnumAttribute enumeration(4);
    EXPECT_EQ(0, value.ApplyTo(peripheral));
    EXPECT_EQ(0, string.ApplyTo(peripheral));
    EXPECT_EQ(0, range.ApplyTo(peripheral));
    EXPECT_EQ(0, enumeration.ApplyTo(peripheral));
}

TEST(GStringAttribute, NullTextIsEmptyAndSameIsByteEqual)
{
    GStringAttribute a(static_cast<const char*>(nullptr), 1);
    EXPECT_EQ(0u, a.GetString().Length());
    a.SetString("ab");
    GStringAttribute b(RWCString("ab"), 1);
    EXPECT_TRUE(a.IsSame(&b));
    b.SetString(RWCString("ab\0c", 4));
    EXPECT_TRUE(a.Differs(&b));
    a.SetString(static_cast<const char*>(nullptr));
    EXPECT_EQ(0u, a.GetString().Length());
}

TEST(GDisplayString, NullTextsAreEmptyAndSameComparesEverything)
{
    GDisplayString a(5, nullptr, nullptr);
    EXPECT_EQ(5, a.GetStringId());
    EXPECT_EQ(0u, a.GetText().Length());
    GDisplayString b(5, "t", "u");
    EXPECT_TRUE(a.Differs(&b));
    a.SetText(RWCString("t"));
    a.SetAltText(RWCString("u"));
    EXPECT_TRUE(a.IsSame(&b));
    GDisplayString c(6, "t", "u");
    EXPECT_TRUE(a.Differs(&c));
}

TEST(GDisplayStringAttribute, HoldsItsDisplayStringByValue)
{
    GDisplayStringAttribute attribute(9, 100, "text", "alt");
    EXPECT_EQ(9, attribute.GetId());
    EXPECT_EQ(100, attribute.GetDisplayString().GetStringId());
    EXPECT_TRUE(attribute.GetDisplayString().IsEmbedded());
    GDisplayStringAttribute copy(attribute);
    EXPECT_TRUE(copy.GetDisplayString().IsEmbedded());
    EXPECT_TRUE(copy.IsSame(&attribute));
    copy.SetDisplayString(GDisplayString(101, "text", "alt"));
    EXPECT_TRUE(copy.Differs(&attribute));
    EXPECT_TRUE(copy.GetDisplayString().IsEmbedded());
    GDisplayStringAttribute noId(100, "text", "alt");
    EXPECT_EQ(0, noId.GetId());
}

TEST(GAttributeCopy, CopiesCarryEveryField)
{
    GRangeAttribute range(-5, 5, 2, 3, 8);
    range.SetStateWord(0);
    GRangeAttribute* copy = range.Copy();
    EXPECT_TRUE(copy->IsSame(&range));
    EXPECT_EQ(range.GetSerial(), copy->GetSerial());
    EXPECT_EQ(0, copy->GetStateWord());
    EXPECT_EQ(-1, copy->References());
    delete copy;
    GStringAttribute string("s", 2);
    GStringAttribute assigned;
    assigned = string;
    EXPECT_TRUE(assigned.IsSame(&string));
    EXPECT_EQ(string.GetSerial(), assigned.GetSerial());
    GValueAttribute* fresh = GValueAttribute().CreateNew();
    EXPECT_EQ(0, fresh->GetValue());
    delete fresh;
}
