#include "foundation/RWDiskBTree.h"

#include "foundation/RWCString.h"
#include "foundation/RWErrorHandler.h"

#include "DiskFileImage.h"
#include "TempPath.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace disktest;

namespace {

constexpr uint32_t kNone = RWDiskBTree::kNone;

// The records store's tree: text keys of 16, nodes of 10 to 20 keys, 10 cache buffers.
std::unique_ptr<RWDiskBTree> RecordsTree(RWDiskFileManager& file)
{
    return std::unique_ptr<RWDiskBTree>(new RWDiskBTree(file, 10, 0, 16, 0, kNone, 0, 10, 10));
}

// A new records file and its tree.
struct RecordsFile {
    explicit RecordsFile(const char* leaf) : path(leaf), file(path.c_str()), tree(RecordsTree(file)) {}
    TempPath path;
    RWDiskFileManager file;
    std::unique_ptr<RWDiskBTree> tree;
};

std::string Key(int i)
{
    char text[16];
    std::snprintf(text, sizeof text, "key%06d", i);
    return text;
}

void Collect(const char* key, uint32_t value, void* arg)
{
    static_cast<std::vector<std::pair<std::string, uint32_t>>*>(arg)->emplace_back(key, value);
}

// Inserts Key(i) with value i for i from first to last.
void Fill(RWDiskBTree& tree, int first, int last, int step = 1)
{
    for (int i = first; i <= last; i += step)
        tree.InsertKeyAndValue(Key(i).c_str(), static_cast<uint32_t>(i));
}

std::vector<std::pair<std::string, uint32_t>> InOrder(RWDiskBTree& tree)
{
    std::vector<std::pair<std::string, uint32_t>> out;
    tree.ApplyInOrder(Collect, &out);
    return out;
}

std::vector<std::pair<std::string, uint32_t>> Expected(const std::map<std::string, uint32_t>& model)
{
    return std::vector<std::pair<std::string, uint32_t>>(model.begin(), model.end());
}

// One node read from the file's bytes.
struct NodeImage {
    uint32_t offset = kNone;
    uint32_t count = 0;
    std::vector<uint32_t> children;
    std::vector<std::string> keys;
};

NodeImage ReadNodeAt(RWDiskFileManager& file, uint32_t offset, uint32_t n = 10, uint32_t k = 16)
{
    file.Flush();
    const std::vector<uint8_t> bytes = FileBytes(file.GetName());
    NodeImage node;
    node.offset = offset;
    node.count = Word(bytes, offset);
    for (uint32_t i = 0; i <= node.count && i <= 2 * n; ++i)
        node.children.push_back(Word(bytes, offset + 4 + 4 * i));
    for (uint32_t i = 0; i < node.count && i < 2 * n; ++i) {
        const char* key = reinterpret_cast<const char*>(bytes.data() + offset + 16 * n + 8 + k * i);
        node.keys.emplace_back(key, strnlen(key, k));
    }
    return node;
}

// Writes a records file holding Key(0) to Key(keys - 1) and answers its root node.
NodeImage WriteRecordsFile(const std::string& path, int keys)
{
    RWDiskFileManager file(path.c_str());
    auto tree = RecordsTree(file);
    Fill(*tree, 0, keys - 1);
    return ReadNodeAt(file, tree->RootOffset());
}

std::vector<std::string> Keys(int from, int to, int step = 1)
{
    std::vector<std::string> keys;
    for (int i = from; i <= to; i += step)
        keys.push_back(Key(i));
    return keys;
}

// Nothing but the tree's info block is in use: every node went back to the lists.
void ExpectOnlyInfoBlockInUse(RWDiskFileManager& file)
{
    file.Flush();
    EXPECT_EQ("", UnaccountedSpace(ReadLists(file.GetName()), {{280, 44}}));
}

} // namespace

TEST(RWDiskBTreeLayout, NewRecordsFileHasItsInfoBlockFirst)
{
    RecordsFile f("info.dbt");
    ASSERT_TRUE(f.tree->IsValid());
    EXPECT_EQ(284u, f.tree->InfoOffset());
    EXPECT_EQ(284u, f.file.Start());
    EXPECT_EQ(kNone, f.tree->RootOffset());
    EXPECT_EQ(488u, f.tree->NodeSize());
    EXPECT_EQ(0u, f.tree->Entries());
    EXPECT_EQ(0u, f.tree->Height());
    f.file.Flush();
    const std::vector<uint8_t> bytes = FileBytes(f.path.str());
    const uint8_t expected[] = {0x2C, 0x00, 0x00, 0x00,                         // length word 44
                                0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, // root, reserved
                                0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, // version 512, entries 0
                                0x10, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, // K 16, N 10
                                0x0A, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, // M 10, reserved
                                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}; // reserved, flags
    ASSERT_EQ(324u, bytes.size());
    EXPECT_EQ(std::vector<uint8_t>(expected, expected + sizeof expected),
              std::vector<uint8_t>(bytes.begin() + 280, bytes.end()));
}

