#include "pipeline/filters/GPageSpoolFilter.h"

#include "model/GCommandClassIds.h"
#include "model/GFeatureIds.h"
#include "model/GObjectIterator.h"
#include "model/GStringAttribute.h"
#include "model/GTextConverter.h"
#include "model/GCommandComposite.h"
#include "pipeline/GCommandCompositeOnDisk.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "model/GErrorCommand.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GNoCommand.h"
#include "pipeline/GNullCommand.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageFilterLock.h"
#include "pipeline/GPageStart.h"
#include "model/GState.h"
#include "graphics/GFontDatabase.h"
#include "graphics/GGraphicBundle.h"
#include "printer/GOSFactory.h"

#include <cstdio>

namespace {

// Class ids the filters tell apart.
constexpr RWClassID kGraphicClass = 602;
constexpr RWClassID kCommandCompositeClass = 605;
constexpr RWClassID kOnDiskPageClass = 606;
constexpr RWClassID kPassThroughClass = 608;
constexpr RWClassID kDownloadHeaderClass = 610;
constexpr RWClassID kNullCommandClass = 712;
constexpr RWClassID kErrorClass = 714;
constexpr RWClassID kNoCommandClass = 715;
constexpr RWClassID kDocumentBreakClass = 718;
// How many names a job tries for its spool folder before the job fails.
constexpr uint32_t kMostFolderNames = 64;

RWWString Hex(uint32_t value)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"%x", value);
    return RWWString(text);
}

RWCString NarrowHex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return RWCString(text);
}

RWWString Joined(const RWWString& folder, const RWWString& number, const RWWString& extension)
{
    RWWString out(folder);
    out.Append(L'\\');
    out.Append(number);
    out.Append(extension);
    return out;
}

// The caller takes the result over: the hold ends without deleting it.
GCommand* HandOver(GCountedRef& held)
{
    GObjectBase* result = held.Detach();
    if (result)
        result->RemoveReference();
    return static_cast<GCommand*>(result);
}

// A page start and a page end in the member, found by class without taking them out.
void FindPageFrame(GObjectBase* member, bool& start, bool& end)
{
    if (member->ClassId() == kOnDiskPageClass) {
        start = bool(member->FindPtrByClassId(kPageStartClassId));
        end = bool(member->FindPtrByClassId(kPageEndClassId));
        // A page that an imposing filter (N-up, booklet) rewrote holds its frame inside
        // the composites that took the page start's and the page end's places.
        if (start && end)
            return;
        GObjectIterator* it = member->CreateIterator();
        while (it && it->Next()) {
            GCountedRef record = it->CurrentRef();
            if (!record || record->ClassId() != kCommandCompositeClass)
                continue;
            start = start || record->FindByClassId(kPageStartClassId) != nullptr;
            end = end || record->FindByClassId(kPageEndClassId) != nullptr;
        }
        delete it;
        return;
    }
    start = member->FindByClassId(kPageStartClassId) != nullptr;
    end = member->FindByClassId(kPageEndClassId) != nullptr;
    if ((start && end) || member->ClassId() != kCommandCompositeClass)
        return;
    // A sheet put together from the parts of an imposed page holds them on disk.
    GObjectIterator* it = member->CreateIterator();
    while (it && it->Next()) {
        GCountedRef part = it->CurrentRef();
        if (!part || part->ClassId() != kOnDiskPageClass)
            continue;
        bool partStart = false, partEnd = false;
        FindPageFrame(part.Get(), partStart, partEnd);
        start = start || partStart;
        end = end || partEnd;
    }
    delete it;
}

} // namespace

void SpoolPaths::Name(const RWWString& number)
{
    numberText = number;
    pageFile = Joined(folder, numberText, pageExtension);
    fontFile = Joined(folder, numberText, fontExtension);
}

GPageSpoolFilter::GPageSpoolFilter() {}
GPageSpoolFilter::GPageSpoolFilter(const long& id) : GPeripheral(id) {}
GPageSpoolFilter::GPageSpoolFilter(const GPageSpoolFilter& other) : GPeripheral(other) {}

GPageSpoolFilter& GPageSpoolFilter::operator=(const GPageSpoolFilter& other)
{
    if (this != &other)
        GPeripheral::operator=(other);
    return *this;
}

GPageSpoolFilter::~GPageSpoolFilter()
{
    GPageFilterGuard guard;
    DropHeld();
}

bool GPageSpoolFilter::IsSame(const GObjectBase* other) const
{
    return other && other->ClassId() == ClassId() && GPeripheral::IsSame(other);
}

