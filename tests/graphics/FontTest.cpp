// Fonts and their references, scaled fonts, and the writers' font records and list.
#include "../model/StoredForms.h"
#include "TestFonts.h"

#include "graphics/GFontDatabase.h"
#include "graphics/GFontHandle.h"
#include "graphics/GFontRecordList.h"
#include "graphics/GScaledFont.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// The glyph scaled by the rule itself: every set source pixel fills its block.
std::vector<uint8_t> Replicated(const uint8_t* source, uint32_t w, uint32_t h, float sx, float sy,
                                uint32_t& rowBytes)
{
    const uint32_t width = uint32_t(w * sx), rows = uint32_t(h * sy);
    rowBytes = (width + 31) / 32 * 4;
    std::vector<uint8_t> out(rowBytes * rows);
    const uint32_t sourceRow = (w + 31) / 32 * 4;
    for (uint32_t r = 0; r < h; ++r)
        for (uint32_t c = 0; c < w; ++c)
            if (source[r * sourceRow + c / 8] & (0x80 >> (c % 8)))
                for (uint32_t y = uint32_t(r * sy); y < uint32_t((r + 1) * sy); ++y)
                    for (uint32_t x = uint32_t(c * sx); x < uint32_t((c + 1) * sx); ++x)
                        out[y * rowBytes + x / 8] |= uint8_t(0x80 >> (x % 8));
    return out;
}

// A font held by one reference, which the test owns.
struct HeldFont {
    TestFont* font = new TestFont(7);
    TestFontReference reference{font, nullptr};
};

} // namespace

TEST(ScaledFont, ScalesOfZeroActAsTheFontItself)
{
    HeldFont held;
    GScaledFont scaled(&held.reference, 0.0f, -0.0f);
    EXPECT_EQ(1.0f, scaled.GetXScale());
    EXPECT_EQ(1.0f, scaled.GetYScale());
    GFontMetrics metrics;
    scaled.GetMetrics(metrics);
    EXPECT_TRUE(metrics == held.font->GetMetrics());
    EXPECT_EQ(100, scaled.GetHeight());
    GGlyphMetrics glyph{};
    std::unique_ptr<uint8_t[]> bitmap;
    EXPECT_EQ(4u * 4u, scaled.GetGlyphImage('A', 0, glyph, bitmap));
    EXPECT_EQ(10, glyph.width) << "the font's own image, unscaled";
}

TEST(ScaledFont, HostileScalesAreTakenAsOne)
{
    HeldFont held;
    for (float bad : {-2.0f, std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                      std::numeric_limits<float>::quiet_NaN(), 0.0f}) {
        GScaledFont scaled(&held.reference, bad, bad);
        EXPECT_EQ(1.0f, scaled.GetXScale()) << bad;
        EXPECT_EQ(1.0f, scaled.GetYScale()) << bad;
    }
    GScaledFont huge(&held.reference, 30000.0f, 30000.0f);
    GGlyphMetrics glyph{};
    std::unique_ptr<uint8_t[]> bitmap;
    EXPECT_EQ(0u, huge.GetGlyphImage('A', 0, glyph, bitmap)) << "a bitmap past the bound is not made";
    EXPECT_EQ(nullptr, bitmap);
    GScaledFont none(nullptr, 2.0f, 2.0f);
    EXPECT_EQ(0u, none.GetGlyphImage('A', 0, glyph, bitmap));
    EXPECT_EQ(0, none.GetHeight());
}

TEST(ScaledFont, DoublingAGlyphGivesTwiceThePixelsInWholeRows)
{
    HeldFont held;
    GScaledFont scaled(&held.reference, 2.0f, 2.0f);
    GGlyphMetrics glyph{};
    std::unique_ptr<uint8_t[]> bitmap;
    EXPECT_EQ(4u * 8u, scaled.GetGlyphImage('A', 0, glyph, bitmap)) << "20 pixels in rows of 4 bytes, 8 rows";
    EXPECT_EQ(32, glyph.width);
    EXPECT_EQ(8, glyph.height);
    EXPECT_EQ(6, glyph.originX);
    EXPECT_EQ(-8, glyph.originY);
    GFontMetrics metrics;
    scaled.GetMetrics(metrics);
    EXPECT_EQ(200, metrics.height);
    EXPECT_EQ(-40, metrics.vertical[1]);
    EXPECT_EQ(100, metrics.horizontal[0]);
    EXPECT_EQ(400, metrics.weight) << "the other values stay";
}

