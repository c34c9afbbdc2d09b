// The table and glyph caches of the font readers: storing, merging, and their stored
// forms on every medium, whole and damaged.
#include "../model/StoredForms.h"

#include "graphics/GGlyphCache.h"
#include "graphics/GTTTableCache.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

GByteBuffer* Owned(std::vector<uint8_t> bytes)
{
    uint8_t* data = bytes.empty() ? nullptr : new uint8_t[bytes.size()];
    std::copy(bytes.begin(), bytes.end(), data);
    return new GByteBuffer(data, uint32_t(bytes.size()), 1);
}

std::vector<uint8_t> Bytes(GByteBuffer* buffer)
{
    std::unique_ptr<GByteBuffer> held(buffer);
    return held ? std::vector<uint8_t>(held->GetData(), held->GetData() + held->GetLength()) : std::vector<uint8_t>{9};
}

GGlyphCacheNode* Node(std::vector<uint8_t> first, std::vector<uint8_t> second)
{
    return new GGlyphCacheNode(first.empty() ? nullptr : Owned(first), second.empty() ? nullptr : Owned(second));
}

} // namespace

TEST(GlyphCache, AGlyphStoredTwiceKeepsItsFirstBlockAndFillsTheEmptySecond)
{
    GGlyphCache cache;
    cache.Store(0x1234, Node({1, 2}, {}));
    cache.Store(0x1234, Node({7, 7, 7}, {5}));
    GGlyphCacheNode* node = cache.Find(0x1234);
    ASSERT_NE(nullptr, node);
    EXPECT_EQ((std::vector<uint8_t>{1, 2}), Bytes(node->GetFirst()));
    EXPECT_EQ((std::vector<uint8_t>{5}), Bytes(node->GetSecond()));
    EXPECT_EQ(2u, cache.GetCount());
    // Storing the node the slot holds leaves it alive and unchanged.
    cache.Store(0x1234, node);
    EXPECT_EQ(node, cache.Find(0x1234));
    EXPECT_EQ(2u, node->GetFirstLength());
    EXPECT_EQ(nullptr, cache.Find(0x1235));
}

TEST(TableCache, AnAbsentTableIsPresentWithAnEmptyBufferAndIsNeverReplaced)
{
    GTTTableCache cache;
    EXPECT_EQ(nullptr, cache.Get(3));
    EXPECT_EQ(1, cache.Store(3, Owned({})));
    std::unique_ptr<GByteBuffer> empty(cache.Get(3));
    ASSERT_NE(nullptr, empty);
    EXPECT_EQ(0u, empty->GetLength());
    EXPECT_EQ(0, cache.Store(3, Owned({1, 2})));
    uint8_t borrowed[] = {4, 5, 6};
    EXPECT_EQ(1, cache.Store(4, new GByteBuffer(borrowed, 3, 0)));
    borrowed[0] = 0;
    EXPECT_EQ((std::vector<uint8_t>{4, 5, 6}), Bytes(cache.Get(4)));
    EXPECT_EQ(0, cache.Store(26, Owned({1})));
    EXPECT_EQ(2u, cache.GetCount());
}

TEST(FontCaches, MergesMoveIntoEmptyPlacesOnlyAndClearTheSource)
{
    GTTTableCache tables, otherTables;
    tables.Store(1, Owned({1}));
    otherTables.Store(1, Owned({2}));
    otherTables.Store(2, Owned({3, 3}));
    tables.MergeFrom(&otherTables);
    EXPECT_EQ((std::vector<uint8_t>{1}), Bytes(tables.Get(1)));
    EXPECT_EQ((std::vector<uint8_t>{3, 3}), Bytes(tables.Get(2)));
    EXPECT_TRUE(otherTables.IsPresent(1));
    EXPECT_FALSE(otherTables.IsPresent(2));

    GGlyphCache glyphs, otherGlyphs;
    glyphs.Store(5, Node({1}, {}));
    otherGlyphs.Store(5, Node({2}, {2}));
    otherGlyphs.Store(700, Node({3}, {}));
    glyphs.MergeFrom(&otherGlyphs);
    EXPECT_EQ(0u, glyphs.Find(5)->GetSecondLength());
    ASSERT_NE(nullptr, glyphs.Find(700));
    EXPECT_EQ(nullptr, otherGlyphs.Find(700));
    EXPECT_NE(nullptr, otherGlyphs.Find(5));
}

TEST(FontCaches, FilledCachesComeBackEqualFromEveryMediumWithTheSizeTheyPredict)
{
    GTTTableCache tables;
    tables.Store(0, Owned({1, 2, 3}));
    tables.Store(5, Owned({}));
    GGlyphCache glyphs;
    glyphs.Store(0, Node({1, 2}, {3}));
    glyphs.Store(0xFFFF, Node({}, {4, 4}));
    const GObjectBase* samples[] = {&tables, &glyphs, glyphs.Find(0)};
    for (const GObjectBase* sample : samples) {
        EXPECT_TRUE(StoreSizeMatches(*sample));
        for (Medium medium : kAllMedia) {
            std::unique_ptr<GObjectBase> back = GraphRoundTrip(medium, sample);
            ASSERT_NE(nullptr, back) << medium;
            EXPECT_TRUE(back->IsEqual(sample)) << medium << " " << sample->ClassId();
        }
    }
}