TEST(RWDiskBTreeLayout, FirstInsertMakesAOneKeyRootOf492Bytes)
{
    RecordsFile f("first.dbt");
    EXPECT_EQ(1, f.tree->InsertKeyAndValue("IndexOfRecords", 7));
    EXPECT_EQ(328u, f.tree->RootOffset());
    uint32_t length = 0;
    f.file.ReadAt(324, &length, 4);
    EXPECT_EQ(492u, length);
    const NodeImage root = ReadNodeAt(f.file, 328);
    EXPECT_EQ(1u, root.count);
    EXPECT_EQ(std::vector<uint32_t>({kNone, kNone}), root.children);
    EXPECT_EQ(std::vector<std::string>({"IndexOfRecords"}), root.keys);
    // The new root reached the info block at once; the count follows at the next write.
    f.file.Flush();
    EXPECT_EQ(328u, Word(FileBytes(f.path.str()), 284));
    EXPECT_EQ(1u, f.tree->Entries());
    EXPECT_EQ(1u, f.tree->Height());
}

TEST(RWDiskBTreeInsert, TwentyFirstKeySplitsTheRoot)
{
    RecordsFile f("split.dbt");
    for (int i = 1; i <= 20; ++i)
        ASSERT_EQ(1, f.tree->InsertKeyAndValue(Key(i).c_str(), i));
    EXPECT_EQ(1u, f.tree->Height());
    const uint32_t oldRoot = f.tree->RootOffset();
    ASSERT_EQ(1, f.tree->InsertKeyAndValue(Key(21).c_str(), 21));
    EXPECT_EQ(2u, f.tree->Height());
    EXPECT_EQ(21u, f.tree->Entries());
    const NodeImage root = ReadNodeAt(f.file, f.tree->RootOffset());
    EXPECT_EQ(1u, root.count);
    EXPECT_EQ(std::vector<std::string>({Key(11)}), root.keys);
    EXPECT_EQ(oldRoot, root.children[0]);
    EXPECT_EQ(Keys(1, 10), ReadNodeAt(f.file, root.children[0]).keys);
    EXPECT_EQ(Keys(12, 21), ReadNodeAt(f.file, root.children[1]).keys);
}

// A full leaf of the even keys 0 to 38, then one odd key placed before, at and after
// the middle: each case leaves ten keys in either half and the right key above them.
TEST(RWDiskBTreeInsert, EachSplitCaseKeepsTheOrder)
{
    const struct {
        int key;
        int middle;
    } cases[] = {{5, 18}, {19, 19}, {31, 20}};
    for (const auto& c : cases) {
        TempPath path("cases.dbt");
        RWDiskFileManager file(path.c_str());
        auto tree = RecordsTree(file);
        std::map<std::string, uint32_t> model;
        for (int i = 0; i <= 38; i += 2) {
            tree->InsertKeyAndValue(Key(i).c_str(), i);
            model[Key(i)] = i;
        }
        ASSERT_EQ(1u, tree->Height());
        ASSERT_EQ(1, tree->InsertKeyAndValue(Key(c.key).c_str(), c.key));
        model[Key(c.key)] = c.key;
        const NodeImage root = ReadNodeAt(file, tree->RootOffset());
        ASSERT_EQ(1u, root.count) << c.key;
        EXPECT_EQ(Key(c.middle), root.keys[0]) << c.key;
        const NodeImage left = ReadNodeAt(file, root.children[0]);
        const NodeImage right = ReadNodeAt(file, root.children[1]);
        EXPECT_EQ(10u, left.count) << c.key;
        EXPECT_EQ(10u, right.count) << c.key;
        EXPECT_EQ(Expected(model), InOrder(*tree)) << c.key;
    }
}

TEST(RWDiskBTreeInsert, InnerSplitsKeepEveryKeyFindable)
{
    TempPath path("inner.dbt");
    RWDiskFileManager file(path.c_str());
    RWDiskBTree tree(file, 10, 0, 16, 0, kNone, 0, 2, 2);
    std::map<std::string, uint32_t> model;
    for (int i = 0; i < 300; ++i) {
        const int k = (i * 37) % 300;
        ASSERT_EQ(1, tree.InsertKeyAndValue(Key(k).c_str(), k));
        model[Key(k)] = k;
    }
    EXPECT_GE(tree.Height(), 4u);
    EXPECT_EQ(Expected(model), InOrder(tree));
    for (const auto& entry : model) {
        RWCString found;
        uint32_t value = 0;
        ASSERT_EQ(1, tree.FindKeyAndValue(entry.first.c_str(), found, value));
        EXPECT_EQ(entry.second, value);
        EXPECT_TRUE(found == entry.first.c_str());
    }
}

