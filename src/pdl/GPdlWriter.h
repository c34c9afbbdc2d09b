// The base of the page-description writers: a peripheral composite that the printer
// recognises by kind (765) and to which it gives the writer's name under id 373. It does
// not answer a class id of its own; the concrete writers do.
//
// What the base adds: the job's shared fields (document started, scan block, path
// nesting, clip state), the device-memory budget, the fonts downloaded during the job,
// the document start that finds or opens the output channel, and the operations every
// writer answers (colours, device fonts, raster operations, feature queries).
#pragma once

#include "graphics/GDeviceFontListComposite.h"
#include "graphics/GDeviceMemoryBudget.h"
#include "graphics/GRasterRowSource.h"
#include "graphics/GPdlTarget.h"
#include "printer/GForwardTarget.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GWriterCopier.h"

class GColorPaint;
class GCommandProducer;

class GPdlWriter : public GStoredLevel<GPdlWriter, GPeripheralComposite, 765>, public GForwardTarget, public GPdlTarget {
public:
    // The id under which the printer finds its page-description writer.
    static constexpr long kWriterId = 101;
    // The id of the name attribute the printer adds to the writer's current state.
    static constexpr long kNameAttributeId = 373;
    // Status of a document start that finds no usable output channel.
    static constexpr int16_t kNoChannel = 601;
    // Bytes of printer memory per unit of the configuration's memory setting.
    static constexpr int32_t kBytesPerMemoryUnit = 10485;

    // An object a concrete writer creates and owns through the base (its stream
    // encoder, say): deleted with the writer, dropped on restore and assignment, never
    // copied.
    class Object {
    public:
        virtual ~Object() = default;
    };

    GPdlWriter();
    GPdlWriter(const RWCString& name, GState* initialState, GConfiguration* configuration, const long& id,
               uint32_t addOnListId, int32_t addOnKind, int32_t addOnMode);
    // The job's fields are copied; the writer objects, the page words and the producer
    // are not, and the budget and the downloaded fonts start fresh.
    GPdlWriter(const GPdlWriter& other);
    // The same fields as the copy; the writer objects are deleted, the budget and the
    // downloaded fonts stay this writer's own.
    GPdlWriter& operator=(const GPdlWriter& other);
    ~GPdlWriter() override;

    // The composite's sameness and equal job fields.
    bool IsSame(const GObjectBase* other) const override;

    // The printer hands the document frame, page end and abort to its writers'
    // ReceiveCommand, which in a composite reaches only the children (the add-ons): the
    // writer's own handler runs too, before the children for the document start and
    // after them for the closing commands. Everything else is the composite's.
    GCommand* ReceiveCommand(GCommand* command) override;

    // Marks the document started, keeps the producer, takes the channel the command
    // carries or opens one, and sizes the memory budget. Concrete writers run it first.
    int16_t OnDocumentStart(GDocumentStart& command) override;
    // A writer enters the page itself: the base does nothing.
    int16_t OnPageStart(GPageStart& command) override;
    int16_t ApplyString(GStringAttribute& attribute) override;

    // Gives bytes back to the memory budget: answers what is free after.
    virtual uint32_t ReleaseDeviceMemory(uint32_t bytes);
    // Takes bytes from the memory budget (all that is left when fewer are free):
    // answers what is free after.
    virtual uint32_t ReserveDeviceMemory(uint32_t bytes);
    // Deletes a downloaded font from the printer by its name: the writer's own language.
    virtual void RemoveDownloadedFont(const RWCString& name) = 0;
    // The colour operations; the paint forms are reached through GColorPaint's
    // ApplyAsPen and ApplyAsBrush.
    virtual int16_t SetPenColor(GObjectBase& color) = 0;
    virtual int16_t SetPenColor(GColorPaint& paint) = 0;
    virtual int16_t SetBrushColor(GObjectBase& color) = 0;
    virtual int16_t SetBrushColor(GColorPaint& paint) = 0;
    // Device-font matching: 1 here; a writer that matches sets its device-font-used word.
    virtual int32_t MatchDeviceFont(uint32_t font);
    // Stores 0 through found and answers 1.
    virtual int32_t MatchDeviceFontEx(uint32_t a, uint32_t b, uint32_t c, uint32_t* found, uint32_t e, uint32_t f,
                                      uint32_t g);
    // The ternary raster operation of binary operation n (1 to 16, wrapping).
    virtual uint16_t GetTernaryRop(int16_t n);
    // What the writer answers about a feature of its language: 0 here.
    virtual uint32_t QueryFeature(uint32_t feature);
    // The driver object hands its value on to the feature query.
    uint32_t TakeForwarded(uint32_t value) override { return QueryFeature(value); }

