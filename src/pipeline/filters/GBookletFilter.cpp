#include "pipeline/filters/GBookletFilter.h"

#include "foundation/RWCriticalSection.h"
#include "foundation/RWFactory.h"
#include "model/GCommandClassIds.h"
#include "model/GCommandComposite.h"
#include "model/GConfiguration.h"
#include "model/GErrorCommand.h"
#include "model/GObjectIterator.h"
#include "model/GFeatureIds.h"
#include "model/GState.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pipeline/GCommandCompositeOnDisk.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageStart.h"
#include "pipeline/SettingValues.h"
#include "pipeline/filters/GNupFilter.h"
#include "pipeline/filters/GNupCell.h"
#include "pipeline/filters/GTakeOverCheck.h"
#include "printer/GDriverObject.h"
#include "printer/GMedia.h"

#include <memory>

namespace {

using namespace FeatureId;
using namespace SettingValues;

constexpr RWClassID kErrorClass = 714;
constexpr RWClassID kOnDiskPageClass = 606;

// The cover papers a cover sheet is never printed on.
const char* const kRefusedCoverTypes[] = {"Transparency", "Labels"};

// The lock of every booklet filter in the process, made on first use.
RWCriticalSection& SpoolLock()
{
    static RWCriticalSection lock;
    return lock;
}

// A page's paper: its tray (258) and its media type (the second string of its media).
struct Paper {
    uint16_t tray = 0;
    RWCString type;
    bool operator==(const Paper& o) const { return tray == o.tray && type == o.type; }
};

Paper PaperOf(GObjectBase* state)
{
    Paper paper;
    if (const GValueAttribute* tray = Value(state, kPageTray))
        paper.tray = tray->GetValue();
    if (const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia))
        paper.type = media->GetSecondString();
    return paper;
}

void SetPaper(GObjectBase* state, const Paper& paper)
{
    PutValue(state, kPageTray, paper.tray);
    if (GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia))
        media->SetSecondString(paper.type);
}

// The page start of a page held in memory or on disk, read and (with a paper) rewritten.
Paper PagePaper(GObjectBase* page)
{
    if (page->ClassId() == kOnDiskPageClass) {
        GCountedRef start = page->FindPtrByClassId(kPageStartClassId);
        GCommand* command = dynamic_cast<GCommand*>(start.Get());
        return PaperOf(command ? command->GetState() : nullptr);
    }
    GCommand* command = dynamic_cast<GCommand*>(page->FindByClassId(kPageStartClassId));
    return PaperOf(command ? command->GetState() : nullptr);
}

void SetPagePaper(GObjectBase* page, const Paper& paper)
{
    if (PagePaper(page) == paper)
        return;
    if (page->ClassId() == kOnDiskPageClass) {
        GCommandCompositeOnDisk* onDisk = static_cast<GCommandCompositeOnDisk*>(page);
        GCountedRef start = onDisk->FindPtrByClassId(kPageStartClassId);
        GCommand* command = dynamic_cast<GCommand*>(start.Get());
        if (command) {
            GState* state = command->GetState();
            if (!state)
                command->AdoptState(state = new GState(0));
            SetPaper(state, paper);
            onDisk->ReplaceRecordByClassId(kPageStartClassId, command);
        }
        onDisk->Close();
        return;
    }
    GCommand* command = dynamic_cast<GCommand*>(page->FindByClassId(kPageStartClassId));
    if (!command)
        return;
    GState* state = command->GetState();
    if (!state)
        command->AdoptState(state = new GState(0));
    SetPaper(state, paper);
}

} // namespace

GBookletFilter::GBookletFilter() {}
GBookletFilter::GBookletFilter(const long& id) : GPersistent(id) {}
GBookletFilter::GBookletFilter(const GBookletFilter& other) : GPersistent(other) {}

GBookletFilter::~GBookletFilter() { LeaveLock(); }

void GBookletFilter::TakeLock()
{
    if (lockHeld_)
        return;
    SpoolLock().Acquire();
    lockHeld_ = 1;
}

void GBookletFilter::LeaveLock()
{
    if (!lockHeld_)
        return;
    lockHeld_ = 0;
    SpoolLock().Release();
}

void GBookletFilter::Reset()
{
    GPageSpoolFilter::Reset();
    LeaveLock();
}

void GBookletFilter::ResetFilterFlags()
{
    binding_ = 0;
    sheetOrder_ = 0;
    flags_ = 0;
    coverSource_ = 0;
    coverTray_ = 0;
    coverMediaType_ = RWCString();
    coverPages_ = 0;
    blankState_.Set(nullptr);
    coverState_.Set(nullptr);
    jobState_.Set(nullptr);
}

int GBookletFilter::CoverCheck(GObjectBase* jobState, GCommandProducer* producer)
{
    const GValueAttribute* duplex = Value(jobState, kDuplexMode);
    if (!duplex || duplex->GetValue() == 0 || !producer)
        return 0;
    const RWCString type = Text(jobState, kBookletCoverMediaType);
    for (const char* refused : kRefusedCoverTypes)
        if (type == refused)
            return 0;
    // Manual duplex, where the system has it, is asked through the factory by name.
    std::unique_ptr<RWCollectable> made(RWFactoryCreate(RWStringID(GTakeOverCheck::kCheckClassName)));
    if (GTakeOverCheck* check = dynamic_cast<GTakeOverCheck*>(made.get()))
        if (check->WouldTakeOver(jobState, producer, {type}) != 0)
            return 0;
    return 1;
}

