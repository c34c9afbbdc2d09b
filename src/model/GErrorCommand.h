// What travels on in place of a command whose handler failed: the handler's status and
// the failed command. Peripherals pass it on untouched, so it reaches the sender.
#pragma once

#include "model/GCommand.h"

class GErrorCommand : public GPersistent<GErrorCommand, GCommand, 714> {
public:
    static constexpr const char* kClassName = "GErrorCommand";
    GErrorCommand* CreateNew() const override { return new GErrorCommand; }
    GErrorCommand* Copy() const override { return new GErrorCommand(*this); }

    GErrorCommand();
    // Holds a reference to the failed command (null allowed).
    GErrorCommand(uint16_t code, GCommand* failed, const long& id);
    GErrorCommand(const GErrorCommand& other) = default;
    GErrorCommand& operator=(const GErrorCommand& other) = default;
    ~GErrorCommand() override;

    // The same object, or like command parts, equal codes and the same failed command.
    bool IsSame(const GObjectBase* other) const override;
    int16_t Execute(GCommandHandler& target) override;

    uint16_t GetCode() const { return code_; }
    void SetCode(uint16_t code) { code_ = code; }
    // Borrowed: no reference is taken for the caller.
    GCommand* GetFailedCommand() const;
    // Hands the failed command out and drops the hold on it without deleting it.
    GCommand* DetachFailedCommand();

    // The code, a flag word (1 when a failed command follows), then the failed command
    // as an object reference.
    auto StoredForm() { return GFields(code_, GHook(*this)); }
    template <class In>
    bool ReadStored(In& in);
    template <class Out>
    void WriteStored(Out& out) const;
    uint32_t StoredSize() const;

private:
    uint16_t code_;
    GCountedRef failed_;
};
