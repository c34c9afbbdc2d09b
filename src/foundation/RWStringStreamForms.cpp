// The typed-stream forms of the counted strings: a length as an unsigned int, then the
// text. Kept apart from the strings' own files so that the strings do not depend on the
// stream classes beyond these few operations.
#include "foundation/RWCString.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"
#include "foundation/RWWString.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// A stored length that the stream cannot hold: the data ran out before it, as far as
// the reader is concerned.
bool Refuse(RWDataInStream& stream)
{
    stream.SetState(stream.State() | RWDataStream::kEof | RWDataStream::kFail);
    return false;
}

// Reads a stored length; false when it is missing or asks for more than can be there.
template <class Core>
bool GetLength(RWDataInStream& stream, unsigned int& length)
{
    stream >> length;
    if (!stream.Good())
        return false;
    if (length > Core::kMaxLength || !stream.CanSupply(length))
        return Refuse(stream);
    return true;
}

// The buffer of s cleared for n characters, or null, with s as it was, when the memory
// is not there.
template <class String>
auto ClobberOrNull(String& s, size_t n) -> decltype(s.Clobber(n))
{
    try {
        return s.Clobber(n);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Wide characters travel as 16-bit unsigned values, a batch at a time.
const size_t kUnitBatch = 256;

} // namespace

bool RWCString::SaveOn(RWDataOutStream& stream) const
{
    const size_t length = Length();
    stream << static_cast<unsigned int>(length);
    if (stream.StringFlag())
        stream.PutString(Data(), length);
    else
        stream.Put(Data(), length);
    return stream.Good();
}

bool RWCString::RestoreFrom(RWDataInStream& stream)
{
    unsigned int length = 0;
    if (!GetLength<Core>(stream, length))
        return false;
    char* buffer = ClobberOrNull(*this, length);
    if (!buffer)
        return Refuse(stream);
    // A text that falls short never shows unread memory.
    std::memset(buffer, 0, length + 1);
    if (stream.StringFlag()) {
        // The reader ends what it took with a NUL: a mark past the stored length that
        // is still there shows an inner text shorter than the stored length. (An empty
        // text may be the shared one, which is never written; a longer inner text
        // fails in the reader.)
        if (length > 0)
            buffer[length] = 1;
        stream.GetString(buffer, length + 1);
        if (length > 0 && buffer[length] != 0) {
            buffer[length] = 0;
            stream.SetState(stream.State() | RWDataStream::kFail);
        }
    } else {
        stream.Get(buffer, length);
    }
    SetLength(stream.Good() ? length : std::strlen(buffer));
    return stream.Good();
}

bool RWWString::SaveOn(RWDataOutStream& stream) const
{
    const size_t length = Length();
    const wchar_t* text = Data();
    stream << static_cast<unsigned int>(length);
    unsigned short units[kUnitBatch];
    for (size_t done = 0; done < length;) {
        const size_t count = std::min(length - done, kUnitBatch);
        for (size_t i = 0; i < count; ++i)
            units[i] = static_cast<unsigned short>(text[done + i]);
        stream.Put(units, count);
        done += count;
    }
    return stream.Good();
}

bool RWWString::RestoreFrom(RWDataInStream& stream)
{
    unsigned int length = 0;
    if (!GetLength<Core>(stream, length))
        return false;
    wchar_t* buffer = ClobberOrNull(*this, length);
    if (!buffer)
        return Refuse(stream);
    unsigned short units[kUnitBatch];
    size_t done = 0;
    while (done < length) {
        const size_t count = std::min(length - done, kUnitBatch);
        stream.Get(units, count);
        if (!stream.Good())
            break;
        for (size_t i = 0; i < count; ++i)
            buffer[done + i] = static_cast<wchar_t>(units[i]);
        done += count;
    }
    // Only the batches that arrived whole are kept.
    SetLength(done);
    return stream.Good();
}

RWDataOutStream& operator<<(RWDataOutStream& stream, const RWCString& s)
{
    s.SaveOn(stream);
    return stream;
}

RWDataInStream& operator>>(RWDataInStream& stream, RWCString& s)
{
    s.RestoreFrom(stream);
    return stream;
}

RWDataOutStream& operator<<(RWDataOutStream& stream, const RWWString& s)
{
    s.SaveOn(stream);
    return stream;
}

RWDataInStream& operator>>(RWDataInStream& stream, RWWString& s)
{
    s.RestoreFrom(stream);
    return stream;
}
