// Writing an object's stored form to each medium and reading it back, for the tests of
// the model's stored forms.
#pragma once

#include "../foundation/DataStreamKinds.h"
#include "StoreSizeChecks.h"

#include <cstdint>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

// The object's own fields (SaveGuts) on a binary file.
inline std::vector<uint8_t> GutsBytes(const RWCollectable& object)
{
    TempPath path(ThreadFileName("guts.bin"));
    {
        RWBinaryFile file(path.c_str(), "wb+");
        object.SaveGuts(file);
    }
    return FileBytes(path.str());
}

inline void RestoreGutsFrom(RWCollectable& object, const std::vector<uint8_t>& bytes)
{
    BytesFile file(bytes);
    object.RestoreGuts(file.File());
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

// The whole object graph through a stream of the kind; the caller owns the result.
inline RWCollectable* StreamedGraph(StreamKind kind, const RWCollectable* root)
{
    const std::string text = StreamTextOf(kind, [&](RWDataOutStream& s) { s << root; });
    RWCollectable* back = nullptr;
    ReadStreamText(kind, text, [&](RWDataInStream& s) { s >> back; });
    return back;
}
