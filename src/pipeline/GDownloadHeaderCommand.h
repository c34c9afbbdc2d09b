// Asks the writer for a font-download header of a kind; only the PostScript writer
// acts on it.
#pragma once

#include "model/GCommand.h"

class GDownloadHeaderCommand : public GPersistent<GDownloadHeaderCommand, GCommand, 610> {
public:
    static constexpr const char* kClassName = "GDownloadHeaderCommand";
    GDownloadHeaderCommand* CreateNew() const override { return new GDownloadHeaderCommand; }
    GDownloadHeaderCommand* Copy() const override { return new GDownloadHeaderCommand(*this); }

    GDownloadHeaderCommand();
    GDownloadHeaderCommand(int32_t kind, const long& id);
    GDownloadHeaderCommand(const GDownloadHeaderCommand& other) = default;
    GDownloadHeaderCommand& operator=(const GDownloadHeaderCommand& other) = default;
    ~GDownloadHeaderCommand() override;

    // Like command parts and equal kinds.
    bool IsSame(const GObjectBase* other) const override;
    int16_t Execute(GCommandHandler& target) override;

    int32_t GetKind() const { return kind_; }

    auto StoredForm() { return GFields(kind_); }

private:
    int32_t kind_;
};
