// Checks of a stored length or count against what the medium can still supply, made
// before anything is allocated for it, and the mark a reader leaves when it refuses one:
// a damaged length reads as data that ran out, so every later read fails as well.
#pragma once

#include "foundation/RWBinaryFile.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWReadTable.h"

#include <cstdint>

// True when at least bytes more can be read; a file that cannot tell what is left can
// supply nothing.
inline bool GCanSupply(RWBinaryFile& file, uint64_t bytes)
{
    const long left = file.Remaining();
    return left >= 0 && bytes <= static_cast<uint64_t>(left);
}

inline bool GCanSupply(RWDataInStream& stream, uint64_t bytes)
{
    return bytes <= SIZE_MAX && stream.CanSupply(static_cast<size_t>(bytes));
}

// A refusal fails the restore's read table, so that it is not taken for data that ran
// out.
inline void GRefuseTable()
{
    if (RWReadTable* table = RWReadTable::Current())
        table->SetFailed();
}

// Leaves the file at its end with end-of-file set.
inline void GRefuseStored(RWBinaryFile& file)
{
    GRefuseTable();
    char none;
    file.SeekToEnd();
    file.Read(none);
}

inline void GRefuseStored(RWDataInStream& stream)
{
    GRefuseTable();
    stream.SetState(stream.State() | RWDataStream::kEof | RWDataStream::kFail);
}

// A stored count of items, each at least minBytes long: false, with the medium marked,
// when the rest of the data cannot hold them.
template <class In>
bool GCheckStoredCount(In& in, uint32_t count, uint32_t minBytes)
{
    if (GCanSupply(in, uint64_t(count) * minBytes))
        return true;
    GRefuseStored(in);
    return false;
}
