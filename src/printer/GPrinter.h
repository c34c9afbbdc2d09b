// The end of the output chain: it hands every command to its two writers, the PJL
// writer (child id 106) and one page-description writer (child id 101), owns the job's
// output channel for the document, and shares one current and one initial state with
// all its children, so that a state merged here is the state the writers apply.
#pragma once

#include "printer/GPeripheralComposite.h"

class GPrinter : public GPersistent<GPrinter, GPeripheralComposite, 761> {
public:
    static constexpr const char* kClassName = "GPrinter";
    static constexpr long kPjlWriterId = 106;
    static constexpr long kPdlWriterId = 101;
    static constexpr long kWriterNameId = 373;
    // Status of a document start that finds no output channel.
    static constexpr int16_t kNoChannel = 601;

    GPrinter();
    explicit GPrinter(const long& id);
    GPrinter(const RWCString& name, GState* initialState, GConfiguration* configuration, const long& id);
    GPrinter(const GPrinter& other);
    ~GPrinter() override;

    GPrinter* CreateNew() const override { return new GPrinter; }
    GPrinter* Copy() const override { return new GPrinter(*this); }
    // The peripheral parts and the mode words; children are not compared.
    bool IsSame(const GObjectBase* other) const override;

    // A page-description writer first gets its name under id 373.
    void Add(GObjectBase* object) override;
    // The peripheral base's: the state is merged here, then dispatched.
    GCommand* ReceiveCommand(GCommand* command) override;
    GCountedRef ProcessCommand(const GCountedRef& command) override;
    // The writers apply the state themselves, from the dispatcher.
    void ApplyState(const long& id) override;
    // Rebuilds the configuration and the shared states.
    void NotifyListeners(GPeripheral* source) override;
    int16_t OnDocumentStart(GDocumentStart& command) override;
    int16_t OnDocumentEnd(GDocumentEnd& command) override;
    int16_t OnPageEnd(GPageEnd& command) override;
    int16_t OnJobAbort(GJobAbort& command) override;
    int16_t SetPdlWriter(GCheetah& writer) override;
    int16_t SetPdlWriter(GPcl5e& writer) override;
    int16_t SetPdlWriter(GPostScript& writer) override;
    int16_t SetPjlWriter(GPJL& writer) override;
    virtual bool IsModeOne() const { return mode_ == 1; }

    // Refreshes the cached writer pointers from the children.
    void FindWriters();
    // Borrowed; null while the writer is missing.
    GPeripheral* GetPjlWriter() const { return pjlWriter_; }
    GPeripheral* GetPdlWriter() const { return pdlWriter_; }

    // The mode word; a restore finds the writers again in any case.
    auto StoredForm() { return GFields(mode_); }
    template <class In>
    void ReadForm(In& in);

protected:
    void Leaving(GPeripheral& child) override;

private:
    // Replaces the writer under the id with the copy.
    int16_t InstallWriter(long writerId, GPeripheral* copy);
    template <class Writer>
    int16_t InstallCopyOf(long writerId, const Writer& writer);
    void Rebuild();
    // The channel this printer opened is closed or aborted, then deleted.
    int16_t EndChannel(bool abort);

    int32_t mode_;
    GPeripheral* pjlWriter_;
    GPeripheral* pdlWriter_;
};
