// The rules every read of foreign bytes relies on: an object a restore frees takes the
// numbers its read gave out with it; a restore that expects a kind decides it from the
// stored class before anything is made; one helper runs a foreign read under a capture.
#include "DataStreamKinds.h"
#include "StoreSizeChecks.h"
#include "TestGraphs.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWBTree.h"
#include "foundation/RWCollectableIDAssociation.h"
#include "foundation/RWErrorHandler.h"
#include "foundation/RWFactory.h"
#include "foundation/RWForeignRead.h"
#include "foundation/RWIdentitySet.h"
#include "foundation/RWSet.h"
#include "foundation/RWSlistCollectables.h"
#include "foundation/RWSlistCollectablesStack.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace {

// Reads one member and frees it at once, as a reader does that drops an object of a
// kind it does not want after reading it.
class Dropper : public RWCollectable {
public:
    static constexpr RWClassID kClassId = 0x7C21;
    Dropper() = default;
    explicit Dropper(RWCollectable* member) : member_(member) {}
    RWClassID ClassId() const override { return kClassId; }
    uint32_t BinaryStoreSize() const override { return (member_ ? member_ : &RWNilObject)->RecursiveStoreSize(); }
    void SaveGuts(RWBinaryFile& file) const override { file << member_; }
    void SaveGuts(RWDataOutStream& stream) const override { stream << member_; }
    void RestoreGuts(RWBinaryFile& file) override { Drop(file); }
    void RestoreGuts(RWDataInStream& stream) override { Drop(stream); }

private:
    template <class In>
    void Drop(In& in)
    {
        RWCollectable* read = nullptr;
        in >> read;
        delete read;
    }
    RWCollectable* member_ = nullptr;
};
const RWClassRegistration<Dropper> g_dropperRegistration("TestDropper");

// Counts its constructions: a kind decided before the object is made never makes one.
std::atomic<int> g_made{0};
class Counted : public RWCollectable {
public:
    static constexpr RWClassID kClassId = 0x7C22;
    Counted() { ++g_made; }
    RWClassID ClassId() const override { return kClassId; }
};
const RWClassRegistration<Counted> g_countedRegistration("TestCounted");

// The list [Dropper{leaf}, leaf]: the second member is a back-reference to the leaf the
// dropper's read freed.
RWSlistCollectables* DroppedThenNamed(Leaf*& leaf)
{
    leaf = new Leaf(0x1234);
    auto* list = new RWSlistCollectables;
    list->Append(new Dropper(leaf));
    list->Append(leaf);
    return list;
}

void DeleteList(RWCollectable* obj)
{
    if (auto* list = dynamic_cast<RWSlistCollectables*>(obj))
        list->ClearAndDestroy();
    delete obj;
}

} // namespace

TEST(RWReadTableRule, AMemberNamedAgainAfterARestoreFreedItIsABadReferenceOnEveryMedium)
{
    Leaf* leaf = nullptr;
    std::unique_ptr<RWSlistCollectables> list(DroppedThenNamed(leaf));
    const std::vector<uint8_t> file = SavedBytes(list.get());
    std::vector<std::string> streams;
    for (StreamKind kind : kAllStreamKinds)
        streams.push_back(StreamSaved(kind, list.get()));
    list->Clear();
    delete leaf;

    for (int medium = 0; medium < 4; ++medium) {
        TestErrorCapture capture;
        const int deletionsBefore = Leaf::deletions;
        RWCollectable* back = medium == 0 ? RestoredFromBytes(file) : StreamRestored(StreamKind(medium - 1), streams[medium - 1]);
        EXPECT_NE(std::string::npos, capture.Last().find("[REF]")) << medium << ": " << capture.Last();
        EXPECT_EQ(deletionsBefore + 1, Leaf::deletions) << medium << ": the leaf is freed once, by the dropper";
        if (auto* restored = dynamic_cast<RWSlistCollectables*>(back)) {
            // Nothing in the list is the freed leaf.
            restored->Apply([](RWCollectable* m, void*) { EXPECT_EQ(nullptr, dynamic_cast<Leaf*>(m)); }, nullptr);
        }
        DeleteList(back);
    }
}

TEST(RWReadTableRule, AnObjectKeptAliveStaysNamedForLaterBackReferences)
{
    // The same graph with a list in place of the dropper keeps the leaf: the back-
    // reference resolves to it.
    Leaf* leaf = new Leaf(9);
    auto* inner = new RWSlistCollectables;
    inner->Append(leaf);
    RWSlistCollectables outer;
    outer.Append(inner);
    outer.Append(leaf);
    for (StreamKind kind : kAllStreamKinds) {
        std::unique_ptr<RWCollectable> back(StreamRestored(kind, StreamSaved(kind, &outer)));
        auto* restored = dynamic_cast<RWSlistCollectables*>(back.get());
        ASSERT_NE(nullptr, restored) << kind;
        ASSERT_EQ(2u, restored->Entries()) << kind;
        auto* innerBack = dynamic_cast<RWSlistCollectables*>(restored->At(0));
        ASSERT_NE(nullptr, innerBack) << kind;
        EXPECT_EQ(innerBack->At(0), restored->At(1)) << kind;
        delete restored->At(1);
        innerBack->Clear();
        delete innerBack;
        restored->Clear();
    }
    outer.Clear();
    inner->Clear();
    delete inner;
    delete leaf;
}

