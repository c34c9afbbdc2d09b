// What the driver UI object keeps with the printer outside the settings tree: the
// configuration's feature string, the stale mark of a rebuilt default and the cached
// files of a printer connection.
#include "TestPrinter.h"
#include "entry/driverui/GDriverUI.h"
#include "entry/driverui/GDriverUIPrinterEvents.h"
#include "entry/module/ModuleLifetime.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverServer.h"
#include "printer/PrinterIdentity.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class DriverUIPrinterData : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        ASSERT_TRUE(ModuleLifetime::Attach(GetModuleHandleW(nullptr), false));
        ASSERT_TRUE(OpenPrinterW(&name[0], &handle, nullptr));
        GDriverObject* object =
            ModuleLifetime::DriverServer()->Acquire(new PrinterIdentity(nullptr, name.c_str(), 1), ticket);
        ui = dynamic_cast<GDriverUI*>(object);
        ASSERT_NE(nullptr, ui);
        Forget();
    }
    void TearDown() override
    {
        Forget();
        if (ticket)
            ModuleLifetime::DriverServer()->Release(ticket);
        ClosePrinter(handle);
        ModuleLifetime::Detach(false);
    }
    // Wine's spooler has no DeletePrinterDataW: the values go from the printer's key.
    void Delete(const wchar_t* value)
    {
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, (printer.RegistryKey() + L"\\PrinterDriverData").c_str(), value);
    }
    void Forget()
    {
        for (const wchar_t* value : {L"FeatureString", L"FontCards", L"Stale"})
            Delete(value);
    }
    // The printer-data value: its type and bytes; type 0 when absent.
    std::pair<DWORD, std::vector<BYTE>> Data(const wchar_t* value)
    {
        DWORD type = 0, needed = 0;
        std::vector<BYTE> bytes(4096);
        if (GetPrinterDataW(handle, const_cast<wchar_t*>(value), &type, bytes.data(), DWORD(bytes.size()), &needed) !=
            ERROR_SUCCESS)
            return {0, {}};
        bytes.resize(needed);
        return {type, bytes};
    }
    std::wstring Text(const wchar_t* value)
    {
        const auto data = Data(value);
        return data.first == REG_SZ ? std::wstring(reinterpret_cast<const wchar_t*>(data.second.data())) : L"(none)";
    }

    const TestPrinter& printer = TestPrinter::Shared();
    std::wstring name = printer.Name();
    HANDLE handle = nullptr;
    uint32_t ticket = 0;
    GDriverUI* ui = nullptr;
};

TEST_F(DriverUIPrinterData, TheFeatureStringIsKeptAndFontCardsMarked)
{
    GConfiguration* configuration = ui->GetPrinterConfiguration();
    ASSERT_NE(nullptr, configuration);
    ASSERT_EQ(nullptr, configuration->FindById(FeatureId::kFeatureString));
    EXPECT_EQ(0, ui->PrinterEvents().StoreFeatureString()) << "no text, nothing written";
    EXPECT_EQ(0u, Data(L"FeatureString").first);

    configuration->Add(new GStringAttribute("QZ Colour 4600", FeatureId::kFeatureString));
    const bool hadCards = configuration->FindById(FeatureId::kFontCards) != nullptr;
    if (!hadCards)
        configuration->Add(new GValueAttribute(0, FeatureId::kFontCards));
    EXPECT_EQ(1, ui->PrinterEvents().StoreFeatureString());
    EXPECT_EQ(L"QZ Colour 4600", Text(L"FeatureString"));
    EXPECT_EQ(0u, Data(L"FontCards").first) << "no font cards";

    GDriverObject::Feature<GValueAttribute>(configuration, FeatureId::kFontCards)->SetValue(1);
    EXPECT_EQ(1, ui->PrinterEvents().StoreFeatureString());
    const auto cards = Data(L"FontCards");
    ASSERT_EQ(DWORD(REG_DWORD), cards.first);
    ASSERT_EQ(4u, cards.second.size());
    EXPECT_EQ(1u, *reinterpret_cast<const DWORD*>(cards.second.data()));

    // Sound behaviour: a text past the bound is not written.
    delete configuration->RemoveById(FeatureId::kFeatureString);
    configuration->Add(new GStringAttribute(std::string(1025, 'x').c_str(), FeatureId::kFeatureString));
    EXPECT_EQ(0, ui->PrinterEvents().StoreFeatureString());
    EXPECT_EQ(L"QZ Colour 4600", Text(L"FeatureString"));

    delete configuration->RemoveById(FeatureId::kFeatureString);
    if (!hadCards)
        delete configuration->RemoveById(FeatureId::kFontCards);
}