TEST(RWDiskBTreeInsert, PresentKeyIsRefusedAndNothingChanges)
{
    RecordsFile f("dup.dbt");
    Fill(*f.tree, 0, 49);
    const uint32_t end = f.file.End();
    EXPECT_EQ(0, f.tree->InsertKeyAndValue(Key(17).c_str(), 999));
    EXPECT_EQ(50u, f.tree->Entries());
    EXPECT_EQ(end, f.file.End());
    RWCString found;
    uint32_t value = 0;
    ASSERT_EQ(1, f.tree->FindKeyAndValue(Key(17).c_str(), found, value));
    EXPECT_EQ(17u, value);
}

TEST(RWDiskBTreeFind, AbsentKeyGivesZeroAndNoValue)
{
    RecordsFile f("absent.dbt");
    RWCString found;
    uint32_t value = 5;
    EXPECT_EQ(0, f.tree->FindKeyAndValue("nothing", found, value));
    EXPECT_EQ(kNone, value);
    Fill(*f.tree, 0, 98, 2);
    value = 5;
    EXPECT_EQ(0, f.tree->FindKeyAndValue(Key(51).c_str(), found, value));
    EXPECT_EQ(kNone, value);
    EXPECT_EQ(0, f.tree->FindKeyAndValue("zzz", found, value));
    EXPECT_EQ(0, f.tree->FindKeyAndValue("", found, value));
    EXPECT_EQ(0, f.tree->FindKeyAndValue(nullptr, found, value));
    EXPECT_EQ(0, f.tree->InsertKeyAndValue(nullptr, 1));
}

TEST(RWDiskBTreeKeys, TextKeysCompareOverTheirFirstSixteenCharacters)
{
    RecordsFile f("text.dbt");
    const char padded[16] = {'a', 'b'};
    ASSERT_EQ(1, f.tree->InsertKeyAndValue("ab", 1));
    EXPECT_EQ(0, f.tree->InsertKeyAndValue(padded, 2));
    ASSERT_EQ(1, f.tree->InsertKeyAndValue("abcdefghijklmnopqrst", 3));
    RWCString found;
    uint32_t value = 0;
    ASSERT_EQ(1, f.tree->FindKeyAndValue("abcdefghijklmnop", found, value));
    EXPECT_EQ(3u, value);
    EXPECT_EQ(16u, found.Length());
    EXPECT_TRUE(found == "abcdefghijklmnop");
    ASSERT_EQ(1, f.tree->FindKeyAndValue("abcdefghijklmnopXYZ", found, value));
    EXPECT_EQ(0, f.tree->InsertKeyAndValue("abcdefghijklmnop-other", 4));
    ASSERT_EQ(1, f.tree->FindKeyAndValue("ab", found, value));
    EXPECT_TRUE(found == "ab");
    // The callback sees a terminated copy even of a key that fills all 16 bytes.
    const auto keys = InOrder(*f.tree);
    ASSERT_EQ(2u, keys.size());
    EXPECT_EQ("abcdefghijklmnop", keys[1].first);
}

TEST(RWDiskBTreeKeys, FixedKeysAreRawBytesComparedUnsigned)
{
    TempPath path("fixed.dbt");
    RWDiskFileManager file(path.c_str());
    RWDiskBTree tree(file, 10, 0, 4, 1, kNone, 0, 2, 2);
    EXPECT_EQ(RWDiskBTree::kFixedKeys, tree.GetInfo().flags);
    const char a[4] = {'a', 0, 'b', 0};
    const char b[4] = {'a', 0, 'c', 0};
    const char high[4] = {static_cast<char>(0x80), 0, 0, 0};
    const char low[4] = {0x7F, 0, 0, 0};
    EXPECT_EQ(1, tree.InsertKeyAndValue(a, 1));
    EXPECT_EQ(1, tree.InsertKeyAndValue(b, 2));
    EXPECT_EQ(1, tree.InsertKeyAndValue(high, 3));
    EXPECT_EQ(1, tree.InsertKeyAndValue(low, 4));
    EXPECT_EQ(0, tree.InsertKeyAndValue(a, 5));
    RWCString found;
    uint32_t value = 0;
    ASSERT_EQ(1, tree.FindKeyAndValue(b, found, value));
    EXPECT_EQ(2u, value);
    ASSERT_EQ(4u, found.Length());
    EXPECT_EQ(0, std::memcmp(found.Data(), b, 4));
    std::vector<uint32_t> values;
    tree.ApplyInOrder([](const char*, uint32_t v, void* arg) { static_cast<std::vector<uint32_t>*>(arg)->push_back(v); },
                      &values);
    EXPECT_EQ(std::vector<uint32_t>({1, 2, 4, 3}), values);
}

