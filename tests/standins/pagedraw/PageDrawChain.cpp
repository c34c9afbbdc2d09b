#include "PageDrawChain.h"

#include "foundation/RWFactory.h"
#include "model/GFeatureIds.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GPrinter.h"

const std::vector<std::string>& PageDrawChain::ModuleOrder()
{
    static const std::vector<std::string> order = {
        "GAAFilter1",        "GChromafitFilter",   "GReducingFilter",       "GWatermarkFilter",
        "GLetterheadFilter", "GScalePageFilter",   "GFitToSizeFilter",      "GEmulateMarginsFilter",
        "GSymetricalDuplexFilter", "GNupFilter",   "GBookletFilter",        "GFrontCoverFilter",
        "GBackCoverFilter",  "GCopyPageFilter",    "GManualDuplexFilter",   "GLastPageFilter",
        "GReverseFilter",    "GFaceUpFilter",      "GAAFilter2",
    };
    return order;
}

GPeripheralComposite* PageDrawChain::Build(GPeripheral* writer, const std::vector<std::string>& names,
                                           std::vector<std::string>* made)
{
    GPeripheralComposite* chain = new GPeripheralComposite;
    for (const std::string& name : names) {
        RWCollectable* object = RWFactoryCreate(RWStringID(name.c_str()));
        GPeripheral* filter = dynamic_cast<GPeripheral*>(object);
        if (!filter) {
            delete object;
            continue;
        }
        chain->Add(filter);
        if (made)
            made->push_back(name);
    }
    GPrinter* printer = new GPrinter("printer", nullptr, nullptr, FeatureId::kPrinterHolder);
    if (writer) {
        writer->SetId(GPrinter::kPdlWriterId);
        printer->Add(writer);
        printer->FindWriters();
    }
    chain->Add(printer);
    return chain;
}
