#include "pipeline/filters/GManualDuplexFilter.h"

#include "model/GCommandClassIds.h"
#include "model/GCommandComposite.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/ForEachMember.h"
#include "model/GObjectIterator.h"
#include "model/GState.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageFilterLock.h"
#include "pipeline/GPageStart.h"
#include "pipeline/SettingValues.h"
#include "printer/GBin.h"
#include "printer/GDriverObject.h"
#include "printer/GMedia.h"
#include "printer/GPaperHandlingDevice.h"
#include "printer/GTray.h"

#include <algorithm>
#include <memory>

namespace {

using namespace FeatureId;
using namespace SettingValues;

constexpr RWClassID kOnDiskPageClass = 606;
constexpr uint16_t kNoTray = 19;
constexpr uint16_t kManualFeedTray = 18;
constexpr uint16_t kManualFeedStandIn = 6;
constexpr uint16_t kFirstUserForm = 16384;

// Each member of the paper-handling devices of the type (0 trays, 1 bins) with a
// non-zero count, until f answers false.
template <class F>
void ForEachDeviceEntry(GConfiguration* configuration, uint32_t type, F f)
{
    bool goOn = true;
    ForEachMember(configuration ? configuration->FindById(kInputDevices) : nullptr, [&](GObjectBase* member) {
        if (!member->IsKindOf(GPaperHandlingDevice::kClassId))
            return true;
        GPaperHandlingDevice* device = static_cast<GPaperHandlingDevice*>(member);
        if (device->GetType() != type || device->GetCount() == 0)
            return true;
        ForEachMember(device, [&](GObjectBase* entry) { return goOn = f(entry); });
        return goOn;
    });
}

GTray* FindTray(GConfiguration* configuration, uint16_t trayId)
{
    GTray* found = nullptr;
    ForEachDeviceEntry(configuration, 0, [&](GObjectBase* entry) {
        if (entry->IsKindOf(GTray::kClassId) && static_cast<GTray*>(entry)->GetTrayId() == trayId)
            found = static_cast<GTray*>(entry);
        return found == nullptr;
    });
    return found;
}

GBin* FindBin(GConfiguration* configuration, uint16_t binId)
{
    GBin* found = nullptr;
    ForEachDeviceEntry(configuration, 1, [&](GObjectBase* entry) {
        if (entry->IsKindOf(GBin::kClassId) && static_cast<GBin*>(entry)->GetBinId() == binId)
            found = static_cast<GBin*>(entry);
        return found == nullptr;
    });
    return found;
}

// The page start of a page: read back from a spooled page, or the member of one in memory.
GCountedRef PageStartOf(GObjectBase* page)
{
    if (!page)
        return GCountedRef();
    if (page->ClassId() == kOnDiskPageClass)
        return page->FindPtrByClassId(kPageStartClassId);
    return GCountedRef(page->FindByClassId(kPageStartClassId));
}

// Writes a changed page start back into a spooled page; a page in memory holds it already.
void WriteBack(GObjectBase* page, const GCountedRef& start)
{
    if (page && start && page->ClassId() == kOnDiskPageClass)
        page->ReplaceRecordByClassId(kPageStartClassId, start.Get());
}

GState* StateOf(const GCountedRef& command)
{
    GCommand* start = dynamic_cast<GCommand*>(command.Get());
    return start ? start->GetState() : nullptr;
}

} // namespace

GManualDuplexFilter::GManualDuplexFilter() {}
GManualDuplexFilter::GManualDuplexFilter(const long& id, uint16_t fixedTray) : GPersistent(id), fixedTray_(fixedTray)
{
}
GManualDuplexFilter::GManualDuplexFilter(const GManualDuplexFilter& other)
    : GPersistent(other), fixedTray_(other.fixedTray_)
{
}
GManualDuplexFilter::~GManualDuplexFilter() {}

GConfiguration* GManualDuplexFilter::Configuration() const
{
    GCommandProducer* producer = GetProducer();
    return producer ? producer->GetPrinterConfiguration() : nullptr;
}

