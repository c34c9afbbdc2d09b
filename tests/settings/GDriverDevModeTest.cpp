#include "settings/devmode/GDriverDevMode.h"

#include "PackedSettingsBytes.h"
#include "SettingsTestDriver.h"
#include "model/GLZWCodec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace SettingsTest;

namespace {

typedef std::vector<uint8_t> Bytes;

uint16_t WordAt(const Bytes& bytes, size_t at) { return uint16_t(bytes[at] | bytes[at + 1] << 8); }
void SetWord(Bytes& bytes, size_t at, uint16_t value) { bytes[at] = uint8_t(value), bytes[at + 1] = uint8_t(value >> 8); }
const DEVMODEW* As(const Bytes& bytes) { return reinterpret_cast<const DEVMODEW*>(bytes.data()); }

Bytes Out(GDevModeBase& devMode)
{
    Bytes bytes(GDevModeBase::kTotalSize, 0xAB);
    devMode.CopyOut(reinterpret_cast<DEVMODEW*>(bytes.data()));
    return bytes;
}

Bytes Own(GDevModeBase& devMode)
{
    const uint8_t* begin = reinterpret_cast<const uint8_t*>(devMode.GetDevMode());
    return Bytes(begin, begin + GDevModeBase::kTotalSize);
}

// The document settings as packed: the per-printer nodes are kept elsewhere.
GObjectBase* DocumentOnly()
{
    GObjectBase* tree = DefaultDocument();
    for (long id : {365, 366, 368, 283})
        delete tree->RemoveById(id);
    return tree;
}

Bytes NativeBytes(const GObjectBase* tree)
{
    Bytes buffer(8192);
    GOutStreamHolder holder(buffer.data(), uint32_t(buffer.size()), 1);
    *holder.GetStream() << static_cast<const RWCollectable*>(tree);
    holder.GetStream()->Flush();
    buffer.resize(size_t(holder.Tell()));
    return buffer;
}

// A DEVMODE of this driver carrying the packed bytes.
Bytes Carrying(Bytes devMode, const Bytes& packed)
{
    SetWord(devMode, GDevModeBase::kPackedLengthAt, uint16_t(packed.size()));
    std::copy(packed.begin(), packed.end(), devMode.begin() + GDevModeBase::kPackedAt);
    return devMode;
}

bool SameTree(GObjectBase* a, const GObjectBase* b) { return a && b && a->IsEqual(b); }

uint16_t ValueOf(GObjectBase* tree, long holder, long id)
{
    GObjectBase* found = tree ? tree->FindById(holder) : nullptr;
    found = found ? found->FindById(id) : nullptr;
    return found && found->ClassId() == GValueAttribute::kClassId ? static_cast<GValueAttribute*>(found)->GetValue()
                                                                   : 0xDEAD;
}

} // namespace

TEST(DevModeLayout, AFreshDevModeHasItsFixedHeader)
{
    TestDriver driver;
    GDriverDevMode devMode(&driver, nullptr);
    EXPECT_FALSE(devMode.IsLoaded());
    const Bytes bytes = Own(devMode);
    Bytes expected = {0x94, 0x04, 0x2E, 0x00};
    for (char c : std::string("QZ Colour Laser PCL6"))
        expected.push_back(uint8_t(c));
    expected.resize(4 + 32, 0);
    expected.insert(expected.end(), 6, 0x00);
    expected.insert(expected.end(), {0x04, 0x00, 0x32, 0x00, 0x00, 0x00, 0x86, 0x03, 0x00});
    EXPECT_EQ(expected, Bytes(bytes.begin() + 220, bytes.begin() + 271));
    EXPECT_EQ(0x0401, WordAt(bytes, 64));
    EXPECT_EQ(24, WordAt(bytes, 66));
    EXPECT_EQ(220, WordAt(bytes, 68));
    EXPECT_EQ(952, WordAt(bytes, 70));
    EXPECT_EQ(RWWString(L"Colour Laser"), devMode.GetDeviceName());
    EXPECT_TRUE(SameTree(devMode.GetSettingsTree(), std::unique_ptr<GObjectBase>(DefaultDocument()).get()))
        << "the driver's defaults";
    EXPECT_EQ(1172u, devMode.GetSize());
    EXPECT_EQ(906u, devMode.GetPrivateDataSize());
    EXPECT_EQ(46u, devMode.GetPrivateHeaderSize());
    EXPECT_EQ(600, devMode.GetXResolution());
}

