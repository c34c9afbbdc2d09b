#include "printer/GPrinter.h"

#include "model/GProvider.h"
#include "model/GProviderRegistry.h"
#include "pdl/pcl5e/GPcl5e.h"
#include "pdl/pjl_xl/GCheetah.h"
#include "pdl/pjl_xl/GPJL.h"
#include "pdl/postscript/GPostScript.h"
#include "model/GErrorCommand.h"
#include "printer/GPeripheralProxy.h"
#include "model/GState.h"

#include "ChainTestObjects.h"
#include "../model/StoredForms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

// Opens a logging channel while it is told to, under its name in the registry.
class ChannelProvider : public GProvider {
public:
    explicit ChannelProvider(int* deletions) : deletions_(deletions) { GProviderRegistry::Instance().Register(this, "chain"); }
    ~ChannelProvider() override { GProviderRegistry::Instance().Unregister("chain"); }
    uint32_t GetCapabilities() const override { return 1; }
    GOutputChannel* Open(const RWWString&, const RWCString&, uint32_t, void*) override
    {
        return give ? new LoggingChannel(deletions_) : nullptr;
    }
    bool give = true;
    int* deletions_;
};

// A printer with both writers, each with a logging child; the page-description writer
// takes the add-on library listed in its configuration, and is copied from one that a
// composite deleted first listens to.
std::unique_ptr<GPrinter> PrinterWithWriters()
{
    std::unique_ptr<GPrinter> printer(new GPrinter("printer", nullptr, nullptr, 1));
    GPeripheralComposite gone;
    GCheetah pdl(GPeripheralProxy::kKept);
    pdl.AddListener(&gone);
    pdl.SetConfiguration(AddOnConfiguration());
    pdl.Add(new LoggingPeripheral("pdl"));
    GPJL pjl;
    pjl.Add(new LoggingPeripheral("pjl"));
    pdl.ApplyTo(*printer);
    pjl.ApplyTo(*printer);
    return printer;
}

} // namespace

TEST(GPrinterChannel, ACarriedChannelIsLeftAloneAndNoChannelIsAnErrorTheWritersPassOn)
{
    int deletions = 0;
    std::unique_ptr<GPrinter> printer = PrinterWithWriters();
    LoggingChannel carried(&deletions);
    GDocumentStart start(L"doc", L"FILE:", nullptr, 1);
    start.SetOutputChannel(&carried);
    GDocumentEnd end(2);
    ChainLog().clear();
    EXPECT_EQ(&start, printer->ReceiveCommand(&start));
    EXPECT_EQ(&end, printer->ReceiveCommand(&end));
    EXPECT_EQ(0, deletions);
    EXPECT_TRUE(std::none_of(ChainLog().begin(), ChainLog().end(),
                             [](const std::string& entry) { return entry.rfind("channel", 0) == 0; }));
    start.DetachOutputChannel();
    ChannelProvider provider(&deletions);
    provider.give = false;
    // Held: the error command holds the failed command too.
    GCountedRef orphan(new GDocumentStart(L"doc", L"FILE:", nullptr, 3));
    ChainLog().clear();
    GCountedRef error(printer->ReceiveCommand(static_cast<GCommand*>(orphan.Get())));
    ASSERT_EQ(GErrorCommand::kClassId, error->ClassId());
    EXPECT_EQ(GPrinter::kNoChannel, static_cast<GErrorCommand*>(error.Get())->GetCode());
    // The writers pass the error on: no child of theirs sees a document.
    EXPECT_TRUE(ChainLog().empty());
}

TEST(GPrinterDispatch, WritersSeeTheirCommandsInOrderAndAStatelessEndOnlyEndsTheJob)
{
    int deletions = 0;
    ChannelProvider provider(&deletions);
    std::unique_ptr<GPrinter> printer = PrinterWithWriters();
    const AddOnCalls before = AddOnHost();
    GDocumentStart start(L"doc", L"FILE:", nullptr, 1);
    GPageStart page(new GState, 2);
    GPageEnd pageEnd(new GState, 3);
    GDocumentEnd stateless(4);
    delete stateless.DetachState();
    GDocumentStart next(L"doc", L"FILE:", nullptr, 5);
    GDocumentEnd end(6);
    ChainLog().clear();
    for (GCommand* command : std::vector<GCommand*>{&start, &page, &pageEnd, &stateless, &next, &end})
        EXPECT_EQ(command, printer->ReceiveCommand(command));
    EXPECT_EQ((std::vector<std::string>{"channel open", "pjl 705", "addon 705", "pdl 705", "addon 710", "pdl 710",
                                        "pjl 710", "channel page", "channel flush", "channel close", "channel open", "pjl 705",
                                        "addon 705", "pdl 705", "addon 706", "pdl 706", "pjl 706", "channel close"}),
              ChainLog());
    EXPECT_EQ(2, deletions);
    // The writer installs the add-ons again on the start: the first set runs no command.
    EXPECT_EQ(AddOnHost().made - before.made, AddOnHost().taken - before.taken);
    EXPECT_EQ(1u, printer->GetPdlWriter()->Entries());
    // Without writers the printer's own handlers still run.
    GPrinter bare;
    for (GCommand* command : std::vector<GCommand*>{&page, &pageEnd, &stateless})
        EXPECT_EQ(command, bare.ReceiveCommand(command));
}

