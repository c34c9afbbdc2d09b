// The fuzz driver's targets beside the stored forms: TrueType files, font spool streams,
// bitmap run streams (ending on a guard page), LZW and zlib streams, font-list files,
// records-store files, DEVMODEs merged in every coding the merge tries and the compact
// form of the settings. Each target damages its seeds case by case and pushes the result
// through the module's own reader, under the harness (FuzzHarness.h), in a scratch
// folder as the current directory that must stay as it was. CI runs a fixed
// seed for a bounded number of cases per target; a long run sets the environment, e.g.
//   QZ_FUZZ_SEED=7 QZ_FUZZ_CASES=20000 QZ_FUZZ_TARGET=spool scripts/wine-run.sh build/tests/fuzz_tests.exe
// The inputs once found fatal (findings/, see its README) run as fixed cases.
#include "GuardedBytes.h"
#include "../foundation/DataStreamKinds.h"
#include "FileBytes.h"
#include "FuzzHarness.h"
#include "StoreSizeChecks.h"
#include "HostileSettingsBytes.h"
#include "ScratchDirectory.h"
#include "SpoolTempFolder.h"
#include "TempPath.h"
#include "../model/RegisteredClasses.h"
#include "../settings/SettingsTestDriver.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWErrorCapture.h"
#include "foundation/RWForeignRead.h"
#include "foundation/RWPortableInStream.h"
#include "graphics/GBitmapImp.h"
#include "graphics/GDeviceFontList.h"
#include "graphics/GTTFontFile.h"
#include "graphics/GTTFontFilePool.h"
#include "graphics/GTTMemoryFontFileReader.h"
#include "graphics/GTTWin32FontFileReader.h"
#include "model/GCountedRef.h"
#include "model/GLZWCodec.h"
#include "model/GObjectIterator.h"
#include "model/GStreamHolder.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/GZlibCodec.h"
#include "model/MPersistentComposite.h"
#include "model/MAssociationList.h"
#include "model/MPersistentAssociation.h"
#include "model/MPersistentCompositeOnDisk.h"
#include "settings/devmode/GDriverDevMode.h"
#include "settings/serializer/GSettingsTreeSerializer.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string AsText(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }
std::vector<uint8_t> AsBytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::string Finding(const char* leaf) { return AsText(FileBytes(std::string(QZ_FUZZ_FINDINGS) + leaf)); }

std::string DejaVuFont(const char* leaf)
{
    return AsText(FileBytes(std::string("Z:\\usr\\share\\fonts\\truetype\\dejavu\\") + leaf));
}

// ---- TrueType files ----------------------------------------------------------------

uint32_t BigEndian32(const std::string& b, size_t at)
{
    return at + 4 <= b.size() ? uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 |
                                    uint32_t(uint8_t(b[at + 2])) << 8 | uint8_t(b[at + 3])
                              : 0;
}

void PutBigEndian16(std::string& b, size_t at, uint32_t v)
{
    if (at + 2 <= b.size()) {
        b[at] = char(v >> 8);
        b[at + 1] = char(v);
    }
}

