#include "foundation/RWDiskBTree.h"

#include "foundation/RWCString.h"
#include "foundation/RWDiskCache.h"
#include "foundation/RWErrorHandler.h"

#include <cstring>
#include <vector>

static_assert(sizeof(RWDiskBTree::Info) == 40, "info block layout");

namespace {

constexpr uint32_t kNone = RWDiskBTree::kNone;

// A key's bytes: on the stack for the short keys of the records store, else on the heap.
class KeyBuffer {
public:
    explicit KeyBuffer(uint32_t length) : data_(small_)
    {
        if (length > sizeof small_) {
            large_.resize(length);
            data_ = large_.data();
        }
    }
    KeyBuffer(const KeyBuffer&) = delete;
    KeyBuffer& operator=(const KeyBuffer&) = delete;
    char* data() { return data_; }

private:
    char small_[64] = {};
    std::vector<char> large_;
    char* data_;
};
// Largest node the tree accepts: far above any sensible order and key length, and small
// enough that no offset computation inside a node can wrap.
constexpr uint64_t kMaxNodeSize = 1u << 20;

uint64_t NodeSizeFor(uint32_t halfOrder, uint32_t keyLength)
{
    return 16ull * halfOrder + 8 + 2ull * halfOrder * keyLength;
}

void RaiseOutOfRange(uint32_t value, uint32_t limit)
{
    RWRaiseExternal(RWMessageLongIndex(), static_cast<unsigned long>(value), static_cast<unsigned long>(limit));
}

void RaiseMismatch(uint32_t stored, uint32_t expected)
{
    RWRaiseExternal(RWMessageBadMagic(), static_cast<long>(stored), static_cast<long>(expected));
}

bool IsWritableMode(const char* mode) { return mode[0] == 'w' || mode[0] == 'a' || std::strchr(mode, '+'); }

} // namespace

// One node's stored image: count, 2N + 1 children, 2N values, 2N keys of K bytes.
class RWDiskBTreeNode {
public:
    RWDiskBTreeNode(uint32_t halfOrder, uint32_t keyLength)
        : offset(kNone), n_(halfOrder), k_(keyLength), bytes_(NodeSizeFor(halfOrder, keyLength))
    {
        Reset();
    }

    void Reset()
    {
        std::memset(bytes_.data(), 0, bytes_.size());
        for (uint32_t i = 0; i <= 2 * n_; ++i)
            SetChild(i, kNone);
    }

    char* Data() { return bytes_.data(); }
    const char* Data() const { return bytes_.data(); }

    uint32_t Count() const { return Word(0); }
    void SetCount(uint32_t count) { SetWord(0, count); }
    uint32_t Child(uint32_t i) const { return Word(ChildAt(i)); }
    void SetChild(uint32_t i, uint32_t child) { SetWord(ChildAt(i), child); }
    uint32_t Value(uint32_t i) const { return Word(ValueAt(i)); }
    void SetValue(uint32_t i, uint32_t value) { SetWord(ValueAt(i), value); }
    char* Key(uint32_t i) { return bytes_.data() + KeyAt(i); }
    const char* Key(uint32_t i) const { return bytes_.data() + KeyAt(i); }
    bool IsLeaf() const { return Child(0) == kNone; }

    void SetPair(uint32_t i, const char* key, uint32_t value)
    {
        std::memmove(Key(i), key, k_);
        SetValue(i, value);
    }

    // Places a pair at i with its right child at i + 1; later pairs and children move up.
    void InsertAt(uint32_t i, const char* key, uint32_t value, uint32_t right)
    {
        const uint32_t count = Count();
        MovePairs(i, i + 1, count - i);
        MoveChildren(i + 1, i + 2, count - i);
        SetPair(i, key, value);
        SetChild(i + 1, right);
        SetCount(count + 1);
    }

    // Places a pair in front with a new first child; everything else moves up.
    void InsertFront(const char* key, uint32_t value, uint32_t left)
    {
        const uint32_t count = Count();
        MovePairs(0, 1, count);
        MoveChildren(0, 1, count + 1);
        SetPair(0, key, value);
        SetChild(0, left);
        SetCount(count + 1);
    }

