// The font reader over real and built fonts: table access, glyph walk, metrics and the
// character mapping, checked against the platform's own font engine where it has one,
// and damaged fonts that must neither crash nor hang.
#include "../model/StoredForms.h"
#include "../printer/TestOSFactory.h"
#include "FontTestFonts.h"

#include "graphics/GTTMemoryFontFileReader.h"
#include "graphics/GTTWin32FontFileReader.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <random>

namespace {

const char* const kRealFonts[] = {"DejaVuSans.ttf", "DejaVuSans-ExtraLight.ttf", "DejaVuSansCondensed-Bold.ttf"};

uint16_t BE16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b.at(at) << 8 | b.at(at + 1)); }

// A memory DC with the font file selected, through the platform's font engine.
class GdiFont {
public:
    explicit GdiFont(const std::string& path) : path_(path.begin(), path.end())
    {
        added_ = AddFontResourceExW(path_.c_str(), FR_PRIVATE, nullptr) > 0;
        dc_ = CreateCompatibleDC(nullptr);
        LOGFONTW lf = {};
        lf.lfHeight = -2048;
        wcsncpy(lf.lfFaceName, FullName(path).c_str(), LF_FACESIZE - 1);
        font_ = CreateFontIndirectW(&lf);
        old_ = SelectObject(dc_, font_);
    }
    ~GdiFont()
    {
        SelectObject(dc_, old_);
        DeleteObject(font_);
        DeleteDC(dc_);
        if (added_)
            RemoveFontResourceExW(path_.c_str(), FR_PRIVATE, nullptr);
    }
    HDC Dc() const { return dc_; }
    std::vector<uint8_t> Table(HDC dc, const char* tag) const
    {
        if (!dc)
            return {};
        const DWORD t = DWORD(uint8_t(tag[0])) | DWORD(uint8_t(tag[1])) << 8 | DWORD(uint8_t(tag[2])) << 16 |
                        DWORD(uint8_t(tag[3])) << 24;
        const DWORD n = GetFontData(dc, t, 0, nullptr, 0);
        if (n == GDI_ERROR)
            return {};
        std::vector<uint8_t> bytes(n);
        GetFontData(dc, t, 0, bytes.data(), n);
        return bytes;
    }

private:
    // The face's full name from the file's own name table (name id 4, platform 3).
    static std::wstring FullName(const std::string& path)
    {
        const std::vector<uint8_t> font = FileBytes(path);
        const uint16_t tables = BE16(font, 4);
        for (uint16_t i = 0; i < tables; ++i) {
            const size_t r = 12 + 16 * i;
            if (std::string(font.begin() + long(r), font.begin() + long(r) + 4) != "name")
                continue;
            const size_t at = (size_t(BE16(font, r + 8)) << 16) | BE16(font, r + 10);
            const uint16_t count = BE16(font, at + 2), strings = BE16(font, at + 4);
            for (uint16_t k = 0; k < count; ++k) {
                const size_t rec = at + 6 + 12 * k;
                if (BE16(font, rec) == 3 && BE16(font, rec + 6) == 4) {
                    std::wstring name;
                    for (size_t c = 0; c < BE16(font, rec + 8); c += 2)
                        name += wchar_t(BE16(font, at + strings + BE16(font, rec + 10) + c));
                    return name;
                }
            }
        }
        return L"";
    }

    std::wstring path_;
    bool added_;
    HDC dc_;
    HFONT font_;
    HGDIOBJ old_;
};

std::vector<uint8_t> TableBytes(GTTFontFileReader& r, uint32_t tag, int mayCache)
{
    std::vector<uint8_t> bytes(r.GetTableLength(0, tag));
    if (!bytes.empty() && r.ReadTableBytes(0, tag, 0, mayCache, bytes.data(), uint32_t(bytes.size())) != bytes.size())
        bytes.assign(1, 0xEE);
    return bytes;
}

// System services whose operating-system version the test sets.
struct VersionedServices : TestOSFactory {
    uint32_t version = 5 << 16;
    void GetOSVersion(uint32_t& kind, uint32_t& v, uint32_t& build) override { kind = 2, v = version, build = 0; }
};

class FontReader : public testing::Test {
protected:
    VersionedServices services;
};

} // namespace

