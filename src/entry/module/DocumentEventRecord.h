// The records the print system hands with a document event, judged before anything
// reads them: the event's input and output must be there and large enough, and a
// DEVMODE must describe itself consistently and stay within a sane size.
#pragma once

#include "entry/module/DriverPlatform.h"

#include <cstdint>

class DocumentEventRecord {
public:
    // The largest DEVMODE (public part plus driver part) a document event copies.
    static constexpr uint32_t kLargestDevMode = 0x10000;
    // The size of the stamped copy when the DEVMODE is smaller than the stamp fields.
    static constexpr uint32_t kSmallestCopy = 264;
    static constexpr uint32_t kStampFlagsOffset = 256;
    static constexpr uint32_t kStampBiasOffset = 260;

    // False when the event's records cannot be read: CREATEDCPRE needs its creation
    // record, RESETDCPRE and the POST events a DEVMODE pointer as input, the PRE events
    // room for a pointer as output, and every DEVMODE passed must be acceptable.
    static bool ArgumentsValid(int event, ULONG inputSize, const void* input, ULONG outputSize, const void* output);
    // A null DEVMODE is acceptable (the PRE events answer a null copy). Otherwise dmSize
    // must reach past dmFields and hold every field dmFields names, and dmSize plus
    // dmDriverExtra must not pass kLargestDevMode. A DEVMODE that cannot be read is refused.
    static bool DevModeAcceptable(const DEVMODEW* devMode);
    // The size of the copy a PRE event makes of an acceptable DEVMODE.
    static uint32_t CopySize(const DEVMODEW* devMode);
};