    // Removes the pair at i and its right child; later ones move down.
    void RemoveAt(uint32_t i)
    {
        const uint32_t count = Count();
        MovePairs(i + 1, i, count - i - 1);
        MoveChildren(i + 2, i + 1, count - i - 1);
        SetChild(count, kNone);
        SetCount(count - 1);
    }

    // Removes the first pair and the first child.
    void RemoveFront()
    {
        const uint32_t count = Count();
        MovePairs(1, 0, count - 1);
        MoveChildren(1, 0, count);
        SetChild(count, kNone);
        SetCount(count - 1);
    }

    // Data offset of the block the node lives in.
    uint32_t offset;

private:
    size_t ChildAt(uint32_t i) const { return 4 + 4 * static_cast<size_t>(i); }
    size_t ValueAt(uint32_t i) const { return 8 * static_cast<size_t>(n_) + 8 + 4 * static_cast<size_t>(i); }
    size_t KeyAt(uint32_t i) const { return 16 * static_cast<size_t>(n_) + 8 + static_cast<size_t>(k_) * i; }

    uint32_t Word(size_t at) const
    {
        uint32_t v;
        std::memcpy(&v, bytes_.data() + at, 4);
        return v;
    }
    void SetWord(size_t at, uint32_t v) { std::memcpy(bytes_.data() + at, &v, 4); }

    void MovePairs(uint32_t from, uint32_t to, uint32_t n)
    {
        std::memmove(Key(to), Key(from), static_cast<size_t>(n) * k_);
        std::memmove(bytes_.data() + ValueAt(to), bytes_.data() + ValueAt(from), 4 * static_cast<size_t>(n));
    }
    void MoveChildren(uint32_t from, uint32_t to, uint32_t n)
    {
        std::memmove(bytes_.data() + ChildAt(to), bytes_.data() + ChildAt(from), 4 * static_cast<size_t>(n));
    }

    uint32_t n_;
    uint32_t k_;
    std::vector<char> bytes_;
};

// An item on its way up after a split: a key, its value and its right child.
struct RWDiskBTree::Pending {
    std::vector<char> key;
    uint32_t value = 0;
    uint32_t right = kNone;
};

// A walk over the whole tree: what it does at each node and how many nodes it may see.
struct RWDiskBTree::Walk {
    enum class Kind { Count, InOrder, Free } kind;
    uint32_t budget;
    uint32_t count;
    RWDiskBTreeApply fn;
    void* arg;
    std::vector<char> key;
};

RWDiskBTree::RWDiskBTree(RWDiskFileManager& file, uint32_t buffers, int createMode, uint32_t keyLength,
                         int ignoreNull, uint32_t infoOffset, int style, uint32_t halfOrder, uint32_t minFill)
    : file_(file), compare_(CompareText), buffers_(buffers), infoOffset_(kNone), nodeSize_(0), info_(), usable_(false)
{
    info_.keyLength = keyLength;
    info_.halfOrder = halfOrder;
    usable_ = Open(buffers, createMode, ignoreNull, infoOffset, style, minFill);
}

RWDiskBTree::~RWDiskBTree()
{
    if (usable_ && IsWritableMode(file_.Mode()))
        WriteInfo();
    root_.reset();
    cache_.reset();
}

int RWDiskBTree::CompareText(const char* a, const char* b, uint32_t length) { return std::strncmp(a, b, length); }

int RWDiskBTree::CompareBytes(const char* a, const char* b, uint32_t length) { return std::memcmp(a, b, length); }

void RWDiskBTree::InitInfo(uint32_t version, int ignoreNull, uint32_t minFill)
{
    const uint32_t keyLength = info_.keyLength, halfOrder = info_.halfOrder;
    info_ = Info();
    info_.root = kNone;
    info_.reserved1 = kNone;
    info_.version = version;
    info_.entries = 0;
    info_.keyLength = keyLength;
    info_.halfOrder = halfOrder;
    // A node below one key could not lend its first pair to the removal of a separator.
    info_.minFill = minFill < halfOrder ? (minFill == 0 ? 1 : minFill) : halfOrder;
    info_.reserved2 = kNone;
    info_.reserved3 = 0;
    info_.flags = ignoreNull ? kFixedKeys : 0;
}

