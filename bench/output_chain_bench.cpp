// Sends page commands through an output chain, a composite holding one inactive child
// and a printer with the page-description and PJL writers, and compares the rate with
// calling the page-description writer's handler directly. Prints both rates and how many
// times slower the chain is.
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

template <class F>
double PerSecond(long commands, F send)
{
    const Clock::time_point start = Clock::now();
    for (long i = 0; i < commands; i += 2)
        send();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return seconds > 0 ? commands / seconds : 0;
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
    const double direct = PerSecond(commands, [&] {
        writer->OnPageStart(page);
        writer->OnPageEnd(pageEnd);
    });
    std::printf("commands: %ld\nthrough the chain: %.0f per second\ndirect to the writer: %.0f per second\n"
                "ratio (direct / chain): %.1f\n",
                commands, through, direct, through > 0 ? direct / through : 0.0);
    return 0;
}
