// Raw bytes for one writer: the writer whose class id the command names emits them
// unchanged, every other stage passes the command on. A new command borrows the
// caller's bytes; Prepare makes them its own, so that a spooled or queued command never
// refers to a caller's buffer.
#pragma once

#include "model/GCommand.h"

class GPassThroughCommand : public GPersistent<GPassThroughCommand, GCommand, 608> {
public:
    static constexpr const char* kClassName = "GPassThroughCommand";
    GPassThroughCommand* CreateNew() const override { return new GPassThroughCommand; }
    GPassThroughCommand* Copy() const override { return new GPassThroughCommand(*this); }

    GPassThroughCommand();
    // Borrows the bytes.
    GPassThroughCommand(const uint8_t* data, uint16_t length, uint16_t targetClassId, const long& id);
    // The copy owns a copy of the bytes, so that each block is freed exactly once.
    GPassThroughCommand(const GPassThroughCommand& other);
    GPassThroughCommand& operator=(const GPassThroughCommand& other);
    // Frees the bytes when they are owned.
    ~GPassThroughCommand() override;

    // Like command parts, equal lengths, targets and owned flags, and the same bytes.
    bool IsSame(const GObjectBase* other) const override;
    // Makes the bytes the command's own.
    void Prepare() override;
    int16_t Execute(GCommandHandler& target) override;

    const uint8_t* GetData() const { return data_; }
    uint16_t GetLength() const { return length_; }
    uint16_t GetTargetClassId() const { return target_; }
    uint32_t IsDataOwned() const { return owned_; }
    // 1 when the command owns its bytes afterwards; 0 when no block could be had, and
    // the command still borrows the old bytes.
    int MakeDataOwned();

    // The length, the target class id, then the bytes.
    auto StoredForm() { return GFields(GHook(*this)); }
    template <class In>
    bool ReadStored(In& in);
    template <class Out>
    void WriteStored(Out& out) const;
    uint32_t StoredSize() const { return 4u + length_; }

private:
    void FreeData();
    // Owns a copy of the other's bytes (none when no block could be had).
    void CopyDataOf(const GPassThroughCommand& other);

    uint8_t* data_;
    uint16_t length_;
    uint16_t target_;
    uint32_t owned_;
};