bool RWDiskBTree::Open(uint32_t buffers, int createMode, int ignoreNull, uint32_t infoOffset, int style,
                       uint32_t minFill)
{
    const uint64_t nodeSize = NodeSizeFor(info_.halfOrder, info_.keyLength);
    if (info_.keyLength == 0 || info_.halfOrder == 0 || nodeSize > kMaxNodeSize) {
        const uint64_t shown = info_.keyLength == 0 || info_.halfOrder == 0 ? 0 : nodeSize;
        RWRaiseBounds(RWMessageLongIndex(), static_cast<unsigned long>(shown > 0xFFFFFFFFu ? 0xFFFFFFFFu : shown),
                      static_cast<unsigned long>(kMaxNodeSize));
        return false;
    }
    nodeSize_ = static_cast<uint32_t>(nodeSize);
    InitInfo(kVersion, ignoreNull, minFill);
    if (!file_.IsValid() || !file_.HasFreeList())
        return false;
    const Info wanted = info_;

    if (style == 1) {
        if (!OpenShortForm(ignoreNull, minFill))
            return false;
    } else {
        infoOffset_ = infoOffset;
        if (infoOffset_ == kNone) {
            if (createMode != 1)
                infoOffset_ = file_.Start();
            if (createMode == 1 || infoOffset_ == kNone) {
                infoOffset_ = file_.Allocate(sizeof(Info));
                if (infoOffset_ == kNone || !WriteInfo())
                    return false;
            }
        }
        // A start block too small for the full form can only hold a short-form root.
        if (file_.IsPlausibleBlock(infoOffset_, sizeof(Info))) {
            if (!ReadInfo())
                return false;
        } else {
            info_.version = kNone;
        }
        if (info_.version != kVersion) {
            info_ = wanted;
            if (!OpenShortForm(ignoreNull, minFill))
                return false;
        } else if (!CheckInfo(wanted)) {
            return false;
        }
    }
    if (info_.root != kNone && !file_.IsPlausibleBlock(info_.root, nodeSize_)) {
        RaiseOutOfRange(info_.root, file_.End());
        return false;
    }
    ChooseCompare();
    cache_.reset(new RWDiskCache(file_, nodeSize_, buffers));
    root_.reset(new RWDiskBTreeNode(info_.halfOrder, info_.keyLength));
    return info_.root == kNone || ReadNode(info_.root, *root_, 0);
}

// The short form: the root word in the start block, made when the file has no start.
bool RWDiskBTree::OpenShortForm(int ignoreNull, uint32_t minFill)
{
    infoOffset_ = kNone;
    InitInfo(kNone, ignoreNull, minFill);
    if (file_.Start() == kNone) {
        const uint32_t block = file_.Allocate(4);
        if (block == kNone || !file_.WriteAt(block, &info_.root, 4))
            return false;
    }
    return file_.ReadAt(file_.Start(), &info_.root, 4);
}

bool RWDiskBTree::ReadInfo() { return file_.ReadAt(infoOffset_, &info_, sizeof(Info)); }

bool RWDiskBTree::WriteInfo()
{
    if (infoOffset_ == kNone)
        return file_.WriteAt(file_.Start(), &info_.root, 4);
    return file_.WriteAt(infoOffset_, &info_, sizeof(Info));
}

// A stored info block must describe the nodes this tree was built for, with a minimum
// fill that merging can honour.
bool RWDiskBTree::CheckInfo(const Info& wanted) const
{
    if (info_.keyLength != wanted.keyLength) {
        RaiseMismatch(info_.keyLength, wanted.keyLength);
        return false;
    }
    if (info_.halfOrder != wanted.halfOrder) {
        RaiseMismatch(info_.halfOrder, wanted.halfOrder);
        return false;
    }
    if (info_.minFill == 0 || info_.minFill > info_.halfOrder) {
        RaiseMismatch(info_.minFill, wanted.minFill);
        return false;
    }
    return true;
}

