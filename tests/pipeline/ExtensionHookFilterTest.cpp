// The extension hook filters with a stand-in extension context: which page events each
// filter hands to the extensions, where their bytes go, and spooled pages.
#include "ProducerTestBed.h"

#include "model/GCommandComposite.h"
#include "model/GFeatureIds.h"
#include "model/GValueAttribute.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GPageStart.h"
#include "pipeline/GPassThroughCommand.h"
#include "pipeline/filters/GAAFilter1.h"
#include "pipeline/filters/GAAFilter2.h"
#include "pipeline/filters/GReverseFilter.h"
#include "printer/GExtensionContext.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>

using namespace testbed;

namespace {

// Extensions subscribed to the event bits of the flag word: each subscribed event gives
// the bytes "x<bit in hex>", after a page start and before a page end.
class StandInExtensions : public GExtensionContext {
public:
    int Register(const RWWString&) override { return 0; }
    int Unregister(const RWWString&) override { return 0; }
    void LoadForDocument(GDocumentStart&) override { ++loads; }
    void EndDocument(GDocumentEnd&) override { ++ends; }
    GCommand* StartHook(GCommand* pageStart, uint16_t filter) override
    {
        return Hook(pageStart, filter ? 0x800 : 0x200, true);
    }
    GCommand* EndHook(GCommand* pageEnd, uint16_t filter) override
    {
        return Hook(pageEnd, filter ? 0x1000 : 0x400, false);
    }

    static GExtensionContext* Make(GDriverObject&) { return new StandInExtensions; }

    static uint32_t flags;
    static int loads;
    static int ends;

private:
    static GCommand* Hook(GCommand* command, uint32_t bit, bool after)
    {
        if (!(flags & bit))
            return command;
        // The command refers to the bytes: they stay for the whole test program.
        static std::map<uint32_t, std::string> texts;
        char text[16];
        std::snprintf(text, sizeof text, "x%x", unsigned(bit));
        const std::string& kept = texts[bit] = text;
        GCommandComposite* composite = new GCommandComposite(0);
        GPassThroughCommand* bytes =
            new GPassThroughCommand(reinterpret_cast<const uint8_t*>(kept.data()), uint16_t(kept.size()), 767, 0);
        if (after)
            composite->Add(command), composite->Add(bytes);
        else
            composite->Add(bytes), composite->Add(command);
        return composite;
    }
};

uint32_t StandInExtensions::flags = 0;
int StandInExtensions::loads = 0;
int StandInExtensions::ends = 0;

class BytesWriter : public MarkingWriter {
public:
    int16_t OnPassThrough(GPassThroughCommand& c) override
    {
        log.push_back("Bytes " + std::string(reinterpret_cast<const char*>(c.GetData()), c.GetLength()));
        return 0;
    }
    // Page frames, marks and bytes.
    std::vector<std::string> Frames() const
    {
        std::vector<std::string> out;
        for (const std::string& e : log)
            if (e == "OnPageStart 709" || e == "OnPageEnd 710" || e.compare(0, 5, "Mark ") == 0 ||
                e.compare(0, 6, "Bytes ") == 0)
                out.push_back(e);
        return out;
    }
};

class HookTest : public ProducerTest {
protected:
    void SetUp() override
    {
        ProducerTest::SetUp();
        previous_ = GExtensionContext::SetMaker(&StandInExtensions::Make);
        StandInExtensions::flags = 0;
        StandInExtensions::loads = StandInExtensions::ends = 0;
    }
    void TearDown() override
    {
        ProducerTest::TearDown();
        GExtensionContext::SetMaker(previous_);
    }
    std::vector<std::string> Run(std::vector<GPeripheral*> filters, uint32_t flags, uint32_t pages = 1,
                                 bool reverse = false)
    {
        BytesWriter* writer = new BytesWriter;
        PageDrawProducer* producer = MakeProducer(L"FILE:", filters, writer);
        if (reverse) {
            GObjectBase* job = producer->GetSettings()->FindById(FeatureId::kJobSettings);
            delete job->RemoveById(FeatureId::kReverseOrder);
            job->Add(new GValueAttribute(1, FeatureId::kReverseOrder));
        }
        StandInExtensions::flags = flags;
        PageDrawJob job;
        job.pages = pages;
        EXPECT_EQ(0, job.Run(*producer));
        return writer->Frames();
    }

    GExtensionContext::Maker previous_ = nullptr;
};

} // namespace

TEST_F(HookTest, WithoutExtensionsThePageEventsGoOnUnchanged)
{
    EXPECT_EQ((std::vector<std::string>{"OnPageStart 709", "Mark 1", "OnPageEnd 710"}),
              Run({new GAAFilter1(0), new GAAFilter2(0)}, 0));
    EXPECT_EQ(1, StandInExtensions::loads);
    EXPECT_EQ(1, StandInExtensions::ends);
}

TEST_F(HookTest, EachFilterHandsItsOwnEventsToTheExtensions)
{
    const struct {
        uint32_t flags;
        std::vector<std::string> frames;
    } cases[] = {
        {0x800, {"OnPageStart 709", "Bytes x800", "Mark 1", "OnPageEnd 710"}},
        {0x200, {"OnPageStart 709", "Bytes x200", "Mark 1", "OnPageEnd 710"}},
        {0x400, {"OnPageStart 709", "Mark 1", "Bytes x400", "OnPageEnd 710"}},
        {0x1000 | 0x200, {"OnPageStart 709", "Bytes x200", "Mark 1", "Bytes x1000", "OnPageEnd 710"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        EXPECT_EQ(c.frames, Run({new GAAFilter1(0), new GAAFilter2(0)}, c.flags));
    }
    // The first filter alone leaves the late events to the second.
    EXPECT_EQ((std::vector<std::string>{"OnPageStart 709", "Mark 1", "OnPageEnd 710"}),
              Run({new GAAFilter1(0)}, 0x800 | 0x1000));
}

TEST_F(HookTest, ASpooledPageGetsItsBytesWithThePageStartFirst)
{
    EXPECT_EQ((std::vector<std::string>{"OnPageStart 709", "Bytes x800", "Mark 2", "Bytes x1000", "OnPageEnd 710",
                                        "OnPageStart 709", "Bytes x800", "Mark 1", "Bytes x1000", "OnPageEnd 710"}),
              Run({new GReverseFilter(0), new GAAFilter2(0)}, 0x800 | 0x1000, 2, true));
    EXPECT_TRUE(TempFiles().empty());
}

// A job without a producer has no extensions: everything passes unchanged.
TEST(ExtensionHookFilters, ADocumentWithoutAProducerKeepsNoContext)
{
    GAAFilter1 first(0);
    GAAFilter2 second(0);
    auto check = [](auto& filter) {
        delete filter.ReceiveCommand(new GDocumentStart(L"doc", L"FILE:", nullptr, 0));
        EXPECT_EQ(nullptr, filter.GetExtensionContext());
        GPageStart* page = new GPageStart(new GState(256), 0);
        GCommand* out = filter.ReceiveCommand(page);
        EXPECT_EQ(page, out);
        delete out;
    };
    check(first);
    check(second);
    EXPECT_FALSE(second.IsKindOf(GAAFilter1::kClassId)) << "each is a peripheral of its own";
}

TEST(ExtensionHookFilters, NothingIsStored)
{
    GAAFilter1 first(5);
    GAAFilter2 second(6);
    EXPECT_EQ(0u, first.BinaryStoreSize());
    EXPECT_EQ(0u, second.BinaryStoreSize());
    EXPECT_TRUE(first.IsSame(&first));
    EXPECT_FALSE(first.IsSame(&second));
}
