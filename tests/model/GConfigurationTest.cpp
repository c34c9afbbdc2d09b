#include "model/GConfiguration.h"
#include "model/GDisplayString.h"
#include "ModelTestObjects.h"
#include "Registered.h"
#include "StoredForms.h"

#include <gtest/gtest.h>

#include <memory>

TEST(GConfigurationAdd, SameAttributeIsDestroyedButNestedConfigurationsAreKept)
{
    int deletions = 0;
    {
        GConfiguration configuration(198);
        TrackedValue* first = new TrackedValue(1, 20, &deletions);
        configuration.Add(first);
        configuration.Add(new TrackedValue(1, 20, &deletions));
        EXPECT_EQ(1u, configuration.Entries());
        EXPECT_EQ(1, deletions);
        EXPECT_EQ(first, configuration.At(0));
        configuration.Add(new GConfiguration(30));
        configuration.Add(new GConfiguration(30));
        EXPECT_EQ(3u, configuration.Entries());
    }
    EXPECT_EQ(2, deletions);
}

TEST(GConfigurationAdd, DifferentObjectsAreAppendedInOrderNullAndHeldOnesIgnored)
{
    GConfiguration configuration;
    configuration.Add(nullptr);
    GValueAttribute* value = new GValueAttribute(1, 20);
    configuration.Add(value);
    configuration.Add(value);
    EXPECT_EQ(0, value->References());
    configuration.Add(new GValueAttribute(2, 20));
    configuration.Add(new GStringAttribute("text", 21));
    configuration.Add(new GDisplayString(5, "a", "b"));
    ASSERT_EQ(4u, configuration.Entries());
    EXPECT_EQ(2, static_cast<GValueAttribute*>(configuration.At(1))->GetValue());
    EXPECT_EQ(GDisplayString::kClassId, configuration.At(3)->ClassId());
}

TEST(GConfigurationFind, SettingsAreFoundByIdThroughNestedConfigurations)
{
    GConfiguration configuration;
    GConfiguration* nested = new GConfiguration(30);
    GValueAttribute* setting = new GValueAttribute(4, 77);
    nested->Add(setting);
    configuration.Add(new GValueAttribute(1, 20));
    configuration.Add(nested);
    EXPECT_EQ(setting, configuration.FindById(77));
    EXPECT_EQ(nested, configuration.FindById(30));
    EXPECT_EQ(nullptr, configuration.FindById(78));
}

TEST(GConfigurationCopy, CopiesShareMembers)
{
    GConfiguration configuration(198);
    GValueAttribute* value = new GValueAttribute(1, 20);
    configuration.Add(value);
    std::unique_ptr<GConfiguration> copy(configuration.Copy());
    EXPECT_EQ(759, copy->ClassId());
    EXPECT_EQ(198, copy->GetId());
    EXPECT_EQ(value, copy->At(0));
    EXPECT_EQ(1, value->References());
    std::unique_ptr<GConfiguration> fresh(configuration.CreateNew());
    EXPECT_EQ(0u, fresh->Entries());
}

TEST(GConfigurationStore, VersionWordFollowsTheCompositeFormAndIsReadWithoutATest)
{
    GConfiguration configuration(198);
    MPersistentComposite composite(198);
    composite.SetSerial(configuration.GetSerial());
    std::vector<uint8_t> bytes = GutsBytes(configuration);
    EXPECT_EQ(Joined(GutsBytes(composite), {0x01, 0x00, 0x00, 0x00}), bytes);
    bytes[bytes.size() - 4] = 7;
    GConfiguration restored;
    EXPECT_EQ(0, RestoreGutsAndMeasure(restored, bytes).left);
    EXPECT_EQ(198, restored.GetId());
}