void RWDiskBTree::ChooseCompare()
{
    compare_ = (info_.flags & kFixedKeys) && infoOffset_ != kNone ? CompareBytes : CompareText;
}

RWDiskKeyCompare RWDiskBTree::SetCompare(RWDiskKeyCompare fn)
{
    const RWDiskKeyCompare previous = compare_;
    if (fn)
        compare_ = fn;
    else
        ChooseCompare();
    return previous;
}

uint32_t RWDiskBTree::SetCacheSize(uint32_t n)
{
    const uint32_t previous = buffers_;
    if (n == buffers_)
        return previous;
    buffers_ = n;
    if (cache_)
        cache_.reset(new RWDiskCache(file_, nodeSize_, n));
    return previous;
}

uint64_t RWDiskBTree::NodeFileReads() const { return cache_ ? cache_->FileReads() : 0; }

// After a failed step the root image may be ahead of the file: read it again.
bool RWDiskBTree::Resync()
{
    root_->Reset();
    root_->offset = kNone;
    if (info_.root == kNone)
        return true;
    cache_->Forget();
    return ReadNode(info_.root, *root_, 0);
}

uint32_t RWDiskBTree::MaxNodes() const
{
    const uint32_t end = file_.End(), first = file_.FirstBlock();
    return end > first ? (end - first) / (nodeSize_ + 4) + 1 : 1;
}

// Every inner node of a sound tree has two children or more, so a tree of h levels
// has 2^h - 1 nodes or more: deeper than that is a cycle or damage.
uint32_t RWDiskBTree::MaxDepth() const
{
    uint32_t bits = 0;
    for (uint32_t n = MaxNodes(); n != 0; n >>= 1)
        ++bits;
    return bits + 1;
}

void RWDiskBTree::MakeProbe(const char* key, char* probe) const
{
    if (info_.flags & kFixedKeys)
        std::memcpy(probe, key, info_.keyLength);
    else
        std::strncpy(probe, key, info_.keyLength);
}

void RWDiskBTree::KeyText(const char* stored, RWCString& out) const
{
    size_t length = info_.keyLength;
    if (!(info_.flags & kFixedKeys)) {
        const void* nul = std::memchr(stored, 0, length);
        if (nul)
            length = static_cast<size_t>(static_cast<const char*>(nul) - stored);
    }
    out = RWCString(stored, length);
}

// The first position whose key is not below the probe.
uint32_t RWDiskBTree::LowerBound(const RWDiskBTreeNode& node, const char* probe) const
{
    const uint32_t count = node.Count();
    const uint32_t k = info_.keyLength;
    if (count == 0 || compare_(node.Key(0), probe, k) >= 0)
        return 0;
    if (compare_(node.Key(count - 1), probe, k) < 0)
        return count;
    uint32_t lo = 0, hi = count - 1;
    while (hi - lo >= 2) {
        const uint32_t mid = (lo + hi) / 2;
        if (compare_(node.Key(mid), probe, k) >= 0)
            hi = mid;
        else
            lo = mid;
    }
    return hi;
}

// Reads a node and checks what the rest of the tree relies on: a count within 2N, and
// either no children (a leaf) or count + 1 children that can be nodes of this file.
bool RWDiskBTree::ReadNode(uint32_t offset, RWDiskBTreeNode& node, uint32_t depth, bool emptied)
{
    const uint32_t maxDepth = MaxDepth();
    if (depth > maxDepth) {
        RaiseOutOfRange(depth, maxDepth);
        return false;
    }
    if (!file_.IsPlausibleBlock(offset, nodeSize_)) {
        RaiseOutOfRange(offset, file_.End());
        return false;
    }
    node.offset = offset;
    if (!cache_->Read(offset, node.Data(), depth)) {
        RWRaiseFileError(file_, 2);
        return false;
    }
    const uint32_t count = node.Count(), capacity = 2 * info_.halfOrder;
    if (count > capacity) {
        RaiseOutOfRange(count, capacity);
        return false;
    }
    const bool leaf = node.IsLeaf();
    if (!leaf && count == 0 && !emptied) {
        RaiseOutOfRange(count, capacity);
        return false;
    }
    for (uint32_t i = 0; i <= count; ++i) {
        const uint32_t child = node.Child(i);
        if (leaf ? child != kNone : (child == offset || !file_.IsPlausibleBlock(child, nodeSize_))) {
            RaiseOutOfRange(child, file_.End());
            return false;
        }
    }
    return true;
}