GManualDuplexFilter::Decision GManualDuplexFilter::Decide(GState* state, GDriverObject* driver)
{
    Decision d;
    if (!state)
        return d;
    d.duplexMode = ValueOr(state, kDuplexMode, 0);
    GConfiguration* configuration = driver ? driver->GetPrinterConfiguration() : nullptr;
    if (d.duplexMode == 0 || !configuration)
        return d;
    d.manualMode = int16_t(ValueOr(configuration, kManualDuplexPrinter, 0));
    const uint16_t unit = ValueOr(configuration, kDuplexUnitFitted, 1);

    const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
    const uint16_t mediaId = media ? media->GetMediaId() : 0;
    d.mediaType = media ? media->GetSecondString() : RWCString();
    const RWCString frontCoverType = Text(state, kFrontCoverMediaType);
    const RWCString backCoverType = Text(state, kBackCoverMediaType);
    d.lastPageMediaType = Text(state, kLastPageMediaType);
    const RWCString otherType = Text(state, kOtherPagesMediaType);
    d.lastPageTray = ValueOr(state, kLastPageTray, kNoTray);
    const uint16_t otherTray = ValueOr(state, kOtherPagesTray, kNoTray);
    const uint16_t forbidden = ValueOr(state, kLetterheadOverride, 0);

    d.lastPageDiffers = (d.lastPageTray != otherTray && d.lastPageTray != kNoTray) ||
                        (!(d.lastPageMediaType == otherType) && d.lastPageMediaType.Length() > 0);
    const bool bothSides = !(d.mediaType == "Transparency") && !(d.mediaType == "Labels");
    bool unusable = forbidden != 0;
    const RWCString* texts[] = {&d.mediaType, &frontCoverType, &backCoverType, &d.lastPageMediaType, &otherType};
    for (const RWCString* text : texts)
        if (!driver->IsNameUnused(text->Data()))
            unusable = true;

    GObjectBase* duplexMedia = configuration->FindById(kDuplexMediaIds);
    if (d.manualMode != 0) {
        if (unit == 0) {
            d.takesOver = bothSides;
        } else {
            if (unusable) {
                d.takesOver = 1;
            } else if (bothSides) {
                bool listed = false;
                ForEachMember(duplexMedia, [&](GObjectBase* member) {
                    const GValueAttribute* id = dynamic_cast<const GValueAttribute*>(member);
                    listed = id && id->GetValue() == mediaId;
                    return !listed;
                });
                d.takesOver = duplexMedia && duplexMedia->Entries() > 0 && !listed;
                if (mediaId >= kFirstUserForm)
                    d.takesOver = driver->FindMediaForPaper(mediaId, state) == nullptr;
            }
            if (d.takesOver || !bothSides)
                d.clearsDuplex = d.marksTakenOver = 1;
        }
    } else if (unit != 1) {
        d.clearsDuplex = 1;
    } else if (duplexMedia && unusable) {
        d.clearsDuplex = 1;
    }
    return d;
}

int GManualDuplexFilter::Acts(GDocumentStart& command)
{
    GState* state = command.GetState();
    GCommandProducer* producer = command.GetProducer();
    const Decision d = Decide(state, producer);
    duplexMode_ = d.duplexMode;
    manualMode_ = d.manualMode;
    if (d.clearsDuplex)
        SetValue(state, kDuplexMode, 0);
    if (d.marksTakenOver)
        SetValue(state, kDuplexTakenOver, 1);
    if (!d.takesOver)
        return 0;
    lastPageDiffers_ = d.lastPageDiffers;
    lastPageTray_ = d.lastPageTray;
    lastPageMediaType_ = d.lastPageMediaType;
    mediaType_ = d.mediaType;
    firstPassPages_ = 0;
    firstPassSent_ = 0;
    ending_ = 0;
    outputBin_ = ValueOr(state, kOutputBin, 0);
    // A copy count below 1 makes one copy.
    const int16_t copies = int16_t(ValueOr(state, kSpoolCopies, 1));
    copies_ = copies >= 1 ? copies : 1;
    SetValue(state, kDuplexTakenOver, 1);
    return 1;
}

void GManualDuplexFilter::ResolvePassOrders()
{
    GConfiguration* configuration = Configuration();
    int32_t trayKind = 0;
    if (GTray* tray = FindTray(configuration, trayInUse_)) {
        trayKind = ValueOr(configuration, kTrayKindSwitch, 0) == 2 ? 2 : 1;
        trayLimit_ = tray->GetLimit();
    }
    int32_t binKind = 0;
    // The bin's first option word is its mode.
    if (GBin* bin = FindBin(configuration, outputBin_))
        binKind = bin->GetWordA() == 1 ? 1 : 2;
    if (manualMode_ == 3)
        manualMode_ = binKind;
    if (manualMode_ == binKind)
        secondOrder_ = binKind == 1 ? kOddDown : kOddUp;
    else
        secondOrder_ = binKind == 1 ? kEvenUp : kEvenDown;
    firstOrder_ = secondOrder_ ^ (trayKind == binKind ? 2 : 3);
}

