// Packs and unpacks two buffers with the LZW codec and with zlib's compress2 and
// uncompress, measured in the same run. Prints the time of each, the packed sizes, and
// how many times slower or faster the LZW codec is than zlib.
//
// The buffers: 900 bytes of settings-like text (key=value pairs), and 1 MB of
// raster-like rows (runs of a few tones with some noise, each row much like the last).
//
//   codec_bench.exe [rounds]
#include "model/GLZWCodec.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string SettingsLike(size_t size)
{
    std::string text;
    for (int i = 0; text.size() < size; ++i)
        text += "printing/Feature" + std::to_string(i % 37) + "=" + std::to_string(i * 7 % 5) + ";";
    return text.substr(0, size);
}

std::string RasterLike(size_t size)
{
    const size_t width = 1024;
    std::mt19937 random(11);
    std::string bytes(size, '\0');
    std::vector<unsigned char> row(width, 255);
    for (size_t at = 0; at < size; at += width) {
        // Each row repeats the last one with a few runs redrawn and some noise.
        for (int runs = random() % 4; runs > 0; --runs) {
            const size_t start = random() % width, length = random() % 200;
            const unsigned char tone = (unsigned char)(random() % 4 * 85);
            for (size_t x = start; x < width && x < start + length; ++x)
                row[x] = tone;
        }
        for (size_t x = 0; x < width && at + x < size; ++x)
            bytes[at + x] = char(random() % 50 == 0 ? row[x] ^ 1 : row[x]);
    }
    return bytes;
}

void Fail(const char* what)
{
    std::fprintf(stderr, "error: %s\n", what);
    std::exit(2);
}

std::string LzwPack(const std::string& data)
{
    std::istringstream in(data);
    std::ostringstream out;
    if (!GLZWCodec().Compress(in, out))
        Fail("LZW compress");
    return out.str();
}

std::string LzwUnpack(const std::string& packed)
{
    std::istringstream in(packed);
    std::ostringstream out;
    if (!GLZWCodec().Decompress(in, out))
        Fail("LZW decompress");
    return out.str();
}

std::string ZlibPack(const std::string& data)
{
    std::string out(compressBound(uLong(data.size())), '\0');
    uLongf size = uLongf(out.size());
    if (compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(data.data()),
                  uLong(data.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        Fail("compress2");
    out.resize(size);
    return out;
}

std::string ZlibUnpack(const std::string& packed, size_t size)
{
    std::string out(size, '\0');
    uLongf length = uLongf(size);
    if (uncompress(reinterpret_cast<Bytef*>(&out[0]), &length, reinterpret_cast<const Bytef*>(packed.data()),
                   uLong(packed.size())) != Z_OK || length != size)
        Fail("uncompress");
    return out;
}

template <class F>
double Time(int rounds, size_t& sink, F f)
{
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < rounds; ++i)
        sink += f().size();
    return Since(start) / rounds;
}

void Run(const char* name, const std::string& data, int rounds)
{
    size_t sink = 0;
    const std::string lzw = LzwPack(data), zlib = ZlibPack(data);
    if (LzwUnpack(lzw) != data || ZlibUnpack(zlib, data.size()) != data)
        Fail("round trip");
    const double zlibPack = Time(rounds, sink, [&] { return ZlibPack(data); });
    const double lzwPack = Time(rounds, sink, [&] { return LzwPack(data); });
    const double zlibUnpack = Time(rounds, sink, [&] { return ZlibUnpack(zlib, data.size()); });
    const double lzwUnpack = Time(rounds, sink, [&] { return LzwUnpack(lzw); });
    // The stream plumbing LzwUnpack pays whatever the decoder does: the packed bytes
    // into an input stream, the output bytes into an output stream and out again.
    const double plumbing = Time(rounds, sink, [&] {
        std::istringstream in(lzw);
        std::ostringstream out;
        for (size_t at = 0; at < data.size(); at += 1 << 20)
            out.rdbuf()->sputn(data.data() + at, std::min<size_t>(1 << 20, data.size() - at));
        return out.str();
    });

    std::printf("%s: %zu bytes, %d rounds (checksum %zu)\n", name, data.size(), rounds, sink);
    std::printf("  packed size     zlib %8zu   LZW %8zu\n", zlib.size(), lzw.size());
    std::printf("  compress2   %10.1f us\n", zlibPack * 1e6);
    std::printf("  LZW pack    %10.1f us   x%.2f compress2\n", lzwPack * 1e6, lzwPack / zlibPack);
    std::printf("  uncompress  %10.1f us\n", zlibUnpack * 1e6);
    std::printf("  LZW unpack  %10.1f us   x%.2f uncompress (of which stream copies %.1f us)\n", lzwUnpack * 1e6,
                lzwUnpack / zlibUnpack, plumbing * 1e6);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    Run("settings", SettingsLike(900), rounds * 50);
    Run("raster", RasterLike(1 << 20), rounds);
    return 0;
}
