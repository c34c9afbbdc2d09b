// Damaged copies of a valid DEVMODE of the driver through the driver UI object's
// no-sheet road and its conversion. Each DEVMODE ends at a page that cannot be touched,
// so a read past the bytes its sizes claim crashes the run; a refused one leaves the
// output as it was.
//
// Same switches as the other fuzz cases (FuzzMutation.h).
#include "GuardedBytes.h"
#include "FuzzMutation.h"

#include "entry/driverui/GDriverUI.h"
#include "entry/driverui/GDriverUIDocumentSheet.h"
#include "printer/PrinterIdentity.h"
#include "foundation/RWErrorCapture.h"
#include "settings/devmode/GDriverDevMode.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

} // namespace

TEST(DriverUIDevModeFuzz, DamagedDevModesThroughTheNoSheetRoadAndTheConversion)
{
    const uint32_t seed = Setting("QZ_FUZZ_SEED", 1);
    const uint32_t first = Setting("QZ_FUZZ_FIRST", 0);
    const uint32_t cases = Setting("QZ_FUZZ_CASES", 2000);
    const bool verbose = Setting("QZ_FUZZ_VERBOSE", 0) != 0;

    wchar_t name[] = L"QZ Fuzz Printer Nobody Has";
    GDriverUI ui(PrinterIdentity(nullptr, name, 1));
    ASSERT_EQ(1, ui.MergeDevModeIntoSettings(nullptr));
    Bytes good(1172);
    ASSERT_EQ(1, ui.GetDevModeObject()->CopyOut(reinterpret_cast<DEVMODEW*>(good.data())));

    for (uint32_t n = first; n < first + cases; ++n) {
        std::mt19937 random(seed * 2654435761u + n);
        const std::string damaged = Mutated(std::string(good.begin(), good.end()), random);
        Bytes bytes(damaged.begin(), damaged.end());
        if (bytes.size() < 72)
            bytes.resize(72, 0);
        // The sizes claim at most what is there, or the damage chose them.
        const uint32_t claimed = uint32_t(bytes[68] | bytes[69] << 8) + uint32_t(bytes[70] | bytes[71] << 8);
        if (claimed > bytes.size())
            bytes.resize(claimed, 0);
        if (verbose)
            std::printf("seed %u case %u size %zu\n", seed, n, bytes.size()), std::fflush(stdout);
        GuardedBytes input(bytes.data(), bytes.size());
        ASSERT_NE(nullptr, input.DevMode());
        const bool sound = GDriverUIBase::IsHeaderSound(input.DevMode());
        RWErrorCapture capture;

        Bytes output(1172, 0x77);
        DOCUMENTPROPERTYHEADER header = {};
        header.cbSize = sizeof header;
        header.pszPrinterName = name;
        header.pdmIn = input.DevMode();
        header.pdmOut = reinterpret_cast<DEVMODEW*>(output.data());
        header.fMode = DM_IN_BUFFER | DM_OUT_BUFFER;
        const LONG result = ui.DocumentSheet().DocumentPropertiesNoUI(header);
        EXPECT_EQ(sound ? 1 : -1, result) << n;
        if (!sound) {
            EXPECT_EQ(Bytes(1172, 0x77), output) << n;
        }

        Bytes converted(1172, 0x55);
        LONG needed = 1172;
        SetLastError(0);
        const BOOL ok = ui.ConvertDevMode(name, input.DevMode(), reinterpret_cast<DEVMODEW*>(converted.data()), &needed,
                                          CDM_CONVERT351);
        EXPECT_FALSE(ok) << "no printer of that name: " << n;
        if (!sound) {
            EXPECT_EQ(DWORD(ERROR_INVALID_PARAMETER), GetLastError()) << n;
            EXPECT_EQ(Bytes(1172, 0x55), converted) << n;
        }
    }
}
