#include "foundation/RWBTreeIterator.h"

RWBTreeIterator::RWBTreeIterator(const RWBTree& tree) : tree_(&tree) {}

void RWBTreeIterator::Reset()
{
    path_.clear();
    started_ = false;
}

void RWBTreeIterator::DescendLeft(const RWBTreeNode* node)
{
    for (; node; node = node->children[0])
        path_.push_back({node, 0});
}

RWCollectable* RWBTreeIterator::Key() const
{
    return path_.empty() ? nullptr : path_.back().node->items[path_.back().index];
}

RWCollectable* RWBTreeIterator::Next()
{
    if (!started_) {
        started_ = true;
        DescendLeft(tree_->root_);
    } else if (!path_.empty()) {
        // Past the current item: its right subtree comes next, then the item after it.
        Step& at = path_.back();
        const RWBTreeNode* right = at.node->children[++at.index];
        DescendLeft(right);
    }
    // Climb out of nodes whose items are all visited.
    while (!path_.empty() && path_.back().index >= path_.back().node->count)
        path_.pop_back();
    return Key();
}

RWCollectable* RWBTreeIterator::FindNext(const RWCollectable* obj)
{
    while (RWCollectable* member = Next())
        if (RWCollectableIsEqual(member, obj))
            return member;
    return nullptr;
}
