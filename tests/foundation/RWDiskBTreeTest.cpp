#include "foundation/RWDiskBTree.h"

#include "foundation/RWCString.h"
#include "foundation/RWErrorHandler.h"

#include "DiskFileImage.h"
#include "TempPath.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

using namespace disktest;

namespace {

constexpr uint32_t kNone = RWDiskBTree::kNone;

typedef std::map<std::string, uint32_t> Model;
typedef std::vector<std::pair<std::string, uint32_t>> Pairs;

// A tree with text keys of 16 and nodes of N to 2N keys; by default the records
// store's: nodes of 10 to 20 keys and 10 cache buffers.
std::unique_ptr<RWDiskBTree> TextTree(RWDiskFileManager& file, uint32_t n = 10, uint32_t m = 10, uint32_t buffers = 10,
                                      int style = 0)
{
    return std::unique_ptr<RWDiskBTree>(new RWDiskBTree(file, buffers, 0, 16, 0, kNone, style, n, m));
}

// A new records file and its tree.
struct RecordsFile {
    explicit RecordsFile(const char* leaf) : path(leaf), file(path.c_str()), tree(TextTree(file)) {}
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

std::vector<std::string> Keys(int from, int to)
{
    std::vector<std::string> keys;
    for (int i = from; i <= to; ++i)
        keys.push_back(Key(i));
    return keys;
}

// Inserts Key(i) with value i for i from first to last, noting each in the model.
void Fill(RWDiskBTree& tree, int first, int last, int step = 1, Model* model = nullptr)
{
    for (int i = first; i <= last; i += step) {
        tree.InsertKeyAndValue(Key(i).c_str(), static_cast<uint32_t>(i));
        if (model)
            (*model)[Key(i)] = static_cast<uint32_t>(i);
    }
}

Pairs InOrder(RWDiskBTree& tree)
{
    Pairs out;
    tree.ApplyInOrder(
        [](const char* key, uint32_t value, void* arg) { static_cast<Pairs*>(arg)->emplace_back(key, value); }, &out);
    return out;
}

Pairs Expected(const Model& model) { return Pairs(model.begin(), model.end()); }

// What a lookup or a removal answers: its result, the value and the key text handed back.
struct Answer {
    int result;
    uint32_t value;
    std::string text;
    bool operator==(const Answer& o) const { return result == o.result && value == o.value && text == o.text; }
};

std::ostream& operator<<(std::ostream& os, const Answer& a)
{
    return os << a.result << " " << a.value << " \"" << a.text << "\"";
}

Answer Hit(uint32_t value, const std::string& text) { return {1, value, text}; }
const Answer kMiss = {0, kNone, ""};

Answer Find(RWDiskBTree& tree, const std::string& key)
{
    RWCString text;
    uint32_t value = 5;
    const int result = tree.FindKeyAndValue(key.c_str(), text, value);
    return {result, value, std::string(text.Data(), text.Length())};
}

Answer Remove(RWDiskBTree& tree, const std::string& key)
{
    RWCString text;
    uint32_t value = 5;
    const int result = tree.RemoveKeyAndValue(key.c_str(), text, value);
    return {result, value, std::string(text.Data(), text.Length())};
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

NodeImage Root(RecordsFile& f) { return ReadNodeAt(f.file, f.tree->RootOffset()); }

// Writes a records file holding Key(0) to Key(keys - 1) and answers its root node.
NodeImage WriteRecordsFile(const std::string& path, int keys)
{
    RWDiskFileManager file(path.c_str());
    auto tree = TextTree(file);
    Fill(*tree, 0, keys - 1);
    return ReadNodeAt(file, tree->RootOffset());
}

// Nothing but the tree's info block is in use: every node went back to the lists.
void ExpectOnlyInfoBlockInUse(RWDiskFileManager& file)
{
    file.Flush();
    EXPECT_EQ("", UnaccountedSpace(ReadLists(file.GetName()), {{280, 44}}));
}

} // namespace

// A new records file holds its info block as the first block; the first insert makes a
// one-key root in a block of 492 bytes behind it.
TEST(RWDiskBTreeLayout, NewRecordsFileHasItsInfoBlockFirstThenAOneKeyRoot)
{
    RecordsFile f("info.dbt");
    ASSERT_TRUE(f.tree->IsValid());
    EXPECT_EQ(284u, f.tree->InfoOffset());
    EXPECT_EQ(284u, f.file.Start());
    EXPECT_EQ(488u, f.tree->NodeSize());
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

    EXPECT_EQ(1, f.tree->InsertKeyAndValue("IndexOfRecords", 7));
    EXPECT_EQ(328u, f.tree->RootOffset());
    uint32_t length = 0;
    f.file.ReadAt(324, &length, 4);
    EXPECT_EQ(492u, length);
    const NodeImage root = ReadNodeAt(f.file, 328);
    EXPECT_EQ(std::vector<uint32_t>({kNone, kNone}), root.children);
    EXPECT_EQ(std::vector<std::string>({"IndexOfRecords"}), root.keys);
    // The new root reached the info block at once; the count follows at the next write.
    EXPECT_EQ(328u, Word(FileBytes(f.path.str()), 284));
    EXPECT_EQ(1u, f.tree->Entries());
    EXPECT_EQ(1u, f.tree->Height());
}

// A full root leaf of the even keys 0 to 38, then a 21st key placed before, at, after
// and behind the middle: in every case the old root keeps the lowest ten keys, the new
// node the highest ten and the new root the middle one.
TEST(RWDiskBTreeInsert, TwentyFirstKeySplitsTheRootInEachCase)
{
    for (int extra : {5, 19, 31, 40}) {
        TempPath path("split.dbt");
        RWDiskFileManager file(path.c_str());
        auto tree = TextTree(file);
        Model model;
        Fill(*tree, 0, 38, 2, &model);
        ASSERT_EQ(1u, tree->Height());
        const uint32_t oldRoot = tree->RootOffset();
        Fill(*tree, extra, extra, 1, &model);
        EXPECT_EQ(2u, tree->Height());
        EXPECT_EQ(21u, tree->Entries());
        std::vector<std::string> sorted;
        for (const auto& entry : model)
            sorted.push_back(entry.first);
        const NodeImage root = ReadNodeAt(file, tree->RootOffset());
        ASSERT_EQ(1u, root.count) << extra;
        EXPECT_EQ(sorted[10], root.keys[0]) << extra;
        EXPECT_EQ(oldRoot, root.children[0]) << extra;
        EXPECT_EQ(std::vector<std::string>(sorted.begin(), sorted.begin() + 10), ReadNodeAt(file, oldRoot).keys);
        EXPECT_EQ(std::vector<std::string>(sorted.begin() + 11, sorted.end()), ReadNodeAt(file, root.children[1]).keys);
        EXPECT_EQ(Expected(model), InOrder(*tree)) << extra;
    }
}

TEST(RWDiskBTreeInsert, PresentKeyIsRefusedAndAbsentKeysAreNotFound)
{
    RecordsFile f("dup.dbt");
    EXPECT_EQ(kMiss, Find(*f.tree, "nothing"));
    Fill(*f.tree, 0, 98, 2);
    const uint32_t end = f.file.End();
    EXPECT_EQ(0, f.tree->InsertKeyAndValue(Key(18).c_str(), 999));
    EXPECT_EQ(50u, f.tree->Entries());
    EXPECT_EQ(end, f.file.End());
    EXPECT_EQ(Hit(18, Key(18)), Find(*f.tree, Key(18)));
    for (const std::string& key : {Key(51), std::string("zzz"), std::string()})
        EXPECT_EQ(kMiss, Find(*f.tree, key)) << key;
    RWCString text;
    uint32_t value = 0;
    EXPECT_EQ(0, f.tree->FindKeyAndValue(nullptr, text, value));
    EXPECT_EQ(0, f.tree->InsertKeyAndValue(nullptr, 1));
}

// Text keys compare over their first 16 characters, fixed keys as raw bytes unsigned,
// and a replaced comparison decides the order; the walk hands back terminated copies.
TEST(RWDiskBTreeKeys, TheComparisonDecidesWhatIsPresentAndTheOrder)
{
    const RWDiskKeyCompare reverse = [](const char* a, const char* b, uint32_t k) { return std::strncmp(b, a, k); };
    const std::string a("a\0b\0", 4), b("a\0c\0", 4), high("\x80\0\0\0", 4), low("\x7F\0\0\0", 4);
    const struct {
        uint32_t keyLength;
        int fixed;
        RWDiskKeyCompare compare;
        std::vector<std::pair<std::string, int>> inserts; // key, then 1 if taken
        Pairs order;
    } cases[] = {
        {16, 0, nullptr,
         {{"ab", 1}, {std::string("ab\0\0\0\0", 6), 0}, {"abcdefghijklmnopqrst", 1}, {"abcdefghijklmnop-other", 0}},
         {{"ab", 0}, {"abcdefghijklmnop", 2}}},
        {4, 1, nullptr, {{a, 1}, {b, 1}, {high, 1}, {low, 1}, {a, 0}}, {{"a", 0}, {"a", 1}, {"\x7F", 3}, {"\x80", 2}}},
        {16, 0, reverse, {{"a", 1}, {"c", 1}, {"b", 1}}, {{"c", 1}, {"b", 2}, {"a", 0}}},
    };
    for (const auto& c : cases) {
        TempPath path("keys.dbt");
        RWDiskFileManager file(path.c_str());
        RWDiskBTree tree(file, 10, 0, c.keyLength, c.fixed, kNone, 0, 2, 2);
        if (c.compare) {
            EXPECT_EQ(&RWDiskBTree::CompareText, tree.SetCompare(c.compare));
        }
        for (size_t i = 0; i < c.inserts.size(); ++i)
            EXPECT_EQ(c.inserts[i].second, tree.InsertKeyAndValue(c.inserts[i].first.c_str(), uint32_t(i)))
                << c.keyLength << " " << i;
        EXPECT_EQ(c.order, InOrder(tree)) << c.keyLength;
        const std::string& last = c.inserts[c.order.back().second].first;
        EXPECT_EQ(Hit(c.order.back().second, last.substr(0, c.keyLength)), Find(tree, last)) << c.keyLength;
    }
}

TEST(RWDiskBTreeRemove, LastKeyOfAOneNodeTreeFreesTheNode)
{
    RecordsFile f("last.dbt");
    f.tree->InsertKeyAndValue("only", 42);
    EXPECT_EQ(816u, f.file.End());
    EXPECT_EQ(Hit(42, "only"), Remove(*f.tree, "only"));
    EXPECT_EQ(kNone, f.tree->RootOffset());
    EXPECT_EQ(0u, f.tree->Entries());
    EXPECT_EQ(0u, f.tree->Height());
    // The node was the last block: the used space ends behind the info block again.
    EXPECT_EQ(324u, f.file.End());
    f.file.Flush();
    EXPECT_EQ(kNone, Word(FileBytes(f.path.str()), 284));
    EXPECT_EQ(kMiss, Remove(*f.tree, "only"));
}

// Two leaves under a one-key root; removing from the poorer one takes one key from a
// sibling that has more than ten, through the separator.
TEST(RWDiskBTreeRemove, UnderfullLeafBorrowsFromARichSibling)
{
    const struct {
        int last, extra, removed, separator, leftFrom, leftTo, rightFrom, rightTo;
    } cases[] = {
        {22, -1, 1, 12, 2, 11, 13, 22}, // from the right sibling
        {21, 0, 21, 10, 0, 9, 11, 20},  // from the left sibling
    };
    for (const auto& c : cases) {
        RecordsFile f("borrow.dbt");
        Fill(*f.tree, 1, c.last);
        if (c.extra >= 0)
            Fill(*f.tree, c.extra, c.extra);
        ASSERT_EQ(Hit(c.removed, Key(c.removed)), Remove(*f.tree, Key(c.removed)));
        const NodeImage root = Root(f);
        EXPECT_EQ(std::vector<std::string>({Key(c.separator)}), root.keys);
        EXPECT_EQ(Keys(c.leftFrom, c.leftTo), ReadNodeAt(f.file, root.children[0]).keys);
        EXPECT_EQ(Keys(c.rightFrom, c.rightTo), ReadNodeAt(f.file, root.children[1]).keys);
        EXPECT_EQ(21u, f.tree->Entries());
    }
}

TEST(RWDiskBTreeRemove, SiblingsWithNothingToSpareMergeAndTheRootGoes)
{
    RecordsFile f("merge.dbt");
    Fill(*f.tree, 1, 21);
    const NodeImage before = Root(f);
    ASSERT_EQ(1, Remove(*f.tree, Key(1)).result);
    EXPECT_EQ(1u, f.tree->Height());
    EXPECT_EQ(before.children[0], f.tree->RootOffset());
    EXPECT_EQ(Keys(2, 21), Root(f).keys);
    EXPECT_EQ(20u, f.tree->Entries());
    // The right sibling and the old root went back to the free lists.
    const ListImage lists = ReadLists((f.file.Flush(), f.path.str()));
    EXPECT_NE(lists.extents.end(), std::find_if(lists.extents.begin(), lists.extents.end(), [&](const Extent& e) {
                  return e.offset + 4 == before.children[1];
              }));
    EXPECT_EQ(lists.end, 1308u);
}

// The separator is exchanged with its successor in a leaf before it leaves, and a key
// that was a separator can come back.
TEST(RWDiskBTreeRemove, SeparatorKeyLeavesThroughItsSuccessorAndCanComeBack)
{
    RecordsFile f("separator.dbt");
    Model model;
    Fill(*f.tree, 1, 23, 1, &model);
    EXPECT_EQ(Hit(11, Key(11)), Remove(*f.tree, Key(11)));
    model.erase(Key(11));
    EXPECT_EQ(std::vector<std::string>({Key(12)}), Root(f).keys);
    EXPECT_EQ(Expected(model), InOrder(*f.tree));
    EXPECT_EQ(kMiss, Find(*f.tree, Key(11)));
    EXPECT_EQ(1, f.tree->InsertKeyAndValue(Key(11).c_str(), 111));
    model[Key(11)] = 111;
    EXPECT_EQ(Expected(model), InOrder(*f.tree));
    EXPECT_EQ(Hit(111, Key(11)), Find(*f.tree, Key(11)));
}

// Removing the last key of a node leaves its old bytes behind the count: a later
// lookup or insert of that key must not take them for a present key.
TEST(RWDiskBTreeRemove, StaleSlotsBehindTheCountAreNotKeys)
{
    RecordsFile f("stale.dbt");
    for (const char* key : {"a", "b", "c"})
        f.tree->InsertKeyAndValue(key, 3);
    ASSERT_EQ(Hit(3, "c"), Remove(*f.tree, "c"));
    EXPECT_EQ(kMiss, Find(*f.tree, "c"));
    EXPECT_EQ(kMiss, Remove(*f.tree, "c"));
    EXPECT_EQ(1, f.tree->InsertKeyAndValue("c", 33));
    EXPECT_EQ(Hit(33, "c"), Find(*f.tree, "c"));
}

// Every key inserted and then removed in random order: every underflow is repaired
// and every node block is freed. With a minimum fill of one, a merge can leave an inner
// node without keys for a moment: its parent must still take it back by borrowing or
// merging.
TEST(RWDiskBTreeRemove, RemovingEverythingInRandomOrderFreesEveryNode)
{
    const struct {
        uint32_t n, m, seed;
        int keys;
        uint32_t height;
    } shapes[] = {{10, 10, 77, 2000, 3}, {1, 1, 1, 300, 0}, {2, 1, 2, 300, 0}, {3, 1, 3, 300, 0}};
    for (const auto& shape : shapes) {
        TempPath path("all.dbt");
        RWDiskFileManager file(path.c_str());
        auto tree = TextTree(file, shape.n, shape.m);
        std::vector<int> keys;
        for (int i = 0; i < shape.keys; ++i)
            keys.push_back(i);
        std::mt19937 random(shape.seed);
        std::shuffle(keys.begin(), keys.end(), random);
        Model model;
        for (int k : keys)
            Fill(*tree, k, k, 1, &model);
        ASSERT_EQ(model.size(), tree->Entries());
        if (shape.height) {
            EXPECT_EQ(shape.height, tree->Height());
        }
        std::shuffle(keys.begin(), keys.end(), random);
        for (int k : keys) {
            ASSERT_EQ(Hit(k, Key(k)), Remove(*tree, Key(k))) << shape.n << " " << k;
            model.erase(Key(k));
            if (model.size() % 50 == 0) {
                ASSERT_EQ(Expected(model), InOrder(*tree)) << shape.n;
            }
        }
        EXPECT_EQ(0u, tree->Entries());
        EXPECT_EQ(kNone, tree->RootOffset());
        ExpectOnlyInfoBlockInUse(file);
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

// An existing file is opened "rb+": the entry count must still reach the file.
TEST(RWDiskBTreeReopen, ReopeningForUpdateKeepsContentsAndCount)
{
    TempPath path("reopen.dbt");
    Model model;
    {
        RWDiskFileManager file(path.c_str());
        EXPECT_STREQ("wb+", file.Mode());
        Fill(*TextTree(file), 0, 1497, 3, &model);
    }
    {
        RWDiskFileManager file(path.c_str());
        EXPECT_STREQ("rb+", file.Mode());
        auto tree = TextTree(file);
        EXPECT_EQ(284u, tree->InfoOffset());
        EXPECT_EQ(500u, tree->Entries());
        EXPECT_EQ(Expected(model), InOrder(*tree));
        Fill(*tree, 1, 298, 3, &model);
        for (int i = 0; i < 300; i += 6) {
            Remove(*tree, Key(i));
            model.erase(Key(i));
        }
    }
    RWDiskFileManager file(path.c_str());
    auto tree = TextTree(file);
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
        auto tree = TextTree(file);
        ASSERT_TRUE(tree->IsValid());
        EXPECT_EQ(40u, tree->Entries());
        EXPECT_EQ(Hit(33, Key(33)), Find(*tree, Key(33)));
        TestErrorCapture capture;
        EXPECT_EQ(0, tree->InsertKeyAndValue("new", 1));
        EXPECT_FALSE(capture.Empty());
        capture.Clear();
        EXPECT_EQ(Hit(3, Key(3)), Find(*tree, Key(3)));
        EXPECT_TRUE(capture.Empty());
    }
    EXPECT_EQ(before, FileBytes(path.str()));
}

TEST(RWDiskBTreeShortForm, KeepsOnlyTheRootInTheStartBlock)
{
    TempPath path("short.dbt");
    {
        RWDiskFileManager file(path.c_str());
        auto tree = TextTree(file, 10, 10, 10, 1);
        ASSERT_TRUE(tree->IsValid());
        EXPECT_EQ(kNone, tree->InfoOffset());
        EXPECT_EQ(284u, file.Start());
        EXPECT_EQ(kNone, tree->GetInfo().version);
        Fill(*tree, 0, 99);
        file.Flush();
        EXPECT_EQ(tree->RootOffset(), Word(FileBytes(path.str()), 284));
    }
    RWDiskFileManager file(path.c_str());
    {
        auto tree = TextTree(file, 10, 10, 10, 1);
        // The count is known once the keys were walked.
        EXPECT_EQ(100u, tree->Entries());
        EXPECT_EQ(0u, tree->GetInfo().version);
        ASSERT_EQ(1, Remove(*tree, Key(50)).result);
        EXPECT_EQ(99u, tree->Entries());
        // A full-form open of a short-form file falls back to the short form.
        auto again = TextTree(file);
        EXPECT_EQ(kNone, again->InfoOffset());
        EXPECT_EQ(99u, again->Entries());
    }
    // Clearing a tree whose count was never walked makes it known at zero.
    auto tree = TextTree(file, 10, 10, 10, 1);
    EXPECT_EQ(kNone, tree->GetInfo().version);
    tree->Clear();
    EXPECT_EQ(0u, tree->GetInfo().version);
    EXPECT_EQ(0u, tree->Entries());
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
            TextTree(file)->InsertKeyAndValue("k", 1);
        }
        PatchWord(path.str(), c.offset, c.value);
        const std::vector<uint8_t> before = FileBytes(path.str());
        {
            RWDiskFileManager file(path.c_str());
            TestErrorCapture capture;
            auto tree = TextTree(file);
            EXPECT_FALSE(tree->IsValid());
            EXPECT_EQ(c.message, capture.Last());
            EXPECT_EQ(0, Find(*tree, "k").result);
            EXPECT_EQ(0, tree->InsertKeyAndValue("j", 2));
            EXPECT_EQ(0, Remove(*tree, "k").result);
            tree->Clear();
            EXPECT_TRUE(InOrder(*tree).empty());
            EXPECT_EQ(0u, tree->Height());
        }
        // A tree that could not be opened leaves the file as it was.
        EXPECT_EQ(before, FileBytes(path.str()));
    }
}

TEST(RWDiskBTreeDamage, ChildOffsetsOutsideTheFileAreRefused)
{
    for (uint32_t child : {0u, 3u, 330u, 0x7FFFFFF0u, 0xFFFFFFF0u}) {
        TempPath path("child.dbt");
        PatchWord(path.str(), WriteRecordsFile(path.str(), 40).offset + 4, child);
        RWDiskFileManager file(path.c_str());
        TestErrorCapture capture;
        auto tree = TextTree(file);
        EXPECT_FALSE(tree->IsValid()) << child;
        EXPECT_EQ(1u, capture.Count()) << child;
    }
}

// A records file of 40 keys damaged in one node: a count far above 20 in the last leaf,
// every child of the first leaf pointing back at the root, or the last node cut short.
// Every operation that reaches the damage fails with an error, never a crash or a hang,
// and the undamaged part of the tree still answers.
TEST(RWDiskBTreeDamage, DamagedNodesGiveAnErrorNotACrashOrAHang)
{
    enum Damage { kCount, kCycle, kCut };
    const struct {
        Damage damage;
        const char* first;
        size_t errors;
    } cases[] = {
        {kCount, "[LONGINDEX] Long index (268435456) out of range [0->20]", 4},
        {kCycle, "[LONGINDEX]", 5},
        {kCut, "[READERR] Read error", 4},
    };
    for (const auto& c : cases) {
        TempPath path("damaged.dbt");
        const NodeImage root = WriteRecordsFile(path.str(), 40);
        std::vector<Patch> patches;
        if (c.damage == kCount)
            patches.push_back({root.children.back(), 0x10000000});
        for (uint32_t i = 0; c.damage == kCycle && i <= 20; ++i)
            patches.push_back({root.children[0] + 4 + 4 * i, root.offset});
        PatchWords(path.str(), patches);
        std::vector<uint8_t> bytes = FileBytes(path.str());
        if (c.damage == kCut)
            bytes.resize(bytes.size() - 200);
        WriteFileBytes(path.str(), bytes);
        RWDiskFileManager file(path.c_str());
        auto tree = TextTree(file);
        ASSERT_TRUE(tree->IsValid());
        TestErrorCapture capture;
        const std::string probe = c.damage == kCycle ? "" : Key(39);
        EXPECT_EQ(0, Find(*tree, probe).result) << c.damage;
        EXPECT_EQ(0, tree->InsertKeyAndValue(probe.c_str(), 1)) << c.damage;
        EXPECT_EQ(0, Remove(*tree, probe).result) << c.damage;
        if (c.damage != kCycle) {
            EXPECT_EQ(Hit(0, Key(0)), Find(*tree, Key(0))) << c.damage;
        }
        InOrder(*tree);
        tree->Height();
        ASSERT_EQ(c.errors, capture.Count()) << c.damage;
        EXPECT_EQ(c.first, capture.Messages()[0].substr(0, std::strlen(c.first))) << c.damage;
        for (const std::string& message : capture.Messages())
            EXPECT_EQ(capture.Messages()[0].substr(0, 4), message.substr(0, 4)) << message;
    }
}

// A file that could not be opened, or node sizes no file can hold, make a tree that
// refuses every operation and allocates nothing.
TEST(RWDiskBTreeDamage, UnusableFileOrNodeSizeMakesAnUnusableTree)
{
    {
        RWDiskFileManager file(TempPath("nowhere\\t.dbt").c_str(), "rb+");
        auto tree = TextTree(file);
        EXPECT_FALSE(tree->IsValid());
        EXPECT_EQ(0, tree->InsertKeyAndValue("k", 1));
        EXPECT_EQ(0u, tree->Entries());
    }
    TempPath path("params.dbt");
    RWDiskFileManager file(path.c_str());
    TestErrorCapture capture;
    EXPECT_FALSE(RWDiskBTree(file, 10, 0, 0, 0, kNone, 0, 10, 10).IsValid());
    EXPECT_FALSE(RWDiskBTree(file, 10, 0, 0x10000000u, 0, kNone, 0, 0x10000000u, 10).IsValid());
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
        Model model;
        std::unique_ptr<RWDiskFileManager> file(new RWDiskFileManager(path.c_str()));
        std::unique_ptr<RWDiskBTree> tree = TextTree(*file, shape.n, shape.m, shape.buffers);
        for (int step = 0; step < 6000; ++step) {
            if (step % 1500 == 1499) {
                tree.reset();
                file.reset();
                file.reset(new RWDiskFileManager(path.c_str()));
                tree = TextTree(*file, shape.n, shape.m, shape.buffers);
                ASSERT_EQ(model.size(), tree->Entries());
            }
            const std::string key = Key(static_cast<int>(random() % 1500));
            const uint32_t op = random() % 10;
            const auto it = model.find(key);
            const Answer present = it != model.end() ? Hit(it->second, key) : kMiss;
            if (op < 5) {
                ASSERT_EQ(present.result ? 0 : 1, tree->InsertKeyAndValue(key.c_str(), step)) << step;
                if (!present.result)
                    model[key] = step;
            } else if (op < 8) {
                ASSERT_EQ(present, Remove(*tree, key)) << step;
                if (present.result)
                    model.erase(it);
            } else {
                ASSERT_EQ(present, Find(*tree, key)) << step;
            }
        }
        EXPECT_EQ(model.size(), tree->Entries());
        EXPECT_EQ(Expected(model), InOrder(*tree));
    }
}
