// The page filters against straight-through output, in one run: pages per second of
// jobs of marked rectangles through the reverse-order filter and the copy-page filter
// (spooled to disk and read back), and rectangles per second through the reducing
// filter for disjoint, overlapping and exclusive-or rectangles against the same filter
// passing them through. Prints each rate and its ratio to its baseline.
//
//   page_filter_bench.exe [pages] [rectangles per page]
#include "../tests/printer/TestOSFactory.h"
#include "../tests/support/RecordingWriter.h"
#include "PageDrawProducer.h"

#include "graphics/GBrush.h"
#include "graphics/GColorPaint.h"
#include "graphics/GGraphicBundle.h"
#include "graphics/GNoPen.h"
#include "graphics/GRGBColor.h"
#include "graphics/GRasterOperation.h"
#include "graphics/GRectangleGraphic.h"
#include "model/GFeatureIds.h"
#include "model/GSelectionString.h"
#include "model/GStreamHolder.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "model/MPersistentAssociation.h"
#include "model/MPersistentComposite.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/filters/GCopyPageFilter.h"
#include "pipeline/filters/GReducingFilter.h"
#include "pipeline/filters/GReverseFilter.h"
#include "model/GConfiguration.h"
#include "printer/GDriverServer.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GPrinter.h"
#include "printer/PrinterIdentity.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

RWWString Wide(const std::string& text) { return std::wstring(text.begin(), text.end()).c_str(); }

// The root stage of the server's printer model, replaced by each job's chain.
struct ModelStage : GPersistent<ModelStage, GPeripheral, 4290> {
    static constexpr const char* kClassName = "BenchModelStage";
    ModelStage* CreateNew() const override { return new ModelStage; }
    ModelStage* Copy() const override { return new ModelStage(*this); }
    auto StoredForm() { return GNoFields(); }
    uint32_t QueryFlags() override { return 0; }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
};

struct Services : TestOSFactory {
    GDriverObject* CreateSecondaryDriverObject(const PrinterIdentity& identity) override
    {
        return new PageDrawProducer(identity.GetPrinterName(), identity.GetDriverName(), identity.GetPortName());
    }
    void GetDriverDataFile(RWWString& path, GDriverObject*) override { path = Wide(model); }
    void GetTempDirectory(RWWString& path, GDriverObject*) override { path = Wide(temp); }
    std::string model;
    std::string temp;
};

// Counts what arrives; logs nothing.
class CountingWriter : public RecordingWriter {
public:
    int16_t DrawRectangle(GRectangleGraphic&) override { return ++rectangles, 0; }
    int16_t OnPageStart(GPageStart& c) override { return GPdlWriter::OnPageStart(c); }
    int16_t OnPageEnd(GPageEnd& c) override { return ++pages, GPdlWriter::OnPageEnd(c); }
    long rectangles = 0;
    long pages = 0;
};

GRectangleGraphic* Rect(int l, int t, int r, int b, uint16_t rop, uint32_t colour)
{
    GGraphicBundle* bundle = new GGraphicBundle(0);
    bundle->SetPen(new GNoPen(0));
    bundle->SetBrush(new GBrush(
        new GColorPaint(new GRGBColor(uint8_t(colour), uint8_t(colour >> 8), uint8_t(colour >> 16), 0)), 0));
    bundle->SetRasterOperation(new GRasterOperation(rop, 0, 0));
    return new GRectangleGraphic(GRect{int16_t(l), int16_t(t), int16_t(r), int16_t(b)}, bundle, 0);
}

void Put(GObjectBase* holder, long id, uint16_t value)
{
    delete holder->RemoveById(id);
    holder->Add(new GValueAttribute(value, id));
}

struct Bench {
    Services* services = new Services;
    std::unique_ptr<GDriverServer> server;
    TestOutputProvider provider;

    Bench()
    {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        services->temp = std::string(folder) + "qz-page-filter-bench";
        services->model = services->temp + "-model";
        CreateDirectoryA(services->temp.c_str(), nullptr);
        MPersistentComposite root;
        root.Add(new ModelStage), root.FindByClassId(4290)->SetId(353);
        *std::unique_ptr<GOutStreamHolder>(services->OpenFileOutputStream(Wide(services->model), 1))->GetStream()
            << &root;
        server.reset(new GDriverServer);
    }
    ~Bench()
    {
        server.reset();
        RemoveDirectoryA(services->temp.c_str());
        std::remove(services->model.c_str());
    }

