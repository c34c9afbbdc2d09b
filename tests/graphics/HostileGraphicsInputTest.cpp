// Fonts and run-coded bitmaps built to make the readers work or allocate without bound:
// composite glyphs multiplying at each level, glyph offsets past their table, decoded
// sizes past the bound, delta streams long enough to wrap the decoder's position, and
// more handles on one reader than a 16-bit count holds.
#include "FontTestFonts.h"
#include "HostileFiles.h"

#include "graphics/GBitmap.h"
#include "graphics/GBitmapImp.h"
#include "graphics/GTTFontFile.h"
#include "graphics/GTTFontFilePool.h"
#include "graphics/GTTMemoryFontFileReader.h"
#include "model/GSizeFromData.h"
#include "../printer/TestOSFactory.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A font of glyphs given as their glyf bytes, with long loca offsets.
std::vector<uint8_t> GlyphFont(const std::vector<std::vector<uint8_t>>& glyphs)
{
    BE glyf, loca;
    for (const std::vector<uint8_t>& g : glyphs) {
        loca.U32(uint32_t(glyf.b.size()));
        glyf.b.insert(glyf.b.end(), g.begin(), g.end());
    }
    loca.U32(uint32_t(glyf.b.size()));
    std::vector<uint8_t> head = BE().Zeros(50).U16(1).U16(0).b;
    std::vector<uint8_t> maxp = BE().U32(0x00005000).U16(uint32_t(glyphs.size())).b;
    return BuildFont({{"glyf", glyf.b}, {"head", head}, {"loca", loca.b}, {"maxp", maxp}});
}

// A composite glyph of the components, each placed by byte offsets.
std::vector<uint8_t> Composite(const std::vector<uint16_t>& components)
{
    BE g;
    g.U16(0xFFFF).Zeros(8);
    for (size_t i = 0; i < components.size(); ++i)
        g.U16(i + 1 < components.size() ? 0x0020 : 0).U16(components[i]).U16(0);
    return g.b;
}

std::vector<uint8_t> Simple() { return BE().U16(0).Zeros(8).b; }

int LoadGlyph(const std::vector<uint8_t>& font, uint16_t glyph)
{
    GTTMemoryFontFileReader reader(font, 1);
    reader.Lock();
    const int loaded = reader.LoadGlyph(0, glyph);
    reader.Unlock();
    return loaded;
}

class HostileFonts : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!GOSFactory::Instance())
            new TestOSFactory;
    }
};

} // namespace

// Glyphs 0 to 15 each of four components naming the next: 4^16 loads without a budget.
TEST_F(HostileFonts, ACompositeChainIsRefusedWithinTheBudget)
{
    GTTMemoryFontFileReader reader(CompositeChainTtf(), 1);
    reader.Lock();
    EXPECT_EQ(0, reader.LoadGlyph(0, 0));
    EXPECT_EQ(1, reader.Preload(0, 0));
    reader.Unlock();
}

// The glyph and its components count: the budget's worth loads, one more is refused.
TEST_F(HostileFonts, TheBudgetCountsEveryGlyphVisited)
{
    const uint32_t budget = GTTFontFileReader::kMaxGlyphsPerLoad;
    for (uint32_t components : {budget - 1, budget}) {
        const std::vector<uint8_t> font = GlyphFont({Composite(std::vector<uint16_t>(components, 1)), Simple()});
        EXPECT_EQ(components < budget ? 1 : 0, LoadGlyph(font, 0)) << components << " components";
    }
    // Sharing is what costs: a deep but narrow glyph loads, down to 16 composites over a
    // simple glyph; one level more is refused.
    for (uint16_t depth : {16, 17}) {
        std::vector<std::vector<uint8_t>> chain;
        for (uint16_t g = 0; g < depth; ++g)
            chain.push_back(Composite({uint16_t(g + 1)}));
        chain.push_back(Simple());
        EXPECT_EQ(depth == 16 ? 1 : 0, LoadGlyph(GlyphFont(chain), 0)) << depth << " levels";
    }
}

