// The size of a model tree as the tree operations see it: FindById, TotalEntries,
// DeepCopy and ClearSerials walk every path, so a member shared at many places counts
// once for each. Stored data can share a composite at every level and make a few
// hundred bytes stand for a tree that no walk ever finishes; such a tree is refused
// when it is read (the check is installed with the foundation's outermost restore).
#pragma once

#include <cstdint>
#include <unordered_map>

class GObjectBase;

class GTreeMeasure {
public:
    // No tree a driver builds comes near these.
    static const uint32_t kMaxExpandedObjects = 1u << 18;
    static const uint32_t kMaxLevels = 512;

    // True when the tree, expanded along every path, stays within both bounds. One pass
    // over its distinct objects, without recursion.
    bool Within(GObjectBase* root);

private:
    struct Size {
        uint32_t objects;
        uint32_t levels;
    };
    std::unordered_map<const GObjectBase*, Size> measured_;
};
