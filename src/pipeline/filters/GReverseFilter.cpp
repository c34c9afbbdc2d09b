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
            job_.letterhead = 1;
    }
    return 1;
}

int16_t GReverseFilter::OnPageStart(GPageStart& command)
{
    if (IsHoldingDocument()) {
        GState* state = command.GetState();
        const uint32_t before = GetPageCount();
        if (job_.letterhead && before == 0 && state)
            job_.firstPageState.Set(state->DeepCopy());
        if (const GMedia* media = GDriverObject::Feature<GMedia>(state, kDocumentMedia)) {
            const RWCString& type = media->GetSecondString();
            if (type.Length() > 0) {
                if ((before & 1) && job_.letterhead && !(type == kLetterhead) && !(type == job_.lastMediaType))
                    job_.blankNeeded = 1;
                job_.lastMediaType = type;
            }
        }
        if (const GValueAttribute* tray = Value(state, kPageTray)) {
            if ((before & 1) && job_.letterhead && tray->GetValue() != job_.lastTray)
                job_.blankNeeded = 1;
            job_.lastTray = tray->GetValue();
        }
    }
    return GPageSpoolFilter::OnPageStart(command);
}

void GReverseFilter::BeforePageAppended()
{
    if (job_.blankNeeded)
        AppendBlankPage(static_cast<GState*>(job_.firstPageState.Get()));
}

int16_t GReverseFilter::OnPageEnd(GPageEnd& command)
{
    const int16_t status = GPageSpoolFilter::OnPageEnd(command);
    job_.blankNeeded = 0;
    return status;
}

// An odd letterhead document ends on a front: a blank back on the last page's paper.
void GReverseFilter::AddClosingPages()
{
    GState* model = static_cast<GState*>(job_.firstPageState.Get());
    if (job_.letterhead && model && (GetPageCount() & 1)) {
        if (GValueAttribute* tray = Value(model, kPageTray))
            if (tray->GetValue() != job_.lastTray)
                tray->SetValue(job_.lastTray);
        if (GMedia* media = GDriverObject::Feature<GMedia>(model, kDocumentMedia))
            if (media->GetSecondString() == kLetterhead && !(job_.lastMediaType == kLetterhead))
                media->SetSecondString(job_.lastMediaType);
        AppendBlankPage(model);
    }
    job_.firstPageState.Set(nullptr);
}

void GReverseFilter::ReplayPages()
{
    for (auto node = Pages().rbegin(); node != Pages().rend(); ++node)
        ReplayNode(*node);
}
