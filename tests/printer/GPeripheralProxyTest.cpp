#include "printer/GPeripheralProxy.h"

#include "ChainTestObjects.h"
#include "../model/StoredForms.h"

#include <gtest/gtest.h>

#include <memory>

AddOnCalls& AddOnHost()
{
    static AddOnCalls calls = {0, 0, false};
    return calls;
}

// What the add-on library's create and destroy entries ask of this program.
extern "C" __declspec(dllexport) void* __cdecl QzTestMakeAddOn(int, int)
{
    return ++AddOnHost().made, AddOnHost().refuse ? nullptr : static_cast<GPeripheral*>(new LoggingPeripheral("addon"));
}
extern "C" __declspec(dllexport) void __cdecl QzTestTakeAddOn(void* addOn)
{
    delete (++AddOnHost().taken, static_cast<GPeripheral*>(addOn));
}

TEST(GPeripheralProxyEntries, KindsNameTheirEntriesAndOnlyEqualNamesAreTheSame)
{
    EXPECT_EQ(0, GPeripheralProxy::CreateEntryOf(1).CompareTo(L"_C_PCLXL_ADDON"));
    EXPECT_EQ(0, GPeripheralProxy::DestroyEntryOf(1).CompareTo(L"_D_PCLXL_ADDON"));
    for (int32_t kind : {-1, 5, 6})
        EXPECT_EQ(0u, GPeripheralProxy::CreateEntryOf(kind).Length() + GPeripheralProxy::DestroyEntryOf(kind).Length());
    const GPeripheralProxy xl(AddOnPath(), 1, 2);
    EXPECT_TRUE(std::unique_ptr<GPeripheralProxy>(xl.Copy())->IsSame(&xl));
    EXPECT_FALSE(GPeripheralProxy(AddOnPath(), 3, 2).IsSame(&xl));
}

TEST(GPeripheralProxyModes, ModeTwoNeverLoadsAndModeZeroRunsTheAddOnOncePerCommand)
{
    const AddOnCalls before = AddOnHost();
    GPageStart page(3);
    GPeripheralProxy never(AddOnPath(), 1, 2);
    EXPECT_EQ(&page, never.ReceiveCommand(&page));
    EXPECT_FALSE(AddOnLoaded());
    ChainLog().clear();
    GPeripheralProxy each(AddOnPath(), 1, 0);
    EXPECT_FALSE(each.HasAddOn());
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(&page, each.ReceiveCommand(&page));
        EXPECT_FALSE(AddOnLoaded());
        EXPECT_FALSE(each.HasAddOn());
    }
    EXPECT_EQ((std::vector<std::string>{"addon 709", "addon 709"}), ChainLog());
    EXPECT_EQ(before.made + 2, AddOnHost().made);
    EXPECT_EQ(before.taken + 2, AddOnHost().taken);
}

TEST(GPeripheralProxyModes, AMissingLibraryEntryOrAddOnGivesNoAddOn)
{
    const int made = AddOnHost().made;
    GPageStart page(3);
    EXPECT_FALSE(GPeripheralProxy(RWWString(L"qz-no-addon.dll"), 1, 1).HasAddOn());
    EXPECT_FALSE(GPeripheralProxy(AddOnPath(), 3, 1).HasAddOn());
    EXPECT_EQ(&page, GPeripheralProxy(RWWString(L"qz-no-addon.dll"), 1, 0).ReceiveCommand(&page));
    EXPECT_EQ(made, AddOnHost().made);
    AddOnHost().refuse = true;
    EXPECT_FALSE(GPeripheralProxy(AddOnPath(), 1, 1).HasAddOn());
    AddOnHost().refuse = false;
    EXPECT_EQ(made + 1, AddOnHost().made);
    EXPECT_FALSE(AddOnLoaded());
}

// Only what the create entry made reaches the destroy entry: the stored add-on (of a
// class this module does not know) is never taken for one, and its read fails cleanly.
TEST(GPeripheralProxyStore, ARestoreKeepsTheAddOnItMadeAndDropsTheStoredOne)
{
    const AddOnCalls before = AddOnHost();
    {
        GPeripheralProxy kept(AddOnPath(), 1, 1);
        ASSERT_TRUE(kept.HasAddOn());
        const std::unique_ptr<GPeripheralProxy> shared(kept.Copy());
        EXPECT_EQ(kept.GetAddOn(), shared->GetAddOn());
        std::unique_ptr<GObjectBase> back = AsModel(RestoredFromBytes(SavedBytes(&kept)));
        GPeripheralProxy* restored = dynamic_cast<GPeripheralProxy*>(back.get());
        ASSERT_NE(nullptr, restored);
        EXPECT_TRUE(restored->HasAddOn());
        EXPECT_NE(kept.GetAddOn(), restored->GetAddOn());
        EXPECT_EQ(before.made + 2, AddOnHost().made);
    }
    EXPECT_EQ(AddOnHost().made - before.made, AddOnHost().taken - before.taken);
    EXPECT_FALSE(AddOnLoaded());
}
