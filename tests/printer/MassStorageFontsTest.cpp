#include "TestOSFactory.h"
#include "../support/StoredBytes.h"
#include "../support/TempPath.h"
#include "graphics/GDeviceFontList.h"
#include "graphics/GDeviceFontListComposite.h"
#include "printer/GMassStorageFontSource.h"
#include "printer/GMassStorageFonts.h"
#include "printer/GDriverObject.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

// Printer data in memory and a module directory of its own.
struct FontServices : TestOSFactory {
    FontServices() : place("fonts"), directory(place.str()) { CreateDirectoryA(directory.c_str(), nullptr); }
    void GetModuleDirectory(RWWString& path) override { path = RWWString(Wide(directory).c_str()); }
    static std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }
    TempPath place;
    std::string directory;
};

struct FontRecord {
    std::vector<uint16_t> codes;
    uint16_t weight = 400, italic = 0;
    uint8_t attributes = 0, technology = 2;
    std::string name = "Font", device = "Dev";
};

// A font-list file: the header, the offset table, then each record with its names.
std::vector<uint8_t> FontFile(const std::vector<FontRecord>& records, uint32_t stamp = 77)
{
    const uint32_t length = std::max<uint32_t>(36, 32 + 4 * uint32_t(records.size()));
    StoredBytes header, body;
    uint32_t at = length;
    std::vector<uint32_t> offsets;
    for (const FontRecord& r : records) {
        offsets.push_back(at);
        const uint16_t k = uint16_t(r.codes.size());
        const uint32_t nameAt = 26 + 2 * std::max<uint32_t>(k, 1);
        StoredBytes one;
        one.U32(0).U16(uint16_t(r.name.size() + 1)).U32(nameAt).U16(uint16_t(r.device.size() + 1))
            .U32(nameAt + uint32_t(r.name.size()) + 1).U16(r.weight).U16(r.italic).U8(r.attributes)
            .U8(r.technology).U16(12).U16(k);
        for (uint16_t c : r.codes)
            one.U16(c);
        if (k == 0)
            one.U16(0);
        for (char c : r.name + '\0' + r.device + '\0')
            one.U8(uint8_t(c));
        body.Raw(one);
        at += uint32_t(one.Get().size());
    }
    header.U32(0).U32(length).U32(stamp).Raw(std::vector<uint8_t>(16)).U32(uint32_t(records.size()));
    for (uint32_t offset : offsets)
        header.U32(offset);
    while (header.Get().size() < length)
        header.U8(0);
    return header.Raw(body).Get();
}

class MassStorageFonts : public testing::Test {
protected:
    std::string Write(const std::vector<uint8_t>& bytes, const char* leaf = "list.fnt")
    {
        const std::string path = services->directory + "\\" + leaf;
        FILE* f = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        return path;
    }
    // The list built from the bytes as device 0's file.
    std::unique_ptr<GDeviceFontList> Built(const std::vector<uint8_t>& bytes)
    {
        SetMassStorageFontFile(&printer, 0, RWWString(FontServices::Wide(Write(bytes)).c_str()));
        GMassStorageFontSource source(0, &printer);
        uint16_t code = 0;
        if (!source.Open(&code))
            return nullptr;
        EXPECT_EQ(0x1A0, code);
        return std::unique_ptr<GDeviceFontList>(source.BuildFontList());
    }

    FontServices* services = new FontServices; // the services instance owns it
    GDriverObject printer;
};

} // namespace

TEST_F(MassStorageFonts, SymbolSetsGiveTheCharacterSet)
{
    const struct {
        std::vector<uint16_t> codes;
        int32_t characterSet;
        std::vector<uint32_t> sets;
    } cases[] = {
        {{5, 6}, 16, {3, 53, 16}}, {{5}, 3, {3}}, {{6, 5}, 53, {53, 3}}, {{8, 207}, 16, {54, 16}},
        {{999}, 0, {0}},           {{8, 9}, 16, {54, 0, 16}},
    };
    for (const auto& c : cases) {
        FontRecord record;
        record.codes = c.codes;
        std::unique_ptr<GDeviceFontList> list = Built(FontFile({record}));
        ASSERT_TRUE(list && list->Entries() == 1);
        GDeviceFontDescription font;
        list->GetAt(0, font);
        EXPECT_EQ(c.characterSet, font.GetCharacterSet());
        EXPECT_EQ(c.sets, font.GetSymbolSets().Values());
        EXPECT_EQ(77u, list->GetStamp());
        EXPECT_EQ(0x1A0, list->GetId());
    }
}

