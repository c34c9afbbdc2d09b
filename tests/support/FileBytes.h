// Whole-file byte access for tests of stored forms.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The file's bytes; empty when it cannot be opened.
inline std::vector<uint8_t> FileBytes(const std::string& name)
{
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(name.c_str(), "rb")) {
        int c;
        while ((c = std::fgetc(f)) != EOF)
            bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(f);
    }
    return bytes;
}

// Replaces the file with exactly these bytes.
inline bool WriteFileBytes(const std::string& name, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
