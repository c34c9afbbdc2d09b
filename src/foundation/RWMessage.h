// The foundation library's message catalogues and the formatted message text.
//
// Every error the library reports carries one of these coded messages; the codes and
// texts are fixed because they are what a user or a log ever sees of a failure.
#pragma once

#include <cstdarg>
#include <cstdint>

// One catalogue entry: the catalogue's name, the message id and its default text.
struct RWMessageId {
    const char* catalogue;
    uint32_t id;
    const char* text;
    uint32_t reserved;
};

// The "rwtools7.0" catalogue.
const RWMessageId& RWMessageAllocOutstanding();   // [ALLOCOUT]
const RWMessageId& RWMessageBadRegularExpression(); // [BADRE]
const RWMessageId& RWMessageAbstractClass();      // [CRABS]
const RWMessageId& RWMessageFreeListError();      // [FLIST]
const RWMessageId& RWMessageUnexpectedClassId();  // [ID]
const RWMessageId& RWMessageIndex();              // [INDEX]
const RWMessageId& RWMessageLockedDeleted();      // [LOCK]
const RWMessageId& RWMessageLongIndex();          // [LONGINDEX]
const RWMessageId& RWMessageBadMagic();           // [MAGIC]
const RWMessageId& RWMessageUnequalVectors();     // [NEVECL]
const RWMessageId& RWMessageNoCreate();           // [NOCREATE]
const RWMessageId& RWMessageNotAllowed();         // [NOTALLOW]
const RWMessageId& RWMessageReadError();          // [READERR]
const RWMessageId& RWMessageBadReference();       // [REF]
const RWMessageId& RWMessageSeekError();          // [SEEKERR]
const RWMessageId& RWMessageBadStream();          // [STREAM]
const RWMessageId& RWMessageSubString();          // [SUBSTRING]
const RWMessageId& RWMessageImproperUnlock();     // [UNLOCK]
const RWMessageId& RWMessageWriteError();         // [WRITEERR]
const RWMessageId& RWMessageIndexError();         // [INDEXERR]
const RWMessageId& RWMessageNposIndex();          // [NPOSINDEX]
const RWMessageId& RWMessageNoPersist();          // [NOPERSIST]

// The "rwcore7.0" catalogue of the collection library.
const RWMessageId& RWMessageEndOfFile();          // [EOF]
const RWMessageId& RWMessageGeneric();            // [GENERIC]
const RWMessageId& RWMessageInvalidAddress();     // [INVADDR]
const RWMessageId& RWMessageLockMemory();         // [LOCK]
const RWMessageId& RWMessageNotInitialized();     // [NOINIT]
const RWMessageId& RWMessageNoMemory();           // [NOMEM]
const RWMessageId& RWMessageOpenError();          // [OPERR]
const RWMessageId& RWMessageOutstandingAllocations(); // [OUTALLOC]
const RWMessageId& RWMessageOverflow();           // [OVFLOW]
const RWMessageId& RWMessageCoreBadStream();      // [STREAM]
const RWMessageId& RWMessageSyntaxStream();       // [SYNSTREAM]

// The default text of a message id of either catalogue; null for an unknown id.
const char* RWMessageDefaultText(uint32_t id);

// A heap copy of a NUL-terminated text (a null text gives an empty one), freed with delete[].
char* RWDuplicateText(const char* text);

// One owned heap copy of a message text.
class RWMessageText {
public:
    // Longest formatted message, terminator included; longer ones are cut short.
    static const unsigned kWorkBufferSize = 500;

    // Formats the message's default text with printf-style arguments.
    explicit RWMessageText(const RWMessageId& id, ...);
    // The same from an argument list already started by the caller.
    static RWMessageText Format(const RWMessageId& id, va_list args);
    explicit RWMessageText(const char* text);
    RWMessageText(const RWMessageText& other);
    RWMessageText& operator=(const RWMessageText& other);
    ~RWMessageText();

    const char* Text() const { return text_; }

private:
    struct Adopt {};
    RWMessageText(char* text, Adopt) : text_(text) {}
    static char* FormatText(const RWMessageId& id, va_list args);

    char* text_;
};