TEST(ScaledFont, AGlyphAtOneAndAHalfIsReplicatedPixelByPixel)
{
    HeldFont held;
    held.font->glyphWidth = 37, held.font->glyphHeight = 9;
    std::unique_ptr<uint8_t[]> source;
    GGlyphMetrics plain{};
    held.font->GetGlyphImage('B', 0, plain, source);
    GScaledFont scaled(&held.reference, 1.5f, 1.5f);
    GGlyphMetrics glyph{};
    std::unique_ptr<uint8_t[]> bitmap;
    const uint32_t bytes = scaled.GetGlyphImage('B', 0, glyph, bitmap);
    uint32_t rowBytes = 0;
    const std::vector<uint8_t> expected = Replicated(source.get(), 37, 9, 1.5f, 1.5f, rowBytes);
    ASSERT_EQ(expected.size(), bytes);
    EXPECT_EQ(expected, std::vector<uint8_t>(bitmap.get(), bitmap.get() + bytes));
    EXPECT_EQ(64, glyph.width);
    EXPECT_EQ(13, glyph.height);
}

TEST(ScaledFont, TheSourceIsReadOnlyWithinTheBytesTheFontGave)
{
    HeldFont held;
    held.font->glyphWidth = 40, held.font->glyphHeight = 6;
    held.font->givenBytes = 8; // one row of the six
    GScaledFont scaled(&held.reference, 2.0f, 1.0f);
    GGlyphMetrics glyph{};
    std::unique_ptr<uint8_t[]> bitmap;
    const uint32_t bytes = scaled.GetGlyphImage('C', 0, glyph, bitmap);
    ASSERT_EQ(12u * 6u, bytes);
    for (uint32_t i = 12; i < bytes; ++i)
        EXPECT_EQ(0, bitmap[i]) << "rows past the given bytes stay clear";
}

TEST(Font, NextUseStopsAtTheTop)
{
    TestFont font(1);
    EXPECT_EQ(1u, font.NextUse());
    font.SetUseCounter(0xFFFFFFFE);
    EXPECT_EQ(0xFFFFFFFFu, font.NextUse());
    EXPECT_EQ(0xFFFFFFFFu, font.NextUse());
}

TEST(Font, GlyphIndicesFallBackOnTheDefaultCharacter)
{
    TestFont* font = new TestFont(7);
    TestGlyphSource* source = new TestGlyphSource;
    source->indices = {{'A', 36}, {'B', 37}, {'?', 3}};
    font->AdoptGlyphSource(source);
    TestFontReference reference(font, nullptr);
    std::vector<uint16_t> chars = {'A', 'x', 'B', 'y'};
    GTextString text(GSharedArray(chars.data(), 4, 0), 4, 2, GEncoding::kUnicode);
    GSharedArray out;
    EXPECT_EQ(1, reference.GetGlyphIndices(text, out));
    ASSERT_EQ(4u, out.GetCount());
    EXPECT_TRUE(out.IsOwned());
    EXPECT_EQ(std::vector<uint16_t>({36, 3, 37, 3}), std::vector<uint16_t>(out.Elements<uint16_t>(), out.Elements<uint16_t>() + 4));
    EXPECT_EQ(5, source->lookups) << "the default character is looked up once";
    source->indices.erase('?');
    EXPECT_EQ(0, reference.GetGlyphIndices(text, out)) << "no default character either";
    EXPECT_EQ(1, reference.GetGlyphIndices(GTextString(), out)) << "an empty text";

    source->indices = {{'!', 9}, {'"', 10}, {'?', 3}};
    font->Metrics().firstChar = '!', font->Metrics().lastChar = '"';
    EXPECT_EQ(1, reference.GetGlyphIndexRange(' ', '#', out));
    EXPECT_EQ(std::vector<uint16_t>({3, 9, 10, 3}), std::vector<uint16_t>(out.Elements<uint16_t>(), out.Elements<uint16_t>() + 4));
    EXPECT_EQ(1, source->runs);
    EXPECT_EQ(0, reference.GetGlyphIndexRange(5, 4, out));
    EXPECT_EQ(7u, reference.RequestGlyphs(1, 2));
    EXPECT_EQ(100 - 20, source->lastHeight) << "the height plus the second vertical metric";
}

TEST(Font, WithoutAGlyphSourceLookupsFail)
{
    HeldFont held;
    std::vector<uint16_t> chars = {'A'};
    GSharedArray out;
    EXPECT_EQ(0, held.reference.GetGlyphIndices(GTextString(GSharedArray(chars.data(), 1, 0), 1, 2, GEncoding::kUnicode), out));
    EXPECT_EQ(0u, held.reference.RequestOutlines(0, 0));
}

