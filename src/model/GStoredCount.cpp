#include "model/GStoredCount.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWDataInStream.h"

#include <cstddef>

bool GCanReadStored(RWBinaryFile& file, uint64_t bytes)
{
    const long left = file.Remaining();
    if (left >= 0 && bytes <= static_cast<uint64_t>(left))
        return true;
    char none;
    file.SeekToEnd();
    file.Read(none);
    return false;
}

bool GCanReadStored(RWDataInStream& stream, uint64_t bytes)
{
    if (bytes <= SIZE_MAX && stream.CanSupply(static_cast<size_t>(bytes)))
        return true;
    stream.SetState(stream.State() | RWDataStream::kEof | RWDataStream::kFail);
    return false;
}