int GBookletFilter::Acts(GDocumentStart& command)
{
    GState* state = command.GetState();
    GCommandProducer* producer = command.GetProducer();
    const GValueAttribute* booklet = Value(state, kBookletPrinting);
    if (!booklet || booklet->GetValue() == 0 || (producer && producer->GetFlagE() != 0))
        return 0;
    coverSource_ = 0;
    const GValueAttribute* coverSource = Value(state, kBookletCoverSource);
    const GValueAttribute* coverTray = Value(state, kBookletCoverTray);
    if (coverSource && coverSource->GetValue() != 0 && coverTray &&
        GDriverObject::Feature<GStringAttribute>(state, kBookletCoverMediaType) && CoverCheck(state, producer)) {
        coverSource_ = 1;
        coverTray_ = coverTray->GetValue();
        coverMediaType_ = Text(state, kBookletCoverMediaType);
    }
    binding_ = int16_t(booklet->GetValue());
    flags_ = binding_ > 0 ? kFlags : 0;
    const GValueAttribute* order = Value(state, kBookletSheetOrder);
    sheetOrder_ = order ? order->GetValue() : 0;
    const GValueAttribute* kept = Value(state, kBookletKeptSetting);
    keptSetting_ = kept ? kept->GetValue() : 0;
    coverPages_ = 0;

    // The job as the two-up filter is to see it: two pages a sheet in row order, no
    // frame, printed on both sides.
    GObjectBase::Drop(state->RemoveById(kPageLayout));
    GState* layout = new GState(kPageLayout);
    layout->Add(new GValueAttribute(2, kPagesPerSheet));
    layout->Add(new GValueAttribute(0, kNupPageOrder));
    layout->Add(new GValueAttribute(0, kNupFrame));
    state->Add(layout);
    PutValue(state, kDuplexMode, 2);
    const GMedia* jobMedia = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
    const GMedia* sheetMedia = GDriverObject::Feature<GMedia>(state, kBookletSheetMedia);
    if (jobMedia && sheetMedia) {
        const GValueAttribute* orientation = Value(state, kOrientation);
        const uint32_t job = uint32_t(GNupCell::Normalise(orientation ? orientation->GetValue() : 0));
        const uint32_t sheet = uint32_t(GNupCell::Normalise(int32_t(sheetMedia->GetOrientation())));
        GMedia* media = new GMedia(*sheetMedia);
        media->SetOrientation(job);
        const uint32_t apart = uint32_t(GNupCell::Normalise(int32_t(job) - int32_t(sheet)));
        if (apart == 90 || apart == 270) {
            const GMediaPair paper = sheetMedia->GetPaperSize();
            const GMediaPair extent = sheetMedia->GetImageableExtent();
            const GMediaPair origin = sheetMedia->GetImageableOrigin();
            media->SetPaperSize({paper.y, paper.x});
            media->SetImageableArea({origin.y, origin.x}, {extent.y, extent.x});
        }
        media->SetSecondString(jobMedia->GetSecondString());
        media->SetId(kDocumentMedia);
        GObjectBase::Drop(state->RemoveById(kDocumentMedia));
        state->Add(media);
    }
    jobState_.Set(state->DeepCopy());
    return 1;
}

// The booklet answers for the whole chain: the scale of its two-up sheet for the kept job.
std::pair<float, float> GBookletFilter::GetScale(void*, void*, void* page, uint32_t* mode)
{
    if ((mode && *mode == 3) || !jobState_)
        return {0.0f, 0.0f};
    GNupFilter inner(kInnerFilterName, new GState(0), new GConfiguration, GNupFilter::kClassId, GetProducer());
    const std::pair<float, float> scale = inner.GetScale(jobState_.Get(), jobState_.Get(), page, mode);
    if (mode)
        *mode = 3;
    return scale;
}

GCountedRef GBookletFilter::ProcessCommand(const GCountedRef& command)
{
    GCountedRef result = GPageSpoolFilter::ProcessCommand(command);
    // A spool that failed dropped the booklet: the lock goes with it.
    if (!IsHoldingDocument())
        LeaveLock();
    return result;
}

int16_t GBookletFilter::OnPageStart(GPageStart& command)
{
    if (!IsHoldingDocument())
        return 0;
    TakeLock();
    GState* state = command.GetState();
    if (!blankState_ && state) {
        blankState_.Set(state->DeepCopy());
        if (coverSource_) {
            GState* cover = static_cast<GState*>(state->DeepCopy());
            coverState_.Set(cover);
            SetPaper(cover, Paper{coverTray_, coverMediaType_});
            AppendBlankPage(cover);
            AppendBlankPage(cover);
            coverPages_ += 2;
        }
    }
    const int16_t status = GPageSpoolFilter::OnPageStart(command);
    if (status != 0)
        LeaveLock();
    return status;
}