TEST(DevModeLayout, NamesKeepTheirLimits)
{
    TestDriver driver(0, L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij");
    GDriverDevMode devMode(&driver, nullptr);
    const Bytes bytes = Own(devMode);
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef", std::string(bytes.begin() + 224, bytes.begin() + 256))
        << "32 characters, no end byte";
    EXPECT_EQ(RWCString("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef"), devMode.GetDriverName());
    GDriverObject named(L"A printer name of well over thirty-two characters", L"QZ");
    GDriverDevMode other(&named, nullptr);
    EXPECT_EQ(31u, other.GetDeviceName().Length()) << "the 32nd character is the end";
    // Binding another driver object writes its names.
    other.BindDriver(&driver);
    EXPECT_EQ(RWCString("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef"), other.GetDriverName());
    EXPECT_EQ(RWWString(L"Colour Laser"), other.GetDeviceName());
    TestDriver shorter(0, L"QZ");
    other.BindDriver(&shorter);
    EXPECT_EQ(RWCString("QZ"), other.GetDriverName()) << "ended by a 0";
}

TEST(DevModeValidity, EachConditionBrokenAloneFails)
{
    TestDriver driver;
    GDriverDevMode devMode(&driver, nullptr);
    const Bytes good = Out(devMode);
    EXPECT_EQ(1, devMode.IsValidDevMode(As(good)));
    EXPECT_EQ(0, devMode.IsValidDevMode(nullptr));
    const struct {
        size_t at;
        uint16_t value;
    } rows[] = {{64, 0x0400}, {68, 219}, {70, 951}, {220, 1171}, {222, 45}, {262, 3}, {268, 900}, {268, 903}};
    for (const auto& row : rows) {
        Bytes bad = good;
        SetWord(bad, row.at, row.value);
        EXPECT_EQ(0, devMode.IsValidDevMode(As(bad))) << row.at << " = " << row.value;
    }
}

TEST(DevModeCompatibility, NamesSizesAndTheNativeChoicesWords)
{
    for (uint16_t choice : {1, 0}) {
        TestDriver driver(choice);
        GDriverDevMode devMode(&driver, nullptr);
        const Bytes good = Out(devMode);
        EXPECT_EQ(1, devMode.IsCompatible(As(good)));
        auto named = [&](const char* name) {
            Bytes bytes = good;
            std::fill(bytes.begin() + 224, bytes.begin() + 256, 0);
            std::memcpy(bytes.data() + 224, name, std::strlen(name));
            return bytes;
        };
        for (const char* name : {"Another Driver", "QZ Colour", "", "QZ Colour Laser PCL6 Plus"})
            EXPECT_EQ(0, devMode.IsCompatible(As(named(name)))) << "'" << name << "'";
        for (const auto& row : {std::make_pair(68, 156), {70, 46}, {70, 49}}) {
            Bytes bad = good;
            SetWord(bad, size_t(row.first), uint16_t(row.second));
            EXPECT_EQ(0, devMode.IsCompatible(As(bad))) << row.first << " = " << row.second;
        }
        Bytes smallest = good;
        SetWord(smallest, 70, 50);
        EXPECT_EQ(1, devMode.IsCompatible(As(smallest))) << "50 private bytes hold the header";
        for (size_t at : {220, 222, 262, 264, 268}) {
            Bytes other = good;
            SetWord(other, at, uint16_t(WordAt(good, at) + 1));
            EXPECT_EQ(choice == 1 ? 1 : 0, devMode.IsCompatible(As(other))) << at << " with choice " << choice;
        }
    }
}

TEST(DevModePacking, BothChoicesRoundTripTheDocumentSettings)
{
    for (uint16_t choice : {1, 0}) {
        TestDriver driver(choice);
        std::unique_ptr<GObjectBase> tree(DocumentOnly());
        static_cast<GValueAttribute*>(tree->FindById(260))->SetValue(9);
        GDriverDevMode writer(&driver, nullptr);
        ASSERT_EQ(1, writer.Pack(tree.get())) << choice;
        static_cast<GValueAttribute*>(tree->FindById(260))->SetValue(3);
        EXPECT_EQ(9, ValueOf(writer.GetSettingsTree(), 362, 260)) << "Pack keeps a copy";
        const Bytes bytes = Out(writer);
        const uint16_t packed = WordAt(bytes, 266);
        EXPECT_TRUE(packed >= 1 && packed <= 902) << packed;
        if (choice == 1) {
            EXPECT_EQ(0x78, bytes[270]) << "zlib";
        }

        GDriverDevMode reader(&driver, nullptr);
        ASSERT_EQ(1, reader.MergeDevMode(As(bytes)));
        static_cast<GValueAttribute*>(tree->FindById(260))->SetValue(9);
        EXPECT_TRUE(SameTree(reader.GetSettingsTree(), tree.get())) << choice;
        EXPECT_EQ(Own(writer), Own(reader)) << "packed again to the same bytes";

        GDriverDevMode copy(reader);
        EXPECT_NE(copy.GetSettingsTree(), reader.GetSettingsTree()) << "a copy has its own tree";
        EXPECT_TRUE(SameTree(copy.GetSettingsTree(), reader.GetSettingsTree()));
        EXPECT_EQ(Own(reader), Own(copy));
    }
}

// Trees made apart carry other serial numbers; the packed bytes must not show them.
TEST(DevModePacking, EqualSettingsPackToEqualBytesInBothChoices)
{
    for (uint16_t choice : {1, 0}) {
        TestDriver driver(choice);
        std::unique_ptr<GObjectBase> first(DocumentOnly());
        std::unique_ptr<GObjectBase> second(DocumentOnly());
        ASSERT_NE(first->GetSerial(), second->GetSerial());
        GDriverDevMode one(&driver, nullptr);
        GDriverDevMode other(&driver, nullptr);
        ASSERT_EQ(1, one.Pack(first.get())) << choice;
        ASSERT_EQ(1, other.Pack(second.get())) << choice;
        EXPECT_EQ(Own(one), Own(other)) << choice;
        EXPECT_NE(0, one.GetSettingsTree()->GetSerial()) << "the live tree keeps its serials";

        GDriverDevMode merged(&driver, nullptr);
        ASSERT_EQ(1, merged.MergeDevMode(one.GetDevMode()));
        EXPECT_EQ(Own(one), Own(merged)) << choice << ": a merge of the bytes packs them again";
    }
}

// A tree handed over packs to the bytes a copy of it packs to, and is kept itself.
TEST(DevModePacking, AHandedOverTreePacksAsItsCopyAndIsKept)
{
    TestDriver driver(1);
    GDriverDevMode copied(&driver, nullptr), handed(&driver, nullptr);
    std::unique_ptr<GObjectBase> tree(DocumentOnly());
    tree->ClearSerials();
    ASSERT_EQ(1, copied.Pack(tree.get()));
    GObjectBase* own = tree->DeepCopy();
    ASSERT_EQ(1, handed.PackOwn(own));
    EXPECT_EQ(own, handed.GetSettingsTree());
    EXPECT_EQ(Own(copied), Own(handed));
    EXPECT_EQ(0, handed.PackOwn(nullptr));
    EXPECT_EQ(own, handed.GetSettingsTree()) << "nothing handed over keeps the tree";
}

TEST(DevModePacking, WhatDoesNotFitLeavesTheOldPackedBytes)
{
    TestDriver driver(1);
    GDriverDevMode devMode(&driver, nullptr);
    std::unique_ptr<GObjectBase> tree(DocumentOnly());
    ASSERT_EQ(1, devMode.Pack(tree.get()));
    std::mt19937 random(5);
    std::string noise(1500, ' ');
    for (char& c : noise)
        c = char('!' + random() % 90);
    const struct {
        const char* what;
        std::string text;
    } rows[] = {{"over 902 packed", noise}, {"over 4096 serialized", std::string(5000, 'a')}};
    for (const auto& row : rows) {
        Bytes before = Own(devMode);
        uint8_t* own = reinterpret_cast<uint8_t*>(devMode.GetDevMode());
        own[262] = 9, own[264] = 9;
        std::unique_ptr<GObjectBase> big(DocumentOnly());
        big->FindById(701)->Add(new GStringAttribute(row.text.c_str(), 703));
        EXPECT_EQ(0, devMode.Pack(big.get())) << row.what;
        const Bytes after = Own(devMode);
        EXPECT_EQ(4, WordAt(after, 262)) << row.what;
        EXPECT_EQ(50, WordAt(after, 264)) << row.what;
        EXPECT_EQ(Bytes(before.begin() + 266, before.end()), Bytes(after.begin() + 266, after.end()))
            << row.what << ": the length word and the old bytes kept";
    }
}

TEST(DevModeReading, AnLzwDevModeInTheNativeCodingIsUpgradedAndWrittenBackAsZlib)
{
    TestDriver driver(1);
    GDriverDevMode devMode(&driver, nullptr);
    std::unique_ptr<GObjectBase> old(DocumentOnly());
    for (long id : {266, 267, 268})
        static_cast<GValueAttribute*>(old->FindById(362)->FindById(id))->SetValue(uint16_t(id - 260));
    static_cast<GValueAttribute*>(old->FindById(260))->SetValue(9);
    const Bytes lzw = Carrying(Out(devMode), Lzw(NativeBytes(old.get())));
    ASSERT_EQ(1, devMode.MergeDevMode(As(lzw)));
    GObjectBase* tree = devMode.GetSettingsTree();
    EXPECT_EQ(9, ValueOf(tree, 362, 260));
    for (long id : {266, 267, 268})
        EXPECT_EQ(id - 260, ValueOf(tree, 329, id)) << id << ": the copy table applied";
    // Written back in the printer's coding: zlib over the compact form.
    const Bytes own = Own(devMode);
    EXPECT_EQ(0x78, own[270]);
    std::unique_ptr<GObjectBase> back(devMode.UnpackSettings(devMode.GetDevMode(), 0));
    EXPECT_TRUE(SameTree(back.get(), tree));
}

TEST(DevModeHostile, AnUnreadableDevModeOfThisDriverBringsOnlyItsStamps)
{
    TestDriver driver(1);
    GDriverDevMode devMode(&driver, nullptr);
    std::unique_ptr<GObjectBase> tree(DocumentOnly());
    ASSERT_EQ(1, devMode.Pack(tree.get()));
    const Bytes good = Out(devMode);
    // The serialized tree, padded with zeros to the size asked for.
    Bytes serialized = Pack(tree.get(), kPortable);
    auto inflatingTo = [&](size_t size) {
        Bytes data = serialized;
        data.resize(size, 0);
        return Carrying(good, Zlib(data));
    };
    std::mt19937 random(9);
    Bytes noise(600);
    for (uint8_t& b : noise)
        b = uint8_t(random());
    noise[0] = 0x11;
    Bytes unknownClass = NativeBytes(tree.get());
    bool patched = false;
    for (size_t i = 0; i + 1 < unknownClass.size() && !patched; ++i)
        if (unknownClass[i] == 0xFB && unknownClass[i + 1] == 0x02)
            unknownClass[i] = 0xF0, unknownClass[i + 1] = 0x7F, patched = true;
    ASSERT_TRUE(patched) << "the value attribute's class id";

    Bytes length903 = good, length65535 = good, cut = good;
    SetWord(length903, 266, 903);
    SetWord(length65535, 266, 0xFFFF);
    SetWord(cut, 266, uint16_t(WordAt(good, 266) / 2));
    const struct {
        const char* what;
        Bytes bytes;
    } rows[] = {
        {"length 903", length903},
        {"length 0xFFFF", length65535},
        {"inflating to 4096", inflatingTo(4096)},
        {"inflating to 5000", inflatingTo(5000)},
        {"inflating to 16001", inflatingTo(16001)},
        {"cut zlib", cut},
        {"an unknown class in native bytes", Carrying(good, Zlib(unknownClass))},
        {"bad LZW codes", Carrying(good, noise)},
    };
    for (const auto& row : rows) {
        Bytes hostile = row.bytes;
        hostile[256] = 0x55, hostile[260] = 0x66;
        Bytes expected = Own(devMode);
        expected[256] = 0x55, expected[260] = 0x66;
        ASSERT_EQ(1, devMode.MergeDevMode(As(hostile))) << row.what;
        EXPECT_TRUE(SameTree(devMode.GetSettingsTree(), tree.get())) << row.what;
        EXPECT_EQ(expected, Own(devMode)) << row.what << ": the buffer as it was, with the DEVMODE's stamps";
    }
    // 4095 inflated bytes are read.
    Bytes largest = inflatingTo(4095);
    static_cast<GValueAttribute*>(tree->FindById(260))->SetValue(9);
    serialized = Pack(tree.get(), kPortable);
    largest = inflatingTo(4095);
    ASSERT_EQ(1, devMode.MergeDevMode(As(largest)));
    EXPECT_EQ(9, ValueOf(devMode.GetSettingsTree(), 362, 260));
}

TEST(DevModeCopies, FlaggedApplicationsGetThePublicPartOnly)
{
    for (uint32_t flags : {0x100u, 0x40000u, 0u}) {
        TestDriver driver(1);
        driver.SetAppFlags(flags);
        GDriverDevMode devMode(&driver, nullptr);
        ASSERT_EQ(1, devMode.Pack(std::unique_ptr<GObjectBase>(DocumentOnly()).get()));
        const Bytes bytes = Out(devMode);
        if (flags) {
            EXPECT_EQ(Bytes(952, 0xAB), Bytes(bytes.begin() + 220, bytes.end())) << flags << ": guards untouched";
            EXPECT_EQ(220, WordAt(bytes, 68));
            EXPECT_EQ(0, WordAt(bytes, 70));
        } else {
            EXPECT_EQ(Own(devMode), bytes);
        }
    }
    // The data room is copied whole, whatever the capacity word says.
    TestDriver driver(1);
    GDriverDevMode devMode(&driver, nullptr);
    uint8_t* own = reinterpret_cast<uint8_t*>(devMode.GetDevMode());
    own[268] = 0xFF, own[269] = 0xFF, own[1171] = 0x42;
    const Bytes bytes = Out(devMode);
    EXPECT_EQ(0x42, bytes[1171]);
    GDriverDevMode other(&driver, nullptr);
    EXPECT_EQ(1, other.CopyIn(devMode));
    EXPECT_EQ(Own(devMode), Own(other));
}

TEST(DevModeMerge, ForeignUnreadableAndNullDevModes)
{
    TestDriver driver(1);
    GDriverDevMode devMode(&driver, nullptr);
    EXPECT_EQ(0, devMode.MergeDevMode(nullptr));
    std::unique_ptr<GObjectBase> tree(DocumentOnly());
    ASSERT_EQ(1, devMode.Pack(tree.get()));

    // Another driver's DEVMODE: its private part is never read, its stamps never taken.
    TestDriver foreignDriver(1, L"Another Driver");
    GDriverDevMode foreign(&foreignDriver, nullptr);
    std::unique_ptr<GObjectBase> foreignTree(DocumentOnly());
    static_cast<GValueAttribute*>(foreignTree->FindById(260))->SetValue(9);
    foreign.SetAppFlagsStamp(7);
    ASSERT_EQ(1, foreign.Pack(foreignTree.get()));
    ASSERT_EQ(1, devMode.MergeDevMode(As(Out(foreign))));
    EXPECT_EQ(1, ValueOf(devMode.GetSettingsTree(), 362, 260));
    EXPECT_EQ(0u, devMode.GetAppFlagsStamp());

    // A compatible DEVMODE with unreadable data: the object's own packed data in an
    // older coding is read instead.
    TestDriver nativeDriver(0);
    GDriverDevMode native(&nativeDriver, nullptr);
    ASSERT_EQ(1, native.Pack(foreignTree.get()));
    ASSERT_EQ(1, devMode.CopyIn(native));
    Bytes unreadable = Out(devMode);
    unreadable[271] ^= 0xFF;
    ASSERT_EQ(1, devMode.MergeDevMode(As(unreadable)));
    EXPECT_EQ(9, ValueOf(devMode.GetSettingsTree(), 362, 260));

    // The given DEVMODE's older coding comes before the object's own data.
    GDriverDevMode fresh(&driver, nullptr);
    ASSERT_EQ(1, fresh.Pack(tree.get()));
    ASSERT_EQ(1, fresh.MergeDevMode(As(Out(native))));
    EXPECT_EQ(9, ValueOf(fresh.GetSettingsTree(), 362, 260)) << "the document's own settings";
}

TEST(DevModeConverter, MonochromeApplicationsAndCollation)
{
    // Flag 0x80 turns a colour DEVMODE monochrome on a colour device (mode 0).
    for (const auto& row : {std::make_pair(0x80u, DMCOLOR_MONOCHROME), {0u, DMCOLOR_COLOR}}) {
        TestDriver driver;
        driver.SetAppFlags(row.first);
        GDriverDevMode devMode(&driver, nullptr);
        devMode.GetDevMode()->dmColor = DMCOLOR_COLOR;
        devMode.GetDevMode()->dmFields = 0;
        devMode.ForceMonochromeForApplication();
        EXPECT_EQ(row.second, devMode.GetDevMode()->dmColor) << row.first;
        EXPECT_EQ(row.first ? DWORD(DM_COLOR) : 0u, devMode.GetDevMode()->dmFields) << row.first;
    }
    // Collation follows the device's feature 231; older DEVMODEs are left alone.
    const struct {
        int offered;
        WORD specVersion;
        DWORD fields;
        short collate;
        DWORD fieldsAfter;
        short collateAfter;
    } rows[] = {
        {1, 0x401, 0, 0, DM_COLLATE, 1},         {1, 0x401, DM_COLLATE, 5, DM_COLLATE, 1},
        {1, 0x400, DM_COLLATE, 0, DM_COLLATE, 0}, {0, 0x401, DM_COLLATE, 1, 0, 0},
        {0, 0x300, DM_COLLATE, 1, DM_COLLATE, 1},
    };
    for (const auto& row : rows) {
        TestDriver driver;
        if (row.offered)
            driver.GetPrinterConfiguration()->Add(Value(1, 231));
        GDriverDevMode devMode(&driver, nullptr);
        DEVMODEW given = *devMode.GetDevMode();
        given.dmSpecVersion = row.specVersion, given.dmFields = row.fields, given.dmCollate = row.collate;
        devMode.NormalizeCollate(&given);
        EXPECT_EQ(row.fieldsAfter, given.dmFields) << row.offered << " " << row.specVersion << " " << row.collate;
        EXPECT_EQ(row.collateAfter, given.dmCollate) << row.offered << " " << row.specVersion << " " << row.collate;
    }
}
