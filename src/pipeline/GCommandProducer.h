// The producer of a job's commands. The page-drawing module drives it (configure, name
// the document and the output, begin, pages, drawing commands, pass-through bytes,
// paths and clips, end); it turns each call into a command object and delivers it to
// the head of the printer's chain. It is also the job's service point for the later
// stages, which reach it through the document start: its font pool, its colour
// conversion, its page scale and a few job flags.
//
// One producer exists per printer: it is a driver object, found again by the key it
// gives for itself (the document start stores the key, the spooled pages name it). The
// concrete producer belongs to the page-drawing module and supplies the key, the
// continue check and the two path operations.
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWWString.h"
#include "graphics/GFontOwner.h"
#include "graphics/GRGBColor.h"
#include "model/GCountedRef.h"
#include "printer/GDriverObject.h"

#include <cstdint>
#include <vector>

class GCommand;
class GDocumentEnd;
class GDocumentStart;
class GFontDatabase;
class GMedia;
class GPageEnd;
class GPageStart;
class GPathGraphic;
class GPeripheral;
class GState;

// Stands between the producer and an optional job plug-in; without a plug-in it lets
// every command through. A bypass command passes once without asking the plug-in.
class GJobPluginGate {
public:
    virtual ~GJobPluginGate();
    virtual int HasBypass() const { return bypass_ != nullptr; }
    virtual uint32_t Forward(uint32_t) { return 0; }
    virtual uint32_t Forward(uint32_t, uint32_t, uint32_t, uint32_t) { return 0; }
    // No plug-in object is known to this module: nothing to attach.
    virtual void Attach(void*, uint32_t) {}
    // 0 lets the command through.
    virtual uint16_t Filter(const GCommand* command);
    virtual uint16_t PluginStatus() const { return 0; }
    virtual void SetBypass(const GCommand* command) { bypass_ = command; }
    // 2 without a plug-in.
    virtual uint16_t EndPlugin(uint32_t) { return 2; }
    virtual void* AcceptingPlugin(uint32_t) { return nullptr; }

private:
    const GCommand* bypass_ = nullptr;
};

class GCommandProducer : public GDriverObjectImp, public GFontOwner {
public:
    // The job state word after an error.
    static constexpr uint32_t kJobFailed = 3;
    // The status of a job begun without a pending document.
    static constexpr uint16_t kNoPendingDocument = 403;
    // The longest pass-through command.
    static constexpr uint32_t kMaxPassThroughChunk = 65535;
    // The longest job name, in characters.
    static constexpr uint32_t kJobNameLength = 16;

    GCommandProducer();
    ~GCommandProducer() override;

    // The producer's operations in their fixed order.

