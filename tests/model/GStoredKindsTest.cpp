// The persistent base's field kinds on small classes of the tests' own: byte blocks,
// the read through a staged copy checked by Settle, narrowed and bounded numbers,
// optional fields and fixed arrays, field-list equality, and the refusal of a class
// without a public StoredForm. The classes are levels without a registration, so the
// registered-class sweep does not see them.
#include "model/GDisplayString.h"
#include "model/GPersistent.h"
#include "model/GSelectionString.h"

#include "AllocationWatch.h"
#include "StoredForms.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// A level with a class id of its own but no registration.
template <class Self, RWClassID Id>
class TestLevel : public GStoredLevel<Self, GObjectBase, Id> {
public:
    RWClassID ClassId() const override { return Id; }
};

// Two owned blocks read in the default way: each field into a temporary.
class TwoBlocks : public TestLevel<TwoBlocks, 0x7A01> {
public:
    TwoBlocks() { SetSerial(0); }
    TwoBlocks(const TwoBlocks&) = delete;
    ~TwoBlocks() override
    {
        delete[] first;
        delete[] second;
    }
    void Set(uint8_t*& data, uint32_t& length, const std::vector<uint8_t>& bytes)
    {
        delete[] data;
        data = bytes.empty() ? nullptr : new uint8_t[bytes.size()];
        if (data)
            std::memcpy(data, bytes.data(), bytes.size());
        length = uint32_t(bytes.size());
    }
    std::vector<uint8_t> Bytes(const uint8_t* data, uint32_t length) const
    {
        return data ? std::vector<uint8_t>(data, data + length) : std::vector<uint8_t>();
    }
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    auto StoredForm() { return GFields(tag, GBlock(first, firstLength), GBlock(second, secondLength)); }

    uint32_t tag = 0;
    uint8_t* first = nullptr;
    uint32_t firstLength = 0;
    uint8_t* second = nullptr;
    uint32_t secondLength = 0;
};

// A tile read through a staged copy: sizes narrowed to bytes, the cells counted by the
// sizes, a cursor that a read puts back, a cache left out of comparisons, and a rule
// Settle holds (no cell above the limit).
class Tile : public TestLevel<Tile, 0x7A02> {
public:
    Tile() { SetSerial(0); }
    static int& Made()
    {
        static int made = 0;
        return made;
    }
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    auto StoredForm()
    {
        return GVersion<3>(GFields(GNarrowed<uint16_t>(width), GNarrowed<uint16_t>(height), limit,
                                   GBytes(cells, [this] { return uint32_t(width) * height; }),
                                   GUncompared(cache), GRecomputed(sum), GReset(cursor)));
    }
    bool Settle()
    {
        sum = 0;
        for (uint8_t cell : cells) {
            if (cell > limit)
                return false;
            sum += cell;
        }
        return true;
    }

    uint8_t width = 0;
    uint8_t height = 0;
    uint8_t limit = 255;
    std::vector<uint8_t> cells;
    uint32_t cache = 0;
    uint32_t sum = 0;
    int cursor = -1;
};

// A fixed table of optional blocks, fewer of them allowed in a stored form.
class Table : public TestLevel<Table, 0x7A03> {
public:
    static constexpr uint8_t kEntries = 3;
    struct Entry {
        int32_t present = 0;
        uint32_t length = 0;
        uint8_t* data = nullptr;
    };
    Table() { SetSerial(0); }
    Table(const Table&) = delete;
    ~Table() override
    {
        for (Entry& entry : entries)
            delete[] entry.data;
    }
    void Put(uint32_t i, const std::vector<uint8_t>& bytes)
    {
        entries[i].present = 1;
        entries[i].length = uint32_t(bytes.size());
        entries[i].data = bytes.empty() ? nullptr : new uint8_t[bytes.size()];
        if (!bytes.empty())
            std::memcpy(entries[i].data, bytes.data(), bytes.size());
    }
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    auto StoredForm()
    {
        return GFields(GAtMost(count, kEntries), GEach(entries, count, [](Entry& entry) {
                           return GFields(GPresence(entry.present, GBlock(entry.data, entry.length)));
                       }));
    }
    bool Settle()
    {
        count = kEntries;
        return true;
    }