    // Pages per second written, for a job of the pages through the filter (none: straight).
    double PagesPerSecond(GPeripheral* filter, uint32_t pages, uint32_t rectangles,
                          const std::function<void(PageDrawProducer&)>& configure, long& written)
    {
        uint32_t ticket = 0;
        PageDrawProducer* producer = dynamic_cast<PageDrawProducer*>(
            server->AcquireSecondary(new PrinterIdentity(nullptr, L"P", L"Driver", L"FILE:", 0), ticket));
        if (!producer)
            return 0;
        GPeripheralComposite* chain = new GPeripheralComposite;
        if (filter)
            chain->Add(filter);
        GPrinter* printer = new GPrinter("printer", nullptr, nullptr, FeatureId::kPrinterHolder);
        CountingWriter* writer = new CountingWriter;
        writer->SetId(GPrinter::kPdlWriterId);
        printer->Add(writer);
        printer->FindWriters();
        chain->Add(printer);
        producer->SetPrinter(chain);
        if (configure)
            configure(*producer);
        const Clock::time_point start = Clock::now();
        producer->ConfigureFromSettings();
        producer->SetDocument(L"bench", L"FILE:");
        producer->BeginDocument();
        for (uint32_t page = 1; page <= pages; ++page) {
            producer->BeginPage();
            for (uint32_t r = 0; r < rectangles; ++r)
                producer->Send(new GRectangleGraphic(GRect{int16_t(page), int16_t(r % 1000), int16_t(page + 100),
                                                           int16_t(r % 1000 + 5)},
                                                     new GGraphicBundle(0), 0));
            producer->FinishPage();
        }
        producer->Send(producer->MakeDocumentEnd());
        producer->CloseFontPool();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        written = writer->pages;
        server->ReleaseSecondary(ticket);
        return seconds > 0 ? written / seconds : 0;
    }
};

// Rectangles per second through the reducing filter, with a page end every 200.
double RectanglesPerSecond(bool active, long count, const std::function<GRectangleGraphic*(long)>& make)
{
    GReducingFilter filter(0);
    delete filter.ReceiveCommand(new GDocumentStart(L"bench", L"FILE:", nullptr, 0));
    if (!active)
        filter.Deactivate();
    const Clock::time_point start = Clock::now();
    for (long i = 0; i < count; ++i) {
        delete filter.ReceiveCommand(make(i));
        if (i % 200 == 199)
            delete filter.ReceiveCommand(new GPageEnd(0));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    return seconds > 0 ? count / seconds : 0;
}

} // namespace

int main(int argc, char** argv)
{
    const uint32_t pages = argc > 1 ? uint32_t(std::atol(argv[1])) : 100;
    const uint32_t rectangles = argc > 2 ? uint32_t(std::atol(argv[2])) : 1000;
    Bench bench;
    long written = 0;

    const double straight = bench.PagesPerSecond(nullptr, pages, rectangles, nullptr, written);
    std::printf("straight through:  %9.1f pages/s (%ld pages of %u rectangles)\n", straight, written, rectangles);
    const double reversed = bench.PagesPerSecond(new GReverseFilter(0), pages, rectangles, [](PageDrawProducer& p) {
        Put(p.GetSettings()->FindById(FeatureId::kJobSettings), FeatureId::kReverseOrder, 1);
    }, written);
    std::printf("reverse order:     %9.1f pages/s (%ld pages)  %.2fx slower\n", reversed, written,
                reversed > 0 ? straight / reversed : 0);

    const uint32_t copyPages = pages / 2 ? pages / 2 : 1;
    const double copied = bench.PagesPerSecond(new GCopyPageFilter(0), copyPages, rectangles, [](PageDrawProducer& p) {
        MAssociationList* options = new MAssociationList(FeatureId::kCopyOptionModes);
        options->Add(new MPersistentAssociation(new GValueAttribute(5, 0), new GSelectionString("LOW", 0)));
        p.GetPrinterConfiguration()->Add(options);
        Put(p.GetSettings()->FindById(FeatureId::kJobSettings), FeatureId::kCopyOption, 5);
        Put(p.GetSettings()->FindById(FeatureId::kJobControl), FeatureId::kCopiesRequested, 10);
    }, written);
    std::printf("copies (10 x %u):  %9.1f pages/s (%ld pages)  %.2fx slower\n", copyPages, copied, written,
                copied > 0 ? straight / copied : 0);

    const long count = 20000;
    const auto disjoint = [](long i) { return Rect(int(i % 100) * 20, int(i / 100 % 100) * 20, int(i % 100) * 20 + 10, int(i / 100 % 100) * 20 + 10, 0xF0, 0xFF); };
    const auto overlapping = [](long i) { return Rect(int(i % 50) * 5, 0, int(i % 50) * 5 + 40, 40, 0xF0, 0xFF); };
    const auto exclusive = [](long i) { return Rect(int(i % 50) * 5, 0, int(i % 50) * 5 + 40, 40, 0x5A, 0xFF); };
    const struct {
        const char* name;
        std::function<GRectangleGraphic*(long)> make;
    } kinds[] = {{"disjoint", disjoint}, {"overlapping", overlapping}, {"exclusive or", exclusive}};
    for (const auto& kind : kinds) {
        const double passed = RectanglesPerSecond(false, count, kind.make);
        const double reduced = RectanglesPerSecond(true, count, kind.make);
        std::printf("reducing, %-12s %9.0f rectangles/s against %9.0f passed through  %.2fx slower\n", kind.name,
                    reduced, passed, reduced > 0 ? passed / reduced : 0);
    }
    return 0;
}