RWWString GPageSpoolFilter::SpoolFolder(GDriverObject* driver)
{
    GOSFactory* services = GOSFactory::Instance();
    if (!services)
        return RWWString();
    RWWString folder;
    services->GetTempDirectory(folder, driver);
    // A folder relative to whatever the current directory is would put the spool files
    // among the application's own: no folder at all then.
    if (!MPersistentCompositeOnDisk::IsAbsoluteFolder(folder))
        return RWWString();
    if (folder.Length() > 0 && folder.Data()[folder.Length() - 1] != L'\\')
        folder.Append(L'\\');
    folder.Append(Hex(services->ProcessId()));
    return folder;
}

// A folder that is there already may be anyone's, open to anyone or leading elsewhere:
// the job's files go only into a folder the job made itself, under the first free name.
// Only a name that is taken moves on to the next: any other failure (a share that does
// not answer, no right to write) would fail for every name alike.
RWWString GPageSpoolFilter::JobSpoolFolder(GCommandProducer* producer)
{
    if (producer && !producer->GetSpoolFolder().IsNull())
        return producer->GetSpoolFolder();
    const RWWString first = SpoolFolder(producer);
    GOSFactory* services = GOSFactory::Instance();
    if (!services || first.IsNull())
        return RWWString();
    for (uint32_t attempt = 0; attempt < kMostFolderNames; ++attempt) {
        RWWString folder(first);
        if (attempt > 0)
            folder.Append(L'.').Append(Hex(attempt));
        const GOSFactory::FolderMade made = services->MakeFolder(folder);
        if (made == GOSFactory::FolderMade::kMade) {
            if (producer)
                producer->SetSpoolFolder(folder);
            return folder;
        }
        if (made != GOSFactory::FolderMade::kExists)
            break;
    }
    return RWWString();
}

// The folder stays the job's while another of its filters still has files in it: the
// last removal takes it.
void GPageSpoolFilter::RemoveSpoolFolder(GDriverObject* driver)
{
    GCommandProducer* producer = dynamic_cast<GCommandProducer*>(driver);
    GOSFactory* services = GOSFactory::Instance();
    if (!producer || producer->GetSpoolFolder().IsNull() || !services ||
        !services->RemoveFolder(producer->GetSpoolFolder()))
        return;
    MPersistentCompositeOnDisk::ForgetSpoolFolder(producer->GetSpoolFolder());
    producer->SetSpoolFolder(RWWString());
}

GCommandComposite* GPageSpoolFilter::ReplayComposite() const
{
    return static_cast<GCommandComposite*>(replay_.Get());
}

GCommandCompositeOnDisk* GPageSpoolFilter::PageSpool() const
{
    return static_cast<GCommandCompositeOnDisk*>(spool_.Get());
}

void GPageSpoolFilter::DropHeld()
{
    pages_.clear();
    replay_.Set(nullptr);
    spool_.Set(nullptr);
}

void GPageSpoolFilter::ClearSpool()
{
    GPageFilterGuard guard;
    DropHeld();
    held_ = 0;
    Deactivate();
    if (producer_)
        RemoveSpoolFolder(producer_);
}

void GPageSpoolFilter::Reset()
{
    {
        GPageFilterGuard guard;
        DropHeld();
    }
    held_ = 0;
    ResetFilterFlags();
    GPeripheral::Reset();
}

GCommand* GPageSpoolFilter::ReceiveCommand(GCommand* command)
{
    if (!command || !IsActive())
        return command;
    GCountedRef held(command);
    command->ClearModified();
    GCountedRef result;
    const RWClassID classId = command->ClassId();
    if (!held_ && classId == kCommandCompositeClass)
        result = TakeWholeDocument(held);
    else if (classId == kNoCommandClass || classId == kErrorClass)
        result = held;
    else if (command->AsComposite())
        result = ProcessComposite(held);
    else
        result = ProcessCommand(held);
    held.Set(nullptr);
    return HandOver(result);
}