    // 1. Reads the job's settings into the producer; clears an error state.
    virtual void ConfigureFromSettings();
    // 2. Mode 0 the default conversion, 2 and 1 the tables 971 and 972 (under 970).
    virtual void SetColorMode(uint8_t mode);
    // 3. Sends the bytes as pass-through commands of at most 65535 bytes each.
    virtual uint16_t SendPassThrough(const void* data, uint32_t length, uint16_t targetClassId, int withState,
                                     int withBypass, int direct);
    // 4 is GetProducerKey (GFontOwner), supplied.
    // 5 to 7: the watermark font and text operations, answered by the concrete producer.
    virtual uint32_t RequestWatermarkFont(uint32_t, uint32_t, uint32_t) { return 0; }
    virtual void ReleaseWatermarkFont(uint32_t) {}
    virtual GCommand* MakeWatermarkGraphic(const RWWString&, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t)
    {
        return nullptr;
    }
    // 8 to 10.
    virtual uint32_t IsAborted() const { return aborted_; }
    virtual void SetAborted() { aborted_ = 1; }
    virtual RWWString GetOutputName() const { return outputName_; }
    // 11: the page-drawing module's own; nothing here.
    virtual uint32_t ModuleOperation() { return 0; }
    // 12. A new job state built from the driver object's settings.
    virtual GState* BuildJobState();
    // 13 to 16: new commands, not sent.
    virtual GDocumentStart* StartDocument(const RWWString& documentName, const RWWString& outputName);
    virtual GDocumentEnd* MakeDocumentEnd();
    virtual GPageStart* StartPage();
    virtual GPageEnd* EndPage();
    // 17, 18: a new media for the paper code, owned by the caller, or null. Codes 16384
    // to 17383 are the custom sizes of setting 276, built with the printer configuration's
    // margins; other codes come from the configuration's media pool. With setting 442 at 1
    // the media found is rebuilt (19). The first look-up takes the orientation and the
    // resolution from the job's settings, the second is given them.
    virtual GMedia* FindMediaForCode(uint16_t code);
    virtual GMedia* FindMediaForCode(uint16_t code, uint32_t orientation, uint32_t xResolution,
                                     uint32_t yResolution);
    // 19. Takes the media and gives a new one built from its values in its place.
    virtual GMedia* RebuildMedia(GMedia* media);
    // For the filters and writers that meet a media of another paper: when the media's
    // paper is not mediaId, fills it from the second look-up with its own orientation
    // and resolution, keeping its attribute id. 1 when it was filled, 0 when it already
    // was that paper or the look-up found none (the media unchanged).
    int ResolveMedia(GMedia& media, uint16_t mediaId);
    // The writers' device list at document start: the job state's association list
    // (1244) maps the device setting 1243 to the id of one of the job state's lists,
    // whose members then replace those of the job state's list 330. 1 when copied.
    int CopyDeviceListToJob(GObjectBase* jobState);
    // 20. Delivers a pending page start.
    virtual uint16_t SendPendingPageStart();
    // 21. Supplied: 0 when the job may go on.
    virtual uint16_t CheckContinue() = 0;
    // 22. Takes the command: checks, sends a pending page start, delivers.
    virtual uint16_t Send(GCommand* command);
    // 23. Takes the command: hands it to the head of the chain and reads what comes back.
    virtual uint16_t Deliver(GCommand* command);
    // 24, 25. The value normalisers of the job's sub-states.
    virtual void NormaliseValues(GObjectBase* state, uint32_t rangeMaximum);
    virtual void NormaliseValues(GObjectBase* state);
    // 26. Delivers the document start of the pending document.
    virtual uint16_t BeginDocument();
    // 27.
    virtual void CloseFontPool();
    // The folder the job's spooling filters write into once the first of them made it;
    // empty before and again once the folder was let go.
    const RWWString& GetSpoolFolder() const { return spoolFolder_; }
    void SetSpoolFolder(const RWWString& folder) { spoolFolder_ = folder; }
    // 28.
    virtual uint16_t SendNoCommand();
    // 29. A composite of value attributes under the id, added to every job state.
    virtual GObjectBase* MakeValueComposite(long id);
    // 30. The text of a string setting under the sub-state; empty when missing.
    virtual RWCString ReadStringSetting(long subState, long id);
    // 31, 32. Nested paths; EndPath answers the nesting count left.
    virtual void BeginPath();
    virtual int32_t EndPath(uint32_t value);
    // 33. Kinds 0 and 1 save and restore the graphic state; 2 and 3 make the open path the
    // clip (a clip to the page without one).
    virtual int SetClip(uint32_t kind, uint32_t mode);
    // 34, 35. Supplied.
    virtual uint16_t PaintPath(uint32_t value) = 0;
    virtual int ClosesFigure(uint32_t value) = 0;
    // 36 to 39.
    virtual void SaveGraphicState();
    virtual void RestoreGraphicState();
    virtual uint16_t SendMarkedPage();
    virtual int TestSetting382();

    // Outside the fixed order.

    // Names the document and the output: the document becomes pending.
    void SetDocument(const RWWString& documentName, const RWWString& outputName);
    // A page begins: its page start stays pending until the next command is sent.
    void BeginPage() { pagePending_ = 1; }
    // The page ends: a page start still pending goes first, then the page end.
    uint16_t FinishPage();
    // Back to idle for a new job: the chain head reset when active, settings read again,
    // names emptied, the old font pool closed and a new one made.
    void ResetJob();
    // Removes the job's sub-states 362 to 364 of the settings, has them made anew and
    // normalises them.
    void RefreshJobSettings();
    void NormaliseJobSettings();

    GFontDatabase* GetFontPool() override { return fontPool_; }
    // The colour conversion: red, green and blue to a device value.
    uint32_t ConvertColor(uint8_t red, uint8_t green, uint8_t blue) const;
    // The scale the chain gave the current page. With page scaling on, each page start
    // asks the chain head's GetScale with (the job state built for scaling once per job,
    // which carries the layout settings, the page state with the page's media, the page
    // mark as the page number, the kind word at 0).
    std::pair<float, float> GetPageScale() const { return {scaleX_, scaleY_}; }
    int UsesRasterMode(uint32_t value) const;
    // The chain head: the printer, composite of the filters and the printer's stages.
    GPeripheral* GetChainHead() const;
    // A media of the given one turned by the degrees: the orientation set, and a quarter
    // turn exchanges the paper, extent and origin pairs.
    static void TurnMedia(GMedia& media, uint32_t degrees);

