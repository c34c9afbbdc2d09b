#include "DataStreamKinds.h"
#include "StoreSizeChecks.h"
#include "StoredBytes.h"
#include "TestGraphs.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWCString.h"
#include "foundation/RWErrorHandler.h"
#include "foundation/RWFactory.h"
#include "foundation/RWSet.h"
#include "foundation/RWSlistCollectables.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

const RWClassRegistration<GraphNode> g_graphNodeRegistration("TestGraphNode");
const RWClassRegistration<NamedNode> g_namedNodeRegistration(NamedNode::kName);
const RWClassRegistration<Leaf> g_leafRegistration("TestLeaf");

// Its reader trusts its value as a count of 64 KiB blocks: 0xFFFF runs out of memory.
struct Greedy : Leaf {
    static constexpr RWClassID kClassId = 0x7C0E;
    using Leaf::Leaf;
    RWClassID ClassId() const override { return kClassId; }
    void RestoreGuts(RWBinaryFile& file) override { Leaf::RestoreGuts(file); Take(); }
    void RestoreGuts(RWDataInStream& stream) override { Leaf::RestoreGuts(stream); Take(); }
    void Take() { bytes.reset(new char[size_t(value) << 16]); }
    std::unique_ptr<char[]> bytes;
};
const RWClassRegistration<Greedy> g_greedyRegistration("TestGreedy");

// An outermost save of a list of count members whose first is a NamedNode with value 1
// and two null references: nil 0, list 1, the node 2, its name 3.
StoredBytes NamedListStart(uint32_t count)
{
    return StoredBytes().LeadIn().U16(0x8033).U32(count).U16(0x888F).Text("TestNamedNode").U32(1).Nil().Nil();
}

// A list that owns the graph reachable from it.
struct Graph {
    ~Graph() { DeleteGraph(root); }
    RWCollectable* root = nullptr;
};

std::string BinaryStreamText(std::initializer_list<uint8_t> bytes) { return std::string(bytes.begin(), bytes.end()); }

// Two null references on the binary stream.
std::string Nil2() { return BinaryStreamText({'@', 0, 0, 0, 0, '@', 0, 0, 0, 0}); }

// A graph with everything the stored form has: a shared member, a cycle, a class
// known by name used twice, and nulls.
RWSlistCollectables* RichGraph()
{
    GraphNode* shared = new GraphNode(7);
    NamedNode* first = new NamedNode(1, shared);
    NamedNode* second = new NamedNode(2, first, shared);
    GraphNode* cycle = new GraphNode(3);
    cycle->left = cycle;
    RWSlistCollectables* list = new RWSlistCollectables;
    list->Append(first);
    list->Append(second);
    list->Append(shared);
    list->Append(cycle);
    list->Append(new Leaf(0xBEEF));
    list->Append(list);
    return list;
}

void ExpectRichGraph(const RWCollectable* obj)
{
    const RWSlistCollectables* list = dynamic_cast<const RWSlistCollectables*>(obj);
    ASSERT_NE(nullptr, list);
    ASSERT_EQ(6u, list->Entries());
    const NamedNode* first = dynamic_cast<const NamedNode*>(list->At(0));
    const NamedNode* second = dynamic_cast<const NamedNode*>(list->At(1));
    const GraphNode* shared = dynamic_cast<const GraphNode*>(list->At(2));
    const GraphNode* cycle = dynamic_cast<const GraphNode*>(list->At(3));
    const Leaf* leaf = dynamic_cast<const Leaf*>(list->At(4));
    ASSERT_TRUE(first && second && shared && cycle && leaf);
    EXPECT_EQ(1, first->value);
    EXPECT_EQ(2, second->value);
    EXPECT_EQ(7, shared->value);
    EXPECT_EQ(shared, first->left);
    EXPECT_EQ(nullptr, first->right);
    EXPECT_EQ(first, second->left);
    EXPECT_EQ(shared, second->right);
    EXPECT_EQ(cycle, cycle->left);
    EXPECT_EQ(0xBEEF, leaf->value);
    EXPECT_EQ(list, list->At(5));
}

