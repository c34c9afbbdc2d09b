#include "entry/module/GUIOSFactory.h"

#include "TestPrinter.h"
#include "printer/PrinterIdentity.h"
#include "printer/GDriverObject.h"
#include "printer/GKeyWatch.h"
#include "printer/GPlatformCalls.h"
#include "printer/GPrinterDataCache.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <functional>
#include <memory>

namespace {

// Stands in for the driver user-interface object: it holds the identity's handle.
struct HeldPrinter : GDriverObject {
    explicit HeldPrinter(const PrinterIdentity& id) : GDriverObject(id.GetPrinterName()), handle(id.GetPrinterHandle())
    {
    }
    void* handle;
};

const GDriverUIMaker kHeldPrinterMaker = {
    [](const PrinterIdentity& identity) -> GDriverObject* { return new HeldPrinter(identity); },
    [](GDriverObject* driver) { return static_cast<HeldPrinter*>(driver)->handle; },
};

TEST(GUIOSFactoryDriverObjects, MadeByTheRegisteredMakerAndAskedForTheirDataFile)
{
    const TestPrinter& printer = TestPrinter::Shared();
    ASSERT_TRUE(printer.Installed()) << printer.Failure();
    GUIOSFactory* services = new GUIOSFactory;
    HANDLE handle = nullptr;
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(printer.Name().c_str()), &handle, nullptr));
    const PrinterIdentity byHandle(handle, L"", L"", L"", 1);
    const PrinterIdentity byName(nullptr, printer.Name().c_str(), L"", L"", 1);

    const GDriverUIMaker registered = GUIOSFactory::GetDriverUIMaker();
    GUIOSFactory::SetDriverUIMaker(kHeldPrinterMaker);
    // The held handle is used when there is one, else the printer opened by name.
    for (const PrinterIdentity* identity : {&byHandle, &byName}) {
        std::unique_ptr<GDriverObject> driver(services->CreateDriverObject(*identity));
        ASSERT_NE(nullptr, driver);
        RWWString path;
        services->GetDriverDataFile(path, driver.get());
        EXPECT_EQ(0, lstrcmpiW(printer.DataFile().c_str(), path.Data())) << path.Data();
    }
    GUIOSFactory::SetDriverUIMaker(registered);
    ClosePrinter(handle);
}

// The forms' version stays while nothing changes and moves with each change to where the
// spooler keeps the forms it adds: the forms key made (it is not there under Wine), a
// form written to it, the key removed. Every stamp is settled. With the watch on the
// spooler's key armed, an ask while nothing changed reads no stamp, only looks at the
// watch; with a watch that cannot be armed, every ask reads the stamps.
void ExpectTheFormsVersionToMoveWithEveryChange(bool watched)
{
    const wchar_t* const forms = L"System\\CurrentControlSet\\Control\\Print\\Forms";
    HKEY key = nullptr;
    ASSERT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, forms, 0, KEY_READ, &key)) << "no forms key yet";
    const GPrinterDataCache::Clock previous = GPrinterDataCache::SetClockForTesting([] { return uint64_t(1) << 62; });
    const GKeyWatch::Armer refusing = [](HKEY, HANDLE) -> LONG { return ERROR_ACCESS_DENIED; };
    const GKeyWatch::Armer armer = GKeyWatch::SetArmerForTesting(watched ? nullptr : refusing);
    GUIOSFactory* services = new GUIOSFactory;
    const BYTE form[32] = {};
    const struct {
        const char* change;
        std::function<void()> make;
        bool moves;
    } rows[] = {
        {"nothing", [] {}, false},
        {"the forms key made",
         [&] { RegCreateKeyExW(HKEY_LOCAL_MACHINE, forms, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr); },
         true},
        {"nothing again", [] {}, false},
        {"a form written to it", [&] { RegSetValueExW(key, L"Test Form", 0, REG_BINARY, form, sizeof form); }, true},
        {"the key removed",
         [&] {
             RegCloseKey(key);
             RegDeleteKeyW(HKEY_LOCAL_MACHINE, forms);
         },
         true},
        {"nothing at last", [] {}, false},
    };
    uint64_t last = services->FormsVersion();
    EXPECT_NE(0u, last);
    for (const auto& row : rows) {
        row.make();
        const GPlatformCalls::Totals before = GPlatformCalls::Now();
        const uint64_t now = services->FormsVersion();
        const GPlatformCalls::Totals asked = GPlatformCalls::Now().Since(before);
        EXPECT_NE(0u, now) << row.change;
        EXPECT_EQ(row.moves, now != last) << row.change;
        if (!row.moves) {
            EXPECT_EQ(watched ? 1u : 0u, asked[GPlatformCalls::kEventWait]) << row.change;
            EXPECT_EQ(watched ? 0u : 1u, asked[GPlatformCalls::kValueRead]) << row.change;
        }
        last = now;
    }
    GKeyWatch::SetArmerForTesting(armer);
    GPrinterDataCache::SetClockForTesting(previous);
}

TEST(GUIOSFactoryForms, TheVersionMovesWithEveryChangeToTheFormsKey)
{
    ExpectTheFormsVersionToMoveWithEveryChange(true);
}

TEST(GUIOSFactoryForms, AWatchThatCannotBeArmedFallsBackToReadingTheStamps)
{
    ExpectTheFormsVersionToMoveWithEveryChange(false);
}

} // namespace
