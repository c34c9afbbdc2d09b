#include "TestKey.h"

#include "foundation/RWBTreeDictionary.h"
#include "foundation/RWBTreeIterator.h"
#include "foundation/RWCollectableIDAssociation.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace {

// A dictionary of keys 0 .. n-1 with values 100 + key, all owned by the fixture.
class DictionaryOfTen : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 10; ++i) {
            keys.emplace_back(new TestKey(i));
            values.emplace_back(new TestKey(100 + i));
            ASSERT_EQ(keys[i].get(), dictionary.InsertKeyAndValue(keys[i].get(), values[i].get()));
        }
    }

    std::vector<std::unique_ptr<TestKey>> keys, values;
    RWBTreeDictionary dictionary;
};

int KeyIsEven(const RWCollectable* k, const void*) { return KeyOf(k) % 2 == 0; }
int ValueAbove(const RWCollectable*, const RWCollectable* v, const void* limit)
{
    return KeyOf(v) > *static_cast<const int*>(limit);
}

} // namespace

TEST_F(DictionaryOfTen, FindAnswersTheStoredKeyAndItsValueAndAPresentKeyKeepsItsValue)
{
    TestKey probe(4), missing(42), replacement(555), twin(3);
    EXPECT_EQ(nullptr, dictionary.InsertKeyAndValue(&twin, &replacement));
    EXPECT_EQ(values[3].get(), dictionary.FindValue(&twin));
    EXPECT_EQ(keys[3].get(), dictionary.Find(&twin));
    EXPECT_EQ(keys[4].get(), dictionary.Find(&probe));
    EXPECT_EQ(values[4].get(), dictionary.FindValue(&probe));
    RWCollectable* value = nullptr;
    EXPECT_EQ(keys[4].get(), dictionary.FindKeyAndValue(&probe, value));
    EXPECT_EQ(values[4].get(), value);
    value = values[0].get();
    EXPECT_EQ(nullptr, dictionary.FindKeyAndValue(&missing, value));
    EXPECT_EQ(nullptr, value);

    // FindValue with a new value replaces it, for a present key only.
    EXPECT_EQ(values[4].get(), dictionary.FindValue(&probe, &replacement));
    EXPECT_EQ(&replacement, dictionary.FindValue(&probe));
    EXPECT_EQ(nullptr, dictionary.FindValue(&missing, &replacement));
    EXPECT_EQ(10u, dictionary.Entries());
    EXPECT_TRUE(dictionary.IsConsistent());
}

TEST_F(DictionaryOfTen, RemoveHandsBackTheStoredKeyAndClearLeavesEverythingAlive)
{
    TestKey probe(5), other(6), missing(50);
    EXPECT_EQ(keys[5].get(), dictionary.Remove(&probe));
    EXPECT_EQ(nullptr, dictionary.Find(&probe));
    RWCollectable* value = nullptr;
    EXPECT_EQ(keys[6].get(), dictionary.RemoveKeyAndValue(&other, value));
    EXPECT_EQ(values[6].get(), value);
    value = values[0].get();
    EXPECT_EQ(nullptr, dictionary.RemoveKeyAndValue(&missing, value));
    EXPECT_EQ(nullptr, value);
    EXPECT_EQ(8u, dictionary.Entries());

    dictionary.Clear();
    EXPECT_TRUE(dictionary.IsEmpty());
    EXPECT_EQ(3, KeyOf(keys[3].get()));
    EXPECT_EQ(103, KeyOf(values[3].get()));
}

TEST_F(DictionaryOfTen, SelectionsHoldNewPairsOverTheSameObjects)
{
    std::unique_ptr<RWBTreeDictionary> even(dictionary.SelectByKey(KeyIsEven, nullptr));
    EXPECT_EQ((Pairs{{0, 100}, {2, 102}, {4, 104}, {6, 106}, {8, 108}}), PairsOf(*even));
    EXPECT_EQ(keys[2].get(), even->Find(keys[2].get()));

    const int limit = 106;
    std::unique_ptr<RWBTreeDictionary> high(dictionary.SelectByKeyAndValue(ValueAbove, &limit));
    EXPECT_EQ((Pairs{{7, 107}, {8, 108}, {9, 109}}), PairsOf(*high));

    // The selections own their associations only: clearing them leaves the source whole.
    even->Clear();
    high.reset();
    EXPECT_EQ(10u, dictionary.Entries());
    EXPECT_EQ(values[8].get(), dictionary.FindValue(keys[8].get()));

    std::unique_ptr<RWCollection> all(dictionary.Select([](const RWCollectable*, const void*) { return 1; }, nullptr));
    RWBTreeDictionary added;
    added.AddContentsFrom(dictionary);
    static_cast<RWBTreeDictionary&>(*all).FindValue(keys[1].get(), keys[0].get());
    added.FindValue(keys[2].get(), keys[0].get());
    EXPECT_EQ(values[1].get(), dictionary.FindValue(keys[1].get()));
    EXPECT_EQ(values[2].get(), dictionary.FindValue(keys[2].get()));
}

