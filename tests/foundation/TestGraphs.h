// Persistable classes for the object-graph tests, registered with the factory.
//
// GraphNode holds a value and two references: left is read as any object, right only
// as a GraphNode (typed extraction). While its fields are read it notes what the restore queries answer.
// NamedNode is a GraphNode of a class known by name; Leaf is a plain stored value.
#pragma once

#include "foundation/RWBTreeDictionary.h"
#include "foundation/RWBinaryFile.h"
#include "foundation/RWCollectable.h"
#include "foundation/RWCollectableAssociation.h"
#include "foundation/RWCollection.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"
#include "foundation/RWIdentitySet.h"

#include <cstdint>
#include <vector>

class GraphNode : public RWCollectable {
public:
    static constexpr RWClassID kClassId = 0x7C01;

    explicit GraphNode(int32_t value = 0, RWCollectable* left = nullptr, RWCollectable* right = nullptr)
        : value(value), left(left), right(right)
    {
    }
    ~GraphNode() override { ++deletions; }

    RWCollectable* CreateNew() const override { return new GraphNode; }
    RWCollectable* Copy() const override { return new GraphNode(*this); }
    RWClassID ClassId() const override { return kClassId; }

    uint32_t BinaryStoreSize() const override
    {
        return 4 + RefSize(left) + RefSize(right);
    }
    void SaveGuts(RWBinaryFile& file) const override
    {
        file.Write(static_cast<int>(value));
        file << left << right;
    }
    void SaveGuts(RWDataOutStream& stream) const override
    {
        stream << static_cast<int>(value);
        stream << left << right;
    }
    void RestoreGuts(RWBinaryFile& file) override
    {
        int v = 0;
        file.Read(v);
        value = v;
        GraphNode* r = nullptr;
        file >> left >> r;
        right = r;
        Note();
    }
    void RestoreGuts(RWDataInStream& stream) override
    {
        int v = 0;
        stream >> v;
        value = v;
        GraphNode* r = nullptr;
        stream >> left >> r;
        right = r;
        Note();
    }

    int32_t value;
    RWCollectable* left;
    // Saved as any object, read back only as a GraphNode.
    RWCollectable* right;

    // What the restore queries answered at the end of this node's RestoreGuts.
    bool wasBeingRestored = false;
    bool wasInPlace = false;
    bool leftWasBeingRestored = false;
    bool leftWasInPlace = false;

    static inline int deletions = 0;

private:
    static uint32_t RefSize(const RWCollectable* obj) { return (obj ? obj : &RWNilObject)->RecursiveStoreSize(); }

    void Note()
    {
        wasBeingRestored = IsBeingRestored(this);
        wasInPlace = IsRestoredInPlace(this);
        leftWasBeingRestored = IsBeingRestored(left);
        leftWasInPlace = IsRestoredInPlace(left);
    }
};

class NamedNode : public GraphNode {
public:
    static constexpr RWClassID kClassId = 0x9C01;
    static constexpr const char* kName = "TestNamedNode";

    using GraphNode::GraphNode;
    RWCollectable* CreateNew() const override { return new NamedNode; }
    RWCollectable* Copy() const override { return new NamedNode(*this); }
    RWClassID ClassId() const override { return kClassId; }
};

class Leaf : public RWCollectable {
public:
    static constexpr RWClassID kClassId = 0x7C02;

    explicit Leaf(uint16_t value = 0) : value(value) {}
    ~Leaf() override { ++deletions; }

    RWCollectable* CreateNew() const override { return new Leaf; }
    RWCollectable* Copy() const override { return new Leaf(*this); }
    RWClassID ClassId() const override { return kClassId; }
    uint32_t BinaryStoreSize() const override { return 2; }
    void SaveGuts(RWBinaryFile& file) const override { file.Write(static_cast<unsigned short>(value)); }
    void SaveGuts(RWDataOutStream& stream) const override { stream << static_cast<unsigned short>(value); }
    void RestoreGuts(RWBinaryFile& file) override
    {
        unsigned short v = 0;
        file.Read(v);
        value = v;
    }
    void RestoreGuts(RWDataInStream& stream) override
    {
        unsigned short v = 0;
        stream >> v;
        value = v;
    }

    uint16_t value;
    static inline int deletions = 0;
};

// Deletes every object reachable from root once (never the nil object). A dictionary
// deletes its own pairs; their keys and values are deleted here.
inline void DeleteGraph(RWCollectable* root)
{
    RWIdentitySet seen;
    std::vector<RWCollectable*> pending{root};
    while (!pending.empty()) {
        RWCollectable* obj = pending.back();
        pending.pop_back();
        if (!obj || obj == &RWNilObject || seen.Find(obj))
            continue;
        seen.Insert(obj);
        if (GraphNode* node = dynamic_cast<GraphNode*>(obj)) {
            pending.push_back(node->left);
            pending.push_back(node->right);
        } else if (RWCollectableAssociation* a = RWAsAssociation(obj)) {
            pending.push_back(a->Key());
            pending.push_back(a->Value());
        } else if (RWBTreeDictionary* d = dynamic_cast<RWBTreeDictionary*>(obj)) {
            d->ApplyToKeyAndValue(
                [](RWCollectable* k, RWCollectable* v, void* p) {
                    static_cast<std::vector<RWCollectable*>*>(p)->push_back(k);
                    static_cast<std::vector<RWCollectable*>*>(p)->push_back(v);
                },
                &pending);
        } else if (RWCollection* c = dynamic_cast<RWCollection*>(obj)) {
            c->Apply([](RWCollectable* m, void* p) { static_cast<std::vector<RWCollectable*>*>(p)->push_back(m); },
                     &pending);
        }
    }
    std::vector<RWCollectable*> all;
    seen.Apply([](RWCollectable* m, void* p) { static_cast<std::vector<RWCollectable*>*>(p)->push_back(m); }, &all);
    seen.Clear();
    for (RWCollectable* obj : all) {
        if (RWCollection* c = dynamic_cast<RWCollection*>(obj))
            c->Clear();
        delete obj;
    }
}
