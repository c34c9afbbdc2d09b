#include "pipeline/GCommandProducer.h"

#include "graphics/GClipToPage.h"
#include "graphics/GClipToPath.h"
#include "graphics/GFontDatabase.h"
#include "graphics/GPathGraphic.h"
#include "model/GBinaryData.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/GCommandComposite.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "model/GErrorCommand.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GNoCommand.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "pipeline/GPassThroughCommand.h"
#include "pipeline/SettingValues.h"
#include "pipeline/filters/GPageSpoolFilter.h"
#include "graphics/GGraphicBundle.h"
#include "printer/GMedia.h"
#include "printer/GOSFactory.h"
#include "printer/GPeripheral.h"
#include "model/GState.h"

#include <cstdio>
#include <ctime>
#include <new>

namespace {

using namespace FeatureId;
using namespace SettingValues;

// The writers' class ids that the producer tells apart.
constexpr RWClassID kPclXlWriterClass = 767;
constexpr RWClassID kPostScriptWriterClass = 768;

bool StartsWith(const RWWString& text, const wchar_t* prefix)
{
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.Length())
            return false;
        wchar_t c = text.Data()[i];
        if (c >= L'a' && c <= L'z')
            c = wchar_t(c - L'a' + L'A');
        if (c != prefix[i])
            return false;
    }
    return true;
}

// Every error command in the answer: the answer itself and the members of in-memory
// composites, nested or not. Spooled pages are not opened: reading them back here would
// walk every page of the document once more.
void CollectErrors(GObjectBase* object, std::vector<GErrorCommand*>& errors, int depth = 0)
{
    if (!object || depth > 64)
        return;
    if (object->ClassId() == GErrorCommand::kClassId) {
        errors.push_back(static_cast<GErrorCommand*>(object));
        return;
    }
    if (object->ClassId() != GCommandComposite::kClassId)
        return;
    GObjectIterator* it = object->CreateIterator();
    if (!it)
        return;
    while (it->Next())
        CollectErrors(it->Current(), errors, depth + 1);
    delete it;
}

} // namespace

GJobPluginGate::~GJobPluginGate() {}

uint16_t GJobPluginGate::Filter(const GCommand* command)
{
    if (!bypass_)
        return PluginStatus();
    if (command == bypass_)
        bypass_ = nullptr;
    return 0;
}

GCommandProducer::GCommandProducer()
{
    if (GOSFactory* services = GOSFactory::Instance())
        systemValue_ = services->GetCommandContext(this);
    fontPool_ = new (std::nothrow) GFontDatabase(this);
}

GCommandProducer::~GCommandProducer()
{
    DropPaths();
    // The concrete producer is gone: its key cannot be asked any more.
    if (fontPool_)
        fontPool_->DetachOwner();
    delete fontPool_;
}

GObjectBase* GCommandProducer::JobSettings() { return GetSettings(); }

GObjectBase* GCommandProducer::SubState(long id)
{
    GObjectBase* settings = JobSettings();
    return settings ? settings->FindById(id) : nullptr;
}

GPeripheral* GCommandProducer::GetChainHead() const { return dynamic_cast<GPeripheral*>(GetPrinter()); }

void GCommandProducer::ConfigureFromSettings()
{
    jobState_ = 0;
    jobStatus_ = 0;
    clearedWord1_ = clearedWord2_ = 0;
    documentOpen_ = 0;
    workingColor_ = configuredColor_;
    workingWords_ = configuredWords_;
    GObjectBase* job = SubState(kJobControl);
    flagA_ = ValueIs(job, kProducerFlagA, 1);
    flagB_ = ValueIs(job, kProducerFlagB, 1);

    GObjectBase* writer = GetAttribute765();
    writerClassId_ = writer ? uint16_t(writer->ClassId()) : 765;
    mark_ = 32768;
    postScript_ = writer && writer->IsKindOf(kPostScriptWriterClass);

    const uint32_t stored = GOSFactory::Instance()
                                ? GOSFactory::Instance()->GetPrinterDataDword(this, L"PassThrough", 255)
                                : 255;
    const GValueAttribute* allow = Value(job, kPassThroughAllowed);
    passThrough_ = allow && ((allow->GetValue() == 0 && stored == 1) || (allow->GetValue() == 1 && stored != 0));
    ConfigureWriter(writer);
    ConfigurePostScriptModes();
    ConfigureRasterMode();
    ConfigurePageScaling();

    const uint32_t value296 = ValueOr(job, kProducerModeSetting, 0xFFFF);
    mode296_ = value296 == 0 ? 1 : value296 == 3 ? 2 : 0;
    ConfigureFlagsCAndD(writer);

    // Flag E: spooled covers or manual duplex on a PostScript writer.
    flagE_ = 0;
    if ((GetAppFlags() & kFlagsFlagE) && postScript_) {
        GObjectBase* pages = SubState(kPageLayout);
        flagE_ = ValueOr(job, kFrontCoverMode, 0) != 0 || ValueOr(pages, kPagesPerSheet, 0) != 0;
    }
    scalingJobState_.Set(nullptr);
    DropPaths();
    savedStates_.clear();
    clip_.Set(nullptr);
    clipWord_ = 0;
}