// Checks that list saves as expected and that its size says so, then reads the bytes
// back into back; the list read, or null.
RWSlistCollectables* SavedAsAndReadBack(const RWSlistCollectables& list, const std::vector<uint8_t>& expected,
                                        Graph& back)
{
    EXPECT_EQ(expected, SavedBytes(&list));
    EXPECT_EQ(expected.size(), list.RecursiveStoreSize());
    back.root = RestoredFromBytes(expected);
    return dynamic_cast<RWSlistCollectables*>(back.root);
}

// Reading bytes of a list raises [REF] once and keeps only the list's first member.
void ExpectOneBadReferenceAndOneMember(const std::vector<uint8_t>& bytes)
{
    TestErrorCapture capture;
    Graph back;
    back.root = RestoredFromBytes(bytes);
    EXPECT_EQ(1u, capture.Count());
    EXPECT_EQ("[REF] Bad persistence reference", capture.Last());
    RWSlistCollectables* list = dynamic_cast<RWSlistCollectables*>(back.root);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(1u, list->Entries());
}

} // namespace

TEST(RWPersistenceBytes, LoneObjectsAreTheirReferenceBehindTheLeadIn)
{
    // Null is the nil object: u32 0x8888, u16 0xFFFF, u32 0.
    const std::vector<uint8_t> nil = {0x88, 0x88, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(nil, SavedBytes(nullptr));
    EXPECT_EQ(10u, RWNilObject.RecursiveStoreSize());
    EXPECT_EQ(nullptr, RestoredFromBytes(nil));

    RWCollectable root;
    const std::vector<uint8_t> expected = {0x88, 0x88, 0x00, 0x00, 0x07, 0x80};
    EXPECT_EQ(expected, SavedBytes(&root));
    std::unique_ptr<RWCollectable> back(RestoredFromBytes(expected));
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(0x8007, back->ClassId());
}

TEST(RWPersistenceBytes, ASharedMemberIsWrittenOnceAndReadBackShared)
{
    GraphNode a(5);
    RWSlistCollectables list;
    list.Append(&a);
    list.Append(&a);
    const std::vector<uint8_t> expected =
        StoredBytes().U32(0x8888).U16(0x8033).U32(2).U16(0x7C01).U32(5).Nil().Nil().U16(0xFFFF).U32(2).Get();
    Graph back;
    RWSlistCollectables* restored = SavedAsAndReadBack(list, expected, back);
    ASSERT_NE(nullptr, restored);
    ASSERT_EQ(2u, restored->Entries());
    EXPECT_EQ(restored->At(0), restored->At(1));
    EXPECT_EQ(5, static_cast<GraphNode*>(restored->At(0))->value);
}

TEST(RWPersistenceBytes, AClassKnownByNameIsStoredByNameThenByTheNamesNumber)
{
    NamedNode first(1), second(2);
    RWSlistCollectables list;
    list.Append(&first);
    list.Append(&second);
    // nil 0, list 1, first 2, its name 3, second 4.
    const std::vector<uint8_t> expected = NamedListStart(2).U16(0x888E).U32(3).U32(2).Nil().Nil().Get();
    Graph back;
    RWSlistCollectables* restored = SavedAsAndReadBack(list, expected, back);
    ASSERT_NE(nullptr, restored);
    ASSERT_EQ(2u, restored->Entries());
    EXPECT_EQ(NamedNode::kClassId, restored->At(0)->ClassId());
    EXPECT_EQ(NamedNode::kClassId, restored->At(1)->ClassId());
    EXPECT_EQ(2, static_cast<GraphNode*>(restored->At(1))->value);
}

TEST(RWPersistenceBytes, ObjectsAreNumberedInTheOrderTheyAreFirstWritten)
{
    // nil 0, outer 1, a 2, b 3: b's back-reference to a is number 2.
    GraphNode a(1);
    GraphNode b(2, &a);
    GraphNode outer(0, &a, &b);
    const std::vector<uint8_t> expected =
        StoredBytes().U32(0x8888).U16(0x7C01).U32(0).U16(0x7C01).U32(1).Nil().Nil().U16(0x7C01).U32(2).U16(0xFFFF).U32(2)
            .Nil().Get();
    EXPECT_EQ(expected, SavedBytes(&outer));
}

TEST(RWPersistenceGraph, RichGraphRoundTripsOnAFileAndOnEveryStreamKind)
{
    Graph original;
    original.root = RichGraph();
    const std::vector<uint8_t> bytes = SavedBytes(original.root);
    EXPECT_EQ(bytes.size(), original.root->RecursiveStoreSize());
    Graph back;
    back.root = RestoredFromBytes(bytes);
    ExpectRichGraph(back.root);
    EXPECT_EQ(bytes, SavedBytes(back.root));

    for (StreamKind kind : kAllStreamKinds) {
        SCOPED_TRACE(testing::Message() << kind);
        const std::string text = StreamSaved(kind, original.root);
        bool good = false;
        Graph fromStream;
        fromStream.root = StreamRestored(kind, text, &good);
        EXPECT_TRUE(good);
        ExpectRichGraph(fromStream.root);
        EXPECT_EQ(text, StreamSaved(kind, fromStream.root));
    }
}

TEST(RWPersistenceGraph, BinaryStreamFramesEachReference)
{
    RWCollectable root;
    EXPECT_EQ(BinaryStreamText({'@', 0, 0, 0, 0}), StreamSaved(StreamKind::Binary, nullptr));
    EXPECT_EQ(BinaryStreamText({':', 0x07, 0x80, '{', '}'}), StreamSaved(StreamKind::Binary, &root));

    NamedNode first(1), second(2);
    RWSlistCollectables list;
    list.Append(&first);
    list.Append(&second);
    std::stringbuf nameBuffer;
    {
        RWBinaryOutStream nameStream(&nameBuffer);
        RWCString(NamedNode::kName).SaveOn(nameStream);
    }
    const std::string expected = BinaryStreamText({':', 0x33, 0x80, '{', 2, 0, 0, 0, ':', 0x8F, 0x88}) +
                                 nameBuffer.str() + BinaryStreamText({'{', 1, 0, 0, 0}) + Nil2() +
                                 BinaryStreamText({'}', ':', 0x8E, 0x88, 3, 0, 0, 0, '{', 2, 0, 0, 0}) + Nil2() +
                                 BinaryStreamText({'}', '}'});
    EXPECT_EQ(expected, StreamSaved(StreamKind::Binary, &list));
}

TEST(RWPersistenceGraph, RecursiveStoreSizeIsWhatTheSaveWritesForEveryRegisteredClass)
{
    ExpectStoreSizesOfRegisteredClasses();
}

TEST(RWPersistenceGraph, RecursiveStoreSizeCountsSharedMembersAndNamesOnce)
{
    GraphNode a(1);
    NamedNode n(2, &a, &a);
    EXPECT_TRUE(StoreSizeMatches(n));
    // Nested in another size computation, an object already counted is a reference:
    // lead-in 4; top 2 + 4; a 2 + 4 + 6 + 6; c 2 + 4, a as 6, nil 6.
    GraphNode c(9, &a);
    GraphNode top(0, &a, &c);
    EXPECT_EQ(46u, top.RecursiveStoreSize());
    EXPECT_TRUE(StoreSizeMatches(top));
}

TEST(RWPersistenceGraph, SizingInTheMiddleOfASaveLeavesTheSaveAlone)
{
    // A node whose save first asks for its member's size, as a writer of a length
    // prefix would.
    class SizingNode : public GraphNode {
    public:
        using GraphNode::GraphNode;
        void SaveGuts(RWBinaryFile& file) const override
        {
            sized = left ? left->RecursiveStoreSize() : 0;
            GraphNode::SaveGuts(file);
        }
        mutable uint32_t sized = 0;
    };
    GraphNode member(4);
    SizingNode node(1, &member);
    GraphNode plain(1, &member);
    EXPECT_EQ(SavedBytes(&plain), SavedBytes(&node));
    EXPECT_EQ(4u + 2 + 4 + 6 + 6, node.sized);
}

TEST(RWPersistenceGraph, CyclesComeBackAsCyclesAndObjectsStillBeingRestoredAreKnown)
{
    GraphNode* a = new GraphNode(1);
    GraphNode* b = new GraphNode(2, a);
    a->left = b;
    a->right = a;
    Graph original;
    original.root = a;
    Graph back;
    back.root = RestoredFromBytes(SavedBytes(a));
    GraphNode* ra = dynamic_cast<GraphNode*>(back.root);
    ASSERT_NE(nullptr, ra);
    GraphNode* rb = dynamic_cast<GraphNode*>(ra->left);
    ASSERT_NE(nullptr, rb);
    EXPECT_EQ(ra, rb->left);
    EXPECT_EQ(ra, ra->right);

    EXPECT_TRUE(ra->wasBeingRestored);
    EXPECT_TRUE(rb->wasBeingRestored);
    EXPECT_TRUE(rb->leftWasBeingRestored); // its left is a, whose fields were still being read
    EXPECT_FALSE(ra->leftWasBeingRestored); // b was complete when a looked
    EXPECT_FALSE(ra->wasInPlace);
    EXPECT_FALSE(RWCollectable::IsBeingRestored(ra));
    EXPECT_FALSE(RWCollectable::IsBeingRestored(nullptr));
}

TEST(RWPersistenceGraph, RestoreInPlaceReadsIntoTheGivenObjectAndMarksIt)
{
    GraphNode* inner = new GraphNode(2);
    GraphNode outer(1, inner);
    inner->left = &outer;
    const std::vector<uint8_t> bytes = SavedBytes(&outer);
    delete inner;

    BytesFile file(bytes);
    ASSERT_TRUE(file.Ready());
    GraphNode target;
    EXPECT_EQ(&target, RWCollectable::RecursiveRestoreFrom(file.File(), &target));
    EXPECT_EQ(1, target.value);
    EXPECT_TRUE(target.wasInPlace);
    GraphNode* restoredInner = dynamic_cast<GraphNode*>(target.left);
    ASSERT_NE(nullptr, restoredInner);
    EXPECT_EQ(&target, restoredInner->left);
    EXPECT_TRUE(restoredInner->leftWasInPlace);
    EXPECT_FALSE(restoredInner->wasInPlace);
    EXPECT_FALSE(RWCollectable::IsRestoredInPlace(&target));
    delete restoredInner;

    // Bytes of another class are refused and leave the target alone.
    RWSet set;
    BytesFile other(SavedBytes(&set));
    ASSERT_TRUE(other.Ready());
    GraphNode untouched(3);
    TestErrorCapture capture;
    EXPECT_EQ(nullptr, RWCollectable::RecursiveRestoreFrom(other.File(), &untouched));
    EXPECT_EQ("[ID] Unexpected class ID 32811; should be 31745", capture.Last());
    EXPECT_EQ(3, untouched.value);
}

TEST(RWPersistenceGraph, TypedExtractionRefusesAFreshObjectOfAnotherKindAndDeletesIt)
{
    // a.right is read as a GraphNode, but holds a Leaf; b follows in the list.
    Leaf* leaf = new Leaf(1);
    GraphNode a(1);
    a.right = leaf;
    GraphNode b(2);
    RWSlistCollectables list;
    list.Append(&a);
    list.Append(&b);
    const std::vector<uint8_t> bytes = SavedBytes(&list);
    delete leaf;

    const int before = Leaf::deletions;
    TestErrorCapture capture;
    Graph back;
    back.root = RestoredFromBytes(bytes);
    EXPECT_EQ(1u, capture.Count());
    EXPECT_EQ("[ID] Unexpected class ID 31746; should be 31745", capture.Last());
    EXPECT_EQ(before + 1, Leaf::deletions);
    RWSlistCollectables* restored = dynamic_cast<RWSlistCollectables*>(back.root);
    ASSERT_NE(nullptr, restored);
    // The leaf's fields were never read, so nothing after it can be read in step.
    ASSERT_EQ(1u, restored->Entries());
    EXPECT_EQ(nullptr, static_cast<GraphNode*>(restored->At(0))->right);
}

TEST(RWPersistenceGraph, TypedExtractionRefusesABackReferenceToAnotherKind)
{
    Leaf leaf(6);
    GraphNode a(1, &leaf);
    a.right = &leaf;
    const std::vector<uint8_t> bytes = SavedBytes(&a);

    const int before = Leaf::deletions;
    TestErrorCapture capture;
    Graph back;
    back.root = RestoredFromBytes(bytes);
    EXPECT_EQ("[ID] Unexpected class ID 31746; should be 31745", capture.Last());
    GraphNode* restored = dynamic_cast<GraphNode*>(back.root);
    ASSERT_NE(nullptr, restored);
    EXPECT_EQ(nullptr, restored->right);
    ASSERT_NE(nullptr, restored->left);
    EXPECT_EQ(before, Leaf::deletions);
    EXPECT_EQ(6, static_cast<Leaf*>(restored->left)->value);
}

TEST(RWPersistenceGraph, TypedExtractionFailsTheStream)
{
    Leaf leaf(6);
    for (StreamKind kind : kAllStreamKinds) {
        SCOPED_TRACE(testing::Message() << kind);
        std::stringbuf buffer(StreamSaved(kind, &leaf));
        std::unique_ptr<RWDataInStream> in = MakeInStream(kind, &buffer);
        GraphNode* node = reinterpret_cast<GraphNode*>(1);
        const int before = Leaf::deletions;
        TestErrorCapture capture;
        *in >> node;
        EXPECT_EQ(nullptr, node);
        EXPECT_TRUE(in->Fail());
        EXPECT_EQ(before + 1, Leaf::deletions);
        EXPECT_EQ("[ID] Unexpected class ID 31746; should be 31745", capture.Last());
    }
}

TEST(RWPersistenceGraph, TypedExtractionTakesSubclassesAndNull)
{
    NamedNode named(4);
    GraphNode* node = nullptr;
    {
        BytesFile file(SavedBytes(&named));
        file.File() >> node;
    }
    ASSERT_NE(nullptr, node);
    EXPECT_EQ(4, node->value);
    delete node;

    BytesFile file(SavedBytes(nullptr));
    RWSet* set = reinterpret_cast<RWSet*>(1);
    file.File() >> set;
    EXPECT_EQ(nullptr, set);
}

TEST(RWPersistenceHostile, BadReferencesOnAFileAreRefused)
{
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* error;
    } cases[] = {
        {"beyond the table", StoredBytes().U32(0x8888).U16(0xFFFF).U32(1).Get(), "[REF] Bad persistence reference"},
        {"negative", StoredBytes().U32(0x8888).U16(0xFFFF).U32(0xFFFFFFFF).Get(), "[REF] Bad persistence reference"},
        {"unknown class id", StoredBytes().U32(0x8888).U16(0x7A69).U32(0).Get(),
         "[NOCREATE] RWFactory: no create function for class with ID 31337 (0x7a69)"},
        {"unknown class name", StoredBytes().U32(0x8888).U16(0x888F).Text("NoSuchClass").Get(),
         "[NOCREATE] RWFactory: no create function for class with ID 34959 (0x888f)"},
    };
    for (const auto& c : cases) {
        TestErrorCapture capture;
        EXPECT_EQ(nullptr, RestoredFromBytes(c.bytes)) << c.what;
        EXPECT_EQ(1u, capture.Count()) << c.what;
        EXPECT_EQ(c.error, capture.Last()) << c.what;
    }
    TestErrorCapture capture;
    RestoredFromBytes(StoredBytes().U32(0x8888).U16(0xFFFF).U32(1).Get());
    EXPECT_TRUE(capture.LastIs<RWInternalError>());
}

