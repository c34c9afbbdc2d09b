#include "DataStreamKinds.h"
#include "StoreSizeChecks.h"
#include "TestKey.h"

#include "foundation/RWBTree.h"
#include "foundation/RWBTreeDictionary.h"
#include "foundation/RWBTreeIterator.h"
#include "foundation/RWCollectableAssociation.h"
#include "foundation/RWCollectableIDAssociation.h"
#include "foundation/RWErrorHandler.h"
#include "foundation/RWFactory.h"
#include "foundation/RWSlistCollectables.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

const RWClassRegistration<TestKey> g_testKeyRegistration("TestKey");

// Owns what a restore gave back: a dictionary with its keys and values, a tree with its
// members, or a lone object.
struct Restored {
    explicit Restored(RWCollectable* obj = nullptr) : obj(obj) {}
    ~Restored()
    {
        if (RWCollection* c = dynamic_cast<RWCollection*>(obj))
            c->ClearAndDestroy();
        delete obj;
    }
    RWCollectable* obj;
};

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

const std::vector<uint8_t> kLeadIn = {0x88, 0x88, 0x00, 0x00};
const std::vector<uint8_t> kNil = {0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00};

// A TestKey in stored form.
std::vector<uint8_t> StoredKey(uint8_t value) { return {0x35, 0x12, value, 0x00, 0x00, 0x00}; }
// A back-reference to object number n.
std::vector<uint8_t> BackReference(uint8_t n) { return {0xFF, 0xFF, n, 0x00, 0x00, 0x00}; }

// A dictionary of keys 0 .. n-1 with values 1000 + key, owning them all.
struct FilledDictionary {
    explicit FilledDictionary(int n)
    {
        for (int i = 0; i < n; ++i)
            dictionary.InsertKeyAndValue(new TestKey((i * 7) % n), new TestKey(1000 + (i * 7) % n));
    }
    ~FilledDictionary() { dictionary.ClearAndDestroy(); }
    RWBTreeDictionary dictionary;
};

// Saves c on a binary file and on every kind of typed stream; each copy read back is a
// C with the same contents and a sound tree.
template <class C, class Contents>
void ExpectRoundTrips(const C& c, Contents contents)
{
    EXPECT_TRUE(StoreSizeMatches(c));
    Restored fromFile(RestoredFromBytes(SavedBytes(&c)));
    const C* back = dynamic_cast<const C*>(fromFile.obj);
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(contents(c), contents(*back));
    EXPECT_TRUE(c.IsEqual(back));
    EXPECT_TRUE(back->IsConsistent());

    for (StreamKind kind : kAllStreamKinds) {
        Restored fromStream(StreamRestored(kind, StreamSaved(kind, &c)));
        const C* viaStream = dynamic_cast<const C*>(fromStream.obj);
        ASSERT_NE(nullptr, viaStream) << kind;
        EXPECT_EQ(contents(c), contents(*viaStream)) << kind;
        EXPECT_TRUE(viaStream->IsConsistent()) << kind;
    }
}

} // namespace

TEST(RWBTreeStore, TreeBytesAreTheCountThenEachMemberInOrder)
{
    TestKey a(1), b(2);
    RWBTree tree;
    tree.Insert(&b);
    tree.Insert(&a);
    const std::vector<uint8_t> expected = Concat(
        {kLeadIn, {0x03, 0x80, 0x02, 0x00, 0x00, 0x00}, StoredKey(1), StoredKey(2)});
    EXPECT_EQ(expected, SavedBytes(&tree));
    EXPECT_EQ(expected.size(), tree.RecursiveStoreSize());
    EXPECT_TRUE(StoreSizeMatches(tree));
}

TEST(RWBTreeStore, TreeRoundTripsOnEveryMedium)
{
    std::vector<std::unique_ptr<TestKey>> keys;
    RWBTree tree;
    for (int i = 0; i < 600; ++i) {
        keys.emplace_back(new TestKey((i * 13) % 600));
        tree.Insert(keys.back().get());
    }
    EXPECT_EQ(RWClassID(0x8003), tree.ClassId());
    ExpectRoundTrips(tree, [](const RWBTree& t) { return Keys(t); });
}