void GCommandProducer::SetColorMode(uint8_t mode)
{
    colorTable_.clear();
    if (mode != 1 && mode != 2)
        return;
    GObjectBase* configuration = GetPrinterConfiguration();
    GObjectBase* tables = configuration ? configuration->FindById(kColorTables) : nullptr;
    const GBinaryData* table =
        Feature<GBinaryData>(tables, mode == 2 ? kColorTableMode2 : kColorTableMode1);
    if (table && table->GetData() && table->GetLength() == 3 * 256)
        colorTable_.assign(table->GetData(), table->GetData() + 3 * 256);
}

uint32_t GCommandProducer::ConvertColor(uint8_t red, uint8_t green, uint8_t blue) const
{
    if (colorTable_.size() == 3 * 256)
        return uint32_t(colorTable_[red]) | uint32_t(colorTable_[256 + green]) << 8 |
               uint32_t(colorTable_[512 + blue]) << 16;
    return uint32_t(red) | uint32_t(green) << 8 | uint32_t(blue) << 16;
}

int GCommandProducer::UsesRasterMode(uint32_t value) const
{
    return rasterMode_ == 3 || (rasterMode_ == 2 && value == 0);
}

// A long block goes as several commands of at most 65535 bytes, in order: a command's
// length is a 16-bit field and a cut length would lose the rest of the block.
uint16_t GCommandProducer::SendPassThrough(const void* data, uint32_t length, uint16_t targetClassId,
                                           int withState, int withBypass, int direct)
{
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    uint32_t offset = 0;
    uint16_t status = 0;
    do {
        const uint32_t piece = length - offset > kMaxPassThroughChunk ? kMaxPassThroughChunk : length - offset;
        GPassThroughCommand* command =
            new GPassThroughCommand(bytes ? bytes + offset : nullptr, uint16_t(piece), targetClassId, 0);
        if (withState) {
            GGraphicBundle* bundle = new GGraphicBundle(0);
            bundle->Add(new GValueAttribute(1, kPassThroughStateMark));
            command->AdoptState(bundle);
        }
        if (withBypass)
            gate_.SetBypass(command);
        status = postScript_ && !direct ? Deliver(command) : Send(command);
        offset += piece;
    } while (status == 0 && offset < length);
    return status;
}