struct KindRow {
    RWClassID stored;
    RWClassID kind;
    RWKindAnswer answer;
};

TEST(RWFactoryAncestry, AnswersKindsFromTheStoredClassAlone)
{
    const KindRow rows[] = {
        {RWSet::kClassId, RWSet::kClassId, RWKindAnswer::Yes},
        {RWSet::kClassId, RWHashTable::kClassId, RWKindAnswer::Yes},
        {RWSet::kClassId, RWCollection::kClassId, RWKindAnswer::Yes},
        {RWSet::kClassId, RWCollectable::kClassId, RWKindAnswer::Yes},
        {RWIdentitySet::kClassId, RWSet::kClassId, RWKindAnswer::Yes},
        {RWSet::kClassId, RWIdentitySet::kClassId, RWKindAnswer::No},
        {RWSet::kClassId, RWBTree::kClassId, RWKindAnswer::No},
        {RWSlistCollectablesStack::kClassId, RWSlistCollectables::kClassId, RWKindAnswer::Yes},
        {RWSlistCollectablesStack::kClassId, RWCollection::kClassId, RWKindAnswer::Yes},
        {RWCollectableIDAssociation::kClassId, RWCollectableAssociation::kClassId, RWKindAnswer::Yes},
        {RWCollectableAssociation::kClassId, RWCollection::kClassId, RWKindAnswer::No},
        {Leaf::kClassId, Leaf::kClassId, RWKindAnswer::Yes},
        {Leaf::kClassId, RWCollection::kClassId, RWKindAnswer::No},
        {0x7DDD, RWCollection::kClassId, RWKindAnswer::Unknown},
    };
    for (const KindRow& row : rows)
        EXPECT_EQ(row.answer, RWFactoryIsKindOf(row.stored, row.kind)) << std::hex << row.stored << " " << row.kind;
    EXPECT_EQ(RWKindAnswer::Yes, RWFactoryIsKindOf(RWStringID("RWIdentitySet"), RWSet::kClassId));
    EXPECT_EQ(RWKindAnswer::No, RWFactoryIsKindOf(RWStringID("TestCounted"), RWSet::kClassId));
    EXPECT_EQ(RWKindAnswer::Unknown, RWFactoryIsKindOf(RWStringID("NoSuchClass"), RWSet::kClassId));
}

TEST(RWKindBeforeReader, AStoredClassOfAnotherKindIsRefusedBeforeItIsMadeOnEveryMedium)
{
    Counted stored;
    const std::vector<uint8_t> file = SavedBytes(&stored);
    for (int medium = 0; medium < 4; ++medium) {
        TestErrorCapture capture;
        const int made = g_made;
        RWCollectable* back = nullptr;
        if (medium == 0) {
            BytesFile bytes(file);
            ASSERT_TRUE(bytes.Ready());
            back = RWCollectable::RestoreKindOf(bytes.File(), RWIsKindOf<RWCollection>, RWCollection::kClassId);
        } else {
            std::stringbuf buffer(StreamSaved(StreamKind(medium - 1), &stored));
            std::unique_ptr<RWDataInStream> in = MakeInStream(StreamKind(medium - 1), &buffer);
            back = RWCollectable::RestoreKindOf(*in, RWIsKindOf<RWCollection>, RWCollection::kClassId);
            EXPECT_FALSE(in->Good()) << medium;
        }
        EXPECT_EQ(nullptr, back) << medium;
        EXPECT_EQ(made, g_made) << medium << ": nothing was made";
        EXPECT_NE(std::string::npos, capture.Last().find("[ID]")) << medium << ": " << capture.Last();
    }
    // A kind it is one of is made and read.
    const int made = g_made;
    BytesFile bytes(file);
    std::unique_ptr<RWCollectable> back(
        RWCollectable::RestoreKindOf(bytes.File(), RWIsKindOf<Counted>, Counted::kClassId));
    EXPECT_NE(nullptr, dynamic_cast<Counted*>(back.get()));
    EXPECT_EQ(made + 1, g_made);
}

TEST(RWForeignRead, ErrorsRaisedInTheReadAreCapturedAndFailIt)
{
    const uint32_t before = RWForeignRead::Count();
    // The raise happens where a holder's constructor would check a header.
    EXPECT_FALSE(RWForeignRead::Run([] {
        RWRaiseExternal(RWMessageBadMagic(), 1L, 2L);
        return true;
    }));
    EXPECT_TRUE(RWForeignRead::Run([] { return true; }));
    EXPECT_FALSE(RWForeignRead::Run([] { return false; }));
    EXPECT_EQ(before + 3, RWForeignRead::Count());
}

TEST(RWForeignRead, AnObjectMadeByAReadThatRaisedIsDeleted)
{
    const int deletions = Leaf::deletions;
    Leaf* made = RWForeignRead::Make<Leaf>([] {
        Leaf* leaf = new Leaf(3);
        RWRaiseInternal(RWMessageBadReference());
        return leaf;
    });
    EXPECT_EQ(nullptr, made);
    EXPECT_EQ(deletions + 1, Leaf::deletions);
    std::unique_ptr<Leaf> kept(RWForeignRead::Make<Leaf>([] { return new Leaf(4); }));
    ASSERT_NE(nullptr, kept);
    EXPECT_EQ(4, kept->value);
}
