#include "printer/GOSFactory.h"

#include "TestOSFactory.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "printer/GDriverObject.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GPrinter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A printer whose configuration holds the stored-form flag along 359, 366, 940.
GDriverObject* DriverWithStoredForm(uint16_t form)
{
    GConfiguration* configuration = new GConfiguration(198);
    GAttributeComposite* outer = new GAttributeComposite(359);
    GAttributeComposite* inner = new GAttributeComposite(366);
    inner->Add(new GValueAttribute(form, 940));
    outer->Add(inner);
    configuration->Add(outer);
    GPrinter* printer = new GPrinter("printer", nullptr, nullptr, 353);
    printer->Add(new GPeripheralComposite("model", nullptr, configuration, 76));
    GDriverObject* driver = new GDriverObject(L"printer");
    driver->SetPrinter(printer);
    return driver;
}

// Services counting binary reads, optionally reporting a length of its own.
struct CountingServices : TestOSFactory {
    int GetPrinterDataBinary(GDriverObject* d, const RWWString& n, void* b, uint32_t s, uint32_t& length) override
    {
        ++reads;
        const int result = TestOSFactory::GetPrinterDataBinary(d, n, b, s, length);
        if (reportedLength)
            length = reportedLength;
        return reportedLength ? 0 : result;
    }
    int reads = 0;
    uint32_t reportedLength = 0;
};

// The new instance replaces (and deletes) the one before; the last is deleted at exit.
template <class T = TestOSFactory>
T& Fresh() { return *new T; }

// A value whose stored size claims a share of what it really writes.
struct UnderstatedValue : GValueAttribute {
    UnderstatedValue(uint32_t divisor) : GValueAttribute(7, 12), divisor(divisor) {}
    uint32_t BinaryStoreSize() const override { return GValueAttribute::BinaryStoreSize() / divisor; }
    uint32_t divisor;
};

TEST(PrinterDataObjects, BothFormsRoundTripAndTheBinPoolIsAlwaysAnObjectGraph)
{
    const struct { uint16_t form; const wchar_t* name; bool compact; } rows[] = {
        {0, L"Pool", false}, {1, L"Pool", true}, {1, L"DEKBinPool", false}, {0, L"DEKBinPool", false},
    };
    for (const auto& row : rows) {
        CountingServices& services = Fresh<CountingServices>();
        std::unique_ptr<GDriverObject> driver(DriverWithStoredForm(row.form));
        GStringAttribute saved("stored text", 44);
        ASSERT_EQ(1, services.SaveObjectToPrinterData(driver.get(), row.name, &saved));
        std::unique_ptr<GObjectBase> loaded(services.LoadObjectFromPrinterData(driver.get(), row.name, 0));
        ASSERT_TRUE(loaded) << row.form;
        EXPECT_TRUE(loaded->IsEqual(&saved));
        // The compact form's tag keeps the plain object-graph reader from reading it.
        const std::vector<uint8_t> bytes = services.printerData[row.name];
        TestOSFactory& plain = Fresh();
        plain.printerData[row.name] = bytes;
        std::unique_ptr<GObjectBase> asGraph(plain.LoadObjectFromPrinterData(nullptr, row.name, 0));
        EXPECT_EQ(row.compact, asGraph == nullptr) << row.form;
    }
}

TEST(PrinterDataObjects, SavingGivesUpAfterSixTimesTheStoredSize)
{
    const struct { uint32_t divisor; int saved; } rows[] = {{1, 1}, {4, 1}, {100, 0}};
    for (const auto& row : rows) {
        TestOSFactory& services = Fresh();
        UnderstatedValue value(row.divisor);
        EXPECT_EQ(row.saved, services.SaveObjectToPrinterData(nullptr, L"Value", &value)) << row.divisor;
        EXPECT_EQ(row.saved, static_cast<int>(services.printerData.count(L"Value")));
    }
}

TEST(PrinterDataObjects, ALargeValueIsReadAgainAtItsLength)
{
    CountingServices& services = Fresh<CountingServices>();
    GStringAttribute saved(std::string(3000, 'x').c_str(), 44);
    ASSERT_EQ(1, services.SaveObjectToPrinterData(nullptr, L"Large", &saved));
    std::unique_ptr<GObjectBase> loaded(services.LoadObjectFromPrinterData(nullptr, L"Large", 0));
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->IsEqual(&saved));
    EXPECT_EQ(2, services.reads);
}

TEST(PrinterDataObjects, MissingDamagedOrOversizedValuesGiveNull)
{
    TestOSFactory& source = Fresh();
    GStringAttribute saved("stored text", 44);
    ASSERT_EQ(1, source.SaveObjectToPrinterData(nullptr, L"Good", &saved));
    const std::vector<uint8_t> good = source.printerData[L"Good"];
    const struct { const char* what; std::vector<uint8_t> bytes; uint32_t reported; } rows[] = {
        {"missing", {}, 0},
        {"garbage", std::vector<uint8_t>(40, 0xFF), 0},
        {"truncated", std::vector<uint8_t>(good.begin(), good.end() - 3), 0},
        {"oversized length", {}, 0xFFFFFFF0u},
    };
    for (const auto& row : rows) {
        CountingServices& services = Fresh<CountingServices>();
        if (!row.bytes.empty())
            services.printerData[L"Value"] = row.bytes;
        services.reportedLength = row.reported;
        EXPECT_EQ(nullptr, services.LoadObjectFromPrinterData(nullptr, L"Value", 0)) << row.what;
        EXPECT_EQ(1, services.reads) << row.what;
    }
}

} // namespace