GState* GCommandProducer::BuildJobState()
{
    GObjectBase* job = SubState(kJobControl);
    GObjectBase* document = SubState(kJobSettings);
    GObjectBase* pages = SubState(kPageSettings);
    GObjectBase* device = SubState(kDeviceSettings);
    NormaliseValues(job), NormaliseValues(document), NormaliseValues(pages), NormaliseValues(device);

    // Copies: the job's copies go to 247 or to the pages' 257 as collation says.
    if (document && job) {
        CopySetting(job, kCopiesRequested, document);
        const uint16_t copies = uint16_t(ValueOr(job, kCopiesRequested, 1));
        const bool collate = ValueIs(device, kCollationInstalled, 1) &&
                             (ValueIs(device, kCollationDevice, 1) || ValueIs(job, kCollateInDriver, 1));
        SetValue(document, kSpoolCopies, collate ? copies : 1);
        if (pages)
            SetValue(pages, kPageCopies, collate ? 1 : copies);
    }
    // The job state is a state of the job's settings even where the settings hold them
    // in a plain composite: their members are copied one by one then.
    GObjectBase* copy = document ? document->DeepCopy() : nullptr;
    GState* state = copy && copy->IsKindOf(GState::kClassId) ? dynamic_cast<GState*>(copy) : nullptr;
    if (!state) {
        state = new GState(document ? document->GetId() : 0);
        if (GObjectIterator* it = copy ? copy->CreateIterator() : nullptr) {
            while (it->Next())
                if (GObjectBase* member = it->Current())
                    state->Add(member->DeepCopy());
            delete it;
        }
        GObjectBase::Drop(copy);
    }
    CopySetting(JobSettings(), kMediaRebuild, state);
    state->Add(new GValueAttribute(
        StartsWith(GetThirdName(), L"LPT") || StartsWith(GetThirdName(), L"USB") ||
                StartsWith(GetThirdName(), L"DOT4")
            ? 1
            : 3,
        kPortKind));
    if (ValueIs(JobSettings(), kDeviceRulesChoice, 1) && ValueIs(state, kJobPaperChoice, 0))
        ApplyCapabilityRules(*state);

    CopySetting(device, kLetterheadRule, state);
    PlaceMedia(*state);
    AddJobPaperMedia(*state);
    AddCoverMedia(*state);

    static const long kCopied[] = {293, 296, 297, 405};
    for (long id : kCopied)
        CopySetting(JobSettings(), id, state);
    if (JobSetting(kColourOptionsChoice)) {
        CopySetting(JobSettings(), kColourOptionsMode, state);
        CopySetting(JobSettings(), kColourOptionsChoice, state);
    }
    for (long id : {208L, 227L})
        CopySetting(JobSettings(), id, state);
    ApplyColourRules(*state);
    if (postScript_) {
        static const long kPostScriptCopied[] = {582, 584, 583, 570, 571, 605, 608};
        for (long id : kPostScriptCopied)
            CopySetting(JobSettings(), id, state);
    }
    for (long id : {1301L, 1302L})
        CopySetting(JobSettings(), id, state);
    // The page-drawing module's own values, when it makes any.
    GObjectBase* values = MakeValueComposite(0);
    if (values && values->Entries() > 0)
        state->Add(values);
    else
        GObjectBase::Drop(values);
    state->Add(new GValueAttribute(uint16_t(clearedWord2_), kClearedWordSetting));
    for (long id : {263L, 262L})
        CopySetting(JobSettings(), id, state);
    return state;
}

GDocumentStart* GCommandProducer::StartDocument(const RWWString& documentName, const RWWString& outputName)
{
    pageMark_ = 0;
    scaleMark_ = 0;
    GState* state = BuildJobState();
    MakeJobName(documentName);
    return new GDocumentStart(documentName, jobText_, outputName, this, state, 0);
}

GDocumentEnd* GCommandProducer::MakeDocumentEnd() { return new GDocumentEnd(0); }

GPageStart* GCommandProducer::StartPage()
{
    GState* state = new GState(0);
    static const struct {
        long subState;
        long id;
    } kPageSettings[] = {{363, 362}, {363, 265}, {363, 260}, {363, 249}, {363, 253}, {364, 264},
                         {364, 253}, {364, 279}, {329, 266}, {0, 263},   {0, 258}};
    for (const auto& setting : kPageSettings)
        CopySetting(setting.subState ? SubState(setting.subState) : JobSettings(), setting.id, state);
    PlaceMedia(*state);
    ApplyLetterhead(*state);
    scaledPage_ = 0;
    ++pageMark_;
    if (scalingEnabled_)
        TakePageScale(*state);
    return new GPageStart(state, 0);
}

GPageEnd* GCommandProducer::EndPage()
{
    GState* state = new GState(0);
    CopySetting(SubState(kPageSettings), kPageCopies, state);
    if (scalingEnabled_)
        scaleMark_ = 0;
    mark_ = 32768;
    return new GPageEnd(state, 0);
}

uint16_t GCommandProducer::SendPendingPageStart()
{
    if (!pagePending_)
        return 0;
    pagePending_ = 0;
    const uint16_t status = Deliver(StartPage());
    pageOpen_ = 1;
    return status;
}

uint16_t GCommandProducer::FinishPage()
{
    const uint16_t status = Send(EndPage());
    pageOpen_ = 0;
    return status;
}

// Once the job failed nothing more reaches the chain: each command is dropped and the
// job's status answered, until the job is configured again.
uint16_t GCommandProducer::Send(GCommand* command)
{
    if (jobState_ == kJobFailed) {
        GObjectBase::Drop(command);
        return jobStatus_;
    }
    uint16_t status = CheckContinue();
    if (status == 0)
        status = SendPendingPageStart();
    if (status != 0) {
        GObjectBase::Drop(command);
        return status;
    }
    if (jobState_ == kJobFailed) {
        GObjectBase::Drop(command);
        return jobStatus_;
    }
    return Deliver(command);
}

