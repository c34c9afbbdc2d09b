// The generated driver data file as the driver meets it: installed as the test printer's
// data file, named by the spooler, and read by the driver server into a driver object
// that finds every part of the model it reads in the class it reads it as.
#include "entry/module/GUIOSFactory.h"

#include "FileWriteTime.h"
#include "ScopedClock.h"
#include "TestPrinter.h"
#include "printer/PrinterIdentity.h"
#include "graphics/GDeviceFontListComposite.h"
#include "model/GAttributeComposite.h"
#include "model/GConfiguration.h"
#include "model/GRangeAttribute.h"
#include "model/GResourceMappingList.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "printer/GDriverObject.h"
#include "printer/GDriverServer.h"
#include "printer/GMedia.h"
#include "printer/GMediaPool.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GPeripheral.h"
#include "printer/GPrinterDataCache.h"
#include "printer/GPrinter.h"
#include "printer/PrinterRecordScope.h"
#include "settings/translators/MediaTypeTranslator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

std::vector<uint8_t> ReadFileBytes(const std::wstring& path)
{
    std::vector<uint8_t> bytes;
    if (FILE* f = _wfopen(path.c_str(), L"rb")) {
        for (int c; (c = std::fgetc(f)) != EOF;)
            bytes.push_back(uint8_t(c));
        std::fclose(f);
    }
    return bytes;
}

struct ModelDriver : GDriverObjectImp {
    explicit ModelDriver(const PrinterIdentity& id) : GDriverObject(id.GetPrinterName()) {}
};

const GDriverUIMaker kModelDriverMaker = {
    [](const PrinterIdentity& identity) -> GDriverObject* { return new ModelDriver(identity); },
    [](GDriverObject*) -> void* { return nullptr; },
};

class DriverDataFile : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(printer.Installed()) << printer.Failure();
        GUIOSFactory::SetDriverUIMaker(kModelDriverMaker);
    }
    void TearDown() override
    {
        server.reset();
        GUIOSFactory::SetDriverUIMaker({nullptr, nullptr});
    }
    const TestPrinter& printer = TestPrinter::Shared();
    GUIOSFactory* services = new GUIOSFactory;  // the services instance owns it
    std::unique_ptr<GDriverServer> server{new GDriverServer};
};

TEST_F(DriverDataFile, TheSpoolerNamesTheInstalledCopyOfTheGeneratedFile)
{
    ModelDriver driver(PrinterIdentity(nullptr, printer.Name().c_str(), 1));
    RWWString path;
    services->GetDriverDataFile(path, &driver);
    ASSERT_EQ(0, lstrcmpiW(printer.DataFile().c_str(), path.Data())) << path.Data();
    const std::vector<uint8_t> generated = ReadFileBytes(TestPrinter::GeneratedDataFile());
    EXPECT_LT(1000u, generated.size());
    EXPECT_EQ(generated, ReadFileBytes(path.Data()));
}

// The model members the driver object reads, each with the class it reads it as.
const struct {
    long id;
    RWClassID kind;
} kConfigurationFeatures[] = {
    {228, GAttributeComposite::kClassId}, {90, GAttributeComposite::kClassId}, {202, GRangeAttribute::kClassId},
    {201, GValueAttribute::kClassId},     {189, GMediaPool::kClassId},         {195, GMediaPool::kClassId},
    {192, MAssociationList::kClassId},    {206, GAttributeComposite::kClassId}, {1300, GAttributeComposite::kClassId},
    {369, GAttributeComposite::kClassId}, {375, GAttributeComposite::kClassId}, {401, GStringAttribute::kClassId},
    {414, GDeviceFontListComposite::kClassId}, {958, GValueAttribute::kClassId}, {984, GValueAttribute::kClassId},
    {1025, GValueAttribute::kClassId},    {1114, GAttributeComposite::kClassId}, {1132, GAttributeComposite::kClassId},
    {940, GValueAttribute::kClassId},
    // What the DEVMODE converter and the capability queries read, and the UI plug-in list.
    {199, GRangeAttribute::kClassId},     {203, GRangeAttribute::kClassId},     {205, GAttributeComposite::kClassId},
    {231, GValueAttribute::kClassId},     {310, GValueAttribute::kClassId},     {339, GValueAttribute::kClassId},
    {63, GAttributeComposite::kClassId},
};