bool RWDiskBTree::WriteNode(const RWDiskBTreeNode& node)
{
    if (!cache_->Write(node.offset, node.Data())) {
        RWRaiseFileError(file_, 3);
        return false;
    }
    return true;
}

int RWDiskBTree::FindKeyAndValue(const char* key, RWCString& keyOut, uint32_t& value)
{
    value = kNone;
    if (!usable_ || !key || info_.root == kNone)
        return 0;
    KeyBuffer probe(info_.keyLength);
    MakeProbe(key, probe.data());
    // Lookups are many: the node a walk reads into is made once.
    if (!scratch_)
        scratch_.reset(new RWDiskBTreeNode(info_.halfOrder, info_.keyLength));
    RWDiskBTreeNode& below = *scratch_;
    const RWDiskBTreeNode* node = root_.get();
    for (uint32_t depth = 1;; ++depth) {
        const uint32_t i = LowerBound(*node, probe.data());
        if (i < node->Count() && Equal(probe.data(), node->Key(i))) {
            value = node->Value(i);
            KeyText(node->Key(i), keyOut);
            return 1;
        }
        const uint32_t child = node->Child(i);
        if (child == kNone || !ReadNode(child, below, depth))
            return 0;
        node = &below;
    }
}

int RWDiskBTree::InsertKeyAndValue(const char* key, uint32_t value)
{
    if (!usable_ || !key)
        return 0;
    KeyBuffer probe(info_.keyLength);
    MakeProbe(key, probe.data());
    Pending up;
    Step step;
    if (info_.root == kNone) {
        up.key.assign(probe.data(), probe.data() + info_.keyLength);
        up.value = value;
        step = Step::Promote;
    } else {
        step = Insert(*root_, 0, probe.data(), value, up);
    }
    if (step == Step::Promote)
        step = GrowRoot(up);
    if (step == Step::Failed)
        Resync();
    if (step != Step::Done)
        return 0;
    ++info_.entries;
    return 1;
}

// Inserts below node; answers Promote with the item its parent must place when the
// node split.
RWDiskBTree::Step RWDiskBTree::Insert(RWDiskBTreeNode& node, uint32_t depth, const char* probe, uint32_t value,
                                      Pending& up)
{
    const uint32_t i = LowerBound(node, probe);
    if (i < node.Count() && Equal(node.Key(i), probe))
        return Step::Duplicate;
    const uint32_t child = node.Child(i);
    if (child == kNone) {
        up.key.assign(probe, probe + info_.keyLength);
        up.value = value;
        up.right = kNone;
    } else {
        RWDiskBTreeNode below(info_.halfOrder, info_.keyLength);
        if (!ReadNode(child, below, depth + 1))
            return Step::Failed;
        const Step step = Insert(below, depth + 1, probe, value, up);
        if (step != Step::Promote)
            return step;
    }
    return Place(node, i, up);
}