TEST(RWDiskBTreeKeys, ReplacedComparisonDecidesTheOrder)
{
    RecordsFile f("compare.dbt");
    const RWDiskKeyCompare reverse = [](const char* a, const char* b, uint32_t k) { return std::strncmp(b, a, k); };
    EXPECT_EQ(&RWDiskBTree::CompareText, f.tree->SetCompare(reverse));
    Fill(*f.tree, 0, 29);
    const auto keys = InOrder(*f.tree);
    ASSERT_EQ(30u, keys.size());
    EXPECT_EQ(Key(29), keys.front().first);
    EXPECT_EQ(reverse, f.tree->SetCompare(nullptr));
    EXPECT_EQ(10u, f.tree->SetCacheSize(3));
    EXPECT_EQ(3u, f.tree->SetCacheSize(3));
}

TEST(RWDiskBTreeRemove, LastKeyOfAOneNodeTreeFreesTheNode)
{
    RecordsFile f("last.dbt");
    f.tree->InsertKeyAndValue("only", 42);
    EXPECT_EQ(816u, f.file.End());
    RWCString removed;
    uint32_t value = 0;
    ASSERT_EQ(1, f.tree->RemoveKeyAndValue("only", removed, value));
    EXPECT_EQ(42u, value);
    EXPECT_TRUE(removed == "only");
    EXPECT_EQ(kNone, f.tree->RootOffset());
    EXPECT_EQ(0u, f.tree->Entries());
    EXPECT_EQ(0u, f.tree->Height());
    // The node was the last block: the used space ends behind the info block again.
    EXPECT_EQ(324u, f.file.End());
    f.file.Flush();
    EXPECT_EQ(kNone, Word(FileBytes(f.path.str()), 284));
    EXPECT_EQ(0, f.tree->RemoveKeyAndValue("only", removed, value));
    EXPECT_EQ(kNone, value);
}

TEST(RWDiskBTreeRemove, UnderfullLeafBorrowsFromARichRightSibling)
{
    RecordsFile f("borrowright.dbt");
    Fill(*f.tree, 1, 22);
    RWCString removed;
    uint32_t value = 0;
    ASSERT_EQ(1, f.tree->RemoveKeyAndValue(Key(1).c_str(), removed, value));
    const NodeImage root = ReadNodeAt(f.file, f.tree->RootOffset());
    EXPECT_EQ(std::vector<std::string>({Key(12)}), root.keys);
    EXPECT_EQ(Keys(2, 11), ReadNodeAt(f.file, root.children[0]).keys);
    EXPECT_EQ(Keys(13, 22), ReadNodeAt(f.file, root.children[1]).keys);
    EXPECT_EQ(21u, f.tree->Entries());
}

TEST(RWDiskBTreeRemove, UnderfullLeafBorrowsFromARichLeftSibling)
{
    RecordsFile f("borrowleft.dbt");
    Fill(*f.tree, 1, 21);
    f.tree->InsertKeyAndValue(Key(0).c_str(), 0);
    RWCString removed;
    uint32_t value = 0;
    ASSERT_EQ(1, f.tree->RemoveKeyAndValue(Key(21).c_str(), removed, value));
    const NodeImage root = ReadNodeAt(f.file, f.tree->RootOffset());
    EXPECT_EQ(std::vector<std::string>({Key(10)}), root.keys);
    EXPECT_EQ(Keys(0, 9), ReadNodeAt(f.file, root.children[0]).keys);
    EXPECT_EQ(Keys(11, 20), ReadNodeAt(f.file, root.children[1]).keys);
}

TEST(RWDiskBTreeRemove, SiblingsWithNothingToSpareMergeAndTheRootGoes)
{
    RecordsFile f("merge.dbt");
    Fill(*f.tree, 1, 21);
    const NodeImage before = ReadNodeAt(f.file, f.tree->RootOffset());
    RWCString removed;
    uint32_t value = 0;
    ASSERT_EQ(1, f.tree->RemoveKeyAndValue(Key(1).c_str(), removed, value));
    EXPECT_EQ(1u, f.tree->Height());
    EXPECT_EQ(before.children[0], f.tree->RootOffset());
    const NodeImage root = ReadNodeAt(f.file, f.tree->RootOffset());
    EXPECT_EQ(Keys(2, 21), root.keys);
    EXPECT_EQ(20u, f.tree->Entries());
    // The right sibling and the old root went back to the free lists.
    const ListImage lists = ReadLists((f.file.Flush(), f.path.str()));
    std::vector<uint32_t> freed;
    for (const Extent& e : lists.extents)
        freed.push_back(e.offset + 4);
    EXPECT_NE(freed.end(), std::find(freed.begin(), freed.end(), before.children[1]));
    EXPECT_EQ(lists.end, 1308u);
}