TEST_F(FontReader, RealFontsAgreeWithThePlatformEngineOnTablesGlyphsAndCharacters)
{
    for (const char* leaf : kRealFonts) {
        SCOPED_TRACE(leaf);
        const std::vector<uint8_t> file = DejaVu(leaf);
        ASSERT_FALSE(file.empty());
        GdiFont gdi(DejaVuPath(leaf));
        ASSERT_EQ(file.size(), GetFontData(gdi.Dc(), 0, 0, nullptr, 0)) << "the engine chose another file";
        const std::string path = DejaVuPath(leaf);
        GTTWin32FontFileReader disk(RWWString(std::wstring(path.begin(), path.end()).c_str()), 7);
        GTTMemoryFontFileReader uncached(file, 7, 0);
        EXPECT_EQ(1, disk.HasRequiredTables(0));
        for (uint32_t tag = 0; tag < kTagCount; ++tag) {
            const char* name = "cmapheadglyflocamaxpmortnameOS/2postcvt edt0edt1crypfpgmgdirhdmxhheahmtxvheavmtxkernLTSHGSUBprepPCLT" + 4 * tag;
            const std::string tagName(name, 4);
            const std::vector<uint8_t> expected = gdi.Table(gdi.Dc(), tagName.c_str());
            EXPECT_EQ(expected, TableBytes(disk, tag, 1)) << tagName;
            EXPECT_EQ(expected, TableBytes(uncached, tag, 1)) << tagName;
        }
        const std::vector<uint8_t> maxp = gdi.Table(gdi.Dc(), "maxp"), head = gdi.Table(gdi.Dc(), "head"),
                                   loca = gdi.Table(gdi.Dc(), "loca"), hhea = gdi.Table(gdi.Dc(), "hhea"),
                                   hmtx = gdi.Table(gdi.Dc(), "hmtx");
        uint16_t glyphs = 0;
        ASSERT_EQ(1, disk.GetGlyphCount(0, glyphs));
        EXPECT_EQ(BE16(maxp, 4), glyphs);
        int16_t box[4];
        ASSERT_EQ(8, disk.GetBoundingBox(0, box));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(int16_t(BE16(head, 36 + 2 * i)), box[i]);
        const bool longLoca = BE16(head, 50) == 1;
        const uint16_t n = BE16(hhea, 34);
        for (uint32_t g = 0; g < glyphs; ++g) {
            const uint32_t start = longLoca ? uint32_t(BE16(loca, 4 * g)) << 16 | BE16(loca, 4 * g + 2) : 2u * BE16(loca, 2 * g);
            const uint32_t next = longLoca ? uint32_t(BE16(loca, 4 * g + 4)) << 16 | BE16(loca, 4 * g + 6) : 2u * BE16(loca, 2 * g + 2);
            GByteBuffer* data = nullptr;
            ASSERT_EQ(next - start, disk.GetGlyphData(0, 1, uint16_t(g), data)) << g;
            delete data;
            EXPECT_EQ(start, uncached.GetGlyphOffset(0, uint16_t(g)));
            uint16_t advance = 0;
            int16_t bearing = 0;
            ASSERT_EQ(1, uncached.GetHorizontalMetrics(0, uint16_t(g), advance, bearing));
            EXPECT_EQ(BE16(hmtx, 4 * (g < n ? g : n - 1u)), advance);
            EXPECT_EQ(int16_t(BE16(hmtx, g < n ? 4 * g + 2 : 4u * n + 2 * (g - n))), bearing);
        }
        std::vector<WCHAR> codes(0x10000);
        for (uint32_t c = 0; c < codes.size(); ++c)
            codes[c] = WCHAR(c);
        std::vector<WORD> expected(codes.size());
        ASSERT_EQ(codes.size(), GetGlyphIndicesW(gdi.Dc(), codes.data(), int(codes.size()), expected.data(),
                                                  GGI_MARK_NONEXISTING_GLYPHS));
        uint32_t mismatches = 0;
        for (uint32_t c = 0; c < codes.size(); ++c) {
            const uint16_t want = expected[c] == 0xFFFF ? 0 : expected[c];
            const uint16_t got = disk.MapCharacter(0, 0, uint16_t(c), 16);
            if (want != got && ++mismatches < 5) {
                ADD_FAILURE() << std::hex << "code " << c << ": engine " << want << ", reader " << got;
            }
            if (c % 251 == 0) {
                EXPECT_EQ(got, uncached.MapCharacter(0, 0, uint16_t(c), 16)) << c;
            }
        }
        EXPECT_EQ(0u, mismatches);
    }
}

