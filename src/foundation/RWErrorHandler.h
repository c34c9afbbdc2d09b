// The one process-wide error handler of the foundation library and the raise
// operations that reach it; a per-thread capture (RWErrorCapture.h) can take errors
// in its place.
//
// The default handler reports the error in a "Fatal Error" box and ends the process:
// that is for misuse by the program itself. Code that reads bytes it does not control
// (a DEVMODE from an application, printer data, a damaged file) runs under an
// RWErrorCapture instead: errors raised on that thread are recorded, the raise returns,
// and the raising code takes its defined way out (a null result, a fail bit, a stop).
#pragma once

#include "foundation/RWException.h"
#include "foundation/RWMessage.h"

#include <cstddef>
#include <cstdint>

typedef void (*RWErrorHandler)(const RWException* error);

// Installs a handler and returns the previous one (the default on the first call).
RWErrorHandler RWSetErrorHandler(RWErrorHandler handler);

// Shows the error's text in a task-modal "Fatal Error" box, then exits with code 1.
void RWDefaultErrorHandler(const RWException* error);

// One raise per error class: the error goes to the thread's capture when one is active,
// else to the installed handler. The raise returns when the handler does.
void RWRaise(const RWException& error);
void RWRaise(const RWOutOfMemoryError& error);
void RWRaise(const RWExternalError& error);
void RWRaise(const RWFileError& error);
void RWRaise(const RWStreamError& error);
void RWRaise(const RWInternalError& error);
void RWRaise(const RWBoundsError& error);

// The errors raised on the calling thread so far: a reader that must know whether a
// step it took was refused compares the count before and after.
uint32_t RWErrorsRaised();

// Format a catalogue message with its values and raise it as the named class.
void RWRaiseExternal(const RWMessageId& id, ...);
void RWRaiseInternal(const RWMessageId& id, ...);
void RWRaiseBounds(const RWMessageId& id, ...);

// The index check failure shared by strings, lists and vectors: [NPOSINDEX] for the
// index RW_NPOS, else [INDEXERR] with the index and the length.
void RWRaiseIndexError(size_t index, size_t length);
