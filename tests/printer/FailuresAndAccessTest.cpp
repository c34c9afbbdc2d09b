// Failures that must not read as success, answers that must not be kept from a caller
// that had nothing to go on, and the access a printer handle asks for to read.
#include "TestOSFactory.h"
#include "TestPrinter.h"

#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GPrinter.h"
#include "printer/GWin32OSFactory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// A driver object over a configuration holding the members given.
template <class Base>
struct ConfiguredDriver : Base {
    explicit ConfiguredDriver(std::vector<GObjectBase*> members) : GDriverObject(L"printer")
    {
        GConfiguration* configuration = new GConfiguration(198);
        for (GObjectBase* member : members)
            configuration->Add(member);
        GPrinter* printer = new GPrinter("printer", nullptr, nullptr, 353);
        printer->Add(new GPeripheralComposite("model", nullptr, configuration, 76));
        this->SetPrinter(printer);
    }
};

// The stored-form choice (940 under 359 and 366) with the value given.
GObjectBase* StoredFormChoice(uint16_t form)
{
    GAttributeComposite *outer = new GAttributeComposite(359), *inner = new GAttributeComposite(366);
    inner->Add(new GValueAttribute(form, 940));
    outer->Add(inner);
    return outer;
}

struct FailingSaves : TestOSFactory {
    int SaveObjectToPrinterData(GDriverObject*, const RWWString&, const GObjectBase*) override { return 0; }
};

} // namespace

// The numbered path once answered 1 whatever the save did.
TEST(DriverObjectUpgradeFailures, ANumberedUpgradeWhoseSaveFailsAnswersZero)
{
    for (bool failing : {true, false}) {
        TestOSFactory* services = failing ? new FailingSaves : new TestOSFactory;
        ConfiguredDriver<GDriverObject> driver({});
        EXPECT_EQ(failing ? 0 : 1, driver.UpgradeObject(new GValueAttribute(7, 12), nullptr)) << failing;
        EXPECT_EQ(failing ? 0u : 1u, services->printerData.count(L"12"));
    }
}

// A first caller without a configuration once fixed the answer for the life of the
// process (or of the services).
TEST(FoundValuesOnlyAreKept, FeatureTenTwentyFiveIsNotDecidedByAMiss)
{
    new TestOSFactory;
    ConfiguredDriver<GDriverObjectImp> bare({});
    EXPECT_EQ(0, bare.IsFeature1025Set());
    ConfiguredDriver<GDriverObjectImp> set({new GValueAttribute(1, 1025)});
    EXPECT_EQ(1, set.IsFeature1025Set());
    ConfiguredDriver<GDriverObjectImp> clear({new GValueAttribute(0, 1025)});
    EXPECT_EQ(1, clear.IsFeature1025Set()) << "a found value is kept";
}

TEST(FoundValuesOnlyAreKept, TheStoredFormIsNotDecidedByAMiss)
{
    TestOSFactory* services = new TestOSFactory;
    EXPECT_EQ(0, services->StoredFormFor(nullptr));
    ConfiguredDriver<GDriverObject> none({});
    EXPECT_EQ(0, services->StoredFormFor(&none));
    ConfiguredDriver<GDriverObject> compact({StoredFormChoice(1)});
    EXPECT_EQ(1, services->StoredFormFor(&compact));
    ConfiguredDriver<GDriverObject> graph({StoredFormChoice(0)});
    EXPECT_EQ(1, services->StoredFormFor(&graph)) << "a found value is kept";
    EXPECT_EQ(1, services->GetStoredFormFlag());
}

namespace {

// Replaces the program's import of the named function from the library; answers the
// one it replaced (null when the program does not import it).
void* ReplaceImport(const char* library, const char* function, void* replacement)
{
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const IMAGE_NT_HEADERS* nt =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); d->Name; ++d) {
        if (_stricmp(reinterpret_cast<const char*>(base + d->Name), library) != 0 || !d->OriginalFirstThunk)
            continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0)
                continue;
            DWORD old = 0;
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &old);
            void* replaced = reinterpret_cast<void*>(slots->u1.Function);
            slots->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, old, &old);
            return replaced;
        }
    }
    return nullptr;
}

typedef BOOL(WINAPI* OpenPrinterFunction)(LPWSTR, LPHANDLE, LPPRINTER_DEFAULTSW);
OpenPrinterFunction g_openPrinter = nullptr;
std::vector<ACCESS_MASK> g_asked;

BOOL WINAPI RecordingOpenPrinter(LPWSTR name, LPHANDLE handle, LPPRINTER_DEFAULTSW defaults)
{
    g_asked.push_back(defaults ? defaults->DesiredAccess : 0);
    return g_openPrinter(name, handle, defaults);
}

// The Windows services with no driver user-interface object: every printer-data call
// opens the printer by name.
struct ByNameServices : GWin32OSFactory {
    void* GetPrinterHandle(GDriverObject*) override { return nullptr; }
};

} // namespace

// A handle opened to read asks only for use, which a standard user has; full access
// (refused to such a user) is asked only to write.
TEST(PrinterHandleAccess, ReadsAskForUseAndOnlyWritesForFullAccess)
{
    ASSERT_TRUE(TestPrinter::Shared().Installed()) << TestPrinter::Shared().Failure();
    new ByNameServices;
    GDriverObject driver(TestPrinter::Shared().Name().c_str());
    g_openPrinter = reinterpret_cast<OpenPrinterFunction>(
        ReplaceImport("winspool.drv", "OpenPrinterW", reinterpret_cast<void*>(&RecordingOpenPrinter)));
    ASSERT_NE(nullptr, g_openPrinter);
    GOSFactory* services = GOSFactory::Instance();
    g_asked.clear();
    const bool wrote = services->SetPrinterDataDword(&driver, L"QzAccessProbe", 5) == 1;
    const std::vector<ACCESS_MASK> writes = g_asked;
    g_asked.clear();
    const uint32_t read = services->GetPrinterDataDword(&driver, L"QzAccessProbe", 0);
    RWWString text;
    services->GetPrinterDataString(text, &driver, L"QzAccessProbe", L"");
    uint8_t buffer[8];
    uint32_t length = 0;
    services->GetPrinterDataBinary(&driver, L"QzAccessProbe", buffer, sizeof buffer, length);
    const std::vector<ACCESS_MASK> reads = g_asked;
    ReplaceImport("winspool.drv", "OpenPrinterW", reinterpret_cast<void*>(g_openPrinter));
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, (TestPrinter::Shared().RegistryKey() + L"\\PrinterDriverData").c_str(),
                       L"QzAccessProbe");
    EXPECT_TRUE(wrote);
    EXPECT_EQ(5u, read);
    EXPECT_EQ(std::vector<ACCESS_MASK>{PRINTER_ALL_ACCESS}, writes);
    EXPECT_EQ(std::vector<ACCESS_MASK>(3, PRINTER_ACCESS_USE), reads);
    new TestOSFactory;
}