TEST(RWBTreeStore, AssociationBytesAreTheKeyThenTheValue)
{
    TestKey k(5);
    RWCollectableAssociation a(&k, nullptr);
    const std::vector<uint8_t> expected = Concat({kLeadIn, {0x08, 0x80}, StoredKey(5), kNil});
    EXPECT_EQ(expected, SavedBytes(&a));
    EXPECT_EQ(expected.size(), a.RecursiveStoreSize());

    // A key that is its own value is written once.
    RWCollectableIDAssociation same(&k, &k);
    const std::vector<uint8_t> shared = Concat({kLeadIn, {0x5F, 0x80}, StoredKey(5), BackReference(2)});
    EXPECT_EQ(shared, SavedBytes(&same));
    EXPECT_EQ(shared.size(), same.RecursiveStoreSize());

    Restored back(RestoredFromBytes(shared));
    const RWCollectableAssociation* restored = RWAsAssociation(back.obj);
    ASSERT_NE(nullptr, restored);
    EXPECT_EQ(RWClassID(0x805F), restored->ClassId());
    EXPECT_EQ(5, KeyOf(restored->Key()));
    EXPECT_EQ(restored->Key(), restored->Value());
    delete restored->Key();
}

TEST(RWBTreeStore, AssociationRestoreSetsBothFieldsFirst)
{
    TestKey stale(1);
    RWCollectableAssociation target(&stale, &stale);
    BytesFile file(Concat({kLeadIn, {0x08, 0x80}, kNil, kNil}));
    ASSERT_TRUE(file.Ready());
    EXPECT_EQ(&target, RWCollectable::RecursiveRestoreFrom(file.File(), &target));
    EXPECT_EQ(nullptr, target.Key());
    EXPECT_EQ(nullptr, target.Value());
}

TEST(RWBTreeStore, DictionaryRoundTripsOnEveryMedium)
{
    FilledDictionary filled(300);
    const RWBTreeDictionary& d = filled.dictionary;
    ExpectRoundTrips(d, [](const RWBTreeDictionary& x) { return PairsOf(x); });
}

TEST(RWBTreeStore, SharedKeysAndValuesComeBackShared)
{
    TestKey k1(1), k2(2), shared(50);
    RWBTreeDictionary d;
    d.InsertKeyAndValue(&k1, &shared);
    d.InsertKeyAndValue(&k2, &shared);
    d.InsertKeyAndValue(&shared, &shared);
    EXPECT_TRUE(StoreSizeMatches(d));

    TestKey probe(50);
    const int before = TestKey::alive;
    {
        Restored back(RestoredFromBytes(SavedBytes(&d)));
        RWBTreeDictionary* restored = dynamic_cast<RWBTreeDictionary*>(back.obj);
        ASSERT_NE(nullptr, restored);
        RWCollectable* value = nullptr;
        RWCollectable* key = restored->FindKeyAndValue(&probe, value);
        ASSERT_NE(nullptr, key);
        EXPECT_EQ(key, value);
        EXPECT_EQ(key, restored->FindValue(&k1));
        EXPECT_EQ(key, restored->FindValue(&k2));
        EXPECT_EQ(before + 3, TestKey::alive);
    }
    // ClearAndDestroy deleted each restored object once.
    EXPECT_EQ(before, TestKey::alive);
}

TEST(RWBTreeStore, DictionaryRestoreRefusesAMemberThatIsNoAssociation)
{
    // A dictionary of two members: a good pair, then a bare key.
    const std::vector<uint8_t> bytes = Concat({kLeadIn, {0x04, 0x80, 0x02, 0x00, 0x00, 0x00, 0x08, 0x80},
                                               StoredKey(1), kNil, StoredKey(2)});
    const int before = TestKey::alive;
    {
        TestErrorCapture capture;
        Restored back(RestoredFromBytes(bytes));
        RWBTreeDictionary* d = dynamic_cast<RWBTreeDictionary*>(back.obj);
        ASSERT_NE(nullptr, d);
        EXPECT_EQ((Pairs{{1, -1}}), PairsOf(*d));
        EXPECT_EQ(1u, capture.Count());
        EXPECT_EQ("[ID] Unexpected class ID 4661; should be 32776", capture.Last());
    }
    // The refused object was deleted, not left behind.
    EXPECT_EQ(before, TestKey::alive);
}