TEST_F(DriverDataFile, AcquireLoadsTheModelWithEveryFeatureInItsClass)
{
    uint32_t ticket = 0;
    GDriverObject* driver = server->Acquire(new PrinterIdentity(nullptr, printer.Name().c_str(), 1), ticket);
    ASSERT_NE(nullptr, driver);
    ASSERT_TRUE(driver->GetPrinter() && driver->GetPrinter()->IsKindOf(GPeripheral::kClassId));
    EXPECT_TRUE(driver->GetPrinter()->FindById(76)->IsKindOf(GPrinter::kClassId));
    ASSERT_TRUE(driver->GetIdPool() && driver->GetSubObject3() && driver->GetIdMap());
    EXPECT_EQ(10u, driver->GetIdPool()->Entries()); // nine papers and the custom size
    EXPECT_EQ(4u, driver->GetSubObject3()->Entries());
    EXPECT_EQ(2u, driver->GetIdMap()->Entries());

    GConfiguration* configuration = driver->GetPrinterConfiguration();
    ASSERT_NE(nullptr, configuration);
    for (const auto& feature : kConfigurationFeatures) {
        GObjectBase* found = configuration->FindById(feature.id);
        EXPECT_TRUE(found && found->IsKindOf(feature.kind)) << feature.id;
    }
    GConfiguration* own = static_cast<GPeripheral*>(driver->GetPrinter())->GetConfiguration();
    EXPECT_NE(nullptr, GDriverObject::Feature<GValueAttribute>(own, 339));
    // The writers' maps are association lists: slot to media source, bin to PJL name.
    const struct { long writer, map; uint32_t entries; } maps[] = {{101, 85, 4}, {106, 93, 3}};
    for (const auto& map : maps) {
        auto* writer = GDriverObject::Feature<GPeripheral>(driver->GetPrinter()->FindById(76), map.writer);
        ASSERT_NE(nullptr, writer) << map.writer;
        auto* list = GDriverObject::Feature<MAssociationList>(writer->GetConfiguration()->FindById(198), map.map);
        ASSERT_NE(nullptr, list) << map.map;
        EXPECT_EQ(map.entries, list->Entries()) << map.map;
    }
    ASSERT_NE(nullptr, driver->GetAttribute765());
    EXPECT_EQ(767u, driver->GetAttribute765()->ClassId()) << "the PCL XL writer";

    // The model answers the driver object's questions.
    for (uint16_t code : {1, 6, 17, 23, 27, 40, 8, 15, 13})
        EXPECT_EQ(1, driver->FindMedia(0, 600, 600, 1, code)) << code;
    GMedia* letter = driver->GetAttribute189()->FindMedia(1, 90, 1200, 1200);
    ASSERT_NE(nullptr, letter);
    EXPECT_EQ(13200, letter->GetPaperSize().x);
    EXPECT_EQ(200, letter->GetImageableOrigin().y) << "a sixth of an inch";
    EXPECT_EQ(1, driver->IsResolutionListed(600, 600));
    EXPECT_EQ(0, driver->IsResolutionListed(1200, 1200)) << "only in the finer list";
    EXPECT_EQ(1, driver->ContainsPoolCode(257)) << "Tray 1 is built in";
    EXPECT_EQ(0, driver->ContainsPoolCode(259)) << "Tray 3 is not installed";
    EXPECT_EQ(1, driver->CheckId(nullptr, 23, 0, 0, 0));
    EXPECT_EQ(2, driver->CheckId(nullptr, 99, 0, 0, 0));
    EXPECT_EQ(1, driver->SelectFromList(L"card stock", nullptr)) << "a media type by name";
    EXPECT_EQ(0, driver->SelectFromList(L"cardstock", nullptr));
    // Every media the media-type translator names under our brand is a media type.
    for (const MediaRow& row : MediaTypeTranslator::kMedia)
        if (std::strncmp(row.name, "QZ ", 3) == 0 || std::strcmp(row.name, "PhotoGloss") == 0) {
            EXPECT_EQ(1, driver->SelectFromList(RWWString(row.name), nullptr)) << row.name;
        }
    EXPECT_EQ(RWWString(L"qzres32.dll"), driver->GetDisplayName());
    server->Release(ticket);
}