// A glyph that ends with glyf reads; one byte past it is refused before anything is
// allocated, as are the offsets of the damaged fonts.
// The buffer the caller keeps gets what a new record gets, from the font and from the
// cache alike, and is emptied where the record form answers 0.
TEST_F(HostileFonts, AKeptBufferGetsTheRecordsBytesAndAnswers)
{
    std::vector<uint8_t> font = GlyphFont({Simple(), Composite({0}), {}, BE().U16(1).Zeros(10).b});
    const size_t locaEnd = font.size() - 6 - 20 + 16; // maxp is last; loca ends 0, 10, 26, 26, 38
    ASSERT_EQ(38u, GBigEndian32(&font[locaEnd]));
    for (int damaged : {0, 1}) {
        if (damaged)
            font[locaEnd + 3] += 1; // glyf's end one past the table: the last glyph is refused
        GTTMemoryFontFileReader records(font, 1, 1), kept(font, 1, 1);
        std::vector<uint8_t> into(3, 0xEE);
        for (int pass = 0; pass < 2; ++pass) {
            for (uint16_t glyph = 0; glyph < 5; ++glyph) {
                GByteBuffer* out = nullptr;
                const uint32_t length = records.GetGlyphData(0, 1, glyph, out);
                std::unique_ptr<GByteBuffer> held(out);
                EXPECT_EQ(length, kept.GetGlyphData(0, 1, glyph, into)) << glyph;
                const std::vector<uint8_t> expected =
                    held && held->GetLength() ? std::vector<uint8_t>(held->GetData(), held->GetData() + length)
                                              : std::vector<uint8_t>();
                EXPECT_EQ(expected, into) << glyph << " pass " << pass;
                EXPECT_EQ(glyph < 4 && !(damaged && glyph == 3), held != nullptr) << glyph;
            }
        }
    }
}

TEST_F(HostileFonts, GlyphRangesMustLieInsideGlyf)
{
    std::vector<uint8_t> font = GlyphFont({Simple(), Simple()});
    GByteBuffer* out = nullptr;
    {
        GTTMemoryFontFileReader reader(font, 1);
        EXPECT_EQ(10u, reader.GetGlyphData(0, 0, 1, out));
        delete out;
    }
    // The last loca entry (glyf's end) one past the table.
    const size_t locaEnd = font.size() - 6 - 12 + 8; // maxp is last; loca entries 0, 10, 20
    ASSERT_EQ(20u, GBigEndian32(&font[locaEnd]));
    font[locaEnd + 3] = 21;
    {
        GTTMemoryFontFileReader reader(font, 1);
        EXPECT_EQ(0u, reader.GetGlyphData(0, 0, 1, out));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(10u, reader.GetGlyphData(0, 0, 0, out));
        delete out;
    }
    for (const std::vector<uint8_t>* damaged : {&Loca4GibTtf(), &LocaFromHeadTtf()}) {
        GTTMemoryFontFileReader reader(*damaged, 1);
        uint16_t count = 0;
        reader.GetGlyphCount(0, count);
        for (uint32_t glyph = 0; glyph < count; ++glyph) {
            const uint32_t length = reader.GetGlyphData(0, 1, uint16_t(glyph), out);
            EXPECT_LE(uint64_t(length), uint64_t(reader.GetTableLength(0, kTagGlyf))) << glyph;
            delete out;
        }
    }
}

// 65,536 handles on one reader: a 16-bit count wraps to where closing one handle frees
// the reader the others still use.
TEST_F(HostileFonts, SixtyFiveThousandHandlesOnOneReaderKeepItAlive)
{
    GTTFontFilePool pool;
    auto* reader = new GTTMemoryFontFileReader({}, 31);
    ASSERT_EQ(1, pool.Register(reader));
    std::vector<std::unique_ptr<GTTFontFile>> handles;
    handles.reserve(65536);
    for (int i = 0; i < 65536; ++i)
        handles.emplace_back(new GTTFontFile(reader, &pool));
    EXPECT_EQ(65537, reader->GetUserCount());
    handles.pop_back();
    EXPECT_EQ(65536, handles.front()->GetReader()->GetUserCount());
    EXPECT_EQ(31u, handles.front()->GetReader()->GetFileKey());
    handles.clear();
    EXPECT_EQ(1, reader->GetUserCount());
}