TEST(RWPersistenceHostile, ReferencesToTheWrongKindOfEntryAreRefused)
{
    // Entry 3 is the class id of the node's name, not an object.
    ExpectOneBadReferenceAndOneMember(NamedListStart(2).U16(0xFFFF).U32(3).Get());
    // Entry 2 is the named node itself, not a class id; the member after it is lost too.
    ExpectOneBadReferenceAndOneMember(NamedListStart(3).U16(0x888E).U32(2).U32(2).Nil().Nil().Nil().Get());
}

TEST(RWPersistenceHostile, UnknownMemberStopsTheCollectionAtOnce)
{
    // A count far beyond the data, and an unknown class first.
    TestErrorCapture capture;
    Graph back;
    back.root = RestoredFromBytes(StoredBytes().U32(0x8888).U16(0x8033).U32(0xFFFFFFFF).U16(0x7A69).Nil().Nil().Get());
    EXPECT_EQ(1u, capture.Count());
    RWSlistCollectables* list = dynamic_cast<RWSlistCollectables*>(back.root);
    ASSERT_NE(nullptr, list);
    EXPECT_TRUE(list->IsEmpty());
}

TEST(RWPersistenceHostile, BadMagicIsReportedAndReadingGoesOn)
{
    TestErrorCapture capture;
    std::unique_ptr<RWCollectable> back(RestoredFromBytes(StoredBytes().U32(0x8889).U16(0x8007).Get()));
    EXPECT_EQ("[MAGIC] Bad magic number: 34953 (should be 34952)", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWExternalError>());
    ASSERT_NE(nullptr, back);
    EXPECT_EQ(0x8007, back->ClassId());
}