TEST(RWDiskBTreeRemove, SeparatorKeyLeavesThroughItsSuccessor)
{
    RecordsFile f("separator.dbt");
    std::map<std::string, uint32_t> model;
    for (int i = 1; i <= 23; ++i) {
        f.tree->InsertKeyAndValue(Key(i).c_str(), i);
        model[Key(i)] = i;
    }
    RWCString removed;
    uint32_t value = 0;
    ASSERT_EQ(1, f.tree->RemoveKeyAndValue(Key(11).c_str(), removed, value));
    EXPECT_EQ(11u, value);
    EXPECT_TRUE(removed == Key(11).c_str());
    model.erase(Key(11));
    EXPECT_EQ(std::vector<std::string>({Key(12)}), ReadNodeAt(f.file, f.tree->RootOffset()).keys);
    EXPECT_EQ(Expected(model), InOrder(*f.tree));
    // The former separator can come back.
    EXPECT_EQ(0, f.tree->FindKeyAndValue(Key(11).c_str(), removed, value));
    EXPECT_EQ(1, f.tree->InsertKeyAndValue(Key(11).c_str(), 111));
    model[Key(11)] = 111;
    EXPECT_EQ(Expected(model), InOrder(*f.tree));
    ASSERT_EQ(1, f.tree->FindKeyAndValue(Key(11).c_str(), removed, value));
    EXPECT_EQ(111u, value);
}

// Removing the last key of a node leaves its old bytes behind the count: a later
// lookup or insert of that key must not take them for a present key.
TEST(RWDiskBTreeRemove, StaleSlotsBehindTheCountAreNotKeys)
{
    RecordsFile f("stale.dbt");
    f.tree->InsertKeyAndValue("a", 1);
    f.tree->InsertKeyAndValue("b", 2);
    f.tree->InsertKeyAndValue("c", 3);
    RWCString removed;
    uint32_t value = 0;
    ASSERT_EQ(1, f.tree->RemoveKeyAndValue("c", removed, value));
    EXPECT_EQ(0, f.tree->FindKeyAndValue("c", removed, value));
    EXPECT_EQ(0, f.tree->RemoveKeyAndValue("c", removed, value));
    EXPECT_EQ(1, f.tree->InsertKeyAndValue("c", 33));
    ASSERT_EQ(1, f.tree->FindKeyAndValue("c", removed, value));
    EXPECT_EQ(33u, value);
}

TEST(RWDiskBTreeRemove, RemovingEverythingInRandomOrderFreesEveryNode)
{
    RecordsFile f("all.dbt");
    std::vector<int> keys;
    for (int i = 0; i < 2000; ++i)
        keys.push_back(i);
    std::mt19937 random(77);
    std::shuffle(keys.begin(), keys.end(), random);
    for (int k : keys)
        ASSERT_EQ(1, f.tree->InsertKeyAndValue(Key(k).c_str(), k));
    EXPECT_EQ(3u, f.tree->Height());
    std::shuffle(keys.begin(), keys.end(), random);
    for (int k : keys) {
        RWCString removed;
        uint32_t value = 0;
        ASSERT_EQ(1, f.tree->RemoveKeyAndValue(Key(k).c_str(), removed, value)) << k;
        ASSERT_EQ(static_cast<uint32_t>(k), value);
    }
    EXPECT_EQ(0u, f.tree->Entries());
    EXPECT_EQ(kNone, f.tree->RootOffset());
    EXPECT_TRUE(InOrder(*f.tree).empty());
    ExpectOnlyInfoBlockInUse(f.file);
}

// With a minimum fill of one, a merge can leave an inner node without keys for a
// moment: its parent must still take it back by borrowing or merging.
TEST(RWDiskBTreeRemove, InnerNodeEmptiedByAMergeIsRepairedByItsParent)
{
    const struct {
        uint32_t n, m;
    } shapes[] = {{1, 1}, {2, 1}, {3, 1}};
    for (const auto& shape : shapes) {
        TempPath path("emptyinner.dbt");
        RWDiskFileManager file(path.c_str());
        RWDiskBTree tree(file, 10, 0, 16, 0, kNone, 0, shape.n, shape.m);
        std::vector<int> keys;
        for (int i = 0; i < 300; ++i)
            keys.push_back(i);
        std::mt19937 random(shape.n);
        std::shuffle(keys.begin(), keys.end(), random);
        std::map<std::string, uint32_t> model;
        for (int k : keys) {
            ASSERT_EQ(1, tree.InsertKeyAndValue(Key(k).c_str(), k));
            model[Key(k)] = k;
        }
        std::shuffle(keys.begin(), keys.end(), random);
        for (int k : keys) {
            RWCString removed;
            uint32_t value = 0;
            ASSERT_EQ(1, tree.RemoveKeyAndValue(Key(k).c_str(), removed, value)) << shape.n << " " << k;
            ASSERT_EQ(static_cast<uint32_t>(k), value);
            model.erase(Key(k));
            if (model.size() % 50 == 0) {
                ASSERT_EQ(Expected(model), InOrder(tree)) << shape.n;
            }
        }
        EXPECT_EQ(kNone, tree.RootOffset());
        EXPECT_EQ(0u, tree.Entries());
    }
}

