// Byte helpers for tests of stored stream forms.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <streambuf>
#include <string>
#include <vector>

inline std::vector<uint8_t> BytesOf(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline std::string TextOf(std::initializer_list<uint8_t> bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// A stream buffer over a fixed array: it takes no more than its capacity and cannot seek.
class FixedStreamBuffer : public std::streambuf {
public:
    FixedStreamBuffer(char* data, size_t capacity) { setp(data, data + capacity); }
    size_t Used() const { return static_cast<size_t>(pptr() - pbase()); }
};
