#include "DataStreamKinds.h"
#include "StoreSizeChecks.h"
#include "TestGraphs.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWErrorHandler.h"
#include "foundation/RWHashTable.h"
#include "foundation/RWIdentitySet.h"
#include "foundation/RWSet.h"
#include "foundation/RWSlistCollectables.h"
#include "foundation/RWSlistCollectablesStack.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

namespace {

std::vector<int> LeafValues(const RWCollection& c)
{
    std::vector<int> values;
    c.Apply(
        [](RWCollectable* m, void* arg) {
            const Leaf* leaf = dynamic_cast<const Leaf*>(m);
            static_cast<std::vector<int>*>(arg)->push_back(leaf ? leaf->value : -1);
        },
        &values);
    return values;
}

std::vector<int> Sorted(std::vector<int> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

// Restores the file's one reference into target.
void RestoreInto(const std::vector<uint8_t>& bytes, RWCollectable& target)
{
    BytesFile file(bytes);
    ASSERT_TRUE(file.Ready());
    EXPECT_EQ(&target, RWCollectable::RecursiveRestoreFrom(file.File(), &target));
}

struct Owned {
    ~Owned() { DeleteGraph(root); }
    RWCollectable* root = nullptr;
};

} // namespace

TEST(RWCollectionStore, ListBytesAreTheCountThenEachMemberAndKeepTheirOrderOnEveryMedium)
{
    Leaf a(0x0102), b(0x0304);
    RWSlistCollectables list;
    list.Append(&b);
    list.Append(&a);
    const std::vector<uint8_t> expected = {0x88, 0x88, 0x00, 0x00, 0x33, 0x80, 0x02, 0x00, 0x00, 0x00,
                                           0x02, 0x7C, 0x04, 0x03, 0x02, 0x7C, 0x02, 0x01};
    EXPECT_EQ(expected, SavedBytes(&list));
    EXPECT_TRUE(StoreSizeMatches(list));
    // Called on its own, the collection's size counts each member as an outermost save
    // with its own lead-in, as its SaveGuts called on its own writes them.
    EXPECT_EQ(4u + (4 + 4) + (4 + 4), list.BinaryStoreSize());

    Owned fromFile;
    fromFile.root = RestoredFromBytes(expected);
    ASSERT_NE(nullptr, fromFile.root);
    EXPECT_EQ((std::vector<int>{0x0304, 0x0102}), LeafValues(*static_cast<RWCollection*>(fromFile.root)));
    for (StreamKind kind : kAllStreamKinds) {
        Owned owned;
        owned.root = StreamRestored(kind, StreamSaved(kind, &list));
        RWSlistCollectables* back = dynamic_cast<RWSlistCollectables*>(owned.root);
        ASSERT_NE(nullptr, back) << kind;
        EXPECT_EQ((std::vector<int>{0x0304, 0x0102}), LeafValues(*back)) << kind;
    }
}

TEST(RWCollectionStore, RestoreInPlaceEmptiesAListButAStackAddsBelowWhatItHolds)
{
    Leaf a(1), b(2);
    RWSlistCollectables stored;
    stored.Append(&a);
    Leaf old(9);
    RWSlistCollectables list;
    list.Append(&old);
    RestoreInto(SavedBytes(&stored), list);
    EXPECT_EQ((std::vector<int>{1}), LeafValues(list));
    delete list.First();

    // A stack saved with top A, then B, restores with top A.
    RWSlistCollectablesStack stack;
    stack.Push(&b);
    stack.Push(&a);
    const std::vector<uint8_t> bytes = SavedBytes(&stack);
    EXPECT_EQ(0x36, bytes[4]);
    EXPECT_EQ(0x80, bytes[5]);
    Owned back;
    back.root = RestoredFromBytes(bytes);
    RWSlistCollectablesStack* restored = dynamic_cast<RWSlistCollectablesStack*>(back.root);
    ASSERT_NE(nullptr, restored);
    EXPECT_EQ(1, static_cast<Leaf*>(restored->Top())->value);
    EXPECT_EQ((std::vector<int>{1, 2}), LeafValues(*restored));

    Leaf held(7);
    RWSlistCollectablesStack target;
    target.Push(&held);
    RestoreInto(bytes, target);
    EXPECT_EQ((std::vector<int>{7, 1, 2}), LeafValues(target));
    target.Pop();
    delete target.Pop();
    delete target.Pop();
}

TEST(RWCollectionStore, HashTablesAndSetsRoundTrip)
{
    Leaf a(1), b(2), c(3);
    RWHashTable table;
    table.Insert(&a);
    table.Insert(&a);
    table.Insert(&b);
    RWSet set;
    set.Insert(&b);
    set.Insert(&c);
    RWIdentitySet identity;
    identity.Insert(&a);
    identity.Insert(&c);
    const RWCollection* collections[] = {&table, &set, &identity};
    for (const RWCollection* original : collections) {
        EXPECT_TRUE(StoreSizeMatches(*original));
        Owned back;
        back.root = RestoredFromBytes(SavedBytes(original));
        ASSERT_NE(nullptr, back.root);
        EXPECT_EQ(original->ClassId(), back.root->ClassId());
        const RWCollection* restored = static_cast<const RWCollection*>(back.root);
        EXPECT_EQ(Sorted(LeafValues(*original)), Sorted(LeafValues(*restored)));
    }
}

TEST(RWCollectionStore, NullMembersAreStoredAsNilAndSkippedOnRestore)
{
    Leaf a(1);
    RWSlistCollectables list;
    list.Append(nullptr);
    list.Append(&a);
    EXPECT_EQ(4u + 2 + 4 + 6 + 4, list.RecursiveStoreSize());
    Owned back;
    back.root = RestoredFromBytes(SavedBytes(&list));
    ASSERT_NE(nullptr, back.root);
    EXPECT_EQ((std::vector<int>{1}), LeafValues(*static_cast<RWCollection*>(back.root)));
}

TEST(RWCollectionStore, ACutInsideAMemberFailsTheWholeRead)
{
    Leaf a(1), b(2), c(3);
    RWSlistCollectables list;
    list.Append(&a);
    list.Append(&b);
    list.Append(&c);
    std::stringbuf buffer;
    {
        RWBinaryOutStream out(&buffer);
        out << &list;
    }
    // Cut inside the third member's framing, after its value.
    const std::string bytes = buffer.str();
    std::stringbuf in(bytes.substr(0, bytes.size() - 3));
    RWBinaryInStream stream(&in);
    TestErrorCapture capture;
    RWCollectable* back = nullptr;
    stream >> back;
    EXPECT_FALSE(stream.Good());
    EXPECT_EQ(nullptr, back);
    EXPECT_EQ("[READERR] Read error", capture.Last());
}

TEST(RWCollectionStore, TypedExtractionRefusesAnotherKindOfCollection)
{
    RWSlistCollectablesStack stack;
    BytesFile file(SavedBytes(&stack));
    RWHashTable* table = nullptr;
    TestErrorCapture capture;
    file.File() >> table;
    EXPECT_EQ(nullptr, table);
    EXPECT_EQ("[ID] Unexpected class ID 32822; should be 32862", capture.Last());
}