// Damage aimed at one of the tables a reader trusts most: counts and formats in head
// and maxp, offsets in loca, glyphs made composites naming other glyphs, metrics and
// character maps; else anywhere.
std::string MutateFont(const std::string& seed, std::mt19937& random)
{
    static const char* const kAimed[] = {"cmap", "loca", "glyf", "head", "maxp", "hmtx", "hhea"};
    const char* aim = kAimed[random() % 7];
    const uint32_t tables = seed.size() >= 6 ? (uint32_t(uint8_t(seed[4])) << 8 | uint8_t(seed[5])) : 0;
    for (uint32_t i = 0; i < tables && 12 + 16 * i + 16 <= seed.size(); ++i) {
        const size_t record = 12 + 16 * size_t(i);
        if (seed.compare(record, 4, aim) != 0)
            continue;
        const size_t offset = BigEndian32(seed, record + 8);
        const size_t length = BigEndian32(seed, record + 12);
        if (offset >= seed.size())
            break;
        const size_t end = std::min(seed.size(), offset + length);
        std::string font = seed;
        const size_t span = end > offset ? end - offset : 1;
        const size_t at = offset + (random() % span & ~size_t(1));
        switch (random() % 4) {
        case 0:
            if (!std::strcmp(aim, "head"))
                PutBigEndian16(font, offset + 50, random() % 3); // the loca format
            else if (!std::strcmp(aim, "maxp"))
                PutBigEndian16(font, offset + 4, random() % 2 ? 0xFFFF : random() % 64); // glyph count
            else
                PutBigEndian16(font, at, random() % 2 ? 0xFFFF : random() % 0x10000);
            return font;
        case 1:
            if (!std::strcmp(aim, "glyf")) {
                // A composite: contours -1, then components naming glyphs, more to come.
                PutBigEndian16(font, at, 0xFFFF);
                for (size_t c = at + 10; c + 8 <= end && c < at + 10 + 8 * (1 + random() % 4); c += 8) {
                    PutBigEndian16(font, c, 0x0021 | (random() % 2 ? 0x0100 : 0)); // more components, word args
                    PutBigEndian16(font, c + 2, random() % 24);
                }
                return font;
            }
            if (!std::strcmp(aim, "loca")) {
                PutBigEndian16(font, at, 0xFFFF);
                PutBigEndian16(font, at + 2, random() % 0x10000);
                return font;
            }
            return MutateBytes(font, random, offset, end);
        default:
            return MutateBytes(font, random, offset, end);
        }
    }
    return MutateBytes(seed, random);
}

std::vector<std::string> FontSeeds()
{
    return {Finding("composite-chain.ttf"), Finding("loca-4gib.ttf"), Finding("loca-from-head.ttf"),
            DejaVuFont("DejaVuSansMono.ttf")};
}

void ReadFont(const std::string& bytes, uint32_t)
{
    GTTMemoryFontFileReader reader(AsBytes(bytes), 1);
    reader.Lock();
    reader.HasRequiredTables(0);
    reader.Preload(0, 0);
    uint16_t count = 0;
    reader.GetGlyphCount(0, count);
    int16_t box[4];
    reader.GetBoundingBox(0, box);
    for (uint32_t glyph = 0; glyph < std::min<uint32_t>(count, 48); ++glyph) {
        GByteBuffer* out = nullptr;
        reader.GetGlyphData(0, 1, uint16_t(glyph), out);
        delete out;
        reader.LoadGlyph(0, uint16_t(glyph));
        uint16_t advance = 0;
        int16_t bearing = 0;
        reader.GetHorizontalMetrics(0, uint16_t(glyph), advance, bearing);
    }
    for (uint16_t code : {uint16_t(' '), uint16_t('A'), uint16_t('z'), uint16_t(0xE9), uint16_t(0x20AC)})
        reader.MapCharacter(0, 0, code, 16);
    reader.Unlock();
}

// ---- Font spool streams -------------------------------------------------------------

GTTWin32FontFileReader* ReaderOnDisk(uint32_t key)
{
    const std::string path = "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSansMono.ttf";
    return new GTTWin32FontFileReader(RWWString(std::wstring(path.begin(), path.end()).c_str()), key);
}

std::vector<std::string> SpoolSeeds()
{
    std::vector<std::string> seeds;
    {
        GTTFontFilePool pool;
        for (uint32_t key : {7u, 9u}) {
            std::unique_ptr<GTTFontFile> handle(pool.NewHandle(ReaderOnDisk(key)));
            handle->MapCharacter(0, 0, 'A', 16);
            GByteBuffer* out = nullptr;
            handle->GetGlyphData(0, 1, 36, out);
            delete out;
            handle->Close(1);
        }
        std::vector<uint8_t> buffer(1 << 20);
        buffer.resize(pool.SaveToStream(buffer.data(), uint32_t(buffer.size()), 1));
        seeds.push_back(AsText(buffer));
    }
    for (const char* leaf : {"spool-deadlocks-pool.bin", "spool-cut-object.bin", "spool-bad-header.bin",
                             "spool-unknown-class.bin"})
        seeds.push_back(Finding(leaf));
    return seeds;
}

