// Whole jobs through the page-drawing module's chain of filters. First the pages per
// second of 100 pages of 1,000 rectangles each with reverse order, copies and booklet
// acting (every page spooled to disk and read back), against the same chain with every
// filter idle. Then the drawing commands per second through a four-up N-up filter
// against the same filter passing every command through. Prints the rates and the
// ratios.
//
//   filter_chain_bench.exe [pages] [rectangles]
#include "PageDrawChain.h"
#include "PageDrawJob.h"
#include "PageDrawProducer.h"

#include "graphics/GGraphicBundle.h"
#include "graphics/GOutputChannel.h"
#include "graphics/GRectangleGraphic.h"
#include "graphics/GTransformAttribute.h"
#include "model/GConfiguration.h"
#include "model/GFeatureIds.h"
#include "model/GProvider.h"
#include "model/GProviderRegistry.h"
#include "model/GSelectionString.h"
#include "model/GState.h"
#include "model/GValueAttribute.h"
#include "model/MAssociationList.h"
#include "model/MPersistentAssociation.h"
#include "pdl/GPdlWriter.h"
#include "pipeline/GPageEnd.h"
#include "printer/GMedia.h"
#include "printer/GPeripheralComposite.h"
#include "printer/GWin32OSFactory.h"

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

class NullProvider : public GProvider {
public:
    NullProvider() { GProviderRegistry::Instance().Register(this, "BenchOutput"); }
    ~NullProvider() override { GProviderRegistry::Instance().Unregister("BenchOutput"); }
    NullProvider* CreateNew() const override { return nullptr; }
    NullProvider* Copy() const override { return nullptr; }
    uint32_t GetCapabilities() const override { return 1; }
    GOutputChannel* Open(const RWWString&, const RWCString&, uint32_t, void*) override { return new NullChannel; }
};

// Counts what reaches the end of the chain.
class CountingWriter : public GPdlWriter {
public:
    CountingWriter* CreateNew() const override { return new CountingWriter; }
    CountingWriter* Copy() const override { return new CountingWriter(*this); }
    int16_t ApplyTo(GAttributeVisitor&) override { return 0; }
    int16_t DrawRectangle(GRectangleGraphic&) override { return ++rectangles, 0; }
    int16_t OnPageEnd(GPageEnd& c) override { return ++pages, GPdlWriter::OnPageEnd(c); }
    void RemoveDownloadedFont(const RWCString&) override {}
    int16_t SetPenColor(GObjectBase&) override { return 0; }
    int16_t SetPenColor(GColorPaint&) override { return 0; }
    int16_t SetBrushColor(GObjectBase&) override { return 0; }
    int16_t SetBrushColor(GColorPaint&) override { return 0; }
    long rectangles = 0;
    long pages = 0;
};

// The Windows services without a printer: spool files go to the user's temporary folder.
class Services : public GWin32OSFactory {
public:
    void* GetPrinterHandle(GDriverObject*) override { return nullptr; }
};

GMedia* Letter()
{
    return new GMedia("Letter", {5100, 6600}, {4900, 6400}, {100, 100}, 0, 1, 600, 600, FeatureId::kDocumentMedia, 0,
                      nullptr, "Plain");
}

void Put(GObjectBase* holder, long id, uint16_t value)
{
    GObjectBase::Drop(holder->RemoveById(id));
    holder->Add(new GValueAttribute(value, id));
}

struct Result {
    double seconds = 0;
    long pages = 0;
    long rectangles = 0;
};