uint16_t GManualDuplexFilter::PassTray(uint16_t tray)
{
    if (tray != kManualFeedTray)
        return tray;
    return FindTray(Configuration(), kManualFeedStandIn) ? kManualFeedStandIn : kNoTray;
}

void GManualDuplexFilter::PreparePage(GState* state)
{
    if (!state)
        return;
    const uint32_t before = GetPageCount();
    if (before == 2) {
        laterTray_ = ValueOr(state, kPageTray, 0);
        firstPageState_.Set(state->DeepCopy());
    }
    if (before == 0) {
        firstPageState_.Set(state->DeepCopy());
        firstTray_ = laterTray_ = ValueOr(state, kPageTray, 0);
        trayInUse_ = trayOfFirstPage_ = fixedTray_ ? fixedTray_ : firstTray_;
        ResolvePassOrders();
    }
    const bool firstPrinted = uint32_t(secondOrder_ >> 1) != (before & 1);
    if (firstPassPages_ != 1 && firstPrinted) {
        if (GValueAttribute* tray = Value(state, kPageTray))
            if (tray->GetValue() == kManualFeedTray)
                tray->SetValue(PassTray(kManualFeedTray));
        if (duplexMode_ != 1)
            TurnOrientationHalfRound(state);
    } else if (!(firstPassPages_ != 0 && uint32_t(firstPassPages_) == before)) {
        SetValue(state, kPageTray, trayInUse_);
    }
}

int16_t GManualDuplexFilter::OnPageStart(GPageStart& command)
{
    if (IsHoldingDocument()) {
        GPageFilterGuard guard;
        PreparePage(command.GetState());
    }
    return GPageSpoolFilter::OnPageStart(command);
}

void GManualDuplexFilter::TakingWholePage(GObjectBase* page)
{
    GCountedRef start = PageStartOf(page);
    if (GState* state = StateOf(start)) {
        PreparePage(state);
        WriteBack(page, start);
    }
}

std::vector<uint32_t> GManualDuplexFilter::PagesInOrder(int32_t order, uint32_t pages, uint32_t firstPassPages)
{
    std::vector<uint32_t> numbers;
    const bool even = order == kEvenUp || order == kEvenDown;
    if (firstPassPages == 1) {
        // The one page is the back of its sheet: the even pass prints it.
        if (even && pages >= 1)
            numbers.push_back(1);
        return numbers;
    }
    const uint32_t first = even ? 2 : 1;
    for (uint32_t n = first; n <= pages; n += 2)
        numbers.push_back(n);
    if (order == kOddDown || order == kEvenDown)
        std::reverse(numbers.begin(), numbers.end());
    return numbers;
}

void GManualDuplexFilter::EmitPage(GObjectBase* page, int32_t order, uint32_t k)
{
    const bool ascending = order == kOddUp || order == kEvenUp;
    if (order == firstOrder_) {
        const bool firstSheet = ascending ? (k == 1 || k == 2)
                                          : (uint32_t(firstPassPages_) == k || int64_t(firstPassPages_) - k == 1);
        trayInUse_ = firstSheet ? firstTray_ : laterTray_;
    }
    if (trayLimit_ == 1 && order == secondOrder_) {
        const uint32_t firstOfPass = (order == kOddUp || order == kOddDown) ? 1 : 2;
        if (k != firstOfPass)
            trayInUse_ = firstTray_;
    }
    GCountedRef start = PageStartOf(page);
    if (GState* state = StateOf(start)) {
        SetValue(state, kPageTray, trayInUse_);
        WriteBack(page, start);
    }
    ReplayComposite()->Add(page);
}

void GManualDuplexFilter::ReplayPass(int32_t order)
{
    std::vector<PageNode*> nodes;
    for (PageNode& node : Pages())
        nodes.push_back(&node);
    const std::vector<uint32_t> numbers = PagesInOrder(order, uint32_t(nodes.size()), uint32_t(firstPassPages_));
    for (int32_t copy = 0; copy < copies_; ++copy) {
        uint32_t k = (order == kOddUp || order == kOddDown) ? 1 : 2;
        for (uint32_t number : numbers) {
            const PageNode& node = *nodes[number - 1];
            EmitPage(node.page.Get(), order, k);
            for (const GCountedRef& trailing : node.trailing)
                ReplayComposite()->Add(trailing.Get());
            k += 2;
        }
    }
}