uint16_t GCommandProducer::Deliver(GCommand* command)
{
    if (!command)
        return 0;
    const uint16_t refused = gate_.Filter(command);
    if (refused != 0) {
        GObjectBase::Drop(command);
        return refused;
    }
    GPeripheral* head = GetChainHead();
    if (!head) {
        GObjectBase::Drop(command);
        return 0;
    }
    GCountedRef answer(head->ReceiveCommand(command));
    return ReadAnswer(answer.Get());
}

uint16_t GCommandProducer::ReadAnswer(GObjectBase* answer)
{
    std::vector<GErrorCommand*> errors;
    CollectErrors(answer, errors);
    if (errors.empty())
        return 0;
    uint16_t status = 0;
    for (const GErrorCommand* error : errors)
        if (error->GetCode() != 0) {
            status = error->GetCode();
            break;
        }
    if (GPeripheral* head = GetChainHead()) {
        GCountedRef back(head->ReceiveCommand(new GJobAbort(0)));
    }
    jobState_ = kJobFailed;
    jobStatus_ = status;
    return status;
}

void GCommandProducer::NormaliseValues(GObjectBase* state, uint32_t) { NormaliseValues(state); }
void GCommandProducer::NormaliseValues(GObjectBase*) {}

void GCommandProducer::SetDocument(const RWWString& documentName, const RWWString& outputName)
{
    documentName_ = documentName;
    outputName_ = outputName;
    documentPending_ = 1;
}

uint16_t GCommandProducer::BeginDocument()
{
    if (!documentPending_) {
        jobState_ = kJobFailed;
        jobStatus_ = kNoPendingDocument;
        return kNoPendingDocument;
    }
    GPeripheral* head = GetChainHead();
    if (chainActive_ && head)
        head->Reset();
    const uint16_t status = Deliver(StartDocument(documentName_, outputName_));
    chainActive_ = 1;
    if (status != 0) {
        jobState_ = kJobFailed;
        jobStatus_ = status;
    }
    documentOpen_ = 1;
    documentPending_ = 0;
    return status;
}

// The pool removes the font spool files it wrote; the spooling filters' folder of this
// process goes with its last file.
void GCommandProducer::CloseFontPool()
{
    if (fontPool_)
        fontPool_->Close();
    GPageSpoolFilter::RemoveSpoolFolder(this);
}

// A pending page start has no scale yet, the job's first page included (its page mark
// and the cleared scale mark are both 0 until it starts).
uint16_t GCommandProducer::SendNoCommand()
{
    if (!scalingEnabled_ || (scaleMark_ == pageMark_ && !pagePending_))
        return 0;
    return Send(new GNoCommand(0));
}

GObjectBase* GCommandProducer::MakeValueComposite(long id) { return new GState(id); }

RWCString GCommandProducer::ReadStringSetting(long subState, long id)
{
    const GStringAttribute* text = Feature<GStringAttribute>(SubState(subState), id);
    return text ? text->GetString() : RWCString();
}

void GCommandProducer::BeginPath()
{
    if (pathNesting_ > 0) {
        pathStack_.push_back(openPath_);
        openPath_ = new GPathGraphic(nullptr, 0);
    } else if (!openPath_) {
        openPath_ = new GPathGraphic(nullptr, 0);
    }
    clipWord_ = 0;
    ++pathNesting_;
}

int32_t GCommandProducer::EndPath(uint32_t value)
{
    if (pathNesting_ > 0)
        --pathNesting_;
    if (!openPath_)
        return pathNesting_;
    if (pathNesting_ == 0) {
        PaintPath(value);
    } else {
        if (ClosesFigure(value))
            openPath_->SetClosed(1);
        if (!pathStack_.empty()) {
            GPathGraphic* enclosing = pathStack_.back();
            pathStack_.pop_back();
            enclosing->Add(openPath_);
            openPath_ = enclosing;
        }
    }
    return pathNesting_;
}