TEST(RWDiskBTreeClear, FreesEveryNodeAndLeavesAnEmptyTree)
{
    RecordsFile f("clear.dbt");
    Fill(*f.tree, 0, 499);
    f.tree->Clear();
    EXPECT_EQ(0u, f.tree->Entries());
    EXPECT_EQ(0u, f.tree->Height());
    EXPECT_EQ(kNone, f.tree->RootOffset());
    f.file.Flush();
    const std::vector<uint8_t> bytes = FileBytes(f.path.str());
    EXPECT_EQ(kNone, Word(bytes, 284));
    EXPECT_EQ(0u, Word(bytes, 284 + 12));
    ExpectOnlyInfoBlockInUse(f.file);
    EXPECT_EQ(1, f.tree->InsertKeyAndValue(Key(1).c_str(), 1));
    EXPECT_EQ(1u, f.tree->Entries());
}

TEST(RWDiskBTreeReopen, ReopeningForUpdateKeepsContentsAndCount)
{
    TempPath path("reopen.dbt");
    std::map<std::string, uint32_t> model;
    {
        RWDiskFileManager file(path.c_str());
        EXPECT_STREQ("wb+", file.Mode());
        auto tree = RecordsTree(file);
        for (int i = 0; i < 500; ++i) {
            tree->InsertKeyAndValue(Key(i * 3).c_str(), i);
            model[Key(i * 3)] = i;
        }
    }
    {
        RWDiskFileManager file(path.c_str());
        EXPECT_STREQ("rb+", file.Mode());
        auto tree = RecordsTree(file);
        EXPECT_EQ(284u, tree->InfoOffset());
        EXPECT_EQ(500u, tree->Entries());
        EXPECT_EQ(Expected(model), InOrder(*tree));
        for (int i = 0; i < 100; ++i) {
            tree->InsertKeyAndValue(Key(i * 3 + 1).c_str(), i);
            model[Key(i * 3 + 1)] = i;
        }
        for (int i = 0; i < 50; ++i) {
            RWCString removed;
            uint32_t value;
            tree->RemoveKeyAndValue(Key(i * 6).c_str(), removed, value);
            model.erase(Key(i * 6));
        }
    }
    RWDiskFileManager file(path.c_str());
    auto tree = RecordsTree(file);
    EXPECT_EQ(550u, tree->Entries());
    EXPECT_EQ(Expected(model), InOrder(*tree));
}

TEST(RWDiskBTreeReopen, ReadOnlyFileIsReadButNeverWritten)
{
    TempPath path("readonly.dbt");
    WriteRecordsFile(path.str(), 40);
    const std::vector<uint8_t> before = FileBytes(path.str());
    {
        RWDiskFileManager file(path.c_str(), "rb");
        auto tree = RecordsTree(file);
        ASSERT_TRUE(tree->IsValid());
        EXPECT_EQ(40u, tree->Entries());
        RWCString found;
        uint32_t value = 0;
        EXPECT_EQ(1, tree->FindKeyAndValue(Key(33).c_str(), found, value));
        EXPECT_EQ(33u, value);
        RWErrorCapture capture;
        EXPECT_EQ(0, tree->InsertKeyAndValue("new", 1));
        EXPECT_FALSE(capture.Empty());
        capture.Clear();
        EXPECT_EQ(1, tree->FindKeyAndValue(Key(3).c_str(), found, value));
        EXPECT_TRUE(capture.Empty());
    }
    EXPECT_EQ(before, FileBytes(path.str()));
}

TEST(RWDiskBTreeShortForm, KeepsOnlyTheRootInTheStartBlock)
{
    TempPath path("short.dbt");
    {
        RWDiskFileManager file(path.c_str());
        RWDiskBTree tree(file, 10, 0, 16, 0, kNone, 1, 10, 10);
        ASSERT_TRUE(tree.IsValid());
        EXPECT_EQ(kNone, tree.InfoOffset());
        EXPECT_EQ(284u, file.Start());
        EXPECT_EQ(kNone, tree.GetInfo().version);
        Fill(tree, 0, 99);
        file.Flush();
        EXPECT_EQ(tree.RootOffset(), Word(FileBytes(path.str()), 284));
    }
    RWDiskFileManager file(path.c_str());
    RWDiskBTree tree(file, 10, 0, 16, 0, kNone, 1, 10, 10);
    EXPECT_EQ(100u, tree.Entries());
    EXPECT_EQ(0u, tree.GetInfo().version);
    RWCString removed;
    uint32_t value = 0;
    ASSERT_EQ(1, tree.RemoveKeyAndValue(Key(50).c_str(), removed, value));
    EXPECT_EQ(99u, tree.Entries());
    // A full-form open of a short-form file falls back to the short form.
    RWDiskBTree again(file, 10, 0, 16, 0, kNone, 0, 10, 10);
    EXPECT_EQ(kNone, again.InfoOffset());
    EXPECT_EQ(99u, again.Entries());
}

