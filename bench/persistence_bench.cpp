// Saves and restores an object graph of 1,000 objects through a binary typed stream in
// memory, and copies the same bytes from one buffer to another. Prints the time of
// each and how many times slower saving and restoring are than copying the bytes.
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

// The list of objects - 1 nodes (the list is the last object).
RWSlistCollectables* MakeGraph(size_t objects)
{
    std::mt19937 random(7);
    RWSlistCollectables* list = new RWSlistCollectables;
    std::vector<BenchNode*> nodes;
    for (size_t i = 0; i + 1 < objects; ++i) {
        BenchNode* node = new BenchNode;
        node->value = int(i);
        node->earlier = nodes.empty() ? nullptr : nodes[random() % nodes.size()];
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

    RWSlistCollectables* graph = MakeGraph(objects);
    const std::string bytes = Save(graph);

    size_t sink = 0;
    Clock::time_point start = Clock::now();
    for (int i = 0; i < rounds; ++i)
        sink += Save(graph).size();
    const double save = Since(start) / rounds;

    start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        RWSlistCollectables* back = static_cast<RWSlistCollectables*>(Restore(bytes));
        sink += back->Entries();
        back->ClearAndDestroy();
        delete back;
    }
    const double restore = Since(start) / rounds;

    // Copying the bytes: many more rounds, as one copy takes far less time.
    const int copyRounds = rounds * 100;
    std::vector<char> target(bytes.size());
    start = Clock::now();
    for (int i = 0; i < copyRounds; ++i) {
        std::memcpy(target.data(), bytes.data(), bytes.size());
        sink += size_t(target[i % target.size()]);
    }
    const double copy = Since(start) / copyRounds;

    std::printf("%zu objects, %zu bytes, %d rounds (checksum %zu)\n", objects, bytes.size(), rounds, sink);
    std::printf("copy the bytes   %10.2f us\n", copy * 1e6);
    std::printf("save             %10.2f us   x%.0f the copy\n", save * 1e6, save / copy);
    std::printf("restore          %10.2f us   x%.0f the copy (includes deleting the graph)\n", restore * 1e6,
                restore / copy);
    graph->ClearAndDestroy();
    delete graph;
    return 0;
}