// Places the item at position at; a full node splits round its middle key, which goes
// up with the new right-hand node.
RWDiskBTree::Step RWDiskBTree::Place(RWDiskBTreeNode& node, uint32_t at, Pending& up)
{
    const uint32_t n = info_.halfOrder, k = info_.keyLength;
    if (node.Count() < 2 * n) {
        node.InsertAt(at, up.key.data(), up.value, up.right);
        return WriteNode(node) ? Step::Done : Step::Failed;
    }
    const uint32_t block = file_.Allocate(nodeSize_);
    if (block == kNone)
        return Step::Failed;
    // The full node with the item in place: 2N + 1 keys and 2N + 2 children.
    std::vector<char> keys(static_cast<size_t>(2 * n + 1) * k);
    std::vector<uint32_t> values(2 * n + 1), children(2 * n + 2);
    for (uint32_t i = 0, j = 0; i <= 2 * n; ++i) {
        if (i == at) {
            std::memcpy(&keys[static_cast<size_t>(i) * k], up.key.data(), k);
            values[i] = up.value;
            children[i + 1] = up.right;
        } else {
            std::memcpy(&keys[static_cast<size_t>(i) * k], node.Key(j), k);
            values[i] = node.Value(j);
            children[i + 1] = node.Child(j + 1);
            ++j;
        }
    }
    children[0] = node.Child(0);

    RWDiskBTreeNode right(n, k);
    right.offset = block;
    for (uint32_t i = 0; i < n; ++i)
        right.SetPair(i, &keys[static_cast<size_t>(n + 1 + i) * k], values[n + 1 + i]);
    for (uint32_t i = 0; i <= n; ++i)
        right.SetChild(i, children[n + 1 + i]);
    right.SetCount(n);
    for (uint32_t i = 0; i < n; ++i)
        node.SetPair(i, &keys[static_cast<size_t>(i) * k], values[i]);
    for (uint32_t i = 0; i <= 2 * n; ++i)
        node.SetChild(i, i <= n ? children[i] : kNone);
    node.SetCount(n);

    if (!WriteNode(right)) {
        file_.Deallocate(block);
        return Step::Failed;
    }
    if (!WriteNode(node))
        return Step::Failed;
    up.key.assign(&keys[static_cast<size_t>(n) * k], &keys[static_cast<size_t>(n + 1) * k]);
    up.value = values[n];
    up.right = block;
    return Step::Promote;
}

// A new root above the old one (or the first root of an empty tree).
RWDiskBTree::Step RWDiskBTree::GrowRoot(const Pending& up)
{
    const uint32_t block = file_.Allocate(nodeSize_);
    if (block == kNone)
        return Step::Failed;
    const uint32_t old = info_.root;
    root_->Reset();
    root_->offset = block;
    root_->SetPair(0, up.key.data(), up.value);
    root_->SetChild(0, old);
    root_->SetChild(1, up.right);
    root_->SetCount(1);
    if (!WriteNode(*root_)) {
        file_.Deallocate(block);
        return Step::Failed;
    }
    info_.root = block;
    return WriteInfo() ? Step::Done : Step::Failed;
}

int RWDiskBTree::RemoveKeyAndValue(const char* key, RWCString& keyOut, uint32_t& value)
{
    value = kNone;
    if (!usable_ || !key || info_.root == kNone)
        return 0;
    KeyBuffer probe(info_.keyLength), removed(info_.keyLength);
    MakeProbe(key, probe.data());
    uint32_t removedValue = kNone;
    Step step = Remove(*root_, 0, probe.data(), removed.data(), removedValue);
    if (step == Step::Underflow) {
        // The root has no key left: its only child (none for a leaf) takes its place.
        const uint32_t old = info_.root;
        info_.root = root_->Child(0);
        file_.Deallocate(old);
        if (!WriteInfo())
            step = Step::Failed;
        else if (info_.root == kNone) {
            root_->Reset();
            root_->offset = kNone;
        } else if (!ReadNode(info_.root, *root_, 0))
            step = Step::Failed;
    }
    if (step == Step::Failed)
        Resync();
    if (step != Step::Done && step != Step::Underflow)
        return 0;
    if (info_.entries > 0)
        --info_.entries;
    value = removedValue;
    KeyText(removed.data(), keyOut);
    return 1;
}

RWDiskBTree::Step RWDiskBTree::Underflows(const RWDiskBTreeNode& node, uint32_t depth) const
{
    const bool under = depth == 0 ? node.Count() == 0 : node.Count() < info_.minFill;
    return under ? Step::Underflow : Step::Done;
}