int GCommandProducer::SetClip(uint32_t kind, uint32_t mode)
{
    if (kind == 0) {
        SaveGraphicState();
        return 0;
    }
    if (kind == 1) {
        RestoreGraphicState();
        return 0;
    }
    if (kind != 2 && kind != 3)
        return 0;
    if (!openPath_) {
        clip_.Set(new GClipToPage(0));
        return 1;
    }
    const uint32_t operation = kind == 2 ? 0 : 1;
    const uint32_t clipMode = kind == 2 ? (mode == 1 ? 0 : 1) : 0;
    clip_.Set(new GClipToPath(openPath_->Copy(), operation, clipMode, 0));
    DropPaths();
    return kind == 3 ? 1 : 0;
}

void GCommandProducer::SaveGraphicState() { savedStates_.push_back(SavedState{workingWords_, clipWord_, clip_}); }

void GCommandProducer::RestoreGraphicState()
{
    if (savedStates_.empty()) {
        clip_.Set(new GClipToPage(0));
        return;
    }
    const SavedState& saved = savedStates_.back();
    workingWords_ = saved.words;
    clipWord_ = saved.clipWord;
    if (saved.clip)
        clip_ = saved.clip;
    else
        clip_.Set(new GClipToPage(0));
    savedStates_.pop_back();
}

uint16_t GCommandProducer::SendMarkedPage()
{
    if (markedPageRequest_ != 1)
        return 0;
    if (pageMark_ > 0)
        --pageMark_;
    GPageStart* start = StartPage();
    if (GState* state = start->GetState())
        state->Add(new GValueAttribute(1, kMarkedPage));
    uint16_t status = Deliver(start);
    if (status != 0)
        return status;
    markedPageRequest_ = 0;
    return Deliver(EndPage());
}

int GCommandProducer::TestSetting382()
{
    GObjectBase* level = SubState(364);
    level = level ? level->FindById(379) : nullptr;
    const GValueAttribute* value = Value(level, 382);
    return value && value->GetValue() != 2;
}

void GCommandProducer::ResetJob()
{
    GPeripheral* head = GetChainHead();
    if (chainActive_ && head)
        head->Reset();
    ConfigureFromSettings();
    documentPending_ = documentOpen_ = pageOpen_ = pagePending_ = 0;
    documentName_ = RWWString();
    outputName_ = RWWString();
    // The old pool gives its files and its share of the font file pool back first.
    if (fontPool_) {
        fontPool_->Close();
        fontPool_->DetachOwner();
        delete fontPool_;
    }
    fontPool_ = new (std::nothrow) GFontDatabase(this);
    aborted_ = 0;
    scaledPage_ = 0;
    scaleMark_ = 0;
    scaleX_ = scaleY_ = 1.0f;
}

void GCommandProducer::RefreshJobSettings()
{
    if (GObjectBase* settings = JobSettings()) {
        for (long id : {362L, 363L, 364L})
            delete settings->RemoveById(id);
    }
    NormaliseJobSettings();
}

void GCommandProducer::NormaliseJobSettings()
{
    for (long id : {364L, 362L, 363L, 365L})
        NormaliseValues(SubState(id));
}

// The quarter turns exchange the paper's width and height, the extent and the origin.
void GCommandProducer::TurnMedia(GMedia& media, uint32_t degrees)
{
    const bool quarter = ((media.GetOrientation() / 90) & 1) != ((degrees / 90) & 1);
    media.SetOrientation(degrees);
    if (!quarter)
        return;
    const GMediaPair paper = media.GetPaperSize();
    const GMediaPair extent = media.GetImageableExtent();
    const GMediaPair origin = media.GetImageableOrigin();
    media.SetPaperSize({paper.y, paper.x});
    media.SetImageableArea({origin.y, origin.x}, {extent.y, extent.x});
}

RWWString GCommandProducer::TimeStamp() const
{
    std::tm local{}, shifted{};
    int16_t bias = 0;
    if (GOSFactory* services = GOSFactory::Instance())
        services->GetLocalAndShiftedTime(local, shifted, bias);
    char text[32];
    std::snprintf(text, sizeof text, "%4.4d%2.2d%2.2d%2.2d%2.2d%2.2d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    RWWString stamp;
    for (const char* c = text; *c; ++c)
        stamp.Append(wchar_t(*c));
    return stamp;
}

void GCommandProducer::DropPaths()
{
    for (GPathGraphic* path : pathStack_)
        GObjectBase::Drop(path);
    pathStack_.clear();
    GObjectBase::Drop(openPath_);
    openPath_ = nullptr;
    pathNesting_ = 0;
}
