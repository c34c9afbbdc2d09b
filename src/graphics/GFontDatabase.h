// The job's record of the fonts it used, kept by font id and counted by users (the
// references and the database's own hold), together with the job's share of the
// process-wide font file pool. The spooling page filters write it into a font spool
// file beside each page and a replay reads it back, so that every replayed page finds
// the fonts it needs. A process-wide counter hands out the font ids.
//
// Font spool file: the pool's part (the job's readers) followed by the descriptions'
// part (u32 count, then per font its u32 id and the font as an object reference).
#pragma once

#include "foundation/RWWString.h"
#include "graphics/GFontList.h"

#include <cstdint>
#include <memory>
#include <vector>

class GFont;
class GFontOwner;

class GFontDatabase {
public:
    explicit GFontDatabase(GFontOwner* owner);
    GFontDatabase(const GFontDatabase&) = delete;
    GFontDatabase& operator=(const GFontDatabase&) = delete;
    // Closes the database.
    virtual ~GFontDatabase();

    // Takes every font out of the list (one user less each, deleted at none), releases
    // the job's readers in the pool, deletes every font spool file this database wrote
    // and forgets the file last read.
    void Close();

    // A new font id: the counter's value, which then moves on. The counter's lock is
    // made once, whichever thread asks first.
    static uint32_t NextFontId();
    // Deletes the counter's lock (at unload).
    static void DiscardIdLock();

    // Enters the font under its id: a new id counts the database as one more user.
    // Answers 1.
    int Add(GFont* font);
    // The font of the id when its use counter is at least minChangeCount, with one more
    // user; else null.
    GFont* Acquire(uint32_t fontId, uint32_t minChangeCount);
    // Takes the font out of the list; the caller has the database's hold.
    GFont* Take(uint32_t fontId);
    int Contains(uint32_t fontId) const;
    // Takes the font out, one user less (deleted at none): 1 when the id was found.
    int Release(uint32_t fontId);
    // Drops the fonts no reference holds any more, then the job's readers no job holds.
    void ReleaseJob();
    uint32_t GetCount() const;

    // Writes the font spool file ("wb") and remembers its name for Close: the save's
    // result, 0 when the file could not be opened.
    int SaveToFile(const RWWString& name);
    // The job's readers, then the fonts marked used (their marks cleared), then
    // ReleaseJob: 1 on success.
    int SaveToBinaryFile(RWBinaryFile& file);
    int SaveToStream(RWDataOutStream& stream);
    // Reads the font spool file: 1 at once when it is the file read last. A file that
    // cannot be read leaves no file name, so that the next load reads again.
    virtual int LoadFromFile(const RWWString& name);
    int LoadFromStream(RWDataInStream& stream);

    const RWWString& GetCurrentFile() const { return currentFile_; }
    GFontOwner* GetOwner() const { return owner_; }
    // The owner is going away (its key can no longer be asked): the database keeps the
    // job id it last saw, so that closing it still releases the job's readers.
    void DetachOwner() { owner_ = nullptr; }

    // The list's message function (see GFontList): object is the new or visited font,
    // argument the stored one.
    static int DescriptionRule(GObjectBase* object, uint32_t message, uintptr_t argument);

private:
    static int UsedRule(GObjectBase* object, uint32_t message, uintptr_t argument);
    uint32_t JobId() const;
    template <class Out>
    int SaveTo(Out& out);
    template <class In>
    int LoadFrom(In& in);

    std::unique_ptr<GFontList> fonts_;
    GFontOwner* owner_;
    mutable uint32_t lastJobId_ = 0;
    RWWString currentFile_;
    std::vector<RWWString> writtenFiles_;
};
