// The shell the writers share as far as the printer needs them: the class and its
// registration, the name the writer gives the printer, the kind of add-on library that
// serves it, the id the printer keeps it under, and the installation of a copy of itself
// in the printer it is applied to. A writer is its data: kClassName, kData and kInstall
// (the printer's operation that takes the writer's copy). The page-description writers
// take their job handling from GPageWriterShell.
#pragma once

#include "graphics/GOutputChannel.h"
#include "model/GFeatureIds.h"
#include "model/GState.h"
#include "pdl/GPdlWriter.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GPassThroughCommand.h"
#include "printer/GWriterCopier.h"

#include <cstdint>

// What tells one writer from another.
struct GWriterData {
    const char* writerName;
    // The kind of add-on library that serves the writer.
    int32_t addOnKind;
    // The id under which the printer keeps the writer.
    long writerId;
    // The extension modules' output is written: the bytes of pass-through commands aimed
    // at the writer's class, and their job data (composite 986) at document start and end.
    bool writesExtensionOutput;
};

template <class Self, class Parent, RWClassID Id>
class GWriterShell : public GPersistent<Self, Parent, Id> {
    using Level = GPersistent<Self, Parent, Id>;

public:
    GWriterShell() : GWriterShell(2) {}
    // Takes add-ons in the given mode, listed by the configuration member with the id.
    explicit GWriterShell(int32_t addOnMode, uint32_t addOnListId = 64)
        : Level(Self::kData.writerName, nullptr, nullptr, Self::kData.writerId, addOnListId, Self::kData.addOnKind,
                addOnMode)
    {
        (void)copierRegistered_;
    }

    // Installs a copy of this writer in the target printer.
    int16_t ApplyTo(GAttributeVisitor& target) override
    {
        GPeripheral* printer = dynamic_cast<GPeripheral*>(&target);
        return printer ? (printer->*Self::kInstall)(static_cast<Self&>(*this)) : 0;
    }

    auto StoredForm() { return GFields(); }

private:
    // The printer installs its copies of the writer through the copier.
    static inline const bool copierRegistered_ = RegisterWriterCopier<Self>();
};

template <class Self, RWClassID Id>
class GPageWriterShell : public GWriterShell<Self, GPdlWriter, Id> {
public:
    using GWriterShell<Self, GPdlWriter, Id>::GWriterShell;

    // The base's document start first; end and abort clear the job's fields.
    int16_t OnDocumentStart(GDocumentStart& command) override
    {
        if (const int16_t status = GPdlWriter::OnDocumentStart(command))
            return status;
        this->EnterDocument();
        return ExtensionJobData(command);
    }

    int16_t OnDocumentEnd(GDocumentEnd& command) override
    {
        const int16_t written = ExtensionJobData(command);
        this->ClearJobFields();
        if (written)
            return written;
        return GPdlWriter::OnDocumentEnd(command);
    }

    int16_t OnJobAbort(GJobAbort& command) override
    {
        this->ClearJobFields();
        return GPdlWriter::OnJobAbort(command);
    }

    int16_t OnPassThrough(GPassThroughCommand& command) override
    {
        if (!Self::kData.writesExtensionOutput)
            return GPdlWriter::OnPassThrough(command);
        GOutputChannel* channel = this->GetOutputChannel();
        if (command.GetTargetClassId() != this->ClassId() || !channel || !command.GetData() ||
            command.GetLength() == 0)
            return 0;
        return channel->WriteBytes(command.GetData(), command.GetLength());
    }

    // These writers download no fonts yet, so there is none to delete.
    void RemoveDownloadedFont(const RWCString&) override {}
    // They set no colours of their own yet.
    int16_t SetPenColor(GObjectBase&) override { return 0; }
    int16_t SetPenColor(GColorPaint&) override { return 0; }
    int16_t SetBrushColor(GObjectBase&) override { return 0; }
    int16_t SetBrushColor(GColorPaint&) override { return 0; }

private:
    int16_t ExtensionJobData(GCommand& command)
    {
        if (!Self::kData.writesExtensionOutput)
            return 0;
        return GPdlWriter::WriteStringMembers(command.GetState(), FeatureId::kExtensionJobPdlData,
                                              this->GetOutputChannel());
    }
};