int16_t GManualDuplexFilter::RunFirstPass(GCommand* breakCommand)
{
    // A page count or copy count that would make the replay without end drops the job.
    if (!RoomForPages(uint64_t(GetPageCount() + 1) * uint64_t(copies_)))
        return kSpoolFailed;
    const uint32_t pages = GetPageCount();
    GState* model = static_cast<GState*>(firstPageState_.Get());
    if ((pages & 1) && pages != 1) {
        if (model) {
            const bool firstPrinted = uint32_t(secondOrder_ >> 1) != (pages & 1);
            const uint16_t tray = ValueOr(model, kPageTray, trayInUse_);
            SetValue(model, kPageTray, firstPrinted ? PassTray(tray) : trayInUse_);
        }
        AppendBlankPage(model);
    }
    firstPageState_.Set(nullptr);
    if (pages == 1)
        if (GValueAttribute* marker = Value(Configuration(), kManualDuplexMarker))
            marker->SetValue(0);
    firstPassPages_ = int32_t(GetPageCount());

    const bool smallJob = firstPassPages_ <= 2 && (firstTray_ != kNoTray || mediaType_.Length() > 0);
    if (lastPageDiffers_ && !smallJob && !Pages().empty()) {
        auto last = Pages().end();
        --last;
        if (Pages().size() > 1 && (firstOrder_ == kOddUp || firstOrder_ == kOddDown))
            --last;
        GObjectBase* page = last->page.Get();
        GCountedRef start = PageStartOf(page);
        if (GState* state = StateOf(start)) {
            SetValue(state, kPageTray, lastPageTray_);
            if (GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia))
                media->SetSecondString(lastPageMediaType_);
            WriteBack(page, start);
        }
    }
    ReplayPass(firstOrder_);
    trayInUse_ = trayOfFirstPage_;
    if (breakCommand && pages != 1)
        ReplayComposite()->Add(breakCommand);
    firstPassSent_ = 1;
    return 0;
}

int16_t GManualDuplexFilter::OnDocumentEvent(GCommand& command)
{
    if (!IsHoldingDocument() || firstPassSent_)
        return 0;
    GPageFilterGuard guard;
    return RunFirstPass(&command);
}

int16_t GManualDuplexFilter::OnDocumentEnd(GDocumentEnd& command)
{
    if (!IsHoldingDocument())
        return GPageSpoolFilter::OnDocumentEnd(command);
    GPageFilterGuard guard;
    // Without a break the first pass was never sent: it goes first, in the same
    // composite, so that no page and not the document start are lost.
    if (!firstPassSent_) {
        const int16_t status = RunFirstPass(nullptr);
        if (status != 0)
            return status;
    }
    ending_ = 1;
    ReplayPass(secondOrder_);
    if (fixedTray_ == 0) {
        if (!command.GetState())
            command.AdoptState(new GState);
        SetValue(command.GetState(), kJobEndMark, 1);
        delete command.GetState()->RemoveById(kJobEndText);
        command.GetState()->Add(new GStringAttribute("test", kJobEndText));
    }
    ReplayComposite()->Add(&command);
    ReleaseDocument();
    return 0;
}

void GManualDuplexFilter::ResetFilterFlags()
{
    laterTray_ = 0;
    firstPageState_.Set(nullptr);
    firstPassPages_ = 0;
    firstPassSent_ = 0;
    outputBin_ = 0;
    trayInUse_ = trayOfFirstPage_ = firstTray_ = 0;
    duplexMode_ = 0;
    manualMode_ = 0;
    firstOrder_ = secondOrder_ = 0;
    trayLimit_ = -1;
    ending_ = 0;
    lastPageDiffers_ = 0;
    lastPageMediaType_ = RWCString();
    lastPageTray_ = 0;
    mediaType_ = RWCString();
    copies_ = 1;
}

int GManualDuplexFilter::WouldTakeOver(GObjectBase* jobState, GCommandProducer* producer,
                                       const std::vector<RWCString>&)
{
    GState* state = jobState && jobState->IsKindOf(GState::kClassId) ? static_cast<GState*>(jobState) : nullptr;
    return WouldTakeOver(state, producer);
}
