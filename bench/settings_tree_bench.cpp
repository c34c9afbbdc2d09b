// The default settings tree stored two ways, each compressed with the zlib codec as the
// DEVMODE stores it: the compact settings-tree form (portable mode) and the object-graph
// form. Measures packing plus compression and decompression plus loading of each, in the
// same run, and prints both times, both sizes and the ratio of the compact form's time
// to the object graph's.
//
//   settings_tree_bench.exe [rounds]
#include "../tests/settings/SettingsTestDriver.h"

#include "foundation/RWErrorCapture.h"
#include "model/GZlibCodec.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

using namespace SettingsTest;

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void Fail(const char* what)
{
    std::fprintf(stderr, "error: %s\n", what);
    std::exit(2);
}

std::string Compressed(const std::vector<uint8_t>& bytes)
{
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string room(4096, '\0');
    std::ostringstream out(room);
    GZlibCodec codec;
    if (!codec.CompressStream(in, out))
        Fail("compression failed");
    return out.str().substr(0, size_t(out.tellp()));
}

std::vector<uint8_t> Uncompressed(const std::string& packed)
{
    std::istringstream in(packed);
    std::ostringstream out;
    GZlibCodec codec;
    if (!codec.UncompressStream(in, out))
        Fail("decompression failed");
    const std::string text = out.str();
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> GraphBytes(const GObjectBase* tree)
{
    std::vector<uint8_t> buffer(65536);
    GOutStreamHolder holder(buffer.data(), uint32_t(buffer.size()), 1);
    *holder.GetStream() << static_cast<const RWCollectable*>(tree);
    holder.GetStream()->Flush();
    buffer.resize(size_t(holder.Tell()));
    return buffer;
}

GObjectBase* GraphTree(const std::vector<uint8_t>& bytes)
{
    GInStreamHolder holder(bytes.data(), uint32_t(bytes.size()), 1);
    GObjectBase* tree = nullptr;
    *holder.GetStream() >> tree;
    return tree;
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 2000;
    TestDriver driver;
    std::unique_ptr<GObjectBase> tree(DefaultDocument());
    GSettingsTreeSerializer serializer;

    size_t compactSize = 0, graphSize = 0;
    Clock::time_point start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        const std::string packed = Compressed(Pack(tree.get(), kPortable));
        compactSize = packed.size();
        std::unique_ptr<GObjectBase> back(Unpack(serializer, Uncompressed(packed), &driver, kPortable));
        if (!back)
            Fail("the compact form did not load");
    }
    const double compact = Since(start);

    start = Clock::now();
    for (int i = 0; i < rounds; ++i) {
        const std::string packed = Compressed(GraphBytes(tree.get()));
        graphSize = packed.size();
        std::unique_ptr<GObjectBase> back(GraphTree(Uncompressed(packed)));
        if (!back)
            Fail("the object graph did not load");
    }
    const double graph = Since(start);

    std::printf("rounds %d\n", rounds);
    std::printf("compact form:  %.3f s, %zu bytes compressed\n", compact, compactSize);
    std::printf("object graph:  %.3f s, %zu bytes compressed\n", graph, graphSize);
    std::printf("ratio (compact / object graph): time %.2f, size %.2f\n", compact / graph,
                double(compactSize) / double(graphSize));
    return 0;
}
