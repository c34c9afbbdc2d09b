// Sends page commands through an output chain, a composite holding one inactive child
// and a printer with the page-description and PJL writers, and compares the rate with
// dispatching the same commands to the page-description writer through one virtual call
// each (the command's Execute, which lands in the writer's handler): the floor of any
// chain, which must at least find each command's handler. Calling the two handlers by
// name is printed too; it finds no handler and is no floor. Prints the rates and how
// many times slower the chain is than the dispatch.
//
//   output_chain_bench.exe [commands]
#include "graphics/GOutputChannel.h"
#include "pdl/pjl_xl/GCheetah.h"
#include "pdl/pjl_xl/GPJL.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GPrinter.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

class NullChannel : public GOutputChannel {
public:
    NullChannel() : GOutputChannel("null") {}
    int16_t WriteBytes(const void*, uint32_t) override { return 0; }
    int16_t PageBoundary() override { return 0; }
    bool IsOpen() const override { return true; }
};

class IdleStage : public GPeripheral {
public:
    IdleStage* CreateNew() const override { return new IdleStage; }
    IdleStage* Copy() const override { return new IdleStage(*this); }
    uint32_t QueryFlags() override { return 0; }
};

// The best rate of five trials: on a shared machine the others are slowed by whatever
// else runs.
template <class F>
double PerSecond(long commands, F send)
{
    double best = 0;
    for (int trial = 0; trial < 5; ++trial) {
        const Clock::time_point start = Clock::now();
        for (long i = 0; i < commands; i += 2)
            send();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (seconds > 0 && commands / seconds > best)
            best = commands / seconds;
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    const long commands = argc > 1 ? std::atol(argv[1]) : 200000;
    GPeripheralComposite chain;
    IdleStage* idle = new IdleStage;
    idle->Deactivate();
    chain.Add(idle);
    GPrinter* printer = new GPrinter;
    GCheetah pdl;
    GPJL pjl;
    pdl.ApplyTo(*printer);
    pjl.ApplyTo(*printer);
    chain.Add(printer);

    NullChannel channel;
    GDocumentStart start(L"bench", L"FILE:", nullptr, 1);
    start.SetOutputChannel(&channel);
    chain.ReceiveCommand(&start);
    GPageStart page(2);
    GPageEnd pageEnd(3);
    const double through = PerSecond(commands, [&] {
        chain.ReceiveCommand(&page);
        chain.ReceiveCommand(&pageEnd);
    });
    GDocumentEnd end(4);
    chain.ReceiveCommand(&end);
    start.DetachOutputChannel();

    GPeripheral* writer = printer->GetPdlWriter();
    // Read through volatile so that the compiler cannot see the commands' classes and
    // call their Execute without the virtual call.
    GCommand* volatile sent[] = {&page, &pageEnd};
    const double dispatched = PerSecond(commands, [&] {
        sent[0]->Execute(*writer);
        sent[1]->Execute(*writer);
    });
    const double direct = PerSecond(commands, [&] {
        writer->OnPageStart(page);
        writer->OnPageEnd(pageEnd);
    });
    std::printf("commands: %ld\nthrough the chain: %.0f per second\n"
                "dispatched to the writer (one virtual call each): %.0f per second\n"
                "the writer's handlers called by name: %.0f per second\n"
                "ratio (dispatched / chain): %.1f\nratio (by name / chain): %.1f\n",
                commands, through, dispatched, direct, through > 0 ? dispatched / through : 0.0,
                through > 0 ? direct / through : 0.0);
    return 0;
}