// Removes the probe below node; answers Underflow when node is left too small.
RWDiskBTree::Step RWDiskBTree::Remove(RWDiskBTreeNode& node, uint32_t depth, const char* probe, char* keyOut,
                                      uint32_t& value)
{
    uint32_t i = LowerBound(node, probe);
    const bool found = i < node.Count() && Equal(node.Key(i), probe);
    if (found && node.IsLeaf()) {
        std::memcpy(keyOut, node.Key(i), info_.keyLength);
        value = node.Value(i);
        node.RemoveAt(i);
        if (!WriteNode(node))
            return Step::Failed;
        return Underflows(node, depth);
    }
    if (found) {
        // The pair trades places with its successor, which then leaves from a leaf.
        const Step step = SwapWithSuccessor(node, i, depth);
        if (step != Step::Done)
            return step;
        ++i;
    }
    const uint32_t child = node.Child(i);
    if (child == kNone)
        return Step::Absent;
    RWDiskBTreeNode below(info_.halfOrder, info_.keyLength);
    if (!ReadNode(child, below, depth + 1))
        return Step::Failed;
    const Step step = Remove(below, depth + 1, probe, keyOut, value);
    if (step != Step::Underflow)
        return step;
    return Repair(node, i, depth);
}

// Exchanges pair at of an inner node with the first pair of the leftmost leaf under
// child at + 1.
RWDiskBTree::Step RWDiskBTree::SwapWithSuccessor(RWDiskBTreeNode& node, uint32_t at, uint32_t depth)
{
    RWDiskBTreeNode leaf(info_.halfOrder, info_.keyLength);
    uint32_t next = node.Child(at + 1);
    do {
        if (!ReadNode(next, leaf, ++depth))
            return Step::Failed;
        next = leaf.Child(0);
    } while (next != kNone);
    if (leaf.Count() == 0) {
        RaiseOutOfRange(0, info_.minFill);
        return Step::Failed;
    }
    std::vector<char> key(node.Key(at), node.Key(at) + info_.keyLength);
    const uint32_t value = node.Value(at);
    node.SetPair(at, leaf.Key(0), leaf.Value(0));
    leaf.SetPair(0, key.data(), value);
    return WriteNode(leaf) && WriteNode(node) ? Step::Done : Step::Failed;
}

// Child at of parent has fallen below M keys: borrow one key from a sibling that can
// spare it, else merge with a sibling.
RWDiskBTree::Step RWDiskBTree::Repair(RWDiskBTreeNode& parent, uint32_t at, uint32_t depth)
{
    const uint32_t count = parent.Count();
    const uint32_t m = info_.minFill;
    if (count == 0 || at > count) {
        RaiseOutOfRange(at, count);
        return Step::Failed;
    }
    RWDiskBTreeNode child(info_.halfOrder, info_.keyLength);
    RWDiskBTreeNode sibling(info_.halfOrder, info_.keyLength);
    if (!ReadNode(parent.Child(at), child, depth + 1, true))
        return Step::Failed;

    if (at > 0) {
        if (!ReadNode(parent.Child(at - 1), sibling, depth + 1))
            return Step::Failed;
        if (sibling.Count() > m) {
            // Borrow from the left: the separator comes down in front of the child and
            // the left sibling's last key goes up in its place.
            const uint32_t last = sibling.Count() - 1;
            child.InsertFront(parent.Key(at - 1), parent.Value(at - 1), sibling.Child(last + 1));
            parent.SetPair(at - 1, sibling.Key(last), sibling.Value(last));
            sibling.SetChild(last + 1, kNone);
            sibling.SetCount(last);
            return WriteNode(sibling) && WriteNode(child) && WriteNode(parent) ? Step::Done : Step::Failed;
        }
        if (at == count)
            return Merge(parent, at - 1, sibling, child, depth);
    }
    if (!ReadNode(parent.Child(at + 1), sibling, depth + 1))
        return Step::Failed;
    if (sibling.Count() > m) {
        // Borrow from the right: the separator goes to the end of the child and the
        // right sibling's first key goes up in its place.
        child.InsertAt(child.Count(), parent.Key(at), parent.Value(at), sibling.Child(0));
        parent.SetPair(at, sibling.Key(0), sibling.Value(0));
        sibling.RemoveFront();
        return WriteNode(sibling) && WriteNode(child) && WriteNode(parent) ? Step::Done : Step::Failed;
    }
    return Merge(parent, at, child, sibling, depth);
}