TEST_F(MassStorageFonts, EnumeratingNamesStyleAndShowsHiddenFonts)
{
    FontRecord bold, light, hidden;
    bold.codes = light.codes = hidden.codes = {5};
    bold.weight = 700;
    bold.italic = 1;
    light.weight = 699;
    hidden.technology = 0x82;
    SetMassStorageFontFile(&printer, 6, RWWString(FontServices::Wide(Write(FontFile({bold, light, hidden}))).c_str()));
    GMassStorageFontSource source(6, &printer);
    ASSERT_TRUE(source.Open(nullptr));
    std::vector<std::string> seen;
    auto collect = [](const RWCString& display, const RWCString&, const uint8_t*, uint32_t, void* context) {
        static_cast<std::vector<std::string>*>(context)->push_back(display.Data());
        return 1;
    };
    EXPECT_EQ(3, source.EnumerateFonts(collect, &seen));
    EXPECT_EQ((std::vector<std::string>{"Font -Bd -It", "Font", "Font"}), seen);
    std::unique_ptr<GDeviceFontList> list(source.BuildFontList());
    EXPECT_EQ(2u, list->Entries());
}

TEST_F(MassStorageFonts, HostileFilesGiveWhatCanBeReadAndNoMore)
{
    FontRecord good, many;
    good.codes = {5};
    many.codes.assign(200, 5);
    const std::vector<uint8_t> sound = FontFile({good, good});
    auto patched = [&](size_t at, uint32_t value) {
        std::vector<uint8_t> bytes = sound;
        for (int i = 0; i < 4; ++i)
            bytes.at(at + i) = uint8_t(value >> (8 * i));
        return bytes;
    };
    const uint32_t second = sound[36] | sound[37] << 8; // the second record's offset
    std::vector<uint8_t> unterminated = sound;
    unterminated.resize(unterminated.size() - 4); // the second record's device name runs out
    const struct {
        std::vector<uint8_t> bytes;
        int expected; // fonts, or -1 for no list
    } cases[] = {
        {std::vector<uint8_t>(sound.begin(), sound.begin() + 35), -1},
        {patched(4, uint32_t(sound.size() + 1)), -1},
        {patched(4, 20), -1},
        {patched(28, 0x40000000), -1},
        {patched(28, 3), -1}, // a third offset would lie past the 40 bytes of directory
        {patched(36, 0xFFFFFFF0), 1},
        {patched(second + 6, 0xFFFFFFF0), 1},
        {patched(second + 4, 0x0000FFFF), 1},
        {unterminated, 1},
        {FontFile({good, many}), 2},
        {[&] { auto b = FontFile({good, many}); b.resize(b.size() - 20); return b; }(), 1},
        {sound, 2}, // two offsets fill the 40 bytes of directory exactly
    };
    for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
        SCOPED_TRACE(i);
        std::unique_ptr<GDeviceFontList> list = Built(cases[i].bytes);
        EXPECT_EQ(cases[i].expected, list ? int(list->Entries()) : -1);
    }
}