TEST_F(FontReader, ReadsStayInsideTablesAndOnlyShortTablesAreCached)
{
    for (uint32_t size : {249999u, 250000u}) {
        GTTMemoryFontFileReader r(BuildFont({{"kern", std::vector<uint8_t>(size, 3)}, {"head", std::vector<uint8_t>(54, 1)}}), 1);
        uint8_t bytes[4] = {};
        EXPECT_EQ(0u, r.ReadTableBytes(0, kTagKern, size - 3, 1, bytes, 4)) << "one byte past the end";
        EXPECT_EQ(4u, r.ReadTableBytes(0, kTagKern, size - 4, 1, bytes, 4));
        EXPECT_EQ(0u, r.ReadTableBytes(0, kTagKern, 0xFFFFFFFE, 1, bytes, 4)) << "offset + count wraps";
        EXPECT_EQ(size < 250000, r.GetTableCache() && r.GetTableCache()->IsPresent(kTagKern)) << size;
        const uint32_t changes = r.GetChangeCount();
        EXPECT_EQ(0u, r.ReadTableBytes(0, kTagVmtx, 0, 1, bytes, 2));
        EXPECT_EQ(0u, r.ReadTableBytes(0, kTagVmtx, 0, 1, bytes, 2));
        EXPECT_EQ(changes + 1, r.GetChangeCount()) << "an absent table is remembered once";
    }
}