    uint8_t count = kEntries;
    Entry entries[kEntries];
};

// A version 2 form whose version 1 lacks the last field; version 0 is not one.
class Versioned : public TestLevel<Versioned, 0x7A04> {
public:
    Versioned() { SetSerial(0); }
    auto StoredForm() { return GVersioned<2, 1, 1>(GFields(a, b)); }
    uint32_t a = 0;
    uint32_t b = 0;
};

// A list of pairs, read through a staged copy.
class Pairs : public TestLevel<Pairs, 0x7A07> {
public:
    struct Pair {
        int16_t a = 0;
        uint32_t b = 0;
    };
    Pairs() { SetSerial(0); }
    bool IsSame(const GObjectBase* other) const override { return SameStored(other); }
    auto StoredForm() { return GFields(GList(pairs, [](Pair& p) { return GFields(p.a, p.b); })); }
    bool Settle() { return true; }
    std::vector<Pair> pairs;
};

// An owned object of a kind, read in the default way; Holder is a plain pointer to any
// model object or a unique_ptr to a display string.
template <class Holder, RWClassID Id>
class Owner : public TestLevel<Owner<Holder, Id>, Id> {
public:
    Owner() { this->SetSerial(0); }
    Owner(const Owner&) = delete;
    ~Owner() override { Release(held); }
    auto StoredForm() { return GFields(tag, GOwned(held)); }
    static void Release(GObjectBase* object) { delete object; }
    template <class T>
    static void Release(std::unique_ptr<T>&)
    {
    }
    uint32_t tag = 0;
    Holder held{};
};
using AnyOwner = Owner<GObjectBase*, 0x7A08>;
using DisplayOwner = Owner<std::unique_ptr<GDisplayString>, 0x7A09>;

class PrivateForm : public TestLevel<PrivateForm, 0x7A05> {
private:
    auto StoredForm() { return GFields(value); }
    uint32_t value = 0;
};

class InheritedForm : public GStoredLevel<InheritedForm, TwoBlocks, 0> {
};

class PrivateSettle : public TestLevel<PrivateSettle, 0x7A06> {
public:
    auto StoredForm() { return GFields(value); }
    uint32_t value = 0;

private:
    bool Settle() { return true; }
};

static_assert(GDeclaresForm<TwoBlocks, GObjectBase>::value, "a public form is found");
static_assert(!GDeclaresForm<PrivateForm, GObjectBase>::value, "a private form is not: the level refuses to compile");
static_assert(!GDeclaresForm<InheritedForm, TwoBlocks>::value, "an inherited form is not this level's");
static_assert(GDeclaresSettle<Tile, GObjectBase>::value, "a public Settle reads through a staged copy");
static_assert(!GDeclaresSettle<PrivateSettle, GObjectBase>::value, "a private Settle is not found");
static_assert(!GDeclaresSettle<TwoBlocks, GObjectBase>::value, "no Settle: the default read");

// The root part of every test object: version 1, id 0, serial 0.
StoredBytes Root() { return StoredBytes().Root(0, 0); }

std::vector<uint8_t> TileBytes(uint16_t width, uint16_t height, uint8_t limit, const std::vector<uint8_t>& cells,
                               uint32_t cache, uint32_t sum)
{
    return Root().U32(3).U16(width).U16(height).U8(limit).Raw(cells).U32(cache).U32(sum).Get();
}

} // namespace

TEST(StoredBlock, StoresItsLengthThenItsBytes)
{
    TwoBlocks blocks;
    blocks.tag = 7;
    blocks.Set(blocks.first, blocks.firstLength, {0xAA, 0xBB});
    const std::vector<uint8_t> expected = Root().U32(1).U32(7).U32(2).U8(0xAA).U8(0xBB).U32(0);
    EXPECT_EQ(expected, GutsBytes(blocks));
    EXPECT_EQ(expected.size(), blocks.BinaryStoreSize());
}

