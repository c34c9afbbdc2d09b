// Writing an object's stored form to each medium and reading it back, for the tests of
// the model's stored forms.
#pragma once

#include "../foundation/DataStreamKinds.h"
#include "FileBytes.h"
#include "foundation/RWBinaryFile.h"
#include "foundation/RWCollectable.h"
#include "TempPath.h"

#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

// The bytes that write puts into a fresh binary file.
inline std::vector<uint8_t> FileBytesOf(const std::function<void(RWBinaryFile&)>& write)
{
    TempPath path("stored.bin");
    {
        RWBinaryFile file(path.c_str(), "wb+");
        write(file);
    }
    return FileBytes(path.str());
}

// Runs read over a binary file holding exactly these bytes.
inline void ReadFileBytes(const std::vector<uint8_t>& bytes, const std::function<void(RWBinaryFile&)>& read)
{
    TempPath path("stored.bin");
    WriteFileBytes(path.str(), bytes);
    RWBinaryFile file(path.c_str(), "rb");
    read(file);
}

// The object's own fields (SaveGuts) on a binary file.
inline std::vector<uint8_t> GutsBytes(const RWCollectable& object)
{
    return FileBytesOf([&](RWBinaryFile& file) { object.SaveGuts(file); });
}

inline void RestoreGutsFrom(RWCollectable& object, const std::vector<uint8_t>& bytes)
{
    ReadFileBytes(bytes, [&](RWBinaryFile& file) { object.RestoreGuts(file); });
}

// The text that write puts into a typed stream of the kind.
inline std::string StreamTextOf(StreamKind kind, const std::function<void(RWDataOutStream&)>& write)
{
    std::stringbuf buffer;
    {
        auto stream = MakeOutStream(kind, &buffer);
        write(*stream);
        stream->Flush();
    }
    return buffer.str();
}

// Runs read over a typed stream of the kind holding the text; answers whether the
// stream was still good afterwards.
inline bool ReadStreamText(StreamKind kind, const std::string& text, const std::function<void(RWDataInStream&)>& read)
{
    std::stringbuf buffer(text);
    auto stream = MakeInStream(kind, &buffer);
    read(*stream);
    return stream->Good();
}

// The object's own fields through a stream of the kind and back into target.
inline bool StreamGutsInto(StreamKind kind, const RWCollectable& source, RWCollectable& target)
{
    const std::string text = StreamTextOf(kind, [&](RWDataOutStream& s) { source.SaveGuts(s); });
    return ReadStreamText(kind, text, [&](RWDataInStream& s) { target.RestoreGuts(s); });
}
