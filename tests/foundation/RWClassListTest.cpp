// A read under a closed list of classes: the stored class id decides before anything is
// made, at the root and inside, and the scope ends with the read.
#include "TestGraphs.h"

#include "foundation/RWBinaryInStream.h"
#include "foundation/RWBinaryOutStream.h"
#include "foundation/RWClassList.h"
#include "foundation/RWFactory.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

// Counts the objects the factory makes.
struct CountedLeaf : Leaf {
    static constexpr RWClassID kClassId = 0x7C31;
    static inline int made = 0;
    CountedLeaf() { ++made; }
    RWClassID ClassId() const override { return kClassId; }
};
const RWClassRegistration<CountedLeaf> g_countedLeafRegistration("TestCountedLeaf");

std::string Saved(const RWCollectable* root)
{
    std::stringbuf buffer;
    {
        RWBinaryOutStream stream(&buffer);
        stream << root;
    }
    return buffer.str();
}

RWCollectable* Read(const std::string& bytes)
{
    std::stringbuf buffer(bytes);
    RWBinaryInStream stream(&buffer);
    RWCollectable* read = nullptr;
    stream >> read;
    return read;
}

const RWClassList kNodesOnly = {GraphNode::kClassId};
const RWClassList kNodesAndLeaves = {GraphNode::kClassId, CountedLeaf::kClassId};

} // namespace

TEST(RWClassList, HoldsItsIdsSortedOnce)
{
    const RWClassList list = {9, 3, 9, 5};
    EXPECT_EQ((std::vector<RWClassID>{3, 5, 9}), list.Ids());
    EXPECT_TRUE(list.Holds(5));
    EXPECT_FALSE(list.Holds(4));
}

TEST(RWClassList, AnUnlistedClassIsRefusedBeforeItIsMadeAtAnyDepth)
{
    const struct {
        const char* what;
        int depth;
    } rows[] = {{"root", 0}, {"one down", 1}, {"three down", 3}};
    for (const auto& row : rows) {
        RWCollectable* leaf = new CountedLeaf;
        RWCollectable* root = leaf;
        for (int i = 0; i < row.depth; ++i)
            root = new GraphNode(i, root, nullptr);
        const std::string bytes = Saved(root);
        DeleteGraph(root);
        const int before = CountedLeaf::made;
        {
            TestErrorCapture capture;
            RWClassListScope scope(kNodesOnly);
            EXPECT_EQ(nullptr, Read(bytes)) << row.what;
            EXPECT_FALSE(capture.Empty()) << row.what;
        }
        EXPECT_EQ(before, CountedLeaf::made) << "never made: " << row.what;
        RWCollectable* again = nullptr;
        {
            RWClassListScope scope(kNodesAndLeaves);
            again = Read(bytes);
        }
        EXPECT_NE(nullptr, again) << "a listed class is read: " << row.what;
        DeleteGraph(again);
    }
}

TEST(RWClassList, TheInnerScopeRulesAndTheOuterComesBack)
{
    EXPECT_EQ(nullptr, RWClassList::Current());
    {
        RWClassListScope outer(kNodesAndLeaves);
        EXPECT_EQ(&kNodesAndLeaves, RWClassList::Current());
        {
            RWClassListScope inner(kNodesOnly);
            EXPECT_EQ(&kNodesOnly, RWClassList::Current());
        }
        EXPECT_EQ(&kNodesAndLeaves, RWClassList::Current());
    }
    EXPECT_EQ(nullptr, RWClassList::Current());
    RWCollectable* leaf = new CountedLeaf;
    const std::string bytes = Saved(leaf);
    delete leaf;
    RWCollectable* read = Read(bytes);
    EXPECT_NE(nullptr, read) << "no scope, no list";
    delete read;
}
