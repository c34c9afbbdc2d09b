#include "foundation/RWBTree.h"

#include "foundation/RWFactory.h"

#include <algorithm>

namespace {

const RWClassRegistration<RWBTree> g_treeRegistration("RWBTree");

const uint32_t kMax = RWBTreeNode::kMaxItems;
const uint32_t kMin = RWBTreeNode::kMinItems;

uint32_t MinimumOf(bool isRoot) { return isRoot ? 1 : kMin; }

// Through the virtual Insert, so that a subclass's rules on what it accepts hold.
void InsertMemberInto(RWCollectable* member, void* tree) { static_cast<RWBTree*>(tree)->Insert(member); }

} // namespace

RWBTree::RWBTree(const RWBTree& other) : RWCollection(other)
{
    other.Apply(InsertMemberInto, this);
}

RWBTree& RWBTree::operator=(const RWBTree& other)
{
    if (this != &other) {
        Clear();
        other.Apply(InsertMemberInto, this);
    }
    return *this;
}

RWBTree::~RWBTree() { FreeNodes(); }

RWCollectable* RWBTree::CreateNew() const { return new RWBTree; }
RWCollectable* RWBTree::Copy() const { return new RWBTree(*this); }
RWClassID RWBTree::ClassId() const { return kClassId; }

bool RWBTree::IsEqual(const RWCollectable* other) const
{
    if (!other || other->ClassId() != kClassId)
        return false;
    const RWBTree* tree = dynamic_cast<const RWBTree*>(other);
    if (!tree || tree->Entries() != Entries())
        return false;
    struct Check {
        const RWBTree* other;
        bool equal;
    } check = {tree, true};
    Apply(
        [](RWCollectable* m, void* arg) {
            Check* c = static_cast<Check*>(arg);
            if (c->equal && !c->other->Contains(m))
                c->equal = false;
        },
        &check);
    return check.equal;
}

void RWBTree::Apply(RWApplyCollectable fn, void* arg) const { ApplySubtree(root_, fn, arg); }

void RWBTree::ApplySubtree(const RWBTreeNode* node, RWApplyCollectable fn, void* arg)
{
    if (!node)
        return;
    for (uint32_t i = 0; i < node->count; ++i) {
        ApplySubtree(node->children[i], fn, arg);
        fn(node->items[i], arg);
    }
    ApplySubtree(node->children[node->count], fn, arg);
}

void RWBTree::Clear() { FreeNodes(); }

void RWBTree::FreeNodes()
{
    FreeSubtree(root_);
    root_ = nullptr;
    entries_ = 0;
}

void RWBTree::FreeSubtree(RWBTreeNode* node)
{
    if (!node)
        return;
    for (uint32_t i = 0; i <= node->count; ++i)
        FreeSubtree(node->children[i]);
    delete node;
}

RWCollectable* RWBTree::Find(const RWCollectable* obj) const { return FindMember(obj); }
RWCollectable* RWBTree::Insert(RWCollectable* obj) { return InsertMember(obj); }
size_t RWBTree::OccurrencesOf(const RWCollectable* obj) const { return FindMember(obj) ? 1 : 0; }
RWCollectable* RWBTree::Remove(const RWCollectable* obj) { return RemoveMember(obj); }

unsigned RWBTree::Height() const
{
    unsigned height = 0;
    for (const RWBTreeNode* node = root_; node; node = node->children[0])
        ++height;
    return height;
}

// The first item of node that is not below probe; count when all are below.
uint32_t RWBTree::LowerBound(const RWBTreeNode* node, const RWCollectable* probe)
{
    const uint32_t count = node->count;
    if (count == 0 || node->items[0]->CompareTo(probe) >= 0)
        return 0;
    if (node->items[count - 1]->CompareTo(probe) < 0)
        return count;
    uint32_t lo = 0;
    uint32_t hi = count - 1;
    while (hi - lo >= 2) {
        const uint32_t mid = (lo + hi) / 2;
        if (node->items[mid]->CompareTo(probe) < 0)
            lo = mid;
        else
            hi = mid;
    }
    return hi;
}