void ReadSpool(const std::string& bytes, uint32_t)
{
    GTTFontFilePool pool;
    pool.LoadFromStream(bytes.data(), uint32_t(bytes.size()), 3);
    for (uint32_t key : {7u, 9u, 1u}) {
        GTTFontFileReader* reader = pool.Acquire(key, 0);
        if (!reader)
            continue;
        std::unique_ptr<GTTFontFile> handle(pool.NewHandle(reader));
        pool.Release(reader);
        handle->MapCharacter(0, 0, 'A', 16);
        GByteBuffer* out = nullptr;
        handle->GetGlyphData(0, 1, 36, out);
        delete out;
    }
    pool.ReleaseJob(3);
    pool.ReleaseAll();
}

// ---- Bitmap run streams -------------------------------------------------------------

// Three bytes of shape (width, height, decoder), then the runs.
std::vector<std::string> RunSeeds()
{
    const std::string eight = {0, 2, 3, 1, 0x05, 0x41, 0, 3, 1, 2, 3, 0, 0, 0, 2, 2, 1, 0x10, 0x42, 0, 1};
    const std::string four = {0x06, 0x12, 0, 4, 0x34, 0x56, 0, 0, 0x03, 0x70, 0, 2, 1, 1, 0x02, 0x09, 0, 1};
    return {std::string{16, 8, 2} + eight, std::string{12, 6, 1} + four, std::string{8, 8, 2}};
}

void DecodeRuns(const std::string& bytes, uint32_t)
{
    if (bytes.size() < 3)
        return;
    const std::string runs = bytes.substr(3);
    GuardedBytes guarded(runs.data(), runs.size());
    GBitmapInfo info;
    info.bits = runs.empty() ? nullptr : guarded.Data();
    info.bitsSize = uint32_t(runs.size());
    info.bounds = GRect{0, 0, int16_t(uint8_t(bytes[0])), int16_t(uint8_t(bytes[1]))};
    info.compression = uint8_t(bytes[2]) % 3;
    info.bitsPerPixel = info.compression == 1 ? 4 : 8;
    GBitmapImp bitmap(info);
    volatile uint32_t sum = 0;
    for (uint32_t i = 0; i < bitmap.GetBitsSize(); ++i)
        sum = sum + bitmap.GetBits()[i];
}

// ---- LZW and zlib -------------------------------------------------------------------

const char kSettingsText[] = "PaperSize=A4;Duplex=Long;Copies=2;Collate=1;Tray=Auto;"
                             "PaperSize=A4;Duplex=Long;Copies=2;Collate=1;Tray=Manual;ColorMode=Auto";

std::vector<std::string> LzwSeeds()
{
    std::vector<std::string> seeds;
    for (const std::string& text : {std::string(kSettingsText), std::string(600, 'x') + kSettingsText}) {
        std::istringstream in(text);
        std::ostringstream out;
        GLZWCodec().Compress(in, out);
        seeds.push_back(out.str());
    }
    return seeds;
}

void DecodeLzw(const std::string& bytes, uint32_t)
{
    std::istringstream in(bytes);
    std::ostringstream out;
    GLZWCodec().Decompress(in, out);
}

std::vector<std::string> ZlibSeeds()
{
    std::vector<std::string> seeds;
    for (const std::string& text : {std::string(kSettingsText), std::string(4000, 'y') + kSettingsText}) {
        std::istringstream in(text);
        std::string packed(8192, '\0');
        std::ostringstream out(packed);
        if (GZlibCodec().CompressStream(in, out))
            seeds.push_back(out.str().substr(0, size_t(out.tellp())));
    }
    return seeds;
}

void DecodeZlib(const std::string& bytes, uint32_t)
{
    std::istringstream in(bytes);
    std::ostringstream out;
    GZlibCodec().UncompressStream(in, out);
}

// ---- Font-list files ----------------------------------------------------------------

// Hands out at most seven bytes a call, as a file read in pieces would.
class SevenAtATime : public std::streambuf {
public:
    explicit SevenAtATime(const std::string& bytes) : bytes_(bytes), at_(0) {}

protected:
    int_type underflow() override
    {
        if (gptr() && gptr() < egptr())
            return traits_type::to_int_type(*gptr());
        if (at_ >= bytes_.size())
            return traits_type::eof();
        const size_t n = std::min<size_t>(7, bytes_.size() - at_);
        std::memcpy(window_, bytes_.data() + at_, n);
        at_ += n;
        setg(window_, window_, window_ + n);
        return traits_type::to_int_type(*gptr());
    }

private:
    std::string bytes_;
    size_t at_;
    char window_[7];
};

