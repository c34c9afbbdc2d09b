// Code that reads bytes it does not control (a DEVMODE from an application, printer
// data, a damaged file) runs under an RWErrorCapture: errors raised on that thread are
// recorded instead of reaching the handler, the raise returns, and the raising code
// takes its defined way out (a null result, a fail bit, a stop).
#pragma once

#include "foundation/RWException.h"

#include <cstddef>
#include <string>
#include <typeindex>
#include <vector>

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

    // The capture active on this thread, or null.
    static RWErrorCapture* Current();
    void Record(const RWException& error);

protected:
    // Each recorded error's text and class, oldest first.
    std::vector<std::string> messages_;
    std::vector<std::type_index> classes_;

private:
    RWErrorCapture* outer_;
};
