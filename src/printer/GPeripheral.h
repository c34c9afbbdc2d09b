// A stage of the output chain: page filters, writers, the printer and its add-on
// proxies are peripherals. A peripheral receives the job's commands one at a time,
// merges the state they carry into its current state, and offers one handler for each
// kind of job event, each drawing primitive and each attribute class. Dispatch is
// double: a command's Execute calls one handler, an attribute's ApplyTo one visitor.
//
// It is itself an attribute, so that it can be a member of an attribute composite and
// be applied to another peripheral. Attributes apply themselves through the visitor
// operations (GAttributeVisitor); the base ignores every attribute (status 0).
#pragma once

#include "foundation/RWCString.h"
#include "foundation/RWSlistCollectables.h"
#include "model/GAttribute.h"
#include "model/GAttributeVisitor.h"
#include "model/GCommandHandler.h"
#include "model/GCountedRef.h"

#include <cstdint>
#include <utility>
#include <vector>

class GCheetah;
class GCommand;
class GConfiguration;
class GDocumentEnd;
class GDocumentStart;
class GDownloadFace;
class GDownloadHeaderCommand;
class GErrorCommand;
class GJobAbort;
class GMedia;
class GOutputChannel;
class GPJL;
class GPageEnd;
class GPageStart;
class GPassThroughCommand;
class GPathGraphic;
class GPcl5e;
class GPolyBezierGraphic;
class GPolygonGraphic;
class GPostScript;
class GRasterGraphic;
class GRectangleGraphic;
class GState;
class GTextStringGraphic;
class GTray;

class GPeripheral : public GStoredLevel<GPeripheral, GAttribute, 760>, public GAttributeVisitor, public GCommandHandler {
public:
    // Phases of the job.
    enum Phase : uint32_t { kIdle = 0, kInDocument = 1, kInPage = 2 };

    // Empty name, no channel, fresh current and initial states, a fresh configuration.
    GPeripheral();
    explicit GPeripheral(const long& id);
    // Takes ownership of the state and the configuration (null makes new ones); the
    // current state starts as a deep copy of the initial state.
    GPeripheral(const RWCString& name, GState* initialState, GConfiguration* configuration, const long& id,
                uint32_t addOnListId = 64, int32_t addOnKind = 6, int32_t addOnMode = 2);
    // Shares the states and the configuration and copies the listener list; the output
    // channel is not carried over and the phase starts idle.
    GPeripheral(const GPeripheral& other);
    GPeripheral& operator=(const GPeripheral& other);
    // Deletes an owned channel; the listeners are never deleted.
    ~GPeripheral() override;

    bool IsSame(const GObjectBase* other) const override;
    // A copy whose states and configuration are deep copies of their own.
    GObjectBase* DeepCopy() const override;
    // Applies every member of the current state to the target, failures or not: the
    // last non-zero status, or 0.
    int16_t ApplyTo(GAttributeVisitor& target) override;

    // The peripheral's own operations, in the order every peripheral keeps them.

    // Takes a command in, processes it and hands back what travels on: the command, or
    // what took its place. The caller takes the result over.
    virtual GCommand* ReceiveCommand(GCommand* command);
    virtual void SetInitialState(GState* state);
    virtual void SetCurrentState(GState* state);
    virtual void SetConfiguration(GConfiguration* configuration);
    // Install a new default object and hand the previous one to the caller: the object
    // itself when this peripheral held its last reference, else a copy.
    virtual GState* NewInitialState();
    virtual GState* NewCurrentState();
    virtual GConfiguration* NewConfiguration();
    // Back to the initial state, active, idle channel-wise: an owned channel is deleted,
    // an unowned one forgotten.
    virtual void Reset();
    virtual void SetName(const RWCString& name);
    // Runs the command's handler; a failure puts an error command in its place.
    virtual GCountedRef ProcessCommand(const GCountedRef& command);
    // Submits the members of a composite command one by one (see the definition).
    virtual GCountedRef ProcessComposite(const GCountedRef& command);
    // Merges the state into the sub-state of its id.
    virtual void AbsorbState(GState* state);
    // Applies what is pending in the sub-state of the id.
    virtual void ApplyState(const long& id);
    virtual void AddListener(GPeripheral* listener);
    virtual void RemoveListener(GPeripheral* listener);
    virtual void NotifyListeners(GPeripheral* source);
    // The document (246), page (256) or graphic (244) sub-state of the current state,
    // made when missing; for any other id the current state.
    virtual GState* FindState(const long& id);
    virtual void EnterDocument();
    virtual void EnterPage();
    virtual void ResetPhase();
    // Borrowed: no reference is taken for the caller.
    virtual GState* GetCurrentState() const;
    virtual GState* GetInitialState() const;
    virtual GConfiguration* GetConfiguration() const;
    virtual RWCString GetName() const;
    virtual bool InDocument() const;
    virtual bool InPage() const;
    virtual bool IsReady();
    // The page scale (x, y) for the producer's context: the job's state, the page's
    // state, the page number (a number, not an address) and the in-out kind; 1.0 each here.
    virtual std::pair<float, float> GetScale(void* context, void* device, void* page, uint32_t* mode);
    // What the concrete peripheral can do; each one defines it.
    virtual uint32_t QueryFlags() = 0;