RWCollectable* RWBTree::FindMember(const RWCollectable* probe) const
{
    if (!probe)
        return nullptr;
    for (const RWBTreeNode* node = root_; node;) {
        const uint32_t i = LowerBound(node, probe);
        if (i < node->count && node->items[i]->CompareTo(probe) == 0)
            return node->items[i];
        node = node->children[i];
    }
    return nullptr;
}

RWCollectable* RWBTree::InsertMember(RWCollectable* obj)
{
    if (!obj)
        return nullptr;
    RWCollectable* carry = nullptr;
    RWBTreeNode* right = nullptr;
    switch (InsertBelow(root_, obj, carry, right)) {
    case kNotFoundOrExists:
        return carry;
    case kUnderflowOrSplit: {
        RWBTreeNode* top = new RWBTreeNode();
        top->count = 1;
        top->items[0] = carry;
        top->children[0] = root_;
        top->children[1] = right;
        root_ = top;
        break;
    }
    case kDone:
        break;
    }
    ++entries_;
    return obj;
}

RWBTree::Outcome RWBTree::InsertBelow(RWBTreeNode* node, RWCollectable* obj, RWCollectable*& carry,
                                      RWBTreeNode*& right)
{
    if (!node) {
        carry = obj;
        right = nullptr;
        return kUnderflowOrSplit;
    }
    const uint32_t i = LowerBound(node, obj);
    if (i < node->count && node->items[i]->CompareTo(obj) == 0) {
        carry = node->items[i];
        return kNotFoundOrExists;
    }
    const Outcome below = InsertBelow(node->children[i], obj, carry, right);
    if (below != kUnderflowOrSplit)
        return below;

    if (node->count < kMax) {
        std::copy_backward(node->items + i, node->items + node->count, node->items + node->count + 1);
        std::copy_backward(node->children + i + 1, node->children + node->count + 1,
                           node->children + node->count + 2);
        node->items[i] = carry;
        node->children[i + 1] = right;
        ++node->count;
        return kDone;
    }

    // Full: lay out the 101 items and 102 children with the new ones in place, keep
    // the lower half here, pass the median up and move the upper half to a new node.
    RWCollectable* items[kMax + 1];
    RWBTreeNode* children[kMax + 2];
    std::copy(node->items, node->items + i, items);
    items[i] = carry;
    std::copy(node->items + i, node->items + kMax, items + i + 1);
    std::copy(node->children, node->children + i + 1, children);
    children[i + 1] = right;
    std::copy(node->children + i + 1, node->children + kMax + 1, children + i + 2);

    RWBTreeNode* upper = new RWBTreeNode();
    std::fill(node->items, node->items + kMax, nullptr);
    std::fill(node->children, node->children + kMax + 1, nullptr);
    std::copy(items, items + kMin, node->items);
    std::copy(children, children + kMin + 1, node->children);
    node->count = kMin;
    std::copy(items + kMin + 1, items + kMax + 1, upper->items);
    std::copy(children + kMin + 1, children + kMax + 2, upper->children);
    upper->count = kMax - kMin;

    carry = items[kMin];
    right = upper;
    return kUnderflowOrSplit;
}

RWCollectable* RWBTree::RemoveMember(const RWCollectable* probe)
{
    if (!probe || !root_)
        return nullptr;
    RWCollectable* removed = nullptr;
    const Outcome outcome = RemoveBelow(root_, probe, true, removed);
    if (outcome == kNotFoundOrExists)
        return nullptr;
    if (outcome == kUnderflowOrSplit) {
        // The root ran empty: its only child, if any, takes its place.
        RWBTreeNode* old = root_;
        root_ = old->children[0];
        delete old;
    }
    return removed;
}

RWBTree::Outcome RWBTree::RemoveBelow(RWBTreeNode* node, const RWCollectable* probe, bool isRoot,
                                      RWCollectable*& removed)
{
    if (!node)
        return kNotFoundOrExists;
    const uint32_t i = LowerBound(node, probe);
    if (node->IsLeaf()) {
        if (i == node->count || node->items[i]->CompareTo(probe) > 0)
            return kNotFoundOrExists;
        removed = node->items[i];
        std::copy(node->items + i + 1, node->items + node->count, node->items + i);
        node->items[--node->count] = nullptr;
        --entries_;
        return node->count >= MinimumOf(isRoot) ? kDone : kUnderflowOrSplit;
    }
    if (i < node->count && node->items[i]->CompareTo(probe) == 0) {
        // Trade places with the greatest item below child i, so that the member is
        // removed from a leaf; the order of the subtree still holds.
        RWBTreeNode* leaf = node->children[i];
        while (!leaf->IsLeaf())
            leaf = leaf->children[leaf->count];
        std::swap(node->items[i], leaf->items[leaf->count - 1]);
    }
    const Outcome below = RemoveBelow(node->children[i], probe, false, removed);
    if (below != kUnderflowOrSplit)
        return below;
    Rebalance(node, i);
    return node->count >= MinimumOf(isRoot) ? kDone : kUnderflowOrSplit;
}

