#include "pipeline/filters/GFaceUpFilter.h"

#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageStart.h"
#include "pipeline/SettingValues.h"
#include "printer/GDriverObject.h"
#include "model/GState.h"

#include <vector>

namespace {

using namespace FeatureId;
using namespace SettingValues;

} // namespace

GFaceUpFilter::GFaceUpFilter() {}
GFaceUpFilter::GFaceUpFilter(const long& id) : GPersistent(id) {}
GFaceUpFilter::GFaceUpFilter(const GFaceUpFilter& other) : GPersistent(other) {}
GFaceUpFilter::~GFaceUpFilter() {}

int GFaceUpFilter::Acts(GDocumentStart& command)
{
    GState* state = command.GetState();
    const GValueAttribute* faceUp = Value(state, kFaceUpOutput);
    if (!faceUp || faceUp->GetValue() != 1)
        return 0;
    GCommandProducer* producer = command.GetProducer();
    const GValueAttribute* capable =
        Value(producer ? producer->GetPrinterConfiguration() : nullptr, kLetterheadDuplexCapable);
    const GValueAttribute* duplex = Value(state, kDuplexMode);
    if (capable && capable->GetValue() != 0 && duplex && duplex->GetValue() != 0)
        keepPairs_ = padToSheets_ = 1;
    return 1;
}

int16_t GFaceUpFilter::OnPageStart(GPageStart& command)
{
    if (IsHoldingDocument() && padToSheets_ && GetPageCount() == 0 && command.GetState())
        firstPageState_.Set(command.GetState()->DeepCopy());
    return GPageSpoolFilter::OnPageStart(command);
}

void GFaceUpFilter::AddClosingPages()
{
    if (padToSheets_ && firstPageState_ && (GetPageCount() & 1))
        AppendBlankPage(static_cast<GState*>(firstPageState_.Get()));
    firstPageState_.Set(nullptr);
}

// Sheets from the last: with pairs kept, n-1, n, then n-3, n-2 ... An odd count (a
// whole document taken from an earlier filter, which is never padded) ends with the
// first page alone.
void GFaceUpFilter::ReplayPages()
{
    std::vector<const PageNode*> nodes;
    for (const PageNode& node : Pages())
        nodes.push_back(&node);
    if (!keepPairs_) {
        for (auto node = nodes.rbegin(); node != nodes.rend(); ++node)
            ReplayNode(**node);
        return;
    }
    for (size_t end = nodes.size(); end > 0; end = end >= 2 ? end - 2 : 0) {
        if (end >= 2)
            ReplayNode(*nodes[end - 2]);
        ReplayNode(*nodes[end - 1]);
    }
}

// Each document decides again.
void GFaceUpFilter::ResetFilterFlags()
{
    padToSheets_ = 0;
    keepPairs_ = 0;
    firstPageState_.Set(nullptr);
}
