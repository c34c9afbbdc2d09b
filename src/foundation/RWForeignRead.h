// Every read of bytes the module did not just write (spool streams, printer data,
// stored objects, files) runs through RWForeignRead: its capture is open before the
// read makes the holder over the bytes, whose constructor may already raise on a bad
// header, so no error of the read reaches the process-wide handler, whose default ends
// the host process. An error raised anywhere in the read makes it fail.
#pragma once

#include "foundation/RWErrorCapture.h"

#include <cstdint>
#include <memory>

class RWForeignRead {
public:
    // Runs read (which opens the bytes and reads them) under the capture: read's answer
    // when no error was raised, else false.
    template <class Read>
    static bool Run(Read&& read)
    {
        Begin();
        RWErrorCapture capture;
        const bool ok = read();
        return ok && capture.Empty();
    }

    // For a read that makes an object (read answers an owning pointer or null): the
    // object when no error was raised; else it is deleted, still under the capture,
    // and the answer is null.
    template <class T, class Read>
    static T* Make(Read&& read)
    {
        Begin();
        RWErrorCapture capture;
        std::unique_ptr<T> made(read());
        return capture.Empty() ? made.release() : nullptr;
    }

    // The foreign reads begun in this process so far (a test sees that a reader used
    // the capture).
    static uint32_t Count();

private:
    static void Begin();
};