TEST_F(DictionaryOfTen, CopiesHaveTheirOwnAssociations)
{
    RWBTreeDictionary copy(dictionary);
    EXPECT_EQ(PairsOf(dictionary), PairsOf(copy));
    TestKey replacement(1000);
    copy.FindValue(keys[1].get(), &replacement);
    EXPECT_EQ(values[1].get(), dictionary.FindValue(keys[1].get()));
    EXPECT_TRUE(copy.IsConsistent());

    RWBTreeDictionary assigned;
    TestKey stray(50);
    assigned.InsertKeyAndValue(&stray, nullptr);
    assigned = dictionary;
    EXPECT_EQ(PairsOf(dictionary), PairsOf(assigned));
    assigned = assigned;
    EXPECT_EQ(10u, assigned.Entries());
}

TEST(RWBTreeDictionaryEquality, ComparesKeysAndValues)
{
    TestKey k1(1), k2(2), v1(10), v2(20), k1b(1), k2b(2), v1b(10), v2other(21);
    RWBTreeDictionary a, b;
    a.InsertKeyAndValue(&k1, &v1);
    a.InsertKeyAndValue(&k2, &v2);
    b.InsertKeyAndValue(&k2b, &v2);
    b.InsertKeyAndValue(&k1b, &v1b);
    EXPECT_TRUE(a.IsEqual(&b));
    b.FindValue(&k2, &v2other);
    EXPECT_FALSE(a.IsEqual(&b));
    b.FindValue(&k2, nullptr);
    EXPECT_FALSE(a.IsEqual(&b));
    EXPECT_FALSE(b.IsEqual(&a));
    a.FindValue(&k2, nullptr);
    EXPECT_TRUE(a.IsEqual(&b));
    b.Remove(&k2);
    EXPECT_FALSE(a.IsEqual(&b));

    // A plain tree with the same members is another class.
    RWBTree tree;
    a.Apply([](RWCollectable* m, void* t) { static_cast<RWBTree*>(t)->Insert(m); }, &tree);
    EXPECT_FALSE(a.IsEqual(&tree));
    EXPECT_FALSE(tree.IsEqual(&a));
    tree.Clear();
}

TEST(RWBTreeDictionaryOwnership, RemoveAndDestroyDeletesAnObjectUsedTwiceOnce)
{
    int deletions = 0;
    RWBTreeDictionary d;
    TestKey* both = new TestKey(1, &deletions);
    d.InsertKeyAndValue(both, both);
    d.InsertKeyAndValue(new TestKey(2, &deletions), new TestKey(20, &deletions));
    TestKey probe1(1), probe2(2), missing(3);
    d.RemoveAndDestroy(&probe1);
    EXPECT_EQ(1, deletions);
    d.RemoveAndDestroy(&missing);
    EXPECT_EQ(1, deletions);
    d.RemoveAndDestroy(&probe2);
    EXPECT_EQ(3, deletions);
    EXPECT_TRUE(d.IsEmpty());
}

TEST(RWBTreeDictionaryOwnership, ClearAndDestroyDeletesEveryKeyAndValueOnce)
{
    int deletions = 0;
    RWBTreeDictionary d;
    TestKey* shared = new TestKey(500, &deletions);
    for (int i = 0; i < 200; ++i)
        d.InsertKeyAndValue(new TestKey(i, &deletions), i % 3 == 0 ? nullptr : shared);
    TestKey* self = new TestKey(1000, &deletions);
    d.InsertKeyAndValue(self, self);
    d.ClearAndDestroy();
    EXPECT_EQ(202, deletions);
    EXPECT_TRUE(d.IsEmpty());
    EXPECT_EQ(0u, d.Height());
}

