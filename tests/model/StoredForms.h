// Stored forms of model objects for the tests: an object's own fields (SaveGuts and
// RestoreGuts) on a binary file and on each typed stream kind, whole graphs on every
// medium, what a restore left behind, and builders for expected or crafted bytes.
#pragma once

#include "../foundation/DataStreamKinds.h"
#include "../foundation/StreamBytes.h"
#include "StoreSizeChecks.h"
#include "StoredBytes.h"

#include "foundation/RWEndianHeader.h"
#include "foundation/RWErrorHandler.h"
#include "model/GObjectBase.h"
#include "TestErrorCapture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// The object's own fields on a binary file.
inline std::vector<uint8_t> GutsBytes(const RWCollectable& object)
{
    TempPath path(ThreadFileName("guts.bin"));
    {
        RWBinaryFile file(path.c_str(), "wb+");
        object.SaveGuts(file);
    }
    return FileBytes(path.str());
}

// Where a binary-file restore left the file: bytes not read, and whether it met the end.
struct FileEnd {
    long left = -1;
    bool eof = false;
};

inline FileEnd RestoreGutsAndMeasure(RWCollectable& object, const std::vector<uint8_t>& bytes)
{
    BytesFile file(bytes);
    object.RestoreGuts(file.File());
    return FileEnd{file.File().Remaining(), file.File().Eof()};
}

inline void RestoreGutsFrom(RWCollectable& object, const std::vector<uint8_t>& bytes)
{
    RestoreGutsAndMeasure(object, bytes);
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

inline std::string StreamFormOf(StreamKind kind, const RWCollectable& object)
{
    return StreamTextOf(kind, [&](RWDataOutStream& s) { object.SaveGuts(s); });
}

// True when the stream is still good after the restore.
inline bool RestoreStreamForm(StreamKind kind, RWCollectable& object, const std::string& text)
{
    return ReadStreamText(kind, text, [&](RWDataInStream& s) { object.RestoreGuts(s); });
}

// The object's own fields through a stream of the kind and back into target.
inline bool StreamGutsInto(StreamKind kind, const RWCollectable& source, RWCollectable& target)
{
    return RestoreStreamForm(kind, target, StreamFormOf(kind, source));
}

// A restore from a cut stream form. The only error it may raise is the endian stream's
// [STREAM] for a cut inside its header.
inline bool RestoreCutStreamForm(StreamKind kind, RWCollectable& object, const std::string& text)
{
    TestErrorCapture capture;
    const bool good = RestoreStreamForm(kind, object, text);
    if (!capture.Empty()) {
        EXPECT_TRUE(kind == StreamKind::Endian && text.size() < RWEndianHeader::kSize) << capture.Last();
        EXPECT_EQ(0u, capture.Last().find("[STREAM]")) << capture.Last();
    }
    return good;
}

// The media a whole graph is stored on.
enum class Medium { File, Portable, Binary, Endian };
const Medium kAllMedia[] = {Medium::File, Medium::Portable, Medium::Binary, Medium::Endian};

inline std::ostream& operator<<(std::ostream& os, Medium medium)
{
    static const char* const kNames[] = {"File", "Portable", "Binary", "Endian"};
    return os << kNames[static_cast<int>(medium)];
}

inline StreamKind KindOf(Medium medium) { return static_cast<StreamKind>(static_cast<int>(medium) - 1); }

// What came back, if it is a model object; anything else is deleted.
inline std::unique_ptr<GObjectBase> AsModel(RWCollectable* back)
{
    GObjectBase* model = dynamic_cast<GObjectBase*>(back);
    if (!model)
        delete back;
    return std::unique_ptr<GObjectBase>(model);
}

// The graph saved whole on the medium and read back.
inline std::unique_ptr<GObjectBase> GraphRoundTrip(Medium medium, const RWCollectable* root)
{
    if (medium == Medium::File)
        return AsModel(RestoredFromBytes(SavedBytes(root)));
    return AsModel(StreamRestored(KindOf(medium), StreamSaved(KindOf(medium), root)));
}

// The pieces joined in order: a stored prefix, then hand-made bytes.
inline std::vector<uint8_t> Joined(std::vector<uint8_t> head, std::initializer_list<uint8_t> tail)
{
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

inline std::string Joined(std::string head, std::initializer_list<uint8_t> tail)
{
    head.append(tail.begin(), tail.end());
    return head;
}

// A typed-stream text cut short by n bytes.
inline std::string WithoutLast(std::string text, size_t n)
{
    text.resize(text.size() >= n ? text.size() - n : 0);
    return text;
}

// The first n bytes.
inline std::vector<uint8_t> Prefix(const std::vector<uint8_t>& bytes, size_t n)
{
    return std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n));
}