    // Drawing handlers: the base drops the primitive (status 0). Those that take a plain
    // command are called by the writers' own drawing code.
    virtual int16_t DrawArc(GCommand& primitive);
    virtual int16_t DrawChord(GCommand& primitive);
    virtual int16_t DrawEllipse(GCommand& primitive);
    virtual int16_t EndScanBlock(GCommand& primitive);
    virtual int16_t DrawPath(GPathGraphic& primitive);
    virtual int16_t DrawPie(GCommand& primitive);
    virtual int16_t DrawPolyBezier(GPolyBezierGraphic& primitive);
    virtual int16_t DrawPointRun(GCommand& primitive);
    virtual int16_t DrawPolyline(GCommand& primitive);
    virtual int16_t DrawLineToRun(GCommand& primitive);
    virtual int16_t DrawPolygon(GPolygonGraphic& primitive);
    virtual int16_t DrawRectangle(GRectangleGraphic& primitive);
    virtual int16_t DrawRaster(GRasterGraphic& primitive);
    virtual int16_t DrawRoundRectangle(GCommand& primitive);
    virtual int16_t DrawScanLine(GCommand& primitive);
    virtual int16_t BeginScanBlock(GCommand& primitive);
    virtual int16_t DrawTextString(GTextStringGraphic& primitive);
    virtual int16_t DownloadFace(GDownloadFace& primitive);

    // Job handlers: the document, page and abort handlers move the phase.
    virtual int16_t OnDocumentStart(GDocumentStart& command);
    virtual int16_t OnDocumentEnd(GDocumentEnd& command);
    virtual int16_t OnDocumentEvent(GCommand& command);
    virtual int16_t OnPageStart(GPageStart& command);
    virtual int16_t OnPageEnd(GPageEnd& command);
    // With an owned channel, the channel's abort status.
    virtual int16_t OnJobAbort(GJobAbort& command);
    virtual int16_t OnError(GErrorCommand& command);
    virtual int16_t OnPassThrough(GPassThroughCommand& command);
    virtual int16_t OnDownloadHeader(GDownloadHeaderCommand& command);

    // The printer-side visitors; the page-description writers install themselves
    // through SetPdlWriter.
    virtual int16_t SetPdlWriter(GCheetah& writer);
    virtual int16_t SetPdlWriter(GPcl5e& writer);
    virtual int16_t SetPdlWriter(GPostScript& writer);
    virtual int16_t SetPjlWriter(GPJL& writer);
    virtual int16_t ApplyMedia(GMedia& attribute);
    virtual int16_t ApplyTray(GTray& attribute);

    // While inactive the peripheral lets every command pass untouched.
    bool IsActive() const { return active_ != 0; }
    void Activate() { active_ = 1; }
    void Deactivate() { active_ = 0; }

    uint32_t GetPhase() const { return phase_; }
    uint32_t GetAddOnListId() const { return addOnListId_; }
    int32_t GetAddOnKind() const { return addOnKind_; }
    int32_t GetAddOnMode() const { return addOnMode_; }
    GOutputChannel* GetOutputChannel() const { return channel_; }
    bool OwnsOutputChannel() const { return ownsChannel_ != 0; }
    // Holds the channel; owned, it is deleted by Reset and by the destructor.
    void SetOutputChannel(GOutputChannel* channel, bool owned);
    // The listeners in order, borrowed.
    size_t ListenerCount() const { return listeners_.Entries(); }
    GPeripheral* ListenerAt(size_t index) const;

    // The three states (initial, current, configuration) as object references, the
    // listener list, the name and the three add-on words.
    auto StoredForm() { return GFields(GHook(*this)); }
    template <class In>
    void ReadForm(In& in);
    template <class In>
    bool ReadStored(In& in);
    template <class Out>
    void WriteStored(Out& out) const;
    uint32_t StoredSize() const;

private:
    // Forgets the sub-state pointers: they point into the current state.
    void ClearSubStates();
    // Points the sub-state of the id at the member, if the id is one of the three.
    GState** SubStateSlot(const long& id);
    // Deletes an owned channel and forgets any.
    void DropChannel();
    void CopyListeners(const GPeripheral& other);
    template <class In>
    bool ReadListeners(In& in, std::vector<GPeripheral*>& listeners, bool& keep);

    RWCString name_;
    GOutputChannel* channel_;
    uint32_t ownsChannel_;
    // Not owned; insertion order kept.
    mutable RWSlistCollectables listeners_;
    GState* graphicState_;
    GState* pageState_;
    GState* documentState_;
    uint32_t phase_;
    uint32_t addOnListId_;
    int32_t addOnKind_;
    int32_t addOnMode_;
    GCountedRef currentState_;
    GCountedRef initialState_;
    GCountedRef configuration_;
    uint32_t active_;
    // Set while NotifyListeners runs here: a listener cycle stops at this peripheral.
    bool notifying_;
};
