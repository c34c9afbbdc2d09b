// The page-description writer behind the printer: the channel the printer opens reaches
// the writer, and the driver object finds the writer and its extension host.
#include "entry/extensions/GExtensionManager.h"
#include "pdl/pjl_xl/GCheetah.h"
#include "pipeline/GDocumentStart.h"
#include "printer/GDriverObject.h"
#include "printer/GPrinter.h"

#include "RecordingWriter.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Answers twice the feature asked.
class QueryingWriter : public RecordingWriter {
public:
    QueryingWriter* Copy() const override { return new QueryingWriter(*this); }
    uint32_t QueryFeature(uint32_t feature) override { return 2 * feature; }
};

} // namespace

TEST(GPdlWriterThroughPrinter, TheRealWriterTakesThePrintersChannel)
{
    TestOutputProvider provider;
    GPrinter printer("printer", nullptr, nullptr, 8);
    GCheetah().ApplyTo(printer);
    GPdlWriter* writer = dynamic_cast<GPdlWriter*>(printer.GetPdlWriter());
    ASSERT_NE(nullptr, writer);
    GDocumentStart start(L"doc", L"FILE:", nullptr, 1);
    EXPECT_EQ(&start, printer.ReceiveCommand(&start));
    ASSERT_NE(nullptr, provider.last);
    EXPECT_EQ(provider.last, printer.GetOutputChannel());
    EXPECT_EQ(provider.last, writer->GetOutputChannel());
    EXPECT_FALSE(writer->OwnsOutputChannel());
    EXPECT_EQ(1, provider.last->opens) << "only the printer opened it";
    EXPECT_EQ(1, provider.opened);
    EXPECT_EQ(1u, writer->IsDocumentStarted());
    GDocumentEnd end(2);
    EXPECT_EQ(&end, printer.ReceiveCommand(&end));
    EXPECT_EQ(0u, writer->IsDocumentStarted());
}

// The writers answer their own class ids; the driver object finds them by their kind.
TEST(GDriverObjectWriter, FoundByKindAndAskedThroughForwardToWriter)
{
    GDriverObjectImp driver(RWWString(L"printer"));
    EXPECT_EQ(nullptr, driver.GetAttribute765());
    EXPECT_EQ(0u, driver.ForwardToWriter(21)) << "no printer";

    GPrinter* printer = new GPrinter("printer", nullptr, nullptr, 8);
    driver.SetPrinter(printer);
    EXPECT_EQ(0u, driver.ForwardToWriter(21)) << "no writer";
    GCheetah().ApplyTo(*printer);
    ASSERT_NE(nullptr, driver.GetAttribute765());
    EXPECT_EQ(GCheetah::kClassId, driver.GetAttribute765()->ClassId());
    EXPECT_EQ(0u, driver.ForwardToWriter(21)) << "the shell's answer";

    delete printer->RemoveById(GPrinter::kPdlWriterId);
    QueryingWriter* querying = new QueryingWriter;
    querying->SetId(GPrinter::kPdlWriterId);
    printer->Add(querying);
    EXPECT_EQ(42u, driver.ForwardToWriter(21));
}

TEST(GDriverObjectExtensions, EveryDriverObjectHasItsOwnHost)
{
    GDriverObject first(RWWString(L"a"));
    GDriverObject second;
    ASSERT_NE(nullptr, first.GetExtensionContext());
    ASSERT_NE(nullptr, second.GetExtensionContext());
    EXPECT_NE(first.GetExtensionContext(), second.GetExtensionContext());
    GExtensionManager* manager = dynamic_cast<GExtensionManager*>(first.GetExtensionContext());
    ASSERT_NE(nullptr, manager);
    EXPECT_EQ(&first, manager->GetCallContext().driverObject);
}
