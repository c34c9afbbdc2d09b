#include "pipeline/filters/GLastPageFilter.h"

#include "model/GCommandClassIds.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "model/GCommandComposite.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "pipeline/SettingValues.h"
#include "printer/GDriverObject.h"
#include "printer/GMedia.h"
#include "model/GState.h"

#include <algorithm>
#include <iterator>

namespace {

using namespace FeatureId;
using namespace SettingValues;

constexpr RWClassID kOnDiskPageClass = 606;
constexpr uint16_t kNoTray = 19;

// A media-type text: a media's second string, or a string setting's text.
const RWCString* MediaType(GObjectBase* state, long id)
{
    GObjectBase* found = state ? state->FindById(id) : nullptr;
    if (const GMedia* media = dynamic_cast<const GMedia*>(found))
        return &media->GetSecondString();
    if (const GStringAttribute* text = dynamic_cast<const GStringAttribute*>(found))
        return &text->GetString();
    return nullptr;
}

// The page start of a spooled page, read back; null for any other page.
GCountedRef SpooledPageStart(GObjectBase* page)
{
    return page && page->ClassId() == kOnDiskPageClass ? page->FindPtrByClassId(kPageStartClassId) : GCountedRef();
}

GState* StateOf(const GCountedRef& command)
{
    GCommand* start = dynamic_cast<GCommand*>(command.Get());
    return start ? start->GetState() : nullptr;
}

} // namespace

GLastPageFilter::GLastPageFilter() {}
GLastPageFilter::GLastPageFilter(const long& id) : GPersistent(id) {}
GLastPageFilter::GLastPageFilter(const GLastPageFilter& other) : GPersistent(other) {}
GLastPageFilter::~GLastPageFilter() {}

int GLastPageFilter::Acts(GDocumentStart& command)
{
    GState* state = command.GetState();
    GCommandProducer* producer = command.GetProducer();
    const GValueAttribute* duplex = Value(state, kDuplexMode);
    if (duplex && duplex->GetValue() != 0) {
        const GValueAttribute* manual = Value(producer ? producer->GetPrinterConfiguration() : nullptr, kManualDuplexPrinter);
        if (manual && manual->GetValue() != 0)
            return 0;
        for (long id : {long(kDocumentMedia), 1215L, 973L, long(kLastPageMediaType), long(kOtherPagesMediaType)}) {
            const RWCString* type = MediaType(state, id);
            if (type && producer && !producer->IsNameUnused(type->Data()))
                return 0;
        }
    }
    const GValueAttribute* otherTray = Value(state, kOtherPagesTray);
    const RWCString* otherType = MediaType(state, kOtherPagesMediaType);
    const GValueAttribute* lastTray = Value(state, kLastPageTray);
    const RWCString* lastType = MediaType(state, kLastPageMediaType);
    if (!otherTray || !otherType || !lastTray || !lastType)
        return 0;
    lastTray_ = lastTray->GetValue();
    lastMediaType_ = *lastType;
    otherTray_ = otherTray->GetValue();
    otherMediaType_ = *otherType;
    mode1240_ = int16_t(Value(state, kLetterheadRule) ? Value(state, kLetterheadRule)->GetValue() : 0);
    alternative_ = 0;
    if (mode1240_ == 1) {
        const GValueAttribute* perSheet = Value(state ? state->FindById(kPageLayout) : nullptr, kPagesPerSheet);
        alternative_ = perSheet && perSheet->GetValue() == 1 && duplex && duplex->GetValue() == 0;
        const GValueAttribute* faceUp = Value(state, kFaceUpOutput);
        if (faceUp && faceUp->GetValue() != 0)
            alternative_ = 0;
    }
    const bool acts = (otherTray_ != lastTray_ && lastTray_ != kNoTray) ||
                      (!(otherMediaType_ == lastMediaType_) && lastMediaType_.Length() > 0);
    if (acts)
        duplex_ = duplex ? duplex->GetValue() : 0;
    return acts;
}

void GLastPageFilter::ApplyLastPageMedia(GObjectBase* page)
{
    GCountedRef start = SpooledPageStart(page);
    GState* state = StateOf(start);
    if (!state)
        return;
    if (GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia))
        media->SetSecondString(lastMediaType_);
    SetValue(state, kPageTray, lastTray_);
    page->ReplaceRecordByClassId(kPageStartClassId, start.Get());
}

int GLastPageFilter::IsBlankMarked(GObjectBase* page)
{
    const GCountedRef start = SpooledPageStart(page);
    const GValueAttribute* mark = Value(StateOf(start), kMarkedPage);
    return mark && mark->GetValue() == 1;
}

void GLastPageFilter::SetPageDuplex(GObjectBase* page, uint16_t value)
{
    GCountedRef start = SpooledPageStart(page);
    GState* state = StateOf(start);
    if (!state)
        return;
    GValueAttribute* duplex = Value(state, kDuplexMode);
    if (duplex && duplex->GetValue() == value)
        return;
    SetValue(state, kDuplexMode, value);
    page->ReplaceRecordByClassId(kPageStartClassId, start.Get());
}

void GLastPageFilter::ReplayPages()
{
    std::list<PageNode>& pages = Pages();
    pagesAtEnd_ = uint32_t(pages.size());
    uint32_t k = 0;
    if (pagesAtEnd_ < 3)
        k = duplex_ == 0 && pagesAtEnd_ % 2 == 0 ? 1 : 0;
    else
        k = duplex_ != 0 && pagesAtEnd_ % 2 == 0 ? 2 : 1;
    if (alternative_ && !pages.empty()) {
        const bool special = lastMediaType_ == "Preprinted" || lastMediaType_ == "Letterhead";
        GObjectBase* last = pages.back().page.Get();
        const bool blank = IsBlankMarked(last) != 0;
        if (special && blank) {
            k = pagesAtEnd_ > 2 ? 2 : 0;
        } else if (special) {
            SetPageDuplex(last, 2);
            const GCountedRef start = SpooledPageStart(last);
            AppendBlankPage(StateOf(start));
            ++pagesAtEnd_;
            k = pagesAtEnd_ > 2 ? 2 : 0;
        } else if (blank) {
            pages.pop_back();
            --pagesAtEnd_;
            if (!pages.empty())
                SetPageDuplex(pages.back().page.Get(), 0);
            k = pagesAtEnd_ > 1 ? 1 : 0;
        } else {
            k = 1;
        }
    }
    // Never more last pages than there are pages.
    k = std::min<uint32_t>(k, uint32_t(pages.size()));
    uint32_t index = 0;
    const uint32_t firstLast = uint32_t(pages.size()) - k;
    for (PageNode& node : pages) {
        if (index++ >= firstLast)
            ApplyLastPageMedia(node.page.Get());
        ReplayNode(node);
    }
}

void GLastPageFilter::ResetFilterFlags()
{
    pagesAtEnd_ = 0;
    duplex_ = 0;
    alternative_ = 0;
}