TEST(RWPersistenceHostile, EveryCutFailsCleanly)
{
    // Data that ends before the first reference reads nothing, quietly.
    const std::vector<uint8_t> quiet[] = {
        {}, {0x88, 0x88}, {0x88, 0x88, 0x00, 0x00, 0xFF}, {0x88, 0x88, 0x00, 0x00, 0xFF, 0xFF, 0x00}};
    for (const auto& bytes : quiet)
        EXPECT_EQ(nullptr, RestoredFromBytes(bytes));

    Graph original;
    original.root = RichGraph();
    const std::vector<uint8_t> bytes = SavedBytes(original.root);
    for (size_t n = 0; n < bytes.size(); ++n) {
        TestErrorCapture capture;
        Graph back;
        back.root = RestoredFromBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n));
    }
    for (StreamKind kind : kAllStreamKinds) {
        const std::string text = StreamSaved(kind, original.root);
        for (size_t n = 0; n < text.size(); ++n) {
            TestErrorCapture capture;
            bool good = true;
            Graph back;
            back.root = StreamRestored(kind, text.substr(0, n), &good);
            EXPECT_FALSE(good) << kind << " cut at " << n;
        }
    }
}

TEST(RWPersistenceHostile, RunningOutOfMemoryEndsTheRestoreWithNull)
{
    Leaf leaf(7);
    Greedy greedy(0xFFFF);
    RWSlistCollectables list;
    list.Append(&leaf);
    list.Append(&greedy);
    EXPECT_EQ(nullptr, RestoredFromBytes(SavedBytes(&list)));
    bool good = true;
    EXPECT_EQ(nullptr, StreamRestored(StreamKind::Endian, StreamSaved(StreamKind::Endian, &list), &good));
    EXPECT_FALSE(good);
}