// The members of a whole document are taken as they are: pages already spooled by the
// earlier filter are appended without being rewritten.
GCountedRef GPageSpoolFilter::TakeWholeDocument(const GCountedRef& command)
{
    GObjectBase* composite = command->AsComposite();
    GObjectIterator* it = composite ? composite->CreateIterator() : nullptr;
    if (!it)
        return command;
    GCountedRef result = command;
    GCountedRef partial;
    while (IsActive() && it->Next()) {
        GCountedRef member = it->CurrentRef();
        GObjectBase* object = member.Get();
        if (!object)
            continue;
        const RWClassID classId = object->ClassId();
        if (classId == kDocumentStartClassId) {
            ProcessCommand(member);
        } else if (classId == kCommandCompositeClass || classId == kOnDiskPageClass) {
            bool start = false, end = false;
            FindPageFrame(object, start, end);
            if (classId == kOnDiskPageClass && !static_cast<GCommandCompositeOnDisk*>(object)->HasFailed())
                static_cast<GCommandCompositeOnDisk*>(object)->Close();
            if (start && end) {
                TakingWholePage(object);
                for (uint32_t copies = CopiesOfWholePage(object), i = 0; i < copies; ++i)
                    AppendPage(member);
            } else if (start) {
                GCommandComposite* page = new GCommandComposite(0);
                partial.Set(page);
                page->Add(object);
            } else if (partial) {
                partial->Add(object);
                // A sheet put together from the parts of an imposed page is a page too.
                if (end) {
                    TakingWholePage(partial.Get());
                    for (uint32_t copies = CopiesOfWholePage(partial.Get()), i = 0; i < copies; ++i)
                        AppendPage(partial);
                    partial.Set(nullptr);
                }
            } else {
                Deactivate();
            }
        } else if (!ActsOnWholeDocumentEnd()) {
            continue;
        } else if (classId == kDocumentEndClassId || classId == kJobAbortClassId ||
                   (classId == kDocumentBreakClass && ReplaysOnBreak())) {
            GCountedRef answer = ProcessCommand(member);
            if (classId == kDocumentBreakClass && answer.Get() == member.Get())
                continue;
            if (result.Get() != command.Get() && answer.Get() != result.Get()) {
                // A break sent the first part already: both parts go on, in order.
                GCommandComposite* both = new GCommandComposite(0);
                GCountedRef parts(both);
                both->Add(result.Get());
                both->Add(answer.Get());
                result = parts;
            } else {
                result = answer;
            }
        }
    }
    delete it;
    if (!ActsOnWholeDocumentEnd()) {
        GPageFilterGuard guard;
        DropHeld();
        held_ = 0;
    }
    return result;
}

int GPageSpoolFilter::RoomForPages(uint64_t more)
{
    if (uint64_t(pages_.size()) + more <= kMostHeldPages)
        return 1;
    ClearSpool();
    return 0;
}

void GPageSpoolFilter::ReleaseDocument()
{
    pages_.clear();
    producer_ = nullptr;
    held_ = 0;
}

void GPageSpoolFilter::AppendPage(const GCountedRef& page)
{
    pages_.push_back(PageNode{page, {}});
    ++pageCount_;
}

void GPageSpoolFilter::AppendBlankPage(const GState* model)
{
    GState* state = model ? dynamic_cast<GState*>(model->DeepCopy()) : nullptr;
    GCommandComposite* page = new GCommandComposite(0);
    GCountedRef held(page);
    page->Add(new GPageStart(state, 0));
    page->Add(new GPageEnd(0));
    AppendPage(held);
}

GCountedRef GPageSpoolFilter::Spool(const GCountedRef& command)
{
    GObjectBase* object = command.Get();
    if (GCommandCompositeOnDisk* spool = PageSpool()) {
        {
            GPageFilterGuard guard;
            if (!spool->HasFailed())
                spool->AddRecord(object);
        }
        if (spool->HasFailed()) {
            ClearSpool();
            return GCountedRef(new GErrorCommand(kSpoolFailed, static_cast<GCommand*>(object), 0));
        }
    } else if (!pages_.empty()) {
        pages_.back().trailing.push_back(command);
    } else if (replay_) {
        replay_->Add(object);
    }
    return command;
}

GCountedRef GPageSpoolFilter::ProcessCommand(const GCountedRef& command)
{
    GCommand* target = static_cast<GCommand*>(command.Get());
    if (!target)
        return command;
    const RWClassID classId = target->ClassId();
    const bool drawing = target->IsKindOf(kGraphicClass) || classId == kNullCommandClass;
    if (!drawing) {
        const int16_t status = target->Execute(*this);
        if (status != 0)
            return GCountedRef(new GErrorCommand(uint16_t(status), target, 0));
    }
    // Drawings, pass-through bytes and download headers of a held document stay with it:
    // in the open page, or after the last page taken.
    if (held_ && (drawing || classId == kPassThroughClass || classId == kDownloadHeaderClass)) {
        GCountedRef spooled = Spool(command);
        if (spooled.Get() != command.Get())
            return spooled;
    }
    if (!IsActive())
        return command;
    if (classId == kDocumentEndClassId || (classId == kDocumentBreakClass && ReplaysOnBreak())) {
        if (replay_) {
            GCountedRef whole;
            whole.Swap(replay_);
            // The rest of the document goes on at its end in a composite of its own.
            if (classId == kDocumentBreakClass && held_ && KeepsDocumentAfterBreak())
                replay_.Set(new GCommandComposite(0));
            return whole;
        }
        // The held document went on already (a break sent it): the end follows it.
        return command;
    }
    if (!held_)
        return command;
    return GCountedRef(new GNoCommand(0));
}