TEST(RWDiskBTreeShortForm, ClearSetsTheCountKnownAtZero)
{
    TempPath path("shortclear.dbt");
    RWDiskFileManager file(path.c_str());
    RWDiskBTree tree(file, 10, 0, 16, 0, kNone, 1, 10, 10);
    Fill(tree, 0, 29);
    tree.Clear();
    EXPECT_EQ(0u, tree.GetInfo().version);
    EXPECT_EQ(0u, tree.Entries());
    file.Flush();
    EXPECT_EQ(kNone, Word(FileBytes(path.str()), 284));
}

TEST(RWDiskBTreeDamage, InfoBlockForOtherNodesIsRefused)
{
    const struct {
        size_t offset;
        uint32_t value;
        const char* message;
    } cases[] = {
        {284 + 16, 32, "[MAGIC] Bad magic number: 32 (should be 16)"},
        {284 + 20, 1000000, "[MAGIC] Bad magic number: 1000000 (should be 10)"},
        {284 + 24, 0, "[MAGIC] Bad magic number: 0 (should be 10)"},
        {284 + 24, 11, "[MAGIC] Bad magic number: 11 (should be 10)"},
        {284, 0x12345678, "[LONGINDEX] Long index (305419896) out of range [0->816]"},
        {284, 330, "[LONGINDEX] Long index (330) out of range [0->816]"},
    };
    for (const auto& c : cases) {
        TempPath path("badinfo.dbt");
        {
            RWDiskFileManager file(path.c_str());
            RecordsTree(file)->InsertKeyAndValue("k", 1);
        }
        PatchWord(path.str(), c.offset, c.value);
        const std::vector<uint8_t> before = FileBytes(path.str());
        {
            RWDiskFileManager file(path.c_str());
            RWErrorCapture capture;
            auto tree = RecordsTree(file);
            EXPECT_FALSE(tree->IsValid());
            EXPECT_EQ(c.message, capture.Last());
            RWCString found;
            uint32_t value = 0;
            EXPECT_EQ(0, tree->FindKeyAndValue("k", found, value));
            EXPECT_EQ(0, tree->InsertKeyAndValue("j", 2));
            EXPECT_EQ(0, tree->RemoveKeyAndValue("k", found, value));
            tree->Clear();
            tree->ApplyInOrder(Collect, nullptr);
            EXPECT_EQ(0u, tree->Height());
        }
        // A tree that could not be opened leaves the file as it was.
        EXPECT_EQ(before, FileBytes(path.str()));
    }
}

TEST(RWDiskBTreeDamage, NodeCountAboveTwiceTheOrderIsRefused)
{
    TempPath path("count.dbt");
    PatchWord(path.str(), WriteRecordsFile(path.str(), 40).children.back(), 0x10000000);
    RWDiskFileManager file(path.c_str());
    auto tree = RecordsTree(file);
    ASSERT_TRUE(tree->IsValid());
    RWErrorCapture capture;
    RWCString found;
    uint32_t value = 0;
    EXPECT_EQ(0, tree->FindKeyAndValue(Key(39).c_str(), found, value));
    EXPECT_EQ("[LONGINDEX] Long index (268435456) out of range [0->20]", capture.Last());
    EXPECT_EQ(0, tree->InsertKeyAndValue(Key(99).c_str(), 99));
    EXPECT_EQ(0, tree->RemoveKeyAndValue(Key(39).c_str(), found, value));
    EXPECT_EQ(1, tree->FindKeyAndValue(Key(0).c_str(), found, value));
    EXPECT_EQ(3u, capture.Count());
}

TEST(RWDiskBTreeDamage, ChildOffsetsOutsideTheFileAreRefused)
{
    const uint32_t children[] = {0, 3, 330, 0x7FFFFFF0u, 0xFFFFFFF0u};
    for (uint32_t child : children) {
        TempPath path("child.dbt");
        PatchWord(path.str(), WriteRecordsFile(path.str(), 40).offset + 4, child);
        RWDiskFileManager file(path.c_str());
        RWErrorCapture capture;
        auto tree = RecordsTree(file);
        EXPECT_FALSE(tree->IsValid()) << child;
        EXPECT_EQ(1u, capture.Count()) << child;
    }
}

TEST(RWDiskBTreeDamage, CyclesEndInAnErrorNotAHang)
{
    TempPath path("cycle.dbt");
    const NodeImage root = WriteRecordsFile(path.str(), 40);
    // Every child of the first leaf points back at the root.
    for (uint32_t i = 0; i <= 20; ++i)
        PatchWord(path.str(), root.children[0] + 4 + 4 * i, root.offset);
    RWDiskFileManager file(path.c_str());
    auto tree = RecordsTree(file);
    ASSERT_TRUE(tree->IsValid());
    RWErrorCapture capture;
    RWCString found;
    uint32_t value = 0;
    EXPECT_EQ(0, tree->FindKeyAndValue("", found, value));
    EXPECT_EQ(0, tree->InsertKeyAndValue("", 1));
    EXPECT_EQ(0, tree->RemoveKeyAndValue("", found, value));
    tree->ApplyInOrder([](const char*, uint32_t, void*) {}, nullptr);
    tree->Height();
    EXPECT_EQ(5u, capture.Count());
    for (const std::string& message : capture.Messages())
        EXPECT_EQ(0u, message.find("[LONGINDEX]")) << message;
}

