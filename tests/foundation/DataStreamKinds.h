// The three kinds of typed data stream by kind number (0 portable, 1 binary, 2 endian
// in host order), for tests that must hold for every encoding.
#pragma once

#include "foundation/RWBinaryInStream.h"
#include "foundation/RWCollectable.h"
#include "foundation/RWBinaryOutStream.h"
#include "foundation/RWEndianInStream.h"
#include "foundation/RWEndianOutStream.h"
#include "foundation/RWPortableInStream.h"
#include "foundation/RWPortableOutStream.h"

#include <memory>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string>

enum class StreamKind { Portable = 0, Binary = 1, Endian = 2 };

inline std::unique_ptr<RWDataOutStream> MakeOutStream(StreamKind kind, std::streambuf* buffer)
{
    switch (kind) {
    case StreamKind::Portable:
        return std::make_unique<RWPortableOutStream>(buffer);
    case StreamKind::Binary:
        return std::make_unique<RWBinaryOutStream>(buffer);
    case StreamKind::Endian:
        break;
    }
    return std::make_unique<RWEndianOutStream>(buffer, RWEndianHeader::kHostOrder);
}

inline std::unique_ptr<RWDataInStream> MakeInStream(StreamKind kind, std::streambuf* buffer)
{
    switch (kind) {
    case StreamKind::Portable:
        return std::make_unique<RWPortableInStream>(buffer);
    case StreamKind::Binary:
        return std::make_unique<RWBinaryInStream>(buffer);
    case StreamKind::Endian:
        break;
    }
    return std::make_unique<RWEndianInStream>(buffer);
}

inline std::ostream& operator<<(std::ostream& os, StreamKind kind)
{
    static const char* const kNames[] = {"Portable", "Binary", "Endian"};
    return os << kNames[static_cast<int>(kind)];
}

const StreamKind kAllStreamKinds[] = {StreamKind::Portable, StreamKind::Binary, StreamKind::Endian};

// The bytes a typed stream of the given kind holds after an outermost save of obj.
inline std::string StreamSaved(StreamKind kind, const RWCollectable* obj)
{
    std::stringbuf buffer;
    std::unique_ptr<RWDataOutStream> out = MakeOutStream(kind, &buffer);
    *out << obj;
    out->Flush();
    return buffer.str();
}

// Reads one reference from the bytes; the caller owns what comes back. good, when
// given, tells whether the stream is still good afterwards.
inline RWCollectable* StreamRestored(StreamKind kind, const std::string& bytes, bool* good = nullptr)
{
    std::stringbuf buffer(bytes);
    std::unique_ptr<RWDataInStream> in = MakeInStream(kind, &buffer);
    RWCollectable* obj = nullptr;
    *in >> obj;
    if (good)
        *good = in->Good();
    return obj;
}