int16_t GPageSpoolFilter::OnDocumentStart(GDocumentStart& command)
{
    if (!command.GetState())
        return 0;
    // Nothing of the last document's decisions carries over into this one.
    ResetFilterFlags();
    if (!Acts(command)) {
        Deactivate();
        return 0;
    }
    Activate();
    held_ = 1;
    producer_ = command.GetProducer();
    pageCount_ = 0;
    {
        GPageFilterGuard guard;
        DropHeld();
    }
    paths_ = SpoolPaths();
    paths_.folder = JobSpoolFolder(producer_);
    // Without an absolute temporary folder the filter does not start: the job start
    // fails as a spool failure does.
    if (!MPersistentCompositeOnDisk::AddSpoolFolder(paths_.folder)) {
        ClearSpool();
        return kSpoolFailed;
    }
    paths_.pageExtension = PageExtension();
    paths_.fontExtension = FontExtension();
    replay_.Set(new GCommandComposite(0));
    replay_->Add(&command);
    return 0;
}

void GPageSpoolFilter::NamePage()
{
    const uint32_t key = producer_ ? producer_->GetProducerKey() : 0;
    paths_.Name(Hex(key ^ pageCount_));
    if (GOSFactory* services = GOSFactory::Instance()) {
        services->RemoveFile(paths_.pageFile);
        services->RemoveFile(paths_.fontFile);
    }
}

int16_t GPageSpoolFilter::OnPageStart(GPageStart& command)
{
    if (!held_)
        return 0;
    bool failed = false;
    {
        GPageFilterGuard guard;
        if (!CountsAtPageEnd())
            ++pageCount_;
        NamePage();
        GCommandCompositeOnDisk* spool = new GCommandCompositeOnDisk(paths_.pageFile, 1, 0);
        spool_.Set(spool);
        RWCString fontName;
        ToNarrowString(paths_.fontFile, fontName);
        GGraphicBundle* bundle = new GGraphicBundle(0);
        bundle->Add(new GStringAttribute(fontName, FeatureId::kSpoolFontFile));
        bundle->Add(new GStringAttribute(NarrowHex(producer_ ? producer_->GetProducerKey() : 0),
                                         FeatureId::kSpoolProducerKey));
        if (!spool->HasFailed())
            spool->AdoptState(bundle);
        else
            GObjectBase::Drop(bundle);
        if (!spool->HasFailed())
            spool->AddRecord(&command);
        if (!spool->HasFailed())
            spool->AddRecord(new GNullCommand(0));
        failed = spool->HasFailed() != 0;
    }
    if (failed) {
        ClearSpool();
        return kSpoolFailed;
    }
    return 0;
}

int16_t GPageSpoolFilter::OnPageEnd(GPageEnd& command)
{
    GCommandCompositeOnDisk* spool = PageSpool();
    if (!held_ || !spool)
        return 0;
    bool failed = false;
    int16_t status = 0;
    {
        GPageFilterGuard guard;
        if (!spool->HasFailed())
            spool->AddRecord(&command);
        if (!spool->HasFailed())
            spool->Close();
        failed = spool->HasFailed() != 0;
        if (!failed) {
            GCountedRef page;
            page.Swap(spool_);
            BeforePageAppended();
            pages_.push_back(PageNode{page, {}});
            if (CountsAtPageEnd())
                ++pageCount_;
            GFontDatabase* fonts = producer_ ? producer_->GetFontPool() : nullptr;
            if (fonts && !fonts->SaveToFile(paths_.fontFile))
                status = kSpoolFailed;
        }
    }
    if (failed) {
        ClearSpool();
        return kSpoolFailed;
    }
    return status;
}

int16_t GPageSpoolFilter::OnDocumentEnd(GDocumentEnd& command) { return FinishDocument(command); }

int16_t GPageSpoolFilter::OnDocumentEvent(GCommand& command)
{
    return ReplaysOnBreak() ? FinishDocument(command) : 0;
}

int16_t GPageSpoolFilter::FinishDocument(GCommand& command)
{
    GPageFilterGuard guard;
    if (!replay_) {
        pages_.clear();
        held_ = 0;
        ResetFilterFlags();
        return 0;
    }
    const bool keeping = command.ClassId() == kDocumentBreakClass && KeepsDocumentAfterBreak();
    if (!keeping)
        AddClosingPages();
    ReplayPages();
    ReplayComposite()->Add(&command);
    pages_.clear();
    if (keeping)
        return 0;
    producer_ = nullptr;
    held_ = 0;
    return 0;
}

int16_t GPageSpoolFilter::OnJobAbort(GJobAbort&)
{
    ClearSpool();
    held_ = 0;
    ResetFilterFlags();
    return 0;
}

void GPageSpoolFilter::ReplayNode(const PageNode& node)
{
    ReplayComposite()->Add(node.page.Get());
    for (const GCountedRef& command : node.trailing)
        ReplayComposite()->Add(command.Get());
}

void GPageSpoolFilter::ReplayPages()
{
    for (const PageNode& node : pages_)
        ReplayNode(node);
}
