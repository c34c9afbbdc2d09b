#include "model/GAttributeComposite.h"
#include "model/GStringAttribute.h"
#include "model/GValueAttribute.h"
#include "pipeline/GDocumentStart.h"
#include "pipeline/GJobAbort.h"
#include "pipeline/GPageEnd.h"
#include "pipeline/GPageStart.h"
#include "printer/GExtensionValues.h"
#include "printer/GMedia.h"
#include "printer/GState.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

const uint16_t kUntouched = 0xBEEF;

// Stands in for a page-description writer: the getters know a writer by class id alone.
class TestWriter : public GObjectBase {
public:
    explicit TestWriter(RWClassID classId) : classId_(classId) {}
    RWClassID ClassId() const override { return classId_; }

private:
    RWClassID classId_;
};

GAttributeComposite* Group(long id, std::initializer_list<std::pair<long, uint16_t>> members)
{
    GAttributeComposite* group = new GAttributeComposite(id);
    for (const auto& member : members)
        group->Add(new GValueAttribute(member.second, member.first));
    return group;
}

GMedia* Media(uint16_t mediaId, uint32_t orientation)
{
    return new GMedia("Letter", {5100, 6600}, {4800, 6200}, {100, 150}, orientation, mediaId, 600, 600, 259, 0,
                      "f", "Bond");
}

struct Answer {
    uint16_t status;
    uint16_t code;
};

Answer Ask(uint16_t key, GObjectBase* state, const GExtensionQueryContext& context)
{
    const ExtensionValueGetter getter = FindExtensionValueGetter(key);
    EXPECT_TRUE(getter) << key;
    uint16_t code = kUntouched;
    const uint16_t status = getter ? getter(state, context, &code) : 0xFFFF;
    return {status, code};
}

// The job settings hold the settings; the command (a page end) reads them for every policy.
Answer AskJob(uint16_t key, const std::function<void(GState&)>& fill)
{
    GState settings;
    fill(settings);
    GPageEnd command(nullptr, 1);
    return Ask(key, nullptr, {&settings, &command, nullptr});
}

} // namespace

TEST(ExtensionValues, CodeTablesTranslatePaperAndSourceCodes)
{
    const struct {
        int16_t paper;
        uint16_t code;
    } papers[] = {{1, 31}, {23, 33}, {8, 40}, {55, 46}, {44, 49}, {16384, 59}, {0, 59}, {-1, 59}};
    for (const auto& row : papers)
        EXPECT_EQ(row.code, PaperCodeToValueCode(row.paper)) << row.paper;
    const struct {
        uint16_t source;
        uint16_t code;
    } sources[] = {{1, 116}, {6, 115}, {19, 113}, {20, 119}, {21, 120}, {26, 125}, {27, 27}, {7, 7}};
    for (const auto& row : sources)
        EXPECT_EQ(row.code, SourceCodeToValueCode(row.source)) << row.source;
    EXPECT_EQ(nullptr, FindExtensionValueGetter(11));
}

TEST(ExtensionValues, KeysTranslateTheSettingTheyRead)
{
    typedef std::function<void(GState&)> Fill;
    auto value = [](long feature, uint16_t v) { return Fill([=](GState& s) { s.Add(new GValueAttribute(v, feature)); }); };
    auto both = [](Fill a, Fill b) { return Fill([=](GState& s) { a(s), b(s); }); };
    const Fill nothing = [](GState&) {};
    const Fill resolution3 = [](GState& s) { s.Add(Group(249, {{323, 600}, {324, 600}, {325, 3}})); };
    const Fill resolution2 = [](GState& s) { s.Add(Group(249, {{323, 600}, {324, 600}, {325, 2}})); };
    const Fill twoOfThree = [](GState& s) { s.Add(Group(249, {{323, 600}, {324, 600}})); };
    const struct {
        uint16_t key;
        Fill fill;
        uint16_t status;
        uint16_t code;
    } rows[] = {
        {70, value(265, 45), 0, 45},
        {70, value(265, 180), 0, 73},
        {70, nothing, 1, kUntouched},
        {200, resolution3, 0, 600},
        {200, resolution2, 0, 204},
        {200, twoOfThree, 1, kUntouched},
        {30, value(260, 16384), 0, 59},
        {130, value(248, 4), 0, 149},
        {130, value(248, 27), 0, 148},
        {170, [](GState& s) { s.Add(Group(329, {{266, 1}})); }, 0, 0},
        {180, [](GState& s) { s.Add(Group(329, {{268, 3}})); }, 0, 184},
        {191, value(289, 3), 1, kUntouched},
        {191, both(value(278, 9), value(289, 3)), 0, 195},
        {210, nothing, 0, 211},
        {210, [](GState& s) { s.Add(Group(365, {{444, 0xFFFF}})); }, 0, 211},
        {210, [&](GState& s) { s.Add(Group(365, {{444, 2}})), value(442, 0xFFFF)(s); }, 0, 211},
        {210, [&](GState& s) { s.Add(Group(365, {{444, 2}})), value(442, 1)(s); }, 0, 1},
        {210, [](GState& s) { s.Add(Group(365, {{444, 2}})); }, 1, kUntouched},
        {220, value(270, 5), 0, 0},
        {245, nothing, 0, 0},
        {245, value(247, 2), 0, 1},
        {261, [](GState& s) { s.Add(Group(365, {{308, 1}})); }, 0, 1},
        {81, [](GState& s) { s.Add(new GStringAttribute("Bond", 262)); }, 0, MediaTypeNameToCode("Bond")},
        // A setting of another class reads as absent.
        {110, [](GState& s) { s.Add(new GStringAttribute("1", 258)); }, 1, kUntouched},
        {81, value(262, 1), 1, kUntouched},
        {30, [](GState& s) { s.Add(Media(23, 0)); }, 1, kUntouched},
        {260, [](GState& s) { s.Add(new GValueAttribute(1, 365)); }, 1, kUntouched},
    };
    for (const auto& row : rows) {
        const Answer answer = AskJob(row.key, row.fill);
        EXPECT_EQ(row.status, answer.status) << row.key;
        EXPECT_EQ(row.code, answer.code) << row.key;
    }
}

