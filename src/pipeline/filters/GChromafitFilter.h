// Carries the job's automatic colour-adjustment choices (feature 295) into the commands:
// in mode 1 every text, vector and raster drawing gets a halftone and a colour-map
// option; in modes 3 and 4 every page start gets one enhanced colour-adjustment
// attribute. Mode 0 passes the job untouched.
#pragma once

#include "printer/GPeripheral.h"

#include <cstdint>

class GCommandProducer;

class GChromafitFilter : public GPersistent<GChromafitFilter, GPeripheral, 1107> {
public:
    static constexpr const char* kClassName = "GChromafitFilter";
    GChromafitFilter* CreateNew() const override { return new GChromafitFilter; }
    GChromafitFilter* Copy() const override { return new GChromafitFilter(*this); }

    // What an absent setting reads as.
    static constexpr int32_t kAbsent = 0xFFFF;

    GChromafitFilter();
    explicit GChromafitFilter(const long& id);
    // The peripheral's name and values, and the mode.
    GChromafitFilter(const RWCString& name, GState* initialState, GConfiguration* configuration, const long& id,
                     uint16_t mode);
    GChromafitFilter(const GChromafitFilter& other);
    ~GChromafitFilter() override;

    bool IsSame(const GObjectBase* other) const override;
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    GCountedRef ProcessCommand(const GCountedRef& command) override;
    void AbsorbState(GState*) override {}
    void ApplyState(const long&) override {}
    uint32_t QueryFlags() override { return 0; }
    int16_t OnDocumentStart(GDocumentStart& command) override;
    int16_t OnDocumentEnd(GDocumentEnd& command) override;
    int16_t OnDocumentEvent(GCommand& command) override;
    int16_t OnJobAbort(GJobAbort& command) override;

    // Reads the job's choices once per document.
    virtual void ReadSettings(GState* jobState);
    virtual int16_t ResetSettings();

    uint16_t GetMode() const { return mode_; }
    int32_t SettingsRead() const { return read_; }
    int32_t GetFirstOption(int object) const { return first_[object]; }
    int32_t GetSecondOption(int object) const { return second_[object]; }
    int32_t GetEnhancedValue(int index) const { return enhanced_[index]; }

    // A version word of 3, then the mode as a 16-bit word; an older stream keeps the mode.
    auto StoredForm() { return GVersioned<3, 0>(GFields(mode_)); }

private:
    void AddObjectOptions(GCommand& command, int object);

    GCommandProducer* producer_ = nullptr;
    uint16_t mode_ = 0;
    int32_t read_ = 0;
    int32_t first_[3] = {kAbsent, kAbsent, kAbsent};
    int32_t second_[3] = {kAbsent, kAbsent, kAbsent};
    int32_t enhanced_[7] = {kAbsent, kAbsent, kAbsent, kAbsent, kAbsent, kAbsent, kAbsent};
    int32_t mode3Value_ = kAbsent;
    int32_t mode4Values_[3] = {kAbsent, kAbsent, kAbsent};
};