TEST_F(FontReader, CharacterMapsOfBuiltFonts)
{
    const std::vector<uint8_t> maxp = BE().U32(0x5000).U16(300).b;
    const std::vector<uint8_t> f4 = Format4(0x20, 0x7E, uint16_t(-29 & 0xFFFF));
    const std::vector<uint8_t> symbol = Format4(0xF020, 0xF07E, uint16_t(-0xF000 & 0xFFFF));
    // Format 2: single bytes 0x41..0x42 through sub-header 0; lead byte 0x81 with trail 0x40..0x41.
    BE f2;
    f2.U16(2).U16(0).U16(0).Zeros(512);
    f2.Put(6 + 2 * 0x81, 8);
    f2.U16(0x41).U16(2).U16(0).U16(10).U16(0x40).U16(2).U16(10).U16(10).U16(5).U16(6).U16(0).U16(0).U16(7).U16(8);
    // The same one byte short: its last glyph entry lies past the table.
    std::vector<uint8_t> f2Cut = f2.b;
    f2Cut.pop_back();
    // Format 4: codes 0x41..0x43 through the glyph array {5, 0, 7} with delta 100 (the
    // array ends the table), then the end segment that maps 0xFFFF to the missing glyph.
    const std::vector<uint8_t> g4 = BE().U16(4).U16(38).U16(0).U16(4).U16(4).U16(1).U16(0).U16(0x43).U16(0xFFFF)
        .U16(0).U16(0x41).U16(0xFFFF).U16(100).U16(1).U16(4).U16(0).U16(5).U16(0).U16(7).b;
    std::vector<uint8_t> g4Cut = g4;
    g4Cut.pop_back();
    const uint32_t os4 = 4 << 16, os5 = 5 << 16;
    struct Case {
        const char* what;
        std::vector<Subtable> cmap;
        uint16_t firstChar, lastChar;
        uint32_t os, set;
        uint16_t code, glyph;
    } cases[] = {
        {"(3,1) set 3", {{3, 1, f4}}, 0x20, 0x7E, os5, 3, 'A', 'A' - 29},
        {"(3,0) wins under set 3", {{3, 1, f4}, {3, 0, symbol}}, 0xF020, 0xF07E, os5, 3, 'A', 'A'},
        {"symbol F=0xF000", {{3, 0, symbol}}, 0xF020, 0xF07E, os5, 0, 'A', 'A'},
        {"symbol F=0 at OS 4 keeps the code", {{3, 0, f4}}, 0x20, 0x1FF, os4, 3, 'A', 'A' - 29},
        {"symbol F=0 at OS 5 converts", {{3, 0, f4}}, 0x20, 0x1FF, os5, 3, 'A', 'A' - 29},
        {"no platform 3", {{1, 0, f4}}, 0x20, 0x7E, os5, 16, 'A', 0},
        {"format 2 single byte", {{3, 2, f2.b}}, 0, 0, os5, 0, 0x42, 6},
        {"format 2 two bytes", {{3, 2, f2.b}}, 0, 0, os5, 0, 0x8141, 18},
        {"format 2 lead byte alone", {{3, 2, f2.b}}, 0, 0, os5, 0, 0x81, 0},
        {"format 2 one byte short, the entry before the last", {{3, 2, f2Cut}}, 0, 0, os5, 0, 0x8140, 17},
        {"format 2 one byte short, the last entry", {{3, 2, f2Cut}}, 0, 0, os5, 0, 0x8141, 0},
        {"format 4 array, first code", {{3, 1, g4}}, 0x20, 0x7E, os5, 16, 0x41, 105},
        {"format 4 array entry 0 is the missing glyph", {{3, 1, g4}}, 0x20, 0x7E, os5, 16, 0x42, 0},
        {"format 4 array, last entry ends the table", {{3, 1, g4}}, 0x20, 0x7E, os5, 16, 0x43, 107},
        {"format 4 array one byte short", {{3, 1, g4Cut}}, 0x20, 0x7E, os5, 16, 0x43, 0},
        {"format 4 between segments", {{3, 1, g4}}, 0x20, 0x7E, os5, 16, 0x44, 0},
        {"format 4 end segment", {{3, 1, g4}}, 0x20, 0x7E, os5, 16, 0xFFFF, 0},
        {"set 1 below numGlyphs", {{3, 1, f4}}, 0x20, 0x7E, os5, 1, 299, 299},
    };
    for (const Case& c : cases) {
        services.version = c.os;
        GTTMemoryFontFileReader r(BuildFont({{"OS/2", OS2(c.firstChar, c.lastChar)}, {"cmap", Cmap(c.cmap)}, {"maxp", maxp}}), 1);
        EXPECT_EQ(c.glyph, r.MapCharacter(0, 0, c.code, c.set)) << c.what;
    }
    GCharacterMapChoice choice;
    const std::vector<uint8_t> rows = Cmap({{3, 1, f4}, {1, 0, f4}, {3, 4, f4}, {3, 2, f4}, {3, 3, f4}});
    const struct {
        uint32_t set;
        int16_t encoding;
    } preferences[] = {{17, 2}, {18, 3}, {23, 4}, {20, 1}, {0, 1}, {3, 1}};
    for (const auto& p : preferences) {
        GTTMemoryFontFileReader({}, 0).SelectCharacterMap(rows.data(), uint32_t(rows.size()), p.set, choice);
        EXPECT_EQ(p.encoding, choice.encoding) << p.set;
    }
    // An encoding record whose 32-bit offset ends the table is read; one byte short, not.
    const std::vector<uint8_t> oneRecord = BE().U16(0).U16(1).U16(3).U16(1).U32(0).b;
    for (uint32_t cut : {0u, 1u}) {
        GTTMemoryFontFileReader({}, 0).SelectCharacterMap(oneRecord.data(), uint32_t(oneRecord.size()) - cut, 0, choice);
        EXPECT_EQ(cut == 0 ? 1 : 0, choice.found) << cut;
    }
}