// A font list, as a file or a portable stream holds it, read as the outermost object.
GObjectBase* ReadFontList(const std::string& bytes, bool portable)
{
    return RWForeignRead::Make<GObjectBase>([&]() -> GObjectBase* {
        RWCollectable* read = nullptr;
        if (portable) {
            SevenAtATime buffer(bytes);
            RWPortableInStream in(&buffer);
            in >> read;
        } else {
            BytesFile file(AsBytes(bytes));
            if (file.Ready())
                file.File() >> read;
        }
        if (read && !dynamic_cast<GDeviceFontList*>(read)) {
            delete read;
            return nullptr;
        }
        return static_cast<GObjectBase*>(read);
    });
}

std::vector<std::string> FontListSeeds()
{
    std::vector<std::string> seeds;
    for (const RegisteredSample& row : RegisteredSamples())
        if (row.make && !std::strcmp(row.name, "GDeviceFontList")) {
            std::unique_ptr<RWCollectable> list(row.make());
            seeds.push_back(AsText(SavedBytes(list.get())));
            seeds.push_back("P" + StreamSaved(StreamKind::Portable, list.get()));
        }
    seeds.push_back(Finding("device-font-list-file.bin"));
    seeds.push_back("P" + Finding("device-font-list-portable.bin"));
    return seeds;
}

void ReadFontListCase(const std::string& bytes, uint32_t)
{
    const bool portable = !bytes.empty() && bytes[0] == 'P';
    std::unique_ptr<GObjectBase> list(ReadFontList(portable ? bytes.substr(1) : bytes, portable));
    if (auto* fonts = dynamic_cast<GDeviceFontList*>(list.get())) {
        fonts->BinaryStoreSize();
        std::unique_ptr<GObjectBase> copy(fonts->Copy());
    }
}

// ---- Records-store files ------------------------------------------------------------

std::vector<std::string> RecordsSeeds()
{
    AllowTempSpoolFolder();
    TempPath path("fuzz-records-seed.rec");
    {
        MPersistentCompositeOnDisk store(RWCString(path.c_str()), 0, 1);
        store.AddRecord(new GValueAttribute(7, 40));
        store.AddRecord(new GStringAttribute("stored text", 41));
        auto* composite = new MPersistentComposite(42);
        composite->Add(new GValueAttribute(3, 43));
        store.AddRecord(composite);
    }
    return {AsText(FileBytes(path.str()))};
}

void OpenRecords(const std::string& bytes, uint32_t)
{
    AllowTempSpoolFolder();
    TempPath path("fuzz-records-case.rec");
    if (!WriteFileBytes(path.str(), AsBytes(bytes)))
        return;
    MPersistentCompositeOnDisk store(RWCString(path.c_str()), 0, 1);
    if (store.HasFailed())
        return;
    store.Entries();
    GCountedRef peeked = store.FindRecordById(40);
    GCountedRef taken = store.FindPtrById(41);
    // Held here: the store shares it when it replaces, and it goes with this hold
    // otherwise.
    GCountedRef replacement(new GValueAttribute(9, 42));
    store.ReplaceRecordById(42, replacement.Get());
    if (GObjectIterator* it = store.CreateIterator()) {
        while (it->Next())
            if (GObjectBase* member = it->Current())
                member->GetId();
        delete it;
    }
    store.Close();
}

// ---- DEVMODE merges and the compact form ---------------------------------------------

// The folder the fuzz driver runs in as the current directory, and the file placed
// there first: no case may make, change or remove anything in it.
std::string ScratchLeaf() { return "fuzz-scratch"; }
std::string PlacedName() { return TempPath::Folder() + "\\" + ScratchLeaf() + "\\placed.rec"; }
const std::vector<uint8_t> kPlacedBytes = {'p', 'l', 'a', 'c', 'e', 'd'};

// The document settings as a DEVMODE packs them.
GObjectBase* DocumentTree()
{
    GObjectBase* tree = SettingsTest::DefaultDocument();
    for (long id : {365, 366, 368, 283})
        delete tree->RemoveById(id);
    return tree;
}

