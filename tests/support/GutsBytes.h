// Helpers for tests of an object's own stored fields (its SaveGuts and RestoreGuts) on
// binary files and typed streams, and for composing expected little-endian bytes.
#pragma once

#include "FileBytes.h"
#include "TempPath.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWBinaryInStream.h"
#include "foundation/RWBinaryOutStream.h"
#include "foundation/RWCollectable.h"

#include <cstdint>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

// The bytes SaveGuts writes to a binary file.
inline std::vector<uint8_t> SavedGuts(const RWCollectable& obj)
{
    TempPath path("saved-guts.bin");
    {
        RWBinaryFile file(path.c_str(), "wb+");
        obj.SaveGuts(file);
    }
    return FileBytes(path.str());
}

// What a binary-file restore left behind: how many bytes it left unread and whether
// the file reported its end.
struct GutsRestore {
    bool opened = false;
    long left = -1;
    bool eof = false;
};

// Restores obj's fields from a binary file that holds exactly these bytes.
inline GutsRestore RestoreGutsFrom(RWCollectable& obj, const std::vector<uint8_t>& bytes)
{
    GutsRestore result;
    TempPath path("restore-guts.bin");
    if (!WriteFileBytes(path.str(), bytes))
        return result;
    RWBinaryFile file(path.c_str(), "rb");
    if (!file.IsValid())
        return result;
    result.opened = true;
    obj.RestoreGuts(file);
    result.left = file.Remaining();
    result.eof = file.Eof();
    return result;
}

// The bytes SaveGuts writes to a binary typed stream.
inline std::string StreamedGuts(const RWCollectable& obj)
{
    std::stringbuf buffer;
    RWBinaryOutStream stream(&buffer);
    obj.SaveGuts(stream);
    return buffer.str();
}

// Restores obj's fields from a binary typed stream over the bytes: true when the
// stream is still good afterwards.
inline bool RestoreGutsFromStream(RWCollectable& obj, const std::string& bytes)
{
    std::stringbuf buffer(bytes);
    RWBinaryInStream stream(&buffer);
    obj.RestoreGuts(stream);
    return stream.Good();
}

// Little-endian byte composition for expected stored forms.
class LeBytes {
public:
    LeBytes& U8(uint8_t v)
    {
        bytes_.push_back(v);
        return *this;
    }
    LeBytes& U16(uint16_t v) { return U8(uint8_t(v)).U8(uint8_t(v >> 8)); }
    LeBytes& U32(uint32_t v) { return U16(uint16_t(v)).U16(uint16_t(v >> 16)); }
    LeBytes& Raw(std::initializer_list<uint8_t> bytes)
    {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    LeBytes& Raw(const std::vector<uint8_t>& bytes)
    {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    const std::vector<uint8_t>& Get() const { return bytes_; }
    std::string Text() const { return std::string(bytes_.begin(), bytes_.end()); }

private:
    std::vector<uint8_t> bytes_;
};
