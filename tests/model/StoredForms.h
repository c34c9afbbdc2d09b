// An object's own stored form (its SaveGuts and RestoreGuts, without the object
// reference around them) on a binary file and on the three kinds of typed stream, and a
// builder for the expected bytes.
#pragma once

#include "../foundation/DataStreamKinds.h"
#include "../foundation/StreamBytes.h"
#include "FileBytes.h"
#include "TempPath.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWCollectable.h"
#include "foundation/RWEndianHeader.h"
#include "foundation/RWErrorHandler.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

// The bytes SaveGuts writes to a binary file.
inline std::vector<uint8_t> FileFormOf(const RWCollectable& object)
{
    TempPath path("saved.bin");
    {
        RWBinaryFile file(path.c_str(), "wb+");
        object.SaveGuts(file);
    }
    return FileBytes(path.str());
}

// What a restore from a binary file holding bytes left behind.
struct FileRestore {
    long left;   // bytes not read
    bool atEnd;  // end-of-file was met
};

inline FileRestore RestoreFileForm(RWCollectable& object, const std::vector<uint8_t>& bytes)
{
    TempPath path("restored.bin");
    WriteFileBytes(path.str(), bytes);
    RWBinaryFile file(path.c_str(), "rb");
    object.RestoreGuts(file);
    return FileRestore{file.Remaining(), file.Eof()};
}

inline std::string StreamFormOf(StreamKind kind, const RWCollectable& object)
{
    std::stringbuf buffer;
    {
        auto out = MakeOutStream(kind, &buffer);
        object.SaveGuts(*out);
        out->Flush();
    }
    return buffer.str();
}

// True when the stream is still good after the restore.
inline bool RestoreStreamForm(StreamKind kind, RWCollectable& object, const std::string& data)
{
    std::stringbuf buffer(data);
    auto in = MakeInStream(kind, &buffer);
    object.RestoreGuts(*in);
    return in->Good();
}

// A restore from a cut stream form. The only error it may raise is the endian stream's
// [STREAM] for a cut inside its header.
inline bool RestoreCutStreamForm(StreamKind kind, RWCollectable& object, const std::string& data)
{
    RWErrorCapture capture;
    const bool good = RestoreStreamForm(kind, object, data);
    if (!capture.Empty()) {
        EXPECT_TRUE(kind == StreamKind::Endian && data.size() < RWEndianHeader::kSize) << capture.Last();
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
    // u32 length in characters, then 16-bit characters.
    StoredBytes& Wide(const std::wstring& text)
    {
        U32(uint32_t(text.size()));
        for (wchar_t c : text)
            U16(uint16_t(c));
        return *this;
    }
    // The root part of a model object: version 1, id, serial.
    StoredBytes& Root(int32_t id, int32_t serial) { return U32(1).U32(uint32_t(id)).U32(uint32_t(serial)); }

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