TEST(StoredBlock, RoundTripsOnEveryMedium)
{
    TwoBlocks source;
    source.Set(source.first, source.firstLength, {1, 2, 3});
    source.Set(source.second, source.secondLength, {4});
    {
        TwoBlocks back;
        RestoreGutsFrom(back, GutsBytes(source));
        EXPECT_TRUE(back.IsSame(&source));
        EXPECT_EQ((std::vector<uint8_t>{4}), back.Bytes(back.second, back.secondLength));
    }
    for (StreamKind kind : kAllStreamKinds) {
        TwoBlocks back;
        EXPECT_TRUE(StreamGutsInto(kind, source, back)) << kind;
        EXPECT_TRUE(back.IsSame(&source)) << kind;
    }
}

TEST(StoredBlock, LengthPastTheDataAllocatesNothingAndKeepsTheObject)
{
    TwoBlocks blocks;
    blocks.tag = 5;
    blocks.Set(blocks.first, blocks.firstLength, {9});
    // The first block claims 100 MB; a few bytes follow.
    const std::vector<uint8_t> bytes = Root().U32(1).U32(6).U32(100000000).U8(1).U8(2);
    AllocationWatch::ResetLargest();
    RestoreGutsFrom(blocks, bytes);
    EXPECT_LT(AllocationWatch::Largest(), 1000u);
    EXPECT_EQ(5u, blocks.tag);
    EXPECT_EQ((std::vector<uint8_t>{9}), blocks.Bytes(blocks.first, blocks.firstLength));
}

TEST(StoredBlock, LengthThatExactlyFitsIsRead)
{
    // The largest good length is the bytes left; one more fails.
    const std::vector<uint8_t> good = Root().U32(1).U32(0).U32(0).U32(3).U8(1).U8(2).U8(3);
    TwoBlocks read;
    RestoreGutsFrom(read, good);
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3}), read.Bytes(read.second, read.secondLength));

    const std::vector<uint8_t> over = Root().U32(1).U32(0).U32(0).U32(4).U8(1).U8(2).U8(3);
    TwoBlocks kept;
    kept.Set(kept.second, kept.secondLength, {8});
    RestoreGutsFrom(kept, over);
    EXPECT_EQ((std::vector<uint8_t>{8}), kept.Bytes(kept.second, kept.secondLength));
}

TEST(StoredBlock, TruncatedSecondBlockFreesTheFirstAndKeepsTheObject)
{
    TwoBlocks source;
    source.Set(source.first, source.firstLength, {1, 2, 3, 4});
    source.Set(source.second, source.secondLength, {5, 6, 7, 8});
    const std::vector<uint8_t> bytes = GutsBytes(source);
    const long live = AllocationWatch::Live();
    for (size_t n = 0; n < bytes.size(); ++n) {
        TwoBlocks kept;
        kept.tag = 1;
        RestoreGutsFrom(kept, Prefix(bytes, n));
        EXPECT_EQ(1u, kept.tag) << n;
        EXPECT_EQ(nullptr, kept.first) << n;
    }
    EXPECT_EQ(live, AllocationWatch::Live());
}

TEST(StagedRead, CountFromAnEarlierFieldAndSettleWorkedOut)
{
    Tile tile;
    RestoreGutsFrom(tile, TileBytes(2, 2, 9, {1, 2, 3, 4}, 77, 0xDEAD));
    EXPECT_EQ(2, tile.width);
    EXPECT_EQ((std::vector<uint8_t>{1, 2, 3, 4}), tile.cells);
    EXPECT_EQ(77u, tile.cache);
    // The stored sum is not trusted: Settle worked it out.
    EXPECT_EQ(10u, tile.sum);
}

TEST(StagedRead, SettleRefusingKeepsEveryField)
{
    Tile tile;
    tile.width = 1;
    tile.height = 1;
    tile.cells = {5};
    tile.cursor = 3;
    // A cell above the stored limit.
    RestoreGutsFrom(tile, TileBytes(2, 1, 9, {1, 10}, 0, 0));
    EXPECT_EQ(1, tile.width);
    EXPECT_EQ((std::vector<uint8_t>{5}), tile.cells);
    EXPECT_EQ(3, tile.cursor);
}