TEST_F(FontReader, VerticalSubstitutesComeFromMortOrElseGSUB)
{
    // The units are {glyph, substitute} pairs; by default the one unit {36, 99}.
    auto mort = [](uint32_t length, uint16_t units, std::vector<uint16_t> pairs = {36, 99}) {
        BE m;
        m.U32(0x00010000).U32(1).U32(1).U32(0).U16(3).U16(1);
        m.U16(3).U16(0).U32(1).U32(0xFFFFFFFF).U16(3).U16(1).U32(0).U32(0xFFFFFFFE).U16(8).U16(0).U32(0).U32(0);
        m.U16(0).U16(0x8004).U32(1).U16(6).U16(4).U16(units).U16(0).U16(0).U16(0);
        for (uint16_t v : pairs)
            m.U16(v);
        m.b.resize(length);
        return m.b;
    };
    auto gsub = [](uint16_t format) {
        BE g;
        g.U32(0x00010000).U16(0).U16(10).U16(24);  // features at 10, lookups at 24
        g.U16(1).Tag("vert").U16(8).U16(0).U16(1).U16(0); // feature record and its table
        g.U16(1).U16(4).U16(1).U16(0).U16(1).U16(8);     // lookup list, lookup of one subtable at 8
        if (format == 1)
            g.U16(1).U16(6).U16(63).U16(1).U16(1).U16(36); // delta 63, coverage {36}
        else
            g.U16(2).U16(8).U16(1).U16(99).U16(2).U16(1).U16(30).U16(40).U16(6); // ranges start at index 6
        return g.b;
    };
    // Format 2 with a coverage of one range start..end from startIndex, and the
    // substitutes 200, 201, ...; the coverage's range record ends the table.
    auto gsub2 = [](uint16_t start, uint16_t end, uint16_t startIndex, uint16_t substitutes) {
        BE g;
        g.U32(0x00010000).U16(0).U16(10).U16(24);
        g.U16(1).Tag("vert").U16(8).U16(0).U16(1).U16(0);
        g.U16(1).U16(4).U16(1).U16(0).U16(1).U16(8);
        g.U16(2).U16(6 + 2 * uint32_t(substitutes)).U16(substitutes);
        for (uint16_t i = 0; i < substitutes; ++i)
            g.U16(200u + i);
        g.U16(2).U16(1).U16(start).U16(end).U16(startIndex);
        return g.b;
    };
    const std::vector<uint8_t> cmap = Cmap({{3, 1, Format4(0x20, 0x7E, 0)}});
    struct Case {
        const char* what;
        std::map<std::string, std::vector<uint8_t>> extra;
        uint16_t code, glyph;
    } cases[] = {
        {"mort of 80 bytes", {{"mort", mort(80, 1)}}, 36, 99},
        {"mort of 77 bytes", {{"mort", mort(77, 0)}}, 36, 36},
        {"mort of 76 bytes", {{"mort", mort(76, 1)}}, 36, 36},
        {"mort with no units", {{"mort", mort(80, 0)}}, 36, 36},
        {"mort one byte short of its unit", {{"mort", mort(79, 1)}}, 36, 36},
        {"mort's last unit ends the table", {{"mort", mort(84, 2, {35, 98, 36, 99})}}, 36, 99},
        {"mort one byte short of its last unit", {{"mort", mort(83, 2, {35, 98, 36, 99})}}, 36, 36},
        {"GSUB format 1", {{"GSUB", gsub(1)}}, 36, 99},
        {"GSUB format 2 past its substitutes", {{"GSUB", gsub(2)}}, 36, 36},
        {"GSUB format 2 range start", {{"GSUB", gsub2(0x30, 0x40, 0, 17)}}, 0x30, 200},
        {"GSUB format 2 range end", {{"GSUB", gsub2(0x30, 0x40, 0, 17)}}, 0x40, 216},
        {"GSUB format 2 before the range", {{"GSUB", gsub2(0x30, 0x40, 0, 17)}}, 0x2F, 0x2F},
        {"GSUB format 2 after the range", {{"GSUB", gsub2(0x30, 0x40, 0, 17)}}, 0x41, 0x41},
        {"GSUB format 2 last substitute", {{"GSUB", gsub2(0x30, 0x40, 1, 17)}}, 0x3F, 216},
        {"GSUB format 2 one past the substitutes", {{"GSUB", gsub2(0x30, 0x40, 1, 17)}}, 0x40, 0x40},
        {"mort wins over GSUB", {{"mort", mort(76, 1)}, {"GSUB", gsub(1)}}, 36, 36},
    };
    for (const Case& c : cases) {
        std::map<std::string, std::vector<uint8_t>> tables = c.extra;
        tables["cmap"] = cmap;
        tables["OS/2"] = OS2(0x20, 0x7E);
        GTTMemoryFontFileReader r(BuildFont(tables), 1);
        EXPECT_EQ(c.glyph, r.MapCharacter(0, 1, c.code, 16)) << c.what;
        EXPECT_EQ(c.code, r.MapCharacter(0, 0, c.code, 16)) << c.what;
    }
    // The last unit of mort and the coverage's range record of GSUB end their tables: a
    // length one byte short leaves them unread, though the bytes lie there.
    const std::vector<uint8_t> units = mort(84, 2, {35, 98, 36, 99}), ranges = gsub2(0x30, 0x40, 0, 17);
    for (uint32_t cut : {0u, 1u}) {
        EXPECT_EQ(cut == 0 ? 99 : 36, GTTFontFileReader::MortSubstitute(units.data(), uint32_t(units.size()) - cut, 36)) << cut;
        EXPECT_EQ(cut == 0 ? 200 : 0x30, GTTFontFileReader::GSUBSubstitute(ranges.data(), uint32_t(ranges.size()) - cut, 0x30)) << cut;
    }
}