std::string CompactBytes(const GObjectBase* tree)
{
    std::vector<uint8_t> buffer(8192);
    GOutStreamHolder holder(buffer.data(), uint32_t(buffer.size()), 1);
    GSettingsTreeSerializer serializer;
    if (!serializer.Save(tree, *holder.GetStream(), &holder, GSettingsTreeSerializer::kPortable))
        return std::string();
    holder.GetStream()->Flush();
    buffer.resize(size_t(holder.Tell()));
    return AsText(buffer);
}

// A list whose association holds a settings tree as its value (kind 9), and one whose
// value is a records store naming a file.
std::string CompactListBytes(const HostileSettings::Bytes& valueBytes)
{
    std::unique_ptr<GValue32Attribute> marker(new GValue32Attribute(0x5A5A5A5A, 977));
    const std::string markerBytes = AsText(HostileSettings::Native(marker.get()));
    MAssociationList list(377);
    list.Add(new MPersistentAssociation(new GValueAttribute(1, 0), marker.release(), 0));
    std::string bytes = CompactBytes(&list);
    const size_t at = bytes.find(markerBytes);
    if (at == std::string::npos)
        return std::string();
    return bytes.replace(at, markerBytes.size(), AsText(valueBytes));
}

// A seed is a mark for the coding and the settings tree as serialized: 'P' the compact
// form, 'N' the native coding, both packed with zlib, 'L' the native coding packed with
// the older LZW. A case packs the damaged tree into a DEVMODE of the driver and merges
// it, so that every coding the merge tries reads it.
std::vector<std::string> DevModeSeeds()
{
    std::unique_ptr<GObjectBase> tree(DocumentTree());
    const std::string native = AsText(HostileSettings::Native(tree.get()));
    std::vector<std::string> seeds = {"P" + CompactBytes(tree.get()), "N" + native, "L" + native};
    for (const std::string& name : {PlacedName(), std::string("210 x 297"), std::string("$")})
        for (int depth : {1, 3}) {
            const std::string hostile =
                AsText(HostileSettings::TreeHolding(HostileSettings::StoreNaming(name), depth));
            seeds.push_back("N" + hostile);
            seeds.push_back("L" + hostile);
        }
    return seeds;
}

void MergeDevModeCase(const std::string& bytes, uint32_t)
{
    if (bytes.empty())
        return;
    static SettingsTest::TestDriver driver(1);
    static const HostileSettings::Bytes good = [] {
        GDriverDevMode packed(&driver, nullptr);
        std::unique_ptr<GObjectBase> tree(DocumentTree());
        packed.Pack(tree.get());
        const uint8_t* begin = reinterpret_cast<const uint8_t*>(packed.GetDevMode());
        return HostileSettings::Bytes(begin, begin + GDevModeBase::kTotalSize);
    }();
    const HostileSettings::Bytes tree = AsBytes(bytes.substr(1));
    const HostileSettings::Bytes packed = bytes[0] == 'L' ? HostileSettings::Lzw(tree) : HostileSettings::Zlib(tree);
    const HostileSettings::Bytes devMode = HostileSettings::Carrying(good, packed);
    if (devMode.empty())
        return;
    GDriverDevMode merged(&driver, nullptr);
    merged.MergeDevMode(reinterpret_cast<const DEVMODEW*>(devMode.data()));
    HostileSettings::Bytes out(GDevModeBase::kTotalSize);
    merged.CopyOut(reinterpret_cast<DEVMODEW*>(out.data()));
}

// The compact form as it stands, with its list records.
std::vector<std::string> CompactSeeds()
{
    std::unique_ptr<GObjectBase> tree(DocumentTree());
    std::vector<std::string> seeds = {CompactBytes(tree.get()), CompactListBytes(HostileSettings::Native(tree.get()))};
    for (const std::string& name : {PlacedName(), std::string("210")})
        seeds.push_back(CompactListBytes(HostileSettings::StoreNaming(name)));
    return seeds;
}

void ReadCompactCase(const std::string& bytes, uint32_t)
{
    static SettingsTest::TestDriver driver(1);
    GInStreamHolder holder(reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()), 1);
    if (!holder.GetStream())
        return;
    GSettingsTreeSerializer serializer;
    std::unique_ptr<GObjectBase> read(
        serializer.Load(*holder.GetStream(), &holder, &driver, GSettingsTreeSerializer::kPortable));
    if (read)
        std::unique_ptr<GObjectBase> copy(read->DeepCopy());
}

