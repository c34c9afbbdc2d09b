// Speed of the font reader over a real font held in memory: MapCharacter over every
// 16-bit code with caching on and off, and GetGlyphData hits and misses, each as a
// ratio against copying the same bytes straight out of the font; GetGlyphData both as a
// new owning record per glyph and into a buffer the caller keeps.
//   scripts/wine-run.sh build/bench/font_reader_bench.exe [font file]
#include "graphics/GTTMemoryFontFileReader.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

double Seconds(const std::chrono::steady_clock::time_point& since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

std::vector<uint8_t> Load(const char* path)
{
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(path, "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF)
            bytes.push_back(uint8_t(c));
        std::fclose(f);
    }
    return bytes;
}

// Seconds to copy count bytes out of the font, in pieces of the given size.
double CopySeconds(const std::vector<uint8_t>& font, uint64_t count, uint32_t piece)
{
    std::vector<uint8_t> to(piece);
    volatile uint8_t sink = 0;
    const auto start = std::chrono::steady_clock::now();
    for (uint64_t done = 0, at = 0; done < count; done += piece, at = (at + 4099) % (font.size() - piece)) {
        std::memcpy(to.data(), font.data() + at, piece);
        sink = sink + to[0];
    }
    return Seconds(start);
}

} // namespace

int main(int argc, char** argv)
{
    const char* path = argc > 1 ? argv[1] : "Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
    const std::vector<uint8_t> font = Load(path);
    if (font.size() < 1024) {
        std::printf("cannot read %s\n", path);
        return 1;
    }
    for (int caching : {1, 0}) {
        GTTMemoryFontFileReader reader(font, 1, caching);
        uint32_t cmapLength = reader.GetTableLength(0, kTagCmap) + reader.GetTableLength(0, kTagOS2);
        const auto start = std::chrono::steady_clock::now();
        uint32_t mapped = 0;
        for (uint32_t c = 0; c < 0x10000; ++c)
            mapped += reader.MapCharacter(0, 0, uint16_t(c), 16) != 0;
        const double s = Seconds(start);
        std::printf("MapCharacter, caching %s: %.0f codes/s (%u mapped), %.1f x copying cmap and OS/2 per code\n",
                    caching ? "on " : "off", 0x10000 / s, mapped, s / CopySeconds(font, uint64_t(cmapLength) * 0x10000, cmapLength));
    }
    // Each form over several fresh readers: a reader's first pass misses, its second hits.
    const int kReaders = 10;
    for (int kept : {0, 1}) {
        std::vector<std::unique_ptr<GTTMemoryFontFileReader>> readers;
        for (int i = 0; i < kReaders; ++i)
            readers.emplace_back(new GTTMemoryFontFileReader(font, 1, 1));
        uint16_t glyphs = 0;
        readers[0]->GetGlyphCount(0, glyphs);
        std::vector<uint8_t> into;
        for (const char* pass : {"misses", "hits"}) {
            uint64_t bytes = 0;
            const auto start = std::chrono::steady_clock::now();
            for (auto& reader : readers)
                for (uint32_t g = 0; g < glyphs; ++g) {
                    if (kept) {
                        bytes += reader->GetGlyphData(0, 1, uint16_t(g), into);
                    } else {
                        GByteBuffer* data = nullptr;
                        bytes += reader->GetGlyphData(0, 1, uint16_t(g), data);
                        delete data;
                    }
                }
            const double s = Seconds(start);
            const uint64_t n = uint64_t(glyphs) * kReaders;
            std::printf("GetGlyphData %-6s %-15s %.0f glyphs/s, %.1f x copying the same bytes\n", pass,
                        kept ? "(kept buffer):" : "(new record):", n / s,
                        s / CopySeconds(font, bytes, bytes / (n ? n : 1) + 1));
        }
    }
    return 0;
}
