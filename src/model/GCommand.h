// The base of every job command: each event of a print job (document and page frames,
// aborts, errors, raw bytes, drawing operations) travels down the output chain as a
// command. Dispatch is double: a peripheral calls the command's Execute with itself,
// and each command class calls exactly one handler of the peripheral.
//
// A command may carry a GState with the settings that change at its point of the job;
// the state is shared by counted reference with the peripherals that merge it.
#pragma once

#include "model/GCountedRef.h"
#include "model/GPersistent.h"

#include <cstdint>

class GCommandHandler;
class GState;

class GCommand : public GStoredLevel<GCommand, GObjectBase, 601> {
public:
    // No state (the factory's constructor before a restore).
    GCommand();
    explicit GCommand(const long& id);
    // Holds a reference to the state (null allowed).
    GCommand(GState* state, const long& id);
    // Shares the state; the copy's modified mark is clear.
    GCommand(const GCommand& other);
    // The base part, and the other's state shared; the modified mark stays.
    GCommand& operator=(const GCommand& other);
    // Releases the state.
    ~GCommand() override;

    // Equal as model objects (class and id), and the same state object or two equal
    // states; a state on one side only makes the commands unequal.
    bool IsEqual(const RWCollectable* other) const override;

    // The command's own operations, in the order every command class keeps them.

    // 1 in every command class.
    virtual int32_t IsCommand() const;
    // Releases the current state (deleting it at its last reference) and holds the
    // given one; null clears.
    virtual void AdoptState(GState* state);
    // Holds the referenced state instead of the current one. A reference to an object
    // that is not a state changes nothing.
    virtual void SetState(const GCountedRef& state);
    // Hands the state out and gives up the command's reference without deleting it.
    virtual GState* DetachState();
    // Stores the state, with a new reference, in the caller's reference.
    virtual void GetState(GCountedRef& state);
    // Prepares the command before it is sent; nothing by default.
    virtual void Prepare();
    // Calls the target's one handler for this command class: its 16-bit status.
    virtual int16_t Execute(GCommandHandler& target) = 0;

    // The state, borrowed (no reference is taken for the caller); null when none.
    GState* GetState() const;

    // The modified mark: a peripheral clears it when the command arrives; a composite
    // sets it when a member is added, removed or replaced.
    uint32_t GetModified() const { return modified_; }
    void SetModified(uint32_t modified = 1) { modified_ = modified; }
    void ClearModified() { modified_ = 0; }

    // The stored form: the root part, a version word, then the state as an object
    // reference (the nil object when there is none). A restore holds the state read in
    // place of the current one and clears the modified mark.
    auto StoredForm() { return GFields(GHook(*this)); }
    template <class In>
    void ReadForm(In& in);
    template <class In>
    bool ReadStored(In& in);
    template <class Out>
    void WriteStored(Out& out) const;
    uint32_t StoredSize() const { return GFieldSize(state_); }

protected:
    // Like command parts: equal ids, and the same state object or two equal states.
    bool LikeCommandPart(const GCommand& other) const;

private:
    GCountedRef state_;
    uint32_t modified_;
};