TEST(Font, MergeTakesTheUnionOfCodesAndAPendingObjectOnlyWhenItHasNone)
{
    TestFont a(1), b(1);
    std::vector<uint16_t> ab = {'a', 'b'}, bc = {'b', 'c'};
    a.AddTextCodes(GTextString(GSharedArray(ab.data(), 2, 0), 2, 2, GEncoding::kUnicode));
    b.AddTextCodes(GTextString(GSharedArray(bc.data(), 2, 0), 2, 2, GEncoding::kUnicode));
    GObjectBase* pending = new GObjectBase;
    b.SetPending(pending);
    a.Merge(b);
    EXPECT_EQ(3u, a.GetUsedCodes().GetCount());
    EXPECT_EQ(pending, a.GetPending());
    EXPECT_EQ(nullptr, b.GetPending());
    GObjectBase* other = new GObjectBase;
    b.SetPending(other);
    a.Merge(b);
    EXPECT_EQ(pending, a.GetPending()) << "this font's own pending object stays";
    EXPECT_EQ(other, b.GetPending());
    EXPECT_EQ(1, a.LoadUsedGlyphs());
    EXPECT_EQ(std::vector<uint32_t>({'a', 'b', 'c'}), a.images);
}

TEST(FontReference, WithoutAFontEveryForwardAnswersNothing)
{
    TestFontReference none;
    GGlyphMetrics glyph{1, 1, 1, 1};
    std::unique_ptr<uint8_t[]> bitmap(new uint8_t[1]);
    GSharedArray out;
    EXPECT_EQ(nullptr, none.GetMetrics());
    EXPECT_EQ(nullptr, none.GetWriterRecord());
    EXPECT_EQ(nullptr, none.GetFontInfo());
    EXPECT_EQ(0u, none.GetFontFileKey());
    EXPECT_EQ(0, none.GetHeight());
    EXPECT_TRUE(none.GetFaceName().IsNull());
    EXPECT_EQ(0u, none.NextUse());
    EXPECT_EQ(0, none.IsReady());
    EXPECT_EQ(0, none.GetGlyphIndexRange(0, 3, out));
    EXPECT_EQ(0u, none.GetGlyphImage('A', 0, glyph, bitmap));
    EXPECT_EQ(nullptr, bitmap);
    EXPECT_EQ(0, none.RegisterText(GTextString(), 1));
    EXPECT_EQ(0, none.RegisterDownloadText(1, 1));
    EXPECT_EQ(0u, none.AddTextCodes(GTextString()));
    none.MarkUsed();
}

TEST(FontReference, RegistrationHonoursTheFlagsAndReadiness)
{
    HeldFont held;
    std::vector<uint16_t> chars = {'h', 'i'};
    GTextString text(GSharedArray(chars.data(), 2, 0), 2, 2, GEncoding::kUnicode);
    EXPECT_EQ(1, held.reference.RegisterText(text, 2));
    EXPECT_EQ(std::vector<int>({2}), held.font->kinds);
    EXPECT_EQ(1, held.font->GetUsedCodes().Contains('h'));
    held.font->ready = 0;
    EXPECT_EQ(0, held.reference.RegisterText(text, 1)) << "a font that is not ready";
    EXPECT_EQ(0, held.reference.RegisterDownloadText(5, 1));
    held.font->WriterRecord().flags = GFont::kNoRegistration;
    EXPECT_EQ(1, held.reference.RegisterText(text, 1)) << "a font that needs no registration";
    EXPECT_EQ(1u, held.font->kinds.size());
}

TEST(FontReference, TheLastReferenceDeletesTheFontAndEarlierOnesResetItsExtraValue)
{
    TestFont* font = new TestFont(3);
    auto first = std::make_unique<TestFontReference>(font, nullptr);
    auto second = std::make_unique<TestFontReference>(*first);
    EXPECT_EQ(2, font->GetUserCount());
    font->SetExtraValue(9);
    first.reset();
    EXPECT_EQ(0u, font->GetExtraValue());
    EXPECT_EQ(1, font->GetUserCount());
    second.reset(); // deletes the font; a leak or double delete shows under the allocation watch
}

TEST(Font, StoredFormRoundTripsAndAFaceNameLongerThanTheDataIsRefused)
{
    TestFont font(5, "Face");
    font.Metrics().symbolSet = 277, font.Metrics().xScale = 2.5f, font.WriterRecord().flags = 2;
    font.WriterRecord().thirdFactor = 0.25f;
    font.SetUseCounter(12);
    TestFont back;
    RestoreGutsFrom(back, GutsBytes(font));
    EXPECT_TRUE(back.IsSame(&font));
    EXPECT_EQ(font.GetFontId(), back.GetFontId());
    EXPECT_EQ(12u, back.GetUseCounter());
    EXPECT_EQ(font.BinaryStoreSize(), GutsBytes(font).size());

    // The face name's length word made huge: the name is refused and nothing is taken.
    std::vector<uint8_t> bytes = GutsBytes(font);
    const size_t at = 12 + 4 + 2 * 5 + 4 * 3 + 2 + 4 + 4 * 2 + 2 + 4 * 2 + 2 * 2 + 2 * 4;
    ASSERT_EQ(4u, bytes[at]);
    bytes[at + 3] = 0x7F;
    TestFont hostile(9, "Kept");
    EXPECT_TRUE(RestoreGutsAndMeasure(hostile, bytes).eof);
    EXPECT_EQ("Kept", std::string(hostile.GetFaceName().Data()));
}