TEST_F(DriverUIPrinterData, AStaleDefaultIsMarkedOnlyWithTheDeviceModelConfiguration)
{
    GAttributeComposite tree(0);
    EXPECT_EQ(0, ui->RefreshStaleDefaults(&tree));
    EXPECT_EQ(0, ui->RefreshStaleDefaults(nullptr));
    tree.Add(new GValueAttribute(0, FeatureId::kDeviceModelConfig));
    EXPECT_EQ(0, ui->RefreshStaleDefaults(&tree));
    EXPECT_EQ(0u, Data(L"Stale").first);

    GDriverObject::Feature<GValueAttribute>(&tree, FeatureId::kDeviceModelConfig)->SetValue(1);
    tree.Add(new GValueAttribute(7, FeatureId::kPrinterLists));
    tree.Add(new GValueAttribute(0, FeatureId::kWatermarkList));
    // The update writes through the object's handle, as the conversion opens it; the
    // update's own stamp is put back as it was.
    const auto stamp = Data(L"DMCLastUpdate");
    ASSERT_TRUE(ui->OpenOwnPrinter());
    ui->UseOwnPrinter(1);
    EXPECT_EQ(1, ui->RefreshStaleDefaults(&tree));
    ui->CloseOwnPrinter();
    if (stamp.first) {
        HANDLE full = nullptr;
        PRINTER_DEFAULTSW defaults = {nullptr, nullptr, PRINTER_ALL_ACCESS};
        ASSERT_TRUE(OpenPrinterW(&name[0], &full, &defaults));
        SetPrinterDataW(full, const_cast<wchar_t*>(L"DMCLastUpdate"), stamp.first, const_cast<BYTE*>(stamp.second.data()),
                        DWORD(stamp.second.size()));
        ClosePrinter(full);
    } else {
        Delete(L"DMCLastUpdate");
    }
    EXPECT_EQ(L"FALSE", Text(L"Stale"));
    EXPECT_EQ(7, GDriverObject::Feature<GValueAttribute>(&tree, FeatureId::kWatermarkList)->GetValue());
}

TEST(CachedFiles, OnlyPlainFilesUnderTheDriverFolderAtMostTenWithoutRepeats)
{
    const wchar_t* folder = L"C:\\spool\\drivers\\w32x86";
    const std::vector<const wchar_t*> paths = {
        L"C:\\spool\\drivers\\w32x86\\3\\qzui32.dll",
        L"c:\\SPOOL\\drivers\\w32x86\\3\\qzdrv.dat",
        L"C:\\spool\\drivers\\w32x86\\3\\QZUI32.DLL",     // a repeat, in another case
        L"C:\\spool\\drivers\\w32x86\\..\\win.ini",        // leaves the folder
        L"C:\\spool\\drivers\\w32x86",                     // the folder itself
        L"C:\\spool\\drivers\\w32x86x\\3\\other.dll",      // a folder that only begins alike
        L"D:\\elsewhere\\qzres32.dll",
        nullptr,
        L"C:\\spool\\drivers\\w32x86\\3\\qzres32.dll",
    };
    const std::vector<RWWString> list = GDriverUIPrinterEvents::CachedFileList(paths, folder);
    ASSERT_EQ(3u, list.size());
    EXPECT_STREQ(L"C:\\spool\\drivers\\w32x86\\3\\qzui32.dll", list[0].Data());
    EXPECT_STREQ(L"c:\\SPOOL\\drivers\\w32x86\\3\\qzdrv.dat", list[1].Data());
    EXPECT_STREQ(L"C:\\spool\\drivers\\w32x86\\3\\qzres32.dll", list[2].Data());

    std::vector<std::wstring> many;
    for (int i = 0; i < 12; ++i)
        many.push_back(std::wstring(folder) + L"\\3\\file" + std::to_wstring(i) + L".dll");
    std::vector<const wchar_t*> manyPaths;
    for (const std::wstring& path : many)
        manyPaths.push_back(path.c_str());
    const std::vector<RWWString> ten = GDriverUIPrinterEvents::CachedFileList(manyPaths, folder);
    ASSERT_EQ(GDriverUIPrinterEvents::kCachedFileSlots, ten.size());
    EXPECT_STREQ(many[9].c_str(), ten[9].Data());
    EXPECT_TRUE(GDriverUIPrinterEvents::CachedFileList(manyPaths, L"").empty());
    EXPECT_TRUE(GDriverUIPrinterEvents::CachedFileList(manyPaths, nullptr).empty());
}

// Sound behaviour: a local printer's driver files are its own, never cached copies, so
// deleting the cached files of a local printer touches nothing.
TEST_F(DriverUIPrinterData, ALocalPrinterCachesNoFiles)
{
    for (int slot = -1; slot <= 10; ++slot)
        EXPECT_EQ(0u, ui->PrinterEvents().CachedFilePath(slot).Length()) << slot;
    EXPECT_EQ(0, ui->PrinterEvents().DeleteCachedFiles());
}

} // namespace