// One job of the pages through a chain of the names; acting turns the filters' settings on.
Result RunJob(const std::vector<std::string>& names, bool acting, int nup, uint32_t pages, uint32_t rectangles,
              bool transformed)
{
    PageDrawProducer producer;
    producer.fixedKey = true, producer.key = 0x5eed;
    CountingWriter* writer = new CountingWriter;
    GPeripheralComposite* chain = PageDrawChain::Build(writer, names);
    producer.SetPrinter(chain);
    producer.SetSettings(producer.CreateSettings());
    GObjectBase* job = producer.GetSettings()->FindById(FeatureId::kJobSettings);
    job->Add(Letter());
    if (acting) {
        Put(job, FeatureId::kReverseOrder, 1);
        Put(job, FeatureId::kBookletPrinting, 1);
        MAssociationList* options = new MAssociationList(FeatureId::kCopyOptionModes);
        options->Add(new MPersistentAssociation(new GValueAttribute(5, 0), new GSelectionString("LOW", 0)));
        if (GConfiguration* configuration = producer.GetPrinterConfiguration())
            configuration->Add(options);
        else
            GObjectBase::Drop(options);
        Put(job, FeatureId::kCopyOption, 5);
        Put(producer.GetSettings()->FindById(FeatureId::kJobControl), FeatureId::kCopiesRequested, 2);
    }
    if (nup > 1) {
        GState* layout = new GState(FeatureId::kPageLayout);
        layout->Add(new GValueAttribute(uint16_t(nup), FeatureId::kPagesPerSheet));
        job->Add(layout);
    }
    PageDrawJob run;
    run.pages = pages;
    run.draw = [rectangles, transformed](GCommandProducer& p, uint32_t) {
        uint16_t status = 0;
        for (uint32_t i = 0; i < rectangles && status == 0; ++i) {
            GGraphicBundle* bundle = new GGraphicBundle;
            if (transformed)
                bundle->Add(new GTransformAttribute(0, 10, 10, 1.0f, 1.0f));
            status = p.Send(new GRectangleGraphic({int16_t(i % 1000), 10, int16_t(i % 1000 + 20), 40}, bundle, 0));
        }
        return status;
    };
    const Clock::time_point start = Clock::now();
    const uint16_t status = run.Run(producer);
    Result result;
    result.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    result.pages = writer->pages;
    result.rectangles = writer->rectangles;
    if (status != 0)
        std::printf("  the job answered %u\n", status);
    producer.SetPrinter(nullptr);
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    const uint32_t pages = argc > 1 ? uint32_t(std::atol(argv[1])) : 100;
    const uint32_t rectangles = argc > 2 ? uint32_t(std::atol(argv[2])) : 1000;
    Services services;
    NullProvider provider;

    const std::vector<std::string>& all = PageDrawChain::ModuleOrder();
    // The rectangles carry no transform of their own here, as the page-drawing module's
    // do: the booklet's two-up pass then rewrites only each page's frame on disk.
    const Result acting = RunJob(all, true, 1, pages, rectangles, false);
    const Result idle = RunJob(all, false, 1, pages, rectangles, false);
    const double actingRate = acting.seconds > 0 ? pages / acting.seconds : 0;
    const double idleRate = idle.seconds > 0 ? pages / idle.seconds : 0;
    std::printf("pages per second, reverse + copies + booklet: %.1f (%ld sides written)\n", actingRate, acting.pages);
    std::printf("pages per second, the same chain idle:         %.1f (%ld pages written)\n", idleRate, idle.pages);
    std::printf("idle / acting: %.2f\n", actingRate > 0 ? idleRate / actingRate : 0.0);

    // Here each rectangle carries a transform, which the N-up filter composes with its cell's.
    const Result fourUp = RunJob({"GNupFilter"}, false, 4, pages, rectangles, true);
    const Result passing = RunJob({"GNupFilter"}, false, 1, pages, rectangles, true);
    const double drawn = double(pages) * rectangles;
    const double fourUpRate = fourUp.seconds > 0 ? drawn / fourUp.seconds : 0;
    const double passingRate = passing.seconds > 0 ? drawn / passing.seconds : 0;
    std::printf("drawing commands per second, 4-up:         %.0f (%ld sheets)\n", fourUpRate, fourUp.pages);
    std::printf("drawing commands per second, pass-through: %.0f (%ld pages)\n", passingRate, passing.pages);
    std::printf("pass-through / 4-up: %.2f\n", fourUpRate > 0 ? passingRate / fourUpRate : 0.0);
    return 0;
}
