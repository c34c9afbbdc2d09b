#include "foundation/RWException.h"

#include "foundation/RWMessage.h"


RWException::RWException(const char* text) : text_(RWDuplicateText(text)), ownsText_(1) {}

RWException::RWException(const RWMessageText& text) : text_(RWDuplicateText(text.Text())), ownsText_(1) {}

RWException::RWException(const char* text, bool copy)
    : text_(copy ? RWDuplicateText(text) : text), ownsText_(copy ? 1 : 0)
{
}

RWException::RWException(const RWException& other)
    : text_(other.ownsText_ ? RWDuplicateText(other.text_) : other.text_), ownsText_(other.ownsText_)
{
}

RWException::~RWException()
{
    if (ownsText_)
        delete[] text_;
}

RWOutOfMemoryError::RWOutOfMemoryError(uint32_t requested)
    : RWException(RWMessageNoMemory().text, false), requested_(requested)
{
}

RWFileError::RWFileError(const RWMessageText& text, FILE* file, uint32_t kind)
    : RWExternalError(text), file_(file), kind_(kind)
{
}

RWStreamError::RWStreamError(const RWMessageText& text, const void* stream)
    : RWExternalError(text), stream_(stream)
{
}
