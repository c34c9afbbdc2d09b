// Settings bytes packed the two ways a DEVMODE's older native coding carries them: zlib
// and the LZW codec.
#pragma once

#include "model/GLZWCodec.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace SettingsTest {

inline std::vector<uint8_t> Zlib(const std::vector<uint8_t>& data)
{
    uLongf size = compressBound(uLong(data.size()));
    std::vector<uint8_t> packed(size);
    EXPECT_EQ(Z_OK, compress2(packed.data(), &size, data.data(), uLong(data.size()), Z_DEFAULT_COMPRESSION));
    packed.resize(size);
    return packed;
}

inline std::vector<uint8_t> Lzw(const std::vector<uint8_t>& data)
{
    std::istringstream in(std::string(data.begin(), data.end()));
    std::ostringstream out;
    GLZWCodec codec;
    EXPECT_EQ(1u, codec.Compress(in, out));
    const std::string text = out.str();
    return std::vector<uint8_t>(text.begin(), text.end());
}

} // namespace SettingsTest