TEST(RWBTreeDictionaryOwnership, AnAssociationUsedAsAValueIsDeletedOnce)
{
    struct Counted : RWCollectableAssociation {
        Counted(int key, RWCollectable* value, int* n) : RWCollectableAssociation(new TestKey(key, n), value), n(n) {}
        ~Counted() override { ++*n; }
        int* n;
    };
    int deletions = 0;
    RWBTreeDictionary d;
    Counted* first = new Counted(1, nullptr, &deletions);
    first->SetValue(first);
    d.Insert(first);
    d.Insert(new Counted(2, first, &deletions));
    const TestKey probe(2);
    d.RemoveAndDestroy(&probe); // the pair and its key; first stays with the dictionary
    EXPECT_EQ(2, deletions);
    d.ClearAndDestroy();
    EXPECT_EQ(4, deletions);
}

TEST(RWBTreeDictionaryOwnership, InsertTakesOnlyAssociationsWithKeys)
{
    TestKey k(1), v(2), bare(3);
    RWBTreeDictionary d;
    EXPECT_EQ(nullptr, d.Insert(&bare));
    EXPECT_EQ(nullptr, d.Insert(nullptr));
    RWCollectableAssociation keyless(nullptr, &v);
    EXPECT_EQ(nullptr, d.Insert(&keyless));
    EXPECT_EQ(nullptr, d.InsertKeyAndValue(nullptr, &v));
    EXPECT_EQ(0u, d.Entries());

    RWCollectableAssociation* a = new RWCollectableAssociation(&k, &v);
    EXPECT_EQ(a, d.Insert(a));
    RWCollectableAssociation twin(&k, &bare);
    EXPECT_EQ(a, d.Insert(&twin));
    EXPECT_EQ(&v, d.FindValue(&k));
    EXPECT_EQ(1u, d.Entries());
}

TEST(RWBTreeDictionaryOwnership, NullKeysFindNothing)
{
    TestKey k(1), v(2);
    RWBTreeDictionary d;
    d.InsertKeyAndValue(&k, &v);
    TestKey::nullArguments = 0;
    RWCollectable* value = &v;
    EXPECT_EQ(nullptr, d.Find(nullptr));
    EXPECT_EQ(nullptr, d.FindValue(nullptr));
    EXPECT_EQ(nullptr, d.FindKeyAndValue(nullptr, value));
    EXPECT_EQ(nullptr, value);
    EXPECT_EQ(nullptr, d.FindValue(nullptr, &k));
    EXPECT_EQ(nullptr, d.Remove(nullptr));
    d.RemoveAndDestroy(nullptr);
    EXPECT_FALSE(d.Contains(nullptr));
    EXPECT_EQ(1u, d.Entries());
    EXPECT_EQ(0, TestKey::nullArguments);
}

TEST(RWBTreeDictionarySoak, RandomPairsMatchStdMap)
{
    const int kRange = 3000;
    std::vector<std::unique_ptr<TestKey>> keys, values;
    for (int i = 0; i < kRange; ++i) {
        keys.emplace_back(new TestKey(i));
        values.emplace_back(new TestKey(-i));
    }
    std::mt19937 random(11);
    std::uniform_int_distribution<int> pick(0, kRange - 1);
    RWBTreeDictionary d;
    std::map<int, int> mirror;
    for (int i = 0; i < 12000; ++i) {
        const int k = pick(random);
        TestKey probe(k);
        switch (random() % 3) {
        case 0: {
            const bool isNew = mirror.emplace(k, -k).second;
            ASSERT_EQ(isNew ? keys[k].get() : nullptr, d.InsertKeyAndValue(keys[k].get(), values[k].get()));
            break;
        }
        case 1:
            ASSERT_EQ(mirror.erase(k) ? keys[k].get() : nullptr, d.Remove(&probe));
            break;
        default:
            ASSERT_EQ(mirror.count(k) ? values[k].get() : nullptr, d.FindValue(&probe));
            break;
        }
        ASSERT_EQ(mirror.size(), d.Entries());
        ASSERT_TRUE(d.IsConsistent());
    }
    EXPECT_EQ(Pairs(mirror.begin(), mirror.end()), PairsOf(d));
}
