// Helpers of the model's stored forms: the version word on typed streams, and the
// check of a stored count or length against what the input can still supply, made
// before the count drives a loop or an allocation.
#pragma once

#include <cstdint>

class RWBinaryFile;
class RWDataInStream;
class RWDataOutStream;

// The version word every model class writes before its own fields.
void GWriteVersion(RWDataOutStream& stream, uint32_t version = 1);
// True when a version word was read and equals expected.
bool GReadVersion(RWDataInStream& stream, uint32_t expected = 1);
// Reads a version word; false when it could not be read.
bool GReadVersionWord(RWDataInStream& stream, uint32_t& version);

// True when the input can still supply bytes more bytes. Otherwise the input is
// refused as a short read would leave it (a file at its end with end-of-file set, a
// stream with its end and fail bits set) and the answer is false.
bool GCanReadStored(RWBinaryFile& file, uint64_t bytes);
bool GCanReadStored(RWDataInStream& stream, uint64_t bytes);