TEST_F(MassStorageFonts, PrinterDataNamesFilesAndStates)
{
    const std::wstring inside = FontServices::Wide(services->directory) + L"\\a.fnt";
    SetMassStorageFontFile(&printer, 2, inside.c_str());
    EXPECT_EQ(std::vector<uint8_t>({'a', 0, '.', 0, 'f', 0, 'n', 0, 't', 0}), services->printerData[L"DiskFonts1"]);
    EXPECT_EQ(RWWString(inside.c_str()), GetMassStorageFontFilePath(&printer, 2));
    SetMassStorageFontFile(&printer, 3, L"C:\\elsewhere\\b.fnt");
    EXPECT_EQ(RWWString(L"C:\\elsewhere\\b.fnt"), GetMassStorageFontFilePath(&printer, 3));

    // Removing clears the value and deletes the file, with the separator added; a path
    // outside the module directory is never deleted.
    Write({1}, "a.fnt");
    Write({1}, "b.fnt");
    RemoveMassStorageFontFile(&printer, 2, inside.c_str());
    EXPECT_TRUE(GetMassStorageFontFilePath(&printer, 2).IsNull());
    EXPECT_FALSE(services->FileExists(inside.c_str()));
    RemoveMassStorageFontFile(&printer, 3, L"..\\fonts\\b.fnt");
    EXPECT_TRUE(services->FileExists((FontServices::Wide(services->directory) + L"\\b.fnt").c_str()));
    RemoveMassStorageFontFile(&printer, 3, L"b.fnt");
    EXPECT_FALSE(services->FileExists((FontServices::Wide(services->directory) + L"\\b.fnt").c_str()));

    services->SetPrinterDataDword(&printer, L"DisabledMSDs", 0xFFFFFFFF);
    EXPECT_EQ(0u, GetMassStorageDeviceState(&printer, 9));
    SetMassStorageDeviceState(&printer, 6, 2);
    EXPECT_EQ(2u, GetMassStorageDeviceState(&printer, 6));
    SetMassStorageFontFile(&printer, 3, L"");
    SetMassStorageFontFile(&printer, 6, L"d.fnt");
    EXPECT_EQ(0, UpdateMassStorageFonts(&printer)); // a disabled memory module adds none
    EXPECT_EQ(0, HasMassStorageFonts(&printer));
    SetMassStorageFontFile(&printer, 4, L"f.fnt");
    EXPECT_EQ(1, UpdateMassStorageFonts(&printer));
    EXPECT_EQ(1, HasMassStorageFonts(&printer));

    SetMassStorageFontFile(&printer, 0, L"r1");
    SetMassStorageFontFile(&printer, 1, L"r2");
    SetMassStorageDeviceState(&printer, 0, 1);
    SetMassStorageDeviceState(&printer, 1, 1);
    EXPECT_EQ(10, FindMassStorageDevice(&printer, 0, 1));
    SetMassStorageDeviceState(&printer, 1, 2);
    EXPECT_EQ(1, FindMassStorageDevice(&printer, 0, 1));
    EXPECT_EQ(2, FindMassStorageDevice(&printer, 0, 3));
}

namespace {

struct RemotePrinter : GDriverObject {
    int IsRemotePrinter() override { return 1; }
};

TEST_F(MassStorageFonts, AddedFontsFollowStampsAndRemotePrintersKeepAbsentDevices)
{
    EXPECT_EQ(nullptr, printer.LoadAddedFonts()) << "nothing stored, no device";
    SetMassStorageFontFile(&printer, 0, RWWString(FontServices::Wide(Write(FontFile({FontRecord{{1}}}, 77))).c_str()));
    const struct { uint32_t storedStamp; bool remote; uint32_t fonts; bool keepsAbsent; } rows[] = {
        {77, false, 0, false}, {76, false, 1, false}, {77, true, 0, true}};
    for (const auto& row : rows) {
        GDeviceFontListComposite stored;
        auto* present = new GDeviceFontList(0x1A0);
        present->SetStamp(row.storedStamp);
        stored.Add(present), stored.Add(new GDeviceFontList(0x1A1));
        ASSERT_EQ(1, services->SaveObjectToPrinterData(&printer, L"AddedFonts", &stored));
        RemotePrinter remote;
        GDriverObject& driver = row.remote ? remote : printer;
        std::unique_ptr<GDeviceFontListComposite> list(driver.LoadAddedFonts());
        ASSERT_TRUE(list && list->FindById(0x1A0)) << row.storedStamp;
        EXPECT_EQ(row.fonts, static_cast<GDeviceFontList*>(list->FindById(0x1A0))->Entries()) << row.storedStamp;
        EXPECT_EQ(row.keepsAbsent, list->FindById(0x1A1) != nullptr) << row.remote;
    }
}

} // namespace
