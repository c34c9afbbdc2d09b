#include "pipeline/GCommandCompositeOnDisk.h"

#include "foundation/RWBinaryFile.h"
#include "model/GObjectIterator.h"
#include "model/GValueAttribute.h"
#include "pipeline/GNullCommand.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "printer/GState.h"

#include "TempPath.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

// A drawing command of the tests: its mark travels with it through the file.
class TestDrawing : public GPersistent<TestDrawing, GCommand, 0x7606> {
public:
    static constexpr const char* kClassName = "TestDrawing";
    TestDrawing* CreateNew() const override { return new TestDrawing; }
    TestDrawing* Copy() const override { return new TestDrawing(*this); }
    explicit TestDrawing(uint32_t mark = 0) : mark(mark) {}
    int16_t Execute(GPeripheral&) override { return 0; }
    auto StoredForm() { return GFields(mark); }
    uint32_t mark;
};

RWWString Wide(const TempPath& path) { return RWWString(std::wstring(path.str().begin(), path.str().end()).c_str()); }

// A closed page of page start, null command, three drawings (marks 11 to 13) and page end.
std::unique_ptr<GCommandCompositeOnDisk> SpooledPage(const TempPath& path)
{
    std::unique_ptr<GCommandCompositeOnDisk> page(new GCommandCompositeOnDisk(Wide(path), 1, 0));
    page->AddRecord(new GPageStart(1));
    page->AddRecord(new GNullCommand);
    for (uint32_t mark = 11; mark <= 13; ++mark)
        page->AddRecord(new TestDrawing(mark));
    page->AddRecord(new GPageEnd(2));
    page->Close();
    return page;
}

// What one replay reads back: each command's class id and (for drawings) mark.
std::vector<std::pair<RWClassID, uint32_t>> Replay(GCommandCompositeOnDisk& page)
{
    std::vector<std::pair<RWClassID, uint32_t>> seen;
    std::unique_ptr<GObjectIterator> it(page.CreateIterator());
    while (it->Next()) {
        EXPECT_EQ(nullptr, it->Current()) << "no command stays in memory";
        const GCountedRef command = it->CurrentRef();
        const TestDrawing* drawing = dynamic_cast<const TestDrawing*>(command.Get());
        seen.emplace_back(command->ClassId(), drawing ? drawing->mark : 0);
    }
    return seen;
}

} // namespace

TEST(GCommandCompositeOnDisk, IsACommandButNoCommandComposite)
{
    const std::pair<RWClassID, bool> kinds[] = {{606, true}, {601, true}, {751, true}, {605, false}, {781, false}};
    GCommandCompositeOnDisk page;
    for (const auto& kind : kinds)
        EXPECT_EQ(kind.second, page.IsKindOf(kind.first)) << kind.first;
    EXPECT_TRUE(GNullCommand().IsKindOf(601));
}

TEST(GCommandCompositeOnDisk, TakesOnlyCommands)
{
    TempPath path("page-commands");
    GCommandCompositeOnDisk page(Wide(path), 1, 0);
    page.AddRecord(new GState(5));
    page.AddRecord(new GValueAttribute(1, 6));
    EXPECT_EQ(0u, page.Entries());
    page.AddRecord(new GNullCommand(7));
    EXPECT_EQ(1u, page.Entries());
    EXPECT_FALSE(page.HasFailed());
}

TEST(GCommandCompositeOnDisk, StoredStatePeeksAgainAndGoesOnce)
{
    TempPath path("page-state");
    GCommandCompositeOnDisk page(Wide(path), 1, 0);
    for (long members = 1; members <= 2; ++members) {
        GState* state = new GState(5);
        for (long id = 1; id <= members; ++id)
            state->Add(new GValueAttribute(1, id));
        page.SetState(GCountedRef(state));
    }
    EXPECT_EQ(2u, page.Entries()) << "a new state takes the old one's place";
    for (int peek = 0; peek < 2; ++peek) {
        GCountedRef state;
        page.PeekState(state);
        ASSERT_TRUE(state);
        EXPECT_EQ(406, state->GetId());
        EXPECT_EQ(2u, state->Entries());
    }
    GCountedRef taken, again;
    page.GetState(taken);
    page.GetState(again);
    EXPECT_TRUE(taken && taken->IsKindOf(GState::kClassId));
    EXPECT_FALSE(again);
}

TEST(GCommandCompositeOnDisk, ReplaysTheSpooledPageInOrderTwice)
{
    TempPath path("page-replay");
    std::unique_ptr<GCommandCompositeOnDisk> page = SpooledPage(path);
    const std::vector<std::pair<RWClassID, uint32_t>> expected = {
        {709, 0}, {712, 0}, {0x7606, 11}, {0x7606, 12}, {0x7606, 13}, {710, 0}};
    EXPECT_EQ(expected, Replay(*page));
    EXPECT_FALSE(page->IsOpen()) << "the finished walk closes the page";
    EXPECT_EQ(expected, Replay(*page));
    EXPECT_FALSE(page->HasFailed());
}

TEST(GCommandCompositeOnDisk, ReplacedCommandIsKeptInTheFile)
{
    TempPath path("page-replace");
    std::unique_ptr<GCommandCompositeOnDisk> page = SpooledPage(path);
    {
        std::unique_ptr<GObjectIterator> it(page->CreateIterator());
        for (int i = 0; i < 4; ++i)
            it->Next();
        it->ReplaceCurrentRef(GCountedRef(new TestDrawing(99)));
    }
    EXPECT_EQ(99u, Replay(*page)[3].second);
    EXPECT_EQ(6u, Replay(*page).size());
}

TEST(GCommandCompositeOnDisk, FileGoesWithTheLastHolder)
{
    TempPath path("page-holders");
    std::unique_ptr<GCommandCompositeOnDisk> page = SpooledPage(path);
    std::unique_ptr<GCommandCompositeOnDisk> copy(page->Copy());
    page.reset();
    ASSERT_TRUE(RWBinaryFile::Exists(path.c_str())) << "the copy still uses the file";
    EXPECT_EQ(6u, Replay(*copy).size());
    copy.reset();
    EXPECT_FALSE(RWBinaryFile::Exists(path.c_str()));
}