TEST(FontRecords, MemoryIsReservedAndGivenBackThroughTheWriter)
{
    RecordingWriter writer;
    writer.GetMemoryBudget().SetTotal(1000);
    GFontRecord* record = new GFontRecord(&writer, "F1");
    GFontHandle handle(record);
    EXPECT_EQ(0xFFFF, handle.GetWord());
    EXPECT_EQ(1u, handle.IsLive());
    handle.AddMemory(300);
    handle.AddCode(65);
    handle.AddDownloaded(2);
    EXPECT_EQ(700u, writer.GetMemoryBudget().GetFree());
    EXPECT_EQ(1, handle.HasCode(65));
    handle.Unload();
    EXPECT_EQ(1000u, writer.GetMemoryBudget().GetFree());
    EXPECT_EQ(std::vector<std::string>({"F1"}), writer.removed);
    EXPECT_TRUE(handle.GetMemoryUsed() == 0 && handle.GetDownloaded() == 0 && !handle.HasCode(65));
    handle.Unload();
    EXPECT_EQ(1u, writer.removed.size()) << "nothing more to unload";

    GFontHandle resident(new GFontRecord(&writer, "R"));
    resident.SetKind(GFontRecord::kResidentKind);
    resident.AddMemory(200);
    resident.Unload();
    EXPECT_EQ(1u, writer.removed.size()) << "a resident font is not removed by name";
    EXPECT_EQ(1000u, writer.GetMemoryBudget().GetFree()) << "but its memory comes back";
    EXPECT_EQ(0u, writer.ReserveDeviceMemory(5000)) << "more than is free fills the budget";
    EXPECT_EQ(1000u, writer.ReleaseDeviceMemory(5000));
    writer.ReserveDeviceMemory(10);
    RecordingWriter copy(writer);
    EXPECT_TRUE(copy.GetMemoryBudget() == GDeviceMemoryBudget()) << "a copied writer starts with a fresh budget";
    copy.ReserveDeviceMemory(1);
    static_cast<GPdlWriter&>(copy) = writer;
    EXPECT_EQ(GDeviceMemoryBudget::kDefaultTotal - 1, copy.GetMemoryBudget().GetFree()) << "assignment keeps its own";
}

TEST(FontRecords, FreeingTheLeastRecentlyUsedSkipsKindOneAndEmptyRecords)
{
    RecordingWriter writer;
    GFontRecordList list;
    const struct { const char* name; uint32_t kind, memory, stamp; } rows[] = {
        {"resident", 1, 100, 1}, {"empty", 2, 0, 1}, {"first", 3, 50, 4}, {"second", 2, 60, 4}, {"newer", 2, 70, 9}};
    for (const auto& row : rows) {
        GFontHandle* handle = new GFontHandle(new GFontRecord(&writer, row.name));
        handle->SetKind(row.kind), handle->SetUseStamp(row.stamp);
        if (row.memory)
            handle->AddMemory(row.memory);
        list.Add(GFontMetrics(), GFontWriterRecord(), handle);
    }
    const uint32_t freeBefore = writer.GetMemoryBudget().GetFree();
    EXPECT_EQ(280u, list.TotalMemory());
    EXPECT_EQ(50u, list.FreeLeastRecentlyUsed()) << "the first of the smallest stamp";
    EXPECT_EQ(std::vector<std::string>({"first"}), writer.removed);
    EXPECT_EQ(freeBefore + 50, writer.GetMemoryBudget().GetFree());
    EXPECT_EQ(60u, list.FreeLeastRecentlyUsed());
    EXPECT_EQ(70u, list.FreeLeastRecentlyUsed());
    EXPECT_EQ(0u, list.FreeLeastRecentlyUsed()) << "only the resident and empty entries are left";
    EXPECT_EQ(100u, list.TotalMemory());
    list.UnloadAll();
    EXPECT_EQ(0u, list.TotalMemory());
    GFontHandle kept(*list.GetHandle(0));
    {
        GFontRecordList gone;
        gone.Add(GFontMetrics(), GFontWriterRecord(), new GFontHandle(kept));
    }
    EXPECT_EQ(0u, kept.IsLive()) << "the list's end clears the live flag of records still held";
}