// A driver object the server keeps as a spare for the same printer.
struct KeptModelDriver : GDriverObjectImp {
    explicit KeptModelDriver(const PrinterIdentity& id)
        : GDriverObject(id.GetPrinterName(), id.GetDriverName(), id.GetPortName())
    {
    }
    GCacheKey* GetIdentity() const override
    {
        return new PrinterIdentity(nullptr, GetPrinterName(), GetSecondName(), GetThirdName(), 1);
    }
};

// The data file given a new write time, and the driver added again with a data file of
// another name: each reaches the next call's object, which reads the model from the file
// as it is now instead of taking the spare's. Every stamp is settled, so that what tells
// the driver added again is its key, which adding it rewrites.
TEST_F(DriverDataFile, AReplacedDataFileReachesTheNextCall)
{
    const ScopedClock<GPrinterDataCache::SetClockForTesting> settled([] { return uint64_t(1) << 62; });
    GUIOSFactory::SetDriverUIMaker({[](const PrinterIdentity& identity) -> GDriverObject* {
                                        return new KeptModelDriver(identity);
                                    },
                                    [](GDriverObject*) -> void* { return nullptr; }});
    const std::wstring moved = printer.DataFile() + L".moved";
    ASSERT_TRUE(CopyFileW(printer.DataFile().c_str(), moved.c_str(), FALSE));
    auto addDriver = [&](const std::wstring& dataFile) {
        std::wstring driverName = printer.DriverName(), config = printer.ConfigFile(), data = dataFile;
        DRIVER_INFO_3W driver = {};
        driver.cVersion = 3;
        driver.pName = &driverName[0];
        driver.pEnvironment = const_cast<wchar_t*>(L"Windows NT x86");
        driver.pDriverPath = &config[0];
        driver.pDataFile = &data[0];
        driver.pConfigFile = &config[0];
        return AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES) != 0;
    };
    const std::wstring driverKey =
        L"System\\CurrentControlSet\\Control\\Print\\Environments\\Windows NT x86\\Drivers\\Version-3\\" +
        printer.DriverName();
    auto keyWritten = [&] {
        HKEY key = nullptr;
        FILETIME written = {};
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, driverKey.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, &written);
            RegCloseKey(key);
        }
        return (uint64_t(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    };
    // The source of the model the call's object holds.
    auto callsModel = [&] {
        PrinterRecordScope call;
        uint32_t ticket = 0;
        GDriverObject* driver = server->Acquire(new PrinterIdentity(nullptr, printer.Name().c_str(), 1), ticket);
        const GSourceStamp source = driver ? driver->GetModelSource() : GSourceStamp();
        server->Release(ticket);
        return source;
    };
    const GSourceStamp first = callsModel();
    ASSERT_TRUE(first.IsKnown());
    EXPECT_TRUE(first.Answers(callsModel())) << "nothing changed";

    FILETIME later = {DWORD(first.LastWrite() + 10000000), DWORD((first.LastWrite() + 10000000) >> 32)};
    ASSERT_TRUE(FileWriteTime(printer.DataFile(), later, true));
    const GSourceStamp touched = callsModel();
    EXPECT_EQ(first.Path(), touched.Path());
    EXPECT_EQ(first.LastWrite() + 10000000, touched.LastWrite()) << "a new write time";

    const uint64_t keyBefore = keyWritten();
    ASSERT_TRUE(addDriver(moved));
    const uint64_t keyAdded = keyWritten();
    const GSourceStamp another = callsModel();
    addDriver(printer.DataFile());
    const GSourceStamp back = callsModel();
    DeleteFileW(moved.c_str());
    EXPECT_NE(0u, keyBefore);
    EXPECT_NE(keyBefore, keyAdded) << "adding the driver rewrites its key";
    EXPECT_EQ(0, lstrcmpiW(moved.c_str(), another.Path().c_str())) << "the file the driver names now";
    EXPECT_TRUE(touched.Answers(back)) << "and back";
}

} // namespace
