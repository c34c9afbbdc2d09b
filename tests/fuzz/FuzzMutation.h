// What every fuzz case shares: its switches from the environment and the damage it does
// to a stored form (bit flips, bytes set to 0 or 0xFF, cuts, huge counts, insertions,
// deletions).
//
// Switches: QZ_FUZZ_SEED (1), QZ_FUZZ_CASES (2000), QZ_FUZZ_FIRST (0), QZ_FUZZ_VERBOSE (0).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>

inline uint32_t Setting(const char* name, uint32_t fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? uint32_t(std::strtoul(text, nullptr, 0)) : fallback;
}

inline std::string Mutated(std::string bytes, std::mt19937& random)
{
    auto at = [&](size_t n) { return n ? random() % n : 0; };
    for (uint32_t steps = 1 + random() % 3; steps--;) {
        if (bytes.empty())
            break;
        const size_t i = at(bytes.size());
        switch (random() % 7) {
        case 0: bytes[i] = char(bytes[i] ^ (1 << random() % 8)); break;
        case 1: bytes[i] = 0; break;
        case 2: bytes[i] = char(0xFF); break;
        case 3: bytes.resize(i); break;
        case 4: // a count or length made huge, in binary and in text
            bytes.replace(i, 4, random() % 2 ? std::string(4, char(0xFF)) : std::string("4294967295"));
            break;
        case 5: bytes.insert(i, std::string(1 + at(8), char(random()))); break;
        default: bytes.erase(i, 1 + at(16)); break;
        }
    }
    return bytes;
}