// The page end flushes the channel: its status is the page boundary's, so a flush that
// fails turns the page end into an error the writers pass on.
TEST(GPrinterDispatch, APageEndFlushesTheChannelAndAnswersTheFlushStatus)
{
    int deletions = 0;
    LoggingChannel* opened = nullptr;
    struct FlushProvider : ChannelProvider {
        using ChannelProvider::ChannelProvider;
        GOutputChannel* Open(const RWWString& a, const RWCString& b, uint32_t c, void* d) override
        {
            GOutputChannel* channel = ChannelProvider::Open(a, b, c, d);
            *made = static_cast<LoggingChannel*>(channel);
            (*made)->flushStatus = 9;
            return channel;
        }
        LoggingChannel** made = nullptr;
    } provider(&deletions);
    provider.made = &opened;
    GPrinter printer;
    GDocumentStart start(L"doc", L"FILE:", nullptr, 1);
    // Held: the error command holds the failed command too.
    GCountedRef pageEnd(new GPageEnd(3));
    GDocumentEnd end(4);
    ChainLog().clear();
    EXPECT_EQ(&start, printer.ReceiveCommand(&start));
    ASSERT_NE(nullptr, opened);
    GCountedRef error(printer.ReceiveCommand(static_cast<GCommand*>(pageEnd.Get())));
    ASSERT_EQ(GErrorCommand::kClassId, error->ClassId());
    EXPECT_EQ(9, static_cast<GErrorCommand*>(error.Get())->GetCode());
    opened->flushStatus = 0;
    GPageEnd fine(5);
    EXPECT_EQ(&fine, printer.ReceiveCommand(&fine));
    EXPECT_EQ(&end, printer.ReceiveCommand(&end));
    EXPECT_EQ((std::vector<std::string>{"channel open", "channel page", "channel flush", "channel page",
                                        "channel flush", "channel close"}),
              ChainLog());
}

TEST(GPrinterWriters, InstallingAWriterSwapsTheChildItsNameAndThePointerAndSharesTheStates)
{
    std::unique_ptr<GPrinter> printer = PrinterWithWriters();
    GPostScript postScript;
    EXPECT_EQ(0, postScript.ApplyTo(*printer));
    EXPECT_EQ(2u, printer->Entries());
    ASSERT_EQ(GPostScript::kClassId, printer->GetPdlWriter()->ClassId());
    GStringAttribute* name = dynamic_cast<GStringAttribute*>(printer->GetCurrentState()->FindById(373));
    EXPECT_TRUE(name && name->GetString() == RWCString("PostScript"));
    printer->Reset();
    printer->Add(new LoggingPeripheral("late"));
    for (uint32_t i = 0; i < printer->Entries(); ++i)
        EXPECT_EQ(printer->GetCurrentState(), printer->ChildAt(i)->GetCurrentState());
}

TEST(GPrinterStore, RoundTripsWithBothWritersFoundAgainOnEveryMedium)
{
    GPrinter printer("printer", nullptr, nullptr, 1);
    GPcl5e().ApplyTo(printer);
    GPJL().ApplyTo(printer);
    for (Medium medium : kAllMedia) {
        std::unique_ptr<GObjectBase> back = GraphRoundTrip(medium, &printer);
        GPrinter* restored = dynamic_cast<GPrinter*>(back.get());
        ASSERT_TRUE(restored && restored->GetPdlWriter() && restored->GetPjlWriter()) << medium;
        EXPECT_EQ(GPcl5e::kClassId, restored->GetPdlWriter()->ClassId());
        EXPECT_EQ(GPJL::kClassId, restored->GetPjlWriter()->ClassId());
    }
}