// Joins children at and at + 1 of parent round their separator into the left one and
// frees the right one.
RWDiskBTree::Step RWDiskBTree::Merge(RWDiskBTreeNode& parent, uint32_t at, RWDiskBTreeNode& left,
                                     RWDiskBTreeNode& right, uint32_t depth)
{
    const uint32_t lc = left.Count(), rc = right.Count();
    if (lc + 1 + rc > 2 * info_.halfOrder) {
        RaiseOutOfRange(lc + 1 + rc, 2 * info_.halfOrder);
        return Step::Failed;
    }
    left.SetPair(lc, parent.Key(at), parent.Value(at));
    for (uint32_t j = 0; j < rc; ++j)
        left.SetPair(lc + 1 + j, right.Key(j), right.Value(j));
    for (uint32_t j = 0; j <= rc; ++j)
        left.SetChild(lc + 1 + j, right.Child(j));
    left.SetCount(lc + 1 + rc);
    parent.RemoveAt(at);
    if (!WriteNode(left) || !WriteNode(parent))
        return Step::Failed;
    file_.Deallocate(right.offset);
    return Underflows(parent, depth);
}

void RWDiskBTree::Clear()
{
    if (!usable_)
        return;
    Walk walk{Walk::Kind::Free, MaxNodes(), 0, nullptr, nullptr, {}};
    Visit(info_.root, 0, walk);
    info_.root = kNone;
    info_.reserved1 = kNone;
    info_.entries = 0;
    if (infoOffset_ == kNone)
        info_.version = 0;
    WriteInfo();
    root_->Reset();
    root_->offset = kNone;
}

uint32_t RWDiskBTree::Entries()
{
    if (usable_ && infoOffset_ == kNone && info_.version == kNone) {
        Walk walk{Walk::Kind::Count, MaxNodes(), 0, nullptr, nullptr, {}};
        if (Visit(info_.root, 0, walk)) {
            info_.entries = walk.count;
            info_.version = 0;
        }
    }
    return info_.entries;
}

uint32_t RWDiskBTree::Height()
{
    if (!usable_ || info_.root == kNone)
        return 0;
    uint32_t levels = 1;
    RWDiskBTreeNode node(info_.halfOrder, info_.keyLength);
    for (uint32_t child = root_->Child(0); child != kNone; child = node.Child(0)) {
        if (!ReadNode(child, node, levels))
            break;
        ++levels;
    }
    return levels;
}

void RWDiskBTree::ApplyInOrder(RWDiskBTreeApply fn, void* arg)
{
    if (!usable_ || !fn)
        return;
    Walk walk{Walk::Kind::InOrder, MaxNodes(), 0, fn, arg, std::vector<char>(info_.keyLength + 1, 0)};
    Visit(info_.root, 0, walk);
}

// One node of a whole-tree walk and everything below it. No walk sees more nodes than
// the file has room for, so shared or cyclic children cannot make it run away.
bool RWDiskBTree::Visit(uint32_t offset, uint32_t depth, Walk& walk)
{
    if (offset == kNone)
        return true;
    if (walk.budget == 0) {
        RaiseOutOfRange(MaxNodes() + 1, MaxNodes());
        return false;
    }
    --walk.budget;
    RWDiskBTreeNode node(info_.halfOrder, info_.keyLength);
    if (!ReadNode(offset, node, depth))
        return false;
    const uint32_t count = node.Count();
    if (walk.kind == Walk::Kind::Count)
        walk.count += count;
    for (uint32_t i = 0; i <= count; ++i) {
        if (!Visit(node.Child(i), depth + 1, walk))
            return false;
        if (walk.kind == Walk::Kind::InOrder && i < count) {
            std::memcpy(walk.key.data(), node.Key(i), info_.keyLength);
            walk.fn(walk.key.data(), node.Value(i), walk.arg);
        }
    }
    if (walk.kind == Walk::Kind::Free)
        file_.Deallocate(offset);
    return true;
}