TEST(RWBTreeStore, DictionaryRestoreFromAStreamFailsOnABareMember)
{
    // A tree's stored form read as a dictionary: same framing, members are no pairs.
    for (StreamKind kind : kAllStreamKinds) {
        TestKey bare(3);
        RWBTree tree;
        tree.Insert(&bare);
        std::stringbuf buffer;
        {
            std::unique_ptr<RWDataOutStream> out = MakeOutStream(kind, &buffer);
            tree.SaveGuts(*out);
        }
        std::stringbuf in(buffer.str());
        std::unique_ptr<RWDataInStream> stream = MakeInStream(kind, &in);
        RWBTreeDictionary d;
        const int before = TestKey::alive;
        TestErrorCapture capture;
        d.RestoreGuts(*stream);
        EXPECT_FALSE(stream->Good()) << kind;
        EXPECT_TRUE(d.IsEmpty()) << kind;
        EXPECT_EQ("[ID] Unexpected class ID 4661; should be 32776", capture.Last()) << kind;
        EXPECT_EQ(before, TestKey::alive) << kind;
    }
}

// Two dictionaries in one graph that name the same association: the second gets its
// own copy, so neither deletes what the other owns.
TEST(RWBTreeStore, AnAssociationReadBeforeIsCopiedNotShared)
{
    // Numbers: 1 the list, 2 the first dictionary, 3 the association, 4 its key.
    const std::vector<uint8_t> bytes = Concat({kLeadIn,
                                               {0x33, 0x80, 0x02, 0x00, 0x00, 0x00},
                                               {0x04, 0x80, 0x01, 0x00, 0x00, 0x00, 0x08, 0x80},
                                               StoredKey(7), kNil,
                                               {0x04, 0x80, 0x01, 0x00, 0x00, 0x00},
                                               BackReference(3)});
    TestErrorCapture capture;
    std::unique_ptr<RWCollectable> root(RestoredFromBytes(bytes));
    RWSlistCollectables* list = dynamic_cast<RWSlistCollectables*>(root.get());
    ASSERT_NE(nullptr, list);
    ASSERT_EQ(2u, list->Entries());
    std::unique_ptr<RWBTreeDictionary> first(dynamic_cast<RWBTreeDictionary*>(list->At(0)));
    std::unique_ptr<RWBTreeDictionary> second(dynamic_cast<RWBTreeDictionary*>(list->At(1)));
    list->Clear();
    ASSERT_TRUE(first && second);
    RWBTreeIterator a(*first), b(*second);
    RWCollectable* pairA = a.Next();
    RWCollectable* pairB = b.Next();
    ASSERT_TRUE(pairA && pairB);
    EXPECT_NE(pairA, pairB);
    EXPECT_EQ(RWAsAssociation(pairA)->Key(), RWAsAssociation(pairB)->Key());
    EXPECT_EQ(7, KeyOf(first->Find(RWAsAssociation(pairA)->Key())));
    EXPECT_TRUE(capture.Empty());
    delete RWAsAssociation(pairA)->Key();
}

TEST(RWBTreeStore, PairsWithoutKeyOrWithAPresentKeyAreDropped)
{
    // Three pairs: key 1, no key, key 1 again with a value; the last two are dropped.
    const std::vector<uint8_t> bytes = Concat({kLeadIn, {0x04, 0x80, 0x03, 0x00, 0x00, 0x00},
                                               {0x08, 0x80}, StoredKey(1), kNil,
                                               {0x08, 0x80}, kNil, kNil,
                                               {0x08, 0x80}, BackReference(3), StoredKey(9)});
    TestErrorCapture capture;
    Restored back(RestoredFromBytes(bytes));
    RWBTreeDictionary* d = dynamic_cast<RWBTreeDictionary*>(back.obj);
    ASSERT_NE(nullptr, d);
    EXPECT_EQ((Pairs{{1, -1}}), PairsOf(*d));
    EXPECT_TRUE(capture.Empty());
}

TEST(RWBTreeStore, ARefusedMemberIsDeletedOnlyWhenItsReadMadeIt)
{
    // Key 4, a back-reference to it, a new key 4: each deleted once, the last if refused.
    for (uint8_t id : {0x03, 0x2B, 0x25}) { // tree, set, identity set
        const int alive = TestKey::alive;
        Restored(RestoredFromBytes(
            Concat({kLeadIn, {id, 0x80, 3, 0, 0, 0}, StoredKey(4), BackReference(2), StoredKey(4)})));
        EXPECT_EQ(alive, TestKey::alive) << int(id);
    }
}

