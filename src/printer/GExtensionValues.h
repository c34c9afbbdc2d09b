// The values the driver answers to extension modules: one getter per key reads one
// setting and translates it into the extension interface's 16-bit value code. Where a
// getter reads when it is given no state depends on its policy and on the class of the
// command being processed. Every setting found is class-checked before it is read; one
// of another class reads as absent.
#pragma once

#include <cstdint>

class GCommand;
class GObjectBase;

// What a query sees of the job: the job settings (searched by feature id), the command
// being processed and the page-description writer, each null when there is none. The
// writer is known by its class id alone.
struct GExtensionQueryContext {
    GObjectBase* jobSettings;
    GCommand* command;
    const GObjectBase* writer;
};

// The answers of a getter.
enum : uint16_t {
    kExtensionValueWritten = 0,
    kExtensionValueNotFound = 1,
    kExtensionValueStateGiven = 4,
};

// Reads one setting from the state (null for none) or the context and writes its code.
typedef uint16_t (*ExtensionValueGetter)(GObjectBase* state, const GExtensionQueryContext& context,
                                         uint16_t* code);

// The getter of a key the driver answers; null for any other key.
ExtensionValueGetter FindExtensionValueGetter(uint16_t key);

// The value codes of a paper code and of a paper source code.
uint16_t PaperCodeToValueCode(int16_t paperCode);
uint16_t SourceCodeToValueCode(uint16_t sourceCode);

// The writer classes key 10 tells apart.
const uint16_t kPclXlWriterClassId = 767;
const uint16_t kPcl5eWriterClassId = 788;
