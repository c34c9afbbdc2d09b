// The module installed as the test printer's configuration file and reached the way
// applications reach it: through the spooler's own functions.
#include "TestPrinter.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <string>
#include <vector>

namespace {

class Spooler : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        name = printer.Name();
        ASSERT_TRUE(OpenPrinterW(&name[0], &handle, nullptr));
    }
    void TearDown() override
    {
        if (handle)
            ClosePrinter(handle);
    }
    const TestPrinter& printer = TestPrinter::Shared();
    std::wstring name;
    HANDLE handle = nullptr;
};

TEST_F(Spooler, AddedPrinterKeepsTheModulesDevModeNamingIt)
{
    DWORD needed = 0;
    GetPrinterW(handle, 2, nullptr, 0, &needed);
    ASSERT_GT(needed, sizeof(PRINTER_INFO_2W));
    std::vector<BYTE> bytes(needed);
    ASSERT_TRUE(GetPrinterW(handle, 2, bytes.data(), needed, &needed));
    const PRINTER_INFO_2W* info = reinterpret_cast<const PRINTER_INFO_2W*>(bytes.data());
    ASSERT_NE(nullptr, info->pDevMode);
    EXPECT_EQ(name.substr(0, CCHDEVICENAME - 1), std::wstring(info->pDevMode->dmDeviceName));
    EXPECT_EQ(220, info->pDevMode->dmSize);
    EXPECT_EQ(0x401, info->pDevMode->dmSpecVersion);
}

TEST_F(Spooler, DocumentPropertiesSizeIsTheSameWithAndWithoutAHandle)
{
    SetLastError(0xdeadbeef);
    const LONG withHandle = DocumentPropertiesW(nullptr, handle, &name[0], nullptr, nullptr, 0);
    const LONG withoutHandle = DocumentPropertiesW(nullptr, nullptr, &name[0], nullptr, nullptr, 0);
    EXPECT_EQ(1172, withHandle);
    EXPECT_EQ(withHandle, withoutHandle);
}

TEST_F(Spooler, DocumentPropertiesFillsADevModeNamingThePrinter)
{
    // The whole DEVMODE is written, whatever the output's dmSize says.
    std::vector<uint8_t> bytes(1172 + 64, 0xEE);
    auto* out = reinterpret_cast<DEVMODEW*>(bytes.data());
    out->dmSize = sizeof(DEVMODEW);
    EXPECT_EQ(IDOK, DocumentPropertiesW(nullptr, handle, &name[0], out, nullptr, DM_OUT_BUFFER));
    EXPECT_EQ(name.substr(0, CCHDEVICENAME - 1), std::wstring(out->dmDeviceName));
    EXPECT_EQ(220, out->dmSize);
    EXPECT_EQ(952, out->dmDriverExtra);
    EXPECT_TRUE(IsValidDevmodeW(out, 1172));
    for (size_t i = 1172; i < bytes.size(); ++i)
        ASSERT_EQ(0xEE, bytes[i]) << "nothing past the DEVMODE at " << i;
}

TEST_F(Spooler, DeviceCapabilitiesReachTheModule)
{
    const struct {
        WORD capability;
        int answer;
    } rows[] = {
        {DC_SIZE, 220},
        {DC_EXTRA, 952},
        {DC_VERSION, 0x401},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.answer, DeviceCapabilitiesW(name.c_str(), L"FILE:", row.capability, nullptr, nullptr))
            << row.capability;
}

} // namespace