    bool IsBuildingPath() const { return pathNesting_ > 0; }
    int16_t GetPathNesting() const { return pathNesting_; }
    // Plays the members of the path on this writer one nesting level deeper; the first
    // failing member's status, else 0.
    int16_t PlayPathMembers(GPathGraphic& path);
    uint32_t GetClipState() const { return clipState_; }
    void SetClipState(uint32_t state) { clipState_ = state; }
    uint32_t IsDocumentStarted() const { return documentStarted_; }
    uint32_t IsInScanBlock() const { return inScanBlock_; }
    void SetInScanBlock(uint32_t inBlock) { inScanBlock_ = inBlock; }
    uint32_t IsPassThroughAllowed() const { return passThroughAllowed_; }
    uint32_t GetDeviceFontUsed() const { return deviceFontUsed_; }
    void SetDeviceFontUsed(uint32_t used) { deviceFontUsed_ = used; }
    uint32_t GetPageWord(int index) const { return pageWords_[index & 1]; }
    void SetPageWord(int index, uint32_t word) { pageWords_[index & 1] = word; }
    // Not owned; null until a document start names one.
    GCommandProducer* GetProducer() const { return producer_; }
    Object* GetWriterObjectA() const { return objectA_; }
    Object* GetWriterObjectB() const { return objectB_; }
    // Takes the object, deleting the one held before.
    void SetWriterObjectA(Object* object);
    void SetWriterObjectB(Object* object);

    // The fonts resident in the printer: the configuration's list 414 (borrowed), else
    // an empty list this writer makes and deletes.
    GDeviceFontListComposite* GetDeviceFontList();
    GDeviceFontListComposite& GetDownloadedFonts() { return downloadedFonts_; }

    // Builds the raster row chain through which the writer reads an image.
    GRasterRowSource* CreateRasterRowSource(GRect destination, GRect& source, const GClipAttribute* clip,
                                            GBitmap bitmap, uint32_t sourceKind, uint32_t scalingMode,
                                            const GDitherMatrix* matrix, GRowCompressor* finalStage,
                                            uint32_t forceScaling, GBitmapImp::GrayConverter level);

    GDeviceMemoryBudget& GetMemoryBudget() { return budget_; }
    const GDeviceMemoryBudget& GetMemoryBudget() const { return budget_; }

    // Document started, in scan block, path nesting level and clip state.
    auto StoredForm() { return GFields(documentStarted_, inScanBlock_, pathNesting_, clipState_); }
    template <class In>
    void ReadForm(In& in);

    // Writes the bytes of each string attribute of the state's composite with the id, in
    // order, to the channel: the job data extension modules add to a document command's
    // state. The first failing write's status; 0 without the composite or the channel.
    static int16_t WriteStringMembers(GObjectBase* state, long compositeId, GOutputChannel* channel);

protected:
    // What a concrete writer clears at document end and abort.
    void ClearJobFields();

private:
    void CopyJobFields(const GPdlWriter& other);
    void DropWriterObjects();
    void DropDeviceFontList();
    // Sizes the budget from the configuration's memory setting.
    void SizeBudget();

    uint32_t documentStarted_;
    uint32_t inScanBlock_;
    Object* objectA_;
    Object* objectB_;
    GDeviceFontListComposite downloadedFonts_;
    uint32_t deviceFontUsed_;
    uint32_t pageWords_[2];
    int16_t pathNesting_;
    uint32_t clipState_;
    GCommandProducer* producer_;
    GDeviceFontListComposite* deviceFontList_;
    bool ownsDeviceFontList_;
    GDeviceMemoryBudget budget_;
    uint32_t passThroughAllowed_;
};

static_assert(GPdlWriter::kClassId == kPdlWriterClassId, "the printer tells writers by this id");