namespace {

GBitmap RunCoded(std::vector<uint8_t>& stream, int16_t width, int16_t height)
{
    GBitmapInfo info;
    info.bits = stream.data();
    info.bitsSize = uint32_t(stream.size());
    info.bounds = GRect{0, 0, width, height};
    info.bitsPerPixel = 8;
    info.compression = 2;
    return GBitmap(info);
}

} // namespace

// The decoded size is bounded: a bitmap whose rows (with the decoder's spare row) fill
// the bound exactly decodes, one row more makes an empty bitmap.
TEST(HostileBitmaps, DecodedSizeIsBoundedAtTheEdge)
{
    const int16_t width = 8192;
    const int16_t rows = int16_t(kMaxDecodedBitmapBytes / width - 1);
    std::vector<uint8_t> stream = {2, 7, 0, 1};
    GBitmap fits = RunCoded(stream, width, rows);
    ASSERT_FALSE(fits.IsNull());
    EXPECT_EQ(kMaxDecodedBitmapBytes, fits.GetImp()->GetBitsSize());
    EXPECT_EQ(7, fits.GetImp()->GetBits()[1]);
    GBitmap past = RunCoded(stream, width, int16_t(rows + 1));
    EXPECT_TRUE(past.IsNull());
}

// 16,843,009 moves of 255 columns add up to 2^32 - 1: without saturation the column
// wraps to -1 and the next pixel lands before the buffer. Saturated, the position sits
// at the row's end, so the two pixels after the moves go to the start of the next row.
TEST(HostileBitmaps, LongDeltaStreamsSaturateAtTheEdges)
{
    const uint32_t moves = 16843009;
    std::vector<uint8_t> stream;
    stream.reserve(size_t(moves) * 4 + 4);
    for (uint32_t i = 0; i < moves; ++i)
        stream.insert(stream.end(), {0, 2, 0xFF, 0});
    stream.insert(stream.end(), {2, 0x41, 0, 1});
    GBitmap bitmap = RunCoded(stream, 8, 8);
    ASSERT_FALSE(bitmap.IsNull());
    const GBitmapImp& imp = *bitmap.GetImp();
    const std::vector<uint8_t> first(imp.GetBits(), imp.GetBits() + 8);
    const std::vector<uint8_t> second(imp.GetBits() + 8, imp.GetBits() + 16);
    EXPECT_EQ(std::vector<uint8_t>(8, 0), first);
    EXPECT_EQ((std::vector<uint8_t>{0x41, 0, 0, 0, 0, 0, 0, 0}), second);
    // Rows likewise: moves down past the height end the decoding.
    std::vector<uint8_t> down = {0, 2, 0, 0xFF, 0, 2, 0, 0xFF, 1, 0x41, 0, 1};
    GBitmap below = RunCoded(down, 8, 8);
    ASSERT_FALSE(below.IsNull());
    for (uint32_t i = 0; i < below.GetImp()->GetBitsSize(); ++i)
        ASSERT_EQ(0, below.GetImp()->GetBits()[i]) << i;
}

// The list may send the replace message (5) and the compare message (6) with one reader
// as both the new and the stored one: its lock is not recursive, so it is taken once.
TEST_F(HostileFonts, ReplaceAndCompareMessagesOnOneReaderLockItOnce)
{
    GTTFontFilePool pool;
    auto* reader = new GTTMemoryFontFileReader({}, 32);
    ASSERT_EQ(1, pool.Register(reader));
    const auto message = GTTFontFilePool::ReaderMessages();
    const uintptr_t same = reinterpret_cast<uintptr_t>(reader);
    EXPECT_EQ(0, message(reader, 5, same)) << "an equal change count replaces nothing";
    EXPECT_EQ(1, message(reader, 6, same));
    EXPECT_EQ(0, reader->IsLocked());
    EXPECT_EQ(1, reader->GetUserCount());
}
