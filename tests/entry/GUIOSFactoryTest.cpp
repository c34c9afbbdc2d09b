#include "entry/module/GUIOSFactory.h"

#include "TestPrinter.h"
#include "printer/PrinterIdentity.h"
#include "printer/GDriverObject.h"

#include <gtest/gtest.h>

#include <winspool.h>

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

} // namespace
