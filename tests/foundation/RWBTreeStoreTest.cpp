#include "DataStreamKinds.h"
#include "StoreSizeChecks.h"
#include "StoredBytes.h"
#include "TestGraphs.h"
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
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

const RWClassRegistration<TestKey> g_testKeyRegistration("TestKey");

// Owns what a restore gave back, each reachable object once.
struct Restored {
    explicit Restored(RWCollectable* obj = nullptr) : obj(obj) {}
    ~Restored() { DeleteGraph(obj); }
    RWCollectable* obj;
};

// A TestKey in stored form.
StoredBytes Key(uint32_t value) { return StoredBytes().Object(TestKey::kClassId).U32(value); }

// A restored graph as text: a TestKey by value, a dictionary as {key:value,...}, an
// association as (key=value), any other collection as [...]; an object met before is
// starred. Each association's hash and self-comparison must end.
std::string Describe(const RWCollectable* obj, std::set<const RWCollectable*>& seen)
{
    if (!obj)
        return "nil";
    const bool again = !seen.insert(obj).second;
    if (obj->ClassId() == TestKey::kClassId)
        return (again ? "*" : "") + std::to_string(KeyOf(obj));
    if (again)
        return "*";
    const bool dictionary = dynamic_cast<const RWBTreeDictionary*>(obj) != nullptr;
    struct Walk {
        std::set<const RWCollectable*>* seen;
        bool dictionary;
        std::vector<std::string> parts;
    } walk{&seen, dictionary, {}};
    if (const RWCollectableAssociation* a = RWAsAssociation(obj)) {
        a->Hash();
        a->CompareTo(a);
        const std::string key = Describe(a->Key(), seen);
        return "(" + key + "=" + Describe(a->Value(), seen) + ")";
    }
    static_cast<const RWCollection*>(obj)->Apply(
        [](RWCollectable* m, void* arg) {
            Walk* w = static_cast<Walk*>(arg);
            const RWCollectableAssociation* pair = RWAsAssociation(m);
            if (w->dictionary && pair && !w->seen->count(m)) {
                w->seen->insert(m);
                const std::string key = Describe(pair->Key(), *w->seen);
                w->parts.push_back(key + ":" + Describe(pair->Value(), *w->seen));
            } else {
                w->parts.push_back(Describe(m, *w->seen));
            }
        },
        &walk);
    std::string text;
    for (const std::string& part : walk.parts)
        text += (text.empty() ? "" : ",") + part;
    return dictionary ? "{" + text + "}" : "[" + text + "]";
}

std::string Describe(const RWCollectable* obj)
{
    std::set<const RWCollectable*> seen;
    return Describe(obj, seen);
}

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

const RWClassID kTree = 0x8003, kDictionary = 0x8004, kPair = 0x8008, kIDPair = 0x805F, kList = 0x8033,
                kSet = 0x802B, kIdentitySet = 0x8025;
const char kBadReference[] = "[REF] Bad persistence reference";
const char kNotAPair[] = "[ID] Unexpected class ID 4661; should be 32776";

} // namespace

TEST(RWBTreeStore, TreeBytesAreTheCountThenEachMemberInOrder)
{
    TestKey a(1), b(2);
    RWBTree tree;
    tree.Insert(&b);
    tree.Insert(&a);
    const std::vector<uint8_t> expected = StoredBytes().LeadIn().Object(kTree).U32(2).Raw(Key(1)).Raw(Key(2));
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
    ExpectRoundTrips(tree, [](const RWBTree& t) { return Keys(t); });
}

TEST(RWBTreeStore, AssociationBytesAreTheKeyThenTheValueAndASharedOneIsWrittenOnce)
{
    TestKey k(5);
    RWCollectableAssociation a(&k, nullptr);
    const std::vector<uint8_t> expected = StoredBytes().LeadIn().Object(kPair).Raw(Key(5)).Nil();
    EXPECT_EQ(expected, SavedBytes(&a));
    EXPECT_EQ(expected.size(), a.RecursiveStoreSize());

    RWCollectableIDAssociation same(&k, &k);
    const std::vector<uint8_t> shared = StoredBytes().LeadIn().Object(kIDPair).Raw(Key(5)).Ref(2);
    EXPECT_EQ(shared, SavedBytes(&same));
    EXPECT_EQ(shared.size(), same.RecursiveStoreSize());
    Restored back(RestoredFromBytes(shared));
    ASSERT_NE(nullptr, back.obj);
    EXPECT_EQ(RWClassID(kIDPair), back.obj->ClassId());
    EXPECT_EQ("(5=*5)", Describe(back.obj));
}

