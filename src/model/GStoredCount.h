// The check of a stored count or length against what the input can still supply, made
// before the count drives a loop or an allocation, on a binary file and on a typed
// stream alike.
#pragma once

#include <cstdint>

class RWBinaryFile;
class RWDataInStream;

// True when the input can still supply bytes more bytes. Otherwise the input is
// refused as a short read would leave it (a file at its end with end-of-file set, a
// stream with its end and fail bits set) and the answer is false.
bool GCanReadStored(RWBinaryFile& file, uint64_t bytes);
bool GCanReadStored(RWDataInStream& stream, uint64_t bytes);
