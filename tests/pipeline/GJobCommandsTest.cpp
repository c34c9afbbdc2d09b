#include "graphics/GOutputChannel.h"
#include "model/GCommandClassIds.h"
#include "model/GCommandComposite.h"
#include "pipeline/GCommandProducer.h"
#include "StubProducer.h"
#include "pipeline/GDocumentEnd.h"
#include "pipeline/GDocumentStart.h"
#include "model/GErrorCommand.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GNoCommand.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "model/GState.h"

#include "../model/ModelTestObjects.h"
#include "../model/Registered.h"
#include "../model/StoredForms.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// The layers below the pipeline tell the job commands apart by these ids.
static_assert(GDocumentStart::kClassId == kDocumentStartClassId);
static_assert(GDocumentEnd::kClassId == kDocumentEndClassId);
static_assert(GPageStart::kClassId == kPageStartClassId);
static_assert(GPageEnd::kClassId == kPageEndClassId);
static_assert(GJobAbort::kClassId == kJobAbortClassId);

namespace {

class CountedChannel : public GOutputChannel {
public:
    explicit CountedChannel(int* deletions) : GOutputChannel("file:"), deletions_(deletions) {}
    ~CountedChannel() override { ++*deletions_; }
    int16_t WriteBytes(const void*, uint32_t) override { return 0; }
    int16_t PageBoundary() override { return 0; }
    bool IsOpen() const override { return true; }

private:
    int* deletions_;
};

class TestProducer : public StubProducer {
public:
    uint32_t GetProducerKey() const override { return 0x1234; }
};

} // namespace

TEST(GJobCommands, AreRegisteredUnderTheirNames)
{
    const std::pair<RWClassID, const char*> classes[] = {
        {605, "GCommandComposite"}, {705, "GDocumentStart"}, {706, "GDocumentEnd"}, {709, "GPageStart"},
        {710, "GPageEnd"},          {713, "GJobAbort"},      {714, "GErrorCommand"}, {715, "GNoCommand"},
        {608, "GPassThroughCommand"}, {610, "GDownloadHeaderCommand"},
    };
    for (const auto& c : classes)
        EXPECT_TRUE(IsRegistered(c.first, c.second));
}

TEST(GJobCommands, FrameCommandsGiveTheirStatesTheFrameIdAndTakeOnlyStates)
{
    struct Case {
        const char* name;
        std::function<GCommand*(GState*)> make;
        long stateId;
    };
    const Case cases[] = {
        {"GDocumentStart", [](GState* s) { return new GDocumentStart(L"doc", "", L"LPT1:", nullptr, s, 1); }, 246},
        {"GDocumentEnd", [](GState* s) { return new GDocumentEnd(s, 1); }, 246},
        {"GPageStart", [](GState* s) { return new GPageStart(s, 1); }, 256},
        {"GPageEnd", [](GState* s) { return new GPageEnd(s, 1); }, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<GCommand> made(c.make(nullptr));
        ASSERT_NE(nullptr, made->GetState());
        EXPECT_EQ(c.stateId, made->GetState()->GetId());
        std::unique_ptr<GCommand> given(c.make(new GState(9)));
        EXPECT_EQ(c.stateId, given->GetState()->GetId());

        int deletions = 0;
        GState* kept = given->GetState();
        given->AdoptState(static_cast<GState*>(static_cast<GObjectBase*>(new TrackedObject(3, &deletions))));
        EXPECT_EQ(1, deletions);
        EXPECT_EQ(kept, given->GetState());
    }

    GNoCommand none(0);
    GCountedRef watched(new GState(4));
    none.AdoptState(new GState(5));
    none.SetState(watched);
    EXPECT_EQ(nullptr, none.GetState());
    EXPECT_EQ(0, watched->References());
    RecordingPeripheral peripheral;
    EXPECT_EQ(0, none.Execute(peripheral));
}

TEST(GJobCommands, DocumentCommandLendsItsChannel)
{
    int deletions = 0;
    CountedChannel* first = new CountedChannel(&deletions);
    {
        GDocumentEnd end(L"doc", L"file:", 0);
        end.SetOutputChannel(first);
        end.SetOutputChannel(first);
        EXPECT_EQ(0, deletions);
        end.SetOutputChannel(new CountedChannel(&deletions));
        EXPECT_EQ(1, deletions);
        delete end.DetachOutputChannel();
        EXPECT_EQ(2, deletions);
        end.SetOutputChannel(first = new CountedChannel(&deletions));
    }
    EXPECT_EQ(2, deletions);
    delete first;
}

TEST(GJobCommands, StoredFormsRoundTripOnEveryMedium)
{
    TestProducer producer;
    GDocumentStart start(L"title", L"LPT1:", &producer, 4);
    const std::vector<uint8_t> guts = GutsBytes(start);
    const std::vector<uint8_t> producerPart = {0x01, 0, 0, 0, 0x01, 0, 0, 0, 0x34, 0x12, 0, 0};
    EXPECT_EQ(producerPart, std::vector<uint8_t>(guts.end() - 12, guts.end()));

    GErrorCommand alone(5, nullptr, 3);
    const std::vector<uint8_t> errorPart = {0x01, 0, 0, 0, 0x05, 0, 0, 0, 0, 0};
    const std::vector<uint8_t> errorGuts = GutsBytes(alone);
    EXPECT_EQ(errorPart, std::vector<uint8_t>(errorGuts.end() - 10, errorGuts.end()));

    GCommandComposite composite(7);
    composite.Add(new GPageStart(1));
    composite.Add(new GErrorCommand(6, new GJobAbort(2), 3));
    composite.Add(new GPageEnd(4));

    for (Medium medium : kAllMedia) {
        SCOPED_TRACE(medium);
        std::unique_ptr<GObjectBase> back = GraphRoundTrip(medium, &start);
        GDocumentStart* restored = dynamic_cast<GDocumentStart*>(back.get());
        ASSERT_NE(nullptr, restored);
        EXPECT_EQ(nullptr, restored->GetProducer());
        EXPECT_TRUE(restored->GetOutputName() == L"LPT1:");
        EXPECT_EQ(246, restored->GetState()->GetId());

        std::unique_ptr<GObjectBase> error = GraphRoundTrip(medium, &alone);
        ASSERT_NE(nullptr, dynamic_cast<GErrorCommand*>(error.get()));
        EXPECT_EQ(nullptr, static_cast<GErrorCommand*>(error.get())->GetFailedCommand());

        std::unique_ptr<GObjectBase> list = GraphRoundTrip(medium, &composite);
        GCommandComposite* commands = dynamic_cast<GCommandComposite*>(list.get());
        ASSERT_NE(nullptr, commands);
        ASSERT_EQ(3u, commands->Entries());
        EXPECT_EQ(0u, commands->GetModified());
        const RWClassID order[] = {709, 714, 710};
        for (uint32_t i = 0; i < 3; ++i)
            EXPECT_EQ(order[i], commands->At(i)->ClassId());
        EXPECT_EQ(713u, static_cast<GErrorCommand*>(commands->At(1))->GetFailedCommand()->ClassId());
    }
}