TEST(RWBTreeStore, AssociationRestoreSetsBothFieldsFirst)
{
    TestKey stale(1);
    RWCollectableAssociation target(&stale, &stale);
    BytesFile file(StoredBytes().LeadIn().Object(kPair).Nil().Nil());
    ASSERT_TRUE(file.Ready());
    EXPECT_EQ(&target, RWCollectable::RecursiveRestoreFrom(file.File(), &target));
    EXPECT_EQ(nullptr, target.Key());
    EXPECT_EQ(nullptr, target.Value());
}

TEST(RWBTreeStore, DictionaryRoundTripsOnEveryMediumWithSharedObjectsShared)
{
    FilledDictionary filled(300);
    ExpectRoundTrips(filled.dictionary, [](const RWBTreeDictionary& x) { return PairsOf(x); });

    TestKey k1(1), k2(2), shared(50);
    RWBTreeDictionary d;
    d.InsertKeyAndValue(&k1, &shared);
    d.InsertKeyAndValue(&k2, &shared);
    d.InsertKeyAndValue(&shared, &shared);
    EXPECT_TRUE(StoreSizeMatches(d));
    Restored back(RestoredFromBytes(SavedBytes(&d)));
    EXPECT_EQ("{1:50,2:*50,*50:*50}", Describe(back.obj));
}

// Crafted stored trees, dictionaries and associations: what a restore makes of them,
// the errors it reports, and how many keys it leaves alive (a refused or dropped key is
// deleted when its own read made it, and never twice).
struct CraftedRestore {
    const char* what;
    StoredBytes bytes;
    const char* result;
    std::vector<std::string> errors;
    int keysAlive;
};

TEST(RWBTreeStore, CraftedRestoresKeepWhatIsSoundAndDeleteWhatTheyRefuse)
{
    const CraftedRestore cases[] = {
        {"dictionary member that is no pair",
         StoredBytes().LeadIn().Object(kDictionary).U32(2).Object(kPair).Raw(Key(1)).Nil().Raw(Key(2)), "{1:nil}",
         {kNotAPair}, 1},
        {"pairs without a key or with a present key",
         StoredBytes().LeadIn().Object(kDictionary).U32(3).Object(kPair).Raw(Key(1)).Nil().Object(kPair).Nil().Nil()
             .Object(kPair).Ref(3).Raw(Key(9)),
         "{1:nil}", {}, 1},
        {"tree: a key, a reference to it, an equal new key",
         StoredBytes().LeadIn().Object(kTree).U32(3).Raw(Key(4)).Ref(2).Raw(Key(4)), "[4]", {}, 1},
        {"set: a key, a reference to it, an equal new key",
         StoredBytes().LeadIn().Object(kSet).U32(3).Raw(Key(4)).Ref(2).Raw(Key(4)), "[4]", {}, 1},
        {"identity set: a key, a reference to it, an equal new key",
         StoredBytes().LeadIn().Object(kIdentitySet).U32(3).Raw(Key(4)).Ref(2).Raw(Key(4)), "[4,4]", {}, 2},
        // Numbers: 1 the list, 2 the dictionary, 3 the pair.
        {"a reference to a dropped pair",
         StoredBytes().LeadIn().Object(kList).U32(2).Object(kDictionary).U32(1).Object(kPair).Nil().Nil().Ref(3),
         "[{}]", {kBadReference}, 0},
        {"a pair named by a second dictionary is copied",
         StoredBytes().LeadIn().Object(kList).U32(2).Object(kDictionary).U32(1).Object(kPair).Raw(Key(7)).Nil()
             .Object(kDictionary).U32(1).Ref(3),
         "[{7:nil},{*7:nil}]", {}, 1},
        {"a pair that is its own key",
         StoredBytes().LeadIn().Object(kPair).Ref(1).Nil(), "(nil=nil)", {kBadReference}, 0},
        {"two pairs keyed by each other",
         StoredBytes().LeadIn().Object(kPair).Object(kPair).Ref(1).Nil().Nil(), "((nil=nil)=nil)", {kBadReference},
         0},
    };
    for (const CraftedRestore& c : cases) {
        const int before = TestKey::alive;
        {
            TestErrorCapture capture;
            Restored back(RestoredFromBytes(c.bytes));
            EXPECT_EQ(c.result, Describe(back.obj)) << c.what;
            EXPECT_EQ(c.errors, capture.Messages()) << c.what;
            EXPECT_EQ(before + c.keysAlive, TestKey::alive) << c.what;
            if (const RWBTree* tree = dynamic_cast<const RWBTree*>(back.obj)) {
                EXPECT_TRUE(tree->IsConsistent()) << c.what;
            }
        }
        EXPECT_EQ(before, TestKey::alive) << c.what;
    }
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
        EXPECT_EQ(kNotAPair, capture.Last()) << kind;
        EXPECT_EQ(before, TestKey::alive) << kind;
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