TEST(StagedRead, ReadPutsResetStateBack)
{
    Tile tile;
    tile.cursor = 3;
    RestoreGutsFrom(tile, TileBytes(1, 1, 9, {1}, 0, 0));
    EXPECT_EQ(-1, tile.cursor);
}

TEST(StagedRead, OtherVersionsReadNothing)
{
    for (uint32_t version : {0u, 1u, 2u, 4u}) {
        Tile tile;
        tile.width = 4;
        std::vector<uint8_t> bytes = TileBytes(1, 1, 9, {1}, 0, 0);
        bytes[12] = uint8_t(version);
        RestoreGutsFrom(tile, bytes);
        EXPECT_EQ(4, tile.width) << version;
    }
}

TEST(NarrowedField, LargestValueReadsAndOneMoreIsRefused)
{
    std::vector<uint8_t> cells(255, 0);
    Tile tile;
    RestoreGutsFrom(tile, TileBytes(255, 1, 9, cells, 0, 0));
    EXPECT_EQ(255, tile.width);

    Tile kept;
    kept.width = 3;
    const FileEnd end = RestoreGutsAndMeasure(kept, TileBytes(256, 1, 9, std::vector<uint8_t>(256, 0), 0, 0));
    EXPECT_EQ(3, kept.width);
    EXPECT_TRUE(end.eof);
}

TEST(NarrowedField, RoundTripsOnEveryStreamKind)
{
    Tile source;
    source.width = 200;
    source.height = 1;
    source.limit = 200;
    source.cells.assign(200, 7);
    for (StreamKind kind : kAllStreamKinds) {
        Tile back;
        EXPECT_TRUE(StreamGutsInto(kind, source, back)) << kind;
        EXPECT_TRUE(back.IsSame(&source)) << kind;
        EXPECT_EQ(1400u, back.sum) << kind;
    }
}

TEST(FieldEquality, ComparesStoredFieldsButNotCachesOrWorkedOutValues)
{
    Tile a, b;
    a.width = b.width = 1;
    a.height = b.height = 1;
    a.cells = b.cells = {4};
    a.cache = 1, b.cache = 2;
    a.sum = 3, b.sum = 4;
    a.cursor = 0, b.cursor = 1;
    EXPECT_TRUE(a.IsSame(&b));
    b.cells = {5};
    EXPECT_FALSE(a.IsSame(&b));
    b.cells = {4};
    b.limit = 4;
    EXPECT_FALSE(a.IsSame(&b));
}

TEST(FieldEquality, BlocksCompareByBytesAndOtherClassesDiffer)
{
    TwoBlocks a, b;
    a.Set(a.first, a.firstLength, {1, 2});
    b.Set(b.first, b.firstLength, {1, 2});
    EXPECT_TRUE(a.IsSame(&b));
    b.Set(b.first, b.firstLength, {1, 3});
    EXPECT_FALSE(a.IsSame(&b));
    b.Set(b.first, b.firstLength, {1});
    EXPECT_FALSE(a.IsSame(&b));
    Tile tile;
    EXPECT_FALSE(a.IsSame(&tile));
    EXPECT_FALSE(a.IsSame(nullptr));
}

TEST(FixedArray, OptionalEntriesRoundTripAndFewerStoredReadAsAbsent)
{
    Table source;
    source.Put(0, {1, 2});
    source.Put(2, {});
    const std::vector<uint8_t> expected =
        Root().U32(1).U8(3).U32(1).U32(2).U8(1).U8(2).U32(0).U32(1).U32(0);
    EXPECT_EQ(expected, GutsBytes(source));
    EXPECT_EQ(expected.size(), source.BinaryStoreSize());
    Table back;
    RestoreGutsFrom(back, expected);
    EXPECT_TRUE(back.IsSame(&source));

    // One entry stored: the others read as absent, and all three are written again.
    Table one;
    one.Put(1, {9});
    RestoreGutsFrom(one, Root().U32(1).U8(1).U32(1).U32(1).U8(4));
    EXPECT_EQ(1, one.entries[0].present);
    EXPECT_EQ(0, one.entries[1].present);
    EXPECT_EQ(nullptr, one.entries[1].data);
    EXPECT_EQ(3, one.count);
}