TEST(RWPersistenceHostile, ScrambledBytesNeverCrash)
{
    Graph original;
    original.root = RichGraph();
    const std::vector<uint8_t> bytes = SavedBytes(original.root);
    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> damaged = bytes;
        for (int k = 0; k < 3; ++k)
            damaged[random() % damaged.size()] = uint8_t(random());
        TestErrorCapture capture;
        Graph back;
        back.root = RestoredFromBytes(damaged);
    }
}

TEST(RWPersistenceHostile, NestingIsReadUpToTheLimitAndRefusedBeyond)
{
    RWSlistCollectables* outer = new RWSlistCollectables;
    RWSlistCollectables* inner = outer;
    for (int i = 1; i < 200; ++i) {
        RWSlistCollectables* next = new RWSlistCollectables;
        inner->Append(next);
        inner = next;
    }
    Graph original;
    original.root = outer;
    Graph back;
    back.root = RestoredFromBytes(SavedBytes(outer));
    int depth = 0;
    for (RWCollectable* p = back.root; p; p = static_cast<RWSlistCollectables*>(p)->First())
        ++depth;
    EXPECT_EQ(200, depth);

    StoredBytes deep;
    deep.U32(0x8888);
    for (int i = 0; i < 600; ++i)
        deep.U16(0x8033).U32(1);
    deep.Nil();
    TestErrorCapture capture;
    Graph refused;
    refused.root = RestoredFromBytes(deep.Get());
    EXPECT_EQ(1u, capture.Count());
    EXPECT_EQ("[READERR] Read error", capture.Last());
    EXPECT_NE(nullptr, refused.root);
}

