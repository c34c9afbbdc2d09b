#include "printer/GPeripheralProxy.h"

#include "ChainTestObjects.h"
#include "../model/StoredForms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

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
// The restore itself loads nothing: the kept add-on is made by the first command.
TEST(GPeripheralProxyStore, ARestoreLoadsNothingAndTheFirstCommandMakesTheKeptAddOn)
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
        EXPECT_FALSE(restored->HasAddOn());
        EXPECT_EQ(before.made + 1, AddOnHost().made);
        GPageStart page(3);
        ChainLog().clear();
        EXPECT_EQ(&page, restored->ReceiveCommand(&page));
        EXPECT_EQ((std::vector<std::string>{"addon 709"}), ChainLog());
        EXPECT_TRUE(restored->HasAddOn());
        EXPECT_NE(kept.GetAddOn(), restored->GetAddOn());
        EXPECT_EQ(before.made + 2, AddOnHost().made);
    }
    EXPECT_EQ(AddOnHost().made - before.made, AddOnHost().taken - before.taken);
    EXPECT_FALSE(AddOnLoaded());
}

namespace {

// The stored form of a proxy on the path in mode 1, made from one in mode 2 (which
// loads nothing when made) by setting its stored mode word.
std::vector<uint8_t> StoredKeptProxy(const RWWString& path)
{
    const GPeripheralProxy never(path, 1, GPeripheralProxy::kNever);
    std::vector<uint8_t> bytes = SavedBytes(&never);
    // The mode word follows the destroy entry's name.
    const char entry[] = "_D_PCLXL_ADDON";
    std::vector<uint8_t> text;
    for (const char* c = entry; *c; ++c)
        text.insert(text.end(), {uint8_t(*c), 0});
    auto at = std::search(bytes.begin(), bytes.end(), text.begin(), text.end());
    EXPECT_NE(bytes.end(), at);
    if (at != bytes.end()) {
        at += text.size();
        EXPECT_EQ((std::vector<uint8_t>{2, 0, 0, 0, 1, 0, 0, 0}), std::vector<uint8_t>(at, at + 8));
        *at = GPeripheralProxy::kKept;
    }
    return bytes;
}

// The add-on library copied under another name into a folder of its own.
struct OutsideAddOn {
    OutsideAddOn() : folder(TempFolder())
    {
        CreateDirectoryW(folder.c_str(), nullptr);
        const std::wstring addOn(AddOnPath().Data());
        CopyFileW(addOn.c_str(), path().c_str(), FALSE);
    }
    ~OutsideAddOn()
    {
        DeleteFileW(path().c_str());
        RemoveDirectoryW(folder.c_str());
    }
    std::wstring path() const { return folder + L"\\qz-outside-addon.dll"; }
    static std::wstring TempFolder()
    {
        wchar_t temp[MAX_PATH] = {};
        const DWORD length = GetTempPathW(MAX_PATH, temp);
        return std::wstring(temp, length) + L"qz-addon-" + std::to_wstring(GetCurrentProcessId());
    }
    static bool Loaded() { return GetModuleHandleW(L"qz-outside-addon.dll") != nullptr; }
    std::wstring folder;
};

// Services whose driver directory is a folder of the test's choosing.
struct DriverFolderServices : TestOSFactory {
    void GetDriverDirectory(RWWString& path) override { path = RWWString(folder.c_str()); }
    std::wstring folder;
};

} // namespace

// A stored proxy in mode 1 once loaded its library and ran the create entry during the
// restore: any stored graph with model objects could run code of its choosing.
TEST(GPeripheralProxyStore, AStoredKeptProxyLoadsNothingOnRestore)
{
    const int made = AddOnHost().made;
    std::unique_ptr<GObjectBase> back = AsModel(RestoredFromBytes(StoredKeptProxy(AddOnPath())));
    GPeripheralProxy* restored = dynamic_cast<GPeripheralProxy*>(back.get());
    ASSERT_NE(nullptr, restored);
    EXPECT_EQ(int32_t(GPeripheralProxy::kKept), restored->GetMode());
    EXPECT_FALSE(AddOnLoaded());
    EXPECT_EQ(made, AddOnHost().made);
    EXPECT_FALSE(restored->HasAddOn());
}

// Libraries load from a full path inside the module's folder or the driver directory
// only; a bare name, a step out of the folder or any other folder is refused, and the
// command passes on as it came.
TEST(GPeripheralProxyPaths, OnlyFullPathsInTheModuleFolderOrDriverDirectoryLoad)
{
    OutsideAddOn outside;
    ASSERT_TRUE(GetFileAttributesW(outside.path().c_str()) != INVALID_FILE_ATTRIBUTES);
    const std::string program = ThisProgram();
    const std::string folder = program.substr(0, program.find_last_of('\\'));
    const std::string leaf = folder.substr(folder.find_last_of('\\') + 1);
    const RWWString refused[] = {
        RWWString(outside.path().c_str()),
        RWWString(L"qzaddon.dll"),
        RWWString((folder + "\\..\\" + leaf + "\\qzaddon.dll").c_str()),
        RWWString((folder + "\\.\\qzaddon.dll").c_str()),
        RWWString((folder + "/qzaddon.dll").c_str()),
    };
    const int made = AddOnHost().made;
    GPageStart page(3);
    for (const RWWString& path : refused) {
        for (int32_t mode : {0, 1}) {
            GPeripheralProxy proxy(path, 1, mode);
            EXPECT_EQ(&page, proxy.ReceiveCommand(&page));
            EXPECT_TRUE(proxy.WasRefused()) << std::wstring(path.Data()).size();
            EXPECT_FALSE(proxy.HasAddOn());
        }
        EXPECT_FALSE(AddOnLoaded());
        EXPECT_FALSE(OutsideAddOn::Loaded());
    }
    EXPECT_EQ(made, AddOnHost().made);
    // The same copy loads once its folder is the driver directory.
    DriverFolderServices* services = new DriverFolderServices;
    services->folder = outside.folder;
    {
        GPeripheralProxy proxy(RWWString(outside.path().c_str()), 1, 1);
        EXPECT_FALSE(proxy.WasRefused());
        EXPECT_TRUE(proxy.HasAddOn());
        EXPECT_TRUE(OutsideAddOn::Loaded());
    }
    EXPECT_FALSE(OutsideAddOn::Loaded());
    EXPECT_EQ(made + 1, AddOnHost().made);
    new TestOSFactory;
}
