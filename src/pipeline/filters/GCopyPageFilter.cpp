#include "pipeline/filters/GCopyPageFilter.h"

#include "model/GCommandClassIds.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GSelectionString.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "model/GCommand.h"
#include "pipeline/GCommandProducer.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "pipeline/SettingValues.h"
#include "printer/GDriverObject.h"
#include "model/GState.h"

namespace {

using namespace FeatureId;
using namespace SettingValues;


// A count below 1 makes one copy.
uint16_t AtLeastOne(uint16_t count) { return count < 1 ? 1 : count; }

} // namespace

int GCopyPageFilter::Acts(GDocumentStart& command)
{
    GState* state = command.GetState();
    const GValueAttribute* option = Value(state, kCopyOption);
    GCommandProducer* producer = command.GetProducer();
    GConfiguration* configuration = producer ? producer->GetPrinterConfiguration() : nullptr;
    MAssociationList* options = GDriverObject::Feature<MAssociationList>(configuration, kCopyOptionModes);
    if (!option || !options)
        return 0;
    const GValueAttribute key(option->GetValue(), 0);
    const GSelectionString* mode = dynamic_cast<const GSelectionString*>(options->GetValue(&key));
    if (!mode || !(mode->GetString() == "LOW"))
        return 0;
    GValueAttribute* asked = Value(state, kCopiesRequested);
    const GValueAttribute* made = Value(state, kSpoolCopies);
    if (!asked || !made || asked->GetValue() < 2 || asked->GetValue() == made->GetValue())
        return 0;
    job_.copyCount = asked->GetValue();
    asked->SetValue(1);
    if (GValueAttribute* perPage = Value(state, kPageCopies))
        perPage->SetValue(1);
    return 1;
}

// A page's own copy count sticks for the pages after it.
int16_t GCopyPageFilter::OnPageStart(GPageStart& command)
{
    if (IsHoldingDocument())
        if (GValueAttribute* copies = Value(command.GetState(), kPageCopies))
            if (copies->GetValue() > 1) {
                job_.copyCount = copies->GetValue();
                copies->SetValue(1);
            }
    return GPageSpoolFilter::OnPageStart(command);
}

int16_t GCopyPageFilter::OnPageEnd(GPageEnd& command)
{
    if (!IsHoldingDocument())
        return GPageSpoolFilter::OnPageEnd(command);
    uint16_t copies = job_.copyCount;
    if (GValueAttribute* own = Value(command.GetState(), kPageCopies)) {
        copies = own->GetValue();
        if (copies > 1)
            own->SetValue(1);
    }
    copies = AtLeastOne(copies);
    const size_t before = Pages().size();
    const int16_t status = GPageSpoolFilter::OnPageEnd(command);
    if (Pages().size() != before + 1)
        return status;
    if (!RoomForPages(copies - 1u))
        return kSpoolFailed;
    for (uint16_t i = 1; i < copies; ++i) {
        Pages().push_back(PageNode{Pages().back().page, {}});
        ++job_.extraCopies;
    }
    return status;
}

uint32_t GCopyPageFilter::CopiesOfWholePage(GObjectBase* page)
{
    GCountedRef end = page->ClassId() == 606 ? page->FindPtrByClassId(kPageEndClassId) : GCountedRef();
    GObjectBase* endCommand = end ? end.Get() : page->FindByClassId(kPageEndClassId);
    GCommand* pageEnd = dynamic_cast<GCommand*>(endCommand);
    const GValueAttribute* own = pageEnd ? Value(pageEnd->GetState(), kPageCopies) : nullptr;
    const uint16_t copies = AtLeastOne(own ? own->GetValue() : job_.copyCount);
    if (!RoomForPages(copies))
        return 0;
    job_.extraCopies += copies - 1u;
    return copies;
}