TEST(GlyphCache, APageWithoutFilledSlotsReadsBackWithoutThePage)
{
    GGlyphCache emptied, taker;
    emptied.Store(0x310, Node({2}, {}));
    taker.MergeFrom(&emptied);
    const std::vector<uint8_t> bytes = GutsBytes(emptied);
    EXPECT_EQ(GutsBytes(GGlyphCache()).size() + 4 * 256, bytes.size());
    GGlyphCache back;
    RestoreGutsFrom(back, bytes);
    EXPECT_EQ(GutsBytes(GGlyphCache()).size(), GutsBytes(back).size());
}

// A stored table form may hold fewer entries than the cache: the others read as absent,
// and the cache writes all of its entries again.
TEST(TableCache, AFormWithFewerEntriesReadsTheRestAsAbsentAndWritesThemAll)
{
    GTTTableCache tables;
    tables.Store(4, Owned({7}));
    RestoreGutsFrom(tables, StoredBytes().Root(0, 0).U32(1).U8(1).U32(1).U32(1).U32(2).U8(5).U8(6).Get());
    EXPECT_TRUE(tables.IsPresent(0));
    EXPECT_EQ((std::vector<uint8_t>{5, 6}), Bytes(tables.Get(0)));
    EXPECT_FALSE(tables.IsPresent(4));
    EXPECT_EQ(GutsBytes(GTTTableCache()).size() + 6, GutsBytes(tables).size());
}

// Damaged stored forms: the cache keeps what it held and the medium reports the failure.
// Complete forms at the counts' bounds read; one entry, page or slot more is refused.
TEST(FontCaches, OversizedCountsAndLengthsFailTheRestoreAndKeepTheCache)
{
    const auto root = StoredBytes().Root(0, 0);
    // Complete forms of absent entries, pages, or slots of one present page.
    auto entries = [&](uint8_t n) {
        StoredBytes b = StoredBytes(root).U32(1).U8(n).U32(0);
        for (uint32_t i = 0; i < n; ++i)
            b.U32(0);
        return b.Get();
    };
    auto pages = [&](uint16_t n) {
        StoredBytes b = StoredBytes(root).U32(1).U16(n).U16(256).U32(0);
        for (uint32_t i = 0; i < n; ++i)
            b.U32(0);
        return b.Get();
    };
    auto slots = [&](uint16_t n) {
        StoredBytes b = StoredBytes(root).U32(1).U16(1).U16(n).U32(0).U32(1);
        for (uint32_t i = 0; i < n; ++i)
            b.U32(0);
        return b.Get();
    };
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool glyph;
        bool refused = true;
    } cases[] = {
        {"26 absent table entries", entries(26), false, false},
        {"27 absent table entries", entries(27), false},
        {"256 absent pages", pages(256), true, false},
        {"257 absent pages", pages(257), true},
        {"256 absent slots", slots(256), true, false},
        {"257 absent slots", slots(257), true},
        {"27 table entries", StoredBytes(root).U32(1).U8(27).U32(0).Get(), false},
        {"huge table length", StoredBytes(root).U32(1).U8(1).U32(0).U32(1).U32(0xFFFFFFF0).Get(), false},
        {"255 pages is fine but the slots run out", StoredBytes(root).U32(1).U16(255).U16(256).U32(0).U32(1).Get(), true},
        {"257 pages", StoredBytes(root).U32(1).U16(257).U16(256).U32(0).Get(), true},
        {"257 slots", StoredBytes(root).U32(1).U16(1).U16(257).U32(0).Get(), true},
        {"a slot that is not a node", StoredBytes(root).U32(1).U16(1).U16(1).U32(0).U32(1).U32(1).U16(0x8888).U16(872).Get(), true},
    };
    for (const Case& c : cases) {
        GTTTableCache tables;
        tables.Store(2, Owned({8}));
        GGlyphCache glyphs;
        glyphs.Store(2, Node({8}, {}));
        GObjectBase& target = c.glyph ? static_cast<GObjectBase&>(glyphs) : tables;
        const std::vector<uint8_t> before = GutsBytes(target);
        TestErrorCapture capture;
        const FileEnd end = RestoreGutsAndMeasure(target, c.bytes);
        if (!c.refused) {
            // Read whole: the held entry gives way to the stored form's absent ones.
            EXPECT_FALSE(end.eof) << c.what;
            EXPECT_EQ(0, end.left) << c.what;
            EXPECT_NE(before, GutsBytes(target)) << c.what;
            EXPECT_TRUE(capture.Messages().empty()) << c.what;
            continue;
        }
        EXPECT_TRUE(end.eof) << c.what;
        EXPECT_EQ(before, GutsBytes(target)) << c.what;
    }
    GGlyphCacheNode node;
    RestoreGutsFrom(node, StoredBytes(root).U32(1).U32(0x7FFFFFFF).Get());
    EXPECT_EQ(0u, node.GetFirstLength());
}