TEST_F(FontReader, ASavedReaderComesBackWithItsCachesAndMapsWithoutItsFile)
{
    const std::string path = DejaVuPath(kRealFonts[0]);
    GTTWin32FontFileReader disk(RWWString(std::wstring(path.begin(), path.end()).c_str()), 42);
    disk.Preload(0, 0);
    const uint16_t glyph = disk.MapCharacter(0, 0, 'A', 16);
    EXPECT_NE(0, glyph);
    EXPECT_TRUE(StoreSizeMatches(disk));
    for (Medium medium : kAllMedia) {
        std::unique_ptr<GObjectBase> back = GraphRoundTrip(medium, &disk);
        auto* reader = dynamic_cast<GTTFontFileReader*>(back.get());
        ASSERT_NE(nullptr, reader) << medium;
        EXPECT_TRUE(reader->IsEqual(&disk)) << medium;
        EXPECT_EQ(42u, reader->GetFileKey());
        EXPECT_EQ(glyph, reader->MapCharacter(0, 0, 'A', 16)) << medium;
    }
}

TEST_F(FontReader, MutatedRealFontsGoThroughEveryOperationWithoutHarm)
{
    const std::vector<uint8_t> original = DejaVu("DejaVuSans-ExtraLight.ttf");
    std::mt19937 random(1);
    for (int round = 0; round < 40; ++round) {
        std::vector<uint8_t> font = original;
        for (int i = 0; i < 200; ++i) {
            const size_t at = random() % (round < 20 ? 4096 : font.size());
            font[at] = uint8_t(random() % 3 == 0 ? 0xFF : random());
        }
        for (int caching : {1, 0}) {
            GTTMemoryFontFileReader r(font, 1, caching);
            r.HasRequiredTables(0);
            uint16_t count = 0, advance = 0;
            int16_t box[4], bearing = 0;
            r.GetBoundingBox(0, box);
            r.GetTypoDescender(0, bearing);
            r.GetGlyphCount(0, count);
            for (uint32_t g = 0; g < 300; g += 7) {
                GByteBuffer* data = nullptr;
                r.GetGlyphData(0, 1, uint16_t(g * 37), data);
                delete data;
                r.LoadGlyph(0, uint16_t(g));
                r.GetHorizontalMetrics(0, uint16_t(g), advance, bearing);
                r.GetVerticalMetrics(0, uint16_t(g), advance, bearing);
            }
            for (uint32_t c = 0; c < 0x10000; c += 97)
                r.MapCharacter(0, int(c & 1), uint16_t(c), c % 24);
            r.Preload(0, 17);
        }
    }
}

// A glyph served from the cache is the same bytes the font gave when it was read, in a
// record of the caller's own; so is every glyph of a reader that caches nothing.
TEST_F(FontReader, CachedGlyphsGiveTheBytesTheFontGave)
{
    const std::vector<uint8_t> file = DejaVu(kRealFonts[0]);
    ASSERT_FALSE(file.empty());
    GTTMemoryFontFileReader cached(file, 7, 1), uncached(file, 7, 0);
    uint16_t glyphs = 0;
    ASSERT_EQ(1, cached.GetGlyphCount(0, glyphs));
    auto bytes = [](GTTFontFileReader& reader, uint16_t glyph, uint32_t& length) {
        GByteBuffer* data = nullptr;
        length = reader.GetGlyphData(0, 1, glyph, data);
        std::unique_ptr<GByteBuffer> held(data);
        EXPECT_TRUE(!data || data->Owns());
        return data && data->GetData() ? std::vector<uint8_t>(data->GetData(), data->GetData() + data->GetLength())
                                       : std::vector<uint8_t>();
    };
    for (uint32_t g = 0; g < glyphs; ++g) {
        uint32_t missLength = 0, hitLength = 0, plainLength = 0;
        const std::vector<uint8_t> miss = bytes(cached, uint16_t(g), missLength);
        const std::vector<uint8_t> hit = bytes(cached, uint16_t(g), hitLength);
        const std::vector<uint8_t> plain = bytes(uncached, uint16_t(g), plainLength);
        ASSERT_EQ(missLength, hitLength) << g;
        ASSERT_EQ(missLength, plainLength) << g;
        ASSERT_EQ(miss, hit) << g;
        ASSERT_EQ(miss, plain) << g;
    }
}