// ---- The targets --------------------------------------------------------------------

struct FuzzTarget {
    const char* name;
    uint32_t ciCases;
    std::function<std::vector<std::string>()> seeds;
    std::function<std::string(const std::string&, std::mt19937&)> mutate;
    std::function<void(const std::string&, uint32_t)> run;
    bool foreignRead;
};

std::string Generic(const std::string& seed, std::mt19937& random) { return MutateBytes(seed, random); }

// Keeps the medium mark of a font-list seed and the coding mark of a DEVMODE seed.
std::string KeepMark(const std::string& seed, std::mt19937& random)
{
    if (!seed.empty() && (seed[0] == 'P' || seed[0] == 'N' || seed[0] == 'L'))
        return seed.substr(0, 1) + MutateBytes(seed.substr(1), random);
    return MutateBytes(seed, random);
}

const FuzzTarget kTargets[] = {
    {"truetype", 500, FontSeeds, MutateFont, ReadFont, false},
    {"spool", 500, SpoolSeeds, Generic, ReadSpool, true},
    {"runs", 3000, RunSeeds, Generic, DecodeRuns, false},
    {"lzw", 2000, LzwSeeds, Generic, DecodeLzw, false},
    {"zlib", 2000, ZlibSeeds, Generic, DecodeZlib, false},
    {"fontlist", 500, FontListSeeds, KeepMark, ReadFontListCase, true},
    {"records", 200, RecordsSeeds, Generic, OpenRecords, false},
    {"devmodemerge", 400, DevModeSeeds, KeepMark, MergeDevModeCase, false},
    {"compact", 400, CompactSeeds, Generic, ReadCompactCase, false},
};

class FuzzTargets : public testing::TestWithParam<FuzzTarget> {
protected:
    static void SetUpTestSuite() { AttachFuzzModule(); }
    static void TearDownTestSuite() { DetachFuzzModule(); }
};

} // namespace

TEST_P(FuzzTargets, DamagedInputsFailCleanly)
{
    const FuzzTarget& target = GetParam();
    const FuzzSettings settings = ReadFuzzSettings(target.ciCases);
    if (!settings.only.empty() && settings.only != target.name)
        GTEST_SKIP() << "QZ_FUZZ_TARGET names another target";
    // Every target runs in an empty scratch folder as the current directory, beside a
    // file placed there first; no case may make, change or remove anything there.
    ScratchDirectory scratch(ScratchLeaf());
    ASSERT_TRUE(scratch.Entered());
    ASSERT_TRUE(WriteFileBytes(PlacedName(), kPlacedBytes));
    const std::vector<std::string> seeds = target.seeds();
    ASSERT_FALSE(seeds.empty());
    for (const std::string& seed : seeds)
        ASSERT_FALSE(seed.size() <= 1) << target.name << ": a seed could not be made";
    // Once each, unchecked: what a first use makes for good (the pool, the factory's
    // tables, the temporary folder) is made before any case counts allocations.
    for (const std::string& seed : seeds) {
        RWErrorCapture capture;
        target.run(seed, 0);
    }
    for (uint32_t n = settings.first; n < settings.first + settings.cases; ++n) {
        std::mt19937 random(settings.seed * 2654435761u + n);
        const std::string& seed = seeds[n % seeds.size()];
        const std::string bytes = target.mutate(seed, random);
        if (settings.verbose)
            std::printf("target %s seed %u case %u\n", target.name, unsigned(settings.seed), unsigned(n)),
                std::fflush(stdout);
        RunFuzzCase(target.name, settings.seed, n, target.foreignRead, [&] { target.run(bytes, n); });
        if (HasFailure())
            break;
    }
    EXPECT_EQ(std::vector<std::string>{"placed.rec"}, scratch.Names()) << target.name;
    EXPECT_EQ(kPlacedBytes, FileBytes(PlacedName())) << target.name;
}

INSTANTIATE_TEST_SUITE_P(Driver, FuzzTargets, testing::ValuesIn(kTargets),
                         [](const testing::TestParamInfo<FuzzTarget>& info) { return std::string(info.param.name); });

