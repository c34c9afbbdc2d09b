// Speed of the text and font helpers: compact character codes (GCharCodeMap::Map) and
// used-code sets (GCodeSet::Add) over 100,000 CJK codes, each as a ratio against the
// standard container doing the same work; and scaled glyph images per second at the
// glyph sizes of 10- to 24-point text at 300 dpi.
//   scripts/wine-run.sh build/bench/text_bench.exe
#include "graphics/GCharCodeMap.h"
#include "graphics/GCodeSet.h"
#include "graphics/GFontReference.h"
#include "graphics/GScaledFont.h"

#include <chrono>
#include <cstdio>
#include <set>
#include <unordered_map>
#include <vector>

namespace {

double Seconds(const std::chrono::steady_clock::time_point& since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct CountingMap : GCharCodeMap {
    void AdvanceCode() override { SetNextCode(uint16_t(GetNextCode() + 1)); }
};

// 100,000 codes of the unified ideographs, in a scrambled order, many more than once.
std::vector<uint32_t> CjkCodes(uint32_t base, uint32_t span)
{
    std::vector<uint32_t> codes(100000);
    uint32_t state = 12345;
    for (uint32_t& code : codes) {
        state = state * 1103515245u + 12345u;
        code = base + (state >> 8) % span;
    }
    return codes;
}

// A glyph of w x h with a diagonal pattern, as a font at 300 dpi gives it.
struct BenchFont : GFont {
    int16_t size = 0;
    uint32_t GetGlyphImage(uint32_t code, uintptr_t, GGlyphMetrics& metrics, std::unique_ptr<uint8_t[]>& bitmap) override
    {
        metrics = GGlyphMetrics{0, 0, size, size};
        const uint32_t rowBytes = (uint32_t(size) + 31) / 32 * 4, bytes = rowBytes * uint32_t(size);
        bitmap.reset(new uint8_t[bytes]);
        for (uint32_t i = 0; i < bytes; ++i)
            bitmap[i] = uint8_t(0x5A ^ (i + code));
        return bytes;
    }
    int RegisterDownload(uint32_t, int) override { return 1; }
    int RegisterTextCodes(const GTextString&, int) override { return 1; }
};

struct BenchReference : GFontReference {
    using GFontReference::GFontReference;
    int GetCharacterSize() const override { return 2; }
};

} // namespace

int main()
{
    const int rounds = 20;
    {
        const std::vector<uint32_t> codes = CjkCodes(0x4E00, 0x5200);
        double ours = 0, theirs = 0;
        uint32_t sink = 0;
        for (int round = 0; round < rounds; ++round) {
            auto start = std::chrono::steady_clock::now();
            CountingMap map;
            for (uint32_t code : codes)
                sink += map.Map(uint16_t(code));
            ours += Seconds(start);
            start = std::chrono::steady_clock::now();
            std::unordered_map<uint16_t, uint16_t> table;
            uint16_t next = 256;
            for (uint32_t code : codes) {
                auto inserted = table.emplace(uint16_t(code), next);
                next = uint16_t(next + inserted.second);
                sink += inserted.first->second;
            }
            theirs += Seconds(start);
        }
        std::printf("Map over 100,000 CJK codes: %.3f ms, std::unordered_map %.3f ms, ratio %.2f (%u)\n",
                    1000 * ours / rounds, 1000 * theirs / rounds, ours / theirs, sink & 1);
    }
    for (uint32_t base : {0x4E00u, 0x20000u}) {
        const std::vector<uint32_t> codes = CjkCodes(base, base == 0x4E00 ? 0x5200 : 0xA6E0);
        double ours = 0, theirs = 0;
        uint32_t sink = 0;
        for (int round = 0; round < rounds; ++round) {
            auto start = std::chrono::steady_clock::now();
            {
                GCodeSet set;
                for (uint32_t code : codes)
                    sink += uint32_t(set.Add(code));
            }
            ours += Seconds(start);
            start = std::chrono::steady_clock::now();
            {
                std::set<uint32_t> set;
                for (uint32_t code : codes)
                    sink += set.insert(code).second;
            }
            theirs += Seconds(start);
        }
        std::printf("GCodeSet::Add over 100,000 codes from 0x%X: %.3f ms, std::set %.3f ms, ratio %.2f (%u)\n", base,
                    1000 * ours / rounds, 1000 * theirs / rounds, ours / theirs, sink & 1);
    }
    // 10, 12 and 24 points at 300 dpi: about 42, 50 and 100 pixels; scaled by 1.5 and 2.
    for (int16_t size : {42, 50, 100}) {
        BenchFont* font = new BenchFont;
        font->size = size;
        BenchReference reference(font, nullptr);
        for (float scale : {1.5f, 2.0f}) {
            GScaledFont scaled(&reference, scale, scale);
            GGlyphMetrics metrics{};
            std::unique_ptr<uint8_t[]> bitmap;
            uint32_t images = 0, bytes = 0;
            const auto start = std::chrono::steady_clock::now();
            while (Seconds(start) < 0.5) {
                for (int i = 0; i < 50; ++i, ++images)
                    bytes += scaled.GetGlyphImage(uint32_t(images), 0, metrics, bitmap);
            }
            const double seconds = Seconds(start);
            std::printf("scaled glyph %d px x %.1f: %.0f images per second (%u)\n", size, scale, images / seconds,
                        bytes & 1);
        }
    }
    return 0;
}