int16_t GBookletFilter::OnPageEnd(GPageEnd& command)
{
    const int16_t status = GPageSpoolFilter::OnPageEnd(command);
    LeaveLock();
    return status;
}

void GBookletFilter::AddClosingPages()
{
    // No page, no booklet: nothing is padded and no cover wraps nothing.
    if (GetPageCount() == coverPages_) {
        Pages().clear();
        return;
    }
    while ((GetPageCount() - coverPages_) % 4 != 0)
        AppendBlankPage(static_cast<GState*>(blankState_.Get()));
    if (coverSource_ && coverState_) {
        AppendBlankPage(static_cast<GState*>(coverState_.Get()));
        AppendBlankPage(static_cast<GState*>(coverState_.Get()));
        coverPages_ += 2;
    }
}

std::vector<uint32_t> GBookletFilter::BookletOrder(uint32_t n, uint16_t sheetOrder, int16_t binding)
{
    std::vector<uint32_t> order;
    if (n == 0 || n % 4 != 0)
        return order;
    order.reserve(n);
    const bool mirrored = binding == 2;
    if (sheetOrder == 1) {
        const uint32_t h = n / 2;
        for (uint32_t k = 0; k < n / 4; ++k) {
            const uint32_t j = 2 * k;
            const uint32_t front[2] = {h + 2 + j, h - 1 - j}, back[2] = {h - j, h + 1 + j};
            for (const uint32_t* side : {front, back}) {
                order.push_back(side[mirrored ? 1 : 0]);
                order.push_back(side[mirrored ? 0 : 1]);
            }
        }
        return order;
    }
    for (uint32_t i = 0; i < n / 2; ++i) {
        uint32_t first = n - i, second = i + 1;
        if (i % 2 == 1)
            std::swap(first, second);
        if (mirrored)
            std::swap(first, second);
        order.push_back(first);
        order.push_back(second);
    }
    return order;
}

// Sides 0 and 1 (and 2 when side 1 was on other paper and there is a second sheet)
// of the outermost sheet: A is the page from the front of the list, B from its back.
void GBookletFilter::AlignSides(std::vector<PageNode*>& pages)
{
    const size_t n = pages.size();
    if (n < 4)
        return;
    auto A = [&](size_t side) { return pages[side]->page.Get(); };
    auto B = [&](size_t side) { return pages[n - 1 - side]->page.Get(); };
    const Paper first = PagePaper(A(0));
    SetPagePaper(B(0), first);
    const Paper back = PagePaper(A(1));
    const bool differs = !(back == first);
    if (differs)
        SetPagePaper(A(1), first);
    SetPagePaper(B(1), first);
    if (differs && n / 4 >= 2) {
        SetPagePaper(A(2), back);
        SetPagePaper(B(2), back);
    }
}

void GBookletFilter::ReplayPages()
{
    std::vector<PageNode*> pages;
    for (PageNode& node : Pages())
        pages.push_back(&node);
    if (pages.empty())
        return;
    AlignSides(pages);
    for (uint32_t number : BookletOrder(uint32_t(pages.size()), sheetOrder_, binding_))
        ReplayNode(*pages[number - 1]);
}

int16_t GBookletFilter::Impose(GCommandProducer* producer)
{
    GCommandComposite* whole = ReplayComposite();
    if (!whole)
        return 0;
    GNupFilter inner(kInnerFilterName, new GState(0), new GConfiguration, GNupFilter::kClassId, producer);
    GCountedRef answer(inner.ReceiveCommand(whole));
    if (answer && answer->ClassId() == kErrorClass)
        return int16_t(static_cast<GErrorCommand*>(answer.Get())->GetCode());
    GObjectIterator* it = whole->CreateIterator();
    if (!it)
        return 0;
    while (it->Next()) {
        GCountedRef member = it->CurrentRef();
        if (member && member->ClassId() == kDocumentStartClassId) {
            if (GState* state = static_cast<GCommand*>(member.Get())->GetState())
                GObjectBase::Drop(state->RemoveById(kPageLayout));
            break;
        }
    }
    delete it;
    return 0;
}

int16_t GBookletFilter::OnDocumentEnd(GDocumentEnd& command)
{
    const bool held = IsHoldingDocument() != 0;
    GCommandProducer* producer = GetProducer();
    const int16_t status = GPageSpoolFilter::OnDocumentEnd(command);
    return held && status == 0 ? Impose(producer) : status;
}

int16_t GBookletFilter::OnDocumentEvent(GCommand& command)
{
    const bool held = IsHoldingDocument() != 0;
    GCommandProducer* producer = GetProducer();
    const int16_t status = GPageSpoolFilter::OnDocumentEvent(command);
    return held && status == 0 ? Impose(producer) : status;
}

int16_t GBookletFilter::OnJobAbort(GJobAbort& command)
{
    const int16_t status = GPageSpoolFilter::OnJobAbort(command);
    LeaveLock();
    jobState_.Set(nullptr);
    return status;
}