TEST(RWDiskBTreeDamage, TruncatedNodeGivesAReadError)
{
    TempPath path("truncated.dbt");
    WriteRecordsFile(path.str(), 40);
    std::vector<uint8_t> bytes = FileBytes(path.str());
    bytes.resize(bytes.size() - 200);
    WriteFileBytes(path.str(), bytes);
    RWDiskFileManager file(path.c_str());
    RWErrorCapture capture;
    auto tree = RecordsTree(file);
    RWCString found;
    uint32_t value = 0;
    for (int i = 0; i < 40; ++i)
        tree->FindKeyAndValue(Key(i).c_str(), found, value);
    EXPECT_FALSE(capture.Empty());
    EXPECT_EQ("[READERR] Read error", capture.Last());
    EXPECT_TRUE(capture.LastIs<RWFileError>());
}

TEST(RWDiskBTreeDamage, UnusableFileMakesAnUnusableTree)
{
    RWDiskFileManager file(TempPath("nowhere\\t.dbt").c_str(), "rb+");
    auto tree = RecordsTree(file);
    EXPECT_FALSE(tree->IsValid());
    EXPECT_EQ(0, tree->InsertKeyAndValue("k", 1));
    EXPECT_EQ(0u, tree->Entries());
}

TEST(RWDiskBTreeDamage, NodeSizesBeyondReasonAreRefused)
{
    TempPath path("params.dbt");
    RWDiskFileManager file(path.c_str());
    RWErrorCapture capture;
    RWDiskBTree zero(file, 10, 0, 0, 0, kNone, 0, 10, 10);
    EXPECT_FALSE(zero.IsValid());
    RWDiskBTree huge(file, 10, 0, 0x10000000u, 0, kNone, 0, 0x10000000u, 10);
    EXPECT_FALSE(huge.IsValid());
    EXPECT_EQ(2u, capture.Count());
    EXPECT_EQ(kNone, file.Start());
}

// Thousands of random inserts, removes and lookups against std::map, with small and
// records-store orders, reopening the file now and then.
TEST(RWDiskBTreeSoak, RandomWorkMatchesAMap)
{
    const struct {
        uint32_t n, m, buffers;
    } shapes[] = {{2, 2, 3}, {3, 1, 0}, {10, 10, 10}};
    for (const auto& shape : shapes) {
        TempPath path("soak.dbt");
        std::mt19937 random(shape.n * 1000 + shape.m);
        std::map<std::string, uint32_t> model;
        std::unique_ptr<RWDiskFileManager> file(new RWDiskFileManager(path.c_str()));
        std::unique_ptr<RWDiskBTree> tree(new RWDiskBTree(*file, shape.buffers, 0, 16, 0, kNone, 0, shape.n, shape.m));
        for (int step = 0; step < 6000; ++step) {
            if (step % 1500 == 1499) {
                tree.reset();
                file.reset();
                file.reset(new RWDiskFileManager(path.c_str()));
                tree.reset(new RWDiskBTree(*file, shape.buffers, 0, 16, 0, kNone, 0, shape.n, shape.m));
                ASSERT_EQ(model.size(), tree->Entries());
            }
            const std::string key = Key(static_cast<int>(random() % 1500));
            const uint32_t op = random() % 10;
            RWCString text;
            uint32_t value = 0;
            if (op < 5) {
                const bool absent = model.find(key) == model.end();
                ASSERT_EQ(absent ? 1 : 0, tree->InsertKeyAndValue(key.c_str(), step)) << step;
                if (absent)
                    model[key] = step;
            } else if (op < 8) {
                const auto it = model.find(key);
                ASSERT_EQ(it != model.end() ? 1 : 0, tree->RemoveKeyAndValue(key.c_str(), text, value)) << step;
                if (it != model.end()) {
                    ASSERT_EQ(it->second, value);
                    ASSERT_TRUE(text == key.c_str());
                    model.erase(it);
                }
            } else {
                const auto it = model.find(key);
                ASSERT_EQ(it != model.end() ? 1 : 0, tree->FindKeyAndValue(key.c_str(), text, value)) << step;
                ASSERT_EQ(it != model.end() ? it->second : kNone, value);
            }
        }
        EXPECT_EQ(model.size(), tree->Entries());
        EXPECT_EQ(Expected(model), InOrder(*tree));
    }
}
