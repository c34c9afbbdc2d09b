// The own stored form of a value object (its SaveGuts and RestoreGuts, without the
// object reference around them) on a binary file and on each kind of typed stream, what
// a restore leaves behind, and a builder for expected bytes.
#pragma once

#include "../foundation/StreamBytes.h"
#include "StoredForms.h"

#include "foundation/RWEndianHeader.h"
#include "foundation/RWErrorHandler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

inline std::vector<uint8_t> FileFormOf(const RWCollectable& object) { return GutsBytes(object); }

// What a restore from a binary file left behind.
struct FileRestore {
    long left;   // bytes not read
    bool atEnd;  // end-of-file was met
};

inline FileRestore RestoreFileForm(RWCollectable& object, const std::vector<uint8_t>& bytes)
{
    BytesFile file(bytes);
    object.RestoreGuts(file.File());
    return FileRestore{file.File().Remaining(), file.File().Eof()};
}

inline std::string StreamFormOf(StreamKind kind, const RWCollectable& object)
{
    return StreamTextOf(kind, [&](RWDataOutStream& s) { object.SaveGuts(s); });
}

// True when the stream is still good after the restore.
inline bool RestoreStreamForm(StreamKind kind, RWCollectable& object, const std::string& text)
{
    return ReadStreamText(kind, text, [&](RWDataInStream& s) { object.RestoreGuts(s); });
}

// A restore from a cut stream form. The only error it may raise is the endian stream's
// [STREAM] for a cut inside its header.
inline bool RestoreCutStreamForm(StreamKind kind, RWCollectable& object, const std::string& text)
{
    RWErrorCapture capture;
    const bool good = RestoreStreamForm(kind, object, text);
    if (!capture.Empty()) {
        EXPECT_TRUE(kind == StreamKind::Endian && text.size() < RWEndianHeader::kSize) << capture.Last();
        EXPECT_EQ(0u, capture.Last().find("[STREAM]")) << capture.Last();
    }
    return good;
}

// Little-endian fields appended one after another.
class StoredBytes {
public:
    StoredBytes& U8(uint8_t v)
    {
        bytes_.push_back(v);
        return *this;
    }
    StoredBytes& U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
    StoredBytes& U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
    // u32 length, then the characters.
    StoredBytes& Text(const std::string& text)
    {
        U32(uint32_t(text.size()));
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    // The root part of a model object: version 1, id, serial.
    StoredBytes& Root(int32_t id, int32_t serial) { return U32(1).U32(uint32_t(id)).U32(uint32_t(serial)); }
    // Bytes as they stand.
    StoredBytes& Raw(const std::vector<uint8_t>& bytes)
    {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }

    const std::vector<uint8_t>& Get() const { return bytes_; }
    operator const std::vector<uint8_t>&() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// The first n bytes.
inline std::vector<uint8_t> Prefix(const std::vector<uint8_t>& bytes, size_t n)
{
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
}
