// Walks an RWBTree in ascending order. The iterator keeps its path down the tree, so
// any insertion or removal in the tree invalidates it until the next Reset.
#pragma once

#include "foundation/RWBTree.h"
#include "foundation/RWIterator.h"

#include <vector>

class RWBTreeIterator : public RWIterator {
public:
    explicit RWBTreeIterator(const RWBTree& tree);

    // Advances to the next member equal to obj (the member's IsEqual).
    RWCollectable* FindNext(const RWCollectable* obj) override;
    RWCollectable* Key() const override;
    RWCollectable* Next() override;
    void Reset() override;

private:
    struct Step {
        const RWBTreeNode* node;
        uint32_t index; // the item the walk is on, or is to reach next, in node
    };

    void DescendLeft(const RWBTreeNode* node);

    const RWBTree* tree_;
    std::vector<Step> path_;
    bool started_ = false;
};