TEST(RWPersistenceHostile, BadStreamInputFailsTheStream)
{
    const char* const kRef = "[REF] Bad persistence reference";
    const struct {
        const char* what;
        std::string bytes;
        const char* error; // empty: the framing alone fails, nothing is raised
    } cases[] = {
        {"unknown lead char", BinaryStreamText({'x', 0, 0, 0, 0}), ""},
        {"no opening brace", BinaryStreamText({':', 0x07, 0x80, 'x', '}'}), ""},
        {"cut back-reference", BinaryStreamText({'@', 0, 0}), ""},
        {"cut class id", BinaryStreamText({':', 0x07}), ""},
        {"reference -1", BinaryStreamText({'@', 0xFF, 0xFF, 0xFF, 0xFF}), kRef},
        {"most negative reference", BinaryStreamText({'@', 0x00, 0x00, 0x00, 0x80}), kRef},
        {"reference beyond the table", BinaryStreamText({'@', 0x01, 0x00, 0x00, 0x00}), kRef},
        {"the nil object as a class id", BinaryStreamText({':', 0x8E, 0x88, 0, 0, 0, 0, '{', '}'}), kRef},
        {"unknown class", BinaryStreamText({':', 0x69, 0x7A, '{', '}'}),
         "[NOCREATE] RWFactory: no create function for class with ID 31337 (0x7a69)"},
    };
    for (const auto& c : cases) {
        TestErrorCapture capture;
        bool good = true;
        EXPECT_EQ(nullptr, StreamRestored(StreamKind::Binary, c.bytes, &good)) << c.what;
        EXPECT_FALSE(good) << c.what;
        EXPECT_EQ(c.error, capture.Last()) << c.what;
    }
}

TEST(RWPersistenceThreads, TwoThreadsSavingAtOnceNumberTheirObjectsIndependently)
{
    // Each thread saves its own graph again and again; a shared numbering would shift
    // the back-reference numbers in the other thread's bytes.
    Graph graphs[2];
    graphs[0].root = RichGraph();
    GraphNode* a = new GraphNode(1);
    a->left = new GraphNode(2, a, a);
    graphs[1].root = a;
    std::vector<uint8_t> expected[2] = {SavedBytes(graphs[0].root), SavedBytes(graphs[1].root)};

    int mismatches[2] = {0, 0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([t, &graphs, &expected, &mismatches] {
            for (int i = 0; i < 40; ++i) {
                if (SavedBytes(graphs[t].root) != expected[t])
                    ++mismatches[t];
                if (graphs[t].root->RecursiveStoreSize() != expected[t].size())
                    ++mismatches[t];
                Graph back;
                back.root = RestoredFromBytes(expected[t]);
                if (!back.root || SavedBytes(back.root) != expected[t])
                    ++mismatches[t];
            }
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(0, mismatches[0]);
    EXPECT_EQ(0, mismatches[1]);
}