// ---- The inputs once found fatal, as fixed cases ------------------------------------

namespace {

class FuzzFindings : public testing::Test {
protected:
    static void SetUpTestSuite() { AttachFuzzModule(); }
    static void TearDownTestSuite() { DetachFuzzModule(); }
};

} // namespace

// Each spool stream once hung, ended the process or answered true: each is refused.
TEST_F(FuzzFindings, DamagedSpoolStreamsAreRefusedWithoutHangOrExit)
{
    for (const char* leaf : {"spool-deadlocks-pool.bin", "spool-cut-object.bin", "spool-bad-header.bin",
                             "spool-unknown-class.bin"}) {
        const std::string bytes = Finding(leaf);
        ASSERT_FALSE(bytes.empty()) << leaf;
        RunFuzzCase(leaf, 0, 0, true, [&] {
            GTTFontFilePool pool;
            EXPECT_FALSE(pool.LoadFromStream(bytes.data(), uint32_t(bytes.size()), 1)) << leaf;
            EXPECT_EQ(0, pool.Contains(7)) << leaf;
        });
    }
}

// Both once read freed memory: the second dictionary's association named a member of
// the first, which the read had dropped. The back-reference is now [REF] and the list is
// refused.
TEST_F(FuzzFindings, DeviceFontListsNamingADroppedDictionaryAreRefused)
{
    for (bool portable : {false, true}) {
        const std::string bytes = Finding(portable ? "device-font-list-portable.bin" : "device-font-list-file.bin");
        ASSERT_FALSE(bytes.empty()) << portable;
        RunFuzzCase(portable ? "device-font-list-portable.bin" : "device-font-list-file.bin", 0, 0, true, [&] {
            std::unique_ptr<GObjectBase> list(ReadFontList(bytes, portable));
            EXPECT_EQ(nullptr, list) << portable;
        });
    }
}

// The fonts and the bitmap once asked for gigabytes or for 4^16 glyph loads.
TEST_F(FuzzFindings, HostileFontsAndBitmapsAskForNothingAndEndInTime)
{
    for (const char* leaf : {"composite-chain.ttf", "loca-4gib.ttf", "loca-from-head.ttf"}) {
        const std::string bytes = Finding(leaf);
        ASSERT_FALSE(bytes.empty()) << leaf;
        RunFuzzCase(leaf, 0, 0, false, [&] { ReadFont(bytes, 0); });
    }
    const std::string bitmap = Finding("bitmap-1gib-decode.bin");
    ASSERT_FALSE(bitmap.empty());
    RunFuzzCase("bitmap-1gib-decode.bin", 0, 0, true, [&] {
        std::unique_ptr<GObjectBase> read(RWForeignRead::Make<GObjectBase>([&]() -> GObjectBase* {
            GInStreamHolder holder(bitmap.data(), uint32_t(bitmap.size()), 2);
            GObjectBase* object = nullptr;
            if (holder.GetStream())
                *holder.GetStream() >> object;
            return object;
        }));
        auto* imp = dynamic_cast<GBitmapImp*>(read.get());
        ASSERT_NE(nullptr, imp);
        EXPECT_EQ(0u, imp->GetBitsSize());
    });
}

// The module check itself: a library loaded inside a case is seen.
TEST_F(FuzzFindings, AFuzzCaseSeesALibraryLoadedInIt)
{
    if (GetModuleHandleW(L"msimg32.dll"))
        GTEST_SKIP() << "the library is in the process already";
    testing::TestPartResultArray seen;
    HMODULE library = nullptr;
    {
        FuzzCase guard("module check", 0, 0, false);
        library = LoadLibraryW(L"msimg32.dll");
        testing::ScopedFakeTestPartResultReporter quiet(
            testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &seen);
        guard.Finish();
    }
    ASSERT_NE(nullptr, library);
    FreeLibrary(library);
    bool named = false;
    for (int i = 0; i < seen.size(); ++i)
        named = named || std::string(seen.GetTestPartResult(i).message()).find("a library was loaded") != std::string::npos;
    EXPECT_TRUE(named) << (FuzzSeesModuleEvents() ? "loader notifications" : "module snapshots");
}