    uint32_t GetJobStateWord() const { return jobState_; }
    uint16_t GetJobStatus() const { return jobStatus_; }
    uint32_t IsDocumentPending() const { return documentPending_; }
    uint32_t IsDocumentOpen() const { return documentOpen_; }
    uint32_t IsPagePending() const { return pagePending_; }
    uint32_t PassThroughAllowed() const { return passThrough_; }
    uint32_t GetFlagB() const { return flagB_; }
    uint32_t GetFlagC() const { return flagC_; }
    uint32_t GetFlagE() const { return flagE_; }
    uint32_t GetFlagA() const { return flagA_; }
    uint32_t GetFlagD() const { return flagD_; }
    uint16_t GetRasterMode() const { return rasterMode_; }
    uint16_t GetPostScriptModeA() const { return mode570_; }
    uint16_t GetPostScriptModeB() const { return mode571_; }
    uint32_t IsScalingEnabled() const { return scalingEnabled_; }
    uint32_t IsPageScaled() const { return scaledPage_; }
    // The job state the page scale was last asked with; null until a page asked for it.
    GObjectBase* GetScalingJobState() const { return scalingJobState_.Get(); }
    uint16_t GetWriterClassId() const { return writerClassId_; }
    const RWWString& GetJobName() const { return jobName_; }
    const RWCString& GetJobText() const { return jobText_; }
    GPathGraphic* GetOpenPath() const { return openPath_; }
    int32_t GetPathNesting() const { return pathNesting_; }
    GObjectBase* GetClip() const { return clip_.Get(); }
    GJobPluginGate& GetPluginGate() { return gate_; }

    // The drawing words of the graphic state: two 32-bit words and a float. The configured
    // colour and words are what a job starts from: configuring copies them into the
    // working ones; saving the graphic state keeps the working words (not the colour) and
    // restoring puts them back.
    struct GraphicWords {
        uint32_t first = 0;
        uint32_t second = 1;
        float third = 10.0f;
    };
    const GRGBColor& GetConfiguredColor() const { return configuredColor_; }
    void SetConfiguredColor(const GRGBColor& color) { configuredColor_ = color; }
    const GraphicWords& GetConfiguredWords() const { return configuredWords_; }
    void SetConfiguredWords(const GraphicWords& words) { configuredWords_ = words; }
    const GRGBColor& GetWorkingColor() const { return workingColor_; }
    void SetWorkingColor(const GRGBColor& color) { workingColor_ = color; }
    const GraphicWords& GetWorkingWords() const { return workingWords_; }
    void SetWorkingWords(const GraphicWords& words) { workingWords_ = words; }
    size_t SavedGraphicStates() const { return savedStates_.size(); }

    // The job text for a document name (see the definition); also keeps the wide name.
    RWCString MakeJobName(const RWWString& documentName);

protected:
    // For a concrete producer whose writer takes the job as flag E's jobs are taken.
    void SetFlagE(uint32_t value) { flagE_ = value; }
    // The driver object's settings and one of its sub-states; null when missing.
    GObjectBase* JobSettings();
    GObjectBase* SubState(long id);
    // A setting the job's rules name without a sub-state: the first of that id in the
    // settings, searched depth first; null when missing.
    GObjectBase* JobSetting(long id);
    // The device's capability rules for a job state, applied when setting 915 is 1 and
    // the job state's 270 is 0. This module knows no rules: a concrete producer may.
    virtual void ApplyCapabilityRules(GState& jobState) {}
    // The capability of that id in the capability set (112) of the printer configuration,
    // and whether it has the bit; a missing capability has no bits.
    bool HasCapability(long capability);
    bool CapabilityHasBit(long capability, uint32_t bit);

private:
    // Bits of the driver object's flag word that the configuration reads.
    static constexpr uint32_t kFlagsNoWriterFlags = 0x8;       // a PCL XL writer: flags C and D stay 0
    static constexpr uint32_t kFlagsFlagE = 0x20000;
    static constexpr uint32_t kFlagsRasterMode3 = 0x200000;    // without setting 255
    static constexpr uint32_t kFlagsRasterMode2 = 0x400000;    // without setting 255
    static constexpr uint32_t kFlagsFlagDNeedsC = 0x800000;
    static constexpr uint32_t kFlagsForceRaster1 = 0x4000000;  // mode 3 unless capability 136 has bit 1
    static constexpr uint32_t kFlagsForceRaster2 = 0x8000000;  // mode 3 unless capability 136 has bit 2

