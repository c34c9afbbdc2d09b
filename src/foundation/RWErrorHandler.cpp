#include "foundation/RWErrorHandler.h"

#include "foundation/RWErrorCapture.h"
#include "foundation/RWThreadContext.h"

#include <windows.h>

#include <cstdarg>
#include <cstdlib>

namespace {

RWErrorHandler g_handler = RWDefaultErrorHandler;

void Dispatch(const RWException& error)
{
    ++RWThreadContext::Current().raised;
    if (RWErrorCapture* capture = RWErrorCapture::Current()) {
        capture->Record(error);
        return;
    }
    g_handler(&error);
}

} // namespace

RWErrorHandler RWSetErrorHandler(RWErrorHandler handler)
{
    RWErrorHandler previous = g_handler;
    g_handler = handler ? handler : RWDefaultErrorHandler;
    return previous;
}

void RWDefaultErrorHandler(const RWException* error)
{
    MessageBoxA(nullptr, error ? error->Why() : "", "Fatal Error", MB_TASKMODAL | MB_ICONSTOP);
    std::exit(1);
}

uint32_t RWErrorsRaised() { return RWThreadContext::Current().raised; }

void RWRaise(const RWException& error) { Dispatch(error); }
void RWRaise(const RWOutOfMemoryError& error) { Dispatch(error); }
void RWRaise(const RWExternalError& error) { Dispatch(error); }
void RWRaise(const RWFileError& error) { Dispatch(error); }
void RWRaise(const RWStreamError& error) { Dispatch(error); }
void RWRaise(const RWInternalError& error) { Dispatch(error); }
void RWRaise(const RWBoundsError& error) { Dispatch(error); }

void RWRaiseExternal(const RWMessageId& id, ...)
{
    va_list args;
    va_start(args, id);
    const RWMessageText text = RWMessageText::Format(id, args);
    va_end(args);
    RWRaise(RWExternalError(text));
}

void RWRaiseInternal(const RWMessageId& id, ...)
{
    va_list args;
    va_start(args, id);
    const RWMessageText text = RWMessageText::Format(id, args);
    va_end(args);
    RWRaise(RWInternalError(text));
}

void RWRaiseBounds(const RWMessageId& id, ...)
{
    va_list args;
    va_start(args, id);
    const RWMessageText text = RWMessageText::Format(id, args);
    va_end(args);
    RWRaise(RWBoundsError(text));
}

void RWRaiseIndexError(size_t index, size_t length)
{
    if (index == static_cast<size_t>(-1))
        RWRaiseBounds(RWMessageNposIndex());
    else
        RWRaiseBounds(RWMessageIndexError(), static_cast<unsigned>(index), static_cast<unsigned>(length));
}

RWErrorCapture::RWErrorCapture() : outer_(RWThreadContext::Current().capture)
{
    RWThreadContext::Current().capture = this;
}

RWErrorCapture::~RWErrorCapture() { RWThreadContext::Current().capture = outer_; }

RWErrorCapture* RWErrorCapture::Current() { return RWThreadContext::Current().capture; }

void RWErrorCapture::Record(const RWException& error)
{
    messages_.emplace_back(error.Why() ? error.Why() : "");
    classes_.emplace_back(typeid(error));
}
