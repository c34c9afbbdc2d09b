// A B-tree kept in blocks of a disk file manager: fixed-length keys mapped to 32-bit
// values, surviving closing and reopening the file. Nodes hold up to 2N keys (every
// node but the root at least M) and are read and written through a write-through
// cache; the root node stays in memory.
//
// The tree finds itself through an info block (the full form: root, version 512, entry
// count, key length K, half order N, minimum fill M, flags) or, in the short form,
// through a single root word in the file's start block.
//
// Keys are either text (stored as at most K characters padded with NUL, compared like
// strncmp over K) or, with the fixed-key flag, K raw bytes.
//
// Stored counts, child offsets and the info block's sizes are checked as they are read,
// and recursion is bounded by the height the file has room for: a damaged file gives an
// error through the foundation handler and a failed operation, never an overrun.
#pragma once

#include "foundation/RWDiskFileManager.h"

#include <cstdint>
#include <memory>

class RWCString;
class RWDiskCache;
class RWDiskBTreeNode;

// Compares two keys of the given length: negative, 0 or positive.
typedef int (*RWDiskKeyCompare)(const char* a, const char* b, uint32_t length);
// Called for each key in order with the key (NUL-terminated copy), its value and arg.
typedef void (*RWDiskBTreeApply)(const char* key, uint32_t value, void* arg);

class RWDiskBTree {
public:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;
    static constexpr uint32_t kVersion = 512;
    // Flags bit 0: keys are fixed-length byte strings.
    static constexpr uint32_t kFixedKeys = 1;

    // The info block, as stored.
    struct Info {
        uint32_t root;
        uint32_t reserved1;
        uint32_t version;
        uint32_t entries;
        uint32_t keyLength;
        uint32_t halfOrder;
        uint32_t minFill;
        uint32_t reserved2;
        uint32_t reserved3;
        uint32_t flags;
    };

    // buffers: cache buffers; createMode 1 makes a new info block even when the file
    // has a start; ignoreNull non-zero makes keys fixed-length bytes; infoOffset the
    // info block's data offset (kNone: the file's start); style 1 the short form.
    // The records store passes (file, 10, 0, 16, 0, kNone, 0, 10, 10).
    RWDiskBTree(RWDiskFileManager& file, uint32_t buffers, int createMode, uint32_t keyLength, int ignoreNull,
                uint32_t infoOffset, int style, uint32_t halfOrder, uint32_t minFill);
    // Writes the info block back when the file is open for writing.
    ~RWDiskBTree();
    RWDiskBTree(const RWDiskBTree&) = delete;
    RWDiskBTree& operator=(const RWDiskBTree&) = delete;

    // 1 and the value and stored key when found; 0 and value kNone when absent.
    int FindKeyAndValue(const char* key, RWCString& keyOut, uint32_t& value);
    // 1 when inserted; 0 when the key is present (nothing changes) or on failure.
    int InsertKeyAndValue(const char* key, uint32_t value);
    // 1 and the removed key's value and text when removed; 0 when absent.
    int RemoveKeyAndValue(const char* key, RWCString& keyOut, uint32_t& value);
    // Frees every node and leaves the tree empty.
    void Clear();

    // Keys in the tree: the stored count, or in the short form a count made once.
    uint32_t Entries();
    // Levels, counted along the first children from the root.
    uint32_t Height();
    void ApplyInOrder(RWDiskBTreeApply fn, void* arg);

    // Installs a comparison (null: the tree's own) and returns the previous one.
    RWDiskKeyCompare SetCompare(RWDiskKeyCompare fn);
    // Replaces the cache by one of n buffers; returns the previous n.
    uint32_t SetCacheSize(uint32_t n);
    // Nodes read from the file (not served by the cache) since the cache was made.
    uint64_t NodeFileReads() const;

    // False when the tree could not be opened or made: every operation then fails.
    bool IsValid() const { return usable_; }
    // The info block's data offset, kNone in the short form.
    uint32_t InfoOffset() const { return infoOffset_; }
    uint32_t RootOffset() const { return info_.root; }
    // Bytes of one node: 16N + 8 + 2NK.
    uint32_t NodeSize() const { return nodeSize_; }
    const Info& GetInfo() const { return info_; }

    // Text keys: like strncmp over at most length characters.
    static int CompareText(const char* a, const char* b, uint32_t length);
    // Fixed keys: bytes compared as unsigned.
    static int CompareBytes(const char* a, const char* b, uint32_t length);

private:
    struct Pending;
    struct Walk;
    enum class Step { Done, Duplicate, Absent, Underflow, Promote, Failed };

    bool Open(uint32_t buffers, int createMode, int ignoreNull, uint32_t infoOffset, int style, uint32_t minFill);
    void InitInfo(uint32_t version, int ignoreNull, uint32_t minFill);
    bool OpenShortForm(int ignoreNull, uint32_t minFill);
    bool ReadInfo();
    bool WriteInfo();
    bool CheckInfo(const Info& wanted) const;
    void ChooseCompare();
    bool Resync();

    uint32_t MaxNodes() const;
    uint32_t MaxDepth() const;
    void MakeProbe(const char* key, char* probe) const;
    void KeyText(const char* stored, RWCString& out) const;
    uint32_t LowerBound(const RWDiskBTreeNode& node, const char* probe) const;
    bool Equal(const char* a, const char* b) const { return compare_(a, b, info_.keyLength) == 0; }

    // emptied: the node has just reported an underflow, so with a minimum fill of one it
    // may be an inner node without keys until its parent repairs it.
    bool ReadNode(uint32_t offset, RWDiskBTreeNode& node, uint32_t depth, bool emptied = false);
    bool WriteNode(const RWDiskBTreeNode& node);

    Step Insert(RWDiskBTreeNode& node, uint32_t depth, const char* probe, uint32_t value, Pending& up);
    Step Place(RWDiskBTreeNode& node, uint32_t at, Pending& up);
    Step GrowRoot(const Pending& up);
    Step Remove(RWDiskBTreeNode& node, uint32_t depth, const char* probe, char* keyOut, uint32_t& value);
    Step SwapWithSuccessor(RWDiskBTreeNode& node, uint32_t at, uint32_t depth);
    Step Repair(RWDiskBTreeNode& parent, uint32_t at, uint32_t depth);
    Step Merge(RWDiskBTreeNode& parent, uint32_t at, RWDiskBTreeNode& left, RWDiskBTreeNode& right, uint32_t depth);
    Step Underflows(const RWDiskBTreeNode& node, uint32_t depth) const;
    bool Visit(uint32_t offset, uint32_t depth, Walk& walk);

    RWDiskFileManager& file_;
    std::unique_ptr<RWDiskCache> cache_;
    std::unique_ptr<RWDiskBTreeNode> root_;
    // The node a lookup reads into below the root.
    std::unique_ptr<RWDiskBTreeNode> scratch_;
    RWDiskKeyCompare compare_;
    uint32_t buffers_;
    uint32_t infoOffset_;
    uint32_t nodeSize_;
    Info info_;
    bool usable_;
};