TEST(FixedArray, MoreEntriesThanTheArrayHoldsAreRefused)
{
    Table kept;
    kept.Put(0, {7});
    const FileEnd end = RestoreGutsAndMeasure(kept, Root().U32(1).U8(4).U32(0).U32(0).U32(0).U32(0));
    EXPECT_TRUE(end.eof);
    EXPECT_EQ(7, kept.entries[0].data[0]);
}

TEST(FixedArray, PresenceFlagsOtherThanOneReadAsAbsent)
{
    Table table;
    RestoreGutsFrom(table, Root().U32(1).U8(1).U32(5));
    EXPECT_EQ(0, table.entries[0].present);
}

TEST(VersionedForm, OlderVersionReadsItsFieldsAndVersionZeroNothing)
{
    Versioned v1;
    v1.b = 9;
    RestoreGutsFrom(v1, Root().U32(1).U32(4));
    EXPECT_EQ(4u, v1.a);
    EXPECT_EQ(9u, v1.b);

    Versioned v0;
    RestoreGutsFrom(v0, Root().U32(0).U32(4));
    EXPECT_EQ(0u, v0.a);

    Versioned v2;
    RestoreGutsFrom(v2, Root().U32(2).U32(4).U32(5));
    EXPECT_EQ(5u, v2.b);
}

TEST(StoredList, RoundTripsAndCountsPastTheDataAreRefusedBeforeAllocating)
{
    Pairs source;
    source.pairs.push_back({1, 2});
    source.pairs.push_back({-3, 4});
    const std::vector<uint8_t> expected = Root().U32(1).U32(2).U16(1).U32(2).U16(0xFFFD).U32(4);
    EXPECT_EQ(expected, GutsBytes(source));
    EXPECT_EQ(expected.size(), source.BinaryStoreSize());
    Pairs back;
    RestoreGutsFrom(back, expected);
    EXPECT_TRUE(back.IsSame(&source));

    // Each pair takes six bytes: two pairs need twelve, one byte less is refused.
    Pairs kept;
    kept.pairs.push_back({9, 9});
    AllocationWatch::ResetLargest();
    RestoreGutsFrom(kept, Root().U32(1).U32(50000000).U16(1).U32(2));
    EXPECT_LT(AllocationWatch::Largest(), 1000u);
    RestoreGutsFrom(kept, Prefix(expected, expected.size() - 1));
    ASSERT_EQ(1u, kept.pairs.size());
    EXPECT_EQ(9, kept.pairs[0].a);
}

TEST(OwnedField, ReadsAnObjectOfItsKindAndRefusesAnyOther)
{
    AnyOwner source;
    source.tag = 4;
    source.held = new GDisplayString();
    DisplayOwner back;
    RestoreGutsFrom(back, GutsBytes(source));
    EXPECT_EQ(4u, back.tag);
    ASSERT_NE(nullptr, back.held);

    AnyOwner other;
    other.tag = 5;
    other.held = new GSelectionString();
    DisplayOwner kept;
    kept.tag = 1;
    {
        // On a typed stream the refusal fails the stream.
        TestErrorCapture capture;
        EXPECT_FALSE(StreamGutsInto(StreamKind::Binary, other, kept));
    }
    EXPECT_EQ(1u, kept.tag);
    EXPECT_EQ(nullptr, kept.held);
}

TEST(OwnedField, StoredNullReplacesTheObjectHeld)
{
    AnyOwner source;
    DisplayOwner back;
    back.held.reset(new GDisplayString());
    RestoreGutsFrom(back, GutsBytes(source));
    EXPECT_EQ(nullptr, back.held);
}
