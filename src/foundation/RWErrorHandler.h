// The one process-wide error handler of the foundation library, the raise operations
// that reach it, and a per-thread capture for code that reads foreign bytes.
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
#include <string>
#include <typeindex>
#include <typeinfo>
#include <vector>

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

// Format a catalogue message with its values and raise it as the named class.
void RWRaiseExternal(const RWMessageId& id, ...);
void RWRaiseInternal(const RWMessageId& id, ...);
void RWRaiseBounds(const RWMessageId& id, ...);

// The index check failure shared by strings, lists and vectors: [NPOSINDEX] for the
// index RW_NPOS, else [INDEXERR] with the index and the length.
void RWRaiseIndexError(size_t index, size_t length);

// While alive, records every error raised on the constructing thread instead of
// passing it to the handler. Captures nest; the innermost one records.
class RWErrorCapture {
public:
    RWErrorCapture();
    ~RWErrorCapture();
    RWErrorCapture(const RWErrorCapture&) = delete;
    RWErrorCapture& operator=(const RWErrorCapture&) = delete;

    bool Empty() const { return messages_.empty(); }
    size_t Count() const { return messages_.size(); }
    const std::vector<std::string>& Messages() const { return messages_; }
    // The last recorded text, or an empty text.
    std::string Last() const { return messages_.empty() ? std::string() : messages_.back(); }
    // True when the last recorded error is exactly of class E.
    template <class E>
    bool LastIs() const { return !classes_.empty() && classes_.back() == std::type_index(typeid(E)); }
    void Clear()
    {
        messages_.clear();
        classes_.clear();
    }

    // The capture active on this thread, or null.
    static RWErrorCapture* Current();
    void Record(const RWException& error);

private:
    std::vector<std::string> messages_;
    std::vector<std::type_index> classes_;
    RWErrorCapture* outer_;
};
