#include "TestKey.h"

#include "foundation/RWBTree.h"
#include "foundation/RWCollectableAssociation.h"
#include "foundation/RWCollectableIDAssociation.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// n keys with values key(i), each in an association of class A with a null value.
template <class A>
struct KeyedPairs {
    KeyedPairs(int n, int (*key)(int))
    {
        for (int i = 0; i < n; ++i) {
            keys.emplace_back(new TestKey(key(i)));
            pairs.emplace_back(new A(keys.back().get(), nullptr));
        }
    }
    std::vector<std::unique_ptr<TestKey>> keys;
    std::vector<std::unique_ptr<A>> pairs;
};

} // namespace

TEST(RWCollectableAssociation, HashesOrdersAndComparesAsItsKey)
{
    TestKey k(5), v(50), w(51), lower(4), same(5), higher(6);
    RWCollectableAssociation a(&k, &v);
    EXPECT_EQ(5u, a.Hash());
    EXPECT_GT(a.CompareTo(&lower), 0);
    EXPECT_EQ(0, a.CompareTo(&same));
    EXPECT_LT(a.CompareTo(&higher), 0);
    EXPECT_TRUE(a.IsEqual(&same));
    EXPECT_FALSE(a.IsEqual(&higher));
    RWCollectableAssociation b(&higher, nullptr), c(&same, nullptr);
    EXPECT_LT(a.CompareTo(&b), 0);
    EXPECT_GT(b.CompareTo(&a), 0);
    EXPECT_TRUE(a.IsEqual(&c));

    // A copy shares key and value; SetValue hands back the old value.
    std::unique_ptr<RWCollectable> copy(a.Copy());
    const RWCollectableAssociation* dup = RWAsAssociation(copy.get());
    ASSERT_NE(nullptr, dup);
    EXPECT_EQ(&k, dup->Key());
    EXPECT_EQ(&v, a.SetValue(&w));
    EXPECT_EQ(&v, dup->Value());
}

TEST(RWCollectableAssociation, NullKeyIsFirstAndNeverReachesTheOtherObject)
{
    TestKey k(1);
    RWCollectableAssociation keyless(nullptr, &k), otherKeyless(nullptr, nullptr), keyed(&k, nullptr);
    RWCollectableIDAssociation idKeyless(nullptr, &k), idOtherKeyless(nullptr, nullptr);
    TestKey::nullArguments = 0;
    EXPECT_EQ(0u, keyless.Hash());
    EXPECT_LT(keyless.CompareTo(&k), 0);
    EXPECT_LT(keyless.CompareTo(&keyed), 0);
    EXPECT_GT(keyed.CompareTo(&keyless), 0);
    EXPECT_EQ(0, keyless.CompareTo(&otherKeyless));
    EXPECT_FALSE(keyless.IsEqual(&k));
    EXPECT_FALSE(keyless.IsEqual(&keyed));
    EXPECT_FALSE(keyed.IsEqual(&keyless));
    EXPECT_TRUE(keyless.IsEqual(&otherKeyless));
    EXPECT_GT(keyed.CompareTo(nullptr), 0);

    EXPECT_EQ(0u, idKeyless.Hash());
    EXPECT_LT(idKeyless.CompareTo(&k), 0);
    EXPECT_TRUE(idKeyless.IsEqual(&idOtherKeyless));
    EXPECT_FALSE(idKeyless.IsEqual(&k));
    EXPECT_EQ(0, TestKey::nullArguments);
}

TEST(RWCollectableAssociation, TreeOfAssociationsIsSearchedWithBareKeys)
{
    KeyedPairs<RWCollectableAssociation> made(300, [](int i) { return (i * 37) % 300; });
    RWBTree tree;
    for (auto& p : made.pairs)
        ASSERT_EQ(p.get(), tree.Insert(p.get()));
    RWCollectableAssociation keyless(nullptr, nullptr);
    EXPECT_EQ(&keyless, tree.Insert(&keyless));
    EXPECT_TRUE(tree.IsConsistent());
    TestKey probe(123);
    const RWCollectableAssociation* found = RWAsAssociation(tree.Find(&probe));
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(123, KeyOf(found->Key()));
    RWCollectableAssociation otherKeyless(nullptr, nullptr);
    EXPECT_EQ(&keyless, tree.Find(&otherKeyless));
    tree.Clear();
}

TEST(RWCollectableIDAssociation, HashesAndComparesByTheKeysAddress)
{
    TestKey k(1), v(2), twin(1);
    RWCollectableIDAssociation a(&k, &v);
    const uint32_t address = uint32_t(reinterpret_cast<uintptr_t>(&k));
    EXPECT_EQ(address ^ (address >> 3), a.Hash());
    EXPECT_EQ(0, a.CompareTo(&k));
    EXPECT_TRUE(a.IsEqual(&k));
    EXPECT_FALSE(a.IsEqual(&twin));
    EXPECT_EQ(&k < &twin ? -1 : 1, a.CompareTo(&twin));

    // Two ID associations compare by their keys' addresses, not their own.
    RWCollectableIDAssociation sameKey(&k, nullptr), otherKey(&twin, nullptr);
    EXPECT_TRUE(a.IsEqual(&sameKey));
    EXPECT_EQ(0, a.CompareTo(&sameKey));
    EXPECT_FALSE(a.IsEqual(&otherKey));
    EXPECT_EQ(&k < &twin ? -1 : 1, a.CompareTo(&otherKey));
}

// Identity associations inserted in any order keep one order in a tree, and a key is
// found only as itself, never through an equal twin.
TEST(RWCollectableIDAssociation, KeyIsFoundOnlyAsItself)
{
    KeyedPairs<RWCollectableIDAssociation> made(400, [](int i) { return i; });
    auto& keys = made.keys;
    auto& pairs = made.pairs;
    RWBTree tree;
    for (int i = 0; i < 400; ++i) {
        RWCollectableIDAssociation* p = pairs[(i * 151) % 400].get();
        ASSERT_EQ(p, tree.Insert(p));
    }
    EXPECT_TRUE(tree.IsConsistent());
    EXPECT_EQ(400u, tree.Entries());
    RWCollectableIDAssociation again(keys[7].get(), nullptr);
    EXPECT_EQ(pairs[7].get(), tree.Insert(&again));
    EXPECT_EQ(pairs[7].get(), tree.Find(keys[7].get()));
    TestKey twin(7);
    EXPECT_EQ(nullptr, tree.Find(&twin));
    EXPECT_EQ(pairs[7].get(), tree.Remove(keys[7].get()));
    EXPECT_TRUE(tree.IsConsistent());
}
