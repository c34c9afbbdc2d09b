#include "pipeline/filters/GReverseFilter.h"

#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageStart.h"
#include "pipeline/SettingValues.h"
#include "printer/GDriverObject.h"
#include "printer/GMedia.h"
#include "model/GState.h"

namespace {

using namespace FeatureId;
using namespace SettingValues;

const char kLetterhead[] = "Letterhead";

} // namespace

GReverseFilter::GReverseFilter() {}
GReverseFilter::GReverseFilter(const long& id) : GPersistent(id) {}
GReverseFilter::GReverseFilter(const GReverseFilter& other) : GPersistent(other) {}
GReverseFilter::~GReverseFilter() {}

// Printed on both sides with 1116 on, the sense of 710 turns round.
int GReverseFilter::Acts(GDocumentStart& command)
{
    GState* state = command.GetState();
    const GValueAttribute* reverse = Value(state, kReverseOrder);
    if (!reverse)
        return 0;
    const uint16_t r = reverse->GetValue();
    const uint16_t x = ValueOr(state, kReverseOnDuplex, 0);
    const uint16_t d = x != 0 ? ValueOr(state, kDuplexMode, 0) : 0;
    const bool acts = (x == 0 && r == 1) || (x != 0 && d != 0 && r == 0) || (x != 0 && d == 0 && r == 1);
    if (!acts)
        return 0;
    GCommandProducer* producer = command.GetProducer();
    GConfiguration* configuration = producer ? producer->GetPrinterConfiguration() : nullptr;
    if (ValueOr(configuration, kLetterheadDuplexCapable, 0) != 0) {
        const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia);
        const GValueAttribute* duplex = Value(state, kDuplexMode);
        if (media && media->GetSecondString() == kLetterhead && duplex && duplex->GetValue() != 0 &&
            ValueOr(state, kLetterheadOverride, 0) == 0)
            letterhead_ = 1;
    }
    return 1;
}

int16_t GReverseFilter::OnPageStart(GPageStart& command)
{
    if (IsHoldingDocument()) {
        GState* state = command.GetState();
        const uint32_t before = GetPageCount();
        if (letterhead_ && before == 0 && state)
            firstPageState_.Set(state->DeepCopy());
        if (const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia)) {
            const RWCString& type = media->GetSecondString();
            if (type.Length() > 0) {
                if ((before & 1) && letterhead_ && !(type == kLetterhead) && !(type == lastMediaType_))
                    blankNeeded_ = 1;
                lastMediaType_ = type;
            }
        }
        if (const GValueAttribute* tray = Value(state, kPageTray)) {
            if ((before & 1) && letterhead_ && tray->GetValue() != lastTray_)
                blankNeeded_ = 1;
            lastTray_ = tray->GetValue();
        }
    }
    return GPageSpoolFilter::OnPageStart(command);
}

void GReverseFilter::BeforePageAppended()
{
    if (blankNeeded_)
        AppendBlankPage(static_cast<GState*>(firstPageState_.Get()));
}

int16_t GReverseFilter::OnPageEnd(GPageEnd& command)
{
    const int16_t status = GPageSpoolFilter::OnPageEnd(command);
    blankNeeded_ = 0;
    return status;
}

// An odd letterhead document ends on a front: a blank back on the last page's paper.
void GReverseFilter::AddClosingPages()
{
    GState* model = static_cast<GState*>(firstPageState_.Get());
    if (letterhead_ && model && (GetPageCount() & 1)) {
        if (GValueAttribute* tray = Value(model, kPageTray))
            if (tray->GetValue() != lastTray_)
                tray->SetValue(lastTray_);
        if (GMedia* media = GDriverObject::Feature<GMedia>(model, kDocumentMedia))
            if (media->GetSecondString() == kLetterhead && !(lastMediaType_ == kLetterhead))
                media->SetSecondString(lastMediaType_);
        AppendBlankPage(model);
    }
    firstPageState_.Set(nullptr);
}

void GReverseFilter::ReplayPages()
{
    for (auto node = Pages().rbegin(); node != Pages().rend(); ++node)
        ReplayNode(*node);
}

// Each document decides again: nothing of the last one's letterhead handling stays.
void GReverseFilter::ResetFilterFlags()
{
    letterhead_ = 0;
    firstPageState_.Set(nullptr);
    lastTray_ = 0;
    blankNeeded_ = 0;
    lastMediaType_ = RWCString();
}
