#include "model/GStoredForm.h"

#include "foundation/RWBinaryFile.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"

#include <cstddef>

void GWriteVersion(RWDataOutStream& stream, uint32_t version) { stream << static_cast<unsigned int>(version); }

bool GReadVersionWord(RWDataInStream& stream, uint32_t& version)
{
    unsigned int word = 0;
    stream >> word;
    if (!stream.Good())
        return false;
    version = word;
    return true;
}

bool GReadVersion(RWDataInStream& stream, uint32_t expected)
{
    uint32_t version = 0;
    return GReadVersionWord(stream, version) && version == expected;
}

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
