// A spooled page: a command whose member commands live in a records file instead of
// memory. A page-spooling filter adds the page's commands as they arrive, closes the
// page at its end and replays it later, as often as it needs, by walking it with its
// iterator, which reads each command back from the file.
//
// The command's own state carries two texts for the replay: the page's font spool file
// and, as hexadecimal text, the driver-server key of the producer whose font database
// reloads that file. A state the filters want kept with the page lives in the file,
// under id 406.
#pragma once

#include "foundation/RWWString.h"
#include "model/MPersistentCompositeOnDisk.h"
#include "model/GCommand.h"

#include <cstdint>

class GCommandCompositeOnDisk : public GPersistent<GCommandCompositeOnDisk, GCommand, 606> {
public:
    static constexpr const char* kClassName = "GCommandCompositeOnDisk";
    // The id of the page's state in the file, and the ids of the texts in the command's
    // own state that the replay reads.
    static constexpr long kStoredStateId = 406;
    static constexpr long kFontFileId = 407;
    static constexpr long kProducerKeyId = 408;

    GCommandCompositeOnDisk* CreateNew() const override { return new GCommandCompositeOnDisk; }
    GCommandCompositeOnDisk* Copy() const override { return new GCommandCompositeOnDisk(*this); }
    // The commands are in the file: a deep copy is a copy.
    GCommandCompositeOnDisk* DeepCopy() const override { return Copy(); }

    // No file.
    GCommandCompositeOnDisk();
    // Open on the named file (created when missing); deleteFlag 1 deletes the file when
    // the last page object of that name goes.
    GCommandCompositeOnDisk(const RWWString& name, uint32_t deleteFlag, const long& id);
    GCommandCompositeOnDisk(const RWWString& name, GState* state, uint32_t deleteFlag, const long& id);
    // Shares the state and the file.
    GCommandCompositeOnDisk(const GCommandCompositeOnDisk& other);
    GCommandCompositeOnDisk& operator=(const GCommandCompositeOnDisk& other);
    ~GCommandCompositeOnDisk() override;

    // The same object, or like command parts over the same file.
    bool IsSame(const GObjectBase* other) const override;

    uint32_t HasFailed() { return store_.HasFailed(); }
    // Writes the page's index into the file; the next operation opens it again.
    void Close() { store_.Close(); }
    uint32_t IsOpen() const { return store_.IsOpen(); }
    const RWCString& GetFileName() const { return store_.GetFileName(); }
    // The stored state, read without taking it out of the file; null when none.
    void PeekState(GCountedRef& state);

    // Only commands join the page; anything else is dropped.
    void AddRecord(GObjectBase* object) override;
    GCountedRef FindRecordSame(const GObjectBase* object) override;
    GCountedRef FindRecordById(const long& id) override;
    GCountedRef FindRecordByClassId(const RWClassID& classId) override;
    int ReplaceRecordById(const long& id, const GObjectBase* newObject) override;
    int ReplaceRecordByClassId(const RWClassID& classId, const GObjectBase* newObject) override;
    GCountedRef FindPtrById(const long& id) override;
    GCountedRef FindPtrByClassId(const RWClassID& classId) override;
    GCountedRef FindPtrSame(const GObjectBase* object) override;
    GObjectBase* AsComposite() override { return &store_; }
    uint32_t Entries() const override { return store_.Entries(); }
    uint32_t TotalEntries() const override { return store_.TotalEntries(); }
    // The replay of the page: reloads the page's fonts, then walks the commands in the
    // file. CurrentRef reads the current command back (Current has none in memory);
    // ReplaceCurrentRef writes a command in its place. Deleting the iterator closes the
    // page again. The caller deletes it.
    GObjectIterator* CreateIterator() override;

    // The page's state in the file. SetState writes the given state there in place of
    // the one stored before (its id becomes 406; null only removes; an object that is
    // no state changes nothing); GetState takes it out, so a second call finds none.
    void SetState(const GCountedRef& state) override;
    void GetState(GCountedRef& state) override;
    using GCommand::GetState;
    // Calls no handler.
    int16_t Execute(GCommandHandler& target) override;
    // Writes newObject in place of the stored command that object is the same as: 1 when
    // one was replaced.
    virtual int ReplaceRecordSame(const GObjectBase* object, const GObjectBase* newObject);

    // The command part, then the file's name and delete flag; a restored page is closed
    // for good and opens no file. The commands never travel with the page.
    auto StoredForm() { return GFields(GEmbedded(store_)); }

private:
    // Makes the producer named by the command's state reload the page's fonts.
    void ReloadFonts();

    MPersistentCompositeOnDisk store_;
};