// One key of each policy; the job settings hold 11, the command's state 44, a given state 33.
TEST(ExtensionValues, EachPolicyReadsWhereTheCommandClassSays)
{
    enum Where : uint16_t { J = 11, C = 44, N = kUntouched };
    const struct {
        uint16_t key;
        long feature;
        Where byCommand[5]; // document start, page start, page end, job abort, no command
    } rows[] = {
        {111, 263, {J, J, J, N, N}},
        {190, 278, {C, J, J, N, N}},
        {150, 253, {C, C, J, N, N}},
        {110, 258, {J, C, J, N, N}},
        {263, 0, {J, J, J, J, J}},
    };
    auto fill = [](GState* s, const auto& row, uint16_t v) {
        if (row.feature)
            s->Add(new GValueAttribute(v, row.feature));
        else
            s->Add(Group(365, {{307, v}}));
    };
    for (const auto& row : rows) {
        GState settings;
        fill(&settings, row, J);
        auto stateOf = [&] {
            GState* state = new GState;
            fill(state, row, C);
            return state;
        };
        std::unique_ptr<GCommand> commands[] = {
            std::make_unique<GDocumentStart>(L"doc", RWCString(), L"out", nullptr, stateOf(), 1),
            std::make_unique<GPageStart>(stateOf(), 2), std::make_unique<GPageEnd>(stateOf(), 3),
            std::make_unique<GJobAbort>(4), nullptr};
        for (int c = 0; c < 5; ++c) {
            const Answer answer = Ask(row.key, nullptr, {&settings, commands[c].get(), nullptr});
            EXPECT_EQ(row.byCommand[c], answer.code) << row.key << " command " << c;
            EXPECT_EQ(row.byCommand[c] == N ? 1 : 0, answer.status) << row.key << " command " << c;
            GState given;
            fill(&given, row, 33);
            EXPECT_EQ(33, Ask(row.key, &given, {&settings, commands[c].get(), nullptr}).code) << row.key;
        }
    }
}

TEST(ExtensionValues, ACommandStateGivesThePaperAsMedia)
{
    GState settings;
    settings.Add(new GValueAttribute(1, 260));
    GState* state = new GState;
    state->Add(Media(23, 90));
    GPageStart command(state, 1);
    const GExtensionQueryContext context = {&settings, &command, nullptr};
    EXPECT_EQ(33, Ask(30, nullptr, context).code);
    EXPECT_EQ(72, Ask(70, nullptr, context).code);
    EXPECT_EQ(MediaTypeNameToCode("Bond"), Ask(80, nullptr, context).code);
    const uint16_t measures[] = {5100, 6600, 4800, 6200, 150, 250, 100, 200};
    for (uint16_t key = 60; key <= 67; ++key) {
        EXPECT_EQ(measures[key - 60], Ask(key, nullptr, context).code) << key;
        const Answer given = Ask(key, state, context);
        EXPECT_EQ(4, given.status) << key;
        EXPECT_EQ(kUntouched, given.code) << key;
    }
}

TEST(ExtensionValues, KeyTenKnowsTheWriterByClassId)
{
    const struct {
        RWClassID writer;
        uint16_t status;
        uint16_t code;
    } rows[] = {{767, 0, 12}, {788, 0, 11}, {768, 1, kUntouched}};
    for (const auto& row : rows) {
        TestWriter writer(row.writer);
        const Answer answer = Ask(10, nullptr, {nullptr, nullptr, &writer});
        EXPECT_EQ(row.status, answer.status) << row.writer;
        EXPECT_EQ(row.code, answer.code) << row.writer;
    }
    EXPECT_EQ(1, Ask(10, nullptr, {nullptr, nullptr, nullptr}).status);
}
