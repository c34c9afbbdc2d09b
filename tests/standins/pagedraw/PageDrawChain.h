// The page-drawing module's chain of peripherals: the page filters made by the class
// factory from their class names in the module's order, then the printer with the
// writer given. A name the factory does not know is left out, so the chain holds every
// filter this build registers.
#pragma once

#include <string>
#include <vector>

class GPeripheral;
class GPeripheralComposite;

struct PageDrawChain {
    // The module's order of the filters.
    static const std::vector<std::string>& ModuleOrder();
    // The chain of the named filters (in the order given) and the printer with the
    // writer; the chain takes the writer. made receives the names of the filters made.
    static GPeripheralComposite* Build(GPeripheral* writer, const std::vector<std::string>& names,
                                       std::vector<std::string>* made = nullptr);
    static GPeripheralComposite* Build(GPeripheral* writer) { return Build(writer, ModuleOrder()); }
};