    // The steps of ConfigureFromSettings past the pass-through value: the writer's
    // configuration, the PostScript modes, the raster mode, page scaling, flags C and D.
    void ConfigureWriter(GObjectBase* writer);
    void ConfigurePostScriptModes();
    void ConfigureRasterMode();
    void ConfigurePageScaling();
    void ConfigureFlagsCAndD(GObjectBase* writer);
    // The job state's media steps: the paper of 270/272 and the cover of 279/280.
    void AddJobPaperMedia(GState& state);
    void AddCoverMedia(GState& state);
    // The job state's colour rules: the colour adjustment's render mode and the colour
    // conversion of setting 910.
    void ApplyColourRules(GState& state);
    // The state's media (259): the one it holds, else the media of its paper code (260)
    // added under 259. The state's transform then takes the media's imageable origin and
    // the media the media-type text of setting 261. Null without a media.
    GMedia* PlaceMedia(GState& state);
    // With letterhead handling on (365, 1240), a page on letterhead or preprinted paper
    // takes the device's media for its paper.
    void ApplyLetterhead(GState& page);
    // Asks the chain head for the page's scale with the job's scaling state.
    void TakePageScale(GState& page);
    // The orientation and resolution of a look-up: the holder's, else the settings'.
    void LookUpContext(GObjectBase* holder, uint32_t& orientation, uint32_t& xResolution, uint32_t& yResolution);
    // The fourteen-digit local time stamp.
    RWWString TimeStamp() const;
    void DropPaths();
    // Reports the chain's answer: the first non-zero error code, an abort down the chain.
    uint16_t ReadAnswer(GObjectBase* answer);

    uint32_t systemValue_ = 0;
    GFontDatabase* fontPool_ = nullptr;
    RWWString spoolFolder_;
    uint32_t documentPending_ = 0;
    uint32_t documentOpen_ = 0;
    RWWString documentName_;
    RWWString outputName_;
    uint32_t jobState_ = 0;
    // What Send answers once the job failed.
    uint16_t jobStatus_ = 0;
    uint32_t pageOpen_ = 0;
    uint32_t pagePending_ = 0;
    uint32_t clearedWord1_ = 0;
    uint32_t clearedWord2_ = 0;
    GJobPluginGate gate_;
    // Empty: the default conversion; else 768 bytes, red, green and blue.
    std::vector<uint8_t> colorTable_;
    uint32_t pageMark_ = 0;
    uint32_t flagA_ = 0;
    uint32_t flagB_ = 0;
    uint16_t rasterMode_ = 1;
    uint16_t mode570_ = 65535;
    uint16_t mode571_ = 0;
    int32_t pathNesting_ = 0;
    GPathGraphic* openPath_ = nullptr;
    std::vector<GPathGraphic*> pathStack_;
    uint32_t flagC_ = 0;
    uint32_t flagD_ = 0;
    uint32_t flagE_ = 0;
    GRGBColor configuredColor_{255, 255, 255, 255};
    GraphicWords configuredWords_;
    GRGBColor workingColor_{255, 255, 255, 255};
    GraphicWords workingWords_;
    struct SavedState {
        GraphicWords words;
        uint32_t clipWord;
        GCountedRef clip;
    };
    std::vector<SavedState> savedStates_;
    GCountedRef clip_;
    uint32_t clipWord_ = 0;
    uint32_t aborted_ = 0;
    uint32_t scalingEnabled_ = 0;
    float scaleX_ = 1.0f;
    float scaleY_ = 1.0f;
    uint32_t scaledPage_ = 0;
    uint32_t scaleMark_ = 0;
    // The job state built for the scale questions of the job's pages.
    GCountedRef scalingJobState_;
    uint32_t mode296_ = 0;
    uint16_t writerClassId_ = 765;
    uint32_t mark_ = 32768;
    uint32_t passThrough_ = 0;
    uint32_t postScript_ = 0;
    RWWString jobName_;
    RWCString jobText_;
    uint32_t markedPageRequest_ = 0;
    // The chain was reset for a job and has seen its document start.
    uint32_t chainActive_ = 0;
};
