#include "foundation/RWMessage.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

const char kTools[] = "rwtools7.0";
const char kCore[] = "rwcore7.0";

const RWMessageId kToolsMessages[] = {
    {kTools, 0x2000, "[ALLOCOUT] %s destructor called with allocation outstanding", 0},
    {kTools, 0x2001, "[BADRE] Attempt to use invalid regular expression", 0},
    {kTools, 0x2002, "[CRABS] RWFactory: attempting to create abstract class with ID %hu (0x%hx)", 0},
    {kTools, 0x2003, "[FLIST] Free list size error: expected %ld, got %ld", 0},
    {kTools, 0x2004, "[ID] Unexpected class ID %hu; should be %hu", 0},
    {kTools, 0x2005, "[INDEX] Index (%u) out of range [0->%u]", 0},
    {kTools, 0x2006, "[LOCK] Locked object deleted", 0},
    {kTools, 0x2007, "[LONGINDEX] Long index (%lu) out of range [0->%lu]", 0},
    {kTools, 0x2008, "[MAGIC] Bad magic number: %ld (should be %ld)", 0},
    {kTools, 0x2009, "[NEVECL] Unequal vector lengths: %u versus %u", 0},
    {kTools, 0x200A, "[NOCREATE] RWFactory: no create function for class with ID %hu (0x%hx)", 0},
    {kTools, 0x200B, "[NOTALLOW] Function not allowed for derived class", 0},
    {kTools, 0x200C, "[READERR] Read error", 0},
    {kTools, 0x200D, "[REF] Bad persistence reference", 0},
    {kTools, 0x200E, "[SEEKERR] Seek error", 0},
    {kTools, 0x200F, "[STREAM] Bad input stream", 0},
    {kTools, 0x2010, "[SUBSTRING] Illegal substring (%d, %u) from %u element RWCString", 0},
    {kTools, 0x2011, "[UNLOCK] Improper use of locked object", 0},
    {kTools, 0x2012, "[WRITEERR] Write error", 0},
    {kTools, 0x2013, "[INDEXERR] Illegal Index (%u) for collection or string with %u elements", 0},
    {kTools, 0x2014, "[NPOSINDEX] The value RW_NPOS cannot be used as an index.", 0},
    {kTools, 0x2015, "[NOPERSIST] Persistence not implemented for type %s.", 0},
};

const RWMessageId kCoreMessages[] = {
    {kCore, 0x1000, "[EOF] EOF on input", 0},
    {kCore, 0x1001, "[GENERIC] Generic error number %d; %s", 0},
    {kCore, 0x1002, "[INVADDR] Invalid address: %lx", 0},
    {kCore, 0x1003, "[LOCK] Unable to lock memory", 0},
    {kCore, 0x1004, "[NOINIT] Memory allocated without being initialized", 0},
    {kCore, 0x1005, "[NOMEM] No memory", 0},
    {kCore, 0x1006, "[OPERR] Could not open file %s", 0},
    {kCore, 0x1007, "[OUTALLOC] Memory released with allocations still outstanding", 0},
    {kCore, 0x1008, "[OVFLOW] Overflow error -> \"%.*s\" <- (%u max characters)", 0},
    {kCore, 0x1009, "[STREAM] Bad input stream", 0},
    {kCore, 0x100A, "[SYNSTREAM] Syntax error in input stream: expected %s, got %s", 0},
};

const RWMessageId& Tools(uint32_t id) { return kToolsMessages[id - 0x2000]; }
const RWMessageId& Core(uint32_t id) { return kCoreMessages[id - 0x1000]; }

} // namespace

