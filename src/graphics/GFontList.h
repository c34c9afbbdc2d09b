// A keyed container of persistent objects, owned by the list, with one message function
// through which its owner decides what is written, replaced, compared and released.
// The font file pool keeps its readers in one, and the job's font database its fonts.
#pragma once

#include "foundation/RWBinaryFile.h"
#include "foundation/RWCollectable.h"
#include "foundation/RWDataInStream.h"
#include "foundation/RWDataOutStream.h"
#include "model/GObjectBase.h"

#include <cstdint>
#include <map>
#include <vector>

// What the list asks its owner's message function; each answers 0 or 1.
enum GFontListMessageCode : uint32_t {
    // Before a write, for each object: 1 when it is to be counted as written.
    kFontListCount = 0,
    // Writing: 1 to write the object now. Visiting: 1 to take it out and delete it.
    kFontListWriteOrRelease = 1,
    // After the object was written.
    kFontListWritten = 2,
    // A read object went in under a new key.
    kFontListInserted = 3,
    // Not sent by the list; a message function answers 1.
    kFontListUnused = 4,
    // A read object has a stored one's key (argument: the stored object): 1 when the new
    // one replaces it.
    kFontListReplace = 5,
    // Compare (argument: the other object): 1 when equal.
    kFontListCompare = 6,
};

// Called with (new or stored object, message, argument); answers 0 or 1. The message is
// a GFontListMessageCode.
typedef int (*GFontListMessage)(GObjectBase* object, uint32_t message, uintptr_t argument);

class GFontList {
public:
    // kind: the class id every object a read keeps is a kind of. A stored object of
    // another class is refused before it is made, and the read fails. accept, when given,
    // is asked of each model object a read made, for kinds no class id names (an
    // abstract class the factory does not know); a refused one fails the read too.
    GFontList(GFontListMessage message, RWClassID kind = GObjectBase::kClassId,
              RWCollectable::KindTest accept = nullptr);
    GFontList(const GFontList&) = delete;
    GFontList& operator=(const GFontList&) = delete;
    ~GFontList();

    // 1 when the key was new and the list took the object; 0 changes nothing.
    int Add(uint32_t key, GObjectBase* object);
    GObjectBase* Find(uint32_t key) const;
    // Takes the entry out and answers its object, which the caller then owns.
    GObjectBase* Take(uint32_t key);
    int Contains(uint32_t key) const { return objects_.count(key) != 0; }
    uint32_t GetCount() const { return uint32_t(objects_.size()); }
    void GetKeys(std::vector<uint32_t>& keys) const;
    // kFontListWriteOrRelease to every object; those answering 1 are taken out and deleted.
    void Visit();
    // The objects kFontListCount accepts: their count, then for each that
    // kFontListWriteOrRelease accepts, its key and the object, followed by kFontListWritten.
    void Write(RWDataOutStream& out, GFontListMessage message, uintptr_t argument);
    void Write(RWBinaryFile& out, GFontListMessage message, uintptr_t argument);
    // Reads the count and the pairs. A count the input cannot hold is refused (false,
    // nothing read). False as well when the input ends inside a key or an object, or an
    // object is refused; the pairs read whole before that stay.
    bool Read(RWDataInStream& in);
    bool Read(RWBinaryFile& in);
    // Deletes every object.
    void Clear();

    int Send(GObjectBase* object, GFontListMessageCode message, uintptr_t argument = 0) const
    {
        return message_ ? message_(object, message, argument) : 1;
    }

private:
    template <class Out>
    void WriteTo(Out& out, GFontListMessage message, uintptr_t argument);
    template <class In>
    bool ReadFrom(In& in);
    void Insert(uint32_t key, GObjectBase* object);

    GFontListMessage message_;
    RWClassID kind_;
    RWCollectable::KindTest accept_;
    std::map<uint32_t, GObjectBase*> objects_;
};
