// Saves and restores an object graph of 1,000 objects through a binary typed stream in
// memory. Prints the time of each against two floors measured in the same run: copying
// the same bytes from one buffer to another, and building the same graph by hand (every
// node allocated, filled and linked to its earlier node, the list appended to, then all
// of it deleted, as the restore's round deletes what it read). The hand-built graph is
// the floor a restore is measured against; no restore can come near a copy of bytes.
//
// The graph: a list of nodes, each holding a value and a reference to an earlier node
// (written as a back-reference), so the save numbers every object and the restore
// resolves every number.
//
//   persistence_bench.exe [objects] [rounds]
#include "foundation/RWBinaryInStream.h"
#include "foundation/RWBinaryOutStream.h"
#include "foundation/RWCollectable.h"
#include "foundation/RWErrorHandler.h"
#include "foundation/RWFactory.h"
#include "foundation/RWSlistCollectables.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class BenchNode : public RWCollectable {
public:
    static constexpr RWClassID kClassId = 0x7D01;

    RWCollectable* CreateNew() const override { return new BenchNode; }
    RWCollectable* Copy() const override { return new BenchNode(*this); }
    RWClassID ClassId() const override { return kClassId; }
    void SaveGuts(RWDataOutStream& stream) const override
    {
        stream << value;
        stream << earlier;
    }
    void RestoreGuts(RWDataInStream& stream) override
    {
        stream >> value;
        stream >> earlier;
    }

    int value = 0;
    RWCollectable* earlier = nullptr;
};

const RWClassRegistration<BenchNode> g_registration("BenchNode");

void PrintAndExit(const RWException* error)
{
    std::fprintf(stderr, "error: %s\n", error && error->Why() ? error->Why() : "(none)");
    std::exit(2);
}

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// What one node holds: its value and the index of its earlier node (-1 for none).
struct NodePlan {
    int value;
    int earlier;
};

// The nodes of a graph of objects - 1 nodes (the list is the last object).
std::vector<NodePlan> PlanGraph(size_t objects)
{
    std::mt19937 random(7);
    std::vector<NodePlan> plan;
    for (size_t i = 0; i + 1 < objects; ++i)
        plan.push_back({int(i), plan.empty() ? -1 : int(random() % plan.size())});
    return plan;
}

// Allocates and fills the planned graph: what a restore must do at the least.
RWSlistCollectables* MakeGraph(const std::vector<NodePlan>& plan)
{
    RWSlistCollectables* list = new RWSlistCollectables;
    std::vector<BenchNode*> nodes;
    nodes.reserve(plan.size());
    for (const NodePlan& p : plan) {
        BenchNode* node = new BenchNode;
        node->value = p.value;
        node->earlier = p.earlier < 0 ? nullptr : nodes[size_t(p.earlier)];
        nodes.push_back(node);
        list->Append(node);
    }
    return list;
}

std::string Save(const RWCollectable* graph)
{
    std::stringbuf buffer;
    RWBinaryOutStream stream(&buffer);
    stream << graph;
    return buffer.str();
}

RWCollectable* Restore(const std::string& bytes)
{
    std::stringbuf buffer(bytes);
    RWBinaryInStream stream(&buffer);
    RWCollectable* graph = nullptr;
    stream >> graph;
    if (!stream.Good() || !graph)
        PrintAndExit(nullptr);
    return graph;
}

} // namespace

int main(int argc, char** argv)
{
    RWSetErrorHandler(PrintAndExit);
    const size_t objects = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 200;

    const std::vector<NodePlan> plan = PlanGraph(objects);
    RWSlistCollectables* graph = MakeGraph(plan);
    const std::string bytes = Save(graph);

    // Each measurement runs in several trials taken in turn, and the fastest trial of
    // each counts: on a shared machine the others are slowed by whatever else runs.
    const int trials = 5;
    size_t sink = 0;
    double save = 1e9, restore = 1e9, copy = 1e9, byHand = 1e9;
    std::vector<char> target(bytes.size());
    for (int trial = 0; trial < trials; ++trial) {
        Clock::time_point start = Clock::now();
        for (int i = 0; i < rounds; ++i)
            sink += Save(graph).size();
        save = std::min(save, Since(start) / rounds);

        start = Clock::now();
        for (int i = 0; i < rounds; ++i) {
            RWSlistCollectables* back = static_cast<RWSlistCollectables*>(Restore(bytes));
            sink += back->Entries();
            back->ClearAndDestroy();
            delete back;
        }
        restore = std::min(restore, Since(start) / rounds);

        // Copying the bytes: many more rounds, as one copy takes far less time.
        const int copyRounds = rounds * 100;
        start = Clock::now();
        for (int i = 0; i < copyRounds; ++i) {
            std::memcpy(target.data(), bytes.data(), bytes.size());
            sink += size_t(target[i % target.size()]);
        }
        copy = std::min(copy, Since(start) / copyRounds);

        // Building the same graph by hand and deleting it, as the restore's round does.
        start = Clock::now();
        for (int i = 0; i < rounds; ++i) {
            RWSlistCollectables* built = MakeGraph(plan);
            sink += built->Entries();
            built->ClearAndDestroy();
            delete built;
        }
        byHand = std::min(byHand, Since(start) / rounds);
    }

    std::printf("%zu objects, %zu bytes, best of %d trials of %d rounds (checksum %zu)\n", objects, bytes.size(),
                trials, rounds, sink);
    std::printf("copy the bytes   %10.2f us\n", copy * 1e6);
    std::printf("build by hand    %10.2f us   (allocate, fill, link and delete the same objects)\n", byHand * 1e6);
    std::printf("save             %10.2f us   x%.0f the copy\n", save * 1e6, save / copy);
    std::printf("restore          %10.2f us   x%.0f the copy, %.3f us per object (includes deleting the graph)\n",
                restore * 1e6, restore / copy, restore * 1e6 / double(objects));
    std::printf("restore / build by hand: %.2f\n", restore / byHand);
    graph->ClearAndDestroy();
    delete graph;
    return 0;
}