const RWMessageId& RWMessageAllocOutstanding() { return Tools(0x2000); }
const RWMessageId& RWMessageBadRegularExpression() { return Tools(0x2001); }
const RWMessageId& RWMessageAbstractClass() { return Tools(0x2002); }
const RWMessageId& RWMessageFreeListError() { return Tools(0x2003); }
const RWMessageId& RWMessageUnexpectedClassId() { return Tools(0x2004); }
const RWMessageId& RWMessageIndex() { return Tools(0x2005); }
const RWMessageId& RWMessageLockedDeleted() { return Tools(0x2006); }
const RWMessageId& RWMessageLongIndex() { return Tools(0x2007); }
const RWMessageId& RWMessageBadMagic() { return Tools(0x2008); }
const RWMessageId& RWMessageUnequalVectors() { return Tools(0x2009); }
const RWMessageId& RWMessageNoCreate() { return Tools(0x200A); }
const RWMessageId& RWMessageNotAllowed() { return Tools(0x200B); }
const RWMessageId& RWMessageReadError() { return Tools(0x200C); }
const RWMessageId& RWMessageBadReference() { return Tools(0x200D); }
const RWMessageId& RWMessageSeekError() { return Tools(0x200E); }
const RWMessageId& RWMessageBadStream() { return Tools(0x200F); }
const RWMessageId& RWMessageSubString() { return Tools(0x2010); }
const RWMessageId& RWMessageImproperUnlock() { return Tools(0x2011); }
const RWMessageId& RWMessageWriteError() { return Tools(0x2012); }
const RWMessageId& RWMessageIndexError() { return Tools(0x2013); }
const RWMessageId& RWMessageNposIndex() { return Tools(0x2014); }
const RWMessageId& RWMessageNoPersist() { return Tools(0x2015); }

const RWMessageId& RWMessageEndOfFile() { return Core(0x1000); }
const RWMessageId& RWMessageGeneric() { return Core(0x1001); }
const RWMessageId& RWMessageInvalidAddress() { return Core(0x1002); }
const RWMessageId& RWMessageLockMemory() { return Core(0x1003); }
const RWMessageId& RWMessageNotInitialized() { return Core(0x1004); }
const RWMessageId& RWMessageNoMemory() { return Core(0x1005); }
const RWMessageId& RWMessageOpenError() { return Core(0x1006); }
const RWMessageId& RWMessageOutstandingAllocations() { return Core(0x1007); }
const RWMessageId& RWMessageOverflow() { return Core(0x1008); }
const RWMessageId& RWMessageCoreBadStream() { return Core(0x1009); }
const RWMessageId& RWMessageSyntaxStream() { return Core(0x100A); }

const char* RWMessageDefaultText(uint32_t id)
{
    for (const RWMessageId& m : kToolsMessages)
        if (m.id == id)
            return m.text;
    for (const RWMessageId& m : kCoreMessages)
        if (m.id == id)
            return m.text;
    return nullptr;
}

char* RWDuplicateText(const char* text)
{
    const size_t n = text ? std::strlen(text) : 0;
    char* copy = new char[n + 1];
    if (n)
        std::memcpy(copy, text, n);
    copy[n] = 0;
    return copy;
}

char* RWMessageText::FormatText(const RWMessageId& id, va_list args)
{
    // Formatting is bounded by the work buffer: an overlong argument cuts the text
    // short instead of writing past the buffer.
    char work[kWorkBufferSize];
    const int n = std::vsnprintf(work, sizeof work, id.text, args);
    if (n < 0)
        work[0] = 0;
    work[sizeof work - 1] = 0;
    return RWDuplicateText(work);
}

RWMessageText::RWMessageText(const RWMessageId& id, ...)
{
    va_list args;
    va_start(args, id);
    text_ = FormatText(id, args);
    va_end(args);
}

RWMessageText RWMessageText::Format(const RWMessageId& id, va_list args)
{
    return RWMessageText(FormatText(id, args), Adopt{});
}

RWMessageText::RWMessageText(const char* text) : text_(RWDuplicateText(text)) {}

RWMessageText::RWMessageText(const RWMessageText& other) : text_(RWDuplicateText(other.text_)) {}

RWMessageText& RWMessageText::operator=(const RWMessageText& other)
{
    if (this != &other) {
        char* copy = RWDuplicateText(other.text_);
        delete[] text_;
        text_ = copy;
    }
    return *this;
}

RWMessageText::~RWMessageText() { delete[] text_; }