TEST(RWBTreeStore, ADroppedPairNamesNothingAfterwards)
{
    // A list of a dictionary whose one pair has no key, then a back-reference to that
    // pair: the pair was deleted, so the reference names nothing.
    // Numbers: 1 the list, 2 the dictionary, 3 the pair.
    const std::vector<uint8_t> bytes = Concat({kLeadIn,
                                               {0x33, 0x80, 0x02, 0x00, 0x00, 0x00},
                                               {0x04, 0x80, 0x01, 0x00, 0x00, 0x00, 0x08, 0x80},
                                               kNil, kNil, BackReference(3)});
    TestErrorCapture capture;
    std::unique_ptr<RWCollectable> root(RestoredFromBytes(bytes));
    RWSlistCollectables* list = dynamic_cast<RWSlistCollectables*>(root.get());
    ASSERT_NE(nullptr, list);
    ASSERT_EQ(1u, list->Entries());
    std::unique_ptr<RWCollectable> d(list->At(0));
    list->Clear();
    EXPECT_TRUE(static_cast<RWBTreeDictionary*>(d.get())->IsEmpty());
    EXPECT_EQ("[REF] Bad persistence reference", capture.Last());
}

TEST(RWBTreeStore, AnAssociationIsNeverItsOwnKey)
{
    // Numbers: 1 the association, whose key names itself.
    {
        TestErrorCapture capture;
        Restored back(RestoredFromBytes(Concat({kLeadIn, {0x08, 0x80}, BackReference(1), kNil})));
        RWCollectableAssociation* a = RWAsAssociation(back.obj);
        ASSERT_NE(nullptr, a);
        EXPECT_EQ(nullptr, a->Key());
        EXPECT_EQ("[REF] Bad persistence reference", capture.Last());
        EXPECT_EQ(0u, a->Hash());
        EXPECT_EQ(0, a->CompareTo(a));
    }
    // Two associations keyed by each other: 1 holds 2 as key, 2 names 1.
    {
        TestErrorCapture capture;
        Restored back(RestoredFromBytes(
            Concat({kLeadIn, {0x08, 0x80}, {0x08, 0x80}, BackReference(1), kNil, kNil})));
        RWCollectableAssociation* outer = RWAsAssociation(back.obj);
        ASSERT_NE(nullptr, outer);
        std::unique_ptr<RWCollectableAssociation> inner(RWAsAssociation(outer->Key()));
        ASSERT_NE(nullptr, inner);
        EXPECT_EQ(nullptr, inner->Key());
        EXPECT_EQ(0u, outer->Hash());
        EXPECT_EQ(0, outer->CompareTo(outer));
        EXPECT_EQ(1u, capture.Count());
    }
}

TEST(RWBTreeStore, DamagedDictionaryBytesFailCleanly)
{
    FilledDictionary filled(40);
    const std::vector<uint8_t> bytes = SavedBytes(&filled.dictionary);
    for (size_t n = 0; n < bytes.size(); ++n) {
        TestErrorCapture capture;
        Restored back(RestoredFromBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n)));
        if (RWBTreeDictionary* d = dynamic_cast<RWBTreeDictionary*>(back.obj)) {
            ASSERT_TRUE(d->IsConsistent()) << n;
            ASSERT_LE(d->Entries(), 40u) << n;
        }
    }

    for (StreamKind kind : kAllStreamKinds) {
        const std::string whole = StreamSaved(kind, &filled.dictionary);
        for (size_t n = 0; n < whole.size(); ++n) {
            TestErrorCapture capture;
            Restored owned(StreamRestored(kind, whole.substr(0, n)));
            if (RWBTreeDictionary* back = dynamic_cast<RWBTreeDictionary*>(owned.obj)) {
                ASSERT_TRUE(back->IsConsistent()) << kind << " " << n;
            }
        }
    }

    // A count far beyond the data ends with the data.
    std::vector<uint8_t> huge = bytes;
    huge[6] = huge[7] = huge[8] = huge[9] = 0xFF;
    TestErrorCapture capture;
    Restored back(RestoredFromBytes(huge));
    RWBTreeDictionary* d = dynamic_cast<RWBTreeDictionary*>(back.obj);
    ASSERT_NE(nullptr, d);
    EXPECT_EQ(40u, d->Entries());
}
