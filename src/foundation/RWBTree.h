// A sorted collection of collectables held in an in-memory B-tree, ordered by the
// members' CompareTo. The tree never holds two equal members: a probe equal to a
// member stands for that member. Members are never owned; a null member is refused.
#pragma once

#include "foundation/RWCollection.h"

#include <cstdint>

// One node of the tree. Items are in ascending order; child i holds the items between
// item i-1 and item i. In a leaf every child is null. A new node is zero-filled.
struct RWBTreeNode {
    static constexpr uint32_t kMaxItems = 100;
    // Every node but the root holds at least this many items.
    static constexpr uint32_t kMinItems = 50;

    uint32_t count;
    RWCollectable* items[kMaxItems];
    RWBTreeNode* children[kMaxItems + 1];

    bool IsLeaf() const { return children[0] == nullptr; }
};

class RWBTree : public RWCollection {
public:
    static constexpr RWClassID kClassId = 0x8003;
    static bool KindOfClass(RWClassID kind) { return kind == kClassId || RWCollection::KindOfClass(kind); }

    RWBTree() {}
    // Both trees share the members.
    RWBTree(const RWBTree& other);
    // Clears this tree, then inserts every member of other.
    RWBTree& operator=(const RWBTree& other);
    // Frees the nodes only.
    ~RWBTree() override;

    RWCollectable* CreateNew() const override;
    RWCollectable* Copy() const override;
    RWClassID ClassId() const override;
    // True when other is a tree of this very class with as many members, each of which
    // it contains.
    bool IsEqual(const RWCollectable* other) const override;

    // In ascending order.
    void Apply(RWApplyCollectable fn, void* arg) const override;
    // Frees every node; the members are untouched.
    void Clear() override;
    size_t Entries() const override { return entries_; }
    RWCollectable* Find(const RWCollectable* obj) const override;
    // The member equal to obj when there is one (nothing changes), else obj, now
    // inserted; null for a null obj.
    RWCollectable* Insert(RWCollectable* obj) override;
    bool IsEmpty() const override { return root_ == nullptr; }
    // 1 or 0.
    size_t OccurrencesOf(const RWCollectable* obj) const override;
    RWCollectable* Remove(const RWCollectable* obj) override;

    // The number of levels, 0 when empty.
    unsigned Height() const;

    // True when the tree keeps its structural rules: fill bounds of every node,
    // strictly ascending members, every leaf at one depth, entries counted right.
    // For tests and diagnostics; it walks the whole tree.
    bool IsConsistent() const;

protected:
    // The tree steps themselves, which subclasses that redefine the collection
    // operations still build on.
    RWCollectable* FindMember(const RWCollectable* probe) const;
    RWCollectable* InsertMember(RWCollectable* obj);
    RWCollectable* RemoveMember(const RWCollectable* probe);
    // Frees the nodes; members untouched.
    void FreeNodes();

private:
    friend class RWBTreeIterator;

    enum Outcome { kUnderflowOrSplit = 0, kDone = 1, kNotFoundOrExists = 2 };

    static uint32_t LowerBound(const RWBTreeNode* node, const RWCollectable* probe);
    static void FreeSubtree(RWBTreeNode* node);
    static void ApplySubtree(const RWBTreeNode* node, RWApplyCollectable fn, void* arg);

    // Insert below node: kDone, kNotFoundOrExists with the equal member in carry, or
    // kUnderflowOrSplit with the item and right node to place in the parent.
    Outcome InsertBelow(RWBTreeNode* node, RWCollectable* obj, RWCollectable*& carry, RWBTreeNode*& right);
    // Remove below node: kDone, kNotFoundOrExists, or kUnderflowOrSplit when node fell
    // below its minimum.
    Outcome RemoveBelow(RWBTreeNode* node, const RWCollectable* probe, bool isRoot, RWCollectable*& removed);
    // Child i of node holds one item too few: borrow from a sibling or merge.
    static void Rebalance(RWBTreeNode* node, uint32_t i);
    // Merges child k, item k and child k+1 of node into child k.
    static void Merge(RWBTreeNode* node, uint32_t k);

    RWBTreeNode* root_ = nullptr;
    uint32_t entries_ = 0;
};