void RWBTree::Rebalance(RWBTreeNode* node, uint32_t i)
{
    RWBTreeNode* child = node->children[i];
    if (i == node->count) {
        // The last child: its left sibling lends its greatest item through the
        // separator, or the two merge.
        RWBTreeNode* left = node->children[i - 1];
        if (left->count <= kMin) {
            Merge(node, i - 1);
            return;
        }
        std::copy_backward(child->items, child->items + child->count, child->items + child->count + 1);
        std::copy_backward(child->children, child->children + child->count + 1,
                           child->children + child->count + 2);
        child->items[0] = node->items[i - 1];
        child->children[0] = left->children[left->count];
        ++child->count;
        node->items[i - 1] = left->items[left->count - 1];
        left->children[left->count] = nullptr;
        left->items[--left->count] = nullptr;
        return;
    }
    // The right sibling lends its least item through the separator, or the two merge.
    RWBTreeNode* right = node->children[i + 1];
    if (right->count <= kMin) {
        Merge(node, i);
        return;
    }
    child->items[child->count] = node->items[i];
    child->children[child->count + 1] = right->children[0];
    ++child->count;
    node->items[i] = right->items[0];
    std::copy(right->items + 1, right->items + right->count, right->items);
    std::copy(right->children + 1, right->children + right->count + 1, right->children);
    right->children[right->count] = nullptr;
    right->items[--right->count] = nullptr;
}

void RWBTree::Merge(RWBTreeNode* node, uint32_t k)
{
    RWBTreeNode* left = node->children[k];
    RWBTreeNode* right = node->children[k + 1];
    left->items[left->count] = node->items[k];
    std::copy(right->items, right->items + right->count, left->items + left->count + 1);
    std::copy(right->children, right->children + right->count + 1, left->children + left->count + 1);
    left->count += 1 + right->count;
    delete right;

    std::copy(node->items + k + 1, node->items + node->count, node->items + k);
    std::copy(node->children + k + 2, node->children + node->count + 1, node->children + k + 1);
    node->children[node->count] = nullptr;
    node->items[--node->count] = nullptr;
}

namespace {

struct ConsistencyWalk {
    uint32_t members = 0;
    int leafDepth = -1;

    bool Check(const RWBTreeNode* node, int depth, bool isRoot, const RWCollectable* below,
               const RWCollectable* above)
    {
        if (node->count < MinimumOf(isRoot) || node->count > kMax)
            return false;
        const bool leaf = node->IsLeaf();
        if (leaf) {
            if (leafDepth < 0)
                leafDepth = depth;
            if (depth != leafDepth)
                return false;
        }
        members += node->count;
        for (uint32_t i = 0; i < node->count; ++i) {
            const RWCollectable* item = node->items[i];
            if (!item)
                return false;
            const RWCollectable* before = i > 0 ? node->items[i - 1] : below;
            if (before && before->CompareTo(item) >= 0)
                return false;
        }
        if (above && node->items[node->count - 1]->CompareTo(above) >= 0)
            return false;
        for (uint32_t i = 0; i <= node->count; ++i) {
            const RWBTreeNode* child = node->children[i];
            if (leaf != (child == nullptr))
                return false;
            if (child && !Check(child, depth + 1, false, i > 0 ? node->items[i - 1] : below,
                                i < node->count ? node->items[i] : above))
                return false;
        }
        return true;
    }
};

} // namespace

bool RWBTree::IsConsistent() const
{
    if (!root_)
        return entries_ == 0;
    ConsistencyWalk walk;
    return walk.Check(root_, 0, true, nullptr, nullptr) && walk.members == entries_;
}
